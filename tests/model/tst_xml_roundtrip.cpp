// Whole problems through save and load: built by the writers, and the shipped examples.
#include "XmlTestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <cmath>

namespace {
// What a read problem holds, as text.
QString Describe(const TDecisionModel &m) {
    QString out;
    for (const TROLENAME &r : m.Roles)
        out += r.AttrID + '=' + r.Caption + ';';
    for (const TPROBLEM &c : m.Criteria) {
        out += QStringLiteral("\n%1 %2 %3 [%9] d%10 %4 m%5 [%6,%7] %8")
                   .arg(c.Name, c.AttrID, c.Description)
                   .arg(c.Cost)
                   .arg(c.Method)
                   .arg(c.Min, 0, 'g', 17)
                   .arg(c.Max, 0, 'g', 17)
                   .arg(c.Enumerated)
                   .arg(c.Units)
                   .arg(c.Decimals);
        for (const TEnumvalue &e : c.Values)
            out += QStringLiteral(" %1:%2").arg(e.Label).arg(e.Value);
    }
    for (size_t j = 0; j < m.Variants.Alternatives.size(); ++j) {
        out +=
            '\n' + m.Variants.Alternatives[j].Name + '|' + m.Variants.Alternatives[j].Description;
        for (const TCRITERIALIST &column : m.Variants.Columns)
            out += QStringLiteral(" %1").arg(column.Values[j], 0, 'g', 17);
    }
    return out;
}

QString LoadedTree(const QString &path) {
    TXML xml;
    return xml.LoadProblemFile(path) ? TreeDump(xml.ProblemDoc) : QString();
}
} // namespace

class TestXmlRoundTrip : public QObject {
    Q_OBJECT
private slots:
    void newProblemRoundTrip_data();
    void newProblemRoundTrip();
    void examples_data();
    void examples();
};

void TestXmlRoundTrip::newProblemRoundTrip_data() {
    AddLocaleRows();
}

// New problem, write, save, load, read, write the settings again, save again:
// the same elements and values.
void TestXmlRoundTrip::newProblemRoundTrip() {
    QFETCH(QLocale, locale);
    LocaleGuard guard(locale);
    QTemporaryDir dir;
    MessageRecorder shown;
    XmlProblem p;
    p.Model.Roles[0].Caption = QStringLiteral("Wohnung");
    p.Xml.UpdateAttributeDescription(p.Model.Roles[0]);
    p.AddCriterion(QStringLiteral("Größe"), false, 20.5, 140.25, 3).Description = "m²";
    p.Xml.UpdateCriterionAttribute(p.Model.Criteria[0]);
    p.Model.Criteria[0].Units = QStringLiteral("m²");
    p.Model.Criteria[0].Decimals = 1;
    p.AddCriterion("Rent", true, 0.000001, 2500, 2).Units = QStringLiteral("zł / month");
    p.Model.Criteria[1].Decimals = 0;
    p.AddCriterion("Floor", false, -2, 12, 4).Used = false;
    for (int i = 0; i < 12; ++i)
        p.AddAlternative(QStringLiteral("Flat %1").arg(i),
                         i % 2 ? QStringLiteral("Straße %1").arg(i) : QString(),
                         {20.5 + i * 9.75, 1234.5 + i / 3.0, double(i - 2)});
    p.Probability = 0.35;
    p.Questions = 12;
    p.Precision = 5;
    p.WriteSettings();
    const QString first = dir.filePath("first.xml");
    QVERIFY(p.Xml.SaveProblemFile(first));

    XmlLoaded read(first);
    QVERIFY2(read.Ok, qPrintable(read.Xml.GetErrorMessage()));
    QCOMPARE(read.Probability, 0.35);
    QCOMPARE(read.Questions, 12);
    QCOMPARE(read.Precision, 5);
    // What the user typed for each criterion, results or not.
    QCOMPARE(read.Model.Criteria[0].Units, QStringLiteral("m²"));
    QCOMPARE(read.Model.Criteria[0].Decimals, 1);
    QCOMPARE(read.Model.Criteria[1].Units, QStringLiteral("zł / month"));
    QCOMPARE(read.Model.Criteria[1].Decimals, 0);
    QCOMPARE(read.Model.Criteria[2].Units, QString());
    QCOMPARE(read.Model.Criteria[2].Decimals, 3);
    read.Xml.WriteElicitationSettings(read.Model.Criteria, read.Probability, read.Questions,
                                      read.Precision);
    const QString second = dir.filePath("second.xml");
    QVERIFY(read.Xml.SaveProblemFile(second));
    QCOMPARE(LoadedTree(second), LoadedTree(first));
    QCOMPARE(LoadedTree(first), TreeDump(p.Xml.ProblemDoc));

    XmlLoaded again(second);
    QVERIFY(again.Ok);
    QCOMPARE(Describe(again.Model), Describe(read.Model));
    // The values came through to the 15 digits the files carry.
    for (size_t i = 0; i < p.Model.Criteria.size(); ++i) {
        QCOMPARE(read.Model.Criteria[i].Min, p.Model.Criteria[i].Min);
        const VCriteriumData &written = p.Model.Variants.Columns[i].Values;
        const VCriteriumData &back = read.Model.Variants.Columns[i].Values;
        QCOMPARE(back.size(), written.size());
        for (size_t j = 0; j < back.size(); ++j)
            QVERIFY(std::abs(back[j] - written[j]) <= 1e-14 * std::abs(written[j]));
    }
    QCOMPARE(read.Model.Variants.Alternatives[1].Description, QStringLiteral("Straße 1"));
    QVERIFY(shown.texts.isEmpty());
}

