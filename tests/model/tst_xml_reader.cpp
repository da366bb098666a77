// Reading problem files: the failure table as fixture files, then the records read.
#include "XmlTestSupport.h"

#include <QTemporaryDir>

namespace {
const QString ValueNotFound =
    QStringLiteral("Tag \"VALUE\" not found or tag \"VALUE\" doesn't have all needed attributes");

QString Roles() {
    return QStringLiteral("<ATTRIBUTE AttrID='MAKE'><ROLE Value='Name'/></ATTRIBUTE>"
                          "<ATTRIBUTE AttrID='DESC'><ROLE Value='Description'/></ATTRIBUTE>");
}

QString Criterion(const QString &id, const QString &name, const QString &direction = "Gain") {
    return QStringLiteral("<ATTRIBUTE AttrID='%1'><NAME Value='%2'/><TYPE Value='Numeric'/>"
                          "<ROLE Value='Condition'/><CRITERION Value='%3'/></ATTRIBUTE>")
        .arg(id, name, direction);
}

QString Object(const QString &name, const QStringList &values) {
    QString text = QStringLiteral("<OBJECT><VALUE AttrID='MAKE' Value='%1'/>").arg(name);
    for (int i = 0; i < values.size(); ++i)
        text += QStringLiteral("<VALUE AttrID='Attr%1' Value='%2'/>").arg(i + 1).arg(values[i]);
    return text + QStringLiteral("</OBJECT>");
}

QString Problem(const QString &criteria, const QString &objects = {}, const QString &kavrel = {}) {
    return QStringLiteral("<DATA><ATTRIBUTES>") + Roles() + criteria +
           QStringLiteral("</ATTRIBUTES><OBJECTS>") + objects + QStringLiteral("</OBJECTS>") +
           (kavrel.isNull() ? QString() : QStringLiteral("<KAVREL>") + kavrel + "</KAVREL>") +
           QStringLiteral("</DATA>");
}

QString Range(const QString &id, const QString &min, const QString &max) {
    QString text = QStringLiteral("<ATTRIBUTE AttrID='%1'>").arg(id);
    if (!min.isNull())
        text += QStringLiteral("<MIN Value='%1'/>").arg(min);
    if (!max.isNull())
        text += QStringLiteral("<MAX Value='%1'/>").arg(max);
    return text + QStringLiteral("</ATTRIBUTE>");
}

QStringList Names(const std::vector<TPROBLEM> &criteria) {
    QStringList names;
    for (const TPROBLEM &c : criteria)
        names << c.Name;
    return names;
}

struct Read {
    TXML Xml;
    TDecisionModel Model;
    bool Ok = false;
    explicit Read(const QString &text) {
        if (SetProblemText(Xml, text))
            Ok = Xml.ReadProblem(Model.Criteria, Model.Variants, Model.Roles);
    }
};
} // namespace

class TestXmlReader : public QObject {
    Q_OBJECT
private slots:
    void failures_data();
    void failures();
    void readsRecords_data();
    void readsRecords();
    void ranges_data();
    void ranges();
    void method_data();
    void method();
    void unitsAndDecimals_data();
    void unitsAndDecimals();
    void enumerations();
    void namesAndPositions();
    void missingSettingsAreCreated();
    void settingsKeepWhatIsAbsent_data();
    void settingsKeepWhatIsAbsent();
    void probabilityOutOfRangeIsRefused_data();
    void probabilityOutOfRangeIsRefused();
    void missingRolesAndObjectsAreCompleted();
    void onlyFirstSettingsEntryApplies();
    void findValue();
};

