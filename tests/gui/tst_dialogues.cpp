// The question dialogue and the scaling-coefficient dialogue driven through
// their handlers in the running frame: what they show, scripted runs to the
// accepted point or coefficient, and the rules by which they may close.
#include "GuiTest.h"
#include "ModalAnswer.h"
#include "elicitation/Coefficients.h"
#include "elicitation/Dialogues.h"
#include "elicitation/Maxquestion.h"
#include "platform/Chart.h"
#include "tests/TestSupport.h"
#include "ui_Coefficients.h"
#include "ui_Dialogues.h"
#include "ui_Maxquestion.h"

#include <QAbstractTextDocumentLayout>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTextBlock>

using Doubles = QList<double>;

namespace {
QStringList helpPaths;
void *RecordHelp(void *, const char *topicPath, unsigned int, unsigned long) {
    helpPaths << QString::fromLocal8Bit(topicPath);
    return nullptr;
}

// The frame with the elicitation forms; the chart windows' side is recorded.
class TDialogueFixture : public TFrameFixture {
public:
    QList<Doubles> Ranges; // every range handed to the chart windows
    int ChartCloses = 0;

    TDialogueFixture() {
        MaxQuestions = new TMaxQuestions(Kavrel);
        Dialogue = new TDialogue(Kavrel);
        Coefficient = new TCoefficient(Kavrel);
        Kavrel->ChartShowActiveRange = [this](int index, double x1, double u1, double x2,
                                              double u2) {
            Ranges << Doubles{double(index), x1, u1, x2, u2};
        };
        Kavrel->ChartCloseAfterExit = [this] { ++ChartCloses; };
        Kavrel->HelpShow = &RecordHelp;
        helpPaths.clear();
    }
    ~TDialogueFixture() {
        delete Coefficient;
        Coefficient = nullptr;
        delete Dialogue;
        Dialogue = nullptr;
        delete MaxQuestions;
        MaxQuestions = nullptr;
    }

    TPROBLEM &AddCriterion(const QString &name, bool cost, double min, double max, int decimals = 1,
                           const QString &units = QStringLiteral("EUR")) {
        TPROBLEM c;
        c.Name = name;
        c.Units = units;
        c.Used = true;
        c.Cost = cost;
        c.Min = min;
        c.Max = max;
        c.Decimals = decimals;
        c.Init(min, max);
        Kavrel->Criteria.push_back(c);
        return Kavrel->Criteria.back();
    }

    // Queues the final value typed into the final-value dialog; records its bracket.
    void TypeFinalValue(const QString &text, Doubles *bracket) {
        Script.AnswerForm(QStringLiteral("TMaxQuestions"), [text, bracket](QDialog *) {
            if (bracket)
                *bracket = Doubles{MaxQuestions->Lo, MaxQuestions->Hi};
            MaxQuestions->Form()->ValueEdit->setText(text);
            MaxQuestions->OKBitBtnClick();
        });
    }
};

Ui::TDialogue *D() {
    return Dialogue->Form();
}

Ui::TCoefficient *C() {
    return Coefficient->Form();
}

void Start(int method, const Doubles &s, int index) {
    switch (method) {
    case 1:
        Dialogue->StartConstantProbability(s[0], s[1], s[2], s[3], index);
        break;
    case 2:
        Dialogue->StartVariableProbability(s[0], s[1], s[2], s[3], index);
        break;
    case 3:
        Dialogue->StartLotteryComparison(s[0], s[1], s[2], s[3], index);
        break;
    default:
        Dialogue->StartProbabilityComparison(s[0], s[1], s[2], s[3], index);
        break;
    }
}

QStringList Lines(const QTextEdit *edit) {
    return edit->toPlainText().split(QLatin1Char('\n'));
}

const QString Precision =
    QStringLiteral("Maximum precision reached! Accepting the present value as final.\n");
} // namespace

