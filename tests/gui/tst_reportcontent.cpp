// The report's texts without windows: reported criteria, the ranking order and
// places, the formula captions, and the HTML page's head, escaping and encoding.
#include "report/ReportContent.h"

#include "../TestSupport.h"

#include <cmath>
#include <limits>

using TUtilityRows = QList<QPair<QString, double>>;

namespace {
TPROBLEM Criterion(const QString &name, bool used, int id, double k = 0.5) {
    TPROBLEM c;
    c.Name = name;
    c.Used = used;
    c.Id = id;
    c.SmallK = k;
    return c;
}

std::vector<TVARIANTDEF> Rows(const TUtilityRows &rows) {
    std::vector<TVARIANTDEF> result;
    for (const auto &r : rows)
        result.push_back(TVARIANTDEF{r.first, QString(), r.second, QDomElement()});
    return result;
}

QStringList Names(const std::vector<TVARIANTDEF> &rows) {
    QStringList names;
    for (const TVARIANTDEF &r : rows)
        names << r.Name;
    return names;
}
} // namespace

class TestReportContent : public QObject {
    Q_OBJECT
private slots:
    void reportedCriteria_data();
    void reportedCriteria();
    void sortedBestFirst_data();
    void sortedBestFirst();
    void rankingPlaces_data();
    void rankingPlaces();
    void rankingCells();
    void rankingSameNames();
    void formulaCaptions();
    void htmlHead();
    void htmlLines();
    void htmlEscaping_data();
    void htmlEscaping();
    void htmlEncoding();
    void descriptionLines();
    void wrapLines();
};

void TestReportContent::reportedCriteria_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QList<bool>>("ticked");
    QTest::addColumn<QList<int>>("expected");
    // Criteria: 0 unused, 1 used, 2 unused, 3 used.
    QTest::newRow("all") << int(TCriteriaChoice::All) << QList<bool>{} << QList<int>{0, 1, 2, 3};
    QTest::newRow("used") << int(TCriteriaChoice::Used) << QList<bool>{} << QList<int>{1, 3};
    QTest::newRow("user 2 and 4") << int(TCriteriaChoice::User)
                                  << QList<bool>{false, true, false, true} << QList<int>{1, 3};
    QTest::newRow("user nothing") << int(TCriteriaChoice::User) << QList<bool>{} << QList<int>{};
    QTest::newRow("user list longer than criteria")
        << int(TCriteriaChoice::User) << QList<bool>{true, false, false, false, true, true}
        << QList<int>{0};
}

void TestReportContent::reportedCriteria() {
    QFETCH(int, choice);
    QFETCH(QList<bool>, ticked);
    QFETCH(QList<int>, expected);
    std::vector<TPROBLEM> criteria{Criterion("a", false, 1), Criterion("b", true, 2),
                                   Criterion("c", false, 3), Criterion("d", true, 4)};
    const std::vector<int> reported = ReportedCriteriaOf(
        criteria, TCriteriaChoice(choice), std::vector<bool>(ticked.begin(), ticked.end()));
    QCOMPARE(QList<int>(reported.begin(), reported.end()), expected);
}

void TestReportContent::sortedBestFirst_data() {
    QTest::addColumn<TUtilityRows>("rows");
    QTest::addColumn<QStringList>("expected");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("distinct") << TUtilityRows{{"a", 0.2}, {"b", 0.9}, {"c", 0.5}}
                              << QStringList{"b", "c", "a"};
    QTest::newRow("ties keep table order")
        << TUtilityRows{{"a", 0.5}, {"b", 0.9}, {"c", 0.5}, {"d", 0.5}}
        << QStringList{"b", "a", "c", "d"};
    QTest::newRow("nan last") << TUtilityRows{{"a", nan}, {"b", 0.1}, {"c", nan}, {"d", 0.7}}
                              << QStringList{"d", "b", "a", "c"};
    QTest::newRow("empty") << TUtilityRows{} << QStringList{};
}

