// Speed of the multiplicative model: solving K and computing overall utilities.
#include "model/DecisionModel.h"

#include <benchmark/benchmark.h>

namespace {
TDecisionModel TenCriteria(int alternatives) {
    TDecisionModel m;
    const double k[] = {0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5};
    for (int i = 0; i < 10; ++i) {
        TPROBLEM c;
        c.Name = QStringLiteral("C%1").arg(i);
        c.Id = i;
        c.Used = true;
        c.SmallK = k[i];
        c.Min = 0;
        c.Max = 100;
        c.Init(c.Min, c.Max);
        c.AddPoint(25, 0.4);
        c.AddPoint(50, 0.7);
        c.AddPoint(75, 0.9);
        m.Criteria.push_back(c);
    }
    for (int j = 0; j < alternatives; ++j) {
        m.Variants.AddVariant(QStringLiteral("A%1").arg(j), QString());
        for (int i = 0; i < 10; ++i)
            m.Variants.AppendValue(j, (j * 37 + i * 11) % 101, i);
    }
    return m;
}
} // namespace

static void BM_SolveFactorK_10(benchmark::State &state) {
    TDecisionModel m = TenCriteria(0);
    for (auto _ : state) {
        m.SolveFactorK();
        benchmark::DoNotOptimize(FactorK);
    }
}
BENCHMARK(BM_SolveFactorK_10)->Unit(benchmark::kMicrosecond);

static void BM_ComputeAlternativeUtilities_10x100k(benchmark::State &state) {
    TDecisionModel m = TenCriteria(100000);
    m.SolveFactorK();
    for (auto _ : state) {
        m.ComputeAlternativeUtilities();
        benchmark::DoNotOptimize(m.Variants.Alternatives.data());
    }
}
BENCHMARK(BM_ComputeAlternativeUtilities_10x100k)->Unit(benchmark::kMillisecond);
