// The alternatives editor: a spreadsheet of the alternatives and their value
// for every criterion, stored into the table and the document only when the
// user closes it and agrees to save.
#pragma once

#include "model/VariantsEdit.h"
#include "ui_Variantsf.h"

#include <QDialog>
#include <QPoint>

class QComboBox;

class TVariantsForm : public QDialog, public Ui::TVariantsForm {
    Q_OBJECT
public:
    explicit TVariantsForm(QWidget *owner = nullptr);

    int ShowModal();

    bool Modified = false;
    bool MarkEmptyCells = false;
    bool RequireAllRows = false;
    QPoint HintCell{-1, -1};  // column, row
    QPoint ComboCell{-1, -1}; // column, row
    QComboBox *EnumComboBox = nullptr;

    // The grid as the editor sees it: row 0 is the header, rows 1 on the alternatives.
    int ColCount() const;
    int RowCount() const;
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString &text);
    void SelectCell(int col, int row);
    QPoint CurrentCell() const; // column, row
    void AddRow();

    // 0 text header, 1 criterion header, 2 enumerated, 3 numeric, 4 text, 5 outside.
    int CellKind(int row, int col) const;
    QString CellHint(int row, int col) const;

    bool IsRowEmpty(int row) const;
    int FirstEmptyCell(int row) const;
    int CheckRow(int row);
    void StoreRow(int row, int k);
    void WidenCriterionRanges();
    // The rows 1 on as texts.
    std::vector<TRowTexts> GridRows() const;
    QStringList CriterionHeader() const;

    void FormCreate();
    void FormShow();
    void FormPaint();
    void FormCloseQuery(bool &CanClose);
    void FormClose();
    void VariantsGridSetEditText();
    void VariantsGridSelectCell(int col, int row);
    void VariantsGridMouseMove(int col, int row);
    void VariantsGridMouseDown(int col, int row);
    void EnumComboBoxEnter();
    void EnumComboBoxExit();
    void EnumComboBoxChange();
    bool EnumComboBoxKeyDown(QKeyEvent *event);
    void PlaceComboBox();

    // OK, Enter and Escape close through the close question as the close box does.
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const TPROBLEM *CriterionOfColumn(int col) const;
    void ShowStatus(const QString &text);
    void SetRanking(bool on);
    bool filling_ = false;
};

extern TVariantsForm *VariantsForm;
