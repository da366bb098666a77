// Look-ups, the scaling factor K and overall utilities.
#include "model/DecisionModel.h"
#include "model/Messages.h"
#include "tests/TestSupport.h"

#include <QtTest>
#include <cmath>

namespace {
TPROBLEM Criterion(const QString &name, int id, double k, bool used = true) {
    TPROBLEM c;
    c.Name = name;
    c.Id = id;
    c.AttrID = QStringLiteral("Attr%1").arg(id);
    c.SmallK = k;
    c.Used = used;
    c.Min = 0;
    c.Max = 10;
    c.Init(c.Min, c.Max);
    return c;
}

} // namespace

class TestDecisionModel : public QObject {
    Q_OBJECT
private slots:
    void init() { FactorK = 0.0; }
    void lookups();
    void symmetricSum();
    void factorK_data();
    void factorK();
    void factorKRefused_data();
    void factorKRefused();
    void factorKSolvesEquation();
    void factorKFits_data();
    void factorKFits();
    void utilities_data();
    void utilities();
    void nearAdditiveKeepsDigits();
};

void TestDecisionModel::lookups() {
    TDecisionModel m;
    QCOMPARE(m.Roles.size(), size_t(2));
    QCOMPARE(m.Roles[0].AttrID, QStringLiteral("MAKE"));
    QCOMPARE(m.Roles[1].Caption, QStringLiteral("Description"));
    QCOMPARE(m.MaxCriterionId(), 0);
    m.Criteria = {Criterion("Price", 0, 0), Criterion("Speed", 4, 0), Criterion("Price2", 2, 0)};
    QCOMPARE(m.MaxCriterionId(), 4);
    QCOMPARE(m.CriterionIndexById(2), 2);
    QCOMPARE(m.CriterionIndexById(3), -1);
    QCOMPARE(m.CriterionIndexByName("Speed"), 1);
    QCOMPARE(m.CriterionIndexByName("speed"), -1);
    QCOMPARE(m.CriterionIdByName("Speed"), 4);
    QCOMPARE(m.CriterionIdByName("None"), -1);
    QVERIFY(m.IsCriterionNameUnique("Price", 0));
    QVERIFY(!m.IsCriterionNameUnique("Price", 2));
    QVERIFY(!m.IsCriterionNameUnique("Price", -1));
    QVERIFY(!m.IsAttrIdFree("Attr4"));
    QVERIFY(m.IsAttrIdFree("MAKE")); // the roles are not consulted
    m.Variants.AddVariant("Car A", "");
    m.Variants.AddVariant("Car B", "");
    QCOMPARE(m.AlternativeIndexByName("Car B"), 1);
    QCOMPARE(m.AlternativeIndexByName("car b"), -1);
}

void TestDecisionModel::symmetricSum() {
    const double k[] = {0, 0.1, 0.2, 0.3, 0.4};
    double s1 = 0, s2 = 0, s4 = 0;
    SymmetricSum(4, k, 1, 1, 1, 1.0, s1);
    SymmetricSum(4, k, 2, 1, 1, 1.0, s2);
    SymmetricSum(4, k, 4, 1, 1, 1.0, s4);
    QCOMPARE(s1, 1.0);
    QVERIFY(qFuzzyCompare(s2, 0.02 + 0.03 + 0.04 + 0.06 + 0.08 + 0.12));
    QVERIFY(qFuzzyCompare(s4, 0.0024));
}

