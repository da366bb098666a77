// Printing the report preview on a desktop without a printer queue and with
// one: the print dialog when nothing can print, what Printer setup chose,
// printing again and again in both views, a printer a failed start left
// active, and the HTML view's print that runs without waiting for it: its
// sheets in the order the dialog chose, and its Cancel at any moment.
#include "ReportFixture.h"
#include "platform/WebBrowser.h"
#include "tests/TestSupport.h"

#include <QElapsedTimer>
#include <QPageRanges>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QStandardPaths>
#include <csignal>
#include <sys/stat.h>
#if VR_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#endif

namespace {

QString RunTool(const QString &tool, const QStringList &arguments) {
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        return QString();
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(20000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QByteArray FileContents(const QString &name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The page number each sheet of a printed report shows in its footer.
QList<int> PrintedPageNumbers(const QString &pdf) {
    QList<int> numbers;
    const QStringList sheets =
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
            .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    static const QRegularExpression footer(QStringLiteral("Page nr\\s+(\\d+)"));
    for (const QString &sheet : sheets) {
        const QRegularExpressionMatch match = footer.match(sheet);
        if (match.hasMatch())
            numbers << match.captured(1).toInt();
        else if (!sheet.trimmed().isEmpty())
            numbers << 0;
    }
    return numbers;
}

// Lets the event loop run `turns` times.
void Turns(int turns) {
    for (int i = 0; i < turns; ++i) {
        bool turned = false;
        QTimer::singleShot(0, [&] { turned = true; });
        while (!turned)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

bool HaveTools() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

// The PDF's pages by pdftotext (one form feed each), and whether its first
// page, drawn by pdftoppm, shows anything at all.
int PdfPages(const QString &pdf) {
    return int(RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).count('\f'));
}

bool FirstPageShowsInk(const QString &pdf, const QString &folder) {
    const QString prefix = QDir(folder).filePath(QFileInfo(pdf).completeBaseName());
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, prefix});
    const QImage page(prefix + QStringLiteral(".png"));
    int dark = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x)
            dark += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
    }
    return dark > 50;
}

// A page of `sheets` sheets; sheet n (from 1) shows one block, its middle
// 1.5 n inches from the printable area's left edge (a border: backgrounds do
// not print).
QString MarkedSheetsPage(const QString &folder, int sheets) {
    QString html = QStringLiteral("<HTML><BODY style=\"margin:0\">");
    for (int n = 1; n <= sheets; ++n)
        html += QStringLiteral(
                    "<div style=\"height:8in; break-after:page\"><div style=\"margin-left:"
                    "%1in; width:0; height:2in; border-left:0.6in solid black\"></div></div>")
                    .arg(1.5 * n - 0.3);
    html += QStringLiteral("</BODY></HTML>");
    const QString page = QDir(folder).filePath(QStringLiteral("sheets.htm"));
    QFile file(page);
    if (file.open(QIODevice::WriteOnly))
        file.write(html.toLatin1());
    return page;
}

// The sheets of a PDF printed from MarkedSheetsPage, by their marks, in order.
QList<int> MarkedSheets(const QString &pdf, const QString &folder) {
    const QString prefix = QDir(folder).filePath(QStringLiteral("sheet"));
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("10"), QStringLiteral("-png"), pdf, prefix});
    QList<int> marks;
    QStringList images =
        QDir(folder).entryList({QStringLiteral("sheet-*.png")}, QDir::Files, QDir::Name);
    for (const QString &name : images) {
        const QImage sheet(QDir(folder).filePath(name));
        QFile::remove(QDir(folder).filePath(name));
        double sum = 0;
        int dark = 0;
        for (int y = 0; y < sheet.height(); ++y) {
            for (int x = 0; x < sheet.width(); ++x) {
                if (qGray(sheet.pixel(x, y)) < 128) {
                    sum += x;
                    ++dark;
                }
            }
        }
        // Ten pixels an inch; the paper's margin moves the block less than
        // half the distance between two sheets' blocks.
        marks << (dark > 0 ? qRound(sum / dark / 15.0) : 0);
    }
    return marks;
}

// The report's printer as on a desktop without a printer queue: PDF output
// and no file (what a fresh printer is there; a queue machine gets it too).
QPrinter *WithoutPrinter() {
    QPrinter *printer = Raport->QR_Main->Printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    return printer;
}

} // namespace

