// The browser view shows an HTML file and prints it (one smoke test: what the
// page looks like is the browser engine's business).
#include "platform/WebBrowser.h"

#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestWebBrowser : public QObject {
    Q_OBJECT
private slots:
    void showsAndPrintsAPage();
};

void TestWebBrowser::showsAndPrintsAPage() {
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("page.htm"));
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<HTML><HEAD><meta http-equiv=\"content-type\" content=\"text/html; "
               "charset=windows-1250\"></HEAD><BODY>"
               "<div STYLE=\"position:absolute; left:50px; top:80px\"><p>Smoke "
               "\x8a\xe8\xf8</p></div></BODY></HTML>\n");
    file.close();

    TWebBrowser browser;
    browser.resize(600, 400);
    browser.show();
    QVERIFY(!browser.Navigate(dir.filePath(QStringLiteral("missing.htm"))));
    QSignalSpy loaded(&browser, &TWebBrowser::LoadFinished);
    QVERIFY(browser.Navigate(page));
    // The page is blank until it has loaded: its progress shows meanwhile
    // (text shows at once).
    QCOMPARE(browser.LoadProgressBar()->isVisible(), TWebBrowser::ShowsHtml());
    QVERIFY(loaded.wait(30000));
    QVERIFY(loaded.first().first().toBool());
    QVERIFY(browser.Loaded());
    QVERIFY(!browser.LoadProgressBar()->isVisible());

    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    // The print runs without waiting for it; its end comes by signal.
    QSignalSpy printed(&browser, &TWebBrowser::PrintFinished);
    QString error;
    QVERIFY2(browser.StartPrint(printer, &error), qPrintable(error));
    QVERIFY(browser.Printing());
    QVERIFY(!browser.StartPrint(printer, &error));
    QCOMPARE(error, QStringLiteral("The page is being printed."));
    QVERIFY(printed.wait(60000));
    QVERIFY2(printed.first().first().value<TWebBrowser::PrintEnd>() ==
                 TWebBrowser::PrintEnd::Printed,
             qPrintable(printed.first().at(1).toString()));
    QVERIFY(!browser.Printing());
    // The engine prints the page as a picture: the PDF holds one page.
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdfinfo.isEmpty())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    QProcess process;
    process.start(pdfinfo, {pdf});
    QVERIFY(process.waitForFinished(20000));
    const QString info = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
}

int main(int argc, char **argv) {
    PrepareWebBrowser();
    QApplication app(argc, argv);
    TestWebBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_webbrowser.moc"
