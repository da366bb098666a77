// Speed of one answer in the question dialogue: the answer handler, the new
// proposal on the labels and the whole window with its pie repainted must
// stay well within one screen frame.
#ifdef VR_BENCH_GUI

#include "app/Dazazezad.h"
#include "bench/BenchApp.h"
#include "elicitation/Dialogues.h"
#include "elicitation/Maxquestion.h"
#include "platform/Dialogs.h"

#include <QImage>
#include <benchmark/benchmark.h>

namespace {

void BM_AnswerRoundTrip(benchmark::State &state) {
    App();
    // The frame's missing help library is answered by the script.
    TDialogScript script;
    Kavrel = new TKavrel;
    MaxQuestions = new TMaxQuestions(Kavrel);
    Dialogue = new TDialogue(Kavrel);
    TPROBLEM c;
    c.Name = QStringLiteral("Price");
    c.Units = QStringLiteral("EUR");
    c.Used = true;
    c.Max = 100;
    c.Decimals = 2;
    c.Init(0, 100);
    Kavrel->Criteria.push_back(c);
    Kavrel->Questions = 50;
    const int method = int(state.range(0));
    // The window is painted into a picture of its size: the same paint events
    // as on screen, whether or not the platform has exposed the window.
    QImage frame(Dialogue->size(), QImage::Format_ARGB32_Premultiplied);

    int answers = 0;
    for (auto _ : state) {
        // A fresh segment before the bracket gets near the precision stop.
        if (answers++ % 8 == 0) {
            state.PauseTiming();
            if (method == 3)
                Dialogue->StartLotteryComparison(0, 0, 100, 1, 0);
            else
                Dialogue->StartConstantProbability(0, 0, 100, 1, 0);
            Dialogue->render(&frame);
            state.ResumeTiming();
        }
        if (method == 3)
            (answers % 2 ? Dialogue->LotteryBitBtn1Click() : Dialogue->LotteryBitBtn2Click());
        else
            (answers % 2 ? Dialogue->SureBitBtnClick() : Dialogue->LotteryBitBtnClick());
        Dialogue->render(&frame);
    }
    if (!Dialogue->isVisible() || !script.Shown.size())
        state.SkipWithError("the question ended during the run");
    delete Dialogue;
    Dialogue = nullptr;
    delete MaxQuestions;
    MaxQuestions = nullptr;
    delete Kavrel;
    Kavrel = nullptr;
}
// 1: one pie (method 1); 3: two pies (method 3).
BENCHMARK(BM_AnswerRoundTrip)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

} // namespace

#endif
