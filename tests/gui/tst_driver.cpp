// The elicitation driver: whole runs over one and several criteria, cancels
// during a criterion and during the coefficients, continued runs, correcting
// a chart, a K that cannot be solved, the STOP blink and the wait itself.
#include "ElicitationFixture.h"
#include "app/Variantsf.h"
#include "tests/TestSupport.h"
#include "ui_Coefficients.h"

#include <QMdiSubWindow>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <deque>
#include <functional>

namespace {

void AnswerCoefficient(TDialogScript &script, QList<QColor> *panelColors = nullptr) {
    script.AnswerForm(QStringLiteral("TCoefficient"), [panelColors](QDialog *form) {
        auto *coefficient = static_cast<TCoefficient *>(form);
        if (panelColors)
            *panelColors << coefficient->Form()->Panel1->palette().color(QPalette::Window);
        coefficient->IndifferentBitBtnClick();
    });
}

const QString ExitQuestion = QStringLiteral("Utility function isn't finish! Exit anyway?");

// Pixels of a picture within a small distance of a colour (lines are smoothed).
int CountNear(const QImage &image, TColor color) {
    const QColor want = ToQColor(color);
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - want.red()) + std::abs(c.green() - want.green()) +
                             std::abs(c.blue() - want.blue()) <=
                         24
                     ? 1
                     : 0;
        }
    }
    return n;
}

// Shading and active line in colours that nothing else in a chart uses.
void UseTellingColours(TKavrel &k) {
    k.ActiveLineColor = 0x10E0A0;
    k.ChartRangeBrushColor = 0x00C0FF;
    k.ChartRangeBrushStyle = 8; // solid
    k.DecisionRangeBrushColor = 0x00C0FF;
    k.DecisionRangeBrushStyle = 8;
}

} // namespace

class TestDriver : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void noUsedCriteria();
    void runOneCriterion_data();
    void runOneCriterion();
    void runThreeCriteria();
    void finishedWindowShowsNoPointedSegment();
    void cancelDuringFirstCriterion_data();
    void cancelDuringFirstCriterion();
    void cancelLaterThenContinue();
    void cancelDuringCoefficients();
    void completeSolutionAsksBeforeLoss();
    void kThatCannotBeSolved();
    void correctChartCancelled();
    void correctChartFinished();
    void rankingGateAfterCorrection();
    void incompleteTableOpensAlternativesEditor();
    void stopBlinks();
    void stopWithQuestionOpen();
    void waitEndsWhenWindowGoes();
    void waitEndsWhenProgramCloses();
    void waitSleeps();

private:
    std::unique_ptr<TElicitationFixture> fixture_;
    void RunOne(const TPROBLEM &criterion);
};

void TestDriver::init() {
    fixture_ = std::make_unique<TElicitationFixture>();
    FactorK = 0.0;
}

void TestDriver::cleanup() {
    if (fixture_)
        fixture_->Check();
    fixture_.reset();
}

void TestDriver::RunOne(const TPROBLEM &criterion) {
    fixture_->Add(criterion);
    TUserAgent agent;
    agent.Elicit(0);
    Kavrel->SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
}

void TestDriver::noUsedCriteria() {
    TPROBLEM unused = MakeCriterion(QStringLiteral("Price"), 1);
    unused.Used = false;
    fixture_->Add(unused);
    fixture_->Script.Answer(
        mrOk,
        QStringLiteral("No used criteria !!! \nEdit parameter <used> in options of criteria"));
    Kavrel->SB_NewFunctionClick();
    QCOMPARE(Kavrel->MDIChildCount(), 0);
    QVERIFY(!Kavrel->CriteriaButtons[0]);
}

void TestDriver::runOneCriterion_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("cost");
    QTest::addColumn<QString>("points");
    for (int method = 1; method <= 4; ++method)
        QTest::addRow("gain, method %d", method)
            << method << false << QStringLiteral("(10,0) (60,0.5) (110,1)");
    QTest::newRow("cost, method 1") << 1 << true << QStringLiteral("(10,1) (60,0.5) (110,0)");
}

