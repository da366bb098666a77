// Printing the report preview on a printer queue of a real CUPS print
// server that the test starts itself: what each job asked the queue for,
// and the sheets it makes (the pages sent times the copies asked for); a
// range from Printer setup; a queue that refuses the print, a server that
// is gone or does not answer.
#include "ModalAnswer.h"
#include "PrintServer.h"
#include "ReportFixture.h"
#include "platform/ChartEditor.h"
#include "platform/PrintQueue.h"
#include "platform/WebBrowser.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <atomic>
#include <thread>

namespace {

TPrintServer *Server = nullptr;

const QString Queue = QString::fromLatin1(TPrintServer::QueueName);

void CreateReport(int alternatives) {
    TReportFixture::MakeProblem(2, alternatives);
    Raport_w->show();
    TReportFixture::Choose(true, true, true, true, true);
    Raport_w->Edit_Title->setText(QStringLiteral("Printed cars"));
    Raport_w->BBtn_CreateClick();
}

// Prints in the view shown and waits (with a watchdog) until it has ended.
void Print() {
    Raport_p->SB_Print_ReportClick();
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 60000);
}

void ShowHtml() {
    Raport_p->SB_HTMLClick();
    QTRY_VERIFY_WITH_TIMEOUT(Raport_p->Browser->Loaded(), 30000);
}

// Answers Qt's own print dialog of the test's next step.
template <typename Act> std::unique_ptr<TModalAnswer> AnswerDialog(Act act) {
    return std::make_unique<TModalAnswer>([act](QWidget *dialog) { act(dialog); }, 20000);
}

// In Qt's print dialog: the options shown, and Print to File (PDF), the
// printers' last entry, into `file`.
void ToFile(QWidget *dialog, const QString &file) {
    for (auto *button : dialog->findChildren<QPushButton *>()) {
        if (button->text().remove(QLatin1Char('&')).startsWith(QStringLiteral("Options")) &&
            button->text().contains(QStringLiteral(">>")))
            button->click();
    }
    auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
    QVERIFY(printers && name);
    printers->setCurrentIndex(printers->count() - 1);
    name->setText(file);
}

} // namespace

class TestPrintQueue : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void copiesMadeOnce_data();
    void copiesMadeOnce();
    void rangeFromPrinterSetup();
    void htmlPrintToFileOffersNoRange();
    void printNotTakenIsSaid_data();
    void printNotTakenIsSaid();
    void serverThatDoesNotAnswer_data();
    void serverThatDoesNotAnswer();
    void chartOnAQueueThatRefuses_data();
    void chartOnAQueueThatRefuses();

private:
    int JobCount() const { return int(Server->Jobs().size()); }
    std::unique_ptr<TPreviewFixture> fixture_;
};

void TestPrintQueue::initTestCase() {
    if (!Server->Installed())
        QSKIP(qPrintable(Server->WhyNot()));
    QVERIFY2(Server->Ready(), qPrintable(Server->WhyNot()));
}

void TestPrintQueue::init() {
    fixture_ = std::make_unique<TPreviewFixture>();
    // A print starts on the default printer, the test's queue.
    QPrinter *printer = Raport->QR_Main->Printer();
    QCOMPARE(printer->printerName(), Queue);
    QVERIFY(PrintsToQueue(*printer));
}

void TestPrintQueue::cleanup() {
    fixture_->Finish();
    fixture_.reset();
    TQueueHandOver::Timeout = 30000;
}

void TestPrintQueue::copiesMadeOnce_data() {
    QTest::addColumn<bool>("html");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("lastFirst");
    QTest::newRow("pages, collated") << false << 2 << true << false;
    QTest::newRow("pages, not collated") << false << 3 << false << false;
    QTest::newRow("pages, last page first") << false << 2 << true << true;
    QTest::newRow("HTML view, collated") << true << 2 << true << false;
    QTest::newRow("HTML view, not collated") << true << 2 << false << false;
    QTest::newRow("HTML view, last page first") << true << 2 << true << true;
}