void TestXmlReader::failures_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("criteria");
    QTest::addColumn<int>("alternatives");
    const QStringList two = {"Price", "Speed"};
    const QString skipped = QStringLiteral("2 criterium were read, 1 was loaded");
    const QString conversion = QStringLiteral("Convertion error");

    QTest::newRow("good") << "good" << true << "" << QStringList() << two << 2;
    QTest::newRow("DATA nested") << "nested_data" << true << "" << QStringList() << two << 2;
    QTest::newRow("KAVREL in OBJECTS")
        << "kavrel_in_objects" << true << "" << QStringList() << two << 2;
    QTest::newRow("no KAVREL") << "no_kavrel" << true << "" << QStringList() << two << 2;
    QTest::newRow("no DATA") << "no_data" << false << "Data section not found!" << QStringList()
                             << QStringList() << 0;
    QTest::newRow("ATTRIBUTES nested")
        << "attributes_nested" << false << "Attributes section not found!" << QStringList()
        << QStringList() << 0;
    QTest::newRow("role without AttrID")
        << "role_without_attrid" << false << "Tag \"ATTRIBUTE\": Can't find \"AttrID\" attribute"
        << QStringList() << QStringList() << 0;
    QTest::newRow("names equal after cut")
        << "duplicate_names" << false << "Criterion with name \"PriceOfCar\" already exists"
        << QStringList() << QStringList{"PriceOfCar"} << 0;
    QTest::newRow("no criteria") << "no_criteria" << true << ""
                                 << QStringList{"0 criterium were read, 0 was loaded"}
                                 << QStringList() << 0;
    const QString text =
        "Tag \"TYPE\": Attribute \"Value\" must have \"Numeric\" or \"Enum\" value";
    QTest::newRow("one of three skipped")
        << "three_one_text" << true << text
        << QStringList{text, "3 criterium were read, 2 was loaded"} << two << 0;
    QTest::newRow("eleven criteria")
        << "eleven_criteria" << false
        << "The file holds 11 criteria, but a problem can have at most 10." << QStringList()
        << QStringList() << 0;

    const struct {
        const char *file;
        const char *message;
    } skips[] = {
        {"skip_no_attrid", "Attribute \"AttrID\" not found"},
        {"skip_no_type", "Tag \"ATTRIBUTE\": Can't find \"TYPE\" tag or \"Value\" attribute"},
        {"skip_no_criterion", "Tag \"ATTRIBUTE\": can't find tag \"CRITERION\""},
        {"skip_numeric_rank", "Tag \"TYPE\", attribute \"Value\": \"Cost\" or \"Gain\" expected"},
        {"skip_type_text",
         "Tag \"TYPE\": Attribute \"Value\" must have \"Numeric\" or \"Enum\" value"},
        {"skip_enum_no_enumid", "Tag \"ENUM\": doesn't have all needed attributes"},
        {"skip_rank_no_value", "Tag \"RANK\": doesn't have all needed attributes"},
        {"skip_no_enum", "Tag \"ATTRIBUTE\": tag \"ENUM\" not found"},
        {"skip_no_rank", "Tag \"ATTRIBUTE\": tag \"RANK\" not found"},
        {"skip_rank_not_number", "Convertion error"},
        {"skip_method_5", "Method number must be integer number between 1 and 4"},
        {"skip_method_0", "Method number must be integer number between 1 and 4"},
        {"skip_method_text", "Convertion error (tag \"METHOD\", Value \"two\")"},
        {"skip_min_equals_max", "Min value must be less then max value"},
        {"skip_min_text", "Convertion error (tag \"MIN\", Value \"low\")"},
    };
    for (const auto &s : skips)
        QTest::newRow(s.file) << s.file << true << s.message << QStringList{s.message, skipped}
                              << QStringList{"Price"} << 0;

    QTest::newRow("OBJECT without a criterion VALUE")
        << "object_missing_value" << false << ValueNotFound << QStringList() << two << 0;
    QTest::newRow("OBJECT without name")
        << "object_missing_name" << false << ValueNotFound << QStringList() << two << 0;
    QTest::newRow("OBJECT value no number")
        << "object_bad_number" << false << conversion + " (tag \"VALUE\", Value \"ten\")"
        << QStringList() << two << 0;
    QTest::newRow("OBJECT unknown label") << "object_unknown_label" << false << "Unknown enum value"
                                          << QStringList() << QStringList{"Price", "Colour"} << 0;
    QTest::newRow("OBJECT without description")
        << "object_no_description" << true << "" << QStringList() << two << 1;
    for (const char *tag : {"PROBABILITY", "QUESTIONS", "PRECISION"})
        QTest::newRow(tag) << QStringLiteral("settings_bad_%1").arg(QString(tag).toLower()) << false
                           << QStringLiteral("Tag \"%1\": Convertion error").arg(tag)
                           << QStringList() << QStringList{"Price"} << 0;
}