void TestDriver::runOneCriterion() {
    QFETCH(int, method);
    QFETCH(bool, cost);
    QFETCH(QString, points);
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 4, cost, method));
    k.Criteria[0].Points.clear();

    // What the frame shows while the criterion is elicited.
    bool locked = false, stopShown = false, blinking = false, hint = false, barDisabled = false;
    TUserAgent agent;
    agent.Then([&] {
        locked = !k.SB_NewFunction->isEnabled() && !k.SB_New->isEnabled() &&
                 !k.SB_LoadProblem->isEnabled() && !k.SB_SaveProblem->isEnabled() &&
                 !k.SB_EditCrit->isEnabled() && !k.Menu_Parameters->isEnabled() &&
                 !k.SB_correctchart->isVisible() && k.SB_Exit_Function->isVisible() &&
                 k.DialogueMode && k.Charts[0]->SubWindow()->isMaximized();
        stopShown = k.SpeedButton_stop->isVisible();
        blinking = k.Timer_glyph_stop->isActive() && k.Timer_glyph_stop->interval() == 800;
        hint = k.StatusBar->PanelText(2) ==
               QStringLiteral("Double click to choose active range (continue dialog)");
        barDisabled = !k.TB_Criteria->isEnabled();
    });
    agent.Elicit(0);
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(locked);
    QVERIFY(stopShown);
    QVERIFY(blinking);
    QVERIFY(hint);
    QVERIFY(barDisabled);

    const TPROBLEM &c = k.Criteria[0];
    QCOMPARE(PointsText(c), points);
    QVERIFY(c.FunctionCreated);
    QCOMPARE(c.SmallK, 1.0);
    QVERIFY(c.KCounted);
    QCOMPARE(FactorK, 1.0);
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: NOT SAVED"));
    QCOMPARE(k.StatusBar->PanelText(2), QString());
    QVERIFY(!k.ResultsSaved);
    QVERIFY(k.SolutionComplete);
    QVERIFY(!k.SolutionUnfinished);
    QVERIFY(!k.DialogueMode);
    QVERIFY(!k.Timer_glyph_stop->isActive());
    QVERIFY(!k.SpeedButton_stop->isVisible());
    QVERIFY(!k.SB_Exit_Function->isVisible());
    for (QAction *command : {k.SB_New, k.SB_LoadProblem, k.SB_SaveProblem, k.SB_LoadResult,
                             k.SB_SaveResult, k.SB_NewFunction, k.SB_EditCrit, k.SB_EditAlternat,
                             k.SB_Raport, k.Menu_Parameters, k.Menu_CorrectChart})
        QVERIFY2(command->isEnabled(), qPrintable(command->objectName()));
    QVERIFY(k.SB_correctchart->isVisible());
    QVERIFY(!k.SB_Ranking->isEnabled()); // no value columns
    QVERIFY(k.TB_Criteria->isEnabled());
    QVERIFY(!k.Menu_ShadowChart->isEnabled());
    QVERIFY(!k.CriteriaChanged);

    // The criterion's button fills the bar; its window shows the new point.
    QPushButton *button = k.CriteriaButtons[0];
    QVERIFY(button);
    QCOMPARE(button->parentWidget(), k.TB_Criteria);
    QCOMPARE(button->text(), QStringLiteral("Price"));
    QCOMPARE(button->property("Tag").toInt(), 4);
    QCOMPARE(button->geometry().topLeft(), QPoint(0, 1));
    QCOMPARE(button->width(), k.width());
    QVERIFY(button->isVisible());
    QCOMPARE(k.Charts[0]->Series->Count(), 3);
    QVERIFY(k.Charts[0]->isEnabled());
}

