#include "app/Variantsf.h"

#include "app/Dazazezad.h"
#include "app/Descriptionf.h"
#include "app/Namef.h"
#include "model/CriteriaEdit.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>

TVariantsForm *VariantsForm = nullptr;

namespace {
const QString AddRowHint = QStringLiteral("Press F5 to add new row");
const QString EmptyCell = QStringLiteral("Empty cell!");

// Criterion cells that cannot be stored are drawn red; a number is drawn as
// the value it converts to.
class TVariantsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const int col = index.column();
        if (col < 2 || !Kavrel || col - 2 >= int(Kavrel->Criteria.size()))
            return;
        const TPROBLEM &c = Kavrel->Criteria[size_t(col - 2)];
        const QString text = option->text;
        if (text.isEmpty())
            return;
        bool red = false;
        if (c.Enumerated) {
            double v = 0.0;
            red = !c.FindValue(text, v);
        } else {
            double v = 0.0;
            if (TextToFloat(text, v)) {
                option->text = FloatToExactStr(v);
                red = !InRange(v, c.Min, c.Max);
            } else {
                red = true;
            }
        }
        if (red) {
            option->palette.setColor(QPalette::Text, Qt::red);
            option->palette.setColor(QPalette::HighlightedText, Qt::red);
        }
    }
};
} // namespace

TVariantsForm::TVariantsForm(QWidget *owner) : QDialog(owner) {
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint);
    FormCreate();
}

void TVariantsForm::FormCreate() {
    VariantsGrid->horizontalHeader()->setDefaultSectionSize(80);
    VariantsGrid->horizontalHeader()->setSectionsClickable(true);
    VariantsGrid->horizontalHeader()->setHighlightSections(false);
    VariantsGrid->verticalHeader()->hide();
    VariantsGrid->setTabKeyNavigation(true);
    VariantsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    VariantsGrid->setEditTriggers(QAbstractItemView::DoubleClicked |
                                  QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::AnyKeyPressed);
    VariantsGrid->setItemDelegate(new TVariantsDelegate(VariantsGrid));
    VariantsGrid->OnTabPastEnd = [this] { AddRow(); };

    EnumComboBox = new QComboBox(VariantsGrid->viewport());
    EnumComboBox->setObjectName(QStringLiteral("EnumComboBox"));
    EnumComboBox->hide();
    EnumComboBox->installEventFilter(this);
    // A row is as high as the combo box, so that it covers a cell exactly.
    VariantsGrid->verticalHeader()->setDefaultSectionSize(EnumComboBox->sizeHint().height());

    VariantsGrid->viewport()->setMouseTracking(true);
    VariantsGrid->viewport()->installEventFilter(this);
    VariantsGrid->horizontalHeader()->viewport()->setMouseTracking(true);
    VariantsGrid->horizontalHeader()->viewport()->installEventFilter(this);
    VariantsGrid->installEventFilter(this);

    connect(VariantsGrid, &QTableWidget::itemChanged, this, [this] { VariantsGridSetEditText(); });
    connect(VariantsGrid, &QTableWidget::currentCellChanged, this,
            [this](int row, int col) { VariantsGridSelectCell(col, row + 1); });
    connect(VariantsGrid->horizontalHeader(), &QHeaderView::sectionPressed, this,
            [this](int col) { VariantsGridMouseDown(col, 0); });
    connect(VariantsGrid->horizontalHeader(), &QHeaderView::sectionResized, this,
            &TVariantsForm::PlaceComboBox);
    connect(VariantsGrid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &TVariantsForm::PlaceComboBox);
    connect(VariantsGrid->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TVariantsForm::PlaceComboBox);
    connect(EnumComboBox, &QComboBox::currentIndexChanged, this,
            &TVariantsForm::EnumComboBoxChange);
    ShowStatus(AddRowHint);
    MarkEmptyCells = false;
}

int TVariantsForm::ShowModal() {
    return ShowModalForm(this);
}

// ---- The grid in the editor's terms

int TVariantsForm::ColCount() const {
    return VariantsGrid->columnCount();
}

int TVariantsForm::RowCount() const {
    return VariantsGrid->rowCount() + 1;
}

QString TVariantsForm::Cells(int col, int row) const {
    if (row == 0) {
        const QTableWidgetItem *item = VariantsGrid->horizontalHeaderItem(col);
        return item ? item->text() : QString();
    }
    const QTableWidgetItem *item = VariantsGrid->item(row - 1, col);
    return item ? item->text() : QString();
}