class TestDialogues : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void constantProbabilityQuestion_data() { AddLocaleRows(); }
    void constantProbabilityQuestion();
    void lotteryComparisonQuestion();
    void captions_data();
    void captions();
    void runs_data();
    void runs();
    void refusedPointDroppedSilently();
    void finalValueWithoutAnswerCancels_data();
    void finalValueWithoutAnswerCancels();
    void dialogueCloseRules();
    void chartWindowClosesDialogue();
    void help();
    void keyboardBackAfterABox_data();
    void keyboardBackAfterABox();

    void coefficientTexts();
    void coefficientRuns_data();
    void coefficientRuns();
    void coefficientCloseRules();
    void synchronousScrolling_data();
    void synchronousScrolling();

private:
    std::unique_ptr<TDialogueFixture> f_;
};

void TestDialogues::init() {
    f_ = std::make_unique<TDialogueFixture>();
}

void TestDialogues::cleanup() {
    if (f_)
        f_->Check();
    f_.reset();
    QLocale::setDefault(QLocale::c());
}

void TestDialogues::constantProbabilityQuestion() {
    QFETCH(QLocale, locale);
    const LocaleGuard guard(locale);
    f_->AddCriterion(QStringLiteral("Price"), false, 0, 100);
    Kavrel->SB_windows->setVisible(false);
    Dialogue->StartConstantProbability(0, 0, 100, 1, 0);

    QVERIFY(Dialogue->isVisible());
    QVERIFY(Kavrel->SB_windows->isVisible());
    QVERIFY(Kavrel->ActiveRangeShown);
    QCOMPARE(f_->Ranges.constLast(), (Doubles{0, 0, 0, 100, 1}));
    QVERIFY(D()->Panel2->isVisible());
    QVERIFY(!D()->LotteryPanel->isVisible());
    QVERIFY(D()->SureBitBtn->isVisible());
    QVERIFY(!D()->LotteryBitBtn1->isVisible());
    QCOMPARE(D()->EquivalentLabel->text(), DotToLocale(QStringLiteral("50.0")));
    QCOMPARE(D()->EquivalentLabel->toolTip(), QStringLiteral("50"));
    QCOMPARE(D()->RangeLabel1->text(), DotToLocale(QStringLiteral("100.0")));
    QCOMPARE(D()->RangeLabel2->text(), DotToLocale(QStringLiteral("0.0")));
    QCOMPARE(D()->pLabel->text(), DotToLocale(QStringLiteral("0.500")));
    QCOMPARE(D()->pLabel->toolTip(), DotToLocale(QStringLiteral("0.5")));
    QCOMPARE(D()->p1Label->text(), DotToLocale(QStringLiteral("0.500")));
    for (QLabel *units : {D()->Units1, D()->Units2, D()->Units3})
        QCOMPARE(units->text(), QStringLiteral("EUR"));
    QCOMPARE(D()->pLabel->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(D()->p1Label->palette().color(QPalette::WindowText), QColor(Qt::red));

    // Sure: x halves towards the worse end; the pie shows 1 - p then p.
    Kavrel->Probability = 0.25; // read at the start only
    D()->SureBitBtn->click();
    QCOMPARE(D()->EquivalentLabel->text(), DotToLocale(QStringLiteral("25.0")));
    QCOMPARE(Dialogue->Counter, 2);
    QCOMPARE(f_->Ranges.constLast(), (Doubles{0, 0, 0, 50, 1}));
    QCOMPARE(Dialogue->Series1->Count(), 2);
    QCOMPARE(Dialogue->Series1->YValues[0], 0.5);
    QCOMPARE(Dialogue->Series1->Colors[0], clRed);
    QCOMPARE(Dialogue->Series1->Colors[1], clBlue);
    QCOMPARE(Dialogue->Series1->Labels[1], DotToLocale(QStringLiteral("0.500")));
    QCOMPARE(Dialogue->Series1->RotationAngle, 180);
}

void TestDialogues::lotteryComparisonQuestion() {
    TPROBLEM &c = f_->AddCriterion(QStringLiteral("Time"), true, 2, 10, 0, QStringLiteral("h"));
    Kavrel->FirstQuestion = false;
    Kavrel->ProbabilityPrecision = 2;
    Dialogue->StartLotteryComparison(2, 1, 10, 0, 0);

    QVERIFY(D()->LotteryPanel->isVisible());
    QVERIFY(!D()->Panel2->isVisible());
    QVERIFY(D()->LotteryBitBtn1->isVisible());
    QVERIFY(!D()->SureBitBtn->isVisible());
    QCOMPARE(D()->SureBitBtn->focusPolicy(), Qt::NoFocus);
    // x, worst, best, worst: a Cost criterion is best at its Min.
    QCOMPARE(D()->ValueLabel1->text(), QStringLiteral("6"));
    QCOMPARE(D()->ValueLabel2->text(), QStringLiteral("10"));
    QCOMPARE(D()->ValueLabel3->text(), QStringLiteral("2"));
    QCOMPARE(D()->ValueLabel4->text(), QStringLiteral("10"));
    QCOMPARE(D()->pLabel1->text(), QStringLiteral("0.50"));
    QCOMPARE(D()->pLabel2->text(), QStringLiteral("0.25"));
    QCOMPARE(D()->p1Label2->text(), QStringLiteral("0.75"));
    QCOMPARE(Dialogue->PieSeries2->YValues[1], 0.25);
    QCOMPARE(D()->UnitsLabel4->text(), QStringLiteral("h"));
    // q in [0, 0.5]: the chart shades q / p.
    QCOMPARE(f_->Ranges.constLast(), (Doubles{0, 2, 1, 10, 0}));

    D()->LotteryBitBtn2->click();
    QCOMPARE(Dialogue->Q, 0.125);
    QCOMPARE(D()->pLabel2->text(), FormatFixed(0.125, 2));
    QCOMPARE(f_->Ranges.constLast(), (Doubles{0, 2, 0.5, 10, 0}));
    D()->IndifferentLotteryBitBtn->click();
    QVERIFY(!Dialogue->isVisible());
    QVERIFY(Dialogue->PointAdded);
    QCOMPARE(PointsText(c), QStringLiteral("(2,1) (6,0.25) (10,0)"));
}

void TestDialogues::captions_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("1") << 1 << " (Certainty equivalent with constant probability)";
    QTest::newRow("2") << 2 << " (Certainty equivalent with variable probability)";
    QTest::newRow("3") << 3 << " (Lottery comparision)";
    QTest::newRow("4") << 4 << " (Probability comparision)";
}

