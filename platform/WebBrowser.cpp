#include "platform/WebBrowser.h"

#include "model/ReadFile.h"
#include "model/SaveFile.h"
#include "platform/PrintQueue.h"
#include "platform/Printing.h"

#include <cmath>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPageRanges>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <unistd.h>

#if VR_WEBENGINE
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#else
#include <QPlainTextEdit>
#include <QTextDocument>
#endif

namespace {
QProgressBar *MakeLoadBar(QWidget *parent) {
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(QStringLiteral("LoadProgress"));
    bar->setRange(0, 100);
    bar->setFormat(QStringLiteral("Loading the page... %p%"));
    bar->setVisible(false);
    return bar;
}
} // namespace

void PrepareWebBrowser() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine's sandbox refuses to run as root.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

#if VR_WEBENGINE

class TWebBrowser::Impl {
public:
    QWebEngineView *view;
    bool printStarted = false; // the engine has the print
};

bool TWebBrowser::ShowsHtml() {
    return true;
}

TWebBrowser::TWebBrowser(QWidget *parent)
    : QWidget(parent), impl_(new Impl), printWatchdog_(new QTimer(this)),
      loadBar_(MakeLoadBar(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(loadBar_);
    impl_->view = new QWebEngineView(this);
    // The page's own context menu is not needed: printing is the preview's command.
    impl_->view->setContextMenuPolicy(Qt::NoContextMenu);
    layout->addWidget(impl_->view);
    connect(impl_->view, &QWebEngineView::loadProgress, this, [this](int percent) {
        loadBar_->setValue(percent);
        loadBar_->setVisible(!loaded_ && percent < 100);
        emit LoadProgress(percent);
    });
    // A page shown again is read from its file, and one shown before it is
    // not kept for going back: a long report's page holds hundreds of
    // megabytes in the page process.
    impl_->view->page()->profile()->setHttpCacheType(QWebEngineProfile::NoCache);
    connect(impl_->view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        impl_->view->history()->clear();
        loaded_ = true;
        loadBar_->setVisible(false);
        emit LoadFinished(ok);
        if (Printing() && !impl_->printStarted)
            MeasureThenPrint();
    });
    connect(impl_->view, &QWebEngineView::renderProcessTerminated, this,
            &TWebBrowser::PageProcessEnded);
    SetUpPrintWatchdog();
}

TWebBrowser::~TWebBrowser() {
    alive_.reset();
    handOver_.reset();
    delete impl_;
}

bool TWebBrowser::Navigate(const QString &fileName) {
    // The engine would wait on a FIFO for good and show a device without end.
    if (!CheckReadFile(fileName).isEmpty() || !QFileInfo(fileName).isReadable())
        return false;
    fileName_ = fileName;
    loaded_ = false;
    loadBar_->setValue(0);
    loadBar_->setVisible(true);
    impl_->view->setUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    return true;
}

void TWebBrowser::MeasureThenPrint() {
    // The answer comes while the print waits; a print ended meanwhile ignores it.
    impl_->view->page()->runJavaScript(
        QStringLiteral("Math.max(document.documentElement.scrollHeight, "
                       "document.body ? document.body.scrollHeight : 0)"),
        [this, serial = printSerial_](const QVariant &height) {
            if (Printing() && serial == printSerial_ && !impl_->printStarted)
                PrintLoadedPage(height.toDouble());
        });
}

void TWebBrowser::PrintLoadedPage(double pageHeight) {
    if (cancelled_) {
        FinishPrint(PrintEnd::Cancelled);
        return;
    }
    // The page's height in CSS pixels (96 an inch) over a sheet's printable height.
    const double sheet = printLayout_.paintRect(QPageLayout::Inch).height() * 96;
    const int sheets = sheet > 0 ? int(std::ceil(pageHeight / sheet)) : 0;
    if (sheets > MaxPrintSheets) {
        FinishPrint(PrintEnd::TooLong,
                    QStringLiteral("The HTML page is too long to print from the HTML view "
                                   "(about %1 sheets; at most %2 print here).")
                        .arg(sheets)
                        .arg(MaxPrintSheets));
        return;
    }
    impl_->printStarted = true;
    printWatchdog_->stop();
    // The chosen pages once; a queue makes the copies, a file gets them
    // when the PDF is written.
    const std::weak_ptr<bool> alive = alive_;
    impl_->view->page()->printToPdf(
        [this, alive, serial = printSerial_](const QByteArray &pdf) {
            if (alive.lock())
                PdfMade(serial, pdf);
        },
        printLayout_, printPages_);
}

