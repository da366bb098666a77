// The ranking window for 10,000 alternatives and 10 criteria: sorting, the
// texts of every cell, the columns fitted to them and the first picture of the grid.
#ifdef VR_BENCH_GUI

#include "app/Ranking.h"
#include "bench/BenchApp.h"

#include <benchmark/benchmark.h>

namespace {

TDecisionModel RankingProblem(int alternatives) {
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
        c.AddPoint(50, 0.7);
        // Every other criterion is enumerated, so both kinds of cell text are made.
        c.Enumerated = i % 2 == 1;
        for (int v = 0; c.Enumerated && v <= 100; v += 10)
            c.Values.push_back({double(v), QStringLiteral("L%1").arg(v)});
        m.Criteria.push_back(c);
    }
    for (int j = 0; j < alternatives; ++j) {
        m.Variants.AddVariant(QStringLiteral("Alternative %1").arg(j),
                              QStringLiteral("Description %1").arg(j));
        for (int i = 0; i < 10; ++i)
            m.Variants.AppendValue(j, (j * 37 + i * 11) % 101 + 0.25 * (i % 3), i);
    }
    m.SolveFactorK();
    m.ComputeAlternativeUtilities();
    return m;
}

void BM_RankingFill_10kx10(benchmark::State &state) {
    App();
    const TDecisionModel m = RankingProblem(10000);
    TForm_Ranking form;
    form.show();
    for (auto _ : state) {
        form.Fill(m, 3);
        benchmark::DoNotOptimize(form.Cells(3, 1));
    }
}
BENCHMARK(BM_RankingFill_10kx10)->Unit(benchmark::kMillisecond);

// The fill and the grid's first picture, as the user waits for them.
void BM_RankingFillAndPaint_10kx10(benchmark::State &state) {
    App();
    const TDecisionModel m = RankingProblem(10000);
    TForm_Ranking form;
    form.show();
    for (auto _ : state) {
        form.Fill(m, 3);
        benchmark::DoNotOptimize(form.grab());
    }
}
BENCHMARK(BM_RankingFillAndPaint_10kx10)->Unit(benchmark::kMillisecond);

// The columns sized to their texts and the window to its columns, as on every show.
void BM_RankingFitColumns_10kx10(benchmark::State &state) {
    App();
    const TDecisionModel m = RankingProblem(10000);
    TForm_Ranking form;
    form.show();
    form.Fill(m, 3);
    for (auto _ : state)
        form.FitColumns();
}
BENCHMARK(BM_RankingFitColumns_10kx10)->Unit(benchmark::kMillisecond);

} // namespace

#endif