void TestDecisionModel::factorK_data() {
    QTest::addColumn<QList<double>>("k");
    QTest::addColumn<double>("K");
    QTest::newRow("one used criterion") << QList<double>{0.3} << 1.0;
    QTest::newRow("sum exactly one") << QList<double>{0.4, 0.6} << 1.0;
    QTest::newRow("ten times 0.1") << QList<double>(10, 0.1) << 1.0;
    QTest::newRow("0.3 0.3") << QList<double>{0.3, 0.3} << 40.0 / 9.0;
    QTest::newRow("0.7 0.7") << QList<double>{0.7, 0.7} << -0.8163265306122449;
    QTest::newRow("0.2 0.9") << QList<double>{0.2, 0.9} << -5.0 / 9.0;
    QTest::newRow("0.01 0.01") << QList<double>{0.01, 0.01} << 9800.0;
    QTest::newRow("zero k drops out") << QList<double>{0.3, 0.0, 0.3} << 40.0 / 9.0;
    QTest::newRow("k of one gives -1") << QList<double>{1.0, 0.5} << -1.0;
    // Two criteria: K = (1 - k1 - k2) / (k1 k2); both subtractions are exact here.
    QTest::newRow("near additive")
        << QList<double>{0.5, 0.5000001} << ((1.0 - 0.5) - 0.5000001) / (0.5 * 0.5000001);
}

void TestDecisionModel::factorK() {
    QFETCH(QList<double>, k);
    QFETCH(double, K);
    TDecisionModel m;
    for (int i = 0; i < k.size(); ++i)
        m.Criteria.push_back(Criterion(QStringLiteral("C%1").arg(i), i, k[i]));
    m.Criteria.push_back(Criterion("Unused", 99, 0.9, false));
    MessageRecorder messages;
    QVERIFY(m.SolveFactorK());
    QVERIFY(messages.texts.isEmpty());
    QVERIFY(m.SolutionComplete);
    QCOMPARE(m.UsedCount, int(k.size()));
    QVERIFY2(std::abs(FactorK - K) <= 1e-12 * std::abs(K),
             qPrintable(QString::number(FactorK, 'g', 17)));
}

void TestDecisionModel::factorKRefused_data() {
    QTest::addColumn<QList<double>>("k");
    QTest::newRow("no used criterion") << QList<double>{};
    QTest::newRow("every k zero") << QList<double>{0.0, 0.0};
    QTest::newRow("one k above zero") << QList<double>{0.4, 0.0};
    QTest::newRow("k above one") << QList<double>{1.5, 0.2};
    QTest::newRow("k NaN") << QList<double>{std::nan(""), 0.2};
}

void TestDecisionModel::factorKRefused() {
    QFETCH(QList<double>, k);
    TDecisionModel m;
    for (int i = 0; i < k.size(); ++i)
        m.Criteria.push_back(Criterion(QStringLiteral("C%1").arg(i), i, k[i]));
    m.Criteria.push_back(Criterion("Unused", 99, 0.5, false));
    FactorK = 2.5;
    MessageRecorder messages;
    QVERIFY(!m.SolveFactorK());
    QCOMPARE(messages.texts, QStringList{"Can't calculate factor K"});
    QCOMPARE(FactorK, 2.5);
    QVERIFY(!m.SolutionComplete);
    QCOMPARE(m.UsedCount, int(k.size()));
}

void TestDecisionModel::factorKSolvesEquation() {
    // Ten criteria of several spreads against a bisection in long double.
    const QList<QList<double>> cases = {
        {0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5},
        {0.01, 0.02, 0.01, 0.03, 0.02, 0.01, 0.02, 0.03, 0.01, 0.02},
        {0.9, 0.8, 0.95, 0.7, 0.99, 0.6, 0.85, 0.9, 0.75, 0.8},
    };
    for (const auto &k : cases) {
        TDecisionModel m;
        long double sum = 0;
        for (int i = 0; i < k.size(); ++i) {
            m.Criteria.push_back(Criterion(QStringLiteral("C%1").arg(i), i, k[i]));
            sum += k[i];
        }
        QVERIFY(m.SolveFactorK());
        // g rises through the root on both sides of K = 0.
        auto g = [&k, sum](long double K) {
            long double s = -std::log1p(K);
            for (double ki : k)
                s += std::log1p(K * ki);
            return sum > 1 ? -s : s;
        };
        long double lo = sum > 1 ? -1.0L : 1e-30L, hi = sum > 1 ? -1e-30L : 1e12L;
        for (int i = 0; i < 400; ++i) {
            const long double mid = (lo + hi) / 2;
            (g(mid) < 0 ? lo : hi) = mid;
        }
        const double reference = double((lo + hi) / 2);
        QVERIFY2(std::abs(FactorK - reference) <= 1e-12 * std::abs(reference),
                 qPrintable(QString::number(FactorK, 'g', 17) + " vs " +
                            QString::number(reference, 'g', 17)));
    }
}

