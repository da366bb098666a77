// The final-value dialog: once a segment has used up its questions, the
// decision maker types the indifference value, which must lie in the bracket
// the answers so far have left.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class TMaxQuestions;
}

class TMaxQuestions : public QDialog {
    Q_OBJECT
public:
    explicit TMaxQuestions(QWidget *parent = nullptr);
    ~TMaxQuestions() override;

    double Value = 0.0;
    double Lo = 0.0;
    double Hi = 0.0;
    bool Accepted = false;

    // Shows the dialog modally for the bracket [lo, hi] (both inclusive) and
    // returns the accepted value. Only a valid OK ends it with a value; when
    // its loop ends otherwise (the program closing) there is none.
    std::optional<double> Execute(double lo, double hi);
    // Loads the bounds without showing the dialog (Execute's first half).
    void Prepare(double lo, double hi);

    void OKBitBtnClick();
    // Whether the dialog may close now; a set Accepted is used up.
    bool FormCloseQuery();

    Ui::TMaxQuestions *Form() const { return ui_.get(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    std::unique_ptr<Ui::TMaxQuestions> ui_;
};

extern TMaxQuestions *MaxQuestions;