void TestDialogues::captions() {
    QFETCH(int, method);
    QFETCH(QString, suffix);
    f_->AddCriterion(QStringLiteral("Price"), false, 0, 100);
    Start(method, {0, 0, 100, 1}, 0);
    QCOMPARE(Dialogue->windowTitle(),
             QStringLiteral("Assessment of Utility Function for Attribute - Price") + suffix);
    QCOMPARE(D()->SureBitBtn->text(), QStringLiteral("&Sure"));
    QCOMPARE(D()->LotteryBitBtn1->text(), QStringLiteral("Lottery&1"));
    QCOMPARE(D()->ExitBitBtn->text(), QStringLiteral("E&xit"));
}

void TestDialogues::runs_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("cost");
    QTest::addColumn<int>("questions");
    QTest::addColumn<Doubles>("segment");
    QTest::addColumn<QString>("answers"); // S, L (method 3: Lottery1, Lottery2), I: Indifferent
    QTest::addColumn<QString>("typed");   // the final value, when the limit asks for it
    QTest::addColumn<Doubles>("bracket"); // the final-value dialog's bounds
    QTest::addColumn<QString>("message"); // a precision stop's number
    QTest::addColumn<QString>("points");

    for (const QLocale &locale : {PointLocale(), CommaLocale()}) {
        const LocaleGuard guard(locale);
        const QString name =
            locale == PointLocale() ? QStringLiteral(", point") : QStringLiteral(", comma");
        const auto row = [&](const char *what) {
            return &(QTest::newRow(qPrintable(QLatin1String(what) + name)) << locale);
        };
        *row("1 gain, five sures to the limit")
            << 1 << false << 5 << Doubles{0, 0, 100, 1} << "SSSSS" << DotToLocale("2.5")
            << Doubles{0, 3.125} << QString() << "(0,0) (2.5,0.5) (100,1)";
        *row("1 cost, sure then indifferent")
            << 1 << true << 5 << Doubles{0, 1, 100, 0} << "SI" << QString() << Doubles{}
            << QString() << "(0,1) (75,0.5) (100,0)";
        *row("2 gain, precision stop")
            << 2 << false << 5 << Doubles{12.46, 0.4, 12.54, 0.6} << "L" << QString() << Doubles{}
            << DotToLocale("12.5") << "(0,0) (12.5,0.5) (100,1)";
        *row("3 gain, one question")
            << 3 << false << 1 << Doubles{0, 0, 100, 1} << "S" << DotToLocale("0.3")
            << Doubles{0.25, 0.5} << QString() << "(0,0) (50,0.6) (100,1)";
        // The chart window passes 0 and 1 to the first question of method 4.
        *row("4 cost, lottery then limit")
            << 4 << true << 2 << Doubles{0, 0, 100, 1} << "LL" << DotToLocale("0.2")
            << Doubles{0, 0.25} << QString() << "(0,1) (50,0.2) (100,0)";
    }
}

