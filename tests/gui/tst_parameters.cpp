// The elicitation parameters dialog: the order and texts of its checks, the
// values stored only by a valid OK, Enter checking without storing, the arrow
// step, and Cancel, Escape and closing putting the stored values back.
#include "GuiTest.h"
#include "elicitation/Parameters.h"
#include "tests/TestSupport.h"
#include "ui_Parameters.h"

#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>

namespace {
const QString QuestionsRange = QStringLiteral("Number of questions must belong to interval (0,50>");
const QString PrecisionRange =
    QStringLiteral("Precision of the probability value must belong to interval <1,6>");
const QString ProbabilityRange = QStringLiteral("Probability must belong to interval (0,1)");
const QString NotNumber = QStringLiteral("Non numerical value. ");

Ui::TParameter *F() {
    return Parameter->Form();
}

// Types into a spin edit as a user would, whatever its range allows.
void TypeSpin(QSpinBox *spin, const QString &text) {
    spin->findChild<QLineEdit *>()->setText(text);
}

void Fill(const QString &questions, const QString &precision, const QString &probability) {
    TypeSpin(F()->QuestionSpinEdit, questions);
    TypeSpin(F()->PrecisionSpinEdit, precision);
    F()->ProbabilityEdit->setText(probability);
}
} // namespace

class TestParameters : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void controls();
    void labelsShowInFull_data();
    void labelsShowInFull();
    void ok_data();
    void ok();
    void enterChecksWithoutStoring_data();
    void enterChecksWithoutStoring();
    void enterOnOkButtonPressesIt();
    void arrows_data();
    void arrows();
    void cancelEscapeAndCloseRestore();
    void menuCommand();
    void storedChangeMarksProblemUnsaved_data();
    void storedChangeMarksProblemUnsaved();

private:
    std::unique_ptr<TFrameFixture> f_;
};

void TestParameters::init() {
    f_ = std::make_unique<TFrameFixture>();
    Parameter = new TParameter(Kavrel);
}

void TestParameters::cleanup() {
    delete Parameter;
    Parameter = nullptr;
    if (f_)
        f_->Check();
    f_.reset();
}

void TestParameters::controls() {
    const LocaleGuard guard(CommaLocale());
    Kavrel->Probability = 0.25;
    Kavrel->Questions = 7;
    Kavrel->ProbabilityPrecision = 2;
    Parameter->show();
    QVERIFY(QTest::qWaitForWindowExposed(Parameter));
    QCOMPARE(Parameter->windowTitle(), QStringLiteral("Parameters"));
    QCOMPARE(F()->ProbabilityEdit->text(), QStringLiteral("0,25"));
    QCOMPARE(F()->QuestionSpinEdit->value(), 7);
    QCOMPARE(F()->PrecisionSpinEdit->value(), 2);
    QCOMPARE(QApplication::focusWidget(), F()->ParamOK);
    QVERIFY(F()->ParamOK->isDefault());
    QCOMPARE(F()->ProbabilityLabel->text(),
             QStringLiteral("Probability of the more desired case in lotteries"));
    QCOMPARE(F()->QuestionsLabel->text(),
             QStringLiteral("Max. number of questions concerning a single point"));
    QCOMPARE(F()->PrecisionLabel->text(),
             QStringLiteral("Precision of the probability value display"));
    QCOMPARE(F()->ProbabilityEdit->toolTip(), ProbabilityRange);
    QCOMPARE(F()->QuestionSpinEdit->toolTip(),
             QStringLiteral("Number of question must belong to interval <2, 50>"));
    QCOMPARE(F()->PrecisionSpinEdit->toolTip(), PrecisionRange);
    QCOMPARE(F()->QuestionSpinEdit->minimum(), 2);
    QCOMPARE(F()->QuestionSpinEdit->maximum(), 50);
    QCOMPARE(F()->PrecisionSpinEdit->minimum(), 1);
    QCOMPARE(F()->PrecisionSpinEdit->maximum(), 6);
    Parameter->close();
}

void TestParameters::labelsShowInFull_data() {
    QTest::addColumn<int>("grow");
    QTest::newRow("default font") << 0;
    QTest::newRow("larger font") << 5;
}

