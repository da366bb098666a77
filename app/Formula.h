// The utility formula of the solved problem with its numbers: the general
// formula, K, the k of every used criterion and the problem's own formula.
#pragma once

#include "model/Problem.h"
#include "platform/Application.h"
#include "ui_Formula.h"

#include <QDialog>
#include <array>
#include <vector>

class QFrame;
class QLabel;

class TForm_Formula : public QDialog, public Ui::TForm_Formula, public TKeyPreview {
    Q_OBJECT
public:
    explicit TForm_Formula(QWidget *owner = nullptr);
    ~TForm_Formula() override;

    // Labels created while the window is open: entries 1 to UsedCount - 1;
    // entry 0 stands for Label_k and Label_rightside.
    std::array<QLabel *, MaxCriteria> KLabels{};
    std::array<QLabel *, MaxCriteria> FormulaLines{};

    void FormShow();
    void FormClose();
    void BitBtn_copyClick();
    void BitBtn_helpClick();
    void FormKeyDown(QKeyEvent *key);
    // The text Copy formula puts on the clipboard.
    QString FormulaText() const;

    void done(int result) override;

    // Holds every panel and button at the size the content needs.
    QWidget *Content = nullptr;

protected:
    bool PreviewKey(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The whole formula shows only for a finished solution outside elicitation.
    bool FormulaShown() const;
    void PlaceFormulaSigns();
    void PlaceButtons(int left, int top);
    // The content's size, and the window's least size; the window takes it
    // unless it is maximised.
    void SetContentSize(int width, int height);
    void CentreContent();
    // Puts the panels back where the stored form has them.
    void RestorePanels();
    // Widens the panels that their lines do not fit; returns by how much the
    // window must widen with them.
    int FitPanels();
    // Moves the contents of the two upper panels across by `shift` from where they were built.
    void ShiftUpperPanels(int shift);

    struct TPanelPlace {
        QFrame *Panel;
        QRect Stored;
    };
    std::vector<TPanelPlace> storedPanels_;
    int upperShift_ = 0;
};

extern TForm_Formula *Form_Formula;