class TestReportPrint : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void whatCanStart_data();
    void whatCanStart();
    void freshPrinterStartsWhereAQueueIs();
    void printsWithoutAPrinter_data();
    void printsWithoutAPrinter();
    void cancelledPrintDialogPrintsNothing();
    void printerLeftActiveIsReplaced_data();
    void printerLeftActiveIsReplaced();
    void failedStartThenPrintsAgain_data();
    void failedStartThenPrintsAgain();
    void htmlPrintHoldsTheCommands();
    void previewGoneDuringAPrint();
    void printsTheChosenPages_data();
    void printsTheChosenPages();
    void longPrintShowsProgressAndCancels();
    void tooLongForTheBrowserOffersThePages();
    void pageProcessEndedDuringAPrint();
    void pageProcessEndedWhileThePdfIsMade_data();
    void pageProcessEndedWhileThePdfIsMade();
    void printCutShortIsAFailure_data();
    void printCutShortIsAFailure();
    void htmlPrintHonoursTheDialog_data();
    void htmlPrintHonoursTheDialog();
    void htmlPrintCancelsAtAnyMoment_data();
    void htmlPrintCancelsAtAnyMoment();

private:
    void CreateReport(int alternatives = 3);
    // Prints through the print dialog into `pdf`, with the dialog's choices
    // set by `choose`.
    void PrintTo(const QString &pdf, std::function<void(QPrinter &)> choose = {});
    // Prints in the view shown and waits (with a watchdog) until it has printed.
    void Print();
    std::unique_ptr<TPreviewFixture> fixture_;
};

void TestReportPrint::init() {
    fixture_ = std::make_unique<TPreviewFixture>();
}

void TestReportPrint::cleanup() {
    fixture_->Finish();
    fixture_.reset();
}

void TestReportPrint::CreateReport(int alternatives) {
    TReportFixture::MakeProblem(2, alternatives);
    Raport_w->show();
    TReportFixture::Choose(true, true, true, true, true);
    Raport_w->Edit_Title->setText(QStringLiteral("Printed cars"));
    Raport_w->BBtn_CreateClick();
}

void TestReportPrint::Print() {
    Raport_p->SB_Print_ReportClick();
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 60000);
}

void TestReportPrint::PrintTo(const QString &pdf, std::function<void(QPrinter &)> choose) {
    WithoutPrinter();
    fixture_->Script.AnswerPrint(true, [pdf, choose](QPrinter &p) {
        p.setOutputFileName(pdf);
        if (choose)
            choose(p);
    });
    Print();
}

void TestReportPrint::whatCanStart_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("printer");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("canStart");
    const int pdf = QPrinter::PdfFormat, native = QPrinter::NativeFormat;
    const QString none;
    QTest::newRow("no queue, no file") << pdf << none << none << false;
    QTest::newRow("a PDF file") << pdf << none << "/tmp/r.pdf" << true;
    QTest::newRow("a queue") << native << "office" << none << true;
    QTest::newRow("a queue printing to a file") << native << "office"
                                                << "/tmp/r.ps" << true;
    QTest::newRow("PDF output keeps no queue") << pdf << "office" << none << false;
    QTest::newRow("native without a queue") << native << none << none << false;
}

void TestReportPrint::whatCanStart() {
    QFETCH(int, format);
    QFETCH(QString, printer);
    QFETCH(QString, file);
    QFETCH(bool, canStart);
    QCOMPARE(PrinterCanStart(QPrinter::OutputFormat(format), printer, file), canStart);
}

void TestReportPrint::freshPrinterStartsWhereAQueueIs() {
    // Where a printer queue exists, Print prints on it and asks nothing;
    // without one it asks.
    const QPrinter fresh(QPrinter::HighResolution);
    QCOMPARE(PrinterCanStart(fresh), !QPrinterInfo::availablePrinterNames().isEmpty());
}

void TestReportPrint::printsWithoutAPrinter_data() {
    QTest::addColumn<bool>("html");
    QTest::newRow("pages") << false;
    QTest::newRow("HTML view") << true;
}

