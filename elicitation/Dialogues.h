// The question dialogue: lottery questions about one segment of one
// criterion's utility function, ending in one new point of that function.
#pragma once

#include "elicitation/Lotteries.h"
#include "platform/Application.h"

#include <QDialog>
#include <memory>

class QLabel;
class TPieSeries;

namespace Ui {
class TDialogue;
}

class TDialogue : public QDialog, public TKeyPreview {
    Q_OBJECT
public:
    explicit TDialogue(QWidget *parent = nullptr);
    ~TDialogue() override;

    // The arithmetic of the running method; the members below name its fields.
    TSegmentQuestion Question;
    int &Index = Question.Index;
    int &Counter = Question.Counter;
    double &P = Question.P;
    double &Q = Question.Q;
    double &OneMinusP = Question.OneMinusP;
    double &X = Question.X;
    double &NewU = Question.NewU;
    double &XLo = Question.XLo;
    double &XHi = Question.XHi;
    double &ULo = Question.ULo;
    double &UHi = Question.UHi;
    bool PointAdded = false;
    bool ClosingByProgram = false;

    // The chart window's double click: arranges the panels for the method,
    // then starts it on the segment of criterion index.
    void ArrangePanels(int method);
    void StartConstantProbability(double xLeft, double uLeft, double xRight, double uRight,
                                  int index);
    void StartVariableProbability(double xLeft, double uLeft, double xRight, double uRight,
                                  int index);
    void StartLotteryComparison(double xLeft, double uLeft, double xRight, double uRight,
                                int index);
    void StartProbabilityComparison(double xLeft, double uLeft, double xRight, double uRight,
                                    int index);

    void ShowQuestion(int index);
    void ShowLotteryQuestion(int index);
    static QString FormatNumber(double value, int decimals);
    void ShowActiveRange(int index, bool shown, double x1, double u1, double x2, double u2);

    void SureBitBtnClick();
    void LotteryBitBtnClick();
    void IndifferentBitBtnClick();
    void LotteryBitBtn1Click();
    void LotteryBitBtn2Click();
    void IndifferentLotteryBitBtnClick();
    void ExitBitBtnClick();
    void HelpBitBtnClick();
    void FormKeyDown(QKeyEvent *key);
    // Whether the window may close now; an allowed close uses up ClosingByProgram.
    bool FormCloseQuery();
    void FormHide();

    Ui::TDialogue *Form() const { return ui_.get(); }
    TPieSeries *Series1 = nullptr;
    TPieSeries *PieSeries1 = nullptr;
    TPieSeries *PieSeries2 = nullptr;

protected:
    bool PreviewKey(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void Start(int method, double xLeft, double uLeft, double xRight, double uRight, int index);
    void Answer(TAnswer answer);
    void AddPoint();
    // Ends the run: the question closes, and so does the active chart window.
    void Cancel();
    // The label that shows the proposal of the running method.
    QLabel *ProposalLabel() const;
    void SetValueLabel(QLabel *label, double value, int decimals);
    void ShowRange();

    std::unique_ptr<Ui::TDialogue> ui_;
};

extern TDialogue *Dialogue;

// Shared by the two lottery dialogues.
void SetProbabilityPie(TPieSeries *series, double p, int decimals);
void SetLabelBackground(QLabel *label, bool highlighted);
