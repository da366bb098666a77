#include "elicitation/Parameters.h"

#include "app/Dazazezad.h"
#include "elicitation/Lotteries.h"
#include "model/Problem.h"
#include "platform/Dialogs.h"
#include "ui_Parameters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

TParameter *Parameter = nullptr;

namespace {
const QString QuestionsRange = QStringLiteral("Number of questions must belong to interval (0,50>");
const QString PrecisionRange =
    QStringLiteral("Precision of the probability value must belong to interval <1,6>");
const QString ProbabilityRange = QStringLiteral("Probability must belong to interval (0,1)");
const QString NonNumerical = QStringLiteral("Non numerical value. ");

bool SpinValue(const QSpinBox *spin, int &value) {
    bool ok = false;
    value = spin->cleanText().trimmed().toInt(&ok);
    return ok;
}

void Error(const QString &text, QWidget *parent) {
    MessageDlg(text, mtError, mbOK, parent);
}
} // namespace

void TKavrel::Menu_ParametersClick() {
    if (!Parameter)
        return;
    const double probability = Probability;
    const int questions = Questions;
    const int precision = ProbabilityPrecision;
    // The dialog validates and stores; its result tells nothing more.
    ShowModalForm(Parameter);
    // The three travel in the problem file; without a problem there is none to save.
    const bool changed =
        Probability != probability || Questions != questions || ProbabilityPrecision != precision;
    if (changed && StatusBar->PanelText(0) != QLatin1String("Problem: None"))
        MarkProblemNotSaved();
}

TParameter::TParameter(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TParameter>()) {
    ui_->setupUi(this);
    setModal(true);
    FitLabels();
    setFixedSize(size());
    for (QSpinBox *spin : {ui_->QuestionSpinEdit, ui_->PrecisionSpinEdit})
        spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    connect(ui_->ParamOK, &QPushButton::clicked, this, &TParameter::ParamOKClick);
    connect(ui_->ParamCancel, &QPushButton::clicked, this, &TParameter::ParamCancelClick);
    connect(ui_->ParamHelp, &QPushButton::clicked, this, &TParameter::ParamHelpClick);
    connect(ui_->UpDown1Up, &QToolButton::clicked, this, [this] { UpDown1Click(true); });
    connect(ui_->UpDown1Down, &QToolButton::clicked, this, [this] { UpDown1Click(false); });
    ui_->ProbabilityEdit->setFocus();
    LoadControls();
}

TParameter::~TParameter() = default;

void TParameter::FitLabels() {
    // A larger font than the form was drawn with would cut the labels: widen
    // them and the window, moving the controls on their right along.
    const QList<QLabel *> labels{ui_->ProbabilityLabel, ui_->QuestionsLabel, ui_->PrecisionLabel};
    int extra = 0;
    for (QLabel *label : labels)
        extra = std::max(extra, label->sizeHint().width() - label->width());
    if (extra <= 0)
        return;
    for (QLabel *label : labels)
        label->resize(label->width() + extra, label->height());
    const QList<QWidget *> right{ui_->ProbabilityEdit, ui_->UpDown1, ui_->QuestionSpinEdit,
                                 ui_->PrecisionSpinEdit};
    for (QWidget *w : right)
        w->move(w->x() + extra, w->y());
    for (QPushButton *w : {ui_->ParamOK, ui_->ParamCancel, ui_->ParamHelp})
        w->move(w->x() + extra / 2, w->y());
    resize(width() + extra, height());
}

void TParameter::LoadControls() {
    if (!Kavrel)
        return;
    ui_->ProbabilityEdit->setText(FloatToExactStr(Kavrel->Probability));
    ui_->QuestionSpinEdit->setValue(Kavrel->Questions);
    ui_->PrecisionSpinEdit->setValue(Kavrel->ProbabilityPrecision);
    shownQuestions_ = ui_->QuestionSpinEdit->value();
    shownPrecision_ = ui_->PrecisionSpinEdit->value();
}

void TParameter::FormShow() {
    LoadControls();
    ui_->ParamOK->setFocus();
}

