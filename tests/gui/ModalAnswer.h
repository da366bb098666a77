// Answers a modal window that a handler opens with exec(): the action runs on
// the window once it is shown. A watchdog rejects every open dialog after a few
// seconds and marks the answer as failed, so that no test can hang; a failed
// check inside the action rejects the window it left open.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

class TModalAnswer {
public:
    explicit TModalAnswer(std::function<void(QWidget *)> act, int timeoutMs = 5000)
        : state_(std::make_shared<State>()) {
        state_->act = std::move(act);
        state_->clock.start();
        auto *timer = new QTimer;
        timer->setInterval(10);
        std::shared_ptr<State> state = state_;
        QObject::connect(timer, &QTimer::timeout, [state, timer, timeoutMs] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible()) {
                timer->stop();
                timer->deleteLater();
                state->done = true;
                QPointer<QWidget> answered = modal;
                state->act(modal);
                // A check that failed inside the action may have left the window
                // open: close it, or the test would wait for its time limit.
                if (QTest::currentTestFailed() && answered && answered->isVisible()) {
                    if (auto *dialog = qobject_cast<QDialog *>(answered.data()))
                        dialog->reject();
                }
                return;
            }
            if (state->clock.elapsed() > timeoutMs) {
                timer->stop();
                timer->deleteLater();
                state->timedOut = true;
                for (QWidget *w : QApplication::topLevelWidgets()) {
                    if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
                        dialog->reject();
                }
            }
        });
        timer->start();
        timer_ = timer;
    }
    ~TModalAnswer() { delete timer_.data(); }
    TModalAnswer(const TModalAnswer &) = delete;
    TModalAnswer &operator=(const TModalAnswer &) = delete;

    // The action ran and no watchdog had to step in.
    bool Answered() const { return state_->done && !state_->timedOut; }

private:
    struct State {
        std::function<void(QWidget *)> act;
        QElapsedTimer clock;
        bool done = false;
        bool timedOut = false;
    };
    std::shared_ptr<State> state_;
    QPointer<QTimer> timer_; // stopped with the answer: it must not answer a later test's window
};
