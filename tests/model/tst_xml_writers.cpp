// Writers of the problem document: roles, criteria, the editor's backup, alternatives, settings.
#include "XmlTestSupport.h"

namespace {
QStringList ChildValues(const QDomElement &parent) {
    QStringList values;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        values << e.tagName() + QLatin1Char('=') + e.attribute("Value", "-");
    return values;
}

QStringList ObjIds(const TXML &xml) {
    QStringList ids;
    for (QDomElement e = xml.ObjectsNode.firstChildElement("OBJECT"); !e.isNull();
         e = e.nextSiblingElement("OBJECT"))
        ids << e.attribute("ObjID");
    return ids;
}

// The AttrID and Value of every VALUE of an OBJECT.
QStringList ObjectValues(const QDomElement &object) {
    QStringList values;
    for (QDomElement e = object.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        values << e.attribute("AttrID") + QLatin1Char('=') + e.attribute("Value");
    return values;
}
} // namespace

class TestXmlWriters : public QObject {
    Q_OBJECT
private slots:
    void newCriterion();
    void updateCriterion();
    void updateRoleCaption();
    void restoreAfterCancel();
    void criterionNameExists();
    void firstFreeObjectId_data();
    void firstFreeObjectId();
    void freedIdsAreReused();
    void attributeIds();
    void objectValues_data();
    void objectValues();
    void enumeratedValueIsLabel();
    void updateObject();
    void settingsFirstAndSecondWrite();
    void settingsOfLaterCriterion();
};

void TestXmlWriters::newCriterion() {
    XmlProblem p;
    const TPROBLEM &c = p.AddCriterion("Price", true, 0, 10);
    QCOMPARE(c.Node, p.Xml.AttributesNode.lastChildElement());
    QCOMPARE(c.Node.attribute("AttrID"), QStringLiteral("Attr1"));
    QCOMPARE(c.Node.attributes().count(), 1);
    QCOMPARE(ChildValues(c.Node), (QStringList{"NAME=Price", "DESCRIPTION=", "TYPE=Numeric",
                                               "ROLE=Condition", "CRITERION=Cost"}));
    QCOMPARE(
        p.AddCriterion("Speed", false, 0, 1).Node.firstChildElement("CRITERION").attribute("Value"),
        QStringLiteral("Gain"));
}

void TestXmlWriters::updateCriterion() {
    TXML xml;
    QVERIFY(SetProblemText(xml, "<DATA><ATTRIBUTES>"
                                "<ATTRIBUTE AttrID='a'><TYPE Value='Enum'><ENUM EnumID='e1' "
                                "Value='low'/></TYPE><ROLE Value='Condition'/><CRITERION "
                                "Value='Cost'><RANK EnumID='e1' Value='1'/></CRITERION>"
                                "<NAME Value='x'/><NAME Value='y'/></ATTRIBUTE>"
                                "<ATTRIBUTE AttrID='b'><TYPE Value='Numeric'/><DESCRIPTION/>"
                                "</ATTRIBUTE></ATTRIBUTES></DATA>"));
    const QDomElement attributes = xml.ProblemDoc.documentElement().firstChildElement();
    TPROBLEM c;
    c.Name = "Colour";
    c.Description = "paint";
    c.Enumerated = true;
    c.Node = attributes.firstChildElement();
    xml.UpdateCriterionAttribute(c);
    QCOMPARE(ChildValues(c.Node), (QStringList{"TYPE=Enum", "ROLE=Condition", "CRITERION=Rank",
                                               "NAME=Colour", "NAME=Colour", "DESCRIPTION=paint"}));
    QCOMPARE(c.Node.firstChildElement("TYPE").firstChildElement("ENUM").attribute("Value"),
             QStringLiteral("low"));
    QVERIFY(!c.Node.firstChildElement("CRITERION").firstChildElement("RANK").isNull());

    // Neither a NAME nor a DESCRIPTION carrying Value: DESCRIPTION first, then NAME.
    c.Enumerated = false;
    c.Cost = false;
    c.Node = attributes.lastChildElement();
    xml.UpdateCriterionAttribute(c);
    QCOMPARE(ChildValues(c.Node),
             (QStringList{"TYPE=Numeric", "DESCRIPTION=-", "DESCRIPTION=paint", "NAME=Colour"}));
}

void TestXmlWriters::updateRoleCaption() {
    XmlProblem p;
    TROLENAME &role = p.Model.Roles[1];
    role.Node.appendChild(p.Xml.AddChildElement("DESCRIPTION", "Value", "second"));
    role.Caption = "Notes";
    p.Xml.UpdateAttributeDescription(role);
    QCOMPARE(ChildValues(role.Node), (QStringList{"DESCRIPTION=Notes", "TYPE=String",
                                                  "ROLE=Description", "DESCRIPTION=Notes"}));
    TROLENAME bare{"X", "Caption", p.Xml.AddChildElement("ATTRIBUTE", "AttrID", "X")};
    p.Xml.UpdateAttributeDescription(bare);
    QCOMPARE(ChildValues(bare.Node), (QStringList{"DESCRIPTION=Caption"}));
}

// Cancel in the criteria editor: the copy of the section comes back as the last
// child of DATA and every record points into it.
void TestXmlWriters::restoreAfterCancel() {
    XmlProblem p;
    p.AddCriterion("Price", true, 0, 10);
    p.AddCriterion("Speed", false, 0, 5);
    const std::vector<TPROBLEM> saved = p.Model.Criteria;
    const QDomElement backup = p.Xml.BackupAttributes();
    QVERIFY(backup.parentNode().isNull());

    // Edits made while the editor is open.
    p.Xml.RemoveNode(p.Model.Criteria[0].Node);
    p.AddCriterion("Extra", false, 0, 1);
    QVERIFY(p.Xml.FindAttributeById("Attr3"));
    p.Model.Criteria = saved;

    for (int round = 0; round < 2; ++round) {
        p.Xml.RestoreAttributes(backup, p.Model.Criteria, p.Model.Roles);
        QCOMPARE(p.Xml.AttributesNode, backup);
        QCOMPARE(ChildTags(p.Xml.DataNode), (QStringList{"OBJECTS", "KAVREL", "ATTRIBUTES"}));
        QCOMPARE(p.Xml.DataNode.elementsByTagName("ATTRIBUTES").count(), 1);
        for (const TPROBLEM &c : p.Model.Criteria) {
            QCOMPARE(c.Node.parentNode(), backup);
            QCOMPARE(c.Node.attribute("AttrID"), c.AttrID);
        }
        for (const TROLENAME &r : p.Model.Roles)
            QCOMPARE(r.Node.parentNode(), backup);
        QVERIFY(p.Xml.FindAttributeById("Attr1"));
        QVERIFY(!p.Xml.FindAttributeById("Attr3"));
    }
    // A caption changed afterwards reaches the document.
    p.Model.Roles[0].Caption = "Car";
    p.Xml.UpdateAttributeDescription(p.Model.Roles[0]);
    QVERIFY(TXML::DocumentText(p.Xml.ProblemDoc).contains("<DESCRIPTION Value=\"Car\"/>"));
}

void TestXmlWriters::criterionNameExists() {
    std::vector<TPROBLEM> criteria(2);
    criteria[0].Name = "price";
    criteria[1].Name = "Speed";
    QVERIFY(!TXML::CriterionNameExists(criteria, "Price"));
    QVERIFY(TXML::CriterionNameExists(criteria, "Speed"));
    QVERIFY(!TXML::CriterionNameExists(criteria, "Spee"));
    QVERIFY(!TXML::CriterionNameExists({}, "Speed"));
}

void TestXmlWriters::firstFreeObjectId_data() {
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("next");
    QTest::newRow("none") << QStringList() << "Obj0";
    QTest::newRow("gap") << QStringList{"Obj0", "Obj2"} << "Obj1";
    QTest::newRow("full") << QStringList{"Obj2", "Obj0", "Obj1"} << "Obj3";
    QTest::newRow("case") << QStringList{"Obj0", "obj1"} << "Obj1";
    QTest::newRow("leading zero") << QStringList{"Obj0", "Obj01"} << "Obj1";
}

void TestXmlWriters::firstFreeObjectId() {
    QFETCH(QStringList, present);
    QFETCH(QString, next);
    XmlProblem p;
    for (const QString &id : present)
        p.Xml.ObjectsNode.appendChild(p.Xml.AddChildElement("OBJECT", "ObjID", id));
    for (const QString &id : present)
        QVERIFY(p.Xml.FindObjectById(id));
    QVERIFY(!p.Xml.FindObjectById(next));
    p.AddAlternative("A", "", {});
    QCOMPARE(p.Model.Variants.Alternatives[0].Node.attribute("ObjID"), next);
    QCOMPARE(p.Model.Variants.Alternatives[0].Node, p.Xml.ObjectsNode.lastChildElement());
}

void TestXmlWriters::freedIdsAreReused() {
    XmlProblem p;
    p.AddCriterion("Price", true, 0, 10);
    for (int i = 0; i < 6; ++i)
        p.AddAlternative(QString::number(i), "", {double(i)});
    auto &rows = p.Model.Variants.Alternatives;
    p.Xml.RemoveNode(rows[4].Node);
    p.Xml.RemoveNode(rows[1].Node);
    QVERIFY(!p.Xml.FindObjectById("Obj1"));
    p.AddAlternative("a", "", {1});
    p.AddAlternative("b", "", {2});
    p.AddAlternative("c", "", {3});
    QCOMPARE(ObjIds(p.Xml), (QStringList{"Obj0", "Obj2", "Obj3", "Obj5", "Obj1", "Obj4", "Obj6"}));

    // Rebuilt from the document when the section changes.
    TXML other;
    QVERIFY(SetProblemText(other, "<DATA><OBJECTS><OBJECT ObjID='Obj0'/></OBJECTS></DATA>"));
    other.ObjectsNode = other.ProblemDoc.documentElement().firstChildElement();
    QVERIFY(other.FindObjectById("Obj0"));
    QVERIFY(!other.FindObjectById("Obj1"));
    other.RemoveNode(other.ObjectsNode); // a section removed: the look-ups start afresh
    other.ObjectsNode = other.ProblemDoc.createElement("OBJECTS");
    QVERIFY(!other.FindObjectById("Obj0"));
}

void TestXmlWriters::attributeIds() {
    XmlProblem p;
    QVERIFY(p.Xml.FindAttributeById("MAKE"));
    QVERIFY(p.Xml.FindAttributeById("DESC"));
    QVERIFY(!p.Xml.FindAttributeById("Attr1"));
    TPROBLEM &c = p.AddCriterion("Price", true, 0, 10);
    QVERIFY(p.Xml.FindAttributeById("Attr1"));
    QVERIFY(!p.Xml.FindAttributeById("attr1"));
    p.Xml.RemoveNode(c.Node);
    QVERIFY(!p.Xml.FindAttributeById("Attr1"));
}

void TestXmlWriters::objectValues_data() {
    AddLocaleRows();
}

void TestXmlWriters::objectValues() {
    QFETCH(QLocale, locale);
    LocaleGuard guard(locale);
    XmlProblem p;
    p.AddCriterion("A", false, 0, 10);
    p.AddCriterion("B", false, 0, 2000).Used = false;
    p.AddCriterion("C", false, 0, 1);
    p.AddAlternative("Car", "red", {2.5, 1234.5, 0.000001});
    const QDomElement object = p.Model.Variants.Alternatives[0].Node;
    QCOMPARE(ObjectValues(object),
             (QStringList{"MAKE=Car", "DESC=red", "Attr1=2.5", "Attr2=1234.5", "Attr3=1e-06"}));
    QVERIFY(
        TXML::DocumentText(p.Xml.ProblemDoc).contains("<VALUE AttrID=\"Attr1\" Value=\"2.5\"/>"));
}

void TestXmlWriters::enumeratedValueIsLabel() {
    XmlProblem p;
    TPROBLEM &c = p.AddCriterion("Colour", true, 1, 2);
    c.Enumerated = true;
    c.Values = {{1, "low"}, {2, "high"}};
    p.AddAlternative("Car", "", {2});
    QCOMPARE(ObjectValues(p.Model.Variants.Alternatives[0].Node).last(),
             QStringLiteral("Attr1=high"));
}

void TestXmlWriters::updateObject() {
    XmlProblem p;
    p.AddCriterion("A", false, 0, 10);
    p.AddCriterion("B", false, 0, 10);
    p.AddAlternative("Car", "red", {1, 2});
    auto &m = p.Model;
    QDomElement object = m.Variants.Alternatives[0].Node;
    // A file's OBJECT without the description VALUE, and a VALUE without AttrID.
    p.Xml.RemoveNode(object.firstChildElement().nextSiblingElement());
    object.appendChild(p.Xml.AddChildElement("VALUE", "Value", "stray"));

    // Criterion C added, A deleted; values and texts changed.
    p.AddCriterion("C", false, 0, 10);
    m.Variants.AppendValue(0, 7, m.Criteria[2].Id);
    const TPROBLEM removed = m.Criteria[0];
    m.Criteria.erase(m.Criteria.begin());
    m.Variants.DeleteColumn(removed.Id);
    m.Variants.Columns[0].Values[0] = 5;
    m.Variants.Alternatives[0].Name = "Van";
    m.Variants.Alternatives[0].Description = "blue";
    p.Xml.UpdateObjectValues(m.Criteria, m.Variants, 0, m.Roles);
    QCOMPARE(ObjectValues(object),
             (QStringList{"MAKE=Van", "Attr1=1", "Attr2=5", "=stray", "DESC=blue", "Attr3=7"}));
    QCOMPARE(object.attribute("ObjID"), QStringLiteral("Obj0"));
    p.Xml.UpdateObjectValues(m.Criteria, m.Variants, 0, m.Roles);
    QCOMPARE(ObjectValues(object).size(), 6);
}

void TestXmlWriters::settingsFirstAndSecondWrite() {
    XmlProblem p;
    p.AddCriterion("A", false, 0, 10, 2);
    p.AddCriterion("B", true, 0.5, 2.5, 4).Used = false;
    p.Probability = 0.35;
    p.Questions = 12;
    p.Precision = 4;
    p.WriteSettings();
    const QDomElement k = p.Xml.SettingsNode;
    QCOMPARE(ChildTags(k),
             (QStringList{"ATTRIBUTE", "ATTRIBUTE", "PROBABILITY", "QUESTIONS", "PRECISION"}));
    QCOMPARE(ChildValues(k.firstChildElement()),
             (QStringList{"METHOD=2", "MIN=0", "MAX=10", "UNITS=", "PRECISION=3"}));
    QCOMPARE(ChildValues(k.firstChildElement().nextSiblingElement()),
             (QStringList{"METHOD=4", "MIN=0.5", "MAX=2.5", "UNITS=", "PRECISION=3"}));
    QCOMPARE(k.firstChildElement("PROBABILITY").attribute("Value"), QStringLiteral("0.35"));
    QCOMPARE(k.firstChildElement("QUESTIONS").attribute("Value"), QStringLiteral("12"));

    const QString first = TreeDump(k);
    p.WriteSettings();
    QCOMPARE(TreeDump(k), first);
    p.Model.Criteria[0].Max = 20;
    p.Probability = 0.5;
    p.WriteSettings();
    QCOMPARE(k.firstChildElement().firstChildElement("MAX").attribute("Value"),
             QStringLiteral("20"));
    QCOMPARE(k.firstChildElement("PROBABILITY").attribute("Value"), QStringLiteral("0.5"));
    QCOMPARE(k.childNodes().count(), 6); // the layout text and five elements
}

void TestXmlWriters::settingsOfLaterCriterion() {
    XmlProblem p;
    p.AddCriterion("A", false, 0, 10);
    p.WriteSettings();
    // A second entry with the same AttrID is left alone.
    QDomElement twin = p.Xml.AddChildElement("ATTRIBUTE", "AttrID", "Attr1");
    p.Xml.SettingsNode.insertAfter(twin, p.Xml.SettingsNode.firstChildElement());
    p.AddCriterion("B", false, 0, 1);
    p.Model.Criteria[0].Method = 3;
    p.WriteSettings();
    QCOMPARE(ChildTags(p.Xml.SettingsNode), (QStringList{"ATTRIBUTE", "ATTRIBUTE", "PROBABILITY",
                                                         "QUESTIONS", "PRECISION", "ATTRIBUTE"}));
    QVERIFY(!twin.hasChildNodes());
    QCOMPARE(p.Xml.SettingsNode.lastChildElement().attribute("AttrID"), QStringLiteral("Attr2"));
    QCOMPARE(p.Xml.SettingsNode.firstChildElement().firstChildElement("METHOD").attribute("Value"),
             QStringLiteral("3"));
}

QTEST_GUILESS_MAIN(TestXmlWriters)
#include "tst_xml_writers.moc"
