#include "model/Variants.h"

#include <algorithm>
#include <cmath>
#include <numeric>

bool UtilityLess(const TVARIANTDEF &a, const TVARIANTDEF &b) {
    return a.Utility < b.Utility;
}

bool TCRITERIALIST::ExtendRange(double &min, double &max) const {
    if (Values.empty())
        return false;
    for (double v : Values) {
        if (v < min)
            min = v;
        if (v > max)
            max = v;
    }
    return true;
}

int TVARIANTS::AddVariant(const QString &name, const QString &description) {
    Alternatives.push_back(TVARIANTDEF{name, description, 0.0, QDomElement()});
    return int(Alternatives.size());
}

void TVARIANTS::SetVariantNode(int row, const QDomElement &node) {
    if (row >= 0 && row < int(Alternatives.size()))
        Alternatives[row].Node = node;
}

int TVARIANTS::FindColumn(int criterionId) const {
    for (size_t i = 0; i < Columns.size(); ++i) {
        if (Columns[i].CriterionId == criterionId)
            return int(i);
    }
    return -1;
}

void TVARIANTS::AppendValue(int /*row*/, double value, int criterionId) {
    const int column = FindColumn(criterionId);
    if (column >= 0)
        Columns[column].Values.push_back(value);
    else
        Columns.push_back(TCRITERIALIST{criterionId, {value}});
}

int TVARIANTS::DeleteColumn(int criterionId) {
    const int column = FindColumn(criterionId);
    if (column < 0)
        return -1;
    Columns.erase(Columns.begin() + column);
    return 1;
}

void TVARIANTS::ClearValues() {
    Columns.clear();
}

bool TVARIANTS::ColumnRange(int criterionId, double &min, double &max) const {
    const int column = FindColumn(criterionId);
    if (column < 0 || Columns[column].Values.empty())
        return false;
    min = max = Columns[column].Values.front();
    return Columns[column].ExtendRange(min, max);
}

void TVARIANTS::DeleteVariant(int row) {
    if (row < 0 || row >= int(Alternatives.size()))
        return;
    Alternatives.erase(Alternatives.begin() + row);
}

bool TVARIANTS::IsComplete(const std::vector<TPROBLEM> &criteria) const {
    const size_t rows = Alternatives.size();
    int used = 0;
    int matching = 0;
    for (const TPROBLEM &c : criteria) {
        if (!c.Used)
            continue;
        ++used;
        for (const TCRITERIALIST &column : Columns) {
            if (column.CriterionId != c.Id)
                continue;
            if (column.Values.size() != rows)
                return false;
            ++matching;
        }
    }
    return used == matching;
}

bool TVARIANTS::HasAllValues(const std::vector<TPROBLEM> &criteria) const {
    if (Alternatives.empty())
        return true;
    for (const TPROBLEM &c : criteria) {
        const int column = FindColumn(c.Id);
        if (column < 0 || Columns[size_t(column)].Values.size() != Alternatives.size())
            return false;
    }
    return true;
}

std::vector<int> BestFirstOrder(const std::vector<TVARIANTDEF> &alternatives) {
    std::vector<int> order(alternatives.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&alternatives](int a, int b) {
        const double ua = alternatives[size_t(a)].Utility;
        const double ub = alternatives[size_t(b)].Utility;
        if (std::isnan(ua))
            return false;
        return std::isnan(ub) || ua > ub;
    });
    return order;
}