void TWebBrowser::CancelPrint() {
    if (!Printing() || cancelled_)
        return;
    cancelled_ = true;
    if (handOver_) {
        handOver_->Cancel(); // it ends at once; its end is polled
        return;
    }
    if (!impl_->printStarted) {
        // Nothing reached the engine yet; a measure under way ends it.
        if (!loaded_)
            FinishPrint(PrintEnd::Cancelled);
        return;
    }
    // The engine is not stopped: the print ends when its PDF is made, and
    // the PDF is dropped.
    printWatchdog_->start(CancelWait);
}

void TWebBrowser::PageProcessEnded() {
    // The page's process ended (out of memory, say): the program goes on, a
    // print fails, and the page is shown again.
    loaded_ = false;
    if (Printing()) {
        FinishPrint(PrintEnd::Failed,
                    QStringLiteral("The browser's page process ended while printing: nothing "
                                   "was printed. The QRP view prints the same report."));
    }
    impl_->view->reload();
}

void TWebBrowser::RunJavaScript(const QString &script, std::function<void(const QVariant &)> done) {
    impl_->view->page()->runJavaScript(script, std::move(done));
}

#else

// Without the browser engine: the page's text, as it stands in the file.
class TWebBrowser::Impl {
public:
    QPlainTextEdit *view;
    bool printStarted = false;
};

bool TWebBrowser::ShowsHtml() {
    return false;
}

TWebBrowser::TWebBrowser(QWidget *parent)
    : QWidget(parent), impl_(new Impl), printWatchdog_(new QTimer(this)),
      loadBar_(MakeLoadBar(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(loadBar_);
    impl_->view = new QPlainTextEdit(this);
    impl_->view->setReadOnly(true);
    layout->addWidget(impl_->view);
    SetUpPrintWatchdog();
}

TWebBrowser::~TWebBrowser() {
    delete impl_;
}

bool TWebBrowser::Navigate(const QString &fileName) {
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(fileName, bytes, error))
        return false;
    fileName_ = fileName;
    impl_->view->setPlainText(QString::fromLatin1(bytes));
    loaded_ = true;
    QTimer::singleShot(0, this, [this] { emit LoadFinished(true); });
    return true;
}

void TWebBrowser::MeasureThenPrint() {
    QTimer::singleShot(0, this, [this] {
        if (Printing() && !impl_->printStarted)
            PrintLoadedPage(0);
    });
}

void TWebBrowser::PrintLoadedPage(double) {
    if (cancelled_) {
        FinishPrint(PrintEnd::Cancelled);
        return;
    }
    impl_->printStarted = true;
    printWatchdog_->stop();
    // The text prints at once; its end is reported later, as the engine's is.
    bool ok = true;
    if (textWriter_) {
        impl_->view->document()->print(textWriter_.get());
        textWriter_.reset();
    } else {
        impl_->view->document()->print(printer_.get());
        ok = printer_->printerState() != QPrinter::Error;
    }
    QTimer::singleShot(0, this, [this, ok] { TextPrinted(ok); });
}

void TWebBrowser::CancelPrint() {
    if (Printing())
        cancelled_ = true;
    if (handOver_)
        handOver_->Cancel();
}

void TWebBrowser::TextPrinted(bool ok) {
    if (impl_->printStarted && queueJob_ && ok && !cancelled_)
        StartHandOver();
    else if (impl_->printStarted)
        FinishPrint(cancelled_ ? PrintEnd::Cancelled : ok ? PrintEnd::Printed : PrintEnd::Failed);
}

void TWebBrowser::PageProcessEnded() {}

void TWebBrowser::RunJavaScript(const QString &, std::function<void(const QVariant &)> done) {
    QTimer::singleShot(0, this, [done = std::move(done)] { done(QVariant()); });
}

#endif

// ---- Printing --------------------------------------------------------------

void TWebBrowser::SetUpPrintWatchdog() {
    // A page that never loads, or an engine that never ends a cancelled
    // print, must not keep the print running.
    printWatchdog_->setSingleShot(true);
    handOverPoll_ = new QTimer(this);
    handOverPoll_->setInterval(50);
    connect(handOverPoll_, &QTimer::timeout, this, &TWebBrowser::HandOverEnded);
    connect(printWatchdog_, &QTimer::timeout, this, [this] {
        if (cancelled_)
            FinishPrint(PrintEnd::Cancelled);
        else
            FinishPrint(PrintEnd::Failed, QStringLiteral("The page did not load in time."));
    });
}

