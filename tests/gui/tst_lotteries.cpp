// The arithmetic of the lottery questions: scripted answers on one segment by
// each method, and the coefficient lottery, from the start to the accepted
// point (brackets, proposals, counter, precision stop, question limit).
#include "elicitation/Lotteries.h"
#include "model/Problem.h"
#include "tests/TestSupport.h"

#include <QtTest>

using Doubles = QList<double>;
Q_DECLARE_METATYPE(TAnswerOutcome)

namespace {
// Adds the row under each kind of decimal separator.
template <class Fill> void Rows(const char *name, Fill fill) {
    for (const QLocale &locale : {PointLocale(), CommaLocale()}) {
        auto &row = QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(
            QLatin1String(name),
            locale == PointLocale() ? QStringLiteral("point") : QStringLiteral("comma"))));
        row << locale;
        fill(row);
    }
}

TAnswer AnswerOf(QChar c) {
    return c == QLatin1Char('S') ? TAnswer::Sure : TAnswer::Lottery;
}
} // namespace

class TestLotteries : public QObject {
    Q_OBJECT
private slots:
    void segment_data();
    void segment();
    void coefficient_data();
    void coefficient();
    void numbersTyped_data();
    void numbersTyped();
    void hintDecimals();
};

void TestLotteries::segment_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("cost");
    QTest::addColumn<bool>("first");
    QTest::addColumn<double>("p");
    QTest::addColumn<Doubles>("segment"); // xLeft, uLeft, xRight, uRight
    QTest::addColumn<int>("questions");
    // S: Sure (method 3: Lottery1), L: Lottery (method 3: Lottery2).
    QTest::addColumn<QString>("answers");
    QTest::addColumn<Doubles>("proposals"); // at the start and after each narrowing
    QTest::addColumn<TAnswerOutcome>("outcome");
    QTest::addColumn<Doubles>("bracket"); // limit bracket, else the final bracket
    QTest::addColumn<double>("u");        // utility of the point at the end

    using O = TAnswerOutcome;
    const Doubles unit{0, 0, 100, 1};
    Rows("1 gain, the limit after five", [&](QTestData &r) {
        r << 1 << false << false << 0.5 << unit << 5 << "SSSSS"
          << Doubles{50, 25, 12.5, 6.25, 3.125} << O::QuestionLimit << Doubles{0, 3.125} << 0.5;
    });
    Rows("1 gain, lottery then sure", [&](QTestData &r) {
        r << 1 << false << false << 0.5 << unit << 5 << "LS" << Doubles{50, 75, 62.5} << O::Narrowed
          << Doubles{50, 75} << 0.5;
    });
    Rows("1 gain, p 0.3 on an inner segment", [&](QTestData &r) {
        r << 1 << false << false << 0.3 << Doubles{10, 0.2, 30, 0.8} << 5 << "S"
          << Doubles{16, 11.8} << O::Narrowed << Doubles{10, 16} << 0.38;
    });
    Rows("1 cost", [&](QTestData &r) {
        r << 1 << true << false << 0.3 << Doubles{0, 1, 100, 0} << 5 << "SL"
          << Doubles{70, 91, 84.7} << O::Narrowed << Doubles{70, 91} << 0.3;
    });
    Rows("1, one question", [&](QTestData &r) {
        r << 1 << false << false << 0.5 << unit << 1 << "L" << Doubles{50} << O::QuestionLimit
          << Doubles{50, 100} << 0.5;
    });
    Rows("1, a limit of 0 still stops", [&](QTestData &r) {
        r << 1 << false << false << 0.5 << unit << 0 << "S" << Doubles{50} << O::QuestionLimit
          << Doubles{0, 50} << 0.5;
    });
    Rows("1, a negative limit still stops", [&](QTestData &r) {
        r << 1 << false << false << 0.5 << unit << -3 << "L" << Doubles{50} << O::QuestionLimit
          << Doubles{50, 100} << 0.5;
    });
    Rows("2 gain", [&](QTestData &r) {
        r << 2 << false << false << 0.3 << unit << 5 << "LLS" << Doubles{50, 75, 87.5, 81.25}
          << O::Narrowed << Doubles{75, 87.5} << 0.5;
    });
    Rows("2 cost, first question, limit", [&](QTestData &r) {
        r << 2 << true << true << 0.3 << Doubles{10, 1, 20, 0} << 2 << "SS" << Doubles{15, 17.5}
          << O::QuestionLimit << Doubles{17.5, 20} << 0.5;
    });
    Rows("2 cost", [&](QTestData &r) {
        r << 2 << true << false << 0.3 << Doubles{10, 0.9, 20, 0.5} << 5 << "L" << Doubles{15, 12.5}
          << O::Narrowed << Doubles{10, 15} << 0.7;
    });
    Rows("2, precision stop", [&](QTestData &r) {
        r << 2 << false << false << 0.3 << Doubles{12.46, 0.4, 12.54, 0.6} << 5 << "L"
          << Doubles{12.5} << O::PrecisionStop << Doubles{12.46, 12.54} << 0.5;
    });
    Rows("3 gain", [&](QTestData &r) {
        r << 3 << false << false << 0.5 << Doubles{0, 0.2, 10, 0.6} << 5 << "SL"
          << Doubles{0.2, 0.25, 0.225} << O::Narrowed << Doubles{0.2, 0.25} << 0.45;
    });
    Rows("3 cost", [&](QTestData &r) {
        r << 3 << true << false << 0.4 << Doubles{0, 0.6, 10, 0.2} << 5 << "L"
          << Doubles{0.16, 0.12} << O::Narrowed << Doubles{0.08, 0.16} << 0.3;
    });
    Rows("3, first question, limit", [&](QTestData &r) {
        r << 3 << false << true << 0.5 << Doubles{0, 0, 10, 1} << 1 << "S" << Doubles{0.25}
          << O::QuestionLimit << Doubles{0.25, 0.5} << 0.5;
    });
    Rows("4 gain, first question", [&](QTestData &r) {
        r << 4 << false << true << 0.3 << Doubles{0, 0, 10, 1} << 5 << "SSL"
          << Doubles{0.5, 0.75, 0.875, 0.8125} << O::Narrowed << Doubles{0.75, 0.875} << 0.8125;
    });
    Rows("4 cost", [&](QTestData &r) {
        r << 4 << true << false << 0.3 << Doubles{0, 0.8, 10, 0.4} << 5 << "S" << Doubles{0.6, 0.7}
          << O::Narrowed << Doubles{0.6, 0.8} << 0.7;
    });
    Rows("4 cost, first question", [&](QTestData &r) {
        r << 4 << true << true << 0.3 << Doubles{0, 0, 10, 1} << 5 << "L" << Doubles{0.5, 0.25}
          << O::Narrowed << Doubles{0, 0.5} << 0.25;
    });
    Rows("4, limit", [&](QTestData &r) {
        r << 4 << false << false << 0.3 << Doubles{0, 0.2, 10, 0.6} << 2 << "LL"
          << Doubles{0.4, 0.3} << O::QuestionLimit << Doubles{0.2, 0.3} << 0.3;
    });
}

