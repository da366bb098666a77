// The result file: writing the solution, the failure table of result fixtures, applying by name.
#include "XmlTestSupport.h"

#include <QTemporaryDir>

namespace {
TPROBLEM Criterion(const QString &name, const QString &attrId, bool cost, bool used) {
    TPROBLEM c;
    c.Name = name;
    c.AttrID = attrId;
    c.Cost = cost;
    c.Used = used;
    c.Min = 0;
    c.Max = 100;
    c.Init(c.Min, c.Max);
    return c;
}

std::vector<TPROBLEM> BaseCriteria() {
    std::vector<TPROBLEM> criteria = {Criterion("Price", "Attr1", true, true),
                                      Criterion("Speed", "Attr2", false, true),
                                      Criterion("Colour", "Attr3", true, false)};
    criteria[2].Enumerated = true;
    return criteria;
}

QStringList UsedNames(const std::vector<TPROBLEM> &criteria) {
    QStringList names;
    for (const TPROBLEM &c : criteria) {
        if (c.Used)
            names << c.Name;
    }
    return names;
}

bool SetResultText(TXML &xml, const QString &text) {
    QDomDocument document;
    if (!document.setContent(text))
        return false;
    xml.ResultDoc = document;
    return true;
}
} // namespace

class TestXmlResults : public QObject {
    Q_OBJECT
private slots:
    void init() { FactorK = 0.0; }
    void writesUsedCriteria();
    void writingAgainKeepsOneSet();
    void failures_data();
    void failures();
    void appliesFields();
    void precisionIsTruncated_data();
    void precisionIsTruncated();
    void refusedFileIsNotWrittenOn();
    void acceptedFileIsWrittenOn();
    void solvedProblemAppliesBack_data();
    void solvedProblemAppliesBack();
};

