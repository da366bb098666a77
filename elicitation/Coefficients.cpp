#include "elicitation/Coefficients.h"

#include "app/Dazazezad.h"
#include "elicitation/Dialogues.h"
#include "elicitation/Maxquestion.h"
#include "platform/Chart.h"
#include "platform/Dialogs.h"
#include "ui_Coefficients.h"

#include <QAbstractTextDocumentLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <QtMath>
#include <algorithm>
#include <vector>

TCoefficient *Coefficient = nullptr;

namespace {
const QString PrecisionReached =
    QStringLiteral("Maximum precision reached! Accepting the present value as final.\n");

QString ValueLine(const TPROBLEM &c, double value) {
    return c.Name + QStringLiteral(":  ") + TCoefficient::FormatNumber(value, c.Decimals) +
           QLatin1Char(' ') + c.Units;
}

// Scrolls a text by one of its lines, down (+1) or up (-1). The positions put
// a line's top at the top of the view, as the font in use lays the lines out,
// so that no row shows cut there; at the end the text is padded to the last
// such position.
void ScrollOneLine(QTextEdit *edit, int direction) {
    QTextDocument *document = edit->document();
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    std::vector<int> tops{0}; // the first line keeps the margin above it
    for (QTextBlock block = document->firstBlock().next(); block.isValid(); block = block.next())
        tops.push_back(qRound(layout->blockBoundingRect(block).top()));
    const int bottom = qCeil(layout->blockBoundingRect(document->lastBlock()).bottom());

    QTextFrame *root = document->rootFrame();
    QTextFrameFormat format = root->frameFormat();
    const int padding = std::max(0, qRound(format.bottomMargin() - document->documentMargin()));
    QScrollBar *bar = edit->verticalScrollBar();
    const int end = bar->maximum() - padding; // the last position without padding
    const int now = bar->value();
    int target = now;
    if (direction > 0) {
        // The last line shows whole already.
        if (bottom - now <= edit->viewport()->height())
            return;
        const auto next = std::upper_bound(tops.begin(), tops.end(), now);
        if (next == tops.end())
            return;
        target = *next;
    } else {
        const auto here = std::lower_bound(tops.begin(), tops.end(), now);
        if (here == tops.begin())
            return;
        target = *std::prev(here);
    }
    const int wanted = std::max(0, target - end);
    if (wanted != padding) {
        format.setBottomMargin(document->documentMargin() + wanted);
        root->setFrameFormat(format);
    }
    bar->setValue(target);
}
} // namespace

TCoefficient::TCoefficient(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::TCoefficient>()) {
    ui_->setupUi(this);
    setModal(true);
    setFixedSize(770, 480);
    TChart *chart = ui_->ProbabilityChart;
    chart->Title.Text = QStringList{QStringLiteral("Probability Graph")};
    chart->LegendVisible = false;
    chart->AllowZoom = false;
    chart->AllowPanning = pmNone;
    for (TChartAxis *axis :
         {&chart->LeftAxis, &chart->RightAxis, &chart->TopAxis, &chart->BottomAxis})
        axis->Visible = false;
    Series1 = new TPieSeries(chart);
    Series1->Rotate(180);

    QPalette blue = ui_->pLabel->palette();
    blue.setColor(QPalette::WindowText, ToQColor(clBlue));
    ui_->pLabel->setPalette(blue);
    QPalette red = ui_->p1Label->palette();
    red.setColor(QPalette::WindowText, ToQColor(clRed));
    ui_->p1Label->setPalette(red);

    for (QTextEdit *edit : {ui_->SureRichEdit, ui_->pRichEdit, ui_->p1RichEdit}) {
        edit->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter));
        connect(edit, &QTextEdit::cursorPositionChanged, this,
                &TCoefficient::SureRichEditSelectionChange);
    }
    ui_->ScrollBar1->setRange(0, 100);
    connect(ui_->ScrollBar1, &QScrollBar::actionTriggered, this, &TCoefficient::ScrollBar1Scroll);
    connect(ui_->SureBitBtn, &QPushButton::clicked, this, &TCoefficient::SureBitBtnClick);
    connect(ui_->LotteryBitBtn, &QPushButton::clicked, this, &TCoefficient::LotteryBitBtnClick);
    connect(ui_->IndifferentBitBtn, &QPushButton::clicked, this,
            &TCoefficient::IndifferentBitBtnClick);
    connect(ui_->ExitBitBtn, &QPushButton::clicked, this, &TCoefficient::ExitBitBtnClick);
    connect(ui_->HelpBitBtn, &QPushButton::clicked, this, &TCoefficient::HelpBitBtnClick);
}

TCoefficient::~TCoefficient() = default;

QString TCoefficient::FormatNumber(double value, int decimals) {
    return FormatFixed(value, decimals);
}

