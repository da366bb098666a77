// The alternatives editor with 1,000 alternatives and 10 criteria must open in
// well under 200 ms and store in under a second.
#ifdef VR_BENCH_GUI

#include "app/Dazazezad.h"
#include "app/Variantsf.h"
#include "bench/BenchApp.h"
#include "model/CriteriaEdit.h"
#include "platform/Dialogs.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int Alternatives = 1000;
constexpr int CriteriaCount = 10;

// The frame with the editor; every message box is answered by the script.
struct TEditorBench {
    TDialogScript Script;
    TEditorBench() {
        App();
        Kavrel = new TKavrel;
        VariantsForm = new TVariantsForm(Kavrel);
        for (int i = 0; i < CriteriaCount; ++i) {
            const int index = AddNewCriterion(Kavrel->Model, Kavrel->Xml, {});
            Kavrel->Criteria[size_t(index)].Max = 1e6;
        }
    }
    ~TEditorBench() {
        delete Kavrel;
        Kavrel = nullptr;
        VariantsForm = nullptr;
    }
    std::vector<TRowTexts> Rows() const {
        std::vector<TRowTexts> rows;
        for (int r = 0; r < Alternatives; ++r) {
            TRowTexts row{QStringLiteral("Alternative %1").arg(r), QStringLiteral("row %1").arg(r)};
            for (int c = 0; c < CriteriaCount; ++c)
                row << QString::number((r * 7 + c * 13) % 1000 + 0.25);
            rows.push_back(row);
        }
        return rows;
    }
    QStringList Header() const {
        QStringList header;
        for (const TPROBLEM &c : Kavrel->Criteria)
            header << c.Name;
        return header;
    }
};

void BM_AlternativesEditorOpen(benchmark::State &state) {
    TEditorBench bench;
    StoreRows(Kavrel->Model, Kavrel->Xml, bench.Header(), bench.Rows());
    for (auto _ : state) {
        VariantsForm->show();
        benchmark::DoNotOptimize(VariantsForm->grab());
        state.PauseTiming();
        VariantsForm->close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AlternativesEditorOpen)->Unit(benchmark::kMillisecond);

// One value changed in a stored table: every row is stored again.
void BM_AlternativesEditorStoreChanged(benchmark::State &state) {
    TEditorBench bench;
    StoreRows(Kavrel->Model, Kavrel->Xml, bench.Header(), bench.Rows());
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        VariantsForm->show();
        VariantsForm->SetCells(2, 1, QString::number(++n % 1000));
        bench.Script.Answer(mrYes);
        state.ResumeTiming();
        VariantsForm->close();
    }
}
BENCHMARK(BM_AlternativesEditorStoreChanged)->Unit(benchmark::kMillisecond);

// The whole table typed into an empty problem: every OBJECT is created.
void BM_AlternativesEditorStoreNew(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto bench = std::make_unique<TEditorBench>();
        const std::vector<TRowTexts> rows = bench->Rows();
        VariantsForm->show();
        VariantsForm->VariantsGrid->setRowCount(Alternatives);
        for (int r = 0; r < Alternatives; ++r)
            for (int c = 0; c < rows[size_t(r)].size(); ++c)
                VariantsForm->SetCells(c, r + 1, rows[size_t(r)][c]);
        bench->Script.Answer(mrYes);
        state.ResumeTiming();
        VariantsForm->close();
        state.PauseTiming();
        bench.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AlternativesEditorStoreNew)->Unit(benchmark::kMillisecond);

} // namespace

#endif
