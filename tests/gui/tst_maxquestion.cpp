// The final-value dialog: what it accepts, what it refuses, and that it
// cannot be closed before a valid OK.
#include "elicitation/Maxquestion.h"
#include "platform/Dialogs.h"
#include "ui_Maxquestion.h"

#include <QCloseEvent>
#include <QtTest>

namespace {
const QString OutOfRange = QStringLiteral("Entered value must fit between the boundaries.");
const QString NotNumber =
    QStringLiteral("Non numerical value. Entered value must fit between the boundaries.");
} // namespace

class TestMaxQuestion : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void labels();
    void rules_data();
    void rules();
    void boundsTypedAsShown_data();
    void boundsTypedAsShown();
    void closeRefusedUntilValidOk();
    void executeReturnsTheAcceptedValue();
    void executeWithoutAnAnswerHasNoValue();
};

void TestMaxQuestion::labels() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TMaxQuestions dialog;
    dialog.Form()->ValueEdit->setText(QStringLiteral("left over"));
    dialog.Accepted = true;
    dialog.Prepare(0.25, 1.0 / 3.0);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Maximum number of questions reached"));
    QCOMPARE(dialog.Form()->TextLabel->text(),
             QStringLiteral("Enter value which renders you indifferent:"));
    QCOMPARE(dialog.Form()->OKBitBtn->text(), QStringLiteral("&OK"));
    QVERIFY(dialog.Form()->OKBitBtn->isDefault());
    QCOMPARE(dialog.Form()->MinLabel->text(), QStringLiteral("0,25"));
    QCOMPARE(dialog.Form()->MaxLabel->text(), QStringLiteral("0,3333333333333333"));
    QCOMPARE(dialog.Form()->MaxLabel->toolTip(), dialog.Form()->MaxLabel->text());
    QCOMPARE(dialog.Form()->MinLabel->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QVERIFY(dialog.Form()->ValueEdit->text().isEmpty());
    QVERIFY(!dialog.Accepted);
    QCOMPARE(dialog.Lo, 0.25);
    QCOMPARE(dialog.Hi, 1.0 / 3.0);
}

void TestMaxQuestion::rules_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<double>("value");

    QTest::newRow("inside") << "C" << 10.0 << 20.0 << "12.5" << QString() << 12.5;
    QTest::newRow("lower bound") << "C" << 10.0 << 20.0 << "10" << QString() << 10.0;
    QTest::newRow("upper bound") << "C" << 10.0 << 20.0 << "20" << QString() << 20.0;
    QTest::newRow("blanks around") << "C" << 10.0 << 20.0 << " 15 " << QString() << 15.0;
    QTest::newRow("exponent") << "C" << 10.0 << 20.0 << "1.5e1" << QString() << 15.0;
    QTest::newRow("below") << "C" << 10.0 << 20.0 << "9.999" << OutOfRange << 0.0;
    QTest::newRow("above") << "C" << 10.0 << 20.0 << "20.001" << OutOfRange << 0.0;
    QTest::newRow("empty") << "C" << 10.0 << 20.0 << "" << NotNumber << 0.0;
    QTest::newRow("letters") << "C" << 10.0 << 20.0 << "abc" << NotNumber << 0.0;
    QTest::newRow("not a number") << "C" << 10.0 << 20.0 << "nan" << NotNumber << 0.0;
    QTest::newRow("infinity") << "C" << 10.0 << 20.0 << "inf" << NotNumber << 0.0;
    QTest::newRow("comma under point locale") << "C" << 10.0 << 20.0 << "12,5" << NotNumber << 0.0;
    QTest::newRow("point under comma locale")
        << "de_DE" << 10.0 << 20.0 << "12.5" << NotNumber << 0.0;
    QTest::newRow("comma under comma locale")
        << "de_DE" << 10.0 << 20.0 << "12,5" << QString() << 12.5;
    QTest::newRow("lo = hi, that value") << "C" << 0.3 << 0.3 << "0.3" << QString() << 0.3;
    QTest::newRow("lo = hi, another") << "C" << 0.3 << 0.3 << "0.30001" << OutOfRange << 0.0;
    QTest::newRow("negative range") << "C" << -5.0 << -1.0 << "-2" << QString() << -2.0;
}

