// Editing criteria without the window: the checks in their order, the change
// flags, new and deleted criteria, and the snapshot a cancelled edit restores.
#include "model/CriteriaEdit.h"
#include "tests/model/XmlTestSupport.h"

namespace {
// Price 0..100 (Cost) and Power 50..200 (Gain), alternatives holding 10..80 and 60..150.
struct TwoCriteria : XmlProblem {
    TwoCriteria() {
        AddCriterion(QStringLiteral("Price"), true, 0, 100);
        AddCriterion(QStringLiteral("Power"), false, 50, 200);
        AddAlternative(QStringLiteral("A"), QStringLiteral("first"), {10, 60});
        AddAlternative(QStringLiteral("B"), QString(), {80, 150});
        WriteSettings();
    }
};
} // namespace

class TestCriteriaEdit : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void numbers_data();
    void numbers();
    void checks_data();
    void checks();
    void flags_data();
    void flags();
    void untouchedControlsChangeNothing();
    void renameThenChange();
    void newCriterionNames();
    void newCriterionSkipsIdentifiersTheDocumentStillUses();
    void deleteGuardsAndLastCriterion();
    void snapshotRestoresEverything();
};

void TestCriteriaEdit::numbers_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "C"
                           << "2.5" << true << 2.5;
    QTest::newRow("blanks") << "C"
                            << " -3 " << true << -3.0;
    QTest::newRow("exponent") << "C"
                              << "1e3" << true << 1000.0;
    QTest::newRow("nan") << "C"
                         << "nan" << false << 0.0;
    QTest::newRow("inf") << "C"
                         << "inf" << false << 0.0;
    QTest::newRow("-inf") << "C"
                          << "-inf" << false << 0.0;
    QTest::newRow("overflow") << "C"
                              << "1e999" << false << 0.0;
    QTest::newRow("group separator") << "en_US"
                                     << "1,234.5" << false << 0.0;
    QTest::newRow("comma locale") << "de_DE"
                                  << "2,5" << true << 2.5;
    QTest::newRow("point under comma locale") << "de_DE"
                                              << "2.5" << false << 0.0;
    QTest::newRow("empty") << "C"
                           << "" << false << 0.0;
}

void TestCriteriaEdit::numbers() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    QLocale::setDefault(QLocale(locale));
    double v = 0.0;
    QCOMPARE(TextToFloat(text, v), ok);
    if (ok)
        QCOMPARE(v, value);
    QVERIFY(!InRange(std::nan(""), -1e300, 1e300));
}