void TestDriver::runThreeCriteria() {
    TKavrel &k = *Kavrel;
    const int methods[] = {1, 2, 3, 4, 1, 3};
    for (int i = 0; i < 6; ++i) {
        TPROBLEM c = MakeCriterion(QStringLiteral("C%1").arg(i), 10 + i, i == 2, methods[i]);
        c.Used = i == 0 || i == 2 || i == 5;
        fixture_->Add(c);
    }
    QList<QColor> panel;
    for (int i = 0; i < 3; ++i)
        AnswerCoefficient(fixture_->Script, &panel);
    TUserAgent agent;
    agent.Elicit(0);
    agent.Elicit(2);
    agent.Elicit(5);
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);

    QCOMPARE(fixture_->Script.Forms.size(), 3);
    const QColor face = QApplication::palette().color(QPalette::Button);
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    QCOMPARE(panel, (QList<QColor>{face, face, highlight}));
    QCOMPARE(Coefficient->Form()->Panel1->palette().color(QPalette::Window), face);

    double product = 1.0;
    for (int i : {0, 2, 5}) {
        const TPROBLEM &c = k.Criteria[size_t(i)];
        QCOMPARE(c.Points.size(), size_t(3));
        QVERIFY(c.KCounted);
        QCOMPARE(c.SmallK, 0.5);
        product *= 1.0 + FactorK * c.SmallK;
    }
    QVERIFY(FactorK < 0);
    QVERIFY(std::abs(product - (1.0 + FactorK)) < 1e-9);
    QVERIFY(k.SolutionComplete);
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: NOT SAVED"));

    // Buttons by criterion position, placed side by side.
    const int width = k.width() / 3;
    int left = 0;
    for (int i = 0; i < 6; ++i) {
        const bool used = i == 0 || i == 2 || i == 5;
        QCOMPARE(bool(k.CriteriaButtons[size_t(i)]), used);
        QCOMPARE(bool(k.Charts[size_t(i)]), used);
        if (!used)
            continue;
        QCOMPARE(k.CriteriaButtons[size_t(i)]->geometry(), QRect(left, 1, width, 24));
        left += width;
    }
    QCOMPARE(k.MDIChildCount(), 3);
}

void TestDriver::finishedWindowShowsNoPointedSegment() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    fixture_->Add(MakeCriterion(QStringLiteral("Size"), 2));
    UseTellingColours(k);
    AnswerCoefficient(fixture_->Script);
    AnswerCoefficient(fixture_->Script);
    int pointedBeforeStop = 0, finishedActive = -1, finishedShade = -1;
    int elicitedActive = 0, elicitedShade = 0;
    TUserAgent agent;
    agent.Then([&] { DoubleClick(k.Charts[0], SegmentMiddle(k.Charts[0], 1)); });
    agent.Then([] { Dialogue->IndifferentBitBtnClick(); });
    // The user leaves the mouse on a segment and presses STOP.
    agent.Then([&] {
        MoveMouse(k.Charts[0], SegmentMiddle(k.Charts[0], 2));
        const QImage pointed = k.Charts[0]->Chart->grab().toImage();
        pointedBeforeStop = std::min(CountNear(pointed, 0x10E0A0), CountNear(pointed, 0x00C0FF));
        k.SpeedButton_stopClick();
    });
    // While the next criterion is elicited the windows are tiled: the finished
    // one shows neither, the elicited one both.
    agent.Then([&] {
        k.Menu_TileHorizontalClick();
        MoveMouse(k.Charts[1], SegmentMiddle(k.Charts[1], 1));
        const QImage finished = k.Charts[0]->Chart->grab().toImage();
        finishedActive = CountNear(finished, 0x10E0A0);
        finishedShade = CountNear(finished, 0x00C0FF);
        const QImage elicited = k.Charts[1]->Chart->grab().toImage();
        elicitedActive = CountNear(elicited, 0x10E0A0);
        elicitedShade = CountNear(elicited, 0x00C0FF);
    });
    agent.Elicit(1);
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(pointedBeforeStop > 0);
    QCOMPARE(finishedActive, 0);
    QCOMPARE(finishedShade, 0);
    QVERIFY(elicitedActive > 0);
    QVERIFY(elicitedShade > 0);
    QCOMPARE(k.Charts[0]->HoveredSegment, 0);
}

void TestDriver::cancelDuringFirstCriterion_data() {
    QTest::addColumn<int>("how"); // 0 the Exit button, 1 closing the chart, 2 the question's Exit
    QTest::newRow("exit button") << 0;
    QTest::newRow("chart window closed") << 1;
    QTest::newRow("question dialogue's exit") << 2;
}