void TestMaxQuestion::rules() {
    QFETCH(QString, locale);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(double, value);
    QLocale::setDefault(QLocale(locale));

    TDialogScript script;
    TMaxQuestions dialog;
    dialog.Value = 0.0;
    dialog.Prepare(lo, hi);
    dialog.show();
    dialog.Form()->ValueEdit->setText(text);
    if (!message.isEmpty())
        script.Answer(mrOk, message);
    dialog.OKBitBtnClick();

    QVERIFY2(script.Unexpected.isEmpty(), qPrintable(script.Unexpected.join('|')));
    QCOMPARE(script.PendingAnswers(), 0);
    if (message.isEmpty()) {
        QCOMPARE(dialog.Value, value);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.Accepted); // used up by the close
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    } else {
        QCOMPARE(script.Shown.size(), 1);
        QCOMPARE(script.Shown[0].Type, mtError);
        QCOMPARE(script.Shown[0].Buttons, TMsgDlgButtons(mbOK));
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.Accepted);
        QCOMPARE(dialog.Value, 0.0);
    }
}

void TestMaxQuestion::boundsTypedAsShown_data() {
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::newRow("a third below") << 1.0 / 3.0 << 0.5;
    QTest::newRow("two thirds above") << 0.25 << 2.0 / 3.0;
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << 0.75;
}

// A bound typed as the dialog shows it is that bound, so it is accepted.
void TestMaxQuestion::boundsTypedAsShown() {
    QFETCH(double, lo);
    QFETCH(double, hi);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TDialogScript script;
    TMaxQuestions dialog;
    for (const bool lower : {true, false}) {
        dialog.Prepare(lo, hi);
        dialog.show();
        QLabel *shown = lower ? dialog.Form()->MinLabel : dialog.Form()->MaxLabel;
        dialog.Form()->ValueEdit->setText(shown->text());
        dialog.OKBitBtnClick();
        QVERIFY2(script.Shown.isEmpty(), qPrintable(shown->text()));
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.Value == (lower ? lo : hi));
    }
}

void TestMaxQuestion::closeRefusedUntilValidOk() {
    TDialogScript script;
    TMaxQuestions dialog;
    dialog.Prepare(1.0, 2.0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    // The system's close (Alt+F4), Escape and a wrong value all leave it open.
    QVERIFY(!dialog.close());
    QVERIFY(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    dialog.Form()->ValueEdit->setText(QStringLiteral("3"));
    script.Answer(mrOk, OutOfRange);
    QTest::mouseClick(dialog.Form()->OKBitBtn, Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QCloseEvent refused;
    QApplication::sendEvent(&dialog, &refused);
    QVERIFY(!refused.isAccepted());

    dialog.Form()->ValueEdit->setText(QStringLiteral("1.5"));
    QTest::mouseClick(dialog.Form()->OKBitBtn, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Value, 1.5);
    QVERIFY(script.Unexpected.isEmpty());

    // The accepted flag is used up: the next close is refused again.
    QVERIFY(!dialog.FormCloseQuery());
    dialog.Accepted = true;
    QVERIFY(dialog.FormCloseQuery());
    QVERIFY(!dialog.Accepted);
}

void TestMaxQuestion::executeReturnsTheAcceptedValue() {
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    TMaxQuestions dialog(&parent);
    QTimer::singleShot(0, &dialog, [&] {
        // Centred on its parent.
        QVERIFY(std::abs(dialog.frameGeometry().center().x() -
                         parent.frameGeometry().center().x()) <= 2);
        QVERIFY(dialog.Form()->ValueEdit->text().isEmpty());
        QVERIFY(!dialog.close());
        dialog.Form()->ValueEdit->setText(QStringLiteral("0.75"));
        dialog.Form()->OKBitBtn->click();
    });
    dialog.Form()->ValueEdit->setText(QStringLiteral("stale"));
    QCOMPARE(dialog.Execute(0.5, 1.0), std::optional<double>(0.75));
}

void TestMaxQuestion::executeWithoutAnAnswerHasNoValue() {
    TMaxQuestions dialog;
    QTimer::singleShot(0, &dialog, [&] {
        dialog.Form()->ValueEdit->setText(QStringLiteral("1.5"));
        dialog.Form()->OKBitBtn->click();
    });
    QCOMPARE(dialog.Execute(1.0, 2.0), std::optional<double>(1.5));
    // The next limit: the loop ends before any OK, as when the program closes.
    // Every event loop of this process returns at once after that, so this
    // test must stay the last one.
    QTimer::singleShot(0, &dialog, [] { QCoreApplication::exit(0); });
    QCOMPARE(dialog.Execute(1.0, 2.0), std::optional<double>());
    dialog.hide();
}

QTEST_MAIN(TestMaxQuestion)
#include "tst_maxquestion.moc"