void TestCriteriaEdit::checks_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("message"); // empty: valid
    QTest::addColumn<int>("focus");
    QTest::addColumn<QString>("replacement");
    using V = TCriterionVerdict;
    const QString ok;
    QTest::newRow("valid") << 0 << "Price"
                           << "0"
                           << "100" << ok << int(V::FocusNone) << "";
    QTest::newRow("empty name") << 0 << ""
                                << "x"
                                << "x"
                                << "Name can't be empty" << int(V::FocusName) << "";
    QTest::newRow("10 characters") << 0 << "ABCDEFGHIJ"
                                   << "0"
                                   << "100" << ok << int(V::FocusNone) << "";
    QTest::newRow("11 characters")
        << 0 << "ABCDEFGHIJK"
        << "0"
        << "100"
        << "Name is too long. Maximal size is 10" << int(V::FocusName) << "";
    QTest::newRow("name of another") << 0 << "Power"
                                     << "0"
                                     << "100"
                                     << "Criterion already exists" << int(V::FocusName) << "";
    QTest::newRow("other case is another name") << 0 << "power"
                                                << "0"
                                                << "100" << ok << int(V::FocusNone) << "";
    QTest::newRow("min not a number") << 0 << "Price"
                                      << "abc"
                                      << "x"
                                      << "Convertion error!" << int(V::FocusMin) << "";
    QTest::newRow("min nan") << 0 << "Price"
                             << "nan"
                             << "100"
                             << "Convertion error!" << int(V::FocusMin) << "";
    QTest::newRow("max inf") << 0 << "Price"
                             << "0"
                             << "inf"
                             << "Convertion error!" << int(V::FocusMax) << "";
    QTest::newRow("min above the values")
        << 0 << "Price"
        << "10.5"
        << "100"
        << "Min value must be equal or less then alternatives' Min value!" << int(V::FocusMin)
        << "10";
    QTest::newRow("min at the smallest value") << 0 << "Price"
                                               << "10"
                                               << "80" << ok << int(V::FocusNone) << "";
    QTest::newRow("max below the values")
        << 1 << "Power"
        << "0"
        << "149"
        << "Max value must be equal or greater then alternatives' Max value from!"
        << int(V::FocusMax) << "150";
    QTest::newRow("min equals max") << 1 << "Power"
                                    << "150"
                                    << "150"
                                    << "Min value must be equal or less then alternatives' Min "
                                       "value!"
                                    << int(V::FocusMin) << "60";
    QTest::newRow("min equals max, no values")
        << 2 << "New"
        << "5"
        << "5"
        << "Max value must be greater then Min value!" << int(V::FocusMin) << "";
    QTest::newRow("min above max, no values")
        << 2 << "New"
        << "6"
        << "5"
        << "Max value must be greater then Min value!" << int(V::FocusMin) << "";
}

void TestCriteriaEdit::checks() {
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QString, min);
    QFETCH(QString, max);
    QFETCH(QString, message);
    QFETCH(int, focus);
    QFETCH(QString, replacement);
    TwoCriteria p;
    AddNewCriterion(p.Model, p.Xml, {}); // index 2, no values
    TCriterionFields f = FieldsOf(p.Model.Criteria[size_t(index)]);
    f.Name = name;
    f.MinText = min;
    f.MaxText = max;
    const TCriterionVerdict v = CheckCriterionFields(p.Model, index, f);
    QCOMPARE(v.Valid, message.isEmpty());
    QCOMPARE(v.Message, message);
    QCOMPARE(int(v.Focus), focus);
    QCOMPARE(v.Replacement, replacement);
}

void TestCriteriaEdit::flags_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("criteriaChanged");
    QTest::addColumn<bool>("coefficientsInvalid");
    QTest::addColumn<bool>("functionsInvalid");
    QTest::newRow("nothing") << "" << false << false << false;
    QTest::newRow("description") << "description" << false << false << false;
    QTest::newRow("name") << "name" << true << false << false;
    QTest::newRow("units") << "units" << true << false << false;
    QTest::newRow("method") << "method" << false << false << true;
    QTest::newRow("min") << "min" << false << true << true;
    QTest::newRow("max") << "max" << false << true << true;
    QTest::newRow("decimals") << "decimals" << true << true << false;
    QTest::newRow("type") << "type" << false << false << true;
    QTest::newRow("used") << "used" << true << true << false;
}