void TestReportPrint::printsWithoutAPrinter() {
    QFETCH(bool, html);
    if (html && !TWebBrowser::ShowsHtml())
        QSKIP("this build shows the HTML view as text");
    CreateReport();
    QVERIFY(!PrinterCanStart(*WithoutPrinter()));
    if (html)
        Raport_p->SB_HTMLClick();

    // The first Print asks where to print; the user picks a PDF file.
    const QString first = fixture_->Dir.filePath(QStringLiteral("first.pdf"));
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { p.setOutputFileName(first); });
    Print();
    QCOMPARE(fixture_->Script.PrintDialogs, 1);
    QVERIFY(QFile::exists(first));

    // Every print to a file asks again, filled with the last choice; Cancel
    // leaves the file as it was.
    const QByteArray printed = FileContents(first);
    fixture_->Script.AnswerPrint(false);
    Print();
    QCOMPARE(fixture_->Script.PrintDialogs, 2);
    QCOMPARE(FileContents(first), printed);
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { QCOMPARE(p.outputFileName(), first); });
    QVERIFY(QFile::remove(first));
    Print();
    QCOMPARE(fixture_->Script.PrintDialogs, 3);
    QVERIFY(QFile::exists(first));

    // What Printer setup chooses fills the next print dialog.
    const QString chosen = fixture_->Dir.filePath(QStringLiteral("chosen.pdf"));
    fixture_->Script.SetUpPrinter(true, [&](QPrinter &p) { p.setOutputFileName(chosen); });
    Raport_p->SB_QRPClick();
    Raport_p->SB_Printer_SetupClick();
    QVERIFY(!QFile::exists(chosen));
    if (html)
        Raport_p->SB_HTMLClick();
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { QCOMPARE(p.outputFileName(), chosen); });
    Print();
    QVERIFY(QFile::exists(chosen));
    QCOMPARE(fixture_->Script.PrintDialogs, 4);
    QCOMPARE(fixture_->Script.PrinterSetups, 1);
    // No print left a file of its own beside the ones chosen.
    QCOMPARE(QDir(fixture_->Dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    if (!HaveTools())
        QSKIP("pdftotext and pdftoppm (poppler-utils) are not installed");
    for (const QString &pdf : {first, chosen}) {
        if (html) {
            // The browser prints its page as a picture.
            QVERIFY(PdfPages(pdf) >= 1);
        } else {
            QCOMPARE(PdfPages(pdf), Raport_p->QR_Preview->PageCount());
            QVERIFY(RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
                        .contains(QStringLiteral("Printed cars")));
        }
        QVERIFY2(FirstPageShowsInk(pdf, fixture_->Dir.path()), qPrintable(pdf));
    }
}

void TestReportPrint::cancelledPrintDialogPrintsNothing() {
    CreateReport();
    WithoutPrinter();
    const qsizetype messages = fixture_->Script.Shown.size();
    fixture_->Script.AnswerPrint(false);
    Raport_p->SB_Print_ReportClick();
    QCOMPARE(fixture_->Script.PrintDialogs, 1);
    QCOMPARE(fixture_->Script.Shown.size(), messages);
    QVERIFY(QDir(fixture_->Dir.path()).isEmpty());

    // Accepted without a file: said so, nothing started.
    fixture_->Script.AnswerPrint(true);
    fixture_->Script.Answer(mrOk, "Can not print: there is no printer and no file to print to.");
    Raport_p->SB_Print_ReportClick();
    QCOMPARE(fixture_->Script.PrintDialogs, 2);
    QVERIFY(Raport->QR_Main->Printer()->printerState() != QPrinter::Active);
}

void TestReportPrint::printerLeftActiveIsReplaced_data() {
    QTest::addColumn<bool>("setUpFirst");
    QTest::newRow("then Printer setup") << true;
    QTest::newRow("then Print") << false;
}

void TestReportPrint::printerLeftActiveIsReplaced() {
    QFETCH(bool, setUpFirst);
    CreateReport();
    QPrinter *printer = WithoutPrinter();
    printer->setDocName(QStringLiteral("kept name"));
    printer->setPageOrientation(QPageLayout::Landscape);
    // A start on a printer with no queue and no file fails and leaves it
    // active: it then refuses every setting.
    QPainter painter;
    QVERIFY(!painter.begin(printer));
    QCOMPARE(printer->printerState(), QPrinter::Active);

    // The next dialog gets a printer that takes the user's choice, with the
    // earlier choices kept.
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("after.pdf"));
    const auto choose = [&](QPrinter &p) {
        QCOMPARE(p.printerState(), QPrinter::Idle);
        QCOMPARE(p.docName(), QStringLiteral("kept name"));
        QCOMPARE(p.pageLayout().orientation(), QPageLayout::Landscape);
        p.setOutputFileName(pdf);
    };
    if (setUpFirst) {
        fixture_->Script.SetUpPrinter(true, choose);
        Raport_p->SB_Printer_SetupClick();
        QCOMPARE(Raport->QR_Main->Printer()->outputFileName(), pdf);
        fixture_->Script.AnswerPrint(true);
    } else {
        fixture_->Script.AnswerPrint(true, choose);
    }
    Print();
    QVERIFY(QFile::exists(pdf));
}

