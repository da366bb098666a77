// The report preview: showing a created report, zoom and pages, the HTML view
// in a private folder, saving and opening saved reports and HTML pages,
// printing in both views, closing.
#include "ReportFixture.h"
#include "platform/WebBrowser.h"
#include "report/ReportFiles.h"
#include "tests/ReadSupport.h"

#include <QElapsedTimer>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>

namespace {

QByteArray ReadAll(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList FilesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// Pages of a PDF by pdfinfo; -1 when it cannot tell.
int PdfPages(const QString &pdf) {
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdfinfo.isEmpty())
        return -1;
    QProcess process;
    process.start(pdfinfo, {pdf});
    if (!process.waitForFinished(20000))
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
            .match(QString::fromUtf8(process.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// What a script run in the HTML view's page gives (invalid after 10 s).
QVariant RunInPage(const QString &script) {
    QVariant result;
    bool done = false;
    Raport_p->Browser->RunJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return result;
}

} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void createShowsThePreview();
    void zoom_data();
    void zoom();
    void typedZoomKeys();
    void leavingTheZoomFieldKeepsTheZoom();
    void paging();
    void htmlViewInAPrivateFolder();
    void htmlViewShownAgainAsItWas();
    void reportWithoutCriteriaWritesNoPictures();
    void saveAsHtml();
    void saveAsHtmlAsksBeforeReplacing();
    void saveAndOpenSavedReport();
    void brokenSavedReportKeepsTheView_data();
    void brokenSavedReportKeepsTheView();
    void openHtmlAndMixedCase();
    void printBothViews();
    void goneLeavesTheWizardNoLink();
    void closingCleansOnlyItsOwnFiles();

private:
    // Creates a report of two criteria with charts and three alternatives.
    void CreateReport(bool criteria = true);
    std::unique_ptr<TPreviewFixture> fixture_;
};

void TestReportPreview::init() {
    fixture_ = std::make_unique<TPreviewFixture>();
}

void TestReportPreview::cleanup() {
    fixture_->Finish();
    fixture_.reset();
}

void TestReportPreview::CreateReport(bool criteria) {
    TReportFixture::MakeProblem(2, 3);
    Raport_w->show();
    TReportFixture::Choose(criteria, true, true, true, true);
    Raport_w->Edit_Title->setText(QStringLiteral("Cars & <Bikes>"));
    Raport_w->BBtn_CreateClick();
}

void TestReportPreview::createShowsThePreview() {
    CreateReport();
    QVERIFY(Raport_p->isVisible());
    QVERIFY(Raport_p->windowState() & Qt::WindowMaximized);
    QCOMPARE(Raport_p->windowTitle(), QStringLiteral("Report preview"));
    const int pages = Raport_p->QR_Preview->PageCount();
    QVERIFY(pages >= 1);
    QCOMPARE(pages, Raport->PageCounter);
    QCOMPARE(Raport_p->ReportPages().PageCount(), pages);
    QCOMPARE(Raport_p->QR_Preview->PageNumber(), 1);
    QVERIFY(Raport_p->SB_QRP->isChecked());
    QVERIFY(Raport_p->Edit_Zoom->isEnabled());
    QVERIFY(!Raport_p->SB_ToMyReport->isEnabled());
    QCOMPARE(Raport_p->SB_Next_Page->toolTip(), QStringLiteral("Page forward"));
    QCOMPARE(Raport_p->Panel_Views->currentWidget(), Raport_p->QR_Preview);
    // What Create produced stays with the preview when the wizard clears its report.
    Raport_w->ClearReport();
    QCOMPARE(Raport_p->ReportPages().PageCount(), pages);
    QCOMPARE(int(Raport_p->ChartPictures().size()), 2);
}

void TestReportPreview::zoom_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("zoom");
    QTest::newRow("minus at 30 does nothing") << 30 << "minus" << 30;
    QTest::newRow("minus at 35 gives 25") << 35 << "minus" << 25;
    QTest::newRow("minus at 100") << 100 << "minus" << 90;
    QTest::newRow("plus at 1000 does nothing") << 1000 << "plus" << 1000;
    QTest::newRow("plus at 995") << 995 << "plus" << 1005;
    QTest::newRow("normal") << 250 << "normal" << 100;
    QTest::newRow("typed 0") << 100 << "0" << 100;
    QTest::newRow("typed letters") << 250 << "abc" << 100;
    QTest::newRow("typed 250") << 100 << "250" << 250;
    // Typed values go as far as the control can show, past the buttons' limits.
    QTest::newRow("typed huge") << 100 << "123456789012345678901234567890" << TQRPreview::MaxZoom;
    QTest::newRow("typed above the buttons") << 100 << "1500" << 1500;
    QTest::newRow("typed negative") << 100 << "-40" << 100;
    QTest::newRow("typed small") << 100 << "10" << 10;
    QTest::newRow("typed least") << 100 << "1" << TQRPreview::MinZoom;
}

void TestReportPreview::zoom() {
    QFETCH(int, start);
    QFETCH(QString, action);
    QFETCH(int, zoom);
    CreateReport();
    Raport_p->Edit_Zoom->setText(QString::number(start));
    Raport_p->Edit_ZoomExit();
    QCOMPARE(Raport_p->QR_Preview->Zoom(), start);
    if (action == QLatin1String("minus"))
        Raport_p->SB_Zoom_MinusClick();
    else if (action == QLatin1String("plus"))
        Raport_p->SB_Zoom_PlusClick();
    else if (action == QLatin1String("normal"))
        Raport_p->SB_Normal_ZoomClick();
    else {
        Raport_p->Edit_Zoom->setText(action);
        Raport_p->Edit_ZoomExit();
    }
    QCOMPARE(Raport_p->QR_Preview->Zoom(), zoom);
    QCOMPARE(Raport_p->Edit_Zoom->text(), QString::number(zoom));
}

void TestReportPreview::typedZoomKeys() {
    CreateReport();
    Raport_p->Edit_Zoom->setText(QStringLiteral("250"));
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    Raport_p->Edit_ZoomKeyDown(&letter);
    QCOMPARE(Raport_p->QR_Preview->Zoom(), 100);
    QTest::keyClick(Raport_p->Edit_Zoom, Qt::Key_Return);
    QCOMPARE(Raport_p->QR_Preview->Zoom(), 250);
    // Fit to page and to width show what they chose.
    Raport_p->SB_Fit_To_PageClick();
    QCOMPARE(Raport_p->Edit_Zoom->text(), QString::number(Raport_p->QR_Preview->Zoom()));
    Raport_p->SB_Fit_To_WidthClick();
    QCOMPARE(Raport_p->Edit_Zoom->text(), QString::number(Raport_p->QR_Preview->Zoom()));
}

void TestReportPreview::leavingTheZoomFieldKeepsTheZoom() {
    CreateReport();
    // A small window: the whole page fits only below the buttons' 30.
    Raport_p->showNormal();
    Raport_p->resize(360, 300);
    QTRY_VERIFY_WITH_TIMEOUT(Raport_p->QR_Preview->maximumViewportSize().height() < 300, 5000);
    Raport_p->SB_Fit_To_PageClick();
    const int fit = Raport_p->QR_Preview->Zoom();
    QVERIFY2(fit < 30, qPrintable(QString::number(fit)));
    Raport_p->Edit_ZoomExit();
    QCOMPARE(Raport_p->QR_Preview->Zoom(), fit);
    QCOMPARE(Raport_p->Edit_Zoom->text(), QString::number(fit));

    // Zoom minus from 35 to 25, then the field loses the focus.
    Raport_p->Edit_Zoom->setText(QStringLiteral("35"));
    QTest::keyClick(Raport_p->Edit_Zoom, Qt::Key_Return);
    Raport_p->SB_Zoom_MinusClick();
    QCOMPARE(Raport_p->QR_Preview->Zoom(), 25);
    QFocusEvent focusOut(QEvent::FocusOut);
    QCoreApplication::sendEvent(Raport_p->Edit_Zoom, &focusOut);
    QCOMPARE(Raport_p->QR_Preview->Zoom(), 25);
    QCOMPARE(Raport_p->Edit_Zoom->text(), QStringLiteral("25"));
}

void TestReportPreview::paging() {
    TReportFixture::MakeProblem(3, 12);
    Raport_w->show();
    TReportFixture::Choose(true, true, true, true, true);
    Raport_w->BBtn_CreateClick();
    TQRPreview *preview = Raport_p->QR_Preview;
    const int pages = preview->PageCount();
    QVERIFY(pages >= 3);
    Raport_p->SB_Page_BeforClick();
    QCOMPARE(preview->PageNumber(), 1);
    Raport_p->SB_Next_PageClick();
    QCOMPARE(preview->PageNumber(), 2);
    Raport_p->SB_Last_PageClick();
    QCOMPARE(preview->PageNumber(), pages);
    QCOMPARE(preview->PageNumber(), Raport->PageCounter);
    Raport_p->SB_Next_PageClick();
    QCOMPARE(preview->PageNumber(), pages);
    Raport_p->SB_Page_BeforClick();
    QCOMPARE(preview->PageNumber(), pages - 1);
    Raport_p->SB_First_PageClick();
    QCOMPARE(preview->PageNumber(), 1);
    // Creating the report again shows the same count, not a growing one.
    Raport_w->BBtn_CreateClick();
    Raport_p->SB_Last_PageClick();
    QCOMPARE(preview->PageNumber(), pages);
}

void TestReportPreview::htmlViewInAPrivateFolder() {
    CreateReport();
    const QStringList programFolder = FilesIn(Kavrel->ProgramDir);
    Raport_p->SB_HTMLClick();
    QVERIFY(Raport_p->SB_HTML->isChecked());
    QCOMPARE(Raport_p->Panel_Views->currentWidget(), Raport_p->Browser);
    for (QAction *a : Raport_p->QrpControls()) {
        if (a)
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    }
    QVERIFY(!Raport_p->Edit_Zoom->isEnabled());
    const QString folder = Raport_p->TempFolder();
    QVERIFY(!folder.isEmpty());
    QVERIFY(QDir(folder) != QDir(Kavrel->ProgramDir));
    QCOMPARE(FilesIn(folder), QStringList({"Report.htm", "chart0.jpg", "chart1.jpg"}));
    QCOMPARE(FilesIn(Kavrel->ProgramDir), programFolder);
    QCOMPARE(Raport_p->Browser->FileName(), QDir(folder).filePath("Report.htm"));
    const QByteArray page = ReadAll(QDir(folder).filePath("Report.htm"));
    QVERIFY(page.contains("SRC=\"chart0.jpg\""));
    QVERIFY(page.contains("charset=windows-1250"));
    QCOMPARE(QImage(QDir(folder).filePath("chart1.jpg")).size(), QSize(300, 190));
    // Back to the pages.
    Raport_p->SB_QRPClick();
    QVERIFY(Raport_p->SB_First_Page->isEnabled() && Raport_p->Edit_Zoom->isEnabled());
    QCOMPARE(Raport_p->Panel_Views->currentWidget(), Raport_p->QR_Preview);
}

void TestReportPreview::htmlViewShownAgainAsItWas() {
    // A page longer than the view, to be scrolled.
    TReportFixture::MakeProblem(2, 60);
    Raport_w->show();
    TReportFixture::Choose(true, true, true, true, true);
    Raport_w->BBtn_CreateClick();
    QSignalSpy loads(Raport_p->Browser, &TWebBrowser::LoadFinished);
    Raport_p->SB_HTMLClick();
    QVERIFY(loads.wait(30000));
    const QString page = Raport_p->Browser->FileName();
    // A page written again would take the time of its writing.
    const QDateTime written = QDateTime::currentDateTime().addYears(-1);
    {
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
    }
    const bool html = TWebBrowser::ShowsHtml();
    if (html)
        QCOMPARE(RunInPage(QStringLiteral("window.scrollTo(0, 300); window.scrollY")).toInt(), 300);

    // The report unchanged: neither written nor loaded again.
    for (int showing = 2; showing <= 5; ++showing) {
        Raport_p->SB_QRPClick();
        Raport_p->SB_HTMLClick();
        QVERIFY2(Raport_p->Browser->Loaded(), qPrintable(QString::number(showing)));
    }
    QTest::qWait(200);
    QCOMPARE(loads.size(), 1);
    QCOMPARE(QFileInfo(page).lastModified(), written);
    if (html)
        QCOMPARE(RunInPage(QStringLiteral("window.scrollY")).toInt(), 300);

    // A changed report is written and loaded.
    Raport_w->show();
    Raport_w->Edit_Title->setText(QStringLiteral("Another title"));
    Raport_w->BBtn_CreateClick();
    QVERIFY(Raport_p->SB_HTML->isChecked());
    QVERIFY(loads.wait(30000));
    QCOMPARE(loads.size(), 2);
    QVERIFY(ReadAll(page).contains("Another title"));
    if (html)
        QVERIFY(RunInPage(QStringLiteral("document.body.innerText"))
                    .toString()
                    .contains(QStringLiteral("Another title")));

    // Another page and back: the view keeps nothing to go back to.
    const QString other = fixture_->Dir.filePath(QStringLiteral("other.htm"));
    {
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<HTML><BODY>other</BODY></HTML>");
    }
    fixture_->Script.ChooseFile(other, 2);
    Raport_p->SB_Open_ReportClick();
    QVERIFY(loads.wait(30000));
    Raport_p->SB_ToMyReportClick();
    QVERIFY(loads.wait(30000));
    QCOMPARE(loads.size(), 4);
    if (html)
        QCOMPARE(RunInPage(QStringLiteral("history.length")).toInt(), 1);
}

void TestReportPreview::reportWithoutCriteriaWritesNoPictures() {
    CreateReport(false);
    Raport_p->SB_HTMLClick();
    QCOMPARE(FilesIn(Raport_p->TempFolder()), QStringList({"Report.htm"}));
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("june"), 2);
    Raport_p->SB_Save_ReportClick();
    QCOMPARE(FilesIn(fixture_->Dir.path()), QStringList({"june.htm"}));
}