void TestParameters::labelsShowInFull() {
    QFETCH(int, grow);
    const QFont saved = QApplication::font();
    const auto restore = qScopeGuard([&saved] { QApplication::setFont(saved); });
    QFont font = saved;
    font.setPointSize(saved.pointSize() + grow);
    QApplication::setFont(font);
    TParameter dialog(Kavrel);
    Ui::TParameter *f = dialog.Form();
    for (QLabel *label : {f->ProbabilityLabel, f->QuestionsLabel, f->PrecisionLabel}) {
        QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        QVERIFY(label->geometry().right() < f->QuestionSpinEdit->x());
    }
    for (QWidget *w : dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(dialog.rect().contains(w->geometry()), qPrintable(w->objectName()));
}

void TestParameters::ok_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("questions");
    QTest::addColumn<QString>("precision");
    QTest::addColumn<QString>("probability");
    QTest::addColumn<QString>("message"); // empty: stored
    QTest::addColumn<QString>("focus");   // the control that takes the focus after a refusal

    const QLocale pt = PointLocale(), cm = CommaLocale();
    QTest::newRow("stored") << pt << "7"
                            << "4"
                            << "0.3" << QString() << QString();
    QTest::newRow("stored, comma") << cm << "7"
                                   << "4"
                                   << "0,999" << QString() << QString();
    QTest::newRow("one question") << pt << "1"
                                  << "4"
                                  << "0.3" << QString() << QString();
    QTest::newRow("probability 1") << pt << "7"
                                   << "4"
                                   << "1" << ProbabilityRange << "ProbabilityEdit";
    QTest::newRow("probability 0") << pt << "7"
                                   << "4"
                                   << "0" << ProbabilityRange << "ProbabilityEdit";
    QTest::newRow("letters") << pt << "7"
                             << "4"
                             << "abc" << NotNumber + ProbabilityRange << "ProbabilityEdit";
    QTest::newRow("nan") << pt << "7"
                         << "4"
                         << "nan" << NotNumber + ProbabilityRange << "ProbabilityEdit";
    QTest::newRow("inf") << pt << "7"
                         << "4"
                         << "inf" << NotNumber + ProbabilityRange << "ProbabilityEdit";
    QTest::newRow("grouped") << pt << "7"
                             << "4"
                             << "0,5" << NotNumber + ProbabilityRange << "ProbabilityEdit";
    QTest::newRow("point under comma")
        << cm << "7"
        << "4"
        << "0.5" << NotNumber + ProbabilityRange << "ProbabilityEdit";
    QTest::newRow("no questions") << pt << ""
                                  << "4"
                                  << "0.3" << NotNumber + ProbabilityRange << "QuestionSpinEdit";
    QTest::newRow("questions 0, checked first") << pt << "0"
                                                << "9"
                                                << "2" << QuestionsRange << "QuestionSpinEdit";
    QTest::newRow("precision 0, before the probability")
        << pt << "7"
        << "0"
        << "2" << PrecisionRange << "PrecisionSpinEdit";
    QTest::newRow("precision 9") << pt << "7"
                                 << "9"
                                 << "0.3" << PrecisionRange << "PrecisionSpinEdit";
}

void TestParameters::ok() {
    QFETCH(QLocale, locale);
    QFETCH(QString, questions);
    QFETCH(QString, precision);
    QFETCH(QString, probability);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    const LocaleGuard guard(locale);

    Kavrel->Cancelled = true; // as New problem sets it before showing the dialog
    Parameter->show();
    QVERIFY(QTest::qWaitForWindowExposed(Parameter));
    QApplication::setActiveWindow(Parameter);
    Fill(questions, precision, probability);
    if (!message.isEmpty())
        f_->Script.Answer(mrOk, message);
    Parameter->Form()->ParamOK->click();

    if (message.isEmpty()) {
        bool read = false;
        QCOMPARE(Kavrel->Probability, locale.toDouble(probability, &read));
        QVERIFY(read);
        QCOMPARE(Kavrel->Questions, questions.toInt());
        QCOMPARE(Kavrel->ProbabilityPrecision, precision.toInt());
        QVERIFY(!Kavrel->Cancelled);
        QVERIFY(!Parameter->isVisible());
        QCOMPARE(Parameter->result(), int(QDialog::Accepted));
        return;
    }
    QCOMPARE(f_->Script.Shown.constLast().Type, mtError);
    QVERIFY(Parameter->isVisible());
    QCOMPARE(Kavrel->Probability, 0.5);
    QCOMPARE(Kavrel->Questions, 5);
    QCOMPARE(Kavrel->ProbabilityPrecision, 3);
    QVERIFY(Kavrel->Cancelled);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    if (focus == QLatin1String("ProbabilityEdit"))
        QCOMPARE(F()->ProbabilityEdit->text(), DotToLocale(QStringLiteral("0.5")));
    Parameter->close();
}