void TVariantsForm::SetCells(int col, int row, const QString &text) {
    if (row == 0) {
        VariantsGrid->setHorizontalHeaderItem(col, new QTableWidgetItem(text));
        return;
    }
    if (QTableWidgetItem *item = VariantsGrid->item(row - 1, col))
        item->setText(text);
    else
        VariantsGrid->setItem(row - 1, col, new QTableWidgetItem(text));
}

void TVariantsForm::SelectCell(int col, int row) {
    if (row >= 1)
        VariantsGrid->setCurrentCell(row - 1, col);
}

QPoint TVariantsForm::CurrentCell() const {
    return {VariantsGrid->currentColumn(), VariantsGrid->currentRow() + 1};
}

void TVariantsForm::AddRow() {
    VariantsGrid->setRowCount(VariantsGrid->rowCount() + 1);
}

const TPROBLEM *TVariantsForm::CriterionOfColumn(int col) const {
    if (!Kavrel || col < 2 || col - 2 >= int(Kavrel->Criteria.size()))
        return nullptr;
    return &Kavrel->Criteria[size_t(col - 2)];
}

int TVariantsForm::CellKind(int row, int col) const {
    if (row < 0 || col < 0)
        return 5;
    if (row == 0)
        return col < 2 ? 0 : 1;
    if (col < 2)
        return 4;
    const TPROBLEM *c = CriterionOfColumn(col);
    return c && c->Enumerated ? 2 : 3;
}

QString TVariantsForm::CellHint(int row, int col) const {
    const TPROBLEM *c = CriterionOfColumn(col);
    switch (CellKind(row, col)) {
    case 0:
        return QStringLiteral("Click to edit");
    case 1:
        if (!c)
            return QString();
        return c->Description.size() >= 26 ? c->Description.left(24) + QStringLiteral("...")
                                           : c->Description;
    case 2: {
        double v = 0.0;
        if (c && c->FindValue(Cells(col, row), v))
            return QStringLiteral("Decimal: ") + FloatToExactStr(v);
        return QStringLiteral("Unknown enum value");
    }
    case 3:
        if (!c)
            return QString();
        return QStringLiteral("( ") + FloatToExactStr(c->Min) + QStringLiteral(" ; ") +
               FloatToExactStr(c->Max) + QStringLiteral(" )");
    default:
        return QString();
    }
}

// ---- Rows

std::vector<TRowTexts> TVariantsForm::GridRows() const {
    std::vector<TRowTexts> rows(size_t(VariantsGrid->rowCount()));
    const int cols = ColCount();
    for (int r = 0; r < int(rows.size()); ++r) {
        rows[size_t(r)].reserve(cols);
        for (int c = 0; c < cols; ++c) {
            const QTableWidgetItem *item = VariantsGrid->item(r, c);
            rows[size_t(r)] << (item ? item->text() : QString());
        }
    }
    return rows;
}

QStringList TVariantsForm::CriterionHeader() const {
    QStringList header;
    for (int c = 2; c < ColCount(); ++c)
        header << Cells(c, 0);
    return header;
}

static TRowTexts RowAt(const TVariantsForm &form, int row) {
    TRowTexts texts;
    for (int c = 0; c < form.ColCount(); ++c)
        texts << form.Cells(c, row);
    return texts;
}

bool TVariantsForm::IsRowEmpty(int row) const {
    return ::IsRowEmpty(RowAt(*this, row));
}

int TVariantsForm::FirstEmptyCell(int row) const {
    return ::FirstEmptyCell(RowAt(*this, row), ColCount());
}

int TVariantsForm::CheckRow(int row) {
    QString message;
    const int col = ::CheckRow(Kavrel->Criteria, RowAt(*this, row), message);
    if (col >= 0)
        ShowMessage(message, this);
    return col;
}

void TVariantsForm::StoreRow(int row, int k) {
    ::StoreRow(Kavrel->Model, Kavrel->Xml, CriterionHeader(), RowAt(*this, row), k);
}

void TVariantsForm::WidenCriterionRanges() {
    ::WidenCriterionRanges(Kavrel->Model);
}

// ---- Showing and closing

void TVariantsForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    if (MarkEmptyCells)
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                FormPaint();
        });
}