void TestReportPreview::saveAsHtml() {
    CreateReport();
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("june"), 2);
    Raport_p->SB_Save_ReportClick();
    // Asked with the filter of the view; the user picked the HTML one.
    QCOMPARE(fixture_->Script.Dialogs.back().FilterIndex, 1);
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("july.html"), 2);
    Raport_p->SB_Save_ReportClick();
    QCOMPARE(FilesIn(fixture_->Dir.path()), QStringList({"july.html", "july0.jpg", "july1.jpg",
                                                         "june.htm", "june0.jpg", "june1.jpg"}));
    const QByteArray june = ReadAll(fixture_->Dir.filePath("june.htm"));
    const QByteArray july = ReadAll(fixture_->Dir.filePath("july.html"));
    QVERIFY(june.contains("SRC=\"june0.jpg\"") && june.contains("SRC=\"june1.jpg\""));
    QVERIFY(july.contains("SRC=\"july0.jpg\"") && !july.contains("june"));
    QVERIFY(june.contains("Cars &amp; &lt;Bikes&gt;"));
    // The report's own page text keeps "chart".
    QVERIFY(Raport_p->PageLines().join('\n').contains("SRC=\"chart0.jpg\""));
    QImageReader reader(fixture_->Dir.filePath("june1.jpg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.read().size(), QSize(300, 190));
}

void TestReportPreview::saveAsHtmlAsksBeforeReplacing() {
    CreateReport();
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("june.htm"), 2);
    Raport_p->SB_Save_ReportClick();
    QFile::remove(fixture_->Dir.filePath("june.htm"));
    QFile marker(fixture_->Dir.filePath("june.htm"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.write("mine");
    marker.close();
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("june.htm"), 2);
    fixture_->Script.Answer(mrNo, "File " +
                                      QDir::toNativeSeparators(fixture_->Dir.filePath("june.htm")) +
                                      " already exists.\nDo you want to replace it?");
    Raport_p->SB_Save_ReportClick();
    QCOMPARE(ReadAll(fixture_->Dir.filePath("june.htm")), QByteArray("mine"));

    // A saved report over an existing file asks too; a failed write says which file.
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("june.htm"), 1);
    fixture_->Script.Answer(mrNo);
    Raport_p->SB_Save_ReportClick();
    QCOMPARE(ReadAll(fixture_->Dir.filePath("june.htm")), QByteArray("mine"));
    const QString missing = fixture_->Dir.filePath("no/such/folder/r");
    fixture_->Script.ChooseFile(missing, 1);
    fixture_->Script.Answer(mrOk);
    Raport_p->SB_Save_ReportClick();
    QVERIFY(fixture_->Script.Shown.back().Text.startsWith(
        "Can not write " + QDir::toNativeSeparators(missing + ".qrp") + "!"));
    QCOMPARE(fixture_->Script.Shown.back().Type, mtError);
}