void TestReportPrint::failedStartThenPrintsAgain_data() {
    QTest::addColumn<bool>("html");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("why");
    for (const bool html : {false, true}) {
        const char *view = html ? "HTML view" : "pages";
        QTest::addRow("%s, missing folder", view) << html << "missing/folder/x.pdf"
                                                  << "No such file or directory";
        QTest::addRow("%s, FIFO", view) << html << "fifo.pdf"
                                        << "It is not a regular file but a FIFO (named pipe).";
    }
}

void TestReportPrint::failedStartThenPrintsAgain() {
    QFETCH(bool, html);
    QFETCH(QString, target);
    QFETCH(QString, why);
    if (html && !TWebBrowser::ShowsHtml())
        QSKIP("this build shows the HTML view as text");
    CreateReport();
    if (html) {
        Raport_p->SB_HTMLClick();
        QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 30000);
    }
    const QString refused = fixture_->Dir.filePath(target);
    if (target == QLatin1String("fifo.pdf"))
        QCOMPARE(::mkfifo(QFile::encodeName(refused).constData(), 0600), 0);
    WithoutPrinter()->setOutputFileName(refused);
    fixture_->Script.AnswerPrint(true);
    fixture_->Script.Answer(mrOk, QStringLiteral("Can not write %1.\n%2").arg(refused, why));
    {
        // Refused at once, before any page is made, and nothing opens the FIFO.
        TFifoWriterWatchdog watchdog(refused, 5);
        Raport_p->SB_Print_ReportClick();
        QVERIFY(!Raport_p->Printing());
        watchdog.Stop();
        QVERIFY(!watchdog.Fired());
    }
    QVERIFY(Raport->QR_Main->Printer()->printerState() != QPrinter::Active);
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("x.pdf"));
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { p.setOutputFileName(pdf); });
    Print();
    QVERIFY(FileContents(pdf).startsWith("%PDF-"));
}

void TestReportPrint::htmlPrintHoldsTheCommands() {
    CreateReport();
    Raport_p->SB_HTMLClick();
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("html.pdf"));
    WithoutPrinter()->setOutputFileName(pdf);
    const QString page = Raport_p->Browser->FileName();
    const QString title = Raport->QR_Main->ReportTitle;

    fixture_->Script.AnswerPrint(true);
    Raport_p->SB_Print_ReportClick();
    QVERIFY(Raport_p->Printing());
    // Only Help works while the page prints; nothing that would print again,
    // reload or remove the page, or close the preview.
    QVERIFY(Raport_p->BBtn_Help->isEnabled());
    for (QAction *a :
         {Raport_p->SB_Print_Report, Raport_p->SB_Save_Report, Raport_p->SB_Open_Report,
          Raport_p->SB_QRP, Raport_p->SB_HTML, Raport_p->BBtn_Close})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(!Raport_w->BBtn_Create->isEnabled());
    Raport_p->SB_Print_ReportClick();
    Raport_p->SB_QRPClick();
    Raport_p->SB_Open_ReportClick();
    Raport_p->BBtn_CloseClick();
    Raport_w->Edit_Title->setText(QStringLiteral("Another report"));
    Raport_w->BBtn_CreateClick();
    QVERIFY(Raport_p->isVisible());
    QVERIFY(Raport_p->SB_HTML->isChecked());
    QCOMPARE(Raport_p->Browser->FileName(), page);
    QVERIFY(QFile::exists(page));
    QCOMPARE(Raport->QR_Main->ReportTitle, title);
    QCOMPARE(fixture_->Script.Dialogs.size(), size_t(0));

    // Afterwards every command is as it was.
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 60000);
    QVERIFY(QFile::exists(pdf));
    for (QAction *a :
         {Raport_p->SB_Print_Report, Raport_p->SB_Save_Report, Raport_p->SB_Open_Report,
          Raport_p->SB_QRP, Raport_p->SB_HTML, Raport_p->BBtn_Close})
        QVERIFY2(a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(!Raport_p->SB_ToMyReport->isEnabled());
    QVERIFY(!Raport_p->SB_Printer_Setup->isEnabled()); // a page-view command
    QVERIFY(Raport_w->BBtn_Create->isEnabled());
    Raport_p->BBtn_CloseClick();
    QVERIFY(!Raport_p->isVisible());
}

