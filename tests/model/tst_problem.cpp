// Criterion records: validating insertion, end points, enumerations, number texts.
#include "model/Problem.h"
#include "tests/TestSupport.h"

#include <QLocale>
#include <QtTest>
#include <cmath>

namespace {
TFUNCTION Function(bool cost, std::initializer_list<TFuncPoint> points) {
    TFUNCTION f;
    f.Cost = cost;
    f.Min = 0;
    f.Max = 10;
    f.Points = points;
    return f;
}

} // namespace

class TestProblem : public QObject {
    Q_OBJECT
private slots:
    void addPoint_data();
    void addPoint();
    void addPointKeepsOrder();
    void initEndPoints();
    void utilityOf_data();
    void utilityOf();
    void enumerations();
    void formatFixed_data();
    void formatFixed();
    void formatFixedHugeValues();
    void dotToLocale();
    void exactTextReadsBack_data();
    void exactTextReadsBack();
    void recordsCopyShareNode();
};

void TestProblem::addPoint_data() {
    QTest::addColumn<bool>("cost");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("u");
    QTest::addColumn<bool>("accepted");
    const double nan = std::nan("");
    // Start: Gain (0,0) (5,0.5) (10,1); Cost (0,1) (5,0.3) (10,0).
    QTest::newRow("gain below lower neighbour") << false << 7.0 << 0.4 << false;
    QTest::newRow("gain equal to lower neighbour") << false << 7.0 << 0.5 << true;
    QTest::newRow("gain above upper neighbour") << false << 3.0 << 0.6 << false;
    QTest::newRow("gain u = 1 monotone") << false << 9.0 << 1.0 << true;
    QTest::newRow("gain u = 0 monotone") << false << 1.0 << 0.0 << true;
    QTest::newRow("u just above 1") << false << 9.0 << 1.0000001 << false;
    QTest::newRow("u just below 0") << false << 1.0 << -0.0000001 << false;
    QTest::newRow("u NaN") << false << 1.0 << nan << false;
    QTest::newRow("x NaN") << false << nan << 0.5 << false;
    QTest::newRow("existing x same u") << false << 5.0 << 0.5 << false;
    QTest::newRow("cost rising refused") << true << 6.0 << 0.4 << false;
    QTest::newRow("cost equal accepted") << true << 4.0 << 0.3 << true;
    QTest::newRow("cost falling accepted") << true << 7.0 << 0.1 << true;
    QTest::newRow("outside range accepted") << false << 12.0 << 1.0 << true;
}

void TestProblem::addPoint() {
    QFETCH(bool, cost);
    QFETCH(double, x);
    QFETCH(double, u);
    QFETCH(bool, accepted);
    TFUNCTION f = cost ? Function(true, {{0, 1}, {5, 0.3}, {10, 0}})
                       : Function(false, {{0, 0}, {5, 0.5}, {10, 1}});
    const auto before = f.Points.size();
    QCOMPARE(f.AddPoint(x, u), accepted);
    QCOMPARE(f.Points.size(), before + (accepted ? 1 : 0));
    QVERIFY(std::is_sorted(f.Points.begin(), f.Points.end(), PointLess));
}

void TestProblem::addPointKeepsOrder() {
    TFUNCTION f = Function(false, {{0, 0}, {10, 1}});
    QVERIFY(f.AddPoint(5, 0.5));
    QVERIFY(f.AddPoint(2, 0.1));
    QVERIFY(f.AddPoint(8, 0.9));
    QCOMPARE(PointsText(f), QStringLiteral("(0,0) (2,0.1) (5,0.5) (8,0.9) (10,1)"));
    TFuncPoint n;
    QVERIFY(f.LowerNeighbour(5, n));
    QCOMPARE(n.x, 2.0);
    QVERIFY(f.UpperNeighbour(5, n));
    QCOMPARE(n.x, 8.0);
    // End points are never neighbours.
    QVERIFY(!f.LowerNeighbour(2, n));
    QVERIFY(!f.UpperNeighbour(8, n));
    QVERIFY(!f.LowerNeighbour(-1, n));
    QVERIFY(!f.UpperNeighbour(11, n));
}

void TestProblem::initEndPoints() {
    TFUNCTION cost;
    cost.Cost = true;
    cost.Min = 2;
    cost.Max = 8;
    QVERIFY(cost.Init(cost.Min, cost.Max));
    QCOMPARE(PointsText(cost), QStringLiteral("(2,1) (8,0)"));

    TFUNCTION gain;
    gain.Min = -1;
    gain.Max = 3;
    QVERIFY(gain.Init(gain.Min, gain.Max));
    QCOMPARE(PointsText(gain), QStringLiteral("(-1,0) (3,1)"));
}