void TestReportContent::sortedBestFirst() {
    QFETCH(TUtilityRows, rows);
    QFETCH(QStringList, expected);
    QCOMPARE(Names(SortedBestFirst(Rows(rows))), expected);
}

void TestReportContent::rankingPlaces_data() {
    QTest::addColumn<QList<double>>("utilities");
    QTest::addColumn<QStringList>("places");
    QTest::newRow("printed equal share")
        << QList<double>{0.81234, 0.81229, 0.5} << QStringList{"1", "1", "2"};
    QTest::newRow("all equal") << QList<double>{0.9, 0.9, 0.9} << QStringList{"1", "1", "1"};
    QTest::newRow("no gaps") << QList<double>{0.9, 0.9, 0.5, 0.4, 0.4}
                             << QStringList{"1", "1", "2", "3", "3"};
    QTest::newRow("one") << QList<double>{0.3} << QStringList{"1"};
}

void TestReportContent::rankingPlaces() {
    QFETCH(QList<double>, utilities);
    QFETCH(QStringList, places);
    LocaleGuard locale(PointLocale());
    TDecisionModel model;
    for (int i = 0; i < utilities.size(); ++i) {
        model.Variants.AddVariant(QStringLiteral("v%1").arg(i), QString());
        model.Variants.Alternatives.back().Utility = utilities.at(i);
    }
    const auto table = RankingTable(model, BestFirstOrder(model.Variants.Alternatives), 3);
    QCOMPARE(int(table.size()), utilities.size() + 1);
    QStringList got;
    for (size_t r = 1; r < table.size(); ++r)
        got << table[r].at(0);
    QCOMPARE(got, places);
}

void TestReportContent::rankingCells() {
    LocaleGuard locale(PointLocale());
    TDecisionModel model;
    model.Roles = {TROLENAME{"MAKE", "Make", {}}, TROLENAME{"DESC", "Notes", {}}};
    TPROBLEM colour = Criterion("colour", true, 7);
    colour.Enumerated = true;
    colour.Values = {TEnumvalue{1, "red"}, TEnumvalue{2, "blue"}};
    // Column order differs from list order: values are found by the criterion's Id.
    model.Criteria = {Criterion("price", true, 3), Criterion("unused", false, 5), colour};
    model.Variants.AddVariant("car", "small");
    model.Variants.AddVariant("van", "big");
    model.Variants.Alternatives[0].Utility = 0.25;
    model.Variants.Alternatives[1].Utility = 0.75;
    model.Variants.Columns = {TCRITERIALIST{7, {2, 3}}, TCRITERIALIST{3, {1000.5, 2000}},
                              TCRITERIALIST{5, {1}}}; // short column of an unused criterion
    const auto table = RankingTable(model, BestFirstOrder(model.Variants.Alternatives), 2);
    QCOMPARE(table[0], (QStringList{"Ranking position", "Make", "Notes", "Attribute utility",
                                    "price", "colour"}));
    QCOMPARE(table[1], (QStringList{"1", "van", "big", "0.75", "2000", "3"}));
    QCOMPARE(table[2], (QStringList{"2", "car", "small", "0.25", "1000.5", "blue"}));

    // A missing column and a column too short leave empty cells, no crash.
    model.Variants.Columns = {TCRITERIALIST{7, {2}}};
    const auto partial = RankingTable(model, BestFirstOrder(model.Variants.Alternatives), 2);
    QCOMPARE(partial[1].mid(4), (QStringList{"", ""}));
    QCOMPARE(partial[2].mid(4), (QStringList{"", "blue"}));
}