void TestReportPrint::previewGoneDuringAPrint() {
    CreateReport();
    Raport_p->SB_HTMLClick();
    WithoutPrinter()->setOutputFileName(fixture_->Dir.filePath(QStringLiteral("gone.pdf")));
    fixture_->Script.AnswerPrint(true);
    Raport_p->SB_Print_ReportClick();
    QVERIFY(Raport_p->Printing());
    delete Raport_p;
    Raport_p = nullptr;
    // The wizard creates again and shows no preview that is gone.
    QVERIFY(Raport_w->BBtn_Create->isEnabled());
    QVERIFY(!Raport_w->ShowPreview);
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    QVERIFY(!Raport_w->isVisible());
}

void TestReportPrint::printsTheChosenPages_data() {
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("lastFirst");
    QTest::addColumn<QList<int>>("sheets");
    QTest::newRow("pages 2 to 3") << false << 2 << 3 << 1 << true << false << QList<int>{2, 3};
    QTest::newRow("collated copies")
        << false << 1 << 2 << 2 << true << false << QList<int>{1, 2, 1, 2};
    QTest::newRow("copies not collated")
        << false << 1 << 2 << 2 << false << false << QList<int>{1, 1, 2, 2};
    QTest::newRow("last page first") << false << 1 << 3 << 1 << true << true << QList<int>{3, 2, 1};
    QTest::newRow("saved report, pages 2 to 3")
        << true << 2 << 3 << 1 << true << false << QList<int>{2, 3};
}

void TestReportPrint::printsTheChosenPages() {
    QFETCH(bool, saved);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, lastFirst);
    QFETCH(QList<int>, sheets);
    if (!HaveTools())
        QSKIP("pdftotext (poppler-utils) is not installed");
    CreateReport(120);
    QVERIFY(Raport_p->QR_Preview->PageCount() >= 3);
    if (saved) {
        const QString qrp = fixture_->Dir.filePath(QStringLiteral("saved.qrp"));
        QVERIFY(Raport_p->ReportPages().Save(qrp));
        fixture_->Script.ChooseFile(qrp);
        Raport_p->SB_Open_ReportClick();
        QVERIFY(Raport_p->LoadedReport);
    }
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("chosen.pdf"));
    PrintTo(pdf, [&](QPrinter &p) {
        p.setPrintRange(QPrinter::PageRange);
        p.setPageRanges(QPageRanges::fromString(QStringLiteral("%1-%2").arg(from).arg(to)));
        p.setCopyCount(copies);
        p.setCollateCopies(collate);
        p.setPageOrder(lastFirst ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    });
    // The dialog offered the pages of what is shown.
    QCOMPARE(fixture_->Script.LastPrintOffer.LastPage, Raport_p->QR_Preview->PageCount());
    QCOMPARE(PrintedPageNumbers(pdf), sheets);

    // The range was for that print; the next one prints every page again.
    const QString all = fixture_->Dir.filePath(QStringLiteral("all.pdf"));
    PrintTo(all, [](QPrinter &p) { p.setCopyCount(1); });
    QCOMPARE(PrintedPageNumbers(all).size(), Raport_p->QR_Preview->PageCount());
}