void TestDecisionModel::factorKFits_data() {
    QTest::addColumn<QList<double>>("k");
    QTest::addColumn<double>("K");
    QTest::addColumn<bool>("fits");
    const double scan = 0.0005; // the most the old scan's K is off
    const double K33 = 40.0 / 9.0;
    const double K77 = -0.8163265306122449;
    const QList<double> ten = {0.9, 0.8, 0.95, 0.7, 0.99, 0.6, 0.85, 0.9, 0.75, 0.8};
    double Kten = 0.0;
    std::vector<TPROBLEM> tenCriteria;
    for (int i = 0; i < ten.size(); ++i)
        tenCriteria.push_back(Criterion(QStringLiteral("C%1").arg(i), i, ten[i]));
    QVERIFY(FactorKOf(tenCriteria, Kten));

    QTest::newRow("solved, K > 0") << QList<double>{0.3, 0.3} << K33 << true;
    QTest::newRow("scan above, K > 0") << QList<double>{0.3, 0.3} << K33 + scan << true;
    QTest::newRow("scan below, K > 0") << QList<double>{0.3, 0.3} << K33 - scan << true;
    QTest::newRow("scan above, K < 0") << QList<double>{0.7, 0.7} << K77 + scan << true;
    QTest::newRow("scan below, K < 0") << QList<double>{0.7, 0.7} << K77 - scan << true;
    QTest::newRow("scan, ten near -1") << ten << Kten + scan << true;
    QTest::newRow("K of an old file") << QList<double>{0.4, 0.3, 0.2, 0.0} << 0.3719 << true;
    QTest::newRow("scan on a large K") << QList<double>{0.01, 0.01} << 9800.0 + scan << true;
    QTest::newRow("k of one, -1") << QList<double>{1.0, 0.5} << -1.0 << true;
    QTest::newRow("k of one, scan") << QList<double>{1.0, 0.5} << -1.0 + scan << true;
    QTest::newRow("off by 0.01") << QList<double>{0.3, 0.3} << K33 + 0.01 << false;
    QTest::newRow("off by 0.2 %") << QList<double>{0.01, 0.01} << 9800.0 * 1.002 << false;
    QTest::newRow("K of other k") << QList<double>{0.6, 0.25} << K33 << false;
    // K = 0 always solves the equation, and K near it nearly does.
    QTest::newRow("zero") << QList<double>{0.3, 0.3} << 0.0 << false;
    QTest::newRow("near zero") << QList<double>{0.4, 0.4} << 0.004 << false;
    // The other root of 1 + K = (1 + K/2)^3, below -1.
    QTest::newRow("root below -1")
        << QList<double>{0.5, 0.5, 0.5} << -3.0 - std::sqrt(5.0) << false;
    QTest::newRow("no K for these k") << QList<double>{0.4, 0.0} << 1.0 << false;
    QTest::newRow("NaN") << QList<double>{0.3, 0.3} << std::nan("") << false;
    // Where K leaves the utilities alone, the solver's 1 and every root fit.
    QTest::newRow("additive, 1") << QList<double>{0.4, 0.6} << 1.0 << true;
    QTest::newRow("additive, 0") << QList<double>{0.4, 0.6} << 0.0 << true;
    QTest::newRow("additive, 0.5") << QList<double>{0.4, 0.6} << 0.5 << false;
    QTest::newRow("one criterion, 1") << QList<double>{0.3} << 1.0 << true;
    QTest::newRow("one criterion, 0") << QList<double>{0.3} << 0.0 << true;
    QTest::newRow("one criterion, 3") << QList<double>{0.3} << 3.0 << false;
    QTest::newRow("one criterion of k 1, 3") << QList<double>{1.0} << 3.0 << true;
}