void TestReportPreview::saveAndOpenSavedReport() {
    CreateReport();
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("r"), 1);
    Raport_p->SB_Save_ReportClick();
    QCOMPARE(fixture_->Script.Dialogs.back().FilterIndex, 1);
    QCOMPARE(fixture_->Script.Dialogs.back().Title, QStringLiteral("Save report"));
    QVERIFY(QFile::exists(fixture_->Dir.filePath("r.qrp")));
    const TQRPageSet shown = Raport_p->QR_Preview->Pages();

    // A different report is shown; opening the saved one brings back its pages.
    TReportFixture::MakeProblem(1, 0);
    Raport_w->BBtn_CreateClick();
    const int otherPages = Raport_p->QR_Preview->PageCount();
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("r.qrp"));
    Raport_p->SB_Open_ReportClick();
    QCOMPARE(fixture_->Script.Dialogs.back().Title, QStringLiteral("Open results"));
    QVERIFY(Raport_p->LoadedReport);
    QCOMPARE(Raport_p->QR_Preview->PageCount(), shown.PageCount());
    for (int p = 0; p < shown.PageCount(); ++p)
        QCOMPARE(Raport_p->QR_Preview->Pages().Page(p).Texts(), shown.Page(p).Texts());
    QVERIFY(Raport_p->SB_ToMyReport->isEnabled());
    QVERIFY(!Raport_p->SB_Save_Report->isEnabled());
    QVERIFY(!Raport_p->SB_Printer_Setup->isEnabled());
    QVERIFY(Raport_p->SB_QRP->isChecked());
    Raport_p->SB_Last_PageClick();
    QCOMPARE(Raport_p->QR_Preview->PageNumber(), shown.PageCount());

    Raport_p->SB_ToMyReportClick();
    QVERIFY(!Raport_p->LoadedReport);
    QCOMPARE(Raport_p->QR_Preview->PageCount(), otherPages);
    QVERIFY(!Raport_p->SB_ToMyReport->isEnabled());
    QVERIFY(Raport_p->SB_Save_Report->isEnabled());
    QVERIFY(Raport_p->SB_Printer_Setup->isEnabled());
}

