#include "app/Ranking.h"

#include "app/Dazazezad.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <numeric>

TForm_Ranking *Form_Ranking = nullptr;

int TRankingTable::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TRankingTable::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(header_.size());
}

QString TRankingTable::Cell(int column, int row) const {
    if (row < 0 || size_t(row) >= rows_.size() || column < 0 || column >= header_.size())
        return QString();
    const TRow &r = rows_[size_t(row)];
    switch (column) {
    case 0:
        return r.Place;
    case 1:
        return r.Name;
    case 2:
        return r.Description;
    case 3:
        return r.Utility;
    default:
        break;
    }
    const TColumn &c = columns_[size_t(column - 4)];
    // A value column shorter than the table leaves the cell empty.
    if (size_t(r.Index) >= c.Values.size())
        return QString();
    const double v = c.Values[size_t(r.Index)];
    return c.Labels.Enumerated ? c.Labels.LabelOf(v) : FloatToStr(v);
}

QVariant TRankingTable::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    return Cell(index.column(), index.row());
}

QVariant TRankingTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= header_.size())
        return QVariant();
    return header_.at(section);
}

void TRankingTable::Reset(QStringList header, std::vector<TRow> rows,
                          std::vector<TColumn> columns) {
    beginResetModel();
    header_ = std::move(header);
    rows_ = std::move(rows);
    columns_ = std::move(columns);
    endResetModel();
}

TForm_Ranking::TForm_Ranking(QWidget *owner) : QDialog(owner) {
    setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    Grid_ranking->setModel(&Table);
    QHeaderView *header = Grid_ranking->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Grid_ranking->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(BitBtn_ok, &QPushButton::clicked, this, &TForm_Ranking::BitBtn_okClick);
    connect(BitBtn_help, &QPushButton::clicked, this, &TForm_Ranking::BitBtn_helpClick);
}

TForm_Ranking::~TForm_Ranking() {
    // Nothing may reach the window through its global once it is gone.
    if (Form_Ranking == this)
        Form_Ranking = nullptr;
}

void TForm_Ranking::Fill(const TDecisionModel &model, int precision) {
    const std::vector<TVARIANTDEF> &rows = model.Variants.Alternatives;
    const int n = int(rows.size());

    // Best first; equal utilities keep the table's order, and every row keeps
    // its own index so that two alternatives of one name show their own values.
    SortedIndex = BestFirstOrder(rows);
    Sorted.clear();
    Sorted.reserve(size_t(n));
    for (int i : SortedIndex)
        Sorted.push_back(rows[size_t(i)]);

    QStringList header{QStringLiteral("Ranking position"),
                       model.Roles.size() > 0 ? model.Roles[0].Caption : QString(),
                       model.Roles.size() > 1 ? model.Roles[1].Caption : QString(),
                       QStringLiteral("Utility value")};
    std::vector<TRankingTable::TColumn> columns;
    for (const TPROBLEM &c : model.Criteria) {
        if (!c.Used)
            continue;
        header << c.Name;
        TRankingTable::TColumn column;
        if (c.Enumerated)
            column.Labels = c;
        // Each criterion's values by its own identifier, whatever the column order.
        if (const int found = model.Variants.FindColumn(c.Id); found >= 0)
            column.Values = model.Variants.Columns[size_t(found)].Values;
        columns.push_back(std::move(column));
    }

    std::vector<TRankingTable::TRow> table(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        TRankingTable::TRow &row = table[size_t(r)];
        row.Index = SortedIndex[size_t(r)];
        row.Name = Sorted[size_t(r)].Name;
        row.Description = Sorted[size_t(r)].Description;
        row.Utility = FormatUtility(Sorted[size_t(r)].Utility, precision);
    }
    // Places follow the shown text: 0.8124 and 0.8121 share 0.812, and the
    // next different text takes the next number.
    int place = 1;
    for (int r = 0; r < n; ++r) {
        table[size_t(r)].Place = QString::number(place);
        if (r + 1 < n && table[size_t(r + 1)].Utility != table[size_t(r)].Utility)
            ++place;
    }
    Table.Reset(header, std::move(table), std::move(columns));
}

QString TForm_Ranking::Cells(int column, int row) const {
    if (column < 0 || column >= ColCount() || row < 0 || row >= RowCount())
        return QString();
    return row == 0 ? Table.Header().at(column) : Table.Cell(column, row - 1);
}

void TForm_Ranking::ShowRanking() {
    // show() on a visible window sends no show event.
    if (isVisible())
        FormShow();
    show();
    raise();
    activateWindow();
}

void TForm_Ranking::FormShow() {
    if (Kavrel)
        Fill(Kavrel->Model, Kavrel->ProbabilityPrecision);
    FitColumns();
    FormResize();
    // Every showing starts at rank 1, wherever the last one was left.
    if (Table.rowCount() > 0)
        Grid_ranking->setCurrentIndex(Table.index(0, 0));
    Grid_ranking->scrollToTop();
    Grid_ranking->horizontalScrollBar()->setValue(Grid_ranking->horizontalScrollBar()->minimum());
}

void TForm_Ranking::FitColumns() {
    // Each column as wide as its header and cells, never below the grid's
    // default, and the window wide enough for all of them where the screen allows.
    QHeaderView *header = Grid_ranking->horizontalHeader();
    const int least = header->defaultSectionSize();
    int total = 0;
    for (int c = 0; c < Table.columnCount(); ++c) {
        Grid_ranking->resizeColumnToContents(c);
        if (header->sectionSize(c) < least)
            header->resizeSection(c, least);
        total += header->sectionSize(c);
    }
    const int around = width() - Grid_ranking->width() + 2 * Grid_ranking->frameWidth() +
                       Grid_ranking->verticalScrollBar()->sizeHint().width();
    int wanted = total + around;
    if (const QScreen *s = screen())
        wanted = std::min(wanted, s->availableGeometry().width());
    if (wanted > width())
        resize(wanted, height());
}

void TForm_Ranking::FormResize() {
    BitBtn_ok->move(width() / 2 - 100, BitBtn_ok->y());
    BitBtn_help->move(width() / 2 + 25, BitBtn_help->y());
}

void TForm_Ranking::BitBtn_okClick() {
    close();
}

void TForm_Ranking::BitBtn_helpClick() {
    if (Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Ranking));
}

void TForm_Ranking::FormKeyDown(QKeyEvent *key) {
    if (key->key() == Qt::Key_F1)
        BitBtn_helpClick();
}

bool TForm_Ranking::PreviewKey(QKeyEvent *event) {
    FormKeyDown(event);
    return false;
}

void TForm_Ranking::showEvent(QShowEvent *event) {
    // Filled first, so that the window is placed at the width its columns need.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TForm_Ranking::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    FormResize();
}