void TestReportPrint::longPrintShowsProgressAndCancels() {
    CreateReport(3000);
    const int pages = Raport_p->QR_Preview->PageCount();
    QVERIFY(pages > 100);
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("long.pdf"));
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the user's own file");
    }

    // The window handles its events while the pages print.
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);
    WithoutPrinter();
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { p.setOutputFileName(pdf); });
    Raport_p->SB_Print_ReportClick();
    QVERIFY(Raport_p->Printing());
    const QPointer<QProgressDialog> progress = Raport_p->PrintProgress();
    QVERIFY(progress);
    QCOMPARE(progress->maximum(), pages);
    QTRY_VERIFY_WITH_TIMEOUT(!progress || progress->value() > 0, 20000);
    QVERIFY(progress);
    QVERIFY(ticks > 0);
    QVERIFY(Raport_p->Printing());
    QVERIFY(!Raport_p->SB_Print_Report->isEnabled());

    // Cancel (what its button does; the dialog shows itself only when the
    // print looks like taking a while): nothing printed, the file as it
    // was, nothing left beside it.
    emit progress->canceled();
    QVERIFY(!Raport_p->Printing());
    QVERIFY(!Raport_p->PrintProgress());
    QCOMPARE(FileContents(pdf), QByteArray("the user's own file"));
    QCOMPARE(QDir(fixture_->Dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("long.pdf")});
    QVERIFY(Raport_p->SB_Print_Report->isEnabled());

    // To its end, the print replaces the file with every page.
    fixture_->Script.AnswerPrint(true);
    Print();
    if (HaveTools())
        QCOMPARE(PdfPages(pdf), pages);
    QVERIFY(FileContents(pdf).startsWith("%PDF"));
}

void TestReportPrint::tooLongForTheBrowserOffersThePages() {
    if (!TWebBrowser::ShowsHtml())
        QSKIP("this build shows the HTML view as text");
    CreateReport();
    Raport_p->SB_HTMLClick();
    QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 30000);
    // A page longer than the browser prints is refused before the engine
    // gets it; Yes prints the QRP view's pages instead.
    Raport_p->Browser->MaxPrintSheets = 0;
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("instead.pdf"));
    WithoutPrinter();
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { p.setOutputFileName(pdf); });
    fixture_->Script.Answer(mrYes);
    fixture_->Script.AnswerPrint(true); // the pages' print asks again
    Raport_p->SB_Print_ReportClick();
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing() && Raport_p->SB_QRP->isChecked(), 30000);
    QVERIFY(!fixture_->Script.Shown.isEmpty());
    QVERIFY2(fixture_->Script.Shown.last().Text.contains(QStringLiteral("too long")),
             qPrintable(fixture_->Script.Shown.last().Text));
    QVERIFY(Raport_p->SB_QRP->isChecked());
    QCOMPARE(fixture_->Script.LastPrintOffer.LastPage, Raport_p->QR_Preview->PageCount());
    QVERIFY(QFile::exists(pdf));
    if (HaveTools())
        QCOMPARE(PdfPages(pdf), Raport_p->QR_Preview->PageCount());
}

void TestReportPrint::pageProcessEndedDuringAPrint() {
#if VR_WEBENGINE
    CreateReport();
    Raport_p->SB_HTMLClick();
    QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 30000);
    auto *view = Raport_p->Browser->findChild<QWebEngineView *>();
    QVERIFY(view);
    const qint64 pid = view->page()->renderProcessPid();
    QVERIFY(pid > 0);
    // The page's process dies as it does when it runs out of memory: the
    // print fails with a message, the program and the preview go on.
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("killed.pdf"));
    WithoutPrinter();
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { p.setOutputFileName(pdf); });
    fixture_->Script.Answer(mrOk);
    Raport_p->SB_Print_ReportClick();
    QVERIFY(Raport_p->Printing());
    QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 30000);
    QVERIFY2(fixture_->Script.Shown.last().Text.contains(QStringLiteral("page process ended")),
             qPrintable(fixture_->Script.Shown.last().Text));
    QVERIFY(!QFile::exists(pdf));
    // The page is shown again and prints.
    QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 30000);
    fixture_->Script.AnswerPrint(true);
    Print();
    QVERIFY(QFile::exists(pdf));
#else
    QSKIP("this build shows the HTML view as text");
#endif
}

