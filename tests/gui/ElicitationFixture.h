// The main frame with the template chart window and a few criteria, and the
// mouse as the chart windows see it. Shared by the chart window and driver tests.
#pragma once

#include "GuiTest.h"
#include "elicitation/Chartmain.h"
#include "elicitation/Coefficients.h"
#include "elicitation/Dialogues.h"
#include "elicitation/Maxquestion.h"

#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

// A used criterion with its end points (or the points given).
inline TPROBLEM MakeCriterion(const QString &name, int id, bool cost = false, int method = 1,
                              double min = 10, double max = 110,
                              const std::vector<TFuncPoint> &points = {}) {
    TPROBLEM c;
    c.Name = name;
    c.Units = QStringLiteral("EUR");
    c.Id = id;
    c.AttrID = QStringLiteral("Attr%1").arg(id);
    c.Used = true;
    c.Method = method;
    c.Decimals = 2;
    c.Min = min;
    c.Max = max;
    c.Cost = cost;
    c.Points = points;
    if (points.empty()) {
        c.AddPoint(min, cost ? 1.0 : 0.0);
        c.AddPoint(max, cost ? 0.0 : 1.0);
    }
    return c;
}

// Points of a rising function from 10 to 110.
inline std::vector<TFuncPoint> RisingPoints() {
    return {{10, 0}, {25, 0.35}, {40, 0.6}, {70, 0.85}, {110, 1}};
}

class TElicitationFixture : public TFrameFixture {
public:
    TElicitationFixture() {
        MaxQuestions = new TMaxQuestions(Kavrel);
        Dialogue = new TDialogue(Kavrel);
        Coefficient = new TCoefficient(Kavrel);
        Form_chart = new TForm_chart(Kavrel);
        Kavrel->show();
    }
    ~TElicitationFixture() {
        // The windows go before the frame, as when the program ends.
        Kavrel->ClearCriteriaBar();
        delete Form_chart;
        Form_chart = nullptr;
        delete Coefficient;
        Coefficient = nullptr;
        delete Dialogue;
        Dialogue = nullptr;
        delete MaxQuestions;
        MaxQuestions = nullptr;
    }

    int Add(const TPROBLEM &criterion) {
        Kavrel->Criteria.push_back(criterion);
        Kavrel->UsedCount += criterion.Used ? 1 : 0;
        return int(Kavrel->Criteria.size()) - 1;
    }

    // The chart window of the criterion at the position, shown as the criteria bar shows it.
    TForm_chart *Show(int position, bool dialogue = false) {
        Kavrel->ShowCriterionChart(Kavrel->Criteria[size_t(position)].Id, dialogue, true);
        return Kavrel->Charts[size_t(position)];
    }
};

// Pixel column halfway between points i-1 and i, and a row inside the plot.
inline QPoint SegmentMiddle(const TForm_chart *chart, int i) {
    const int x = (chart->Series->CalcXPos(i - 1) + chart->Series->CalcXPos(i)) / 2;
    return {x, chart->Chart->ChartRect().center().y()};
}

inline void SendMouse(QWidget *widget, QEvent::Type type, const QPoint &at,
                      Qt::MouseButton button = Qt::NoButton,
                      Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void MoveMouse(TForm_chart *chart, const QPoint &at) {
    SendMouse(chart->Chart, QEvent::MouseMove, at);
}

inline void DoubleClick(TForm_chart *chart, const QPoint &at) {
    SendMouse(chart->Chart, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    SendMouse(chart->Chart, QEvent::MouseButtonRelease, at, Qt::LeftButton);
    SendMouse(chart->Chart, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    SendMouse(chart->Chart, QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

// Plays the user's part while the elicitation waits: one step per tick of the
// event loop. A watchdog cancels the run when the steps do not end it in time,
// so that no test can hang; the test then fails on TimedOut. With tickWhenIdle
// the ticker keeps going once the steps run out, for steps queued later.
class TUserAgent {
public:
    bool TimedOut = false;

    explicit TUserAgent(int watchdogMs = 15000, bool tickWhenIdle = false) {
        ticker_.setInterval(5);
        QObject::connect(&ticker_, &QTimer::timeout, [this, tickWhenIdle] {
            if (steps_.empty()) {
                if (!tickWhenIdle)
                    ticker_.stop();
                return;
            }
            const std::function<void()> step = std::move(steps_.front());
            steps_.pop_front();
            step();
        });
        watchdog_.setSingleShot(true);
        watchdog_.setInterval(watchdogMs);
        QObject::connect(&watchdog_, &QTimer::timeout, [this] {
            TimedOut = true;
            steps_.clear();
            Kavrel->Cancelled = true;
            if (Dialogue && Dialogue->isVisible()) {
                Dialogue->ClosingByProgram = true;
                Dialogue->close();
            }
        });
        ticker_.start();
        watchdog_.start();
    }

    void Then(std::function<void()> step) { steps_.push_back(std::move(step)); }
    int Pending() const { return int(steps_.size()); }

    // Double click on the segment of the criterion's chart, answer Indifferent, press STOP.
    void Elicit(int position, int segment = 1) {
        Then([position, segment] {
            TForm_chart *chart = Kavrel->Charts[size_t(position)];
            QVERIFY(chart);
            DoubleClick(chart, SegmentMiddle(chart, segment));
        });
        Then([] {
            QVERIFY(Dialogue->isVisible());
            if (Dialogue->Question.Method == 3)
                Dialogue->IndifferentLotteryBitBtnClick();
            else
                Dialogue->IndifferentBitBtnClick();
        });
        Then([] { Kavrel->SpeedButton_stopClick(); });
    }

private:
    std::deque<std::function<void()>> steps_;
    QTimer ticker_;
    QTimer watchdog_;
};