void TestXmlReader::failures() {
    QFETCH(QString, file);
    QFETCH(bool, ok);
    QFETCH(QString, error);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, criteria);
    QFETCH(int, alternatives);

    MessageRecorder shown;
    const XmlLoaded r(XmlFixture("problem/" + file + ".xml"));
    const TDecisionModel &m = r.Model;
    QCOMPARE(r.Ok, ok);
    QCOMPARE(r.Xml.GetErrorMessage(), error);
    QCOMPARE(shown.texts, messages);
    for (int i = 0; i < shown.texts.size(); ++i) // a skipped criterion is an error
        QCOMPARE(shown.types[i],
                 shown.texts[i].contains(" criterium were read, ") ? mtInformation : mtError);
    QCOMPARE(Names(m.Criteria), criteria);
    QCOMPARE(int(m.Variants.Alternatives.size()), alternatives);
    if (m.Variants.Alternatives.empty())
        QVERIFY(m.Variants.Columns.empty());
}

void TestXmlReader::readsRecords_data() {
    AddLocaleRows();
}

void TestXmlReader::readsRecords() {
    QFETCH(QLocale, locale);
    LocaleGuard guard(locale);
    const XmlLoaded r(XmlFixture("problem/good.xml"));
    QVERIFY(r.Ok);
    const TXML &xml = r.Xml;
    const TDecisionModel &m = r.Model;
    QCOMPARE(r.Probability, 0.6);
    QCOMPARE(r.Questions, 7);
    QCOMPARE(r.Precision, 4);

    QCOMPARE(xml.DataNode, xml.ProblemDoc.documentElement());
    QCOMPARE(xml.AttributesNode.parentNode(), xml.DataNode);
    QCOMPARE(xml.SettingsNode.tagName(), QStringLiteral("KAVREL"));
    QCOMPARE(m.Roles[0].AttrID, QStringLiteral("MAKE"));
    QCOMPARE(m.Roles[1].Caption, QStringLiteral("Description"));
    QCOMPARE(m.Roles[1].Node, xml.AttributesNode.firstChildElement().nextSiblingElement());

    const TPROBLEM &price = m.Criteria[0];
    QCOMPARE(price.AttrID, QStringLiteral("Attr1"));
    QCOMPARE(price.Id, 2);
    QVERIFY(price.Cost && price.Used && !price.Enumerated && !price.FunctionCreated);
    QVERIFY(!price.KCounted);
    QCOMPARE(price.Method, 2);
    QCOMPARE(price.Decimals, 3);
    QCOMPARE(price.SmallK, -1.0);
    QCOMPARE(price.Node.attribute("AttrID"), QStringLiteral("Attr1"));
    QCOMPARE(PointsText(price), QStringLiteral("(0,1) (100,0)"));
    const TPROBLEM &speed = m.Criteria[1];
    QCOMPARE(speed.Id, 3);
    QVERIFY(!speed.Cost);
    QCOMPARE(speed.Method, 1);
    QCOMPARE(PointsText(speed), QStringLiteral("(0,0) (10,1)"));

    QCOMPARE(m.Variants.Alternatives[1].Name, QStringLiteral("Beta"));
    QCOMPARE(m.Variants.Alternatives[1].Description, QStringLiteral("second"));
    QCOMPARE(m.Variants.Alternatives[1].Node.attribute("ObjID"), QStringLiteral("Obj1"));
    QCOMPARE(m.Variants.Columns[1].CriterionId, 3);
    QCOMPARE(m.Variants.Columns[1].Values, (VCriteriumData{5, 7}));
}

