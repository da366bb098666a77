#include "report/F_raport_w.h"

#include "app/Dazazezad.h"
#include "report/F_raport.h"

#include <QCloseEvent>
#include <QDate>
#include <QKeyEvent>
#include <QListWidgetItem>
#include <QLocale>
#include <QSet>

TRaport_w *Raport_w = nullptr;

TRaport_w::TRaport_w(QWidget *owner) : QDialog(owner) {
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    SetWizardWidth(NarrowWidth);

    connect(Edit_Title, &QLineEdit::textChanged, this, &TRaport_w::Edit_TitleChange);
    connect(ChB_Formula, &QCheckBox::clicked, this, &TRaport_w::ChB_FormulaClick);
    connect(ChB_Criteria, &QCheckBox::clicked, this, &TRaport_w::ChB_CriteriaClick);
    connect(RB_User, &QRadioButton::clicked, this, &TRaport_w::RB_UserClick);
    connect(RB_Used, &QRadioButton::clicked, this, &TRaport_w::RB_UsedClick);
    connect(RB_All, &QRadioButton::clicked, this, &TRaport_w::RB_AllClick);
    connect(BBtn_Create, &QPushButton::clicked, this, &TRaport_w::BBtn_CreateClick);
    connect(BBtn_Cancel, &QPushButton::clicked, this, &TRaport_w::BBtn_CancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TRaport_w::BitBtn1Click);
}

TRaport_w::~TRaport_w() {
    ClearReport();
    if (Raport_w == this)
        Raport_w = nullptr;
}

void TRaport_w::SetWizardWidth(int width) {
    setFixedSize(width, WizardHeight);
}

void TRaport_w::Execute() {
    // A visible wizard only comes to the front: its choices stay as they are.
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    show();
}

void TRaport_w::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TRaport_w::closeEvent(QCloseEvent *event) {
    FormClose();
    // QDialog's own close handling would reject(), which closes again.
    event->accept();
}

void TRaport_w::reject() {
    close();
}

bool TRaport_w::PreviewKey(QKeyEvent *event) {
    if (event->key() != Qt::Key_F1)
        return false;
    BitBtn1Click();
    return true;
}

void TRaport_w::FillCriteriaList() {
    ChLB_Criteria->clear();
    if (!Kavrel)
        return;
    for (const TPROBLEM &criterion : Kavrel->Criteria) {
        auto *item = new QListWidgetItem(criterion.Name, ChLB_Criteria);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TRaport_w::FormShow() {
    ClearReport();
    Edit_Date->setText(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    if (Kavrel && Kavrel->Criteria.size() == 1) {
        ChB_FormulaK->setChecked(false);
        ChB_FormulaK->setEnabled(false);
    } else if (ChB_Formula->isChecked()) {
        ChB_FormulaK->setEnabled(true);
    }
    FillCriteriaList();
}

void TRaport_w::FormClose() {
    ClearReport();
}

void TRaport_w::BitBtn1Click() {
    if (Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Report));
}

void TRaport_w::BBtn_CancelClick() {
    close();
}

void TRaport_w::Edit_TitleChange() {
    if (Raport)
        Raport->QRL_Title->SetCaption(Edit_Title->text());
}

void TRaport_w::ChB_FormulaClick() {
    const bool on = ChB_Formula->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(GB_InFormula), static_cast<QWidget *>(ChB_FormulaKR),
                       static_cast<QWidget *>(ChB_FormulaF), static_cast<QWidget *>(ChB_FormulaK)})
        w->setEnabled(on);
}

void TRaport_w::ChB_CriteriaClick() {
    const bool on = ChB_Criteria->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(ChB_Description), static_cast<QWidget *>(ChB_Graphic),
                       static_cast<QWidget *>(RB_All), static_cast<QWidget *>(RB_Used),
                       static_cast<QWidget *>(RB_User)})
        w->setEnabled(on);
    if (on) {
        SetWizardWidth(RB_User->isChecked() ? WideWidth : NarrowWidth);
        FillCriteriaList();
    } else {
        ChLB_Criteria->clear();
        SetWizardWidth(NarrowWidth);
    }
}

void TRaport_w::RB_UserClick() {
    FillCriteriaList();
    SetWizardWidth(WideWidth);
}

void TRaport_w::RB_UsedClick() {
    SetWizardWidth(NarrowWidth);
    ChLB_Criteria->clear();
}

void TRaport_w::RB_AllClick() {
    RB_UsedClick();
}

TCriteriaChoice TRaport_w::CriteriaChoice() const {
    if (RB_User->isChecked())
        return TCriteriaChoice::User;
    if (RB_Used->isChecked())
        return TCriteriaChoice::Used;
    return TCriteriaChoice::All;
}

std::vector<bool> TRaport_w::TickedCriteria() const {
    // An item stands for the criterion of its name: criteria changed while the
    // wizard was open are never reported in place of what the user ticked.
    QSet<QString> ticked;
    for (int i = 0; i < ChLB_Criteria->count(); ++i) {
        if (ChLB_Criteria->item(i)->checkState() == Qt::Checked)
            ticked.insert(ChLB_Criteria->item(i)->text());
    }
    std::vector<bool> result;
    if (Kavrel) {
        for (const TPROBLEM &criterion : Kavrel->Criteria)
            result.push_back(ticked.contains(criterion.Name));
    }
    return result;
}

void TRaport_w::ApplySilentCorrections() {
    if (!ChB_FormulaK->isChecked() && !ChB_FormulaF->isChecked() && !ChB_FormulaKR->isChecked()) {
        ChB_Formula->setChecked(false);
        ChB_FormulaClick();
    }
    if (ChB_Criteria->isChecked() && RB_User->isChecked()) {
        const std::vector<bool> ticked = TickedCriteria();
        if (std::find(ticked.begin(), ticked.end(), true) == ticked.end()) {
            ChB_Criteria->setChecked(false);
            ChB_CriteriaClick();
        }
    }
}

void TRaport_w::ClearReport() {
    // The formula labels belong to the document: off the band before it goes.
    if (Raport) {
        for (TQRLabel *label : Raport->FormulaLabels())
            label->setParent(Raport);
    }
    // The bands first: each takes its printables with it, which is much
    // cheaper than freeing them one by one (each would tell its band).
    for (auto it = AlternativeBands.rbegin(); it != AlternativeBands.rend(); ++it)
        delete it->data();
    AlternativeBands.clear();
    for (TQRBand *band :
         {static_cast<TQRBand *>(RankingBand), static_cast<TQRBand *>(CoefficientBand),
          static_cast<TQRBand *>(NumericFormulaBand), static_cast<TQRBand *>(GeneralFormulaBand),
          static_cast<TQRBand *>(FormulaBand)})
        delete band;
    for (QPointer<TQRChildBand> &band : CriterionBands) {
        delete band.data();
        band = nullptr;
    }
    delete CriteriaBand.data();
    // Then what is left of the printables: any that went elsewhere.
    for (const QPointer<TQRPrintable> &printable : printables_)
        delete printable.data();
    printables_.clear();
    delete DateLabel.data();
    for (auto &chart : ReportCharts)
        chart = nullptr;
    ReportedCriteria.clear();

    if (Raport)
        Raport->Memo_HTML = Raport->Memo_Begining_Of_File;
}