void TestDecisionModel::factorKFits() {
    QFETCH(QList<double>, k);
    QFETCH(double, K);
    QFETCH(bool, fits);
    std::vector<TPROBLEM> criteria;
    for (int i = 0; i < k.size(); ++i)
        criteria.push_back(Criterion(QStringLiteral("C%1").arg(i), i, k[i]));
    criteria.push_back(Criterion("Unused", 99, 0.9, false));
    MessageRecorder messages;
    QCOMPARE(FactorKFits(criteria, K), fits);
    QVERIFY(messages.texts.isEmpty());
}

void TestDecisionModel::utilities_data() {
    QTest::addColumn<QList<double>>("k");
    QTest::addColumn<double>("K");
    QTest::addColumn<QList<double>>("values"); // one per criterion, range 0..10, linear
    QTest::addColumn<double>("U");
    QTest::newRow("additive at the top")
        << QList<double>{0.4, 0.6} << 1.0 << QList<double>{10, 10} << 1.0;
    QTest::newRow("additive mixed") << QList<double>{0.4, 0.6} << 1.0 << QList<double>{5, 0} << 0.2;
    QTest::newRow("K zero is additive")
        << QList<double>{0.3, 0.3} << 0.0 << QList<double>{10, 5} << 0.45;
    QTest::newRow("multiplicative top")
        << QList<double>{0.3, 0.3} << 40.0 / 9 << QList<double>{10, 10} << 1.0;
    QTest::newRow("multiplicative one best")
        << QList<double>{0.3, 0.3} << 40.0 / 9 << QList<double>{10, 0} << 0.3;
    QTest::newRow("negative K top")
        << QList<double>{0.7, 0.7} << -0.8163265306122449 << QList<double>{10, 10} << 1.0;
    QTest::newRow("K -1 with k 1")
        << QList<double>{1.0, 0.5} << -1.0 << QList<double>{10, 10} << 1.0;
    QTest::newRow("above last point")
        << QList<double>{0.4, 0.6} << 1.0 << QList<double>{12, -3} << 0.4;
}

void TestDecisionModel::utilities() {
    QFETCH(QList<double>, k);
    QFETCH(double, K);
    QFETCH(QList<double>, values);
    QFETCH(double, U);
    TDecisionModel m;
    m.Variants.AddVariant("A", "");
    for (int i = 0; i < k.size(); ++i) {
        m.Criteria.push_back(Criterion(QStringLiteral("C%1").arg(i), i, k[i]));
        m.Variants.AppendValue(0, values[i], i);
    }
    m.UsedCount = int(k.size());
    FactorK = K;
    m.ComputeAlternativeUtilities();
    QVERIFY2(std::abs(m.Variants.Alternatives[0].Utility - U) <= 1e-12,
             qPrintable(QString::number(m.Variants.Alternatives[0].Utility, 'g', 17)));
}

void TestDecisionModel::nearAdditiveKeepsDigits() {
    // k sum to 1 - 2e-9: K is tiny, and U must still match the additive value
    // to far more digits than (prod - 1) / K would keep.
    TDecisionModel m;
    m.Criteria = {Criterion("A", 0, 0.5), Criterion("B", 1, 0.5 - 2e-9)};
    m.Variants.AddVariant("X", "");
    m.Variants.AppendValue(0, 5, 0);
    m.Variants.AppendValue(0, 5, 1);
    QVERIFY(m.SolveFactorK());
    QVERIFY(std::abs(FactorK) < 1e-7);
    m.ComputeAlternativeUtilities();
    const double a = 0.25, b = (0.5 - 2e-9) * 0.5;
    const double exact = a + b + FactorK * a * b;
    QVERIFY2(std::abs(m.Variants.Alternatives[0].Utility - exact) <= 1e-15,
             qPrintable(QString::number(m.Variants.Alternatives[0].Utility, 'g', 17)));
}

QTEST_GUILESS_MAIN(TestDecisionModel)
#include "tst_decisionmodel.moc"