void TestXmlReader::ranges_data() {
    QTest::addColumn<bool>("cost");
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("points");
    const QString none;
    QTest::newRow("values inside") << false << "0"
                                   << "100" << QStringList{"5", "50"} << "(0,0) (100,1)";
    QTest::newRow("value above") << false << "0"
                                 << "100" << QStringList{"5", "120"} << "(0,0) (120,1)";
    QTest::newRow("value below") << true << "10"
                                 << "20" << QStringList{"5"} << "(5,1) (20,0)";
    QTest::newRow("no range, no values") << false << none << none << QStringList() << "(0,0) (1,1)";
    QTest::newRow("values only") << false << none << none << QStringList{"7", "3"} << "(3,0) (7,1)";
    QTest::newRow("MIN without MAX")
        << false << "2" << none << QStringList{"7", "3"} << "(3,0) (7,1)";
    QTest::newRow("cost range") << true << "2"
                                << "8" << QStringList() << "(2,1) (8,0)";
    QTest::newRow("one value") << false << none << none << QStringList{"4", "4"} << "(4,0)";
    QTest::newRow("decimals") << false << "0.5"
                              << "2.5" << QStringList{"1.25"} << "(0.5,0) (2.5,1)";
}

void TestXmlReader::ranges() {
    QFETCH(bool, cost);
    QFETCH(QString, min);
    QFETCH(QString, max);
    QFETCH(QStringList, values);
    QFETCH(QString, points);
    QString objects;
    for (const QString &v : values)
        objects += Object("A" + v, {v});
    Read r(Problem(Criterion("Attr1", "C", cost ? "Cost" : "Gain"), objects,
                   Range("Attr1", min, max)));
    QVERIFY(r.Ok);
    QCOMPARE(PointsText(r.Model.Criteria[0]), points);
    QCOMPARE(r.Model.Criteria[0].Min, r.Model.Criteria[0].Points.front().x);
}

void TestXmlReader::method_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("method"); // 0: the criterion is refused
    const QLocale point(QLocale::English, QLocale::UnitedStates);
    const QLocale comma(QLocale::German, QLocale::Germany);
    QTest::newRow("4") << point << "4" << 4;
    QTest::newRow("2.9 point") << point << "2.9" << 2;
    QTest::newRow("2.9 comma") << comma << "2.9" << 0;
    QTest::newRow("3,5 comma") << comma << "3,5" << 3;
    QTest::newRow("0.5") << point << "0.5" << 0;
    QTest::newRow("4.99") << point << "4.99" << 4;
}

void TestXmlReader::method() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(int, method);
    LocaleGuard guard(locale);
    MessageRecorder shown;
    Read r(Problem(
        Criterion("Attr1", "C"), {},
        QStringLiteral("<ATTRIBUTE AttrID='Attr1'><METHOD Value='%1'/></ATTRIBUTE>").arg(text)));
    QVERIFY(r.Ok);
    if (method == 0) {
        QVERIFY(r.Model.Criteria.empty());
        QCOMPARE(shown.texts.size(), 2);
    } else {
        QCOMPARE(r.Model.Criteria.at(0).Method, method);
    }
}