void TestPrintQueue::copiesMadeOnce() {
    QFETCH(bool, html);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, lastFirst);
    CreateReport(40);
    if (html)
        ShowHtml();
    const int before = JobCount();
    Print();
    QPrinter *printer = Raport->QR_Main->Printer();
    printer->setCopyCount(copies);
    printer->setCollateCopies(collate);
    printer->setPageOrder(lastFirst ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    Print();
    const QList<TPrintedJob> jobs = Server->WaitForJobs(before, 2);
    QCOMPARE(jobs.size(), 2);
    const TPrintedJob &one = jobs[0], &more = jobs[1];
    QVERIFY(one.DocumentPages >= 2);
    QCOMPARE(one.Sheets(), one.DocumentPages);
    // The queue makes the copies from one copy of the pages.
    QCOMPARE(more.DocumentPages, one.DocumentPages);
    QCOMPARE(more.Copies, copies);
    QCOMPARE(more.Sheets(), copies * one.Sheets());
    QCOMPARE(more.Collated(), collate);
    // The last page comes out first: the document's pages in that order,
    // or the queue asked to turn them round, not both.
    const bool turned =
        more.Options.value(QStringLiteral("outputorder")) == QStringLiteral("reverse");
    const bool reversed = TPrintServer::PdfText(more.Document, 1) ==
                          TPrintServer::PdfText(one.Document, one.DocumentPages);
    QVERIFY(TPrintServer::PdfText(one.Document, 1) !=
            TPrintServer::PdfText(one.Document, one.DocumentPages));
    QCOMPARE(turned != reversed, lastFirst);
}

void TestPrintQueue::rangeFromPrinterSetup() {
    CreateReport(40);
    const int pages = Raport_p->QR_Preview->PageCount();
    QVERIFY(pages >= 2);
    fixture_->Script.RealPrintDialogs = true;
    auto chooseRange = AnswerDialog([](QWidget *dialog) {
        auto *range = dialog->findChild<QRadioButton *>(QStringLiteral("printRange"));
        auto *from = dialog->findChild<QSpinBox *>(QStringLiteral("from"));
        auto *to = dialog->findChild<QSpinBox *>(QStringLiteral("to"));
        QVERIFY(range && from && to);
        QVERIFY(range->isEnabled());
        range->setChecked(true);
        from->setValue(2);
        to->setValue(2);
        qobject_cast<QDialog *>(dialog)->accept();
    });
    Raport_p->SB_Printer_SetupClick();
    QVERIFY(chooseRange->Answered());
    // Shown again before a print, Printer setup shows the range chosen.
    auto seeRange = AnswerDialog([](QWidget *dialog) {
        auto *range = dialog->findChild<QRadioButton *>(QStringLiteral("printRange"));
        auto *from = dialog->findChild<QSpinBox *>(QStringLiteral("from"));
        QVERIFY(range && range->isChecked());
        QCOMPARE(from->value(), 2);
        qobject_cast<QDialog *>(dialog)->reject();
    });
    Raport_p->SB_Printer_SetupClick();
    QVERIFY(seeRange->Answered());

    const int before = JobCount();
    Print();
    QList<TPrintedJob> jobs = Server->WaitForJobs(before, 1);
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs[0].Sheets(), 1);

    // The range was the next print's: Printer setup shows every page again,
    // and every later print, the HTML view's too, prints every page.
    auto seeAll = AnswerDialog([](QWidget *dialog) {
        auto *all = dialog->findChild<QRadioButton *>(QStringLiteral("printAll"));
        QVERIFY(all && all->isChecked());
        qobject_cast<QDialog *>(dialog)->reject();
    });
    Raport_p->SB_Printer_SetupClick();
    QVERIFY(seeAll->Answered());
    Print();
    jobs = Server->WaitForJobs(before, 2);
    QCOMPARE(jobs.size(), 2);
    QCOMPARE(jobs[1].Sheets(), pages);
    ShowHtml();
    Print();
    jobs = Server->WaitForJobs(before, 3);
    QCOMPARE(jobs.size(), 3);
    QVERIFY2(!jobs[2].Options.contains(QStringLiteral("page-ranges")),
             qPrintable(jobs[2].Options.value(QStringLiteral("page-ranges"))));
    QVERIFY(jobs[2].Sheets() >= 2);
}