void TestXmlResults::writesUsedCriteria() {
    XmlProblem p;
    TPROBLEM &a = p.AddCriterion("A", false, 0, 10);
    a.Points = {{0, 0}, {5, 0.4}, {10, 1}};
    a.SmallK = 0.25;
    a.Units = "km";
    a.Decimals = 2;
    a.FunctionCreated = true;
    p.AddCriterion("B", false, 0, 1).Used = false;
    FactorK = -0.5;
    p.Xml.WriteResults(p.Model.Criteria);

    const QDomElement root = p.Xml.ResultRootNode;
    QCOMPARE(ChildTags(root), (QStringList{"ATTRIBUTE", "BIGK"}));
    const QDomElement attribute = root.firstChildElement();
    QCOMPARE(attribute.attribute("Name"), QStringLiteral("A"));
    QCOMPARE(ChildTags(attribute), (QStringList{"SMALLK", "UNITS", "PRECISION", "FUNCTIONCREATED",
                                                "KCOUNTED", "POINTS"}));
    QStringList values;
    for (QDomElement e = attribute.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        values << e.attribute("Value", "-");
    QCOMPARE(values, (QStringList{"0.25", "km", "2", "1", "0", "-"}));
    QStringList xs;
    for (QDomElement e = attribute.lastChildElement().firstChildElement(); !e.isNull();
         e = e.nextSiblingElement())
        xs << e.attribute("X") + "/" + e.attribute("Y");
    QCOMPARE(xs, (QStringList{"0/0", "5/0.4", "10/1"}));
    QCOMPARE(root.lastChildElement().attribute("Value"), QStringLiteral("-0.5"));
    QCOMPARE(attribute.ownerDocument(), p.Xml.ResultDoc);
}

void TestXmlResults::writingAgainKeepsOneSet() {
    XmlProblem p;
    p.AddCriterion("A", false, 0, 10);
    p.AddCriterion("B", true, 0, 10);
    p.Xml.WriteResults(p.Model.Criteria);
    FactorK = 2;
    p.Xml.WriteResults(p.Model.Criteria);
    QCOMPARE(ChildTags(p.Xml.ResultRootNode), (QStringList{"BIGK", "ATTRIBUTE", "ATTRIBUTE"}));
    QCOMPARE(p.Xml.ResultRootNode.firstChildElement().attribute("Value"), QStringLiteral("2"));

    XmlProblem empty;
    empty.Xml.WriteResults({});
    QCOMPARE(ChildTags(empty.Xml.ResultRootNode), QStringList());
}

void TestXmlResults::failures_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("used");
    const QStringList both = {"Price", "Speed"};
    const QStringList speed = {"Speed"};
    const QString conversion = "Convertion error";

    QTest::newRow("good") << "good" << true << "" << QStringList() << both;
    QTest::newRow("root nested") << "nested_root" << true << "" << QStringList() << both;
    QTest::newRow("one matching") << "only_speed" << true << "" << QStringList() << speed;
    QTest::newRow("none matching")
        << "no_match" << true << "" << QStringList{"No criteria were updated!"} << both;
    QTest::newRow("points unordered") << "unordered_points" << true << "" << QStringList() << speed;
    QTest::newRow("no POINTS") << "no_points" << true << "" << QStringList() << speed;
    QTest::newRow("FUNCTIONCREATED 2") << "flag_two" << true << "" << QStringList() << speed;
    QTest::newRow("no root") << "no_root" << false << "Kavrel result section not found!"
                             << QStringList() << both;
    QTest::newRow("no BIGK") << "no_bigk" << false << "Can't find tag BIGK" << QStringList()
                             << both;
    // The element and the value that did not convert are named.
    const struct {
        const char *file, *tag, *value;
    } conversions[] = {{"bad_bigk", "BIGK", "big"},
                       {"bad_smallk", "SMALLK", "small"},
                       {"bad_precision", "PRECISION", "two"},
                       {"bad_flag", "FUNCTIONCREATED", "yes"}};
    for (const auto &c : conversions)
        QTest::newRow(c.file) << c.file << false
                              << conversion + QStringLiteral(" (tag \"%1\", Value \"%2\")")
                                                  .arg(QLatin1String(c.tag), QLatin1String(c.value))
                              << QStringList() << both;
    QTest::newRow("POINT without Y")
        << "point_missing_y" << false << "Tag \"POINT\" doesn't have all needed attributes"
        << QStringList() << both;
    QTest::newRow("POINT X no number")
        << "point_bad_x" << false << "Tag \"POINT\": Convertion error (X \"five\")" << QStringList()
        << both;
    QTest::newRow("POINT above 1")
        << "point_above_one" << false << "Tag \"POINT\": invalid point" << QStringList() << both;
    QTest::newRow("one POINT") << "one_point" << false << "To few points" << QStringList() << both;
    QTest::newRow("gain starts above 0")
        << "gain_starts_above_zero" << false << "Tag \"POINT\" AttrID Attr2: invalid point"
        << QStringList() << both;
    QTest::newRow("gain not rising")
        << "gain_not_rising" << false << "Tag \"POINT\" AttrID Attr2: invalid point"
        << QStringList() << both;
    QTest::newRow("k above 1") << "smallk_above_one" << false << "k value must be between 0 and 1"
                               << QStringList() << both;
    QTest::newRow("negative PRECISION")
        << "negative_precision" << false << "Decimals value must be greater or equal 0"
        << QStringList() << both;
    // More decimals than the criteria editor holds.
    QTest::newRow("PRECISION 11") << "large_precision" << false
                                  << "Decimals value must be less or equal 10" << QStringList()
                                  << both;
    QTest::newRow("two points at one x")
        << "equal_x" << false << "Tag \"POINT\" AttrID Attr2: invalid point" << QStringList()
        << both;
    QTest::newRow("cost wrong end")
        << "cost_wrong_end" << false << "Tag \"POINT\" AttrID Attr1: invalid point" << QStringList()
        << both;
}

void TestXmlResults::failures() {
    QFETCH(QString, file);
    QFETCH(bool, ok);
    QFETCH(QString, error);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, used);
    MessageRecorder shown;
    TXML xml;
    std::vector<TPROBLEM> criteria = BaseCriteria();
    QVERIFY(xml.LoadResultFile(XmlFixture("result/" + file + ".xml")));
    int applied = -1;
    QCOMPARE(xml.ReadResults(criteria, applied), ok);
    QCOMPARE(xml.GetErrorMessage(), error);
    QCOMPARE(shown.texts, messages);
    if (ok) {
        QCOMPARE(UsedNames(criteria), used);
        // The caller learns when the file named none of the criteria.
        QCOMPARE(applied, messages.isEmpty() ? int(used.size()) : 0);
    }
}