void TParameter::ParamOKClick() {
    if (!Kavrel)
        return;
    const auto failed = [this](const QString &text, QWidget *control) {
        Error(text, this);
        control->setFocus();
    };
    // Any field that does not read as a number: the one message of the conversion.
    const auto unreadable = [this, &failed](QWidget *control) {
        failed(NonNumerical + ProbabilityRange, control);
        ui_->ProbabilityEdit->setText(FloatToExactStr(Kavrel->Probability));
    };
    int questions = 0;
    if (!SpinValue(ui_->QuestionSpinEdit, questions))
        return unreadable(ui_->QuestionSpinEdit);
    // A spin box still showing what it was loaded with is unchanged, also when
    // it could not show the stored value (a limit of 1 in its 2..50).
    if (questions == shownQuestions_)
        questions = Kavrel->Questions;
    if (questions < 1 || questions > MaxQuestionLimit)
        return failed(QuestionsRange, ui_->QuestionSpinEdit);
    int precision = 0;
    if (!SpinValue(ui_->PrecisionSpinEdit, precision))
        return unreadable(ui_->PrecisionSpinEdit);
    if (precision == shownPrecision_)
        precision = Kavrel->ProbabilityPrecision;
    if (precision < MinProbabilityPrecision || precision > MaxProbabilityPrecision)
        return failed(PrecisionRange, ui_->PrecisionSpinEdit);
    double probability = 0.0;
    if (!TextToFloat(ui_->ProbabilityEdit->text(), probability))
        return unreadable(ui_->ProbabilityEdit);
    if (!(probability > 0.0 && probability < 1.0)) {
        failed(ProbabilityRange, ui_->ProbabilityEdit);
        ui_->ProbabilityEdit->setText(FloatToExactStr(Kavrel->Probability));
        return;
    }
    Kavrel->Probability = probability;
    ui_->ProbabilityEdit->setText(FloatToExactStr(probability));
    Kavrel->Questions = questions;
    Kavrel->ProbabilityPrecision = precision;
    Kavrel->Cancelled = false;
    QDialog::accept();
}

bool TParameter::FormKeyPress(QKeyEvent *key) {
    if (!Kavrel || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter))
        return false;
    // On a button Enter presses that button, as everywhere else.
    if (qobject_cast<QAbstractButton *>(QApplication::focusWidget()))
        return false;
    // Each failed check puts the focus into its control; a later failure takes it on.
    bool failed = false;
    const auto fail = [this, &failed](const QString &text, QWidget *control) {
        Error(text, this);
        control->setFocus();
        failed = true;
    };
    int questions = 0;
    if (!SpinValue(ui_->QuestionSpinEdit, questions))
        fail(NonNumerical + QuestionsRange, ui_->QuestionSpinEdit);
    else if (questions < 1 || questions > MaxQuestionLimit)
        fail(QuestionsRange, ui_->QuestionSpinEdit);
    int precision = 0;
    if (!SpinValue(ui_->PrecisionSpinEdit, precision))
        fail(NonNumerical + PrecisionRange, ui_->PrecisionSpinEdit);
    else if (precision < MinProbabilityPrecision || precision > MaxProbabilityPrecision)
        fail(PrecisionRange, ui_->PrecisionSpinEdit);
    double probability = 0.0;
    const bool readable = TextToFloat(ui_->ProbabilityEdit->text(), probability);
    if (readable && probability > 0.0 && probability < 1.0) {
        // On to the next control only when nothing needs correcting.
        if (!failed)
            focusNextChild();
        return true;
    }
    fail(readable ? ProbabilityRange : NonNumerical + ProbabilityRange, ui_->ProbabilityEdit);
    ui_->ProbabilityEdit->setText(FloatToExactStr(Kavrel->Probability));
    // Enter never stores: it must not reach the default button either.
    return true;
}

void TParameter::UpDown1Click(bool up) {
    double v = 0.0;
    if (!TextToFloat(ui_->ProbabilityEdit->text(), v)) {
        Error(QStringLiteral("None numerical value. ") + ProbabilityRange, this);
        ui_->ProbabilityEdit->setFocus();
        return;
    }
    const QString zero = QStringLiteral("0"), one = QStringLiteral("1");
    // The texts are compared, not the numbers: "0.6" lies between "0" and "1".
    const QString w = FloatToStr(up ? v + 0.1 : v - 0.1);
    if (QString::compare(w, zero) > 0 && QString::compare(w, one) < 0) {
        ui_->ProbabilityEdit->setText(w);
        return;
    }
    const QString current = FloatToStr(v);
    if (QString::compare(current, zero) < 0 || QString::compare(current, one) > 0) {
        if (Kavrel)
            ui_->ProbabilityEdit->setText(FloatToExactStr(Kavrel->Probability));
        ui_->ProbabilityEdit->setFocus();
    }
}

void TParameter::FormKeyDown(QKeyEvent *key) {
    if (key->key() == Qt::Key_F1)
        ParamHelpClick();
}

bool TParameter::PreviewKey(QKeyEvent *event) {
    FormKeyDown(event);
    if (event->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    return FormKeyPress(event);
}

void TParameter::ParamCancelClick() {
    reject();
}

void TParameter::FormClose() {
    LoadControls();
}

void TParameter::reject() {
    FormClose();
    QDialog::reject();
}

void TParameter::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept();
    QDialog::done(QDialog::Rejected);
}

void TParameter::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QWidget *p = parentWidget()) {
        const QRect frame = p->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
    FormShow();
}

void TParameter::ParamHelpClick() {
    if (Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Parameters));
}
