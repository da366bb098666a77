// Speed of the report: the wizard's Create lays out a report of ten criteria
// and a hundred alternatives, writes its HTML page and paginates it.
#ifdef VR_BENCH_GUI

#include "app/Dazazezad.h"
#include "bench/BenchApp.h"
#include "platform/Dialogs.h"
#include "report/F_raport.h"
#include "report/F_raport_w.h"

#include <benchmark/benchmark.h>

namespace {

void MakeProblem(TDecisionModel &model, int criteria, int alternatives) {
    for (int i = 0; i < criteria; ++i) {
        TPROBLEM c;
        c.Name = QStringLiteral("crit%1").arg(i + 1);
        c.Units = QStringLiteral("units");
        c.Description = QStringLiteral("What criterion %1 measures").arg(i + 1);
        c.Id = i + 1;
        c.Used = true;
        c.Method = i % 4 + 1;
        c.SmallK = 0.08;
        c.Max = 100;
        c.Points = {{0, 0}, {25, 0.4}, {50, 0.7}, {75, 0.9}, {100, 1}};
        model.Criteria.push_back(c);
        model.Variants.Columns.push_back(TCRITERIALIST{c.Id, {}});
    }
    for (int a = 0; a < alternatives; ++a) {
        model.Variants.AddVariant(QStringLiteral("alternative %1").arg(a + 1), QString());
        for (int i = 0; i < criteria; ++i)
            model.Variants.Columns[size_t(i)].Values.push_back((a * 37 + i * 11) % 101);
    }
    model.UsedCount = criteria;
    model.SolveFactorK();
}

void BM_CreateReport10x100(benchmark::State &state) {
    App();
    TDialogScript script;
    script.Answer(mrOk, QStringLiteral("Can't find HHLIB.dll !"));
    Kavrel = new TKavrel;
    Raport_w = new TRaport_w(Kavrel);
    Raport = new TRaport(Kavrel);
    MakeProblem(Kavrel->Model, 10, 100);
    for (auto _ : state) {
        Raport_w->show();
        Raport_w->BBtn_CreateClick();
    }
    state.counters["pages"] = Raport->PageCounter;
    delete Raport_w;
    delete Raport;
    delete Kavrel;
    Raport_w = nullptr;
    Raport = nullptr;
    Kavrel = nullptr;
}
BENCHMARK(BM_CreateReport10x100)->Unit(benchmark::kMillisecond);

} // namespace

#endif
