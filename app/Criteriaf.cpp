#include "app/Criteriaf.h"

#include "app/Dazazezad.h"
#include "app/Enumf.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

TCriteriaForm *CriteriaForm = nullptr;

void MarkProblemNotSaved() {
    if (!Kavrel)
        return;
    Kavrel->SetProblemStatus(QStringLiteral("Problem: NOT SAVED"), false);
}

TCriteriaForm::TCriteriaForm(QWidget *owner) : QDialog(owner) {
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    FormCreate();
}

void TCriteriaForm::FormCreate() {
    QPalette green = MinAlterLabel->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    MinAlterLabel->setPalette(green);
    MaxAlterLabel->setPalette(green);
    connect(EnableAction, &QAction::changed, this,
            [this] { SetEditEnabled(EnableAction->isEnabled()); });
    connect(EnableAction, &QAction::triggered, this, &TCriteriaForm::EnableActionExecute);
    connect(CriteriaListBox, &QListWidget::currentRowChanged, this,
            &TCriteriaForm::CriteriaListBoxClick);
    connect(NewButton, &QPushButton::clicked, this, &TCriteriaForm::NewButtonClick);
    connect(DeleteButton, &QPushButton::clicked, this, &TCriteriaForm::DeleteButtonClick);
    connect(EnumButton, &QPushButton::clicked, this, &TCriteriaForm::EnumButtonClick);
    connect(OKBitBtn, &QPushButton::clicked, this, &TCriteriaForm::OKBitBtnClick);
    connect(CancelBitBtn, &QPushButton::clicked, this, &TCriteriaForm::CancelBitBtnClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TCriteriaForm::BitBtn1Click);
    // Enter in these moves on to the next control instead of pressing OK.
    for (QWidget *w : {static_cast<QWidget *>(NameEdit), static_cast<QWidget *>(UnitsEdit),
                       static_cast<QWidget *>(DecimalsCSpinEdit),
                       static_cast<QWidget *>(DecimalsCSpinEdit->findChild<QLineEdit *>()),
                       static_cast<QWidget *>(MinValueEdit), static_cast<QWidget *>(MaxValueEdit)})
        if (w)
            w->installEventFilter(this);
    DecimalsCSpinEdit->setRange(0, MaxDecimals);
    DecimalsCSpinEdit->setValue(3);
}

int TCriteriaForm::ShowModal() {
    ModalResult = mrCancel;
    ShowModalForm(this);
    return ModalResult;
}

void TCriteriaForm::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TCriteriaForm::FormShow() {
    ModalResult = mrCancel;
    Snapshot.Take(Kavrel->Model, Kavrel->Xml);
    shownDocument_ = TXML::DocumentText(Kavrel->Xml.ProblemDoc);
    OkPressed = false;
    RefillList();
    SelectItem(0);
    CurrentIndex = 0;
    if (!Kavrel->Criteria.empty()) {
        ShowCriterion();
        DeleteButton->setEnabled(true);
        EnableAction->setEnabled(true);
        SetEditEnabled(true);
    } else {
        DeleteButton->setEnabled(false);
        EnumButton->setEnabled(false);
        NameEdit->clear();
        UnitsEdit->clear();
        MinValueEdit->clear();
        MaxValueEdit->clear();
        EnableAction->setEnabled(false);
        SetEditEnabled(false);
    }
}

void TCriteriaForm::RefillList() {
    const QSignalBlocker block(CriteriaListBox);
    CriteriaListBox->clear();
    for (const TPROBLEM &c : Kavrel->Criteria)
        CriteriaListBox->addItem(c.Name);
}

void TCriteriaForm::SelectItem(int row) {
    const QSignalBlocker block(CriteriaListBox);
    CriteriaListBox->setCurrentRow(row);
}

void TCriteriaForm::SetEditEnabled(bool enabled) {
    for (QWidget *w : std::initializer_list<QWidget *>{
             NameEdit, NameLabel, UnitsEdit, UnitsLabel, DecimalsCSpinEdit, DecimalsLabel,
             UtilityRadioGroup, MinValueEdit, MinValueLabel, MaxValueEdit, MaxValueLabel,
             MethodRadioGroup, DescriptionEdit, InSetLabel1, InSetLabel2, MinAlterLabel,
             MaxAlterLabel})
        w->setEnabled(enabled);
    UsedCheckBox->setEnabled(enabled && !usedLocked_);
}