void TestDialogues::runs() {
    QFETCH(QLocale, locale);
    QFETCH(int, method);
    QFETCH(bool, cost);
    QFETCH(int, questions);
    QFETCH(Doubles, segment);
    QFETCH(QString, answers);
    QFETCH(QString, typed);
    QFETCH(Doubles, bracket);
    QFETCH(QString, message);
    QFETCH(QString, points);
    const LocaleGuard guard(locale);

    TPROBLEM &c = f_->AddCriterion(QStringLiteral("Price"), cost, 0, 100);
    Kavrel->Questions = questions;
    Kavrel->FirstQuestion = true;
    Doubles shown;
    if (!typed.isEmpty())
        f_->TypeFinalValue(typed, &shown);
    if (!message.isEmpty())
        f_->Script.Answer(mrOk, Precision + message);
    Start(method, segment, 0);
    for (QChar a : answers) {
        QVERIFY(Dialogue->isVisible());
        QPushButton *button =
            a == QLatin1Char('I')
                ? (method == 3 ? D()->IndifferentLotteryBitBtn : D()->IndifferentBitBtn)
            : a == QLatin1Char('S') ? (method == 3 ? D()->LotteryBitBtn1 : D()->SureBitBtn)
                                    : (method == 3 ? D()->LotteryBitBtn2 : D()->LotteryBitBtn);
        button->click();
    }
    QVERIFY(!Dialogue->isVisible());
    QVERIFY(Dialogue->PointAdded);
    QVERIFY(!Kavrel->SB_windows->isVisible());
    QVERIFY(!Kavrel->ActiveRangeShown);
    QCOMPARE(f_->Ranges.constLast(), (Doubles{0, 0, 0, 0, 0}));
    QCOMPARE(shown, bracket);
    QCOMPARE(f_->Script.Forms.size(), typed.isEmpty() ? 0 : 1);
    QCOMPARE(PointsText(c), points);
    // The label is back to button face after the stop or the limit.
    QVERIFY(!D()->EquivalentLabel->autoFillBackground());
    QVERIFY(!D()->pLabel->autoFillBackground());
}

void TestDialogues::refusedPointDroppedSilently() {
    TPROBLEM &c = f_->AddCriterion(QStringLiteral("Price"), false, 0, 100);
    c.AddPoint(50, 0.9);
    Kavrel->FirstQuestion = false;
    Dialogue->StartVariableProbability(0, 0, 50, 0.9, 0);
    D()->IndifferentBitBtn->click(); // (25, 0.45) fits
    Dialogue->StartProbabilityComparison(0, 0, 25, 0.45, 0);
    Dialogue->Question.SetProposal(0.95);
    D()->IndifferentBitBtn->click(); // u 0.95 between 0 and 0.45 breaks monotonicity
    QVERIFY(!Dialogue->isVisible());
    QCOMPARE(PointsText(c), QStringLiteral("(0,0) (25,0.45) (50,0.9) (100,1)"));
    QCOMPARE(f_->Script.Shown.size(), 1); // the frame's missing help library only
}

void TestDialogues::finalValueWithoutAnswerCancels_data() {
    QTest::addColumn<bool>("coefficient");
    QTest::newRow("question dialogue") << false;
    QTest::newRow("coefficient dialogue") << true;
}

