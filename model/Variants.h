// The alternatives table: rows with their overall utility, one value column per criterion.
#pragma once

#include "model/Problem.h"

#include <QDomElement>
#include <QString>
#include <vector>

using VCriteriumData = std::vector<double>;

struct TVARIANTDEF {
    QString Name;
    QString Description;
    double Utility = 0.0;
    QDomElement Node; // the alternative's OBJECT element
};

// Ascending order of overall utility; the ranking sorts a copy of the rows with it.
bool UtilityLess(const TVARIANTDEF &a, const TVARIANTDEF &b);

struct TCRITERIALIST {
    int CriterionId = 0;
    VCriteriumData Values; // one value per alternative, in row order

    bool ExtendRange(double &min, double &max) const;
};

struct TVARIANTS {
    std::vector<TVARIANTDEF> Alternatives;
    // Columns stand in the order of the criteria: position i holds criterion i.
    std::vector<TCRITERIALIST> Columns;

    int AddVariant(const QString &name, const QString &description);
    void SetVariantNode(int row, const QDomElement &node);
    int FindColumn(int criterionId) const;
    void AppendValue(int row, double value, int criterionId);
    double Value(int row, int column) const { return Columns[column].Values[row]; }
    int DeleteColumn(int criterionId);
    void ClearValues();
    bool ColumnRange(int criterionId, double &min, double &max) const;
    void DeleteVariant(int row);
    bool IsComplete(const std::vector<TPROBLEM> &criteria) const;
    // Every criterion, used or not, has its column with a value for every
    // alternative: what a problem file needs to be read back.
    bool HasAllValues(const std::vector<TPROBLEM> &criteria) const;
};

// Rows of the alternatives best first. Equal utilities keep their table order
// and an alternative without a number (NaN) comes last; each entry is the
// alternative's own row, so two alternatives of one name stay apart.
std::vector<int> BestFirstOrder(const std::vector<TVARIANTDEF> &alternatives);