void TestXmlResults::appliesFields() {
    TXML xml;
    std::vector<TPROBLEM> criteria = BaseCriteria();
    QVERIFY(xml.LoadResultFile(XmlFixture("result/good.xml")));
    QVERIFY(xml.ReadResults(criteria));
    const TPROBLEM &speed = criteria[1];
    QCOMPARE(speed.SmallK, 0.4);
    QCOMPARE(speed.Units, QStringLiteral("km/h"));
    QCOMPARE(speed.Decimals, 2);
    QVERIFY(speed.FunctionCreated && speed.KCounted);
    QCOMPARE(PointsText(speed), QStringLiteral("(0,0) (5,0.4) (10,1)"));
    QCOMPARE(speed.Min, 0.0);
    QCOMPARE(speed.Max, 10.0);
    QCOMPARE(PointsText(criteria[0]), QStringLiteral("(0,1) (50,0.3) (100,0)"));
    QCOMPARE(FactorK, 0.5);

    QVERIFY(xml.LoadResultFile(XmlFixture("result/flag_two.xml")));
    QVERIFY(xml.ReadResults(criteria));
    QVERIFY(!criteria[1].FunctionCreated);
    QVERIFY(xml.LoadResultFile(XmlFixture("result/unordered_points.xml")));
    QVERIFY(xml.ReadResults(criteria));
    QCOMPARE(PointsText(criteria[1]), QStringLiteral("(0,0) (5,0.4) (10,1)"));
    criteria[1].Points = {{1, 0}, {2, 1}};
    QVERIFY(xml.LoadResultFile(XmlFixture("result/no_points.xml")));
    QVERIFY(xml.ReadResults(criteria));
    QCOMPARE(PointsText(criteria[1]), QStringLiteral("(1,0) (2,1)"));
}

void TestXmlResults::precisionIsTruncated_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("ok");
    QTest::newRow("point") << PointLocale() << true;
    QTest::newRow("comma") << CommaLocale() << false;
}

void TestXmlResults::precisionIsTruncated() {
    QFETCH(QLocale, locale);
    QFETCH(bool, ok);
    LocaleGuard guard(locale);
    TXML xml;
    QVERIFY(SetResultText(xml,
                          "<ZUZOVODODEZI><ATTRIBUTE Name='Speed'><PRECISION Value='3.9'/>"
                          "<SMALLK Value='0.25'/></ATTRIBUTE><BIGK Value='1.5'/></ZUZOVODODEZI>"));
    std::vector<TPROBLEM> criteria = BaseCriteria();
    QCOMPARE(xml.ReadResults(criteria), ok);
    if (ok) {
        QCOMPARE(criteria[1].Decimals, 3);
        QCOMPARE(criteria[1].SmallK, 0.25);
        QCOMPARE(FactorK, 1.5);
    } else {
        QCOMPARE(xml.GetErrorMessage(),
                 QStringLiteral("Convertion error (tag \"PRECISION\", Value \"3.9\")"));
    }
}

// After a file that loaded but was refused, Save results starts from a fresh skeleton.
void TestXmlResults::refusedFileIsNotWrittenOn() {
    XmlProblem p;
    p.AddCriterion("Speed", false, 0, 10);
    QVERIFY(p.Xml.LoadResultFile(XmlFixture("result/bad_smallk.xml")));
    std::vector<TPROBLEM> copy = p.Model.Criteria;
    QVERIFY(!p.Xml.ReadResults(copy));
    p.Xml.WriteResults(p.Model.Criteria);
    QCOMPARE(p.Xml.ResultRootNode, p.Xml.ResultDoc.documentElement());
    QCOMPARE(ChildTags(p.Xml.ResultRootNode), (QStringList{"ATTRIBUTE", "BIGK"}));
    QVERIFY(!TXML::DocumentText(p.Xml.ResultDoc).contains("small"));
}

