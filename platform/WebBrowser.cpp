#include "platform/WebBrowser.h"

#include "platform/Application.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
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
};

bool TWebBrowser::ShowsHtml() {
    return true;
}

TWebBrowser::TWebBrowser(QWidget *parent) : QWidget(parent), impl_(new Impl) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    impl_->view = new QWebEngineView(this);
    // The page's own context menu is not needed: printing is the preview's command.
    impl_->view->setContextMenuPolicy(Qt::NoContextMenu);
    layout->addWidget(impl_->view);
    connect(impl_->view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        loaded_ = true;
        emit LoadFinished(ok);
    });
}

TWebBrowser::~TWebBrowser() {
    delete impl_;
}

bool TWebBrowser::Navigate(const QString &fileName) {
    if (!QFileInfo(fileName).isReadable())
        return false;
    fileName_ = fileName;
    loaded_ = false;
    impl_->view->setUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    return true;
}

bool TWebBrowser::Print(QPrinter &printer, QString *error) {
    if (fileName_.isEmpty()) {
        if (error)
            *error = QStringLiteral("There is no page to print.");
        return false;
    }
    // The page must be loaded before it prints; both steps report by signal.
    bool timedOut = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [&timedOut] { timedOut = true; });
    watchdog.start(60000);
    TApplication::WaitUntil([&] { return loaded_ || timedOut; });
    bool finished = false, ok = false;
    auto connection = connect(impl_->view, &QWebEngineView::printFinished, this, [&](bool success) {
        finished = true;
        ok = success;
    });
    if (!timedOut) {
        impl_->view->print(&printer);
        TApplication::WaitUntil([&] { return finished || timedOut; });
    }
    disconnect(connection);
    if (!ok && error) {
        *error = printer.outputFileName().isEmpty()
                     ? QStringLiteral("Can not print on printer \"%1\".").arg(printer.printerName())
                     : QStringLiteral("Can not write %1.").arg(printer.outputFileName());
    }
    return ok;
}

void TWebBrowser::RunJavaScript(const QString &script, std::function<void(const QVariant &)> done) {
    impl_->view->page()->runJavaScript(script, std::move(done));
}

#else

// Without the browser engine: the page's text, as it stands in the file.
class TWebBrowser::Impl {
public:
    QPlainTextEdit *view;
};

bool TWebBrowser::ShowsHtml() {
    return false;
}

TWebBrowser::TWebBrowser(QWidget *parent) : QWidget(parent), impl_(new Impl) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    impl_->view = new QPlainTextEdit(this);
    impl_->view->setReadOnly(true);
    layout->addWidget(impl_->view);
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

bool TWebBrowser::Print(QPrinter &printer, QString *error) {
    if (fileName_.isEmpty()) {
        if (error)
            *error = QStringLiteral("There is no page to print.");
        return false;
    }
    impl_->view->document()->print(&printer);
    if (printer.printerState() == QPrinter::Error) {
        if (error)
            *error = QStringLiteral("Can not print on printer \"%1\".").arg(printer.printerName());
        return false;
    }
    return true;
}

void TWebBrowser::RunJavaScript(const QString &, std::function<void(const QVariant &)> done) {
    QTimer::singleShot(0, this, [done = std::move(done)] { done(QVariant()); });
}

#endif
