// Small problems built straight into the main frame's model, for the tests of
// the windows that show it.
#pragma once

#include "app/Dazazezad.h"

#include <QString>
#include <vector>

// A used "Gain" criterion on 0..10 with a straight utility function.
inline TPROBLEM LinearCriterion(const QString &name, int id, double k, bool used = true) {
    TPROBLEM c;
    c.Name = name;
    c.AttrID = QStringLiteral("Attr%1").arg(id);
    c.Id = id;
    c.Used = used;
    c.Method = 1;
    c.Decimals = 2;
    c.SmallK = k;
    c.KCounted = true;
    c.Min = 0.0;
    c.Max = 10.0;
    c.Init(c.Min, c.Max);
    c.FunctionCreated = true;
    return c;
}

struct TAlternative {
    QString Name;
    QString Description;
    std::vector<double> Values; // one per criterion, in list order
};

// Puts the criteria and the alternatives into the frame's model, with value
// columns in the order of the criteria.
inline void SetProblem(TKavrel &k, const std::vector<TPROBLEM> &criteria,
                       const std::vector<TAlternative> &alternatives) {
    k.Criteria = criteria;
    k.Variants = TVARIANTS();
    for (const TAlternative &a : alternatives) {
        const int row = k.Variants.AddVariant(a.Name, a.Description) - 1;
        for (size_t i = 0; i < criteria.size() && i < a.Values.size(); ++i)
            k.Variants.AppendValue(row, a.Values[i], criteria[i].Id);
    }
    k.UsedCount = 0;
    for (const TPROBLEM &c : criteria)
        k.UsedCount += c.Used ? 1 : 0;
}