bool TWebBrowser::StartPrint(const QPrinter &printer, QString *error) {
    QString why;
    if (fileName_.isEmpty())
        why = QStringLiteral("There is no page to print.");
    else if (Printing())
        why = QStringLiteral("The page is being printed.");
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    cancelled_ = false;
    ++printSerial_;
    if (PrintsToQueue(printer)) {
        queueDir_ = std::make_unique<QTemporaryDir>();
        if (!queueDir_->isValid()) {
            queueDir_.reset();
            if (error)
                *error = CannotPrint(printer.printerName(), QString()) +
                         QStringLiteral("\nThere is no room for the print's temporary file.");
            return false;
        }
        queueJob_ = std::make_unique<TQueueJob>(
            QueueJobFor(printer, queueDir_->filePath(QStringLiteral("print.pdf"))));
        // The page is written for the queue as a PDF file of one copy of
        // the pages chosen, with no printer: making one asks the print
        // server, which may not answer, and the window would wait for it.
        printLayout_ = printer.pageLayout();
        printPages_ =
            printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
        if (!ShowsHtml())
            textWriter_ = PdfWriterFor(printer, queueJob_->File,
                                       std::min(printer.resolution(), PrintResolution));
    } else {
        printer_ = CopyOfPrinter(printer, std::min(printer.resolution(), PrintResolution));
        // The page prints whole: the dialog offers no page range.
        printer_->setPrintRange(QPrinter::AllPages);
        printer_->setPageRanges(QPageRanges());
        file_ = std::make_unique<TPrintFile>(*printer_);
        // Said at once, not after the page was made for nothing.
        if (const QString refused = file_->Refused(); !refused.isEmpty()) {
            file_.reset();
            printer_.reset();
            if (error)
                *error = refused;
            return false;
        }
        printLayout_ = printer_->pageLayout();
        printPages_ = QPageRanges();
    }
    if (loaded_)
        MeasureThenPrint();
    else
        printWatchdog_->start(LoadWait);
    return true;
}

void TWebBrowser::FinishPrint(PrintEnd end, const QString &why) {
    if (!Printing())
        return;
    QString error = why;
    if (end == PrintEnd::Printed && file_ && !file_->Commit(&error))
        end = PrintEnd::Failed;
    else if (end == PrintEnd::Failed && error.isEmpty())
        error = CannotPrintHere();
    printWatchdog_->stop();
    handOverPoll_->stop();
    handOver_.reset();
    textWriter_.reset();
    queueJob_.reset();
    queueDir_.reset();
    printer_.reset();
    file_.reset();
    impl_->printStarted = false;
    cancelled_ = false;
    emit PrintFinished(end, error);
}

QString TWebBrowser::CannotPrintHere() const {
    return queueJob_ ? CannotPrint(queueJob_->Queue, QString())
                     : CannotPrint(printer_->printerName(), file_->Target());
}

void TWebBrowser::PdfMade(int serial, const QByteArray &pdf) {
    if (!Printing() || serial != printSerial_ || handOver_)
        return;
    if (cancelled_) {
        FinishPrint(PrintEnd::Cancelled);
        return;
    }
    if (pdf.isEmpty()) {
        FinishPrint(PrintEnd::Failed,
                    QStringLiteral("The browser could not make the page for printing: nothing "
                                   "was printed. The QRP view prints the same report."));
        return;
    }
    // A file gets the copies and the order of its sheets here.
    const QByteArray sheets = queueJob_ ? pdf : PrintedSheetsPdf(*printer_, pdf);
    QString why;
    if (sheets.isEmpty())
        FinishPrint(PrintEnd::Failed);
    else if (!WriteFileAsItIs(queueJob_ ? queueJob_->File : printer_->outputFileName(), sheets,
                              &why))
        FinishPrint(PrintEnd::Failed, CannotPrintHere() + QLatin1Char('\n') + why);
    else if (queueJob_)
        StartHandOver();
    else
        FinishPrint(PrintEnd::Printed);
}

void TWebBrowser::StartHandOver() {
    // The pages chosen are in the file already.
    queueJob_->Pages = QPageRanges();
    printWatchdog_->stop();
    handOver_ = std::make_unique<TQueueHandOver>(*queueJob_);
    handOverPoll_->start();
}

void TWebBrowser::HandOverEnded() {
    if (!handOver_ || !handOver_->Ended())
        return;
    if (handOver_->Cancelled())
        FinishPrint(PrintEnd::Cancelled);
    else if (handOver_->Succeeded())
        FinishPrint(PrintEnd::Printed);
    else
        FinishPrint(PrintEnd::Failed, handOver_->Error());
}