void TestDriver::cancelDuringFirstCriterion() {
    QFETCH(int, how);
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    fixture_->Add(MakeCriterion(QStringLiteral("Size"), 2));
    fixture_->Script.Answer(mrYes, ExitQuestion);
    TUserAgent agent;
    if (how == 0)
        agent.Then([&] { k.SB_Exit_FunctionClick(); });
    else if (how == 1)
        agent.Then([&] { k.Charts[0]->SubWindow()->close(); });
    else {
        agent.Then([&] { DoubleClick(k.Charts[0], SegmentMiddle(k.Charts[0], 1)); });
        agent.Then([&] { Dialogue->ExitBitBtnClick(); });
    }
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(!Dialogue->isVisible());
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: None"));
    QVERIFY(!k.SB_SaveResult->isEnabled());
    QVERIFY(!k.Charts[0] && !k.CriteriaButtons[0]);
    QCOMPARE(k.MDIChildCount(), 0);
    QVERIFY(!k.ToolBar_Chart->isVisible());
    QVERIFY(!k.Menu_Chart->isEnabled());
    QVERIFY(!k.Menu_CloseAll->isEnabled());
    QVERIFY(!k.SolutionComplete);
    QVERIFY(!k.SolutionUnfinished);
    QVERIFY(!k.SpeedButton_stop->isVisible());
    QVERIFY(!k.Timer_glyph_stop->isActive());
    QVERIFY(!k.SB_Exit_Function->isVisible());
    QVERIFY(!k.ChartShadow && !k.DynamicShadow && !k.ActiveLine);
    QVERIFY(!k.SB_Raport->isEnabled());
    QVERIFY(k.SB_NewFunction->isEnabled());
    QCOMPARE(fixture_->Script.Forms.size(), 0);
}

void TestDriver::cancelLaterThenContinue() {
    TKavrel &k = *Kavrel;
    for (int i = 0; i < 3; ++i)
        fixture_->Add(MakeCriterion(QStringLiteral("C%1").arg(i), i + 1));
    fixture_->Script.Answer(mrYes, ExitQuestion);
    {
        TUserAgent agent;
        agent.Elicit(0);
        agent.Then([&] { k.SB_Exit_FunctionClick(); });
        k.SB_NewFunctionClick();
        QVERIFY(!agent.TimedOut);
    }
    // The finished function keeps its window; the one being elicited loses its own.
    QVERIFY(k.Charts[0] && !k.Charts[1] && !k.Charts[2]);
    QVERIFY(k.CriteriaButtons[0] && !k.CriteriaButtons[1]);
    QCOMPARE(k.ActiveCriterion, 0);
    QVERIFY(k.ActiveChart());
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: Function not complete"));
    QVERIFY(k.ResultsSaved);
    QVERIFY(k.SolutionUnfinished);
    QVERIFY(!k.SolutionComplete);
    QVERIFY(k.SB_SaveResult->isEnabled());
    QVERIFY(k.ToolBar_Chart->isVisible());
    const QString firstPoints = PointsText(k.Criteria[0]);
    QCOMPARE(k.Charts[0]->Series->ValueColor(1), k.Charts[0]->Series->SeriesColor);

    // Continuing keeps the finished function and asks only the others.
    fixture_->Script.Answer(
        mrYes, QStringLiteral("Would you like to continue unfinished solving problem\n "
                              "or you want to start from the begining of problem?"));
    for (int i = 0; i < 3; ++i)
        AnswerCoefficient(fixture_->Script);
    TUserAgent agent;
    bool firstShownAtOnce = false;
    agent.Then([&] { firstShownAtOnce = k.Charts[0] && !k.Charts[2] && k.DialogueMode; });
    agent.Elicit(1);
    agent.Elicit(2);
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(firstShownAtOnce);
    QCOMPARE(PointsText(k.Criteria[0]), firstPoints);
    QVERIFY(k.SolutionComplete);
    QVERIFY(!k.SolutionUnfinished);
    QCOMPARE(k.MDIChildCount(), 3);
}