void TestCriteriaEdit::flags() {
    QFETCH(QString, field);
    QFETCH(bool, criteriaChanged);
    QFETCH(bool, coefficientsInvalid);
    QFETCH(bool, functionsInvalid);
    TwoCriteria p;
    TPROBLEM &c = p.Model.Criteria[0];
    c.FunctionCreated = true;
    c.AddPoint(50, 0.3);
    const std::vector<TPROBLEM> saved = p.Model.Criteria;
    TCriterionFields f = FieldsOf(c);
    double min = c.Min, max = c.Max;
    if (field == "description")
        f.Description = "other";
    else if (field == "name")
        f.Name = "Cost";
    else if (field == "units")
        f.Units = "EUR";
    else if (field == "method")
        f.Method = 3;
    else if (field == "min")
        min = -5;
    else if (field == "max")
        max = 120;
    else if (field == "decimals")
        f.Decimals = 1;
    else if (field == "type")
        f.Cost = false;
    else if (field == "used")
        f.Used = false;
    TChangeFlags flags;
    ApplyCriterionFields(c, FindSavedCopy(saved, c), f, min, max, flags);
    QCOMPARE(flags.CriteriaChanged, criteriaChanged);
    QCOMPARE(flags.CoefficientsInvalid, coefficientsInvalid);
    QCOMPARE(flags.FunctionsInvalid, functionsInvalid);
    QCOMPARE(c.FunctionCreated, !functionsInvalid);
    // Only a new type replaces the points, by the end points of that type.
    QCOMPARE(PointsText(c), field == "type" ? QStringLiteral("(0,0) (100,1)")
                                            : QStringLiteral("(0,1) (50,0.3) (100,0)"));
    QCOMPARE(c.Description, field == "description" ? QStringLiteral("other") : QString());

    // A criterion made in this pass has no saved copy: nothing is flagged.
    const int added = AddNewCriterion(p.Model, p.Xml, saved);
    TPROBLEM &fresh = p.Model.Criteria[size_t(added)];
    QVERIFY(!FindSavedCopy(saved, fresh));
    TChangeFlags none;
    TCriterionFields g = FieldsOf(fresh);
    g.Cost = false;
    g.Name = "Changed";
    ApplyCriterionFields(fresh, nullptr, g, 0, 1, none);
    QVERIFY(!none.CriteriaChanged && !none.CoefficientsInvalid && !none.FunctionsInvalid);
    QCOMPARE(PointsText(fresh), QStringLiteral("(0,1) (1,0)"));
}

void TestCriteriaEdit::untouchedControlsChangeNothing() {
    TwoCriteria p;
    TPROBLEM &c = p.Model.Criteria[0];
    c.Decimals = 12; // more than the spin box shows
    const std::vector<TPROBLEM> saved = p.Model.Criteria;
    const TCriterionFields loaded = FieldsOf(c);
    TCriterionFields shown = loaded;
    shown.Decimals = MaxDecimals;

    TCriterionFields now = UnchangedAsLoaded(shown, shown, loaded);
    QCOMPARE(now.Decimals, 12);
    TChangeFlags flags;
    ApplyCriterionFields(c, FindSavedCopy(saved, c), now, c.Min, c.Max, flags);
    QVERIFY(!flags.CriteriaChanged && !flags.CoefficientsInvalid && !flags.FunctionsInvalid);
    QCOMPARE(c.Decimals, 12);

    // What the user did change is taken as it is.
    TCriterionFields edited = shown;
    edited.Decimals = 4;
    edited.Name = QStringLiteral("Cost");
    now = UnchangedAsLoaded(edited, shown, loaded);
    QCOMPARE(now.Decimals, 4);
    QCOMPARE(now.Name, QStringLiteral("Cost"));
    QCOMPARE(now.MinText, loaded.MinText);
}

void TestCriteriaEdit::renameThenChange() {
    TwoCriteria p;
    TPROBLEM &c = p.Model.Criteria[1];
    c.FunctionCreated = true;
    const std::vector<TPROBLEM> saved = p.Model.Criteria;
    TChangeFlags flags;
    TCriterionFields f = FieldsOf(c);
    f.Name = "Strength";
    ApplyCriterionFields(c, FindSavedCopy(saved, c), f, c.Min, c.Max, flags);
    QVERIFY(flags.CriteriaChanged);
    QVERIFY(!flags.FunctionsInvalid);
    // The renamed criterion still finds its copy: the type change counts.
    f.Cost = true;
    ApplyCriterionFields(c, FindSavedCopy(saved, c), f, c.Min, c.Max, flags);
    QVERIFY(flags.FunctionsInvalid);
    QVERIFY(!c.FunctionCreated);
    QCOMPARE(PointsText(c), QStringLiteral("(50,1) (200,0)"));
    // A new criterion taking a saved name is not that criterion.
    TPROBLEM other = saved[1];
    other.Id = 99;
    QVERIFY(!FindSavedCopy(saved, other));
}