void TestReportContent::rankingSameNames() {
    // Two alternatives of one name: each row shows its own description and
    // values, and a utility a hair below zero prints without a minus.
    LocaleGuard locale(PointLocale());
    TDecisionModel model;
    model.Criteria = {Criterion("price", true, 3)};
    model.Variants.AddVariant("car", "old");
    model.Variants.AddVariant("car", "new");
    model.Variants.Alternatives[0].Utility = -0.0001;
    model.Variants.Alternatives[1].Utility = 0.5;
    model.Variants.Columns = {TCRITERIALIST{3, {100, 200}}};
    const auto table = RankingTable(model, BestFirstOrder(model.Variants.Alternatives), 3);
    QCOMPARE(table[1], (QStringList{"1", "car", "new", "0.500", "200"}));
    QCOMPARE(table[2], (QStringList{"2", "car", "old", "0.000", "100"}));
}

void TestReportContent::formulaCaptions() {
    LocaleGuard locale(PointLocale());
    const double saved = FactorK;
    FactorK = 0.25;
    QCOMPARE(FormulaLeftSide(false, 3), QStringLiteral("0.250 * U(g) + 1 = "));
    QCOMPARE(FormulaFactor(false, 0, 0.3, 3), QStringLiteral("( 0.075 * u1( g1(a) ) + 1 ) "));
    QCOMPARE(FormulaFactor(false, 1, 0.5, 3), QStringLiteral("* ( 0.125 * u2( g2(a) ) + 1 ) "));
    QCOMPARE(FormulaLeftSide(true, 3), QStringLiteral("U(g) = "));
    QCOMPARE(FormulaFactor(true, 0, 0.5, 3), QStringLiteral("  0.500 * u1( g1(a) ) "));
    QCOMPARE(FormulaFactor(true, 1, 0.5, 3), QStringLiteral("+ 0.500 * u2( g2(a) ) "));
    QCOMPARE(MethodText(3), QStringLiteral("Lottrry comparision"));
    QCOMPARE(MethodText(0), QStringLiteral("No method used ?!"));
    FactorK = saved;
}

void TestReportContent::htmlHead() {
    const QStringList head = Html::Head();
    QCOMPARE(head.size(), 6 + 6 + 7 * 10 + 1 + 5);
    QCOMPARE(head.mid(0, 6),
             (QStringList{"<HTML>", "<HEAD>", "<TITLE>KAVREL Proffesional - Report</TITLE>",
                          "<meta http-equiv=\"content-type\" content=\"text/html; "
                          "charset=windows-1250\">",
                          "<STYLE>", "<!-- "}));
    QCOMPARE(head.mid(6, 6), (QStringList{"BODY ", "{  font-family: Times; ", "    font-size:20;",
                                          "    font-weight: bold;", "    color:black;", "}"}));
    QCOMPARE(head.mid(12, 10),
             (QStringList{".STYL1", "{", "    font-family: Arial;", "    position:absolute;",
                          "    font-size: 16pt;", "    font-weight: bold;", "    color:black;",
                          "    word-spacing:0;    ", "    letter-spacing:0;", "}"}));
    QCOMPARE(head.at(22 + 3), QStringLiteral("    position:absolute; ")); // STYL2
    QCOMPARE(head.at(62 + 2), QStringLiteral("    font-family:Symbol;")); // STYL6
    QCOMPARE(head.at(72 + 2), QStringLiteral("    font-family:Arial;"));  // STYL7
    QCOMPARE(head.at(72 + 4), QStringLiteral("    font-size: 12pt;"));
    QCOMPARE(head.mid(82),
             (QStringList{"P { margin:0; }", "", "-->", "</STYLE>", "</HEAD>", "<BODY>"}));
}