void TestReportPreview::brokenSavedReportKeepsTheView_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("odd"); // a TOddFile under the name, or -1 for a report cut short
    QTest::addColumn<QString>("reason");
    QTest::newRow("cut short") << "broken.qrp" << -1 << QString();
    QTest::newRow("FIFO as a saved report")
        << "fifo.qrp" << int(TOddFile::Fifo) << "is not a regular file: it is a FIFO";
    QTest::newRow("FIFO as a page")
        << "fifo.htm" << int(TOddFile::Fifo) << "is not a regular file: it is a FIFO";
    QTest::newRow("folder as a page")
        << "folder.htm" << int(TOddFile::Folder) << "is not a regular file: it is a folder";
}

void TestReportPreview::brokenSavedReportKeepsTheView() {
    QFETCH(QString, name);
    QFETCH(int, odd);
    QFETCH(QString, reason);
    CreateReport();
    const QString path = fixture_->Dir.filePath(name);
    if (odd >= 0) {
        QVERIFY(MakeOddFile(TOddFile(odd), path));
    } else {
        QFile broken(path);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(Raport_p->ReportPages().ToBytes().left(200));
    }
    const int pages = Raport_p->QR_Preview->PageCount();
    fixture_->Script.ChooseFile(path);
    fixture_->Script.Answer(mrOk);
    {
        const TFifoReaderWatchdog watchdog(path);
        Raport_p->SB_Open_ReportClick();
        QVERIFY2(!watchdog.Fired(), "the preview waited in open() for a writer");
    }
    QVERIFY(!fixture_->Script.Shown.isEmpty());
    const QString shown = fixture_->Script.Shown.back().Text;
    QVERIFY2(
        shown.startsWith("Can not open saved report " + QDir::toNativeSeparators(path) + "!\n"),
        qPrintable(shown));
    QVERIFY2(shown.contains(reason), qPrintable(shown));
    // The report shown stays, in its view.
    QVERIFY(!Raport_p->LoadedReport);
    QVERIFY(Raport_p->SB_QRP->isChecked());
    QCOMPARE(Raport_p->QR_Preview->PageCount(), pages);
    QVERIFY(Raport_p->SB_Save_Report->isEnabled());
    QVERIFY(!Raport_p->SB_ToMyReport->isEnabled());
}