void TestXmlReader::unitsAndDecimals_data() {
    QTest::addColumn<QString>("settings"); // the children of the criterion's KAVREL ATTRIBUTE
    QTest::addColumn<QString>("units");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("warned");
    QTest::newRow("both") << "<UNITS Value='km'/><PRECISION Value='1'/>"
                          << "km" << 1 << false;
    QTest::newRow("zero decimals") << "<PRECISION Value='0'/>"
                                   << "" << 0 << false;
    QTest::newRow("truncated") << "<PRECISION Value='2.7'/>"
                               << "" << 2 << false;
    QTest::newRow("older file") << "<METHOD Value='2'/>"
                                << "" << 3 << false;
    QTest::newRow("no number") << "<UNITS Value='m²'/><PRECISION Value='x'/>"
                               << "m²" << 3 << true;
    QTest::newRow("negative") << "<PRECISION Value='-1'/>"
                              << "" << 3 << true;
    QTest::newRow("too many") << "<PRECISION Value='11'/>"
                              << "" << 3 << true;
}

void TestXmlReader::unitsAndDecimals() {
    // A criterion's units and decimals, where the file has them; decimals
    // that can not be used are said and leave the criterion as it was.
    QFETCH(QString, settings);
    QFETCH(QString, units);
    QFETCH(int, decimals);
    QFETCH(bool, warned);
    LocaleGuard guard(QLocale(QLocale::English, QLocale::UnitedStates));
    MessageRecorder shown;
    Read r(Problem(Criterion("Attr1", "C"), {},
                   QStringLiteral("<ATTRIBUTE AttrID='Attr1'>%1</ATTRIBUTE><PRECISION Value='4'/>")
                       .arg(settings)));
    QVERIFY(r.Ok);
    QCOMPARE(r.Model.Criteria.size(), size_t(1));
    QCOMPARE(r.Model.Criteria[0].Units, units);
    QCOMPARE(r.Model.Criteria[0].Decimals, decimals);
    QCOMPARE(shown.texts.size(), warned ? 1 : 0);
}

void TestXmlReader::enumerations() {
    const QString colour = QStringLiteral(
        "<ATTRIBUTE AttrID='Attr1'><NAME Value='Colour'/><TYPE Value='Enum'>"
        "<ENUM EnumID='e1' Value='low'/><ENUM EnumID='e2' Value='high'/>"
        "<ENUM EnumID='e3' Value='none'/></TYPE><ROLE Value='Condition'/>"
        "<CRITERION Value='Gain'><RANK EnumID='e2' Value='2.5'/><RANK EnumID='e1' Value='1'/>"
        "<RANK EnumID='e9' Value='9'/></CRITERION></ATTRIBUTE>");
    const QString size = QStringLiteral(
        "<ATTRIBUTE AttrID='Attr2'><NAME Value='Size'/><TYPE Value='Enum'>"
        "<ENUM EnumID='e1' Value='small'/></TYPE><ROLE Value='Condition'/>"
        "<CRITERION Value='Rank'><RANK EnumID='e1' Value='3'/></CRITERION></ATTRIBUTE>");
    LocaleGuard guard(CommaLocale());
    Read r(Problem(colour + size, Object("A", {"high", "small"}) + Object("B", {"low", "small"})));
    QVERIFY(r.Ok);
    const TPROBLEM &c = r.Model.Criteria[0];
    QVERIFY(c.Enumerated && c.Cost && !c.Used);
    QCOMPARE(c.Values.size(), size_t(2));
    QCOMPARE(c.Values[0].Label, QStringLiteral("low"));
    QCOMPARE(c.Values[0].Value, 1.0);
    QCOMPARE(c.Values[1].Label, QStringLiteral("high"));
    QCOMPARE(c.Values[1].Value, 2.5);
    QCOMPARE(r.Model.Criteria[1].Values.size(), size_t(1));
    QCOMPARE(r.Model.Criteria[1].Values[0].Label, QStringLiteral("small"));
    QCOMPARE(r.Model.Variants.Columns[0].Values, (VCriteriumData{2.5, 1}));
    QCOMPARE(PointsText(c), QStringLiteral("(1,1) (2.5,0)"));
}