void TestDialogues::finalValueWithoutAnswerCancels() {
    QFETCH(bool, coefficient);
    f_->AddCriterion(QStringLiteral("Price"), false, 0, 100);
    f_->AddCriterion(QStringLiteral("Size"), false, 0, 1);
    TPROBLEM &c = Kavrel->Criteria[0];
    c.SmallK = 0.3;
    Kavrel->Questions = 1;
    Kavrel->DialogueMode = true;
    MaxQuestions->Value = 42.0; // the answer to an earlier limit
    if (coefficient)
        f_->Script.AnswerForm(QStringLiteral("TCoefficient"),
                              [](QDialog *) { C()->SureBitBtn->click(); });
    // The final-value dialog's loop ends without an OK, as when the program closes.
    f_->Script.AnswerForm(QStringLiteral("TMaxQuestions"),
                          [](QDialog *form) { form->done(QDialog::Rejected); });
    if (coefficient) {
        Coefficient->Ask(0.0, 1.0, 0);
        QVERIFY(!Coefficient->isVisible());
        QCOMPARE(c.SmallK, 0.3);
        QVERIFY(!c.KCounted);
    } else {
        Dialogue->StartConstantProbability(0, 0, 100, 1, 0);
        D()->SureBitBtn->click();
        QVERIFY(!Dialogue->isVisible());
        QVERIFY(!Dialogue->PointAdded);
        QCOMPARE(PointsText(c), QStringLiteral("(0,0) (100,1)"));
        QCOMPARE(f_->ChartCloses, 1);
        QVERIFY(!Kavrel->ActiveRangeShown);
    }
    QVERIFY(Kavrel->Cancelled);
    Kavrel->DialogueMode = false;
}

void TestDialogues::dialogueCloseRules() {
    f_->AddCriterion(QStringLiteral("Price"), false, 0, 100);
    Dialogue->StartConstantProbability(0, 0, 100, 1, 0);
    QVERIFY(QTest::qWaitForWindowExposed(Dialogue));

    // The system's close and Escape are refused while a question is open.
    QVERIFY(!Dialogue->close());
    QTest::keyClick(Dialogue, Qt::Key_Escape);
    QVERIFY(Dialogue->isVisible());

    // Exit outside an elicitation asks nothing and keeps the question, its range shown.
    Kavrel->DialogueMode = false;
    Kavrel->ActiveRangeShown = true;
    D()->ExitBitBtn->click();
    QVERIFY(Dialogue->isVisible());
    QVERIFY(Kavrel->ActiveRangeShown);
    QVERIFY(!Dialogue->ClosingByProgram);

    Kavrel->DialogueMode = true;
    const QString exit = QStringLiteral("Utility function isn't finish! Exit anyway?");
    f_->Script.Answer(mrNo, exit);
    D()->ExitBitBtn->click();
    QVERIFY(Dialogue->isVisible());
    QVERIFY(!Kavrel->Cancelled);
    QVERIFY(Kavrel->ActiveRangeShown);
    QCOMPARE(f_->Script.Shown.constLast().Type, mtWarning);
    QCOMPARE(f_->Script.Shown.constLast().Buttons, TMsgDlgButtons(mbYesNo));

    f_->Script.Answer(mrYes, exit);
    D()->ExitBitBtn->click();
    QVERIFY(!Dialogue->isVisible());
    QVERIFY(Kavrel->Cancelled);
    QVERIFY(!Kavrel->ActiveRangeShown);
    QCOMPARE(f_->ChartCloses, 1);
    QVERIFY(!Kavrel->SB_windows->isVisible());

    // The allowed close was used up: the next question cannot be closed by the system.
    Kavrel->Cancelled = false;
    Dialogue->StartConstantProbability(0, 0, 100, 1, 0);
    QVERIFY(!Dialogue->close());
    QVERIFY(Dialogue->isVisible());
}

void TestDialogues::chartWindowClosesDialogue() {
    f_->AddCriterion(QStringLiteral("Price"), false, 0, 100);
    Dialogue->ClosingByProgram = true; // left over from before: a start clears it
    Dialogue->StartVariableProbability(0, 0, 100, 1, 0);
    QVERIFY(!Dialogue->close());
    // The chart window's close question allows it.
    Dialogue->ClosingByProgram = true;
    QVERIFY(Dialogue->close());
    QVERIFY(!Dialogue->ClosingByProgram);
    QVERIFY(!Dialogue->PointAdded);
    QCOMPARE(PointsText(Kavrel->Criteria[0]), QStringLiteral("(0,0) (100,1)"));
}

