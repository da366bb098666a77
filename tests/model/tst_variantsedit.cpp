// The alternatives table as rows of texts: the checks of typed values, empty
// rows, storing into the table and OBJECTS, and the saved file read back.
#include "model/CriteriaEdit.h"
#include "model/VariantsEdit.h"
#include "tests/model/XmlTestSupport.h"

#include <QTemporaryDir>

namespace {
// Price 0..100 numeric and Safety enumerated {1 poor, 2 good, 5 great}.
struct Problem : XmlProblem {
    Problem() {
        AddCriterion(QStringLiteral("Price"), true, 0, 100);
        TPROBLEM &s = AddCriterion(QStringLiteral("Safety"), false, 1, 3);
        s.Enumerated = true;
        s.Values = {{1, "poor"}, {2, "good"}, {5, "great"}};
        WriteSettings();
    }
    QStringList Header() const { return {"Price", "Safety"}; }
};
} // namespace

class TestVariantsEdit : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void cells_data();
    void cells();
    void rows_data();
    void rows();
    void storeIntoTableAndObjects();
    void storeRemovesSurplusAndWidens();
    void storedProblemReadsBack();
};

void TestVariantsEdit::cells_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("criterion");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // empty: valid
    QTest::addColumn<double>("value");
    const QString range = "Value must be between 0 and 100";
    QTest::newRow("number") << "C" << 0 << "12.5"
                            << "" << 12.5;
    QTest::newRow("lower end") << "C" << 0 << "0"
                               << "" << 0.0;
    QTest::newRow("upper end") << "C" << 0 << "100"
                               << "" << 100.0;
    QTest::newRow("below") << "C" << 0 << "-0.001" << range << 0.0;
    QTest::newRow("above") << "C" << 0 << "100.001" << range << 0.0;
    QTest::newRow("letters") << "C" << 0 << "cheap"
                             << "Conversion error" << 0.0;
    QTest::newRow("nan") << "C" << 0 << "nan"
                         << "Conversion error" << 0.0;
    QTest::newRow("inf") << "C" << 0 << "inf"
                         << "Conversion error" << 0.0;
    QTest::newRow("grouped") << "en_US" << 0 << "1,0"
                             << "Conversion error" << 0.0;
    QTest::newRow("comma locale") << "de_DE" << 0 << "12,5"
                                  << "" << 12.5;
    QTest::newRow("label") << "C" << 1 << "great"
                           << "" << 5.0;
    QTest::newRow("label outside Min..Max is fine") << "C" << 1 << "great"
                                                    << "" << 5.0;
    QTest::newRow("wrong case") << "C" << 1 << "Good"
                                << "Unknown enum value" << 0.0;
    QTest::newRow("number for a label") << "C" << 1 << "2"
                                        << "Unknown enum value" << 0.0;
}

void TestVariantsEdit::cells() {
    QFETCH(QString, locale);
    QFETCH(int, criterion);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(double, value);
    QLocale::setDefault(QLocale(locale));
    Problem p;
    const TPROBLEM &c = p.Model.Criteria[size_t(criterion)];
    double v = -1;
    const TCellFault fault = CheckCellText(c, text, &v);
    QCOMPARE(CellFaultMessage(c, fault), message);
    if (message.isEmpty())
        QCOMPARE(v, value);
    else
        QCOMPARE(v, -1.0);
}

void TestVariantsEdit::rows_data() {
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<bool>("requireRows");
    QTest::addColumn<int>("row"); // -1: no fault
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("message");
    using R = QList<QStringList>;
    const QStringList empty{"", "", "", ""};
    const QStringList full{"A", "", "10", "good"};
    QTest::newRow("one row, description empty") << R{full, empty} << false << -1 << -1 << "";
    QTest::newRow("spare row with the flag") << R{full, empty} << true << -1 << -1 << "";
    QTest::newRow("empty rows in between") << R{empty, full, empty} << true << -1 << -1 << "";
    QTest::newRow("nothing typed, no flag") << R{empty} << false << -1 << -1 << "";
    QTest::newRow("nothing typed, flag") << R{empty} << true << 0 << 0 << "Empty cell!";
    QTest::newRow("name missing") << R{full, {"", "d", "5", "poor"}} << false << 1 << 0
                                  << "Empty cell!";
    QTest::newRow("value missing") << R{{"B", "", "", "poor"}} << false << 0 << 2 << "Empty cell!";
    QTest::newRow("short row") << R{{"B", "", "5"}} << false << 0 << 3 << "Empty cell!";
    QTest::newRow("bad label") << R{{"B", "", "5", "bad"}} << false << 0 << 3
                               << "Unknown enum value";
    QTest::newRow("empty before invalid")
        << R{{"B", "", "x", ""}} << false << 0 << 3 << "Empty cell!";
    QTest::newRow("first invalid column")
        << R{{"B", "", "x", "bad"}} << false << 0 << 2 << "Conversion error";
}

void TestVariantsEdit::rows() {
    QFETCH(QList<QStringList>, rows);
    QFETCH(bool, requireRows);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, message);
    Problem p;
    TRowFault fault;
    const std::vector<TRowTexts> list(rows.begin(), rows.end());
    QCOMPARE(FindRowFault(p.Model.Criteria, list, requireRows, fault), row >= 0);
    QCOMPARE(fault.Row, row);
    QCOMPARE(fault.Column, column);
    QCOMPARE(fault.Message, message);
}

