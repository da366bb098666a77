#include "platform/WebBrowser.h"

#include "platform/Printing.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <unistd.h>

#if VR_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>
#else
#include <QPlainTextEdit>
#include <QTextDocument>
#endif

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
    // The printer of a print given up on, kept until the engine ends it: the
    // engine goes on painting on it meanwhile.
    std::unique_ptr<QPrinter> givenUp;
};

bool TWebBrowser::ShowsHtml() {
    return true;
}

TWebBrowser::TWebBrowser(QWidget *parent)
    : QWidget(parent), impl_(new Impl), printWatchdog_(new QTimer(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    impl_->view = new QWebEngineView(this);
    // The page's own context menu is not needed: printing is the preview's command.
    impl_->view->setContextMenuPolicy(Qt::NoContextMenu);
    layout->addWidget(impl_->view);
    connect(impl_->view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        loaded_ = true;
        emit LoadFinished(ok);
        if (printer_ && !impl_->printStarted)
            PrintLoadedPage();
    });
    connect(impl_->view, &QWebEngineView::printFinished, this, [this](bool ok) {
        if (impl_->givenUp)
            impl_->givenUp.reset();
        else if (impl_->printStarted)
            FinishPrint(ok);
    });
    SetUpPrintWatchdog();
}

TWebBrowser::~TWebBrowser() {
    // A printer the engine still paints on must outlive this view: it is let go.
    if (impl_->printStarted)
        (void)printer_.release();
    (void)impl_->givenUp.release();
    delete impl_;
}

void TWebBrowser::GiveUpPrint() {
    impl_->givenUp = std::move(printer_);
}

bool TWebBrowser::Navigate(const QString &fileName) {
    if (!QFileInfo(fileName).isReadable())
        return false;
    fileName_ = fileName;
    loaded_ = false;
    impl_->view->setUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    return true;
}

void TWebBrowser::PrintLoadedPage() {
    impl_->printStarted = true;
    // The engine lays the page out and reports the end by printFinished.
    impl_->view->print(printer_.get());
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
    : QWidget(parent), impl_(new Impl), printWatchdog_(new QTimer(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    impl_->view = new QPlainTextEdit(this);
    impl_->view->setReadOnly(true);
    layout->addWidget(impl_->view);
    SetUpPrintWatchdog();
}

TWebBrowser::~TWebBrowser() {
    delete impl_;
}

bool TWebBrowser::Navigate(const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    fileName_ = fileName;
    impl_->view->setPlainText(QString::fromLatin1(file.readAll()));
    loaded_ = true;
    QTimer::singleShot(0, this, [this] { emit LoadFinished(true); });
    return true;
}

void TWebBrowser::GiveUpPrint() {
    // The text printed at once: nothing still uses the printer.
}

void TWebBrowser::PrintLoadedPage() {
    impl_->printStarted = true;
    // The text prints at once; its end is reported later, as the engine's is.
    impl_->view->document()->print(printer_.get());
    const bool ok = printer_->printerState() != QPrinter::Error;
    QTimer::singleShot(0, this, [this, ok] { FinishPrint(ok); });
}

void TWebBrowser::RunJavaScript(const QString &, std::function<void(const QVariant &)> done) {
    QTimer::singleShot(0, this, [done = std::move(done)] { done(QVariant()); });
}

#endif

// ---- Printing --------------------------------------------------------------

void TWebBrowser::SetUpPrintWatchdog() {
    // A page that never loads or never prints must not keep the print running.
    printWatchdog_->setSingleShot(true);
    printWatchdog_->setInterval(60000);
    connect(printWatchdog_, &QTimer::timeout, this, [this] {
        FinishPrint(false, loaded_ ? QStringLiteral("The page did not print in time.")
                                   : QStringLiteral("The page did not load in time."));
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
    printer_ = CopyOfPrinter(printer, std::min(printer.resolution(), PrintResolution));
    printWatchdog_->start();
    if (loaded_)
        PrintLoadedPage();
    return true;
}

void TWebBrowser::FinishPrint(bool ok, const QString &why) {
    if (!printer_)
        return;
    QString error;
    if (!ok && !why.isEmpty())
        error = why;
    else if (!ok && printer_->outputFileName().isEmpty())
        error = QStringLiteral("Can not print on printer \"%1\".").arg(printer_->printerName());
    else if (!ok)
        error = QStringLiteral("Can not write %1.").arg(printer_->outputFileName());
    printWatchdog_->stop();
    // Given up before the engine ended it, the print keeps its printer.
    if (impl_->printStarted && !why.isEmpty())
        GiveUpPrint();
    printer_.reset();
    impl_->printStarted = false;
    emit PrintFinished(ok, error);
}