void TestDialogues::help() {
    f_->AddCriterion(QStringLiteral("Price"), false, 0, 100);
    Dialogue->StartVariableProbability(0, 0, 100, 1, 0);
    D()->HelpBitBtn->click();
    QTest::keyClick(D()->SureBitBtn, Qt::Key_F1);
    C()->HelpBitBtn->click();
    QCOMPARE(helpPaths, (QStringList{QStringLiteral("rovezizez.chm::/Praca\\dialog.htm"),
                                     QStringLiteral("rovezizez.chm::/Praca\\dialog.htm"),
                                     QStringLiteral("rovezizez.chm::/Praca\\Coeficient.htm")}));
}

void TestDialogues::keyboardBackAfterABox_data() {
    QTest::addColumn<bool>("fromFrame");
    QTest::newRow("New problem's question in the frame, No") << true;
    QTest::newRow("Exit's question of the dialogue, No") << false;
}

void TestDialogues::keyboardBackAfterABox() {
    // A real box answered by a real key: the keyboard goes back to the
    // question, where the next answer's key must act.
    QFETCH(bool, fromFrame);
    f_->AddCriterion(QStringLiteral("Price"), false, 0, 100);
    Kavrel->DialogueMode = true;
    Kavrel->show();
    QVERIFY(QTest::qWaitForWindowActive(Kavrel));
    Dialogue->StartConstantProbability(0, 0, 100, 1, 0);
    // A transient window counts as active while its parent is: ask for the window itself.
    Dialogue->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), Dialogue);
    D()->LotteryBitBtn->setFocus();
    QCOMPARE(QApplication::focusWidget(), D()->LotteryBitBtn);
    const auto hide = qScopeGuard([] {
        Dialogue->ClosingByProgram = true;
        Dialogue->close();
        Kavrel->hide();
    });

    const TRealDialogs real;
    QString asked;
    TModalAnswer answer([&asked](QWidget *box) {
        if (auto *message = qobject_cast<QMessageBox *>(box))
            asked = message->text();
        QTest::keyClick(box, Qt::Key_N);
    });
    if (fromFrame)
        Kavrel->SB_NewClick();
    else
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::AltModifier);
    // A mnemonic clicks its button with an animation: the box comes a moment later.
    QTRY_VERIFY(answer.Answered());
    QCOMPARE(asked, fromFrame ? QStringLiteral("Current problem will be lost!  Continue?")
                              : QStringLiteral("Utility function isn't finish! Exit anyway?"));
    QVERIFY(Dialogue->isVisible());
    QVERIFY(!Kavrel->Cancelled);

    QTRY_COMPARE(QApplication::activeWindow(), Dialogue);
    QCOMPARE(QApplication::focusWidget(), D()->LotteryBitBtn);
    // Alt+L where the keyboard is answers Lottery: the next question.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
    QTRY_COMPARE(Dialogue->Counter, 2);
    QCOMPARE(D()->EquivalentLabel->text(), QStringLiteral("75.0"));
}

