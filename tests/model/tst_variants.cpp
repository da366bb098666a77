// The alternatives table: columns, ranges, completeness.
#include "model/Variants.h"

#include <QtTest>

class TestVariants : public QObject {
    Q_OBJECT
private slots:
    void appendCreatesColumnsAtEnd();
    void ranges();
    void deleteAndClear();
    void isComplete_data();
    void isComplete();
};

void TestVariants::appendCreatesColumnsAtEnd() {
    TVARIANTS t;
    QCOMPARE(t.AddVariant(QStringLiteral("A"), QStringLiteral("first")), 1);
    QCOMPARE(t.AddVariant(QStringLiteral("B"), QString()), 2);
    t.AppendValue(0, 1.0, 7);
    t.AppendValue(0, 2.0, 3);
    t.AppendValue(1, 4.0, 7);
    QCOMPARE(t.FindColumn(7), 0);
    QCOMPARE(t.FindColumn(3), 1);
    QCOMPARE(t.FindColumn(99), -1);
    QCOMPARE(t.Value(1, 0), 4.0);
    QCOMPARE(t.Alternatives[0].Utility, 0.0);
    QVERIFY(t.Alternatives[0].Node.isNull());

    QDomDocument doc;
    t.SetVariantNode(1, doc.createElement(QStringLiteral("OBJECT")));
    t.SetVariantNode(5, doc.createElement(QStringLiteral("OBJECT")));
    QVERIFY(!t.Alternatives[1].Node.isNull());
}

void TestVariants::ranges() {
    TVARIANTS t;
    t.Columns = {{1, {3, -1, 7}}, {2, {}}};
    double min = 0, max = 0;
    QVERIFY(t.ColumnRange(1, min, max));
    QCOMPARE(min, -1.0);
    QCOMPARE(max, 7.0);
    QVERIFY(!t.ColumnRange(2, min, max));
    QVERIFY(!t.ColumnRange(9, min, max));

    TCRITERIALIST c{4, {3, 7}};
    min = 0;
    max = 5;
    QVERIFY(c.ExtendRange(min, max));
    QCOMPARE(min, 0.0);
    QCOMPARE(max, 7.0);
    QVERIFY(!TCRITERIALIST{}.ExtendRange(min, max));
}

void TestVariants::deleteAndClear() {
    TVARIANTS t;
    t.DeleteVariant(0); // empty table: nothing
    t.AddVariant(QStringLiteral("A"), QString());
    t.AddVariant(QStringLiteral("B"), QString());
    t.Alternatives[1].Utility = 0.7;
    t.Columns = {{1, {1, 2}}, {2, {3, 4}}};
    QCOMPARE(t.DeleteColumn(9), -1);
    QCOMPARE(t.Columns.size(), size_t(2));
    QCOMPARE(t.DeleteColumn(1), 1);
    QCOMPARE(t.FindColumn(2), 0);
    t.ClearValues();
    QVERIFY(t.Columns.empty());
    QCOMPARE(t.Alternatives.size(), size_t(2));
    QCOMPARE(t.Alternatives[1].Utility, 0.7);
    t.DeleteVariant(0);
    QCOMPARE(t.Alternatives.front().Name, QStringLiteral("B"));
}

void TestVariants::isComplete_data() {
    QTest::addColumn<bool>("firstUsed");
    QTest::addColumn<bool>("secondUsed");
    QTest::addColumn<int>("firstValues"); // -1: no column
    QTest::addColumn<int>("secondValues");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("allValues"); // what a problem file must hold
    QTest::newRow("both full") << true << true << 2 << 2 << true << true;
    QTest::newRow("used column short") << true << true << 2 << 1 << false << false;
    QTest::newRow("unused criterion without column") << true << false << 2 << -1 << true << false;
    QTest::newRow("unused criterion with short column") << true << false << 2 << 1 << true << false;
    QTest::newRow("used criterion without column") << true << true << 2 << -1 << false << false;
    QTest::newRow("no used criterion") << false << false << -1 << -1 << true << false;
}

void TestVariants::isComplete() {
    QFETCH(bool, firstUsed);
    QFETCH(bool, secondUsed);
    QFETCH(int, firstValues);
    QFETCH(int, secondValues);
    QFETCH(bool, complete);
    QFETCH(bool, allValues);
    std::vector<TPROBLEM> criteria(2);
    criteria[0].Id = 1;
    criteria[0].Used = firstUsed;
    criteria[1].Id = 2;
    criteria[1].Used = secondUsed;
    TVARIANTS t;
    t.AddVariant(QStringLiteral("A"), QString());
    t.AddVariant(QStringLiteral("B"), QString());
    if (firstValues >= 0)
        t.Columns.push_back({1, VCriteriumData(firstValues, 1.0)});
    if (secondValues >= 0)
        t.Columns.push_back({2, VCriteriumData(secondValues, 1.0)});
    QCOMPARE(t.IsComplete(criteria), complete);
    QCOMPARE(t.HasAllValues(criteria), allValues);
    // Without alternatives there is no value to miss.
    t.Alternatives.clear();
    QVERIFY(t.HasAllValues(criteria));
}

QTEST_GUILESS_MAIN(TestVariants)
#include "tst_variants.moc"
