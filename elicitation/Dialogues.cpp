#include "elicitation/Dialogues.h"

#include "app/Dazazezad.h"
#include "elicitation/Maxquestion.h"
#include "platform/Chart.h"
#include "platform/Dialogs.h"
#include "ui_Dialogues.h"

#include <QCloseEvent>
#include <QKeyEvent>

TDialogue *Dialogue = nullptr;

namespace {
const char *const MethodSuffix[] = {
    "",
    " (Certainty equivalent with constant probability)",
    " (Certainty equivalent with variable probability)",
    " (Lottery comparision)",
    " (Probability comparision)",
};

const QString PrecisionReached =
    QStringLiteral("Maximum precision reached! Accepting the present value as final.\n");

TPieSeries *MakePie(TChart *chart, const QStringList &title) {
    chart->Title.Text = title;
    chart->LegendVisible = false;
    chart->AllowZoom = false;
    chart->AllowPanning = pmNone;
    for (TChartAxis *axis :
         {&chart->LeftAxis, &chart->RightAxis, &chart->TopAxis, &chart->BottomAxis})
        axis->Visible = false;
    auto *series = new TPieSeries(chart);
    series->Rotate(180);
    return series;
}

void SetTextColour(QLabel *label, TColor colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    label->setPalette(palette);
}

const TPROBLEM &CriterionAt(int index) {
    return Kavrel->Criteria.at(size_t(index));
}

double Best(const TPROBLEM &c) {
    return c.Cost ? c.Min : c.Max;
}

double Worst(const TPROBLEM &c) {
    return c.Cost ? c.Max : c.Min;
}
} // namespace

void SetProbabilityPie(TPieSeries *series, double p, int decimals) {
    series->Clear();
    series->Add(1.0 - p, FormatFixed(1.0 - p, decimals), clRed);
    series->Add(p, FormatFixed(p, decimals), clBlue);
}

void SetLabelBackground(QLabel *label, bool highlighted) {
    // Info background while the label's value is being settled, button face otherwise.
    label->setAutoFillBackground(highlighted);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, highlighted
                                           ? QApplication::palette().color(QPalette::ToolTipBase)
                                           : QApplication::palette().color(QPalette::Button));
    label->setPalette(palette);
    label->repaint();
}

TDialogue::TDialogue(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::TDialogue>()) {
    ui_->setupUi(this);
    setModal(false);
    setFixedSize(560, 319);
    Series1 = MakePie(ui_->ProbabilityChart, {QStringLiteral("Probability Graph")});
    PieSeries1 = MakePie(ui_->ProbabilityChart1,
                         {QStringLiteral("Probability Graph"), QStringLiteral(" for Lottery1")});
    PieSeries2 = MakePie(ui_->ProbabilityChart2,
                         {QStringLiteral("Probability Graph"), QStringLiteral("for Lottery2")});
    for (QLabel *label : {ui_->pLabel, ui_->pLabel1, ui_->pLabel2})
        SetTextColour(label, clBlue);
    for (QLabel *label : {ui_->p1Label, ui_->p1Label1, ui_->p1Label2})
        SetTextColour(label, clRed);

    connect(ui_->SureBitBtn, &QPushButton::clicked, this, &TDialogue::SureBitBtnClick);
    connect(ui_->LotteryBitBtn, &QPushButton::clicked, this, &TDialogue::LotteryBitBtnClick);
    connect(ui_->IndifferentBitBtn, &QPushButton::clicked, this,
            &TDialogue::IndifferentBitBtnClick);
    connect(ui_->LotteryBitBtn1, &QPushButton::clicked, this, &TDialogue::LotteryBitBtn1Click);
    connect(ui_->LotteryBitBtn2, &QPushButton::clicked, this, &TDialogue::LotteryBitBtn2Click);
    connect(ui_->IndifferentLotteryBitBtn, &QPushButton::clicked, this,
            &TDialogue::IndifferentLotteryBitBtnClick);
    connect(ui_->ExitBitBtn, &QPushButton::clicked, this, &TDialogue::ExitBitBtnClick);
    connect(ui_->HelpBitBtn, &QPushButton::clicked, this, &TDialogue::HelpBitBtnClick);
    ClosingByProgram = false;
}

TDialogue::~TDialogue() = default;

QString TDialogue::FormatNumber(double value, int decimals) {
    return FormatFixed(value, decimals);
}

