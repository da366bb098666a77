// The document holder: skeletons, number text, loading and saving, searches and readers.
#include "XmlTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <unistd.h>

class TestXmlDocuments : public QObject {
    Q_OBJECT
private slots:
    void emptyProblemSkeleton();
    void emptyProblemFile();
    void numberText_data();
    void numberText();
    void numberReading_data();
    void numberReading();
    void parseErrors_data();
    void parseErrors();
    void resultErrorDescribesResultFile();
    void failedLoadKeepsDocument();
    void findData_data();
    void findData();
    void sectionsAreDirectChildren();
    void childAndAttributeReaders();
    void setAttributeAddsOrReplaces();
    void saveReplacesWholeFile();
    void saveIntoMissingFolderFails();
    void savedTextIsStable();
    void textSurvivesSaveAndLoad_data();
    void textSurvivesSaveAndLoad();
    void declaredEncodingIsNotKept();
};

void TestXmlDocuments::emptyProblemSkeleton() {
    TXML xml;
    std::vector<TROLENAME> roles = {TXML::DefaultRole(0), TXML::DefaultRole(1)};
    xml.NewDocuments(roles);

    const QDomNode pi = xml.ProblemDoc.firstChild();
    QVERIFY(pi.isProcessingInstruction());
    QCOMPARE(pi.toProcessingInstruction().target(), QStringLiteral("xml"));
    QCOMPARE(pi.toProcessingInstruction().data(), QStringLiteral("version='1.0'"));

    const QDomElement data = xml.ProblemDoc.documentElement();
    QCOMPARE(data, xml.DataNode);
    QCOMPARE(data.tagName(), QStringLiteral("DATA"));
    QCOMPARE(data.attribute("DataID"), QStringLiteral("XMLDOC"));
    QCOMPARE(data.firstChild().nodeValue(), QStringLiteral("\n   "));
    QCOMPARE(ChildTags(data), (QStringList{"ATTRIBUTES", "OBJECTS", "KAVREL"}));
    QCOMPARE(xml.AttributesNode, data.firstChildElement("ATTRIBUTES"));
    QVERIFY(!xml.AttributesNode.firstChild().isText());
    for (const QDomElement &section : {xml.ObjectsNode, xml.SettingsNode}) {
        QCOMPARE(section.childNodes().count(), 1);
        QCOMPARE(section.firstChild().nodeValue(), QStringLiteral("\n   "));
    }

    // The roles' elements: DESCRIPTION, TYPE, ROLE, and linked to the records.
    const QStringList expected[] = {{"Name", "String", "Name"},
                                    {"Description", "String", "Description"}};
    QDomElement role = xml.AttributesNode.firstChildElement();
    for (int i = 0; i < 2; ++i, role = role.nextSiblingElement()) {
        QCOMPARE(roles[i].Node, role);
        QCOMPARE(role.attribute("AttrID"),
                 i == 0 ? QStringLiteral("MAKE") : QStringLiteral("DESC"));
        QCOMPARE(ChildTags(role), (QStringList{"DESCRIPTION", "TYPE", "ROLE"}));
        QStringList values;
        for (QDomElement c = role.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
            values << c.attribute("Value");
        QCOMPARE(values, expected[i]);
    }
    QVERIFY(role.isNull());

    const QDomElement result = xml.ResultDoc.documentElement();
    QCOMPARE(result, xml.ResultRootNode);
    QCOMPARE(result.tagName(), QStringLiteral("ZUZOVODODEZI"));
    QCOMPARE(result.childNodes().count(), 1);
    QCOMPARE(result.firstChild().nodeValue(), QStringLiteral("\n"));
    QVERIFY(xml.ResultDoc.firstChild().isProcessingInstruction());
}

void TestXmlDocuments::emptyProblemFile() {
    QTemporaryDir dir;
    XmlProblem p;
    const QString path = dir.filePath("empty.xml");
    QVERIFY(p.Xml.SaveProblemFile(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.startsWith("<?xml version='1.0'?>\n<DATA DataID=\"XMLDOC\">\n   <ATTRIBUTES>"));
    QVERIFY(text.contains("<OBJECTS>\n   </OBJECTS>"));
    QVERIFY(text.contains("<KAVREL>\n   </KAVREL>"));

    TXML again;
    QVERIFY(again.LoadProblemFile(path));
    QCOMPARE(TreeDump(again.ProblemDoc), TreeDump(p.Xml.ProblemDoc));
}

void TestXmlDocuments::numberText_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    const QLocale point(QLocale::English, QLocale::UnitedStates);
    const QLocale comma(QLocale::German, QLocale::Germany);
    for (const QLocale &l : {point, comma}) {
        const QByteArray tag = l.name().toLatin1() + ' ';
        QTest::newRow(tag + "fraction") << l << 2.5 << "2.5";
        QTest::newRow(tag + "no grouping") << l << 1234.5 << "1234.5";
        QTest::newRow(tag + "integer") << l << 12.0 << "12";
        QTest::newRow(tag + "zero") << l << 0.0 << "0";
        QTest::newRow(tag + "negative") << l << -0.75 << "-0.75";
        QTest::newRow(tag + "small") << l << 0.000001 << "1e-06";
        QTest::newRow(tag + "large") << l << 1e20 << "1e+20";
        QTest::newRow(tag + "15 digits") << l << 0.1 + 0.2 << "0.3";
    }
}

void TestXmlDocuments::numberText() {
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    LocaleGuard guard(locale);
    QCOMPARE(TXML::NumberToFileText(value), text);
    QCOMPARE(TXML::FloatStrToXml(FloatToStr(value)), text);
    double back = 0.0;
    QVERIFY(TXML::FileTextToNumber(text, back));
    QCOMPARE(back, std::stod(text.toStdString()));
}

void TestXmlDocuments::numberReading_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("number");
    QTest::addColumn<bool>("truncatedOk");
    QTest::addColumn<int>("truncated");
    const QLocale point(QLocale::English, QLocale::UnitedStates);
    const QLocale comma(QLocale::German, QLocale::Germany);
    QTest::newRow("point 2.7") << point << "2.7" << true << 2.7 << true << 2;
    QTest::newRow("point -2.7") << point << "-2.7" << true << -2.7 << true << -2;
    QTest::newRow("comma 2.7") << comma << "2.7" << true << 2.7 << false << 0;
    QTest::newRow("comma 3,9") << comma << "3,9" << true << 3.9 << true << 3;
    QTest::newRow("exponent") << comma << "1E-5" << true << 1e-5 << true << 0;
    QTest::newRow("padded") << point << " 5 " << true << 5.0 << true << 5;
    QTest::newRow("grouping") << point << "1,000" << false << 0.0 << false << 0;
    QTest::newRow("empty") << point << "" << false << 0.0 << false << 0;
    QTest::newRow("word") << point << "ten" << false << 0.0 << false << 0;
    QTest::newRow("infinite") << point << "inf" << false << 0.0 << false << 0;
    QTest::newRow("not a number") << point << "nan" << false << 0.0 << false << 0;
    QTest::newRow("beyond int") << point << "1e12" << true << 1e12 << false << 0;
}