void TestPrintQueue::htmlPrintToFileOffersNoRange() {
    // Printer setup chose a file and a range; the browser's print into a
    // file cannot leave pages out, so its print dialog offers no range and
    // the file holds every page.
    CreateReport(40);
    const QString pdf = fixture_->Dir.filePath(QStringLiteral("page.pdf"));
    fixture_->Script.RealPrintDialogs = true;
    auto setUp = AnswerDialog([&](QWidget *dialog) {
        ToFile(dialog, pdf);
        auto *range = dialog->findChild<QRadioButton *>(QStringLiteral("printRange"));
        auto *from = dialog->findChild<QSpinBox *>(QStringLiteral("from"));
        auto *to = dialog->findChild<QSpinBox *>(QStringLiteral("to"));
        QVERIFY(range && from && to);
        range->setChecked(true);
        from->setValue(2);
        to->setValue(2);
        qobject_cast<QDialog *>(dialog)->accept();
    });
    Raport_p->SB_Printer_SetupClick();
    QVERIFY(setUp->Answered());
    ShowHtml();
    bool rangeShown = true;
    auto print = AnswerDialog([&](QWidget *dialog) {
        ToFile(dialog, pdf);
        auto *range = dialog->findChild<QWidget *>(QStringLiteral("gbPrintRange"));
        rangeShown = range && range->isVisibleTo(dialog);
        qobject_cast<QDialog *>(dialog)->accept();
    });
    Print();
    QVERIFY(print->Answered());
    QVERIFY(!rangeShown);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pdf), 10000);
    QVERIFY(TPrintServer::PdfPages(pdf) >= 2);
}

void TestPrintQueue::printNotTakenIsSaid_data() {
    QTest::addColumn<bool>("html");
    QTest::addColumn<bool>("serverGone");
    QTest::newRow("pages, the queue refuses") << false << false;
    QTest::newRow("HTML view, the queue refuses") << true << false;
    QTest::newRow("pages, the server is gone") << false << true;
    QTest::newRow("HTML view, the server is gone") << true << true;
}

void TestPrintQueue::printNotTakenIsSaid() {
    QFETCH(bool, html);
    QFETCH(bool, serverGone);
    CreateReport(3);
    if (html)
        ShowHtml();
    const int before = JobCount();
    const qsizetype shown = fixture_->Script.Shown.size();
    if (serverGone)
        Server->StopScheduler();
    else
        QVERIFY(Server->Accept(false));
    fixture_->Script.Answer(mrOk);
    Print();
    const QString said =
        fixture_->Script.Shown.isEmpty() ? QString() : fixture_->Script.Shown.last().Text;
    if (serverGone)
        QVERIFY(Server->StartScheduler());
    else
        QVERIFY(Server->Accept(true));
    QCOMPARE(fixture_->Script.Shown.size(), shown + 1);
    // The queue's name and why CUPS did not take it.
    QVERIFY2(said.startsWith(QStringLiteral("Can not print on printer \"%1\".\n").arg(Queue)),
             qPrintable(said));
    QVERIFY2(said.section(QLatin1Char('\n'), 1).trimmed().size() > 5, qPrintable(said));
    QCOMPARE(JobCount(), before);
}

void TestPrintQueue::serverThatDoesNotAnswer_data() {
    QTest::addColumn<bool>("html");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("pages") << false << false;
    QTest::newRow("HTML view") << true << false;
    QTest::newRow("pages, cancelled") << false << true;
}

