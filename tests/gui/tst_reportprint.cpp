// Printing the report preview on a desktop without a printer queue and with
// one: the print dialog when nothing can print, what Printer setup chose,
// printing again and again in both views, a printer a failed start left
// active, and the HTML view's print that runs without waiting for it.
#include "ReportFixture.h"
#include "platform/WebBrowser.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>

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
    void failedStartThenPrintsAgain();
    void htmlPrintHoldsTheCommands();
    void previewGoneDuringAPrint();

private:
    void CreateReport();
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

void TestReportPrint::CreateReport() {
    TReportFixture::MakeProblem(2, 3);
    Raport_w->show();
    TReportFixture::Choose(true, true, true, true, true);
    Raport_w->Edit_Title->setText(QStringLiteral("Printed cars"));
    Raport_w->BBtn_CreateClick();
}

void TestReportPrint::Print() {
    Raport_p->SB_Print_ReportClick();
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 60000);
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

    // Again and again: the same file, nothing asked.
    for (int again = 0; again < 2; ++again) {
        QVERIFY(QFile::remove(first));
        Print();
        QVERIFY2(QFile::exists(first), qPrintable(QStringLiteral("print %1").arg(again + 2)));
    }
    QCOMPARE(fixture_->Script.PrintDialogs, 1);

    // What Printer setup chooses is where the next Print goes.
    const QString chosen = fixture_->Dir.filePath(QStringLiteral("chosen.pdf"));
    fixture_->Script.SetUpPrinter(true, [&](QPrinter &p) { p.setOutputFileName(chosen); });
    Raport_p->SB_QRPClick();
    Raport_p->SB_Printer_SetupClick();
    if (html)
        Raport_p->SB_HTMLClick();
    Print();
    Print();
    QVERIFY(QFile::exists(chosen));
    QCOMPARE(fixture_->Script.PrintDialogs, 1);
    QCOMPARE(fixture_->Script.PrinterSetups, 1);

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
    } else {
        fixture_->Script.AnswerPrint(true, choose);
    }
    Print();
    QVERIFY(QFile::exists(pdf));
}

void TestReportPrint::failedStartThenPrintsAgain() {
    CreateReport();
    const QString missing = fixture_->Dir.filePath(QStringLiteral("missing/folder/x.pdf"));
    WithoutPrinter()->setOutputFileName(missing);
    fixture_->Script.Answer(mrOk, QStringLiteral("Can not write %1.").arg(missing));
    Print();
    QVERIFY(Raport->QR_Main->Printer()->printerState() != QPrinter::Active);
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("x.pdf"));
    Raport->QR_Main->Printer()->setOutputFileName(pdf);
    Print();
    QVERIFY(QFile::exists(pdf));
}

void TestReportPrint::htmlPrintHoldsTheCommands() {
    CreateReport();
    Raport_p->SB_HTMLClick();
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("html.pdf"));
    WithoutPrinter()->setOutputFileName(pdf);
    const QString page = Raport_p->Browser->FileName();
    const QString title = Raport->QR_Main->ReportTitle;

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

int main(int argc, char **argv) {
    PrepareWebBrowser();
    TApplication app(argc, argv);
    TestReportPrint test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportprint.moc"