void TestVariantsEdit::storeIntoTableAndObjects() {
    Problem p;
    const std::vector<TRowTexts> rows{
        {"A", "first", "10", "good"}, {"", "", "", ""}, {"B", "", "20.5", "poor"}};
    QVERIFY(StoreRows(p.Model, p.Xml, p.Header(), rows));
    const TVARIANTS &v = p.Model.Variants;
    QCOMPARE(v.Alternatives.size(), size_t(2));
    QCOMPARE(v.Alternatives[1].Name, QStringLiteral("B"));
    QCOMPARE(v.Columns.size(), size_t(2));
    QCOMPARE(v.Value(1, 0), 20.5);
    QCOMPARE(v.Value(0, 1), 2.0);
    QVERIFY(v.IsComplete(p.Model.Criteria));
    QCOMPARE(TreeDump(p.Xml.ObjectsNode),
             QStringLiteral("OBJECT ObjID=Obj0\n VALUE AttrID=MAKE Value=A\n"
                            " VALUE AttrID=DESC Value=first\n VALUE AttrID=Attr1 Value=10\n"
                            " VALUE AttrID=Attr2 Value=good\n"
                            "OBJECT ObjID=Obj1\n VALUE AttrID=MAKE Value=B\n"
                            " VALUE AttrID=DESC Value=\n VALUE AttrID=Attr1 Value=20.5\n"
                            " VALUE AttrID=Attr2 Value=poor\n"));
    QCOMPARE(RowsOfVariants(p.Model),
             (std::vector<TRowTexts>{{"A", "first", "10", "good"}, {"B", "", "20.5", "poor"}}));

    // The same rows again change nothing the file carries; an edit updates in place.
    QVERIFY(!StoreRows(p.Model, p.Xml, p.Header(), RowsOfVariants(p.Model)));
    QVERIFY(StoreRows(p.Model, p.Xml, p.Header(),
                      {{"A", "first", "10", "good"}, {"B2", "x", "30", "poor"}}));
    QCOMPARE(v.Alternatives[1].Node.attribute("ObjID"), QStringLiteral("Obj1"));
    QCOMPARE(ChildTags(p.Xml.ObjectsNode).size(), 2);
    QCOMPARE(v.Alternatives[1].Node.lastChildElement().previousSiblingElement().attribute("Value"),
             QStringLiteral("30"));
}

void TestVariantsEdit::storeRemovesSurplusAndWidens() {
    Problem p;
    QVERIFY(StoreRows(p.Model, p.Xml, p.Header(),
                      {{"A", "", "1", "poor"}, {"B", "", "2", "great"}, {"C", "", "3", "good"}}));
    // Safety 1..3 widened to the label value 5.
    QCOMPARE(p.Model.Criteria[1].Min, 1.0);
    QCOMPARE(p.Model.Criteria[1].Max, 5.0);
    QCOMPARE(p.Model.Criteria[0].Max, 100.0);
    QVERIFY(StoreRows(p.Model, p.Xml, p.Header(), {{"A", "", "1", "poor"}}));
    QCOMPARE(p.Model.Variants.Alternatives.size(), size_t(1));
    QCOMPARE(ChildTags(p.Xml.ObjectsNode), QStringList{"OBJECT"});
    QCOMPARE(p.Model.Variants.Columns[0].Values.size(), size_t(1));
    // Columns whose criterion is gone do not stop the widening.
    p.Model.Variants.Columns.push_back({77, {1000}});
    WidenCriterionRanges(p.Model);
    QCOMPARE(p.Model.Criteria[0].Max, 100.0);
}

void TestVariantsEdit::storedProblemReadsBack() {
    QTemporaryDir dir;
    const QString file = dir.filePath("p.xml");
    {
        // Only problem files bring enumerations; the program writes numeric criteria.
        Problem p;
        p.Model.Criteria[1].Enumerated = false;
        AddNewCriterion(p.Model, p.Xml, {});
        TCriterionFields f = FieldsOf(p.Model.Criteria[2]);
        f.Name = "Boot";
        f.Description = "litres";
        TChangeFlags flags;
        ApplyCriterionFields(p.Model.Criteria[2], nullptr, f, 0, 1, flags);
        p.Xml.UpdateCriterionAttribute(p.Model.Criteria[2]);
        QVERIFY(StoreRows(p.Model, p.Xml, {"Price", "Safety", "Boot"},
                          {{"A", "nice", "10", "2", "0.5"}, {"B", "", "90", "3", "1"}}));
        p.Model.Roles[0].Caption = "Model";
        p.Xml.UpdateAttributeDescription(p.Model.Roles[0]);
        p.WriteSettings();
        QVERIFY(p.Xml.SaveProblemFile(file));
    }
    XmlLoaded l(file);
    QVERIFY2(l.Ok, qPrintable(l.Xml.GetErrorMessage()));
    QCOMPARE(l.Model.Criteria.size(), size_t(3));
    QCOMPARE(l.Model.Criteria[2].Name, QStringLiteral("Boot"));
    QCOMPARE(l.Model.Criteria[2].Description, QStringLiteral("litres"));
    QCOMPARE(l.Model.Roles[0].Caption, QStringLiteral("Model"));
    QCOMPARE(RowsOfVariants(l.Model),
             (std::vector<TRowTexts>{{"A", "nice", "10", "2", "0.5"}, {"B", "", "90", "3", "1"}}));
}

QTEST_GUILESS_MAIN(TestVariantsEdit)
#include "tst_variantsedit.moc"