void TestDriver::cancelDuringCoefficients() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    fixture_->Add(MakeCriterion(QStringLiteral("Size"), 2));
    AnswerCoefficient(fixture_->Script);
    fixture_->Script.AnswerForm(QStringLiteral("TCoefficient"), [](QDialog *form) {
        static_cast<TCoefficient *>(form)->ExitBitBtnClick();
    });
    fixture_->Script.Answer(mrYes,
                            QStringLiteral("Utility function won't be calculated! Exit anyway?"));
    {
        TUserAgent agent;
        agent.Elicit(0);
        agent.Elicit(1);
        k.SB_NewFunctionClick();
        QVERIFY(!agent.TimedOut);
    }
    QVERIFY(k.Charts[0] && k.Charts[1]);
    QVERIFY(k.CriteriaButtons[0] && k.CriteriaButtons[1]);
    QVERIFY(!k.SolutionComplete);
    QVERIFY(k.SolutionUnfinished);
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: Function not complete"));
    QVERIFY(k.Criteria[0].KCounted);
    QVERIFY(!k.Criteria[1].KCounted);
    QVERIFY(!k.SB_Raport->isEnabled());

    // Continuing asks only the missing coefficient.
    fixture_->Script.Answer(mrYes);
    AnswerCoefficient(fixture_->Script);
    k.SB_NewFunctionClick();
    QCOMPARE(fixture_->Script.Forms.size(), 3);
    QVERIFY(k.SolutionComplete);
    QCOMPARE(FactorK, 1.0); // 0.5 + 0.5: the additive case
}

void TestDriver::completeSolutionAsksBeforeLoss() {
    TKavrel &k = *Kavrel;
    RunOne(MakeCriterion(QStringLiteral("Price"), 1));
    QPointer<TForm_chart> window = k.Charts[0];
    fixture_->Script.Answer(mrNo, QStringLiteral("Current functions will be lost!  Continue?"));
    k.SB_NewFunctionClick();
    QVERIFY(k.SolutionComplete);
    QCOMPARE(k.Charts[0], window.data());
    QCOMPARE(k.Criteria[0].Points.size(), size_t(3));
}

void TestDriver::kThatCannotBeSolved() {
    TKavrel &k = *Kavrel;
    MessageRecorder messages;
    for (int i = 0; i < 2; ++i) {
        TPROBLEM c = MakeCriterion(QStringLiteral("C%1").arg(i), i + 1);
        c.FunctionCreated = true;
        c.KCounted = true;
        c.SmallK = i == 0 ? 0.3 : 0.0; // one k above zero: no K but 0
        fixture_->Add(c);
    }
    k.CriteriaChanged = true;
    k.SB_NewFunctionClick();
    QCOMPARE(messages.texts, QStringList{QStringLiteral("Can't calculate factor K")});
    QVERIFY(!k.SolutionComplete);
    QVERIFY(k.SolutionUnfinished);
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: Function not complete"));
    QVERIFY(k.ResultsSaved);
    QVERIFY(!k.Criteria[0].KCounted && !k.Criteria[1].KCounted);
    QVERIFY(!k.SB_Raport->isEnabled());
    QVERIFY(!k.SB_Ranking->isEnabled());
    QCOMPARE(k.MDIChildCount(), 2);

    // Continuing asks both coefficients again.
    fixture_->Script.Answer(mrYes);
    AnswerCoefficient(fixture_->Script);
    AnswerCoefficient(fixture_->Script);
    k.SB_NewFunctionClick();
    QCOMPARE(fixture_->Script.Forms.size(), 2);
    QVERIFY(k.SolutionComplete);
}

