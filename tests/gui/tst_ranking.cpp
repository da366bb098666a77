// The ranking window: order and places on the shown utilities, its columns, the
// refill on every showing, its layout and help.
#include "GuiTest.h"
#include "ProblemSupport.h"
#include "app/Ranking.h"
#include "tests/TestSupport.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace {
QString lastTopic;
void *RecordTopic(void *, const char *topicPath, unsigned int, unsigned long) {
    lastTopic = QString::fromLocal8Bit(topicPath);
    return nullptr;
}

// "name:place:utility" of every grid row, best first.
QString Rows(const TForm_Ranking &f) {
    QStringList rows;
    for (int r = 1; r < f.RowCount(); ++r)
        rows << f.Cells(1, r) + QLatin1Char(':') + f.Cells(0, r) + QLatin1Char(':') + f.Cells(3, r);
    return rows.join(QLatin1Char(' '));
}
} // namespace

class TestRanking : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void placesAndOrder_data();
    void placesAndOrder();
    void columnsOfUsedCriteria();
    void rowsKeepTheirOwnValues();
    void refilledWhenShownAgain();
    void layoutAndHelp();
    void columnsFitAtFirstShow();
    void opensAtRankOne_data();
    void opensAtRankOne();

private:
    // Alternatives named A, B, C... with the given utilities and no criteria.
    void SetUtilities(const QList<double> &utilities);
    std::unique_ptr<TFrameFixture> fixture_;
};

void TestRanking::init() {
    fixture_ = std::make_unique<TFrameFixture>();
    Form_Ranking = new TForm_Ranking(Kavrel);
}

void TestRanking::cleanup() {
    const auto done = qScopeGuard([this] { fixture_.reset(); });
    delete Form_Ranking;
    Form_Ranking = nullptr;
    fixture_->Check();
}

void TestRanking::SetUtilities(const QList<double> &utilities) {
    std::vector<TAlternative> rows;
    for (int i = 0; i < utilities.size(); ++i)
        rows.push_back({QString(QChar('A' + i)), QString(), {}});
    SetProblem(*Kavrel, {}, rows);
    for (int i = 0; i < utilities.size(); ++i)
        Kavrel->Variants.Alternatives[size_t(i)].Utility = utilities[i];
}

void TestRanking::placesAndOrder_data() {
    QTest::addColumn<QList<double>>("utilities");
    QTest::addColumn<int>("precision");
    QTest::addColumn<QString>("rows");
    QTest::newRow("same text shares a place")
        << QList<double>{0.5, 0.8124, 0.8121} << 3 << "B:1:0.812 C:1:0.812 A:2:0.500";
    QTest::newRow("more decimals part them")
        << QList<double>{0.5, 0.8124, 0.8121} << 4 << "B:1:0.8124 C:2:0.8121 A:3:0.5000";
    QTest::newRow("all equal") << QList<double>{0.9, 0.9, 0.9} << 3
                               << "A:1:0.900 B:1:0.900 C:1:0.900";
    QTest::newRow("ties keep table order, next place follows")
        << QList<double>{0.3, 0.7, 0.3, 0.7, 0.1} << 2
        << "B:1:0.70 D:1:0.70 A:2:0.30 C:2:0.30 E:3:0.10";
    QTest::newRow("single alternative") << QList<double>{0.25} << 3 << "A:1:0.250";
    QTest::newRow("no minus zero")
        << QList<double>{-0.0001, 0.0001, -0.2} << 3 << "B:1:0.000 A:1:0.000 C:2:-0.200";
    QTest::newRow("none") << QList<double>{} << 3 << "";
}

void TestRanking::placesAndOrder() {
    QFETCH(QList<double>, utilities);
    QFETCH(int, precision);
    QFETCH(QString, rows);
    SetUtilities(utilities);
    Kavrel->ProbabilityPrecision = precision;
    Form_Ranking->FormShow();
    QCOMPARE(Form_Ranking->RowCount(), int(utilities.size()) + 1);
    QCOMPARE(Rows(*Form_Ranking), rows);
}