void TestXmlRoundTrip::examples_data() {
    QTest::addColumn<QString>("path");
    const QDir examples(QStringLiteral(VR_EXAMPLES));
    const QStringList files = examples.entryList({"*.xml"}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 3);
    for (const QString &f : files)
        QTest::newRow(qPrintable(f)) << examples.filePath(f);
}

void TestXmlRoundTrip::examples() {
    QFETCH(QString, path);
    QTemporaryDir dir;
    MessageRecorder shown;
    XmlLoaded example(path);
    QVERIFY2(example.Ok, qPrintable(example.Xml.GetErrorMessage()));
    QVERIFY(shown.texts.isEmpty());
    const TDecisionModel &m = example.Model;
    QVERIFY(m.Variants.Alternatives.size() >= 10);
    QVERIFY(m.Variants.IsComplete(m.Criteria));
    QVERIFY(std::any_of(m.Criteria.begin(), m.Criteria.end(),
                        [](const TPROBLEM &c) { return c.Enumerated && c.Values.size() >= 2; }));
    QVERIFY(std::any_of(m.Criteria.begin(), m.Criteria.end(),
                        [](const TPROBLEM &c) { return !c.Enumerated; }));
    // The ranges in the file enclose the values: every criterion keeps them.
    // The examples carry no units and decimals: those are as for a new criterion.
    for (const TPROBLEM &c : m.Criteria) {
        QCOMPARE(c.Points.size(), size_t(2));
        QVERIFY(c.Min < c.Max);
        QCOMPARE(c.Units, QString());
        QCOMPARE(c.Decimals, 3);
    }

    example.Xml.WriteElicitationSettings(m.Criteria, example.Probability, example.Questions,
                                         example.Precision);
    const QString saved = dir.filePath("saved.xml");
    QVERIFY(example.Xml.SaveProblemFile(saved));
    // Every element where it was, and each criterion's settings gain its
    // units and decimals after MAX.
    QString expected = LoadedTree(path);
    expected.replace(QRegularExpression(QStringLiteral("(\n   MAX [^\n]*)")),
                     QStringLiteral("\\1\n   UNITS Value=\n   PRECISION Value=3"));
    QCOMPARE(LoadedTree(saved), expected);
    XmlLoaded again(saved);
    QVERIFY(again.Ok);
    QCOMPARE(Describe(again.Model), Describe(m));
}

QTEST_GUILESS_MAIN(TestXmlRoundTrip)
#include "tst_xml_roundtrip.moc"