void TestParameters::enterChecksWithoutStoring_data() {
    QTest::addColumn<QString>("questions");
    QTest::addColumn<QString>("precision");
    QTest::addColumn<QString>("probability");
    QTest::addColumn<QStringList>("messages");
    // Where the focus ends: each failed check takes it; empty: on to the next control.
    QTest::addColumn<QString>("focus");
    QTest::newRow("valid") << "9"
                           << "2"
                           << "0.7" << QStringList() << QString();
    QTest::newRow("probability out") << "9"
                                     << "2"
                                     << "1.5" << QStringList{ProbabilityRange} << "ProbabilityEdit";
    QTest::newRow("all three wrong")
        << "0"
        << ""
        << "x"
        << QStringList{QuestionsRange, NotNumber + PrecisionRange, NotNumber + ProbabilityRange}
        << "ProbabilityEdit";
    QTest::newRow("questions unreadable, probability valid")
        << ""
        << "2"
        << "0.7" << QStringList{NotNumber + QuestionsRange} << "QuestionSpinEdit";
    QTest::newRow("precision out, probability valid")
        << "9"
        << "8"
        << "0.7" << QStringList{PrecisionRange} << "PrecisionSpinEdit";
    QTest::newRow("questions and precision out")
        << "60"
        << "0"
        << "0.7" << QStringList{QuestionsRange, PrecisionRange} << "PrecisionSpinEdit";
}

void TestParameters::enterChecksWithoutStoring() {
    QFETCH(QString, questions);
    QFETCH(QString, precision);
    QFETCH(QString, probability);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);
    const LocaleGuard guard(PointLocale());
    Parameter->show();
    QVERIFY(QTest::qWaitForWindowExposed(Parameter));
    QApplication::setActiveWindow(Parameter);
    Fill(questions, precision, probability);
    F()->ProbabilityEdit->setFocus();
    for (const QString &m : messages)
        f_->Script.Answer(mrOk, m);
    QTest::keyClick(F()->ProbabilityEdit, Qt::Key_Return);

    QVERIFY(Parameter->isVisible()); // the default button did not run
    QCOMPARE(Kavrel->Probability, 0.5);
    QCOMPARE(Kavrel->Questions, 5);
    QCOMPARE(Kavrel->ProbabilityPrecision, 3);
    if (focus.isEmpty())
        QVERIFY(QApplication::focusWidget() != F()->ProbabilityEdit);
    else
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    const bool probabilityValid =
        !messages.contains(ProbabilityRange) && !messages.contains(NotNumber + ProbabilityRange);
    QCOMPARE(F()->ProbabilityEdit->text(), probabilityValid ? probability : QStringLiteral("0.5"));
    Parameter->close();
}

void TestParameters::enterOnOkButtonPressesIt() {
    const LocaleGuard guard(PointLocale());
    Parameter->show();
    QVERIFY(QTest::qWaitForWindowExposed(Parameter));
    QApplication::setActiveWindow(Parameter);
    F()->ProbabilityEdit->setText(QStringLiteral("0.4"));
    F()->ParamOK->setFocus();
    QTest::keyClick(F()->ParamOK, Qt::Key_Return);
    QVERIFY(!Parameter->isVisible());
    QCOMPARE(Kavrel->Probability, 0.4);
}

void TestParameters::arrows_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("message");
    const QLocale pt = PointLocale(), cm = CommaLocale();
    QTest::newRow("0.5 up") << pt << "0.5" << true << "0.6" << QString();
    QTest::newRow("0.2 up") << pt << "0.2" << true << "0.3" << QString();
    QTest::newRow("0,5 down") << cm << "0,5" << false << "0,4" << QString();
    QTest::newRow("0.9 up stays") << pt << "0.9" << true << "0.9" << QString();
    QTest::newRow("0.1 down stays") << pt << "0.1" << false << "0.1" << QString();
    QTest::newRow("1 down") << pt << "1" << false << "0.9" << QString();
    QTest::newRow("5 up: the stored value") << pt << "5" << true << "0.5" << QString();
    QTest::newRow("-1 down: the stored value") << pt << "-1" << false << "0.5" << QString();
    QTest::newRow("letters") << pt << "abc" << true << "abc"
                             << QStringLiteral("None numerical value. ") + ProbabilityRange;
}

void TestParameters::arrows() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, up);
    QFETCH(QString, result);
    QFETCH(QString, message);
    const LocaleGuard guard(locale);
    F()->ProbabilityEdit->setText(text);
    if (!message.isEmpty())
        f_->Script.Answer(mrOk, message);
    (up ? F()->UpDown1Up : F()->UpDown1Down)->click();
    QCOMPARE(F()->ProbabilityEdit->text(), result);
    QCOMPARE(Kavrel->Probability, 0.5);
}