void TestReportPreview::openHtmlAndMixedCase() {
    CreateReport();
    const QString mixed = fixture_->Dir.filePath("other.Qrp");
    QFile file(mixed);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<HTML><BODY>other</BODY></HTML>\n");
    file.close();
    fixture_->Script.ChooseFile(mixed);
    Raport_p->SB_Open_ReportClick();
    QVERIFY(!Raport_p->LoadedReport);
    QVERIFY(Raport_p->SB_HTML->isChecked());
    QCOMPARE(Raport_p->Browser->FileName(), mixed);
    QVERIFY(Raport_p->SB_ToMyReport->isEnabled());
    QVERIFY(!Raport_p->SB_Save_Report->isEnabled());
    // Back to the report's own page.
    Raport_p->SB_ToMyReportClick();
    QCOMPARE(Raport_p->Browser->FileName(), QDir(Raport_p->TempFolder()).filePath("Report.htm"));
    QVERIFY(Raport_p->SB_Save_Report->isEnabled());
}

void TestReportPreview::printBothViews() {
    CreateReport();
    const QString pagesPdf = fixture_->Dir.filePath("pages.pdf");
    QPrinter *printer = Raport->QR_Main->Printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pagesPdf);
    fixture_->Script.AnswerPrint(true);
    Raport_p->SB_Print_ReportClick();
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 60000);
    QVERIFY(QFile::exists(pagesPdf));
    const int pages = PdfPages(pagesPdf);
    if (pages >= 0)
        QCOMPARE(pages, Raport_p->QR_Preview->PageCount());

    // The HTML view prints its page (no pointing at a context menu).
    Raport_p->SB_HTMLClick();
    const QString htmlPdf = fixture_->Dir.filePath("html.pdf");
    fixture_->Script.AnswerPrint(true, [&](QPrinter &p) { p.setOutputFileName(htmlPdf); });
    Raport_p->SB_Print_ReportClick();
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 60000);
    QVERIFY(QFile::exists(htmlPdf));
    QVERIFY(PdfPages(htmlPdf) != 0);

    // Printer set-up goes through the report's printer.
    fixture_->Script.SetUpPrinter(false);
    Raport_p->SB_QRPClick();
    Raport_p->SB_Printer_SetupClick();
    QCOMPARE(fixture_->Script.PrinterSetups, 1);
    printer->setOutputFileName(QString());
    printer->setOutputFormat(QPrinter::NativeFormat);
}

