#include "elicitation/Maxquestion.h"
#include "model/Problem.h"
#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "ui_Maxquestion.h"

#include <QCloseEvent>

TMaxQuestions *MaxQuestions = nullptr;

TMaxQuestions::TMaxQuestions(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::TMaxQuestions>()) {
    ui_->setupUi(this);
    setFixedSize(315, 136);
    QPalette green = ui_->MinLabel->palette();
    green.setColor(QPalette::WindowText, ToQColor(clGreen));
    ui_->MinLabel->setPalette(green);
    ui_->MaxLabel->setPalette(green);
    connect(ui_->OKBitBtn, &QPushButton::clicked, this, &TMaxQuestions::OKBitBtnClick);
}

TMaxQuestions::~TMaxQuestions() = default;

void TMaxQuestions::Prepare(double lo, double hi) {
    Accepted = false;
    ui_->MinLabel->setText(FloatToExactStr(lo));
    ui_->MinLabel->setToolTip(FloatToExactStr(lo));
    Lo = lo;
    ui_->MaxLabel->setText(FloatToExactStr(hi));
    ui_->MaxLabel->setToolTip(FloatToExactStr(hi));
    Hi = hi;
    ui_->ValueEdit->clear();
}

std::optional<double> TMaxQuestions::Execute(double lo, double hi) {
    Prepare(lo, hi);
    // Value still holds the last answer: only this one's OK counts.
    if (ShowModalForm(this) != QDialog::Accepted)
        return std::nullopt;
    return Value;
}

void TMaxQuestions::OKBitBtnClick() {
    ui_->ValueEdit->setFocus();
    double v = 0.0;
    if (!TextToFloat(ui_->ValueEdit->text(), v)) {
        MessageDlg(tr("Non numerical value. Entered value must fit between the boundaries."),
                   mtError, mbOK, this);
        return;
    }
    if (v < Lo || v > Hi) {
        MessageDlg(tr("Entered value must fit between the boundaries."), mtError, mbOK, this);
        return;
    }
    Value = v;
    Accepted = true;
    close();
}

bool TMaxQuestions::FormCloseQuery() {
    if (!Accepted)
        return false;
    Accepted = false;
    return true;
}

void TMaxQuestions::closeEvent(QCloseEvent *event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    done(QDialog::Accepted);
}

void TMaxQuestions::reject() {
    // Escape goes through the same refusal as the window's close.
    close();
}

void TMaxQuestions::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (const QWidget *p = parentWidget()) {
        const QRect frame = p->window()->frameGeometry();
        move(frame.center() - rect().center());
    }
}
