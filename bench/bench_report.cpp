// Speed of the report: the wizard's Create lays out a report of ten criteria
// and a hundred alternatives, writes its HTML page and paginates it; the
// pages of a report of ten thousand alternatives are printed to a PDF file,
// also as the preview prints them, and a report of twenty thousand is cleared.
#ifdef VR_BENCH_GUI

#include "app/Dazazezad.h"
#include "bench/BenchApp.h"
#include "platform/Dialogs.h"
#include "report/F_raport.h"
#include "report/F_raport_p.h"
#include "report/F_raport_w.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
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

// The main frame, the report document and the wizard over a problem of this size.
struct TWizardBench {
    TDialogScript script;

    TWizardBench(int criteria, int alternatives) {
        App();
        script.Answer(mrOk, QStringLiteral("Can't find HHLIB.dll !"));
        Kavrel = new TKavrel;
        Raport_w = new TRaport_w(Kavrel);
        Raport = new TRaport(Kavrel);
        MakeProblem(Kavrel->Model, criteria, alternatives);
    }
    ~TWizardBench() {
        delete Raport_w;
        delete Raport;
        delete Kavrel;
        Raport_w = nullptr;
        Raport = nullptr;
        Kavrel = nullptr;
    }
    // What the user does: shows the wizard and clicks Create (which prepares the pages).
    void Create() {
        Raport_w->show();
        Raport_w->BBtn_CreateClick();
    }
    const TQRPageSet &Pages() const { return Raport->QR_Main->QRPrinter()->Pages; }
};

void BM_CreateReport10x100(benchmark::State &state) {
    TWizardBench wizard(10, 100);
    for (auto _ : state)
        wizard.Create();
    state.counters["pages"] = Raport->PageCounter;
}
BENCHMARK(BM_CreateReport10x100)->Unit(benchmark::kMillisecond);

// The print of every page to a PDF file, the report prepared once beforehand.
void BM_PrintReport10x10000(benchmark::State &state) {
    TWizardBench wizard(10, 10000);
    wizard.Create();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        QString error;
        if (!PrintPages(wizard.Pages(), printer, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.counters["pages"] = wizard.Pages().PageCount();
    state.counters["MB"] = double(QFileInfo(file).size()) / (1 << 20);
}
BENCHMARK(BM_PrintReport10x10000)->Unit(benchmark::kMillisecond);

// The same print as the user starts it in the preview, to a PDF file through
// the print dialog: the print runs between the window's events, and the
// longest time the window goes without handling them is counted.
void BM_PreviewPrint10x10000(benchmark::State &state) {
    TWizardBench wizard(10, 10000);
    Raport_p = new TRaport_p(Kavrel);
    wizard.Create();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.pdf"));
    qint64 longest = 0;
    QElapsedTimer since;
    QTimer ticker;
    ticker.setInterval(0);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longest = std::max(longest, since.restart()); });
    for (auto _ : state) {
        wizard.script.AnswerPrint(true, [&](QPrinter &p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(file);
        });
        since.start();
        ticker.start();
        Raport_p->SB_Print_ReportClick();
        while (Raport_p->Printing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ticker.stop();
    }
    state.counters["pages"] = wizard.Pages().PageCount();
    state.counters["longest gap ms"] = double(longest);
    delete Raport_p;
    Raport_p = nullptr;
}
BENCHMARK(BM_PreviewPrint10x10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// The wizard's clearing of a large report (as on show, Create and close);
// each report is built untimed.
void BM_ClearReport10Criteria(benchmark::State &state) {
    TWizardBench wizard(10, int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        wizard.Create();
        state.ResumeTiming();
        Raport_w->ClearReport();
    }
}
BENCHMARK(BM_ClearReport10Criteria)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Arg(5000)
    ->Arg(20000);

} // namespace

#endif