void TVariantsForm::FormShow() {
    filling_ = true;
    EnumComboBox->hide();
    ComboCell = {-1, -1};
    HintCell = {-1, -1};
    const std::vector<TRowTexts> rows = RowsOfVariants(Kavrel->Model);
    const int cols = int(Kavrel->Criteria.size()) + 2;
    VariantsGrid->setUpdatesEnabled(false);
    {
        const QSignalBlocker block(VariantsGrid);
        VariantsGrid->clear();
        VariantsGrid->setColumnCount(cols);
        VariantsGrid->setRowCount(int(rows.size()) + 1);
        QStringList header;
        header << Kavrel->Roles[0].Caption << Kavrel->Roles[1].Caption;
        for (const TPROBLEM &c : Kavrel->Criteria)
            header << c.Name;
        VariantsGrid->setHorizontalHeaderLabels(header);
        for (int r = 0; r < int(rows.size()); ++r) {
            for (int c = 0; c < cols; ++c) {
                if (!rows[size_t(r)][c].isEmpty())
                    VariantsGrid->setItem(r, c, new QTableWidgetItem(rows[size_t(r)][c]));
            }
        }
        VariantsGrid->setCurrentCell(0, 0);
    }
    VariantsGrid->setUpdatesEnabled(true);
    filling_ = false;
    ShowStatus(AddRowHint);
}

void TVariantsForm::FormPaint() {
    if (!MarkEmptyCells)
        return;
    MarkEmptyCells = false;
    VariantsGrid->setFocus();
    for (int row = 1; row < RowCount(); ++row) {
        if (IsRowEmpty(row))
            continue;
        const int col = FirstEmptyCell(row);
        if (col >= 0) {
            SelectCell(col, row);
            ShowMessage(EmptyCell, this);
            return;
        }
    }
}

void TVariantsForm::SetRanking(bool on) {
    if (Kavrel)
        Kavrel->SetRankingSwitch(on);
}

void TVariantsForm::FormCloseQuery(bool &CanClose) {
    VariantsGrid->setFocus();
    VariantsGrid->CommitEdit();
    if (EnumComboBox->isVisible())
        EnumComboBoxExit();
    CanClose = true;
    if (Modified) {
        if (MessageDlg(QStringLiteral("Save changes?"), mtConfirmation, mbYesNo, this) == mrYes) {
            const std::vector<TRowTexts> rows = GridRows();
            TRowFault fault;
            if (FindRowFault(Kavrel->Criteria, rows, RequireAllRows, fault)) {
                SelectCell(fault.Column, fault.Row + 1);
                ShowMessage(fault.Message, this);
                CanClose = false;
                return;
            }
            RequireAllRows = false;
            if (StoreRows(Kavrel->Model, Kavrel->Xml, CriterionHeader(), rows))
                MarkProblemNotSaved();
            if (Kavrel->SolutionComplete) {
                Kavrel->SB_SaveResult->setEnabled(true);
                Kavrel->SB_Raport->setEnabled(true);
                SetRanking(!Kavrel->Variants.Alternatives.empty() &&
                           Kavrel->Variants.IsComplete(Kavrel->Criteria));
            }
            return;
        }
    }
    if (Kavrel->Variants.IsComplete(Kavrel->Criteria))
        return;
    if (MessageDlg(QStringLiteral("If You will not fill in all empty cells, You will not be able "
                                  "to see results and save problem! Exit anyway?"),
                   mtConfirmation, mbYesNo, this) != mrYes) {
        CanClose = false;
        return;
    }
    if (Kavrel->SolutionComplete) {
        Kavrel->SB_SaveResult->setEnabled(true);
        Kavrel->SB_Raport->setEnabled(true);
    }
    SetRanking(false);
}

void TVariantsForm::FormClose() {
    Modified = false;
    VariantsGrid->setFocus();
    EnumComboBox->hide();
}

void TVariantsForm::closeEvent(QCloseEvent *event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
    QDialog::done(QDialog::Accepted);
}

void TVariantsForm::accept() {
    close();
}

void TVariantsForm::reject() {
    // Escape asks the same questions as the close box.
    close();
}

// ---- Editing

void TVariantsForm::VariantsGridSetEditText() {
    if (!filling_)
        Modified = true;
}

void TVariantsForm::VariantsGridSelectCell(int col, int row) {
    const TPROBLEM *c = CriterionOfColumn(col);
    if (filling_ || row < 1 || !c || !c->Enumerated)
        return;
    ComboCell = {col, row};
    filling_ = true;
    EnumComboBox->clear();
    EnumComboBox->addItem(QString());
    for (const TEnumvalue &v : c->Values)
        EnumComboBox->addItem(v.Label);
    const int found = EnumComboBox->findText(Cells(col, row), Qt::MatchExactly);
    EnumComboBox->setCurrentIndex(found > 0 ? found : 0);
    filling_ = false;
    PlaceComboBox();
    EnumComboBox->show();
    EnumComboBox->setFocus();
    EnumComboBoxEnter();
}

