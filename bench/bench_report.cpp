// Speed of the report: the wizard's Create lays out a report of ten criteria
// and a hundred alternatives, writes its HTML page and paginates it; the
// pages of a report of ten thousand alternatives are printed to a PDF file,
// also as the preview prints them, and a report of twenty thousand is cleared.
// Also the memory of the browser's page process as the HTML view of a report
// of ten thousand alternatives is shown again and again.
#ifdef VR_BENCH_GUI

#include "app/Dazazezad.h"
#include "bench/BenchApp.h"
#include "platform/Dialogs.h"
#include "report/F_raport.h"
#include "report/F_raport_p.h"
#include "report/F_raport_w.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <unistd.h>

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

// The resident memory of the browser's helper processes (QtWebEngineProcess
// under this process), summed, in MB.
double BrowserHelpersMB() {
    QHash<qint64, qint64> parent;
    QHash<qint64, qint64> residentKB;
    QHash<qint64, QByteArray> name;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile status(QStringLiteral("/proc/%1/status").arg(entry));
        if (!number || !status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Name:"))
                name[pid] = line.mid(5).trimmed();
            else if (line.startsWith("PPid:"))
                parent[pid] = line.mid(5).trimmed().toLongLong();
            else if (line.startsWith("VmRSS:"))
                residentKB[pid] = line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    const qint64 self = getpid();
    qint64 sum = 0;
    for (auto it = name.cbegin(); it != name.cend(); ++it) {
        if (!it.value().startsWith("QtWebEngineProc"))
            continue;
        for (qint64 up = parent.value(it.key()); up > 1; up = parent.value(up)) {
            if (up == self) {
                sum += residentKB.value(it.key());
                break;
            }
        }
    }
    return double(sum) / 1024;
}

// Handles events until the HTML view has loaded its page, then a while more
// for the page process to settle; false after ten minutes.
bool WaitForHtmlView() {
    QElapsedTimer waited;
    waited.start();
    while (!Raport_p->Browser->Loaded() && waited.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return Raport_p->Browser->Loaded();
}

// Every section of a report of ten thousand alternatives in the HTML view,
// shown five times with the page view between, then once more made again
// with another title: the helpers' memory after the first, the fifth and
// the changed showing. Not a timing.
void BM_HtmlViewShowings10x10000(benchmark::State &state) {
    if (!TWebBrowser::ShowsHtml()) {
        state.SkipWithError("this build shows the HTML view as text");
        return;
    }
    TWizardBench wizard(10, 10000);
    Raport_p = new TRaport_p(Kavrel);
    wizard.Create();
    for (auto _ : state) {
        for (int showing = 1; showing <= 5; ++showing) {
            Raport_p->SB_HTMLClick();
            if (!WaitForHtmlView())
                state.SkipWithError("the page did not load");
            if (showing == 1)
                state.counters["first MB"] = BrowserHelpersMB();
            if (showing == 5)
                state.counters["fifth MB"] = BrowserHelpersMB();
            if (showing < 5)
                Raport_p->SB_QRPClick();
        }
        Raport_w->Edit_Title->setText(QStringLiteral("Another title"));
        wizard.Create();
        if (!WaitForHtmlView())
            state.SkipWithError("the page did not load");
        state.counters["changed MB"] = BrowserHelpersMB();
        Raport_p->SB_QRPClick();
    }
    Raport_p->close();
    delete Raport_p;
    Raport_p = nullptr;
}
BENCHMARK(BM_HtmlViewShowings10x10000)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

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
