#include "platform/Application.h"

#include "platform/Dialogs.h"

#include <QKeyEvent>
#include <QStatusTipEvent>
#include <QWidget>

TApplication *Application = nullptr;

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {
    Application = this;
    // The program ends when its main form closes, whatever else is open.
    setQuitOnLastWindowClosed(false);
}

TApplication::~TApplication() {
    // Forms go in the reverse order of their creation, the main form last.
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
        delete it->data();
    if (Application == this)
        Application = nullptr;
}

void TApplication::SetTitle(const QString &title) {
    setApplicationName(title);
}

void TApplication::SetHint(const QString &hint) {
    Hint = hint;
    if (OnHint)
        OnHint();
}

void TApplication::ShowException(const std::exception &e) {
    ShowException(QString::fromLocal8Bit(e.what()));
}

void TApplication::ShowException(const QString &message) {
    MessageDlg(message, mtError, mbOK);
}

int TApplication::Run() {
    if (mainForm_)
        mainForm_->show();
    return exec();
}

bool TApplication::Terminating() {
    return Application && Application->Terminated;
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::WaitUntil(const std::function<bool()> &done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool TApplication::notify(QObject *receiver, QEvent *event) {
    // Qt cannot unwind through its event loop: an exception from a handler
    // stops here, is shown, and the program goes on.
    try {
        return Dispatch(receiver, event);
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowException(tr("Unknown exception"));
    }
    return false;
}

bool TApplication::Dispatch(QObject *receiver, QEvent *event) {
    switch (event->type()) {
    case QEvent::StatusTip:
        // Hints of commands and controls go to the hint handler, not to a status bar.
        SetHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    case QEvent::KeyPress:
        if (receiver->isWidgetType()) {
            QWidget *window = static_cast<QWidget *>(receiver)->window();
            if (auto *form = dynamic_cast<TKeyPreview *>(window)) {
                if (window->isEnabled() && form->PreviewKey(static_cast<QKeyEvent *>(event)))
                    return true;
            }
        }
        break;
    case QEvent::Close:
        if (receiver == mainForm_) {
            const bool result = QApplication::notify(receiver, event);
            // Ends the loop without asking the other windows to close.
            if (event->isAccepted()) {
                Terminated = true;
                exit(0);
            }
            return result;
        }
        break;
    default:
        break;
    }
    return QApplication::notify(receiver, event);
}