void TDialogue::ArrangePanels(int method) {
    if (Kavrel) {
        Kavrel->SB_windows->setVisible(true);
        Kavrel->StatusBar->SetPanelText(2, QString());
    }
    const bool lottery = method == 3;
    for (QPushButton *b : {ui_->SureBitBtn, ui_->LotteryBitBtn, ui_->IndifferentBitBtn}) {
        b->setVisible(!lottery);
        b->setFocusPolicy(lottery ? Qt::NoFocus : Qt::StrongFocus);
    }
    for (QPushButton *b :
         {ui_->LotteryBitBtn1, ui_->LotteryBitBtn2, ui_->IndifferentLotteryBitBtn}) {
        b->setVisible(lottery);
        b->setFocusPolicy(lottery ? Qt::StrongFocus : Qt::NoFocus);
    }
    ui_->Panel2->setVisible(!lottery);
    ui_->LotteryPanel->setVisible(lottery);
}

void TDialogue::SetValueLabel(QLabel *label, double value, int decimals) {
    label->setText(FormatNumber(value, decimals));
    label->setToolTip(FloatToStr(value));
}

void TDialogue::Start(int method, double xLeft, double uLeft, double xRight, double uRight,
                      int index) {
    if (!Kavrel || index < 0 || index >= int(Kavrel->Criteria.size()))
        return;
    ArrangePanels(method);
    const TPROBLEM &c = CriterionAt(index);
    setWindowTitle(QStringLiteral("Assessment of Utility Function for Attribute - ") + c.Name +
                   QLatin1String(MethodSuffix[method]));
    // A close allowed before belongs to an earlier question.
    ClosingByProgram = false;
    PointAdded = false;
    Question.Start(method, c.Cost, Kavrel->FirstQuestion, Kavrel->Probability, xLeft, uLeft, xRight,
                   uRight);
    Index = index;
    switch (method) {
    case 1:
        SetValueLabel(ui_->RangeLabel1, c.Cost ? xLeft : xRight, c.Decimals);
        SetValueLabel(ui_->RangeLabel2, c.Cost ? xRight : xLeft, c.Decimals);
        break;
    case 3:
        SetValueLabel(ui_->ValueLabel1, X, c.Decimals);
        SetValueLabel(ui_->ValueLabel2, Worst(c), c.Decimals);
        SetValueLabel(ui_->ValueLabel3, Best(c), c.Decimals);
        SetValueLabel(ui_->ValueLabel4, Worst(c), c.Decimals);
        break;
    default:
        SetValueLabel(ui_->RangeLabel1, Best(c), c.Decimals);
        SetValueLabel(ui_->RangeLabel2, Worst(c), c.Decimals);
        break;
    }
    if (method == 3)
        ShowLotteryQuestion(index);
    else
        ShowQuestion(index);
    show();
    raise();
    activateWindow();
    ShowRange();
}

void TDialogue::StartConstantProbability(double xLeft, double uLeft, double xRight, double uRight,
                                         int index) {
    Start(1, xLeft, uLeft, xRight, uRight, index);
}

void TDialogue::StartVariableProbability(double xLeft, double uLeft, double xRight, double uRight,
                                         int index) {
    Start(2, xLeft, uLeft, xRight, uRight, index);
}

void TDialogue::StartLotteryComparison(double xLeft, double uLeft, double xRight, double uRight,
                                       int index) {
    Start(3, xLeft, uLeft, xRight, uRight, index);
}

void TDialogue::StartProbabilityComparison(double xLeft, double uLeft, double xRight, double uRight,
                                           int index) {
    Start(4, xLeft, uLeft, xRight, uRight, index);
}

void TDialogue::ShowQuestion(int index) {
    const TPROBLEM &c = CriterionAt(index);
    const int precision = Kavrel->ProbabilityPrecision;
    SetValueLabel(ui_->pLabel, P, precision);
    SetValueLabel(ui_->p1Label, 1.0 - P, precision);
    SetProbabilityPie(Series1, P, precision);
    for (QLabel *units : {ui_->Units1, ui_->Units2, ui_->Units3})
        units->setText(c.Units);
    SetValueLabel(ui_->EquivalentLabel, X, c.Decimals);
}

void TDialogue::ShowLotteryQuestion(int index) {
    const TPROBLEM &c = CriterionAt(index);
    const int precision = Kavrel->ProbabilityPrecision;
    SetValueLabel(ui_->pLabel1, P, precision);
    SetValueLabel(ui_->p1Label1, 1.0 - P, precision);
    SetProbabilityPie(PieSeries1, P, precision);
    SetValueLabel(ui_->pLabel2, Q, precision);
    SetValueLabel(ui_->p1Label2, 1.0 - Q, precision);
    SetProbabilityPie(PieSeries2, Q, precision);
    for (QLabel *units : {ui_->UnitsLabel1, ui_->UnitsLabel2, ui_->UnitsLabel3, ui_->UnitsLabel4})
        units->setText(c.Units);
}