void TCriteriaForm::LoadControls(const TPROBLEM &c) {
    double lo = 0.0, hi = 0.0;
    if (Kavrel->Variants.ColumnRange(c.Id, lo, hi)) {
        MinAlterLabel->setText(FloatToExactStr(lo));
        MaxAlterLabel->setText(FloatToExactStr(hi));
    } else {
        MinAlterLabel->setText(QStringLiteral("-"));
        MaxAlterLabel->setText(QStringLiteral("-"));
    }
    NameEdit->setText(c.Name);
    UnitsEdit->setText(c.Units);
    DecimalsCSpinEdit->setValue(c.Decimals);
    MinValueEdit->setText(FloatToExactStr(c.Min));
    MaxValueEdit->setText(FloatToExactStr(c.Max));
    DescriptionEdit->setText(c.Description);
    (c.Cost ? CostRadioButton : GainRadioButton)->setChecked(true);
    QRadioButton *methods[] = {MethodRadioButton1, MethodRadioButton2, MethodRadioButton3,
                               MethodRadioButton4};
    if (c.Method >= 1 && c.Method <= 4)
        methods[c.Method - 1]->setChecked(true);
    UsedCheckBox->setChecked(c.Used);
    EnumButton->setEnabled(c.Enumerated);
    usedLocked_ = c.Enumerated;
    UsedCheckBox->setEnabled(!c.Enumerated && EnableAction->isEnabled());
    shownFields_ = ControlFields();
    loadedFields_ = FieldsOf(c);
}

void TCriteriaForm::ShowCriterion() {
    QListWidgetItem *item = CriteriaListBox->currentItem();
    if (CriteriaListBox->count() == 0 || !item)
        return;
    const int index = Kavrel->CriterionIndexByName(item->text());
    if (index >= 0)
        LoadControls(Kavrel->Criteria[size_t(index)]);
    CurrentIndex = CriteriaListBox->currentRow();
}

TCriterionFields TCriteriaForm::Fields() const {
    return UnchangedAsLoaded(ControlFields(), shownFields_, loadedFields_);
}

TCriterionFields TCriteriaForm::ControlFields() const {
    TCriterionFields f;
    f.Name = NameEdit->text();
    f.Units = UnitsEdit->text();
    f.Description = DescriptionEdit->text();
    f.MinText = MinValueEdit->text();
    f.MaxText = MaxValueEdit->text();
    f.Decimals = DecimalsCSpinEdit->value();
    f.Cost = CostRadioButton->isChecked();
    const QRadioButton *methods[] = {MethodRadioButton1, MethodRadioButton2, MethodRadioButton3,
                                     MethodRadioButton4};
    f.Method = 0;
    for (int i = 0; i < 4; ++i) {
        if (methods[i]->isChecked())
            f.Method = i + 1;
    }
    f.Used = UsedCheckBox->isChecked();
    return f;
}

void TCriteriaForm::CriteriaListBoxClick() {
    if (!ValidateCriterion(CurrentIndex)) {
        // The mouse press or key that moved the list selects its item after this
        // returns; once it has, put the list back on the criterion still shown.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (CurrentIndex >= 0 && CurrentIndex < CriteriaListBox->count())
                    SelectItem(CurrentIndex);
            },
            Qt::QueuedConnection);
        return;
    }
    const int row = CriteriaListBox->currentRow();
    if (CriteriaListBox->count() == 0 || row < 0)
        return;
    const int index = Kavrel->CriterionIndexByName(CriteriaListBox->item(row)->text());
    if (index >= 0)
        LoadControls(Kavrel->Criteria[size_t(index)]);
    CurrentIndex = row;
}

bool TCriteriaForm::ValidateCriterion(int index) {
    if (index < 0 || index >= int(Kavrel->Criteria.size()))
        return false;
    const TCriterionVerdict v = CheckCriterionFields(Kavrel->Model, index, Fields());
    if (!v.Valid) {
        // The list, the controls and every command stay with the refused criterion.
        SelectItem(CurrentIndex);
        QLineEdit *edit = v.Focus == TCriterionVerdict::FocusName  ? NameEdit
                          : v.Focus == TCriterionVerdict::FocusMin ? MinValueEdit
                                                                   : MaxValueEdit;
        edit->setFocus();
        if (!v.Replacement.isEmpty())
            edit->setText(v.Replacement);
        ShowMessage(v.Message, this);
        return false;
    }
    ApplyCriterion();
    CurrentIndex = CriteriaListBox->currentRow();
    return true;
}

void TCriteriaForm::ApplyCriterion() {
    if (CurrentIndex < 0 || CurrentIndex >= int(Kavrel->Criteria.size()))
        return;
    const TCriterionFields f = Fields();
    double min = 0.0, max = 0.0;
    if (!TextToFloat(f.MinText, min) || !TextToFloat(f.MaxText, max))
        return;
    TPROBLEM &c = Kavrel->Criteria[size_t(CurrentIndex)];
    TChangeFlags flags{Kavrel->CriteriaChanged, Kavrel->CoefficientsInvalid,
                       Kavrel->FunctionsInvalid};
    ApplyCriterionFields(c, FindSavedCopy(SavedCriteria, c), f, min, max, flags);
    Kavrel->CriteriaChanged = flags.CriteriaChanged;
    Kavrel->CoefficientsInvalid = flags.CoefficientsInvalid;
    Kavrel->FunctionsInvalid = flags.FunctionsInvalid;
    Kavrel->Xml.UpdateCriterionAttribute(c);
    // The controls now stand for what was stored.
    shownFields_ = ControlFields();
    loadedFields_ = FieldsOf(c);
    const int row = CriteriaListBox->currentRow();
    RefillList();
    SelectItem(row);
}