void TestParameters::cancelEscapeAndCloseRestore() {
    const LocaleGuard guard(PointLocale());
    const auto edit = [] { Fill(QStringLiteral("9"), QStringLiteral("5"), QStringLiteral("0.8")); };
    const auto restored = [] {
        return F()->ProbabilityEdit->text() == QLatin1String("0.5") &&
               F()->QuestionSpinEdit->value() == 5 && F()->PrecisionSpinEdit->value() == 3;
    };
    Parameter->show();
    edit();
    F()->ParamCancel->click();
    QVERIFY(!Parameter->isVisible());
    QVERIFY(restored());

    Parameter->show();
    QVERIFY(QTest::qWaitForWindowExposed(Parameter));
    edit();
    QTest::keyClick(F()->ProbabilityEdit, Qt::Key_Escape);
    QVERIFY(!Parameter->isVisible());
    QVERIFY(restored());

    Parameter->show();
    edit();
    QVERIFY(Parameter->close());
    QVERIFY(restored());
    QCOMPARE(Kavrel->Probability, 0.5);
    QCOMPARE(Kavrel->Questions, 5);
    QCOMPARE(Kavrel->ProbabilityPrecision, 3);
}

void TestParameters::menuCommand() {
    const LocaleGuard guard(PointLocale());
    Kavrel->Cancelled = true;
    f_->Script.AnswerForm(QStringLiteral("TParameter"), [](QDialog *) {
        Fill(QStringLiteral("12"), QStringLiteral("4"), QStringLiteral("0.65"));
        F()->ParamOK->click();
    });
    Kavrel->Menu_Parameters->trigger();
    QCOMPARE(f_->Script.Forms, QStringList{QStringLiteral("TParameter")});
    QCOMPARE(Kavrel->Probability, 0.65);
    QCOMPARE(Kavrel->Questions, 12);
    QCOMPARE(Kavrel->ProbabilityPrecision, 4);
    QVERIFY(!Kavrel->Cancelled);

    Kavrel->HelpShow = nullptr;
    f_->Script.AnswerForm(QStringLiteral("TParameter"), [](QDialog *) {
        F()->ProbabilityEdit->setText(QStringLiteral("0.1"));
        QTest::keyClick(F()->ProbabilityEdit, Qt::Key_F1);
        F()->ParamCancel->click();
    });
    Kavrel->Menu_ParametersClick();
    QCOMPARE(Kavrel->Probability, 0.65);
    QCOMPARE(F()->ProbabilityEdit->text(), QStringLiteral("0.65"));
}

void TestParameters::storedChangeMarksProblemUnsaved_data() {
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<int>("questions");       // as the problem had them
    QTest::addColumn<QString>("probability"); // typed; empty: left as shown
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("marked");
    QTest::newRow("probability 0.7") << true << 5 << "0.7" << true << true;
    QTest::newRow("OK unchanged") << true << 5 << QString() << true << false;
    QTest::newRow("retyped as it was") << true << 5 << "0.5" << true << false;
    QTest::newRow("Cancel after typing") << true << 5 << "0.7" << false << false;
    // The spin box holds 2..50; a problem may have 1.
    QTest::newRow("one question kept") << true << 1 << QString() << true << false;
    QTest::newRow("no problem") << false << 5 << "0.7" << true << false;
}

void TestParameters::storedChangeMarksProblemUnsaved() {
    QFETCH(bool, loaded);
    QFETCH(int, questions);
    QFETCH(QString, probability);
    QFETCH(bool, ok);
    QFETCH(bool, marked);
    const LocaleGuard guard(PointLocale());
    if (loaded) {
        f_->Script.ChooseFile(QStringLiteral(VR_EXAMPLES "/cars.xml"));
        Kavrel->SB_LoadProblemClick();
        QCOMPARE(Kavrel->StatusBar->PanelText(0), QStringLiteral("Problem: cars.xml"));
    }
    const QString panel = Kavrel->StatusBar->PanelText(0);
    Kavrel->Questions = questions;
    f_->Script.AnswerForm(QStringLiteral("TParameter"), [&](QDialog *) {
        if (!probability.isNull())
            F()->ProbabilityEdit->setText(probability);
        (ok ? F()->ParamOK : F()->ParamCancel)->click();
    });
    Kavrel->Menu_Parameters->trigger();
    QCOMPARE(Kavrel->Probability, ok && !probability.isNull() ? probability.toDouble() : 0.5);
    QCOMPARE(Kavrel->Questions, questions);
    QCOMPARE(Kavrel->StatusBar->PanelText(0),
             marked ? QStringLiteral("Problem: NOT SAVED") : panel);
    QCOMPARE(Kavrel->ProblemSaved, !marked);

    // Exit warns about the unsaved change.
    QString exit = QStringLiteral("Are you sure you want to exit Veveve Revavovaruvu ?");
    if (marked)
        exit += QStringLiteral("\nProblem is not saved !");
    f_->Script.Answer(mrNo, exit);
    bool canClose = true;
    Kavrel->FormCloseQuery(canClose);
    QVERIFY(!canClose);
}

VR_GUI_TEST_MAIN(TestParameters)
#include "tst_parameters.moc"