void TestDriver::correctChartCancelled() {
    TKavrel &k = *Kavrel;
    RunOne(MakeCriterion(QStringLiteral("Price"), 1));
    TForm_chart *old = k.Charts[0];
    // The segment the user pointed at during the run.
    old->HoveredSegment = 1;
    UseTellingColours(k);
    const QString points = PointsText(k.Criteria[0]);
    fixture_->Script.Answer(
        mrYes, QStringLiteral("Function for criterion:  Price  will be lost.\nContinue?"));
    fixture_->Script.Answer(
        mrYes, QStringLiteral("Current changes for corrected chart will be lost! Exit anyway?"));
    TUserAgent agent;
    bool oldDisabled = false;
    agent.Then([&] {
        oldDisabled = !old->SubWindow()->isEnabled() && k.SavedChartWindow == old &&
                      k.Charts[0] != old && k.CorrectingChart;
    });
    agent.Then([&] { k.SB_Exit_FunctionClick(); });
    k.SB_correctchartClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(oldDisabled);
    QCOMPARE(k.Charts[0], old);
    QVERIFY(!k.SavedChartWindow);
    QVERIFY(old->SubWindow()->isEnabled());
    QCOMPARE(PointsText(k.Criteria[0]), points);
    QCOMPARE(k.MDIChildCount(), 1);
    QVERIFY(!k.CorrectingChart && !k.DialogueMode);
    QVERIFY(!k.SpeedButton_stop->isVisible());
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: NOT SAVED"));

    // The shading ended with the correction: no red segment, no shaded range.
    QVERIFY(!k.ChartShadow && !k.DynamicShadow && !k.ActiveLine);
    for (int i = 0; i < old->Series->Count(); ++i)
        QCOMPARE(old->Series->ValueColor(i), old->Series->SeriesColor);
    const QImage image = old->Chart->ToImage();
    QCOMPARE(CountNear(image, 0x00C0FF), 0);
    QCOMPARE(CountNear(image, 0x10E0A0), 0);
    QCOMPARE(old->HoveredSegment, 0);
    // The same colours do show on a pointed segment while shading is on.
    old->HoveredSegment = 1;
    k.ActiveLine = k.ChartShadow = true;
    const QImage shaded = old->Chart->ToImage();
    QVERIFY(CountNear(shaded, 0x00C0FF) > 0);
    QVERIFY(CountNear(shaded, 0x10E0A0) > 0);
    k.ActiveLine = k.ChartShadow = false;
}

void TestDriver::correctChartFinished() {
    TKavrel &k = *Kavrel;
    RunOne(MakeCriterion(QStringLiteral("Price"), 1));
    k.Charts[0]->SubWindow()->setGeometry(20, 30, 300, 200);
    QPointer<TForm_chart> old = k.Charts[0];
    k.ResultsSaved = true;
    fixture_->Script.Answer(mrYes);
    TUserAgent agent;
    agent.Elicit(0);
    k.SB_correctchartClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(!old);
    QVERIFY(k.Charts[0]);
    QCOMPARE(k.Charts[0]->SubWindow()->geometry(), QRect(20, 30, 300, 200));
    QVERIFY(!k.SavedChartWindow);
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: NOT SAVED"));
    QVERIFY(!k.ResultsSaved);
    QCOMPARE(k.Criteria[0].Points.size(), size_t(3));
    QCOMPARE(k.MDIChildCount(), 1);
}

void TestDriver::rankingGateAfterCorrection() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    k.Variants.AddVariant(QStringLiteral("A"), QString());
    k.Variants.AppendValue(0, 50, 1);
    TUserAgent agent;
    agent.Elicit(0);
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(k.SB_Ranking->isEnabled());

    // A second alternative without its value: the table is no longer complete.
    k.Variants.AddVariant(QStringLiteral("B"), QString());
    k.SB_Ranking->setEnabled(false);
    fixture_->Script.Answer(mrYes);
    TUserAgent again;
    again.Elicit(0);
    k.SB_correctchartClick();
    QVERIFY(!again.TimedOut);
    QVERIFY(!k.SB_Ranking->isEnabled());
}

void TestDriver::incompleteTableOpensAlternativesEditor() {
    TKavrel &k = *Kavrel;
    VariantsForm = new TVariantsForm(Kavrel);
    const auto gone = qScopeGuard([] {
        delete VariantsForm;
        VariantsForm = nullptr;
    });
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    k.Variants.AddVariant(QStringLiteral("A"), QString());
    bool marked = false;
    fixture_->Script.AnswerForm(QStringLiteral("TVariantsForm"), [&](QDialog *) {
        marked = VariantsForm->MarkEmptyCells;
        fixture_->Script.Answer(mrYes);
        VariantsForm->close();
    });
    TUserAgent agent;
    agent.Elicit(0);
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QCOMPARE(fixture_->Script.Forms, QStringList{QStringLiteral("TVariantsForm")});
    QVERIFY(marked);
    QVERIFY(k.SolutionComplete);
    QVERIFY(!k.SB_Ranking->isEnabled());
}

