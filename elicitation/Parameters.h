// The elicitation parameters dialog: the probability of the methods with a
// constant probability, the question limit per point and the decimals of
// probabilities. The values live on the main frame.
#pragma once

#include "platform/Application.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TParameter;
}

class TParameter : public QDialog, public TKeyPreview {
    Q_OBJECT
public:
    explicit TParameter(QWidget *parent = nullptr);
    ~TParameter() override;

    // Loads the controls from the frame's stored values.
    void LoadControls();
    void FormShow();
    void ParamOKClick();
    // Enter: checks the three fields without storing; true when the key is used up.
    bool FormKeyPress(QKeyEvent *key);
    // The arrows beside the probability: up adds 0.1, down takes it away.
    void UpDown1Click(bool up);
    void FormKeyDown(QKeyEvent *key);
    void ParamCancelClick();
    void FormClose();
    void ParamHelpClick();

    Ui::TParameter *Form() const { return ui_.get(); }

protected:
    bool PreviewKey(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void FitLabels();

    std::unique_ptr<Ui::TParameter> ui_;
    // What the spin boxes showed when loaded.
    int shownQuestions_ = 0;
    int shownPrecision_ = 0;
};

extern TParameter *Parameter;