void TestProblem::utilityOf_data() {
    QTest::addColumn<double>("v");
    QTest::addColumn<double>("u");
    QTest::newRow("inside") << 2.5 << 0.25;
    QTest::newRow("first point") << 0.0 << 0.0;
    QTest::newRow("below first point") << -3.0 << 0.0;
    QTest::newRow("last point") << 10.0 << 1.0;
    QTest::newRow("above last point") << 12.0 << 1.0;
}

void TestProblem::utilityOf() {
    QFETCH(double, v);
    QFETCH(double, u);
    QCOMPARE(Function(false, {{0, 0}, {10, 1}}).UtilityOf(v), u);
}

void TestProblem::enumerations() {
    LocaleGuard guard(CommaLocale());
    TENUM e;
    e.Values = {{1, QStringLiteral("low")}, {2, QStringLiteral("high")}};
    QCOMPARE(e.LabelOf(2.0), QStringLiteral("high"));
    QCOMPARE(e.LabelOf(3.0), QStringLiteral("3"));
    QCOMPARE(e.LabelOf(2.5), QStringLiteral("2,5"));
    double value = -7;
    QVERIFY(!e.FindValue(QStringLiteral("High"), value));
    QCOMPARE(value, -7.0);
    QVERIFY(e.FindValue(QStringLiteral("low"), value));
    QCOMPARE(value, 1.0);
}

void TestProblem::formatFixed_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("point");
    QTest::addColumn<QString>("comma");
    QTest::newRow("three decimals") << 0.5 << 3 << "0.500"
                                    << "0,500";
    QTest::newRow("no decimals") << 2.0 << 0 << "2"
                                 << "2";
    QTest::newRow("negative") << -1234.5678 << 2 << "-1234.57"
                              << "-1234,57";
    QTest::newRow("six decimals") << 1.0 / 3 << 6 << "0.333333"
                                  << "0,333333";
}

void TestProblem::formatFixed() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, point);
    QFETCH(QString, comma);
    {
        LocaleGuard guard(PointLocale());
        QCOMPARE(FormatFixed(value, decimals), point);
    }
    LocaleGuard guard(CommaLocale());
    QCOMPARE(FormatFixed(value, decimals), comma);
}

void TestProblem::formatFixedHugeValues() {
    LocaleGuard guard(CommaLocale());
    const QString text = FormatFixed(1e300, 3);
    QCOMPARE(text.size(), 301 + 4);
    QVERIFY(text.endsWith(QStringLiteral(",000")));
    QVERIFY(!FormatFixed(std::nan(""), 3).isEmpty());
}

void TestProblem::dotToLocale() {
    LocaleGuard guard(CommaLocale());
    QCOMPARE(DotToLocale(QStringLiteral("1.5.2")), QStringLiteral("1,5.2"));
    QCOMPARE(DotToLocale(QStringLiteral("15")), QStringLiteral("15"));
}

void TestProblem::exactTextReadsBack_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("point"); // the text under a point locale
    QTest::newRow("short") << 0.5 << "0.5";
    QTest::newRow("small, as before") << 0.0001 << "0.0001";
    QTest::newRow("15 digits") << 1234.56789012345 << "1234.56789012345";
    QTest::newRow("16 digits") << 0.7999999999999999 << "0.7999999999999999";
    QTest::newRow("17 digits") << 1234.5678901234543 << "1234.5678901234544";
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << "0.30000000000000004";
    QTest::newRow("negative") << -98765.43210987654 << "-98765.43210987654";
    QTest::newRow("exponent") << 4.000000000000001e+22 << "4.000000000000001e+22";
    QTest::newRow("smallest") << 5e-324 << "4.94065645841247e-324";
    QTest::newRow("largest") << 1.7976931348623157e308 << "1.7976931348623157e+308";
}

// The editors' text of a number reads back as that very number, in either locale.
void TestProblem::exactTextReadsBack() {
    QFETCH(double, value);
    QFETCH(QString, point);
    for (const QLocale &locale : {PointLocale(), CommaLocale()}) {
        LocaleGuard guard(locale);
        const QString text = FloatToExactStr(value);
        QCOMPARE(text, DotToLocale(point));
        double back = 0.0;
        QVERIFY2(TextToFloat(text, back), qPrintable(text));
        QVERIFY2(back == value, qPrintable(text)); // exactly, not within a tolerance
    }
}

void TestProblem::recordsCopyShareNode() {
    QDomDocument doc;
    TPROBLEM a;
    a.Node = doc.createElement(QStringLiteral("ATTRIBUTE"));
    a.Points = {{0, 0}, {1, 1}};
    TPROBLEM b = a;
    b.Points.clear();
    b.Node.setAttribute(QStringLiteral("AttrID"), QStringLiteral("Attr1"));
    QCOMPARE(a.Points.size(), size_t(2));
    QCOMPARE(a.Node.attribute(QStringLiteral("AttrID")), QStringLiteral("Attr1"));
}

QTEST_GUILESS_MAIN(TestProblem)
#include "tst_problem.moc"
