// The application object: title, the hint of the control under the pointer,
// keys seen by a window before its controls, exceptions that escape an event
// handler, the forms that live as long as the program, and waiting for events.
#pragma once

#include <QApplication>
#include <QPointer>
#include <exception>
#include <functional>
#include <vector>

class QKeyEvent;

// A window that sees every key pressed in it before the control with the focus.
class TKeyPreview {
public:
    virtual ~TKeyPreview() = default;
    // True when the key is used up and the control must not get it.
    virtual bool PreviewKey(QKeyEvent *event) = 0;
};

// A child window of the frame that may refuse the program's exit.
class TCloseQuery {
public:
    virtual ~TCloseQuery() = default;
    virtual void FormCloseQuery(bool &CanClose) = 0;
};

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    ~TApplication() override;

    QString Title() const { return applicationName(); }
    void SetTitle(const QString &title);

    // The hint of the command or control the pointer rests on; empty when none.
    QString Hint;
    // Called whenever Hint changes.
    std::function<void()> OnHint;
    void SetHint(const QString &hint);

    // The standard report of an exception that no handler caught.
    static void ShowException(const std::exception &e);
    static void ShowException(const QString &message);

    // Creates a form that lives until the program ends and stores it in its
    // global instance. The first form created is the main form; the others
    // are owned by it as windows (they are centred on it and stay above it).
    template <class T> void CreateForm(T *&reference) {
        T *form = new T(mainForm_);
        reference = form;
        forms_.push_back(QPointer<QWidget>(form));
        if (!mainForm_)
            mainForm_ = form;
    }
    QWidget *MainForm() const { return mainForm_; }
    // Shows the main form and processes events until it closes.
    int Run();

    // Set when the main form has closed: the program is ending, and nested
    // waits must return so that the event loop can end.
    bool Terminated = false;
    static bool Terminating();

    // Handles the pending events and returns.
    static void ProcessMessages();
    // Handles events until done() holds; sleeps while none are pending.
    static void WaitUntil(const std::function<bool()> &done);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    bool Dispatch(QObject *receiver, QEvent *event);

    QPointer<QWidget> mainForm_;
    std::vector<QPointer<QWidget>> forms_;
};

// The one application object, or null when a plain QApplication runs (some tests).
extern TApplication *Application;
