#include "model/VariantsEdit.h"

#include "model/CriteriaEdit.h"

TCellFault CheckCellText(const TPROBLEM &criterion, const QString &text, double *value) {
    double v = 0.0;
    if (criterion.Enumerated) {
        if (!criterion.FindValue(text, v))
            return TCellFault::UnknownEnum;
    } else {
        if (!TextToFloat(text, v))
            return TCellFault::NotNumber;
        if (!InRange(v, criterion.Min, criterion.Max))
            return TCellFault::OutOfRange;
    }
    if (value)
        *value = v;
    return TCellFault::None;
}

QString CellFaultMessage(const TPROBLEM &criterion, TCellFault fault) {
    switch (fault) {
    case TCellFault::UnknownEnum:
        return QStringLiteral("Unknown enum value");
    case TCellFault::NotNumber:
        return QStringLiteral("Conversion error");
    case TCellFault::OutOfRange:
        return QStringLiteral("Value must be between ") + FloatToExactStr(criterion.Min) +
               QStringLiteral(" and ") + FloatToExactStr(criterion.Max);
    case TCellFault::None:
        break;
    }
    return QString();
}

bool IsRowEmpty(const TRowTexts &row) {
    for (const QString &cell : row) {
        if (!cell.isEmpty())
            return false;
    }
    return true;
}

int FirstEmptyCell(const TRowTexts &row, int columnCount) {
    for (int c = 0; c < columnCount; ++c) {
        if (c != 1 && (c >= row.size() || row[c].isEmpty()))
            return c;
    }
    return -1;
}

int CheckRow(const std::vector<TPROBLEM> &criteria, const TRowTexts &row, QString &message) {
    for (size_t i = 0; i < criteria.size(); ++i) {
        const int column = int(i) + 2;
        const QString text = column < row.size() ? row[column] : QString();
        const TCellFault fault = CheckCellText(criteria[i], text);
        if (fault != TCellFault::None) {
            message = CellFaultMessage(criteria[i], fault);
            return column;
        }
    }
    return -1;
}

bool FindRowFault(const std::vector<TPROBLEM> &criteria, const std::vector<TRowTexts> &rows,
                  bool requireRows, TRowFault &fault) {
    const int columns = int(criteria.size()) + 2;
    bool anyFilled = false;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (IsRowEmpty(rows[r]))
            continue;
        anyFilled = true;
        const int empty = FirstEmptyCell(rows[r], columns);
        if (empty >= 0) {
            fault = {int(r), empty, QStringLiteral("Empty cell!")};
            return true;
        }
        QString message;
        const int bad = CheckRow(criteria, rows[r], message);
        if (bad >= 0) {
            fault = {int(r), bad, message};
            return true;
        }
    }
    if (requireRows && !anyFilled) {
        fault = {0, 0, QStringLiteral("Empty cell!")};
        return true;
    }
    return false;
}

std::vector<TRowTexts> RowsOfVariants(const TDecisionModel &model) {
    const TVARIANTS &v = model.Variants;
    const int columns = int(model.Criteria.size()) + 2;
    std::vector<TRowTexts> rows(v.Alternatives.size());
    for (size_t j = 0; j < rows.size(); ++j) {
        rows[j].reserve(columns);
        rows[j] << v.Alternatives[j].Name << v.Alternatives[j].Description;
        for (int c = 2; c < columns; ++c)
            rows[j] << QString();
    }
    for (size_t i = 0; i < model.Criteria.size(); ++i) {
        const TPROBLEM &c = model.Criteria[i];
        const int column = v.FindColumn(model.CriterionIdByName(c.Name));
        if (column < 0)
            continue;
        const VCriteriumData &values = v.Columns[size_t(column)].Values;
        const size_t n = std::min(values.size(), rows.size());
        for (size_t j = 0; j < n; ++j)
            rows[j][int(i) + 2] = c.Enumerated ? c.LabelOf(values[j]) : FloatToExactStr(values[j]);
    }
    return rows;
}

void StoreRow(TDecisionModel &model, TXML &xml, const QStringList &header, const TRowTexts &row,
              int k) {
    TVARIANTS &v = model.Variants;
    const bool added = k >= int(v.Alternatives.size());
    const QString name = row.value(0);
    const QString description = row.value(1);
    if (added) {
        k = v.AddVariant(name, description) - 1;
    } else {
        v.Alternatives[size_t(k)].Name = name;
        v.Alternatives[size_t(k)].Description = description;
    }
    for (int column = 2; column < header.size() + 2; ++column) {
        const int id = model.CriterionIdByName(header[column - 2]);
        const int index = model.CriterionIndexById(id);
        if (index < 0)
            continue;
        double value = 0.0;
        CheckCellText(model.Criteria[size_t(index)], row.value(column), &value);
        v.AppendValue(k, value, id);
    }
    if (added)
        xml.CreateObject(model.Criteria, v, k, model.Roles);
    else
        xml.UpdateObjectValues(model.Criteria, v, k, model.Roles);
}

void WidenCriterionRanges(TDecisionModel &model) {
    for (const TCRITERIALIST &column : model.Variants.Columns) {
        const int index = model.CriterionIndexById(column.CriterionId);
        if (index < 0)
            continue;
        TPROBLEM &c = model.Criteria[size_t(index)];
        column.ExtendRange(c.Min, c.Max);
    }
}

bool StoreRows(TDecisionModel &model, TXML &xml, const QStringList &header,
               const std::vector<TRowTexts> &rows) {
    const QByteArray before = TXML::DocumentText(xml.ProblemDoc);
    std::vector<std::pair<double, double>> ranges;
    for (const TPROBLEM &c : model.Criteria)
        ranges.emplace_back(c.Min, c.Max);

    TVARIANTS &v = model.Variants;
    v.ClearValues();
    const int n = int(v.Alternatives.size());
    int k = 0;
    for (const TRowTexts &row : rows) {
        if (IsRowEmpty(row))
            continue;
        StoreRow(model, xml, header, row, k);
        ++k;
    }
    for (; k < n; ++k) {
        const int last = int(v.Alternatives.size()) - 1;
        if (!v.Alternatives[size_t(last)].Node.isNull())
            xml.RemoveNode(v.Alternatives[size_t(last)].Node);
        v.DeleteVariant(last);
    }
    WidenCriterionRanges(model);

    bool changed = TXML::DocumentText(xml.ProblemDoc) != before;
    for (size_t i = 0; i < model.Criteria.size(); ++i) {
        const TPROBLEM &c = model.Criteria[i];
        changed = changed || c.Min != ranges[i].first || c.Max != ranges[i].second;
    }
    return changed;
}
