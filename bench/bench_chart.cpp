// Painting speed of the chart: the chart window repaints on every mouse move
// while the segment under the mouse is shaded, so a full picture must take
// well under a screen frame.
#ifdef VR_BENCH_GUI

#include "bench/BenchApp.h"
#include "platform/Chart.h"
#include "tests/gui/ChartFixture.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {

void BM_PaintChart50Points(benchmark::State &state) {
    App();
    TChart chart;
    TLineSeries *series = UtilityChart(chart, 50);
    chart.resize(1920, 1080);
    // The hovered segment, shaded under the series as the chart window does.
    series->BeforeDrawValues = [&](TChartSeries *) {
        chart.Canvas->Brush.Color = clYellow;
        chart.Canvas->Brush.Style = bsBDiagonal;
        chart.Canvas->Pen.Style = psDot;
        chart.Canvas->Pen.Color = clYellow;
        chart.Canvas->Rectangle(series->CalcXPos(20), series->CalcYPos(21), series->CalcXPos(21),
                                series->CalcYPos(20));
    };
    series->ColorRange(series->XValues, series->GetxValue(21), series->GetxValue(21), clRed);
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        chart.Draw(p, image.rect(), 1.0);
    }
}
BENCHMARK(BM_PaintChart50Points)->Unit(benchmark::kMillisecond);

} // namespace

#endif