void TDialogue::ShowActiveRange(int index, bool shown, double x1, double u1, double x2, double u2) {
    if (!Kavrel)
        return;
    Kavrel->ActiveRangeShown = shown;
    // The chart window refills its line, stores the range, shows itself and repaints.
    if (Kavrel->ChartShowActiveRange)
        Kavrel->ChartShowActiveRange(index, x1, u1, x2, u2);
}

void TDialogue::ShowRange() {
    const TActiveRange r = Question.ActiveRange();
    ShowActiveRange(Index, true, r.X1, r.U1, r.X2, r.U2);
}

QLabel *TDialogue::ProposalLabel() const {
    switch (Question.Method) {
    case 3:
        return ui_->pLabel2;
    case 4:
        return ui_->pLabel;
    default:
        return ui_->EquivalentLabel;
    }
}

void TDialogue::Answer(TAnswer answer) {
    if (!Kavrel || !isVisible())
        return;
    const TAnswerResult r = Question.Answer(answer, Kavrel->Questions);
    QLabel *label = ProposalLabel();
    switch (r.Outcome) {
    case TAnswerOutcome::PrecisionStop:
        SetLabelBackground(label, true);
        MessageDlg(PrecisionReached + r.ProposalText, mtInformation, mbOK, this);
        SetLabelBackground(label, false);
        AddPoint();
        return;
    case TAnswerOutcome::QuestionLimit: {
        SetLabelBackground(label, true);
        bool answered = true;
        if (MaxQuestions) {
            const std::optional<double> typed = MaxQuestions->Execute(r.Lo, r.Hi);
            answered = typed.has_value();
            if (typed)
                Question.SetProposal(*typed);
        }
        SetLabelBackground(label, false);
        if (!answered) {
            // No final value (the program is closing): the run ends as by Exit.
            Cancel();
            return;
        }
        AddPoint();
        break;
    }
    case TAnswerOutcome::Narrowed:
        break;
    }
    if (Question.Method == 3)
        ShowLotteryQuestion(Index);
    else
        ShowQuestion(Index);
    if (r.Outcome == TAnswerOutcome::Narrowed)
        ShowRange();
}

void TDialogue::SureBitBtnClick() {
    Answer(TAnswer::Sure);
}

void TDialogue::LotteryBitBtnClick() {
    Answer(TAnswer::Lottery);
}

void TDialogue::LotteryBitBtn1Click() {
    Answer(TAnswer::Sure);
}

void TDialogue::LotteryBitBtn2Click() {
    Answer(TAnswer::Lottery);
}

void TDialogue::IndifferentBitBtnClick() {
    if (isVisible())
        AddPoint();
}

void TDialogue::IndifferentLotteryBitBtnClick() {
    if (isVisible())
        AddPoint();
}

void TDialogue::AddPoint() {
    const double u = Question.PointU();
    if (Kavrel && Index >= 0 && Index < int(Kavrel->Criteria.size())) {
        // A refused point (outside 0..1, x taken, or not monotone) is dropped silently.
        Kavrel->Criteria[size_t(Index)].AddPoint(X, u);
    }
    PointAdded = true;
    hide();
    ShowActiveRange(Index, false, 0, 0, 0, 0);
}

void TDialogue::ExitBitBtnClick() {
    if (!Kavrel)
        return;
    if (Kavrel->DialogueMode &&
        MessageDlg(QStringLiteral("Utility function isn't finish! Exit anyway?"), mtWarning,
                   mbYesNo, this) == mrYes) {
        Cancel();
        return;
    }
    // The question stays open, and so does its range on the chart.
    ClosingByProgram = false;
}

void TDialogue::Cancel() {
    Kavrel->ActiveRangeShown = false;
    Kavrel->Cancelled = true;
    ClosingByProgram = true;
    close();
    if (Kavrel->ChartCloseAfterExit)
        Kavrel->ChartCloseAfterExit();
}

bool TDialogue::FormCloseQuery() {
    if (!ClosingByProgram)
        return false;
    // Allowed once: a later close by the system is refused again.
    ClosingByProgram = false;
    return true;
}

void TDialogue::closeEvent(QCloseEvent *event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::done(QDialog::Rejected);
}

void TDialogue::reject() {
    // Escape obeys the same rule as any other close.
    close();
}

void TDialogue::FormHide() {
    if (Kavrel)
        Kavrel->SB_windows->setVisible(false);
}

void TDialogue::hideEvent(QHideEvent *event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormHide();
}

void TDialogue::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QWidget *p = parentWidget()) {
        const QRect frame = p->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
}

void TDialogue::HelpBitBtnClick() {
    if (Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Dialogue));
}

void TDialogue::FormKeyDown(QKeyEvent *key) {
    if (key->key() == Qt::Key_F1)
        HelpBitBtnClick();
}

bool TDialogue::PreviewKey(QKeyEvent *event) {
    FormKeyDown(event);
    return false;
}