void TestReportContent::htmlLines() {
    QCOMPARE(Html::Div(2, 50, 167, "Name :"),
             QStringLiteral("<div  class=STYL2 STYLE=\"left:50; top:167\"><p>Name :</p></div>"));
    QCOMPARE(Html::Title(32, 39, "Kavrel Report"),
             QStringLiteral("<div STYLE=\"font-family: Arial; font-size: 22pt; font-weight: bold; "
                            "position:absolute; left:32; top:39\"><p>Kavrel Report</p></div> "));
    // Positions browsers understand, with the lines' starts kept for the preview.
    QCOMPARE(Html::Image(196, 1),
             QStringLiteral("<IMG style=\"position:absolute; left:50px; top:196px\" "
                            "SRC=\"chart1.jpg\" >"));
    QCOMPARE(Html::Table(230),
             QStringLiteral("<TABLE BORDER=2 BORDERCOLOR=black "
                            "style=\"position:absolute; left:30px; top:230px \" >"));
    QCOMPARE(Html::Image(0, 0).count(QStringLiteral("chart")), 1);
}

void TestReportContent::htmlEscaping_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "price"
                           << "price";
    QTest::newRow("markup") << "<b>A&B</b> \"x\""
                            << "&lt;b&gt;A&amp;B&lt;/b&gt; &quot;x&quot;";
    QTest::newRow("picture line") << "<IMG chart"
                                  << "&lt;IMG chart";
    QTest::newRow("line breaks") << "one\r\ntwo\nthree\rfour"
                                 << "one two three four";
    QTest::newRow("tab and separators") << QString("a\tb") + QChar(0x2028) + "c"
                                        << "a b c";
    QTest::newRow("non-ASCII kept") << QString::fromUtf8("Łódź") << QString::fromUtf8("Łódź");
    // The browser folds blanks: the room left for the formula's indices must stay.
    QTest::newRow("run of blanks") << "u  (g   (a)"
                                   << "u &nbsp;(g &nbsp;&nbsp;(a)";
    QTest::newRow("leading blank") << " x"
                                   << "&nbsp;x";
}

void TestReportContent::htmlEscaping() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Html::Text(text), expected);
    const QString div = Html::Div(3, 1, 2, text);
    QVERIFY(div.endsWith(QStringLiteral("<p>") + expected + QStringLiteral("</p></div>")));
    QVERIFY(!div.contains(QLatin1Char('\n')));
}

void TestReportContent::htmlEncoding() {
    // Polish letters are windows-1250 bytes; a euro sign too; Greek and CJK are not.
    const QByteArray bytes =
        Html::Encode({QString::fromUtf8("Łódź €"), QString::fromUtf8("Ωx中"), QString()});
    QCOMPARE(bytes, QByteArray("\xA3\xF3"
                               "d\x9F \x80\n&#937;x&#20013;\n\n"));
    // A character beyond the basic plane is one reference, not two.
    QCOMPARE(Html::Encode({QString::fromUcs4(U"\U0001F600")}), QByteArray("&#128512;\n"));
}

void TestReportContent::descriptionLines() {
    QCOMPARE(Html::DescriptionLines("one line", 150), QStringList{"one line"});
    QCOMPARE(Html::DescriptionLines("a\r\nb\nc", 150), (QStringList{"a", "b", "c"}));
    // Lines beyond the memo's height are cut, as the printed memo clips them.
    QCOMPARE(Html::DescriptionLines("1\n2\n3\n4\n5\n6\n7\n8\n9", 150).size(), 7);
    QCOMPARE(Html::DescriptionLines(QString(), 150), QStringList{""});
}

void TestReportContent::wrapLines() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(19);
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("alpha beta")) + 2;
    QCOMPARE(WrapLines({"alpha beta gamma", "", "alpha"}, font, width),
             (QStringList{"alpha beta", "gamma", "", "alpha"}));
    // A word wider than the memo is broken anywhere, and nothing is lost.
    const QStringList parts = WrapLines({QString(40, QLatin1Char('w'))}, font, width);
    QVERIFY(parts.size() > 1);
    QCOMPARE(parts.join(QString()), QString(40, QLatin1Char('w')));
}

QTEST_MAIN(TestReportContent)
#include "tst_reportcontent.moc"
