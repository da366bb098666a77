// Report engine and HTML page speed: a report of ten criteria with their
// charts and a hundred alternatives of ten rows is paginated well under half
// a second and read back from its saved file; the HTML page with ten chart
// pictures is written well under 300 ms.
#ifdef VR_BENCH_GUI

#include "bench/BenchApp.h"
#include "platform/Report.h"
#include "report/ReportFiles.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

TQRLabel *Label(TQRBand *band, const QString &caption, int left, int top, int size) {
    auto *label = new TQRLabel(band);
    label->Font = QRFont(QStringLiteral("Arial"), size);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

// Bands, labels and charts shaped as the program's report of this size.
void BuildReport(TQuickRep &report) {
    auto *title = new TQRBand(&report, rbTitle);
    title->Height = 107;
    Label(title, QStringLiteral("Report title"), 32, 39, 22);
    auto *footer = new TQRBand(&report, rbPageFooter);
    footer->Height = 16;
    auto *page = new TQRSysData(footer);
    page->SetLeft(664);
    TQRBand *previous = title;
    auto child = [&](int height) {
        previous->SetHasChild(true);
        previous = previous->ChildBand();
        previous->Height = height;
        return previous;
    };
    for (int c = 0; c < 10; ++c) {
        TQRBand *band = child(280);
        for (int i = 0; i < 10; ++i)
            Label(band, QStringLiteral("Caption %1").arg(i), 50 + 60 * i, 0, 14);
        auto *chart = new TQRChart(band);
        chart->SetBounds(50, 25, 300, 190);
        auto *series = new TLineSeries(chart->Chart());
        for (int p = 0; p <= 10; ++p)
            series->AddXY(p, p / 10.0);
        auto *memo = new TQRMemo(band);
        memo->SetBounds(400, 100, 300, 150);
        memo->Lines << QStringLiteral("A description of the criterion that wraps over lines.");
    }
    TQRBand *ranking = child(80);
    for (int a = 0; a < 100; ++a) {
        TQRBand *band = child(200);
        if (a == 0)
            ranking->SetLinkBand(band);
        band->Frame.DrawBottom = true;
        for (int m = 0; m < 10; ++m) {
            auto *name = Label(band, QStringLiteral("Criterion %1").arg(m), 370, 20 * m, 11);
            name->AutoSize = false;
            name->SetWidth(170);
            name->SetHeight(20);
            name->Frame.DrawBottom = name->Frame.DrawRight = true;
            Label(band, QString::number(m * 1.5), 540, 20 * m, 11)->AutoSize = false;
        }
        Label(band, QString::number(a + 1), 30, 0, 11);
        Label(band, QStringLiteral("Alternative %1").arg(a), 100, 0, 11);
        Label(band, QStringLiteral("0.%1").arg(a), 300, 0, 11);
    }
}

void BM_PaginateReport10x100(benchmark::State &state) {
    App();
    TQuickRep report;
    BuildReport(report);
    int pages = 0;
    for (auto _ : state)
        pages = report.Prepare();
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PaginateReport10x100)->Unit(benchmark::kMillisecond);

// Opening the same report saved: the budget pass and the build of every page.
void BM_ReadSavedReport10x100(benchmark::State &state) {
    App();
    TQuickRep report;
    BuildReport(report);
    report.Prepare();
    QString error;
    const QByteArray bytes = report.QRPrinter()->Pages.ToBytes(&error);
    if (bytes.isEmpty()) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    TQRPageSet pages;
    for (auto _ : state) {
        if (!pages.FromBytes(bytes, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["MB"] = double(bytes.size()) / (1 << 20);
}
BENCHMARK(BM_ReadSavedReport10x100)->Unit(benchmark::kMillisecond);

void BM_WriteHtmlPageTenCharts(benchmark::State &state) {
    App();
    QTemporaryDir dir;
    TQRChart chart;
    auto *series = new TLineSeries(chart.Chart());
    for (int p = 0; p <= 10; ++p)
        series->AddXY(p, p * p / 100.0);
    THtmlPageFiles files;
    files.PageFile = dir.filePath(QStringLiteral("report.htm"));
    files.AskBeforeReplacing = false;
    for (int i = 0; i < 10; ++i) {
        files.Pictures.push_back(chart.ToImage(1.0));
        files.Lines << QStringLiteral("<IMG style=\"position:absolute; left:50px; top:%1px\" "
                                      "SRC=\"chart%2.jpg\" >")
                           .arg(300 * i)
                           .arg(i);
    }
    for (int i = 0; i < 3000; ++i)
        files.Lines << QStringLiteral("<div  class=STYL3 STYLE=\"left:50; top:%1\"><p>Žluťoučký "
                                      "kůň %1</p></div>")
                           .arg(i);
    for (auto _ : state) {
        if (files.Write() != THtmlPageFiles::Written)
            state.SkipWithError("the page was not written");
    }
}
BENCHMARK(BM_WriteHtmlPageTenCharts)->Unit(benchmark::kMillisecond);

} // namespace

#endif
