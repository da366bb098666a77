// The final ranking: the alternatives by overall utility, best first, with
// their description, utility and the value of every used criterion.
#pragma once

#include "model/DecisionModel.h"
#include "platform/Application.h"
#include "ui_Ranking.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QStringList>
#include <vector>

// What the ranking grid shows, copied in one pass so that editing the problem
// while the window is open cannot pull data away. Criterion values become text
// only when a cell is drawn or read.
class TRankingTable : public QAbstractTableModel {
    Q_OBJECT
public:
    struct TRow {
        int Index = 0; // row of the alternative in the main table
        QString Place;
        QString Name;
        QString Description;
        QString Utility;
    };
    struct TColumn {
        TENUM Labels; // the criterion's labels when it is enumerated
        VCriteriumData Values;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void Reset(QStringList header, std::vector<TRow> rows, std::vector<TColumn> columns);
    QString Cell(int column, int row) const;
    const QStringList &Header() const { return header_; }

private:
    QStringList header_;
    std::vector<TRow> rows_;
    std::vector<TColumn> columns_;
};

class TForm_Ranking : public QDialog, public Ui::TForm_Ranking, public TKeyPreview {
    Q_OBJECT
public:
    explicit TForm_Ranking(QWidget *owner = nullptr);
    ~TForm_Ranking() override;

    // The alternatives sorted best first, and each one's row in the main table.
    std::vector<TVARIANTDEF> Sorted;
    std::vector<int> SortedIndex;

    // Fills the grid from the model: places, names, descriptions, utilities
    // with the given decimals, and the values of the used criteria.
    void Fill(const TDecisionModel &model, int precision);
    // Shows the window without waiting, refilled from the main frame also when
    // it is open already.
    void ShowRanking();

    // The grid as a string grid: row 0 is the header row.
    int RowCount() const { return Table.rowCount() + 1; }
    int ColCount() const { return Table.columnCount(); }
    QString Cells(int column, int row) const;

    void FormShow();
    // Sizes the columns to their texts and widens the window to show them.
    void FitColumns();
    void FormResize();
    void BitBtn_okClick();
    void BitBtn_helpClick();
    void FormKeyDown(QKeyEvent *key);

    TRankingTable Table;

protected:
    bool PreviewKey(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};

extern TForm_Ranking *Form_Ranking;