void TestXmlReader::namesAndPositions() {
    // Any element with ROLE Condition is a criterion; Id counts every child node.
    const QString other = QStringLiteral(
        "<!-- note --><CRIT AttrID='Attr2'><TYPE Value='Numeric'/><ROLE Value='Condition'/>"
        "<CRITERION Value='Cost'/></CRIT>");
    MessageRecorder shown;
    Read r(Problem(Criterion("Attr1", "Acceleration") + other));
    QVERIFY(r.Ok);
    QCOMPARE(Names(r.Model.Criteria), (QStringList{"Accelerati", "Attr2"}));
    QCOMPARE(r.Model.Criteria[0].Id, 2);
    QCOMPARE(r.Model.Criteria[1].Id, 4);
    QVERIFY(shown.texts.isEmpty());
}

void TestXmlReader::missingSettingsAreCreated() {
    TXML xml;
    TDecisionModel m;
    QVERIFY(xml.LoadProblemFile(XmlFixture("problem/no_kavrel.xml")));
    QVERIFY(xml.ReadProblem(m.Criteria, m.Variants, m.Roles));
    QCOMPARE(xml.SettingsNode, xml.DataNode.lastChildElement());
    QCOMPARE(ChildTags(xml.SettingsNode), (QStringList{"PROBABILITY", "QUESTIONS", "PRECISION"}));
    double probability = 0.9;
    int questions = 9;
    int precision = 9;
    QVERIFY(xml.ReadGlobalSettings(probability, questions, precision));
    QCOMPARE(probability, 0.5);
    QCOMPARE(questions, 5);
    QCOMPARE(precision, 3);
}

void TestXmlReader::settingsKeepWhatIsAbsent_data() {
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("precision");
    QTest::newRow("last entry, absent kept")
        << "<QUESTIONS Value='7'/><PRECISION/><QUESTIONS Value='8.9'/>" << 8 << 4;
    // The limit is kept within 1..50 and the decimals within 1..6, as the
    // parameters dialog keeps them.
    QTest::newRow("questions 0") << "<QUESTIONS Value='0'/>" << 1 << 4;
    QTest::newRow("questions negative") << "<QUESTIONS Value='-4'/>" << 1 << 4;
    QTest::newRow("questions 51") << "<QUESTIONS Value='51'/>" << 50 << 4;
    QTest::newRow("questions 50") << "<QUESTIONS Value='50'/>" << 50 << 4;
    QTest::newRow("precision 0") << "<PRECISION Value='0'/>" << 7 << 1;
    QTest::newRow("precision 6") << "<PRECISION Value='6'/>" << 7 << 6;
    QTest::newRow("precision 12") << "<PRECISION Value='12'/>" << 7 << 6;
}

void TestXmlReader::settingsKeepWhatIsAbsent() {
    QFETCH(QString, settings);
    QFETCH(int, questions);
    QFETCH(int, precision);
    Read r(Problem(Criterion("Attr1", "C"), {}, settings));
    QVERIFY(r.Ok);
    double probability = 0.7;
    int read = 7;
    int decimals = 4;
    QVERIFY(r.Xml.ReadGlobalSettings(probability, read, decimals));
    QCOMPARE(probability, 0.7);
    QCOMPARE(read, questions);
    QCOMPARE(decimals, precision);
}

void TestXmlReader::probabilityOutOfRangeIsRefused_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("ok");
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1") << "1" << false;
    QTest::newRow("1.5") << "1.5" << false;
    QTest::newRow("-0.2") << "-0.2" << false;
    QTest::newRow("0.999") << "0.999" << true;
}

void TestXmlReader::probabilityOutOfRangeIsRefused() {
    QFETCH(QString, value);
    QFETCH(bool, ok);
    Read r(Problem(Criterion("Attr1", "C"), {}, "<PROBABILITY Value='" + value + "'/>"));
    QVERIFY(r.Ok);
    double probability = 0.7;
    int questions = 7;
    int precision = 4;
    QCOMPARE(r.Xml.ReadGlobalSettings(probability, questions, precision), ok);
    if (ok)
        QCOMPARE(probability, value.toDouble());
    else
        QCOMPARE(r.Xml.GetErrorMessage(),
                 QStringLiteral("Tag \"PROBABILITY\": Probability must belong to interval (0,1)"));
}

