// Speed of the chart windows during elicitation: the hover repaint that runs on
// every mouse move over a chart (well under a screen frame), and a run over ten
// criteria that creates and arranges their ten windows.
#ifdef VR_BENCH_GUI

#include "app/Dazazezad.h"
#include "bench/BenchApp.h"
#include "elicitation/Chartmain.h"
#include "platform/Dialogs.h"

#include <QMdiSubWindow>
#include <QMouseEvent>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

// The main frame with its template chart window, shown; messages are answered.
class TFrame {
public:
    TFrame() {
        App();
        script_ = std::make_unique<TDialogScript>();
        script_->Answer(mrOk); // no help library beside the benchmark
        Kavrel = new TKavrel;
        Form_chart = new TForm_chart(Kavrel);
        Kavrel->show();
    }
    ~TFrame() {
        Kavrel->ClearCriteriaBar();
        delete Form_chart;
        Form_chart = nullptr;
        delete Kavrel;
        Kavrel = nullptr;
    }
    TFrame(const TFrame &) = delete;
    TFrame &operator=(const TFrame &) = delete;

    static TPROBLEM Criterion(int id, int points) {
        TPROBLEM c;
        c.Name = QStringLiteral("Crit%1").arg(id);
        c.Units = QStringLiteral("EUR");
        c.Id = id;
        c.Used = true;
        c.Method = 1;
        c.Decimals = 2;
        c.Min = 10;
        c.Max = 110;
        for (int i = 0; i < points; ++i)
            c.AddPoint(10 + 100.0 * i / (points - 1), std::sqrt(double(i) / (points - 1)));
        c.FunctionCreated = true;
        return c;
    }

private:
    std::unique_ptr<TDialogScript> script_;
};

void Move(TForm_chart *chart, int segment) {
    const int x = (chart->Series->CalcXPos(segment - 1) + chart->Series->CalcXPos(segment)) / 2;
    const QPoint at(x, chart->Chart->ChartRect().center().y());
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(chart->Chart->mapToGlobal(at)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart->Chart, &event);
}

// A mouse move onto another segment of a 50-point function on an 800 x 600
// chart, and the repaint it asks for (shaded segment, active line).
void BM_HoverRepaint(benchmark::State &state) {
    TFrame frame;
    Kavrel->Criteria.push_back(TFrame::Criterion(1, 50));
    Kavrel->UsedCount = 1;
    Kavrel->ShowCriterionChart(1, false, true);
    TForm_chart *chart = Kavrel->Charts[0];
    QMdiSubWindow *window = chart->SubWindow();
    const QSize extra = window->size() - chart->Chart->size();
    window->resize(QSize(800, 600) + extra);
    QApplication::processEvents();
    Kavrel->DialogueMode = true;
    int segment = 10;
    for (auto _ : state) {
        segment = segment == 10 ? 30 : 10;
        Move(chart, segment);
        chart->Chart->repaint();
    }
    state.counters["width"] = chart->Chart->width();
    state.counters["height"] = chart->Chart->height();
    Kavrel->DialogueMode = false;
}
BENCHMARK(BM_HoverRepaint)->Unit(benchmark::kMillisecond);

// A run over ten criteria whose functions and coefficients exist: the ten
// windows are created, filled, arranged and painted once.
void BM_RunTenCriteria(benchmark::State &state) {
    TFrame frame;
    for (int id = 1; id <= 10; ++id) {
        TPROBLEM c = TFrame::Criterion(id, 8);
        c.KCounted = true;
        c.SmallK = 0.1;
        Kavrel->Criteria.push_back(c);
    }
    for (auto _ : state) {
        Kavrel->CriteriaChanged = true;
        Kavrel->SB_NewFunctionClick();
        QApplication::processEvents();
        state.PauseTiming();
        if (Kavrel->MDIChildCount() != 10)
            state.SkipWithError("not ten windows");
        Kavrel->ClearCriteriaBar();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RunTenCriteria)->Unit(benchmark::kMillisecond);

} // namespace

#endif
