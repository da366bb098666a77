// A utility function chart as the chart windows show it, shared by the
// chart tests and the painting benchmark.
#pragma once

#include "platform/Chart.h"

#include <cmath>

// Points of a rising utility function: x from 10 to 110, u from 0 to 1.
inline TLineSeries *UtilityChart(TChart &chart, int points = 5, TVertAxis axis = aRightAxis) {
    chart.resize(640, 400);
    chart.Title.Text = QStringList{QStringLiteral("Utility function for Price")};
    chart.Title.Font.setPixelSize(16);
    chart.LegendVisible = false;
    chart.Gradient.Visible = true;
    chart.BottomAxis.Title.SetCaption(QStringLiteral("Price [EUR]"));
    for (TChartAxis *a : {&chart.LeftAxis, &chart.RightAxis}) {
        a->Title.SetCaption(QStringLiteral("U (Price)"));
        a->AxisValuesFormat = QStringLiteral("0.####");
        a->SetDesiredIncrement(0.1);
    }
    auto *series = new TLineSeries(&chart);
    series->VertAxis = axis;
    series->SeriesColor = clBlue;
    series->LinePen.Width = 2;
    series->Pointer.Style = psCircle;
    if (points == 5) {
        const double xs[] = {10, 25, 40, 70, 110};
        const double us[] = {0, 0.35, 0.6, 0.85, 1};
        for (int i = 0; i < 5; ++i)
            series->AddXY(xs[i], us[i]);
    } else {
        for (int i = 0; i < points; ++i)
            series->AddXY(10 + 100.0 * i / (points - 1), std::sqrt(double(i) / (points - 1)));
    }
    return series;
}