void TestDriver::stopBlinks() {
    TKavrel &k = *Kavrel;
    QPushButton *stop = k.SpeedButton_stop;
    stop->setProperty("Tag", 1);
    k.Timer_glyph_stopTimer();
    QCOMPARE(stop->text(), QStringLiteral("STOP"));
    QVERIFY(stop->icon().isNull());
    QCOMPARE(stop->property("Tag").toInt(), 0);
    k.Timer_glyph_stopTimer();
    QCOMPARE(stop->text(), QString());
    QCOMPARE(stop->icon().cacheKey(), k.SpeedButton_pause1->icon().cacheKey());
    QCOMPARE(stop->property("Tag").toInt(), 1);
    // The timer drives it during a run, every 800 ms.
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    QStringList texts;
    QElapsedTimer clock;
    TUserAgent agent;
    QObject context;
    QObject::connect(k.Timer_glyph_stop, &QTimer::timeout, &context, [&] {
        texts << stop->text();
        if (texts.size() == 2)
            k.SpeedButton_stopClick();
    });
    clock.start();
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(clock.elapsed() >= 1500); // a coarse timer may fire 5 % early
    QCOMPARE(texts, (QStringList{QStringLiteral("STOP"), QString()}));
    QVERIFY(!k.Timer_glyph_stop->isActive());
}

void TestDriver::stopWithQuestionOpen() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    bool stillWaiting = false;
    TUserAgent agent;
    agent.Then([&] { DoubleClick(k.Charts[0], SegmentMiddle(k.Charts[0], 1)); });
    agent.Then([&] { k.SpeedButton_stopClick(); });
    agent.Then([&] {
        stillWaiting = !k.CriterionDone && k.DialogueMode && Dialogue->isVisible();
        Dialogue->IndifferentBitBtnClick();
    });
    agent.Then([&] { k.SpeedButton_stopClick(); });
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(stillWaiting);
    QVERIFY(k.SolutionComplete);
}

void TestDriver::waitEndsWhenWindowGoes() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    TUserAgent agent;
    agent.Then([&] { delete k.Charts[0]->SubWindow(); });
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(!k.DialogueMode);
    QVERIFY(!k.SolutionComplete);
    QVERIFY(!k.Charts[0]);
    QCOMPARE(k.MDIChildCount(), 0);
}

void TestDriver::waitEndsWhenProgramCloses() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    TUserAgent agent;
    agent.Then([&] { Application->Terminated = true; });
    k.SB_NewFunctionClick();
    Application->Terminated = false;
    QVERIFY(!agent.TimedOut);
    QVERIFY(!k.DialogueMode);
    QVERIFY(k.Cancelled);
    QVERIFY(!k.SolutionComplete);
}

void TestDriver::waitSleeps() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    TUserAgent agent; // its watchdog only
    // One second of the wait, after the window's first paints and with one
    // blink of STOP: a loop that does not sleep would use all of it.
    std::clock_t cpu = 0;
    QElapsedTimer wall;
    QTimer::singleShot(300, [&] {
        cpu = std::clock();
        wall.start();
        QTimer::singleShot(1000, Qt::PreciseTimer, [&] {
            cpu = std::clock() - cpu;
            k.SpeedButton_stopClick();
        });
    });
    k.SB_NewFunctionClick();
    QVERIFY(!agent.TimedOut);
    QVERIFY(wall.elapsed() >= 1000);
    const double seconds = double(cpu) / CLOCKS_PER_SEC;
    qInfo("processor time in 1 s of waiting: %.3f s", seconds);
    QVERIFY2(seconds < 0.3, qPrintable(QString::number(seconds)));
}

VR_GUI_TEST_MAIN(TestDriver)
#include "tst_driver.moc"