void TestCriteriaEdit::newCriterionNames() {
    XmlProblem p;
    for (int id : {0, 1, 2}) {
        TPROBLEM &c = p.AddCriterion(QStringLiteral("C%1").arg(id), true, 0, 1);
        c.Id = id;
    }
    int i = AddNewCriterion(p.Model, p.Xml, {});
    QCOMPARE(p.Model.Criteria[size_t(i)].Id, 3);
    QCOMPARE(p.Model.Criteria[size_t(i)].Name, QStringLiteral("NoName3"));
    p.Model.Criteria.pop_back();
    p.Model.Criteria[0].Name = "NoName3";
    i = AddNewCriterion(p.Model, p.Xml, {});
    QCOMPARE(p.Model.Criteria[size_t(i)].Name, QStringLiteral("NoName4"));

    const TPROBLEM &c = p.Model.Criteria[size_t(i)];
    QVERIFY(c.Used && !c.Enumerated && c.Cost && !c.FunctionCreated && !c.KCounted);
    QCOMPARE(c.Method, 1);
    QCOMPARE(c.Decimals, 3);
    QCOMPARE(PointsText(c), QStringLiteral("(0,1) (1,0)"));
    QCOMPARE(c.Node.parentNode(), QDomNode(p.Xml.AttributesNode));
    QCOMPARE(c.Node.attribute("AttrID"), c.AttrID);

    // Identifiers: the smallest free one.
    XmlProblem q;
    q.AddCriterion("A", true, 0, 1).AttrID = "Attr0";
    q.AddCriterion("B", true, 0, 1).AttrID = "Attr2";
    q.Model.Criteria[0].Node.setAttribute("AttrID", "Attr0");
    q.Model.Criteria[1].Node.setAttribute("AttrID", "Attr2");
    i = AddNewCriterion(q.Model, q.Xml, {});
    QCOMPARE(q.Model.Criteria[size_t(i)].AttrID, QStringLiteral("Attr1"));
    // The first criterion of an empty problem.
    XmlProblem e;
    i = AddNewCriterion(e.Model, e.Xml, {});
    QCOMPARE(e.Model.Criteria[size_t(i)].Id, 1);
    QCOMPARE(e.Model.Criteria[size_t(i)].Name, QStringLiteral("NoName1"));
    QCOMPARE(e.Model.Criteria[size_t(i)].AttrID, QStringLiteral("Attr0"));
}

void TestCriteriaEdit::newCriterionSkipsIdentifiersTheDocumentStillUses() {
    TwoCriteria p; // Attr1, Attr2 with KAVREL entries and VALUEs
    const std::vector<TPROBLEM> saved = p.Model.Criteria;
    QVERIFY(DeleteCriterion(p.Model, p.Xml, 0));
    // Attr1's KAVREL entry and VALUEs stay: a new criterion must not take it,
    // nor Attr0 when only a saved copy holds it.
    const int i = AddNewCriterion(p.Model, p.Xml, saved);
    QCOMPARE(p.Model.Criteria[size_t(i)].AttrID, QStringLiteral("Attr0"));
    const int j = AddNewCriterion(p.Model, p.Xml, saved);
    QCOMPARE(p.Model.Criteria[size_t(j)].AttrID, QStringLiteral("Attr3"));
    const QSet<QString> used = AttrIdsInDocument(p.Xml);
    QVERIFY(used.contains("Attr1") && used.contains("MAKE") && used.contains("Attr3"));
}