void TVariantsForm::PlaceComboBox() {
    if (ComboCell.x() < 0 || ComboCell.y() < 1)
        return;
    const QModelIndex index = VariantsGrid->model()->index(ComboCell.y() - 1, ComboCell.x());
    EnumComboBox->setGeometry(VariantsGrid->visualRect(index));
}

void TVariantsForm::EnumComboBoxEnter() {
    ShowStatus(QStringLiteral("Use Ctrl+Up&Down arrows to change value"));
}

void TVariantsForm::EnumComboBoxChange() {
    if (!filling_)
        Modified = true;
}

void TVariantsForm::EnumComboBoxExit() {
    if (ComboCell.x() >= 0 && ComboCell.y() >= 1 && ComboCell.y() < RowCount() &&
        Cells(ComboCell.x(), ComboCell.y()) != EnumComboBox->currentText()) {
        SetCells(ComboCell.x(), ComboCell.y(), EnumComboBox->currentText());
        Modified = true;
    }
    EnumComboBox->hide();
    ComboCell = {-1, -1};
    ShowStatus(AddRowHint);
}

bool TVariantsForm::EnumComboBoxKeyDown(QKeyEvent *event) {
    const int key = event->key();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const QPoint at = ComboCell.x() >= 0 ? ComboCell : CurrentCell();
    auto leaveTo = [this](int col, int row) {
        EnumComboBoxExit();
        VariantsGrid->setFocus();
        SelectCell(col, row);
    };
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EnumComboBoxExit();
        VariantsGrid->setFocus();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int col = std::clamp(at.x() + (key == Qt::Key_Left ? -1 : 1), 0, ColCount() - 1);
        leaveTo(col, at.y());
        if (ctrl)
            Modified = true;
        return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (ctrl)
            return false; // the combo box changes its label
        leaveTo(at.x(), std::clamp(at.y() + (key == Qt::Key_Up ? -1 : 1), 1, RowCount() - 1));
        return true;
    default:
        return false;
    }
}

void TVariantsForm::VariantsGridMouseMove(int col, int row) {
    const QPoint cell{col, row};
    if (cell == HintCell)
        return;
    HintCell = cell;
    QToolTip::hideText();
    const QString hint = CellHint(row, col);
    VariantsGrid->viewport()->setToolTip(hint);
    VariantsGrid->horizontalHeader()->viewport()->setToolTip(hint);
}

void TVariantsForm::VariantsGridMouseDown(int col, int row) {
    if (row != 0 || col > 1)
        return;
    if (col == 0 && NameForm)
        ShowModalForm(NameForm);
    else if (col == 1 && DescriptionForm)
        ShowModalForm(DescriptionForm);
    SetCells(col, 0, Kavrel->Roles[size_t(col)].Caption);
}

void TVariantsForm::ShowStatus(const QString &text) {
    StatusBar->showMessage(text);
}

void TVariantsForm::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1 && Kavrel) {
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Alternatives));
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TVariantsForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == EnumComboBox) {
        if (event->type() == QEvent::KeyPress)
            return EnumComboBoxKeyDown(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusIn)
            EnumComboBoxEnter();
        if (event->type() == QEvent::FocusOut &&
            static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason &&
            EnumComboBox->isVisible())
            EnumComboBoxExit();
        return false;
    }
    if (watched == VariantsGrid && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QPoint at = CurrentCell();
        switch (key->key()) {
        case Qt::Key_F1:
            if (Kavrel)
                Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Alternatives));
            return true;
        case Qt::Key_Delete:
            if (at.x() >= 0 && at.y() >= 1) {
                SetCells(at.x(), at.y(), QString());
                Modified = true;
            }
            return true;
        case Qt::Key_F5:
            AddRow();
            return true;
        default:
            return false;
        }
    }
    if (event->type() == QEvent::MouseMove) {
        const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
        if (watched == VariantsGrid->viewport()) {
            const QModelIndex index = VariantsGrid->indexAt(pos);
            if (index.isValid())
                VariantsGridMouseMove(index.column(), index.row() + 1);
            else
                VariantsGridMouseMove(-1, -1);
        } else if (watched == VariantsGrid->horizontalHeader()->viewport()) {
            const int col = VariantsGrid->horizontalHeader()->logicalIndexAt(pos);
            VariantsGridMouseMove(col, col < 0 ? -1 : 0);
        }
    }
    return QDialog::eventFilter(watched, event);
}