void TestLotteries::segment() {
    QFETCH(QLocale, locale);
    QFETCH(int, method);
    QFETCH(bool, cost);
    QFETCH(bool, first);
    QFETCH(double, p);
    QFETCH(Doubles, segment);
    QFETCH(int, questions);
    QFETCH(QString, answers);
    QFETCH(Doubles, proposals);
    QFETCH(TAnswerOutcome, outcome);
    QFETCH(Doubles, bracket);
    QFETCH(double, u);
    const LocaleGuard guard(locale);

    TSegmentQuestion q;
    q.Counter = 7; // left over from an earlier segment
    q.Start(method, cost, first, p, segment[0], segment[1], segment[2], segment[3]);
    QCOMPARE(q.Counter, 1);
    QCOMPARE(q.OneMinusP, 1.0 - q.P);
    QCOMPARE(q.Proposal(), proposals[0]);
    TAnswerResult r;
    for (int i = 0; i < answers.size(); ++i) {
        r = q.Answer(AnswerOf(answers[i]), questions);
        if (r.Outcome != TAnswerOutcome::Narrowed) {
            QCOMPARE(i, answers.size() - 1);
            break;
        }
        QCOMPARE(q.Proposal(), proposals[i + 1]);
        QCOMPARE(q.OneMinusP, 1.0 - q.P);
    }
    QCOMPARE(r.Outcome, outcome);
    // The stop does not count a question.
    QCOMPARE(q.Counter, 1 + int(answers.size()) - (outcome == TAnswerOutcome::PrecisionStop));
    QCOMPARE(q.Proposal(), proposals.constLast());
    switch (outcome) {
    case TAnswerOutcome::QuestionLimit:
        QCOMPARE(r.Lo, bracket[0]);
        QCOMPARE(r.Hi, bracket[1]);
        break;
    case TAnswerOutcome::PrecisionStop:
        QCOMPARE(r.ProposalText, FormatFixed(proposals.constLast(), r.Decimals));
        QCOMPARE(r.ProposalText, DotToLocale(QStringLiteral("12.5")));
        [[fallthrough]];
    case TAnswerOutcome::Narrowed:
        QCOMPARE(method == 4 ? q.ULo : q.XLo, bracket[0]);
        QCOMPARE(method == 4 ? q.UHi : q.XHi, bracket[1]);
        break;
    }
    QCOMPARE(q.PointU(), u);
    QCOMPARE(q.NewU, u);
}

