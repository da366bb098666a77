// What every fuzz target shares: feeding bytes through a file exactly as the
// program reads, and the invariants the rest of the program relies on.
#pragma once

#include "model/DecisionModel.h"
#include "model/Messages.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzz {

[[noreturn]] inline void Fail(const char *what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void Require(bool condition, const char *what) {
    if (!condition)
        Fail(what);
}

// The bytes as a file of this process, with the extension the reader expects.
inline QString WriteInput(const uint8_t *data, size_t size, const char *extension) {
    static const QString path = QDir::temp().filePath(
        QStringLiteral("vr-fuzz-%1.%2").arg(getpid()).arg(QLatin1String(extension)));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail("cannot write the input file");
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}

// Messages cost time and say nothing here.
inline void SilenceMessages() {
    static bool done = false;
    if (!done) {
        SetMessageSink([](const QString &, TMsgDlgType) {});
        done = true;
    }
}

inline void CheckFunction(const TPROBLEM &c) {
    const auto &p = c.Points;
    for (size_t i = 0; i < p.size(); ++i) {
        Require(p[i].u >= 0.0 && p[i].u <= 1.0, "utility within 0 to 1");
        if (i == 0)
            continue;
        Require(p[i - 1].x < p[i].x, "points sorted and unique in x");
        if (c.Cost)
            Require(p[i].u <= p[i - 1].u, "cost function falls");
        else
            Require(p[i].u >= p[i - 1].u, "gain function rises");
    }
}

inline void CheckCriteria(const std::vector<TPROBLEM> &criteria) {
    Require(criteria.size() <= size_t(MaxCriteria), "at most 10 criteria");
    for (const TPROBLEM &c : criteria) {
        Require(c.Name.size() <= MaxCriterionNameLength, "names at most 10 characters");
        Require(DecimalsInRange(c.Decimals), "decimals the criteria editor can show");
        CheckFunction(c);
    }
}

// One value column per criterion with one value per alternative.
inline void CheckTable(const TDecisionModel &m) {
    const auto &columns = m.Variants.Columns;
    Require(columns.size() == m.Criteria.size(), "one value column per criterion");
    for (size_t i = 0; i < columns.size(); ++i) {
        Require(columns[i].CriterionId == m.Criteria[i].Id, "columns in criteria order");
        Require(columns[i].Values.size() == m.Variants.Alternatives.size(),
                "one value per alternative");
    }
}

} // namespace fuzz