void TestXmlDocuments::numberReading() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, number);
    QFETCH(bool, truncatedOk);
    QFETCH(int, truncated);
    LocaleGuard guard(locale);
    double value = -99.0;
    QCOMPARE(TXML::FileTextToNumber(text, value), ok);
    QCOMPARE(value, ok ? number : -99.0);
    int integer = -99;
    QCOMPARE(TXML::FileTextToTruncated(text, integer), truncatedOk);
    QCOMPARE(integer, truncatedOk ? truncated : -99);
}

void TestXmlDocuments::parseErrors_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("start");
    QTest::newRow("tag mismatch") << QByteArray("<DATA>\n<A></B>\n</DATA>")
                                  << "Error on line 2 column ";
    QTest::newRow("empty file") << QByteArray() << "Error on line ";
    QTest::newRow("text only") << QByteArray("just words") << "Error on line 1 column ";
}

void TestXmlDocuments::parseErrors() {
    QFETCH(QByteArray, content);
    QFETCH(QString, start);
    QTemporaryDir dir;
    QFile file(dir.filePath("bad.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    TXML xml;
    QVERIFY(!xml.LoadProblemFile(file.fileName()));
    const QString text = xml.ParseErrorText(xml.ProblemDoc);
    QVERIFY2(text.startsWith(start), qPrintable(text));
    const qsizetype lineEnd = text.indexOf(QLatin1String(" : \n"));
    QVERIFY(lineEnd > 0);
    QVERIFY(text.size() > lineEnd + 4); // the parser's reason on the second line
}

void TestXmlDocuments::resultErrorDescribesResultFile() {
    QTemporaryDir dir;
    QFile bad(dir.filePath("bad.xml"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("<?xml version='1.0'?>\n<ZUZOVODODEZI>\n\n\n<BIGK></ZUZOVODODEZI>\n");
    bad.close();
    TXML xml;
    // A file that cannot be opened is named with the reason; one that does not
    // parse gives the parser's place and reason, and its name.
    const QString missing = QStringLiteral("Can't open \"%1\": No such file or directory.")
                                .arg(dir.filePath("missing.xml"));
    QVERIFY(!xml.LoadProblemFile(dir.filePath("missing.xml")));
    QCOMPARE(xml.ParseErrorText(xml.ProblemDoc), missing);
    QVERIFY(!xml.LoadResultFile(bad.fileName()));
    QVERIFY(xml.ParseErrorText(xml.ResultDoc).startsWith("Error on line 5 column "));
    QVERIFY(xml.ParseErrorText(xml.ResultDoc).endsWith("\nFile: \"" + bad.fileName() + '"'));
    QCOMPARE(xml.ParseErrorText(xml.ProblemDoc), missing);
}

void TestXmlDocuments::failedLoadKeepsDocument() {
    XmlProblem p;
    p.AddCriterion("Price", true, 0, 10);
    const QString before = TreeDump(p.Xml.ProblemDoc);
    QVERIFY(!p.Xml.LoadProblemFile(XmlFixture("missing/none.xml")));
    QCOMPARE(TreeDump(p.Xml.ProblemDoc), before);
}

void TestXmlDocuments::findData_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("id"); // DataID of the DATA found
    QTest::newRow("root") << "<DATA DataID='r'/>" << true << "r";
    QTest::newRow("nested") << "<X><Y/><Z><DATA DataID='deep'/></Z><DATA DataID='late'/></X>"
                            << true << "late";
    QTest::newRow("first in order")
        << "<X><Y><DATA DataID='a'/></Y><Z><DATA DataID='b'/></Z></X>" << true << "a";
    QTest::newRow("case matters") << "<X><data/></X>" << false << "";
}

void TestXmlDocuments::findData() {
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(QString, id);
    TXML xml;
    QVERIFY(SetProblemText(xml, text));
    xml.Found = false;
    QCOMPARE(xml.FindData(), found);
    QCOMPARE(xml.Found, found);
    if (found)
        QCOMPARE(xml.DataNode.attribute("DataID"), id);
}

void TestXmlDocuments::sectionsAreDirectChildren() {
    TXML xml;
    QVERIFY(SetProblemText(xml, "<DATA><W><ATTRIBUTES/></W><OBJECTS n='1'/><OBJECTS n='2'/>"
                                "<KAVREL/></DATA>"));
    const QDomElement data = xml.ProblemDoc.documentElement();
    QVERIFY(!xml.FindSections(data, "ATTRIBUTES"));
    QVERIFY(xml.AttributesNode.isNull());
    QVERIFY(xml.FindSections(data, "OBJECTS"));
    QCOMPARE(xml.ObjectsNode.attribute("n"), QStringLiteral("1"));
    QVERIFY(xml.FindSections(data, "KAVREL"));
    QCOMPARE(xml.SettingsNode, data.lastChildElement());
}

void TestXmlDocuments::childAndAttributeReaders() {
    TXML xml;
    QVERIFY(SetProblemText(xml, "<A AttrID='id'><NAME/><NAME Value='second'/><TYPE Value='t'/>"
                                "<TYPE Value='u'/>text</A>"));
    const QDomElement a = xml.ProblemDoc.documentElement();
    QString value = "untouched";
    QVERIFY(xml.GetChildAttribute(a, "NAME", "Value", value));
    QCOMPARE(value, QStringLiteral("second"));
    QVERIFY(xml.GetChildAttribute(a, "TYPE", "Value", value));
    QCOMPARE(value, QStringLiteral("t"));
    value = "untouched";
    QVERIFY(!xml.GetChildAttribute(a, "NAME", "value", value));
    QVERIFY(!xml.GetChildAttribute(a, "ROLE", "Value", value));
    QVERIFY(!xml.GetAttribute(a, "attrid", value));
    QCOMPARE(value, QStringLiteral("untouched"));
    QVERIFY(xml.GetAttribute(a, "AttrID", value));
    QCOMPARE(value, QStringLiteral("id"));
    QVERIFY(!xml.GetAttribute(a.lastChild(), "AttrID", value)); // a text node

    QDomElement child;
    QVERIFY(xml.FindChild(a, "TYPE", child));
    QCOMPARE(child.attribute("Value"), QStringLiteral("t"));
    QVERIFY(!xml.FindChild(a, "type", child));

    QDomNode removed = a.firstChildElement("TYPE");
    xml.RemoveNode(removed);
    QCOMPARE(ChildTags(a), (QStringList{"NAME", "NAME", "TYPE"}));
    QCOMPARE(removed.toElement().attribute("Value"), QStringLiteral("t")); // still usable
    xml.RemoveNode(removed); // no parent any more: nothing
}

void TestXmlDocuments::setAttributeAddsOrReplaces() {
    XmlProblem p;
    QDomElement e = p.Xml.AddChildElement("METHOD", "Value", "1");
    p.Xml.SetAttribute(e, "Value", "2");
    QCOMPARE(e.attributes().count(), 1);
    QCOMPARE(e.attribute("Value"), QStringLiteral("2"));
    p.Xml.SetAttribute(e, "Other", "x");
    QCOMPARE(e.attributes().count(), 2);
    QVERIFY(p.Xml.AddChildElement("POINTS", QString(), QString()).attributes().isEmpty());
    QCOMPARE(p.Xml.AddChildElement("UNITS", "Value", QString()).attributeNode("Value").value(),
             QString());
    QCOMPARE(p.Xml.AddResultChildElement("BIGK", "Value", "1").ownerDocument(), p.Xml.ResultDoc);
}

// The old file is replaced only once the new one is complete: a second name for
// the old file keeps the old text.
void TestXmlDocuments::saveReplacesWholeFile() {
    QTemporaryDir dir;
    XmlProblem p;
    const QString path = dir.filePath("p.xml");
    const QString link = dir.filePath("old.xml");
    QVERIFY(p.Xml.SaveProblemFile(path));
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    p.AddCriterion("Price", true, 0, 10);
    QVERIFY(p.Xml.SaveProblemFile(path));
    QFile old(link), now(path);
    QVERIFY(old.open(QIODevice::ReadOnly) && now.open(QIODevice::ReadOnly));
    const QByteArray oldText = old.readAll();
    QVERIFY(!oldText.contains("Price"));
    QVERIFY(oldText.endsWith("</DATA>\n"));
    QVERIFY(now.readAll().contains("Price"));
    QVERIFY(p.Xml.SaveResultFile(dir.filePath("r.xml")));
}

void TestXmlDocuments::saveIntoMissingFolderFails() {
    QTemporaryDir dir;
    XmlProblem p;
    const QString before = TreeDump(p.Xml.ProblemDoc);
    QVERIFY(!p.Xml.SaveProblemFile(dir.filePath("no/such/folder/p.xml")));
    QVERIFY(!p.Xml.SaveResultFile(dir.filePath("no/such/folder/r.xml")));
    QVERIFY(!p.Xml.SaveProblemFile(dir.path())); // a folder is no file
    QCOMPARE(TreeDump(p.Xml.ProblemDoc), before);
}

// Attributes stand in the order the program creates them, the same in every run.
void TestXmlDocuments::savedTextIsStable() {
    XmlProblem p;
    p.AddCriterion("Price", true, 0, 10);
    p.AddAlternative("A", "d", {5});
    p.Model.Criteria[0].Points = {{0, 1}, {10, 0}};
    p.Xml.WriteResults(p.Model.Criteria);
    const QByteArray problem = TXML::DocumentText(p.Xml.ProblemDoc);
    QVERIFY(problem.contains("<VALUE AttrID=\"MAKE\" Value=\"A\"/>"));
    QVERIFY(problem.contains("<OBJECT ObjID=\"Obj0\">\n         <VALUE"));
    const QByteArray result = TXML::DocumentText(p.Xml.ResultDoc);
    QVERIFY(result.contains("<POINT X=\"0\" Y=\"1\"/>"));
    QVERIFY(result.contains("<ATTRIBUTE Name=\"Price\">"));
}

void TestXmlDocuments::textSurvivesSaveAndLoad_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("letters") << QStringLiteral("Čćžšđ Ääö ß Ωμ 日本")
                             << QStringLiteral("Čćžšđ Ääö ß Ωμ 日本");
    QTest::newRow("markup") << "a<b & \"c\" 'd'>"
                            << "a<b & \"c\" 'd'>";
    QTest::newRow("lines") << "one\ntwo\tthree\r\nfour"
                           << "one\ntwo\tthree\r\nfour";
    QTest::newRow("spaces") << "  padded  "
                            << "  padded  ";
    QTest::newRow("control chars dropped") << QStringLiteral("a\x01"
                                                             "b\x1f"
                                                             "c")
                                           << "abc";
}

void TestXmlDocuments::textSurvivesSaveAndLoad() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    XmlProblem p;
    p.Model.Roles[0].Caption = text;
    p.Xml.UpdateAttributeDescription(p.Model.Roles[0]);
    TPROBLEM &c = p.AddCriterion(text.left(10), false, 0, 1);
    c.Description = text;
    p.Xml.UpdateCriterionAttribute(c);
    p.AddAlternative(text, text, {0.5});
    p.WriteSettings();
    const QString path = dir.filePath("p.xml");
    QVERIFY(p.Xml.SaveProblemFile(path));

    MessageRecorder messages;
    TXML xml;
    TDecisionModel m;
    QVERIFY(xml.LoadProblemFile(path));
    QVERIFY2(xml.ReadProblem(m.Criteria, m.Variants, m.Roles), qPrintable(xml.GetErrorMessage()));
    QCOMPARE(m.Roles[0].Caption, expected);
    QCOMPARE(m.Criteria[0].Name, expected.left(10));
    QCOMPARE(m.Criteria[0].Description, expected);
    QCOMPARE(m.Variants.Alternatives[0].Name, expected);
    QCOMPARE(m.Variants.Alternatives[0].Description, expected);
    QVERIFY(messages.texts.isEmpty());
}

void TestXmlDocuments::declaredEncodingIsNotKept() {
    QTemporaryDir dir;
    const QString in = dir.filePath("latin1.xml");
    QFile file(in);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<DATA><X Value=\"caf\xe9\"/></DATA>");
    file.close();
    TXML xml;
    QVERIFY(xml.LoadProblemFile(in));
    const QString out = dir.filePath("utf8.xml");
    QVERIFY(xml.SaveProblemFile(out));
    TXML again;
    QVERIFY(again.LoadProblemFile(out));
    QCOMPARE(again.ProblemDoc.documentElement().firstChildElement().attribute("Value"),
             QStringLiteral("café"));
    QVERIFY(!TXML::DocumentText(again.ProblemDoc).contains("encoding"));
}

QTEST_GUILESS_MAIN(TestXmlDocuments)
#include "tst_xml_documents.moc"