void TestRanking::columnsOfUsedCriteria() {
    LocaleGuard locale(CommaLocale());
    TPROBLEM price = LinearCriterion(QStringLiteral("Price"), 4, 0.5);
    TPROBLEM unused = LinearCriterion(QStringLiteral("Colour"), 2, 0.2, false);
    TPROBLEM size = LinearCriterion(QStringLiteral("Size"), 7, 0.5);
    size.Enumerated = true;
    size.Values = {{1.0, QStringLiteral("small")}, {5.0, QStringLiteral("big")}};
    SetProblem(*Kavrel, {price, unused, size},
               {{QStringLiteral("Car"), QStringLiteral("red one"), {2.5, 1, 5}},
                {QStringLiteral("Bike"), QStringLiteral("fast"), {10, 3, 3}}});
    // The value columns stand in another order than the criteria: each is found by Id.
    std::swap(Kavrel->Variants.Columns[0], Kavrel->Variants.Columns[2]);
    Kavrel->Roles[0].Caption = QStringLiteral("Model");
    Kavrel->Roles[1].Caption = QStringLiteral("Notes");
    Kavrel->Variants.Alternatives[0].Utility = 0.25;
    Kavrel->Variants.Alternatives[1].Utility = 0.75;

    Form_Ranking->FormShow();
    QCOMPARE(Form_Ranking->ColCount(), Kavrel->UsedCount + 4);
    QStringList header;
    for (int c = 0; c < Form_Ranking->ColCount(); ++c)
        header << Form_Ranking->Cells(c, 0);
    QCOMPARE(header,
             QStringList({"Ranking position", "Model", "Notes", "Utility value", "Price", "Size"}));
    QStringList bike, car;
    for (int c = 0; c < Form_Ranking->ColCount(); ++c) {
        bike << Form_Ranking->Cells(c, 1);
        car << Form_Ranking->Cells(c, 2);
    }
    // An enumerated value without a label shows the number.
    QCOMPARE(bike, QStringList({"1", "Bike", "fast", "0,750", "10", "3"}));
    QCOMPARE(car, QStringList({"2", "Car", "red one", "0,250", "2,5", "big"}));
}

void TestRanking::rowsKeepTheirOwnValues() {
    SetProblem(*Kavrel, {LinearCriterion(QStringLiteral("Price"), 1, 1.0)},
               {{QStringLiteral("Twin"), QStringLiteral("first"), {1}},
                {QStringLiteral("Twin"), QStringLiteral("second"), {9}},
                {QStringLiteral("Other"), QStringLiteral("third"), {5}}});
    Kavrel->Variants.Alternatives[0].Utility = 0.1;
    Kavrel->Variants.Alternatives[1].Utility = 0.9;
    Kavrel->Variants.Alternatives[2].Utility = 0.5;
    // A value column shorter than the table leaves the cell empty instead of reading past it.
    Kavrel->Variants.Columns[0].Values.pop_back();
    Form_Ranking->FormShow();
    QCOMPARE(Form_Ranking->Cells(2, 1), QStringLiteral("second"));
    QCOMPARE(Form_Ranking->Cells(4, 1), QStringLiteral("9"));
    QCOMPARE(Form_Ranking->Cells(4, 2), QString());
    QCOMPARE(Form_Ranking->Cells(2, 3), QStringLiteral("first"));
    QCOMPARE(Form_Ranking->Cells(4, 3), QStringLiteral("1"));
    QCOMPARE(Form_Ranking->SortedIndex, std::vector<int>({1, 2, 0}));
}

void TestRanking::refilledWhenShownAgain() {
    SetUtilities({0.2, 0.4});
    Form_Ranking->ShowRanking();
    QVERIFY(Form_Ranking->isVisible());
    QCOMPARE(Rows(*Form_Ranking), QStringLiteral("B:1:0.400 A:2:0.200"));
    SetUtilities({0.6, 0.4, 0.5});
    Form_Ranking->ShowRanking(); // already visible: no show event, still refilled
    QCOMPARE(Rows(*Form_Ranking), QStringLiteral("A:1:0.600 C:2:0.500 B:3:0.400"));
    QCOMPARE(Form_Ranking->Grid_ranking->model()->rowCount(), 3);
    QCOMPARE(Form_Ranking->Grid_ranking->horizontalHeader()->defaultSectionSize(), 105);
    Form_Ranking->BitBtn_ok->click();
    QVERIFY(!Form_Ranking->isVisible());
    SetUtilities({0.1});
    Form_Ranking->ShowRanking();
    QCOMPARE(Rows(*Form_Ranking), QStringLiteral("A:1:0.100"));
    Form_Ranking->close();
}

void TestRanking::layoutAndHelp() {
    QCOMPARE(Form_Ranking->windowTitle(), QStringLiteral("Final Ranking"));
    QVERIFY(!Form_Ranking->isModal());
    Form_Ranking->resize(657, 277);
    Form_Ranking->FormResize();
    QCOMPARE(Form_Ranking->BitBtn_ok->x(), 228);
    QCOMPARE(Form_Ranking->BitBtn_help->x(), 353);
    Form_Ranking->show();
    Form_Ranking->resize(401, 300);
    QCOMPARE(Form_Ranking->BitBtn_ok->x(), 100);
    QCOMPARE(Form_Ranking->BitBtn_help->x(), 225);

    Kavrel->HelpShow = RecordTopic;
    lastTopic.clear();
    Form_Ranking->BitBtn_help->click();
    QCOMPARE(lastTopic, QStringLiteral("rovezizez.chm::/Praca\\Ranking.htm"));
    lastTopic.clear();
    QTest::keyClick(Form_Ranking->Grid_ranking, Qt::Key_F1);
    QCOMPARE(lastTopic, QStringLiteral("rovezizez.chm::/Praca\\Ranking.htm"));
    Kavrel->HelpShow = nullptr;
    Form_Ranking->close();
}