void TestReportPrint::pageProcessEndedWhileThePdfIsMade_data() {
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("lastFirst");
    for (int ms : {50, 150, 300, 600})
        QTest::addRow("%d ms after Print", ms) << ms << 1 << true << false;
    // The file's copies and order are made from the engine's PDF as well.
    for (int ms : {150, 600}) {
        QTest::addRow("2 collated copies, %d ms", ms) << ms << 2 << true << false;
        QTest::addRow("2 copies not collated, %d ms", ms) << ms << 2 << false << false;
        QTest::addRow("last page first, %d ms", ms) << ms << 1 << true << true;
    }
}

void TestReportPrint::pageProcessEndedWhileThePdfIsMade() {
#if VR_WEBENGINE
    QFETCH(int, after);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, lastFirst);
    // A long page: the engine makes its PDF for a while.
    CreateReport(400);
    Raport_p->SB_HTMLClick();
    QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 60000);
    auto *view = Raport_p->Browser->findChild<QWebEngineView *>();
    QVERIFY(view);
    const qint64 pid = view->page()->renderProcessPid();
    QVERIFY(pid > 0);
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("killed.pdf"));
    WithoutPrinter();
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) {
        p.setOutputFileName(pdf);
        p.setCopyCount(copies);
        p.setCollateCopies(collate);
        p.setPageOrder(lastFirst ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    });
    Raport_p->SB_Print_ReportClick();
    QTest::qWait(after);
    const bool printing = Raport_p->Printing();
    const qsizetype shown = fixture_->Script.Shown.size();
    if (printing)
        fixture_->Script.Answer(mrOk);
    QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 30000);
    // The program goes on; a print that had not ended failed and says so,
    // and the file is not written.
    if (printing) {
        QCOMPARE(fixture_->Script.Shown.size(), shown + 1);
        QVERIFY2(fixture_->Script.Shown.last().Text.contains(QStringLiteral("nothing was printed")),
                 qPrintable(fixture_->Script.Shown.last().Text));
        QVERIFY(!QFile::exists(pdf));
    }
    QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 60000);
#else
    QSKIP("this build shows the HTML view as text");
#endif
}

void TestReportPrint::printCutShortIsAFailure_data() {
    printsWithoutAPrinter_data();
}

void TestReportPrint::printCutShortIsAFailure() {
    // A write that fails as the file is finished (a full disk, a file size
    // limit) is not reported by the PDF writer: the view finds the file cut
    // short, says so, and the user's file keeps its bytes.
    QFETCH(bool, html);
    if (html && !TWebBrowser::ShowsHtml())
        QSKIP("this build shows the HTML view as text");
    CreateReport();
    if (html) {
        Raport_p->SB_HTMLClick();
        QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 30000);
    }
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("cars.pdf"));
    PrintTo(pdf);
    const QByteArray good = FileContents(pdf);
    QVERIFY(good.size() > 2000);

    const qsizetype messages = fixture_->Script.Shown.size();
    fixture_->Script.Answer(mrOk, CannotPrint(QString(), pdf) + QStringLiteral("\nFile too large"));
    fixture_->Script.AnswerPrint(true);
    bool ended = false;
    {
        const TFileSizeLimit full(good.size() / 2);
        QVERIFY(full.Set());
        Raport_p->SB_Print_ReportClick();
        ended = QTest::qWaitFor([] { return !Raport_p->Printing(); }, 60000);
    }
    QVERIFY(ended);

    QCOMPARE(fixture_->Script.Shown.size(), messages + 1);
    QCOMPARE(FileContents(pdf), good);
    QCOMPARE(QDir(fixture_->Dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("cars.pdf")});
    // With room again the same print succeeds.
    fixture_->Script.AnswerPrint(true);
    Print();
    QCOMPARE(fixture_->Script.Shown.size(), messages + 1);
    QVERIFY(FileContents(pdf).trimmed().endsWith("%%EOF"));
}

void TestReportPrint::htmlPrintHonoursTheDialog_data() {
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("lastFirst");
    QTest::addColumn<QList<int>>("sheets");
    QTest::newRow("as the page runs") << 1 << true << false << QList<int>{1, 2, 3};
    QTest::newRow("last page first") << 1 << true << true << QList<int>{3, 2, 1};
    QTest::newRow("collated copies") << 2 << true << false << QList<int>{1, 2, 3, 1, 2, 3};
    QTest::newRow("copies not collated") << 2 << false << false << QList<int>{1, 1, 2, 2, 3, 3};
    QTest::newRow("collated, last first") << 2 << true << true << QList<int>{3, 2, 1, 3, 2, 1};
    QTest::newRow("not collated, last first") << 2 << false << true << QList<int>{3, 3, 2, 2, 1, 1};
}