void TestDialogues::coefficientTexts() {
    const LocaleGuard guard(PointLocale());
    f_->AddCriterion(QStringLiteral("Price"), false, 0, 100, 0, QStringLiteral("EUR"));
    f_->AddCriterion(QStringLiteral("Unused"), false, 0, 1).Used = false;
    f_->AddCriterion(QStringLiteral("Time"), true, 1.5, 4, 2, QStringLiteral("h"));
    Kavrel->ProbabilityPrecision = 2;
    Coefficient->Prepare(0.0, 1.0, 2);

    QCOMPARE(Coefficient->windowTitle(),
             QStringLiteral("Assessment of Scaling Coefficient for Attribute - Time"));
    QCOMPARE(Lines(C()->SureRichEdit),
             (QStringList{QStringLiteral("Price:  0 EUR"), QStringLiteral("Time:  1.50 h")}));
    QCOMPARE(Lines(C()->pRichEdit),
             (QStringList{QStringLiteral("Price:  100 EUR"), QStringLiteral("Time:  1.50 h")}));
    QCOMPARE(Lines(C()->p1RichEdit),
             (QStringList{QStringLiteral("Price:  0 EUR"), QStringLiteral("Time:  4.00 h")}));
    QVERIFY(C()->SureRichEdit->isReadOnly());
    QCOMPARE(C()->pLabel->text(), QStringLiteral("0.50"));
    QCOMPARE(C()->p1Label->toolTip(), QStringLiteral("0.5"));
    QCOMPARE(Coefficient->Series1->Count(), 2);
    QCOMPARE(Coefficient->Series1->Colors[0], clRed);
    QCOMPARE(Coefficient->Index, 2);
    QVERIFY(C()->ScrollBar1->isHidden());

    for (int i = 0; i < 3; ++i)
        f_->AddCriterion(QStringLiteral("More%1").arg(i), false, 0, 1);
    Coefficient->Prepare(0.0, 1.0, 0);
    QCOMPARE(Lines(C()->SureRichEdit).size(), 5);
    QVERIFY(!C()->ScrollBar1->isHidden());
}

void TestDialogues::coefficientRuns_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("answers"); // S, L, I
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Doubles>("bracket");
    QTest::addColumn<double>("k");
    for (const QLocale &locale : {PointLocale(), CommaLocale()}) {
        const LocaleGuard guard(locale);
        const QString name =
            locale == PointLocale() ? QStringLiteral(", point") : QStringLiteral(", comma");
        const auto row = [&](const char *what) {
            return &(QTest::newRow(qPrintable(QLatin1String(what) + name)) << locale);
        };
        *row("five sures, final value")
            << 5 << "SSSSS" << DotToLocale("0.98") << Doubles{0.96875, 1.0} << 0.98;
        *row("lottery, sure, indifferent") << 5 << "LSI" << QString() << Doubles{} << 0.375;
        *row("a limit of 0 asks once")
            << 0 << "L" << DotToLocale("0.1") << Doubles{0.0, 0.5} << 0.1;
    }
}

void TestDialogues::coefficientRuns() {
    QFETCH(QLocale, locale);
    QFETCH(int, questions);
    QFETCH(QString, answers);
    QFETCH(QString, typed);
    QFETCH(Doubles, bracket);
    QFETCH(double, k);
    const LocaleGuard guard(locale);
    f_->AddCriterion(QStringLiteral("A"), false, 0, 1);
    f_->AddCriterion(QStringLiteral("B"), false, 0, 1);
    Kavrel->Questions = questions;
    Doubles shown;
    f_->Script.AnswerForm(QStringLiteral("TCoefficient"), [&](QDialog *) {
        QVERIFY(Coefficient->isVisible());
        for (QChar a : answers) {
            (a == QLatin1Char('S')   ? C()->SureBitBtn
             : a == QLatin1Char('L') ? C()->LotteryBitBtn
                                     : C()->IndifferentBitBtn)
                ->click();
        }
    });
    if (!typed.isEmpty())
        f_->TypeFinalValue(typed, &shown);
    Coefficient->Ask(0.0, 1.0, 1);
    QVERIFY(!Coefficient->isVisible());
    QCOMPARE(shown, bracket);
    QCOMPARE(Coefficient->K, k);
    QCOMPARE(Kavrel->Criteria[1].SmallK, k);
    QVERIFY(Kavrel->Criteria[1].KCounted);
    QVERIFY(!Kavrel->Criteria[0].KCounted);
    QVERIFY(!Kavrel->Cancelled);
    QCOMPARE(f_->Script.Forms.size(), typed.isEmpty() ? 1 : 2);
}

