// The scaling-coefficient dialogue: finds k of one criterion by lottery
// questions, bisecting the probability p of the all-best outcome.
#pragma once

#include "elicitation/Lotteries.h"
#include "platform/Application.h"

#include <QDialog>
#include <memory>

class TPieSeries;

namespace Ui {
class TCoefficient;
}

class TCoefficient : public QDialog, public TKeyPreview {
    Q_OBJECT
public:
    explicit TCoefficient(QWidget *parent = nullptr);
    ~TCoefficient() override;

    TCoefficientQuestion Question;
    bool SelectionChanged = false;
    int Index = 0;
    int &Counter = Question.Counter;
    double &P = Question.P;
    double K = 0.0;
    double &PLo = Question.PLo;
    double &PHi = Question.PHi;
    bool ClosingByProgram = false;

    // Asks k of criterion i with p bracketed by [lo, hi]; returns when the form closes.
    void Ask(double lo, double hi, int i);
    // Ask's first half: the question ready, the form not yet shown.
    void Prepare(double lo, double hi, int i);
    void ShowQuestion();
    static QString FormatNumber(double value, int decimals);

    void SureBitBtnClick();
    void LotteryBitBtnClick();
    void IndifferentBitBtnClick();
    void ExitBitBtnClick();
    void HelpBitBtnClick();
    void FormKeyDown(QKeyEvent *key);
    // Whether the form may close now; uses up ClosingByProgram.
    bool FormCloseQuery();
    void ScrollBar1Scroll(int action);
    void SureRichEditSelectionChange();

    Ui::TCoefficient *Form() const { return ui_.get(); }
    TPieSeries *Series1 = nullptr;

protected:
    bool PreviewKey(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;
    void done(int result) override;

private:
    void Answer(TAnswer answer);
    void Accept(double p);

    std::unique_ptr<Ui::TCoefficient> ui_;
};

extern TCoefficient *Coefficient;