void TestReportPrint::htmlPrintHonoursTheDialog() {
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, lastFirst);
    QFETCH(QList<int>, sheets);
    if (!TWebBrowser::ShowsHtml())
        QSKIP("this build shows the HTML view as text");
    if (!HaveTools())
        QSKIP("pdftoppm (poppler-utils) is not installed");
    CreateReport();
    QTemporaryDir pages;
    fixture_->Script.ChooseFile(MarkedSheetsPage(pages.path(), 3), 2);
    Raport_p->SB_Open_ReportClick();
    QVERIFY(Raport_p->SB_HTML->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 30000);
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("sheets.pdf"));
    PrintTo(pdf, [&](QPrinter &p) {
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setCopyCount(copies);
        p.setCollateCopies(collate);
        p.setPageOrder(lastFirst ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    });
    // The engine prints every sheet or fails: no page range is offered.
    QCOMPARE(fixture_->Script.LastPrintOffer.LastPage, 0);
    QVERIFY(fixture_->Script.LastPrintOffer.Collate);
    QCOMPARE(MarkedSheets(pdf, pages.path()), sheets);
}

void TestReportPrint::htmlPrintCancelsAtAnyMoment_data() {
    // Event-loop turns between Print and Cancel; -1: the page still loads
    // when Print is pressed, and Cancel comes with its first progress.
    QTest::addColumn<int>("turns");
    for (int turns : {0, 1, 3, 5, 10, 30})
        QTest::addRow("after %d turns", turns) << turns;
    QTest::newRow("after the first progress") << -1;
}

void TestReportPrint::htmlPrintCancelsAtAnyMoment() {
    QFETCH(int, turns);
    // The text this build shows instead has printed within two turns.
    if (!TWebBrowser::ShowsHtml() && (turns < 0 || turns > 1))
        QSKIP("this build prints the HTML view's text at once");
    CreateReport();
    Raport_p->SB_HTMLClick();
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("cancelled.pdf"));
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the user's own file");
    }
    WithoutPrinter();
    // The engine's worker paints on the printer while the program runs on:
    // a printer let go too early crashed in most of a few runs.
    for (int run = 0; run < 4; ++run) {
        QSignalSpy progressed(Raport_p->Browser, &TWebBrowser::LoadProgress);
        if (turns < 0)
            QVERIFY(Raport_p->Browser->Navigate(Raport_p->Browser->FileName()));
        else
            QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 30000);
        fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { p.setOutputFileName(pdf); });
        Raport_p->SB_Print_ReportClick();
        QVERIFY(Raport_p->Printing());
        const QPointer<QProgressDialog> progress = Raport_p->PrintProgress();
        QVERIFY(progress);
        if (turns < 0)
            QVERIFY(progressed.wait(30000));
        else
            Turns(turns);
        QVERIFY2(Raport_p->Printing(), "the print ended before Cancel");
        emit progress->canceled();
        // Until the engine has let go, the dialog says so: Esc and the
        // title bar's close do not put it away.
        if (run % 3 == 1 && Raport_p->Printing())
            QTest::keyClick(progress.data(), Qt::Key_Escape);
        else if (run % 3 == 2 && Raport_p->Printing())
            progress->close();
        QElapsedTimer waited;
        waited.start();
        while (Raport_p->Printing()) {
            QVERIFY2(waited.elapsed() < 60000, "the engine did not let go of the print");
            QVERIFY(progress);
            QCOMPARE(progress->labelText(), QStringLiteral("Cancelling the print..."));
            QVERIFY(progress->isVisible());
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        }
        QTRY_VERIFY(!progress);
        QCOMPARE(FileContents(pdf), QByteArray("the user's own file"));
        QCOMPARE(QDir(fixture_->Dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("cancelled.pdf")});
    }
    // A print afterwards replaces the file.
    fixture_->Script.AnswerPrint(true);
    Print();
    QVERIFY(FileContents(pdf).startsWith("%PDF"));
}

int main(int argc, char **argv) {
    PrepareWebBrowser();
    TApplication app(argc, argv);
    TestReportPrint test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportprint.moc"