void TCoefficient::Prepare(double lo, double hi, int i) {
    const std::vector<TPROBLEM> &criteria = Kavrel->Criteria;
    setWindowTitle(QStringLiteral("Assessment of Scaling Coefficient for Attribute - ") +
                   criteria.at(size_t(i)).Name);
    SelectionChanged = false;
    ClosingByProgram = false;
    Question.Start(lo, hi);
    ShowQuestion();

    QTextEdit *edits[] = {ui_->SureRichEdit, ui_->pRichEdit, ui_->p1RichEdit};
    QStringList lines[3];
    for (Index = 0; Index < int(criteria.size()); ++Index) {
        const TPROBLEM &c = criteria[size_t(Index)];
        if (!c.Used)
            continue;
        const double best = c.Cost ? c.Min : c.Max;
        const double worst = c.Cost ? c.Max : c.Min;
        lines[0] << ValueLine(c, Index == i ? best : worst);
        lines[1] << ValueLine(c, best);
        lines[2] << ValueLine(c, worst);
    }
    for (int e = 0; e < 3; ++e) {
        const QSignalBlocker quiet(edits[e]);
        edits[e]->setPlainText(lines[e].join(QLatin1Char('\n')));
        edits[e]->moveCursor(QTextCursor::Start);
    }
    Index = i;
    ui_->ScrollBar1->setVisible(lines[0].size() > 4 || lines[1].size() > 4 || lines[2].size() > 4);
    ui_->SureBitBtn->setFocus();
}

void TCoefficient::Ask(double lo, double hi, int i) {
    if (!Kavrel || i < 0 || i >= int(Kavrel->Criteria.size()))
        return;
    Prepare(lo, hi, i);
    ShowModalForm(this);
}

void TCoefficient::ShowQuestion() {
    const int precision = Kavrel ? Kavrel->ProbabilityPrecision : 3;
    ui_->pLabel->setText(FormatNumber(P, precision));
    ui_->pLabel->setToolTip(FloatToStr(P));
    ui_->p1Label->setText(FormatNumber(1.0 - P, precision));
    ui_->p1Label->setToolTip(FloatToStr(1.0 - P));
    SetProbabilityPie(Series1, P, precision);
}

void TCoefficient::Answer(TAnswer answer) {
    if (!Kavrel || !isVisible())
        return;
    const TAnswerResult r = Question.Answer(answer, Kavrel->Questions);
    switch (r.Outcome) {
    case TAnswerOutcome::PrecisionStop:
        SetLabelBackground(ui_->pLabel, true);
        MessageDlg(PrecisionReached + r.ProposalText, mtInformation, mbOK, this);
        SetLabelBackground(ui_->pLabel, false);
        Accept(P);
        break;
    case TAnswerOutcome::QuestionLimit: {
        SetLabelBackground(ui_->pLabel, true);
        const std::optional<double> typed =
            MaxQuestions ? MaxQuestions->Execute(r.Lo, r.Hi) : std::optional<double>(P);
        SetLabelBackground(ui_->pLabel, false);
        if (!typed) {
            // No final value (the program is closing): k stays unknown, as by Exit.
            Kavrel->Cancelled = true;
            ClosingByProgram = true;
            close();
            break;
        }
        P = *typed;
        Accept(P);
        break;
    }
    case TAnswerOutcome::Narrowed:
        ShowQuestion();
        break;
    }
}

void TCoefficient::SureBitBtnClick() {
    Answer(TAnswer::Sure);
}

void TCoefficient::LotteryBitBtnClick() {
    Answer(TAnswer::Lottery);
}

void TCoefficient::IndifferentBitBtnClick() {
    if (isVisible())
        Accept(P);
}

void TCoefficient::Accept(double p) {
    K = p;
    TPROBLEM &c = Kavrel->Criteria.at(size_t(Index));
    c.SmallK = K;
    c.KCounted = true;
    ClosingByProgram = true;
    close();
}

void TCoefficient::ExitBitBtnClick() {
    if (MessageDlg(QStringLiteral("Utility function won't be calculated! Exit anyway?"), mtWarning,
                   mbYesNo, this) != mrYes)
        return;
    if (Kavrel)
        Kavrel->Cancelled = true;
    ClosingByProgram = true;
    close();
}

bool TCoefficient::FormCloseQuery() {
    if (!ClosingByProgram)
        return false;
    ClosingByProgram = false;
    return true;
}

void TCoefficient::closeEvent(QCloseEvent *event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    QDialog::done(QDialog::Accepted);
}

void TCoefficient::reject() {
    // Escape is a close like any other: refused unless an answer ended the question.
    close();
}

void TCoefficient::done(int) {
    close();
}

void TCoefficient::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QWidget *p = parentWidget()) {
        const QRect frame = p->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
}

void TCoefficient::ScrollBar1Scroll(int action) {
    QTextEdit *edits[] = {ui_->SureRichEdit, ui_->pRichEdit, ui_->p1RichEdit};
    if (SelectionChanged) {
        // Carets moved by the user would scroll the edits apart: start all at the top.
        for (QTextEdit *edit : edits) {
            edit->setFocus();
            edit->moveCursor(QTextCursor::Start);
            edit->verticalScrollBar()->setValue(0);
        }
        SelectionChanged = false;
        ui_->ScrollBar1->setFocus();
    }
    if (action != QAbstractSlider::SliderSingleStepAdd &&
        action != QAbstractSlider::SliderSingleStepSub)
        return;
    for (QTextEdit *edit : edits)
        ScrollOneLine(edit, action == QAbstractSlider::SliderSingleStepAdd ? 1 : -1);
}

void TCoefficient::SureRichEditSelectionChange() {
    SelectionChanged = true;
}

void TCoefficient::HelpBitBtnClick() {
    if (Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Coefficient));
}

void TCoefficient::FormKeyDown(QKeyEvent *key) {
    if (key->key() == Qt::Key_F1)
        HelpBitBtnClick();
}

bool TCoefficient::PreviewKey(QKeyEvent *event) {
    FormKeyDown(event);
    return false;
}