void TestDialogues::coefficientCloseRules() {
    f_->AddCriterion(QStringLiteral("A"), false, 0, 1).SmallK = 0.3;
    f_->AddCriterion(QStringLiteral("B"), false, 0, 1);
    const QString exit = QStringLiteral("Utility function won't be calculated! Exit anyway?");
    f_->Script.AnswerForm(QStringLiteral("TCoefficient"), [&](QDialog *) {
        QVERIFY(QTest::qWaitForWindowExposed(Coefficient));
        QVERIFY(!Coefficient->close());
        QTest::keyClick(Coefficient, Qt::Key_Escape);
        QVERIFY(Coefficient->isVisible());
        Coefficient->accept();
        QVERIFY(Coefficient->isVisible());
        f_->Script.Answer(mrNo, exit);
        C()->ExitBitBtn->click();
        QVERIFY(Coefficient->isVisible());
        QVERIFY(!Kavrel->Cancelled);
        f_->Script.Answer(mrYes, exit);
        C()->ExitBitBtn->click();
    });
    Coefficient->Ask(0.0, 1.0, 0);
    QVERIFY(!Coefficient->isVisible());
    QVERIFY(Kavrel->Cancelled);
    QCOMPARE(Kavrel->Criteria[0].SmallK, 0.3);
    QVERIFY(!Kavrel->Criteria[0].KCounted);
    QVERIFY(!Coefficient->ClosingByProgram);
}

void TestDialogues::synchronousScrolling_data() {
    QTest::addColumn<int>("pointSize"); // of the texts; 0: the form's own
    QTest::newRow("the form's font") << 0;
    QTest::newRow("small font") << 7;
    QTest::newRow("large font") << 15;
}

void TestDialogues::synchronousScrolling() {
    QFETCH(int, pointSize);
    for (int i = 0; i < 12; ++i)
        f_->AddCriterion(QStringLiteral("C%1").arg(i), false, 0, 1);
    QTextEdit *edits[] = {C()->SureRichEdit, C()->pRichEdit, C()->p1RichEdit};
    const QFont saved = edits[0]->font();
    const auto restore = qScopeGuard([&] {
        for (QTextEdit *e : edits)
            e->setFont(saved);
    });
    if (pointSize) {
        QFont font = saved;
        font.setPointSize(pointSize);
        for (QTextEdit *e : edits)
            e->setFont(font);
    }
    Coefficient->Prepare(0.0, 1.0, 0);
    Coefficient->show();
    QVERIFY(QTest::qWaitForWindowExposed(Coefficient));
    // The lines of a text as the view shows them.
    QAbstractTextDocumentLayout *layout = edits[0]->document()->documentLayout();
    QList<QRectF> lines;
    for (QTextBlock b = edits[0]->document()->firstBlock(); b.isValid(); b = b.next())
        lines << layout->blockBoundingRect(b);
    QCOMPARE(lines.size(), 12);
    // Each step moves the three texts by one line: the top row shows whole, the
    // one before it not at all; down to the last line and back.
    int line = 0;
    for (int step = 0; step < 14; ++step) {
        C()->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        const int value = edits[0]->verticalScrollBar()->value();
        for (QTextEdit *e : edits)
            QCOMPARE(e->verticalScrollBar()->value(), value);
        int top = 0;
        while (top < lines.size() && lines[top].top() < value - 0.5)
            ++top;
        QVERIFY2(top == line || top == line + 1, qPrintable(QString::number(value)));
        if (top > 0)
            QVERIFY(lines[top - 1].bottom() <= value + 0.5);
        line = top;
    }
    // At the end the last line shows whole.
    QVERIFY(line > 0);
    QVERIFY(lines.last().bottom() - edits[0]->verticalScrollBar()->value() <=
            edits[0]->viewport()->height());
    C()->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(edits[0]->verticalScrollBar()->value(), line == 1 ? 0 : qRound(lines[line - 1].top()));
    C()->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const int down = edits[0]->verticalScrollBar()->value();
    QVERIFY(down > 0);

    // A caret moved in one edit: all three start again from the top.
    edits[1]->moveCursor(QTextCursor::End);
    QVERIFY(Coefficient->SelectionChanged);
    C()->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QVERIFY(!Coefficient->SelectionChanged);
    for (QTextEdit *e : edits) {
        QCOMPARE(e->textCursor().position(), 0);
        QCOMPARE(e->verticalScrollBar()->value(), 0);
    }
    Coefficient->ClosingByProgram = true;
    Coefficient->close();
}

VR_GUI_TEST_MAIN(TestDialogues)
#include "tst_dialogues.moc"