void TestXmlResults::acceptedFileIsWrittenOn() {
    XmlProblem p;
    p.AddCriterion("Speed", false, 0, 10);
    QVERIFY(p.Xml.LoadResultFile(XmlFixture("result/nested_root.xml")));
    QVERIFY(p.Xml.ReadResults(p.Model.Criteria));
    p.Xml.WriteResults(p.Model.Criteria);
    QCOMPARE(p.Xml.ResultRootNode.parentNode().nodeName(), QStringLiteral("WRAP"));
    QCOMPARE(ChildTags(p.Xml.ResultRootNode), (QStringList{"BIGK", "ATTRIBUTE"}));
}

void TestXmlResults::solvedProblemAppliesBack_data() {
    AddLocaleRows();
}

// A result written from a solved problem applies back to that problem read from
// its file, whatever the order of the criteria there.
void TestXmlResults::solvedProblemAppliesBack() {
    QFETCH(QLocale, locale);
    LocaleGuard guard(locale);
    QTemporaryDir dir;
    XmlProblem p;
    TPROBLEM &price = p.AddCriterion("Price", true, 1000, 25000);
    price.Points = {{1000, 1}, {9000, 0.65}, {16500.5, 0.2}, {25000, 0}};
    price.SmallK = 0.45;
    price.Units = QStringLiteral("€");
    TPROBLEM &speed = p.AddCriterion("Speed", false, 120, 240);
    speed.Points = {{120, 0}, {180, 1.0 / 3.0}, {240, 1}};
    speed.SmallK = 0.3;
    speed.Decimals = 1;
    p.AddCriterion("Comfort", false, 0, 1).Used = false;
    for (auto &c : p.Model.Criteria) {
        c.FunctionCreated = c.Used;
        c.KCounted = c.Used;
    }
    for (int i = 0; i < 10; ++i)
        p.AddAlternative(QStringLiteral("Car %1").arg(i), {},
                         {1000.0 + 2400 * i, 120.0 + 12 * i, (i % 3) / 2.0});
    QVERIFY(p.Model.SolveFactorK());
    p.Model.ComputeAlternativeUtilities();
    const double solvedK = FactorK;
    p.WriteSettings();
    QVERIFY(p.Xml.SaveProblemFile(dir.filePath("p.xml")));
    p.Xml.WriteResults(p.Model.Criteria);
    QVERIFY(p.Xml.SaveResultFile(dir.filePath("r.xml")));

    XmlProblem back;
    TDecisionModel &m = back.Model;
    QVERIFY(back.Xml.LoadProblemFile(dir.filePath("p.xml")));
    QVERIFY(back.Xml.ReadProblem(m.Criteria, m.Variants, m.Roles));
    std::swap(m.Criteria[0], m.Criteria[2]);
    std::swap(m.Variants.Columns[0], m.Variants.Columns[2]);
    FactorK = 0;
    QVERIFY(back.Xml.LoadResultFile(dir.filePath("r.xml")));
    QVERIFY(back.Xml.ReadResults(m.Criteria));
    QCOMPARE(FactorK, solvedK);
    for (const TPROBLEM &original : p.Model.Criteria) {
        const TPROBLEM &c = m.Criteria[m.CriterionIndexByName(original.Name)];
        QCOMPARE(c.Used, original.Used);
        if (!original.Used)
            continue;
        QCOMPARE(PointsText(c), PointsText(original));
        for (size_t i = 0; i < c.Points.size(); ++i)
            QCOMPARE(c.Points[i].u, original.Points[i].u);
        QCOMPARE(c.SmallK, original.SmallK);
        QCOMPARE(c.Units, original.Units);
        QCOMPARE(c.Decimals, original.Decimals);
        QVERIFY(c.FunctionCreated && c.KCounted);
    }
    m.ComputeAlternativeUtilities();
    for (size_t j = 0; j < m.Variants.Alternatives.size(); ++j)
        QCOMPARE(m.Variants.Alternatives[j].Utility, p.Model.Variants.Alternatives[j].Utility);
}

QTEST_GUILESS_MAIN(TestXmlResults)
#include "tst_xml_results.moc"