// Without role elements or OBJECTS the loaded document gets them, so alternatives
// entered afterwards are saved with the problem.
void TestXmlReader::missingRolesAndObjectsAreCompleted() {
    QTemporaryDir dir;
    MessageRecorder shown;
    TXML xml;
    TDecisionModel m;
    m.Roles[0].Caption = "Old caption";
    QVERIFY(xml.LoadProblemFile(XmlFixture("problem/no_roles_no_objects.xml")));
    QVERIFY(xml.ReadProblem(m.Criteria, m.Variants, m.Roles));
    QCOMPARE(m.Roles[0].AttrID, QStringLiteral("MAKE"));
    QCOMPARE(m.Roles[0].Caption, QStringLiteral("Name"));
    QCOMPARE(m.Roles[1].AttrID, QStringLiteral("DESC"));
    for (const TROLENAME &role : m.Roles)
        QCOMPARE(role.Node.parentNode(), xml.AttributesNode);
    QCOMPARE(xml.ObjectsNode.parentNode(), xml.DataNode);

    m.Variants.AddVariant("Car", "red");
    m.Variants.AppendValue(0, 3, m.Criteria[0].Id);
    xml.CreateObject(m.Criteria, m.Variants, 0, m.Roles);
    const QString path = dir.filePath("p.xml");
    QVERIFY(xml.SaveProblemFile(path));

    TXML again;
    TDecisionModel back;
    QVERIFY(again.LoadProblemFile(path));
    QVERIFY(again.ReadProblem(back.Criteria, back.Variants, back.Roles));
    QCOMPARE(back.Variants.Alternatives.size(), size_t(1));
    QCOMPARE(back.Variants.Alternatives[0].Description, QStringLiteral("red"));
    QVERIFY(shown.texts.isEmpty());

    // A criterion already called MAKE pushes the new role to a free identifier.
    Read r(QStringLiteral("<DATA><ATTRIBUTES>") + Criterion("MAKE", "C") +
           QStringLiteral("</ATTRIBUTES></DATA>"));
    QVERIFY(r.Ok);
    QCOMPARE(r.Model.Roles[0].AttrID, QStringLiteral("MAKE1"));
}

void TestXmlReader::onlyFirstSettingsEntryApplies() {
    TXML xml;
    TDecisionModel m;
    QVERIFY(xml.LoadProblemFile(XmlFixture("problem/duplicate_kavrel_entry.xml")));
    QVERIFY(xml.ReadProblem(m.Criteria, m.Variants, m.Roles));
    QCOMPARE(m.Criteria[0].Method, 2);
    QCOMPARE(PointsText(m.Criteria[0]), QStringLiteral("(0,1) (100,0)"));
}

void TestXmlReader::findValue() {
    TXML xml;
    QVERIFY(SetProblemText(xml,
                           "<OBJECT><VALUE AttrID='a'/><VALUE AttrID='a' Value='x'/>"
                           "<NOTE AttrID='b' Value='n'/><VALUE AttrID='b' Value='y'/></OBJECT>"));
    const QDomElement object = xml.ProblemDoc.documentElement();
    QString value = "untouched";
    QVERIFY(xml.FindValue(object, "b", value));
    QCOMPARE(value, QStringLiteral("y"));
    QVERIFY(!xml.FindValue(object, "a", value)); // the first match lacks Value
    QCOMPARE(xml.GetErrorMessage(), ValueNotFound);
    QVERIFY(!xml.FindValue(object, "c", value));
    QCOMPARE(value, QStringLiteral("y"));
}

QTEST_GUILESS_MAIN(TestXmlReader)
#include "tst_xml_reader.moc"