void TestCriteriaEdit::deleteGuardsAndLastCriterion() {
    TwoCriteria p;
    QVERIFY(!DeleteCriterion(p.Model, p.Xml, -1));
    QVERIFY(!DeleteCriterion(p.Model, p.Xml, 2));
    QCOMPARE(p.Model.Criteria.size(), size_t(2));
    QVERIFY(DeleteCriterion(p.Model, p.Xml, 0));
    QCOMPARE(p.Model.Variants.FindColumn(1), -1);
    QCOMPARE(p.Model.Variants.Alternatives.size(), size_t(2));
    QCOMPARE(ChildTags(p.Xml.AttributesNode).size(), 3);
    QVERIFY(DeleteCriterion(p.Model, p.Xml, 0));
    QVERIFY(p.Model.Criteria.empty());
    QVERIFY(p.Model.Variants.Alternatives.empty());
    QVERIFY(ChildTags(p.Xml.ObjectsNode).isEmpty());
}

void TestCriteriaEdit::snapshotRestoresEverything() {
    TwoCriteria p;
    const QString objects = TreeDump(p.Xml.ObjectsNode);
    const QString settings = TreeDump(p.Xml.SettingsNode);
    const QString attributes = TreeDump(p.Xml.AttributesNode);
    TCriteriaSnapshot s;
    s.Take(p.Model, p.Xml);

    // Add, change, delete, then delete the rest.
    AddNewCriterion(p.Model, p.Xml, s.Criteria);
    p.Model.Criteria[1].Name = "Renamed";
    p.Xml.UpdateCriterionAttribute(p.Model.Criteria[1]);
    QVERIFY(DeleteCriterion(p.Model, p.Xml, 0));
    QVERIFY(DeleteCriterion(p.Model, p.Xml, 0));
    QVERIFY(DeleteCriterion(p.Model, p.Xml, 0));
    QVERIFY(p.Model.Variants.Alternatives.empty());

    for (int pass = 0; pass < 2; ++pass) {
        s.Restore(p.Model, p.Xml);
        QCOMPARE(p.Model.Criteria.size(), size_t(2));
        QCOMPARE(p.Model.Criteria[1].Name, QStringLiteral("Power"));
        QCOMPARE(TreeDump(p.Xml.AttributesNode), attributes);
        QCOMPARE(p.Model.Variants.Alternatives.size(), size_t(2));
        QCOMPARE(p.Model.Variants.Columns.size(), size_t(2));
        QCOMPARE(p.Model.Variants.Value(1, 1), 150.0);
        QCOMPARE(ChildTags(p.Xml.ObjectsNode).size(), 2);
        for (const TPROBLEM &c : p.Model.Criteria)
            QCOMPARE(c.Node.parentNode(), QDomNode(p.Xml.AttributesNode));
        for (const TVARIANTDEF &row : p.Model.Variants.Alternatives)
            QCOMPARE(row.Node.parentNode(), QDomNode(p.Xml.ObjectsNode));
        QCOMPARE(p.Model.Roles[0].Node.parentNode(), QDomNode(p.Xml.AttributesNode));
    }
    // The restored section comes last; otherwise the document is as it was.
    QCOMPARE(ChildTags(p.Xml.DataNode).last(), QStringLiteral("ATTRIBUTES"));
    QCOMPARE(TreeDump(p.Xml.ObjectsNode), objects);
    QCOMPARE(TreeDump(p.Xml.SettingsNode), settings);
    // New OBJECT numbers are not taken twice after the objects came back.
    const int row = p.Model.Variants.AddVariant("C", "") - 1;
    for (const TPROBLEM &c : p.Model.Criteria)
        p.Model.Variants.AppendValue(row, 50, c.Id);
    p.Xml.CreateObject(p.Model.Criteria, p.Model.Variants, row, p.Model.Roles);
    QCOMPARE(p.Model.Variants.Alternatives[size_t(row)].Node.attribute("ObjID"),
             QStringLiteral("Obj2"));
}

QTEST_GUILESS_MAIN(TestCriteriaEdit)
#include "tst_criteriaedit.moc"