void TestPrintQueue::serverThatDoesNotAnswer() {
    QFETCH(bool, html);
    QFETCH(bool, cancel);
    CreateReport(3);
    if (html)
        ShowHtml();
    TQueueHandOver::Timeout = 2000;
    Server->Freeze(true);
    // Whatever the program does, the server goes on after a while, so
    // that nothing waits for it for ever.
    std::atomic<bool> thawed{false};
    std::thread thaw([&] {
        for (int i = 0; i < 200 && !thawed; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Server->Freeze(false);
    });
    if (!cancel)
        fixture_->Script.Answer(mrOk);
    const qsizetype shown = fixture_->Script.Shown.size();
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QElapsedTimer clock;
    clock.start();
    Raport_p->SB_Print_ReportClick();
    const qint64 returned = clock.elapsed();
    qint64 cancelled = 0;
    if (cancel) {
        // Cancel while the print is being handed over: it ends at once.
        QTRY_VERIFY_WITH_TIMEOUT(Raport_p->PrintProgress() &&
                                     Raport_p->PrintProgress()->labelText().startsWith(
                                         QStringLiteral("Sending the print to printer")),
                                 10000);
        cancelled = clock.elapsed();
        emit Raport_p->PrintProgress()->canceled();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!Raport_p->Printing(), 30000);
    const qint64 ended = clock.elapsed();
    thawed = true;
    thaw.join();
    Server->Freeze(false);
    // Print returned at once, the window answered, and the print failed
    // within its time with the queue's name.
    QVERIFY2(returned < 1500, qPrintable(QString::number(returned)));
    QVERIFY2(ended < 10000, qPrintable(QString::number(ended)));
    if (cancel) {
        QVERIFY2(ended - cancelled < 1000, qPrintable(QString::number(ended - cancelled)));
        QCOMPARE(fixture_->Script.Shown.size(), shown);
        return;
    }
    QVERIFY(ticks > 10);
    QCOMPARE(fixture_->Script.Shown.size(), shown + 1);
    const QString said = fixture_->Script.Shown.last().Text;
    QVERIFY2(said.contains(QStringLiteral("\"%1\"").arg(Queue)) &&
                 said.contains(QStringLiteral("did not answer")),
             qPrintable(said));
}

void TestPrintQueue::chartOnAQueueThatRefuses_data() {
    QTest::addColumn<bool>("refuses");
    QTest::newRow("the queue takes it") << false;
    QTest::newRow("the queue refuses") << true;
}

void TestPrintQueue::chartOnAQueueThatRefuses() {
    // A chart window's Print: the preview's print button, its print dialog
    // on the queue.
    QFETCH(bool, refuses);
    TChart chart;
    TChartPreviewer previewer;
    previewer.Chart = &chart;
    previewer.Title = QStringLiteral("c1");
    const int before = JobCount();
    const qsizetype shown = fixture_->Script.Shown.size();
    if (refuses) {
        QVERIFY(Server->Accept(false));
        fixture_->Script.Answer(mrOk);
    }
    std::unique_ptr<TModalAnswer> printDialog;
    auto preview = AnswerDialog([&](QWidget *dialog) {
        QAction *print = nullptr;
        for (QAction *action : dialog->findChildren<QAction *>()) {
            if (action->text().remove(QLatin1Char('&')) == QStringLiteral("Print"))
                print = action;
        }
        QVERIFY(print);
        printDialog = AnswerDialog([](QWidget *printer) {
            auto *printers = printer->findChild<QComboBox *>(QStringLiteral("printers"));
            QVERIFY(printers && printers->currentText() == Queue);
            qobject_cast<QDialog *>(printer)->accept();
        });
        print->trigger();
        if (dialog->isVisible())
            qobject_cast<QDialog *>(dialog)->reject();
    });
    previewer.Execute();
    if (refuses)
        QVERIFY(Server->Accept(true));
    QVERIFY(preview->Answered());
    QVERIFY(printDialog && printDialog->Answered());
    if (refuses) {
        QCOMPARE(fixture_->Script.Shown.size(), shown + 1);
        const QString said = fixture_->Script.Shown.last().Text;
        QVERIFY2(said.startsWith(QStringLiteral("Can not print on printer \"%1\".\n").arg(Queue)),
                 qPrintable(said));
        QCOMPARE(JobCount(), before);
    } else {
        QCOMPARE(fixture_->Script.Shown.size(), shown);
        const QList<TPrintedJob> jobs = Server->WaitForJobs(before, 1);
        QCOMPARE(jobs.size(), 1);
        QCOMPARE(jobs[0].Sheets(), 1);
    }
}

int main(int argc, char **argv) {
    PrepareWebBrowser();
    TApplication app(argc, argv);
    // Before anything asks Qt about printers.
    TPrintServer server;
    Server = &server;
    TestPrintQueue test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printqueue.moc"