void TCriteriaForm::NewButtonClick() {
    const bool ok = CriteriaListBox->count() == 0 || ValidateCriterion(CurrentIndex);
    if (int(Kavrel->Criteria.size()) >= MaxCriteria) {
        ShowMessage(QStringLiteral("You can create max ") + QString::number(MaxCriteria) +
                        QStringLiteral(" criteria"),
                    this);
        return;
    }
    if (!ok)
        return;
    const int index = AddNewCriterion(Kavrel->Model, Kavrel->Xml, SavedCriteria);
    const TPROBLEM &c = Kavrel->Criteria[size_t(index)];
    {
        const QSignalBlocker block(CriteriaListBox);
        CriteriaListBox->addItem(c.Name);
        CriteriaListBox->setCurrentRow(CriteriaListBox->count() - 1);
    }
    CurrentIndex = CriteriaListBox->currentRow();
    MinValueEdit->setText(QStringLiteral("0"));
    MaxValueEdit->setText(QStringLiteral("1"));
    NameEdit->setText(c.Name);
    ShowCriterion();
    DeleteButton->setEnabled(true);
    EnableAction->setEnabled(true);
    SetEditEnabled(true);
    Kavrel->CriteriaChanged = true;
    Kavrel->CoefficientsInvalid = true;
}

void TCriteriaForm::DeleteButtonClick() {
    QListWidgetItem *item = CriteriaListBox->currentItem();
    if (!item)
        return;
    const int index = Kavrel->CriterionIndexByName(item->text());
    if (!DeleteCriterion(Kavrel->Model, Kavrel->Xml, index))
        return;
    {
        const QSignalBlocker block(CriteriaListBox);
        delete CriteriaListBox->takeItem(index);
        CriteriaListBox->setCurrentRow(CriteriaListBox->count() > 0 ? 0 : -1);
    }
    if (!Kavrel->Criteria.empty()) {
        DeleteButton->setEnabled(true);
        EnumButton->setEnabled(false);
        EnableAction->setEnabled(true);
    } else {
        DeleteButton->setEnabled(false);
        EnumButton->setEnabled(false);
        EnableAction->setEnabled(false);
        SetEditEnabled(false);
    }
    ShowCriterion();
    Kavrel->CriteriaChanged = true;
    Kavrel->CoefficientsInvalid = true;
}

void TCriteriaForm::EnumButtonClick() {
    if (EnumForm)
        ShowModalForm(EnumForm);
}

void TCriteriaForm::OKBitBtnClick() {
    OkPressed = true;
    close();
}

void TCriteriaForm::CancelBitBtnClick() {
    Kavrel->FunctionsInvalid = false;
    Kavrel->CoefficientsInvalid = false;
    Kavrel->CriteriaChanged = false;
    Snapshot.Restore(Kavrel->Model, Kavrel->Xml);
    close();
}

void TCriteriaForm::FormCloseQuery(bool &CanClose) {
    if (CriteriaListBox->count() == 0)
        OkPressed = false;
    if (!OkPressed) {
        ModalResult = mrCancel;
        Kavrel->FunctionsInvalid = false;
        Kavrel->CoefficientsInvalid = false;
        Kavrel->CriteriaChanged = false;
        Snapshot.Restore(Kavrel->Model, Kavrel->Xml);
        CanClose = true;
        return;
    }
    if (!ValidateCriterion(CurrentIndex)) {
        CanClose = false;
        OkPressed = false;
        return;
    }
    CanClose = true;
    ModalResult = mrOk;
    // The ranges and methods go to KAVREL only here; anything else the file
    // carries (a description, say) is already in the document.
    bool changed = TXML::DocumentText(Kavrel->Xml.ProblemDoc) != shownDocument_ ||
                   Kavrel->Criteria.size() != SavedCriteria.size();
    for (size_t i = 0; !changed && i < Kavrel->Criteria.size(); ++i) {
        const TPROBLEM &now = Kavrel->Criteria[i];
        const TPROBLEM &was = SavedCriteria[i];
        changed = now.AttrID != was.AttrID || now.Method != was.Method || now.Min != was.Min ||
                  now.Max != was.Max;
    }
    Kavrel->Xml.WriteElicitationSettings(Kavrel->Criteria, Kavrel->Probability, Kavrel->Questions,
                                         Kavrel->ProbabilityPrecision);
    if (changed)
        MarkProblemNotSaved();
}

void TCriteriaForm::BitBtn1Click() {
    if (Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Criteria));
}

void TCriteriaForm::closeEvent(QCloseEvent *event) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
    Snapshot.Clear();
    QDialog::done(ModalResult == mrOk ? QDialog::Accepted : QDialog::Rejected);
}

void TCriteriaForm::accept() {
    OKBitBtnClick();
}

void TCriteriaForm::reject() {
    // Escape closes as the close box does: without OK, so everything goes back.
    close();
}

void TCriteriaForm::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1) {
        BitBtn1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TCriteriaForm::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