void TestRanking::columnsFitAtFirstShow() {
    SetProblem(*Kavrel, {LinearCriterion(QStringLiteral("Consumption"), 1, 1.0)},
               {{QStringLiteral("Small city car"),
                 QStringLiteral("Second hand, one owner, full service history"),
                 {1234.5678901234543}},
                {QStringLiteral("Van"), QString(), {2}}});
    Kavrel->Variants.Alternatives[0].Utility = 0.25;
    Kavrel->Variants.Alternatives[1].Utility = 0.75;
    Form_Ranking->ShowRanking();
    QTableView *grid = Form_Ranking->Grid_ranking;
    QHeaderView *header = grid->horizontalHeader();
    int total = 0;
    for (int c = 0; c < Form_Ranking->ColCount(); ++c) {
        const int width = header->sectionSize(c);
        QVERIFY2(width >= header->sectionSizeHint(c), qPrintable(Form_Ranking->Cells(c, 0)));
        QVERIFY2(width >= static_cast<QAbstractItemView *>(grid)->sizeHintForColumn(c),
                 qPrintable(Form_Ranking->Cells(c, 0)));
        QVERIFY(width >= 105);
        total += width;
    }
    // The window shows every column whole, without scrolling.
    QVERIFY2(grid->viewport()->width() >= total,
             qPrintable(QStringLiteral("%1 < %2").arg(grid->viewport()->width()).arg(total)));
    QVERIFY(Form_Ranking->width() >= 657);
    QCOMPARE(Form_Ranking->BitBtn_ok->x(), Form_Ranking->width() / 2 - 100);
    Form_Ranking->close();
}

void TestRanking::opensAtRankOne_data() {
    QTest::addColumn<bool>("closeFirst");
    QTest::newRow("closed and opened again") << true;
    QTest::newRow("shown again while open") << false;
}

void TestRanking::opensAtRankOne() {
    // More rows and columns than the window shows, so that it can be scrolled both ways.
    QFETCH(bool, closeFirst);
    std::vector<TPROBLEM> criteria;
    for (int i = 0; i < 8; ++i)
        criteria.push_back(LinearCriterion(QStringLiteral("Criterion %1").arg(i + 1), i, 0.1));
    std::vector<TAlternative> rows;
    for (int i = 0; i < 30; ++i)
        rows.push_back({QStringLiteral("Alternative %1").arg(i + 1), QString(),
                        std::vector<double>(criteria.size(), 1.0)});
    SetProblem(*Kavrel, criteria, rows);
    for (size_t i = 0; i < rows.size(); ++i)
        Kavrel->Variants.Alternatives[i].Utility = 0.01 * double(i);

    TForm_Ranking &f = *Form_Ranking;
    QTableView *grid = f.Grid_ranking;
    f.ShowRanking();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QScrollBar *down = grid->verticalScrollBar(), *across = grid->horizontalScrollBar();
    QVERIFY(down->maximum() > 0 && across->maximum() > 0);
    // The user scrolls to the end and clicks a row there.
    down->setValue(down->maximum());
    across->setValue(across->maximum());
    const QModelIndex low = f.Table.index(f.Table.rowCount() - 1, f.ColCount() - 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(low).center());
    QCOMPARE(grid->currentIndex().row(), low.row());
    if (closeFirst) {
        f.BitBtn_ok->click();
        QVERIFY(!f.isVisible());
    }
    f.ShowRanking();
    QVERIFY(QTest::qWaitForWindowExposed(&f));

    QCOMPARE(down->value(), down->minimum());
    QCOMPARE(across->value(), across->minimum());
    QCOMPARE(grid->currentIndex().row(), 0);
    QCOMPARE(grid->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(grid->selectionModel()->selectedRows().constFirst().row(), 0);
    // Rank 1 shows whole at the top of the grid, its place first.
    const QRect first = grid->visualRect(f.Table.index(0, 0));
    QVERIFY(grid->viewport()->rect().contains(first));
    QCOMPARE(f.Cells(0, 1), QStringLiteral("1"));
    QCOMPARE(f.Cells(1, 1), QStringLiteral("Alternative 30"));
    f.close();
}

VR_GUI_TEST_MAIN(TestRanking)
#include "tst_ranking.moc"
