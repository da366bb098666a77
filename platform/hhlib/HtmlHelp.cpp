#include "platform/hhlib/HtmlHelp.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>
#include <QResource>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <dlfcn.h>

extern "C" __attribute__((visibility("default"))) void *
HtmlHelpShow(void *owner, const char *topicPath, unsigned int command, unsigned long data);

namespace {

// The window and the registered archives live until the library is unloaded;
// the window must go first, since its connections run code of this library.
struct HelpState {
    QPointer<QWidget> Window;
    QTextBrowser *Browser = nullptr;
    QStringList Archives;
    QMetaObject::Connection OwnerHidden;

    ~HelpState() {
        if (!QCoreApplication::instance())
            return;
        delete Window.data();
        for (const QString &archive : Archives)
            QResource::unregisterResource(archive,
                                          QLatin1Char('/') + QFileInfo(archive).fileName());
    }
};

HelpState &State() {
    static HelpState state;
    return state;
}

QString LibraryFolder() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&HtmlHelpShow), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QCoreApplication::applicationDirPath();
}

void FollowModalWindow(QWidget *window);

// A modal window opened while the help is already open blocks it too: the help
// window then joins that window's family as well.
class TFollowWhenBlocked : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::WindowBlocked) {
            auto *window = static_cast<QWidget *>(watched);
            QTimer::singleShot(0, window, [window] { FollowModalWindow(window); });
        }
        return false;
    }
};

QWidget *HelpWindow() {
    HelpState &state = State();
    if (state.Window)
        return state.Window;
    auto *window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(QStringLiteral("HelpWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(720, 540);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new QToolBar(window);
    auto *browser = new QTextBrowser(window);
    browser->setObjectName(QStringLiteral("HelpBrowser"));
    browser->setOpenExternalLinks(true);
    browser->document()->setDocumentMargin(10);
    QAction *back = bar->addAction(QObject::tr("Back"), browser, &QTextBrowser::backward);
    QAction *forward = bar->addAction(QObject::tr("Forward"), browser, &QTextBrowser::forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    QObject::connect(browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    QObject::connect(browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    QObject::connect(browser, &QTextBrowser::sourceChanged, window, [window, browser] {
        const QString title = browser->documentTitle();
        window->setWindowTitle(title.isEmpty() ? QObject::tr("Help") : title);
    });
    layout->addWidget(bar);
    layout->addWidget(browser);
    window->installEventFilter(new TFollowWhenBlocked(window));
    state.Window = window;
    state.Browser = browser;
    return window;
}

// A modal window blocks every window outside its own family, so the help window
// joins the family of the modal window that is open (the one the help was asked
// from) and stays usable beside it. When that window goes, the help window
// follows the modal window still open, or none.
void FollowModalWindow(QWidget *window) {
    HelpState &state = State();
    QObject::disconnect(state.OwnerHidden);
    window->winId();
    QWindow *handle = window->windowHandle();
    if (!handle)
        return;
    const QWidget *modal = QApplication::activeModalWidget();
    QWindow *owner = modal && modal != window ? modal->windowHandle() : nullptr;
    handle->setTransientParent(owner);
    if (!owner)
        return;
    state.OwnerHidden =
        QObject::connect(owner, &QWindow::visibleChanged, window, [window](bool visible) {
            // Once the modal window has let go; the next one may not be known yet.
            if (!visible)
                QTimer::singleShot(0, window, [window] { FollowModalWindow(window); });
        });
}

// Registers the archive under ":/<its file name>" once; false when it cannot be read.
bool RegisterArchive(const QString &archive) {
    HelpState &state = State();
    if (state.Archives.contains(archive))
        return true;
    if (!QResource::registerResource(archive, QLatin1Char('/') + QFileInfo(archive).fileName()))
        return false;
    state.Archives << archive;
    return true;
}

void ShowText(const QString &title, const QString &text) {
    QTextBrowser *browser = State().Browser;
    browser->clear();
    browser->setHtml(QStringLiteral("<html><head><title>%1</title></head><body><p>%2</p></body>"
                                    "</html>")
                         .arg(title.toHtmlEscaped(), text.toHtmlEscaped()));
    browser->window()->setWindowTitle(title);
}

} // namespace

void *HtmlHelpShow(void *, const char *topicPath, unsigned int command, unsigned long) {
    if (command != 0 || !topicPath || !QCoreApplication::instance())
        return nullptr;
    const QString path = QString::fromLocal8Bit(topicPath);
    const qsizetype separator = path.indexOf(QLatin1String("::"));
    const QString archiveName = separator < 0 ? path : path.left(separator);
    QString topic = separator < 0 ? QStringLiteral("/") : path.mid(separator + 2);
    topic.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!topic.startsWith(QLatin1Char('/')))
        topic.prepend(QLatin1Char('/'));

    QWidget *window = HelpWindow();
    FollowModalWindow(window);
    QFileInfo archive(archiveName);
    if (archive.isRelative())
        archive.setFile(LibraryFolder() + QLatin1Char('/') + archiveName);
    const QString resource = QStringLiteral(":/") + archive.fileName() + topic;
    if (!RegisterArchive(archive.absoluteFilePath())) {
        ShowText(QObject::tr("Help"),
                 QObject::tr("The help file %1 cannot be read.")
                     .arg(QDir::toNativeSeparators(archive.absoluteFilePath())));
    } else if (!QFileInfo::exists(resource)) {
        ShowText(QObject::tr("Help"),
                 QObject::tr("The topic %1 is not in the help file.").arg(topic.mid(1)));
    } else {
        State().Browser->setSource(QUrl(QLatin1String("qrc") + resource));
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