void TestReportPreview::goneLeavesTheWizardNoLink() {
    TReportFixture::MakeProblem(1, 0);
    // A later preview takes the link; the earlier one going leaves it be.
    auto *later = new TRaport_p(Kavrel);
    delete Raport_p;
    Raport_p = later;
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    QVERIFY(later->isVisible());
    // The last one going leaves the wizard none to show, and Create still runs.
    later->close();
    delete later;
    QVERIFY(!Raport_p);
    QVERIFY(!Raport_w->ShowPreview);
    Raport_w->show();
    Raport_w->BBtn_CreateClick();
    QVERIFY(!Raport_w->isVisible());
    Raport_p = new TRaport_p(Kavrel);
}

void TestReportPreview::closingCleansOnlyItsOwnFiles() {
    CreateReport();
    Raport_p->SB_HTMLClick();
    const QString folder = Raport_p->TempFolder();
    QFile other(QDir(folder).filePath("someone-else.txt"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    fixture_->Script.ChooseFile(fixture_->Dir.filePath("kept"), 2);
    Raport_p->SB_Save_ReportClick();
    Raport_w->show();
    Raport_p->BBtn_CloseClick();
    QVERIFY(!Raport_p->isVisible());
    QVERIFY(!Raport_w->isVisible());
    QCOMPARE(FilesIn(folder), QStringList({"someone-else.txt"}));
    QCOMPARE(FilesIn(fixture_->Dir.path()), QStringList({"kept.htm", "kept0.jpg", "kept1.jpg"}));
    QVERIFY(!Raport_p->HtmlInUserLocation);
    QFile::remove(other.fileName());
    QDir().rmdir(folder);
}

int main(int argc, char **argv) {
    PrepareWebBrowser();
    TApplication app(argc, argv);
    TestReportPreview test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reportpreview.moc"