void TestLotteries::coefficient_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("answers");
    QTest::addColumn<Doubles>("proposals");
    QTest::addColumn<TAnswerOutcome>("outcome");
    QTest::addColumn<Doubles>("bracket");

    using O = TAnswerOutcome;
    Rows("five sures reach the limit", [&](QTestData &r) {
        r << 0.0 << 1.0 << 5 << "SSSSS" << Doubles{0.5, 0.75, 0.875, 0.9375, 0.96875}
          << O::QuestionLimit << Doubles{0.96875, 1.0};
    });
    Rows("0.75 against 1.0 goes on", [&](QTestData &r) {
        r << 0.0 << 1.0 << 5 << "SS" << Doubles{0.5, 0.75, 0.875} << O::Narrowed
          << Doubles{0.75, 1.0};
    });
    Rows("lotteries then sure", [&](QTestData &r) {
        r << 0.0 << 1.0 << 5 << "LLS" << Doubles{0.5, 0.25, 0.125, 0.1875} << O::Narrowed
          << Doubles{0.125, 0.25};
    });
    Rows("stop at the lower end", [&](QTestData &r) {
        r << 0.46 << 1.0 << 5 << "L" << Doubles{0.5} << O::PrecisionStop << Doubles{0.46, 1.0};
    });
    Rows("one question", [&](QTestData &r) {
        r << 0.0 << 1.0 << 1 << "L" << Doubles{0.5} << O::QuestionLimit << Doubles{0.0, 0.5};
    });
    Rows("a limit of 0 still stops", [&](QTestData &r) {
        r << 0.0 << 1.0 << 0 << "S" << Doubles{0.5} << O::QuestionLimit << Doubles{0.5, 1.0};
    });
}

void TestLotteries::coefficient() {
    QFETCH(QLocale, locale);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(int, questions);
    QFETCH(QString, answers);
    QFETCH(Doubles, proposals);
    QFETCH(TAnswerOutcome, outcome);
    QFETCH(Doubles, bracket);
    const LocaleGuard guard(locale);

    TCoefficientQuestion q;
    q.Counter = 9;
    q.P = 0.1;
    q.Start(lo, hi);
    QCOMPARE(q.Counter, 1);
    QCOMPARE(q.P, proposals[0]);
    TAnswerResult r;
    for (int i = 0; i < answers.size(); ++i) {
        r = q.Answer(AnswerOf(answers[i]), questions);
        if (r.Outcome != TAnswerOutcome::Narrowed) {
            QCOMPARE(i, answers.size() - 1);
            break;
        }
        QCOMPARE(q.P, proposals[i + 1]);
    }
    QCOMPARE(r.Outcome, outcome);
    QCOMPARE(q.Counter, 1 + int(answers.size()) - (outcome == TAnswerOutcome::PrecisionStop));
    if (outcome == TAnswerOutcome::QuestionLimit) {
        QCOMPARE(r.Lo, bracket[0]);
        QCOMPARE(r.Hi, bracket[1]);
    } else {
        QCOMPARE(q.PLo, bracket[0]);
        QCOMPARE(q.PHi, bracket[1]);
    }
    if (outcome == TAnswerOutcome::PrecisionStop)
        QCOMPARE(r.ProposalText, DotToLocale(QStringLiteral("0.5")));
}

void TestLotteries::numbersTyped_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("point") << PointLocale() << "0.25" << true << 0.25;
    QTest::newRow("comma") << CommaLocale() << "0,25" << true << 0.25;
    QTest::newRow("point under comma") << CommaLocale() << "0.25" << false << 0.0;
    QTest::newRow("blanks") << PointLocale() << " 0.5 " << true << 0.5;
    QTest::newRow("nan") << PointLocale() << "nan" << false << 0.0;
    QTest::newRow("inf") << PointLocale() << "inf" << false << 0.0;
    QTest::newRow("-inf") << CommaLocale() << "-inf" << false << 0.0;
    QTest::newRow("grouping") << PointLocale() << "1,000.5" << false << 0.0;
    QTest::newRow("huge") << PointLocale() << "1e999" << false << 0.0;
    QTest::newRow("empty") << PointLocale() << "" << false << 0.0;
}

void TestLotteries::numbersTyped() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    const LocaleGuard guard(locale);
    double v = -1.0;
    QCOMPARE(TextToFloat(text, v), ok);
    QCOMPARE(v, ok ? value : -1.0);
}

void TestLotteries::hintDecimals() {
    const LocaleGuard guard(CommaLocale());
    QCOMPARE(HintDecimals(QStringLiteral("12,5")), 1);
    QCOMPARE(HintDecimals(QStringLiteral("0,96875")), 5);
    // No separator: the whole length, so an integer never matches its formatted end.
    QCOMPARE(HintDecimals(QStringLiteral("120")), 3);
    QCOMPARE(HintDecimals(QStringLiteral("nan")), 3);
    QCOMPARE(ClampQuestions(0), 1);
    QCOMPARE(ClampQuestions(51), 50);
}

QTEST_GUILESS_MAIN(TestLotteries)
#include "tst_lotteries.moc"
