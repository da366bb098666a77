// The criteria editor: creates, deletes and edits the criteria of the problem
// in place, and puts everything back when it closes without OK.
#pragma once

#include "model/CriteriaEdit.h"
#include "platform/Dialogs.h"
#include "ui_Criteriaf.h"

#include <QDialog>

class TCriteriaForm : public QDialog, public Ui::TCriteriaForm {
    Q_OBJECT
public:
    explicit TCriteriaForm(QWidget *owner = nullptr);

    // The edit pass: mrOk after OK with a valid criterion list, mrCancel otherwise.
    int ShowModal();
    int ModalResult = mrNone;

    bool OkPressed = false;
    // Taken when shown: the criteria, ATTRIBUTES and the alternatives.
    TCriteriaSnapshot Snapshot;
    std::vector<TPROBLEM> &SavedCriteria = Snapshot.Criteria;
    QDomElement &SavedAttributes = Snapshot.Attributes;
    int CurrentIndex = 0;

    bool ValidateCriterion(int index);
    void ApplyCriterion();
    void ShowCriterion();
    // What the controls hold, a control the user left as loaded standing for
    // the value it was loaded from.
    TCriterionFields Fields() const;

    void FormCreate();
    void FormShow();
    void CriteriaListBoxClick();
    void NewButtonClick();
    void DeleteButtonClick();
    void EnumButtonClick();
    void OKBitBtnClick();
    void CancelBitBtnClick();
    void FormCloseQuery(bool &CanClose);
    void BitBtn1Click();
    void EnableActionExecute() {}

    // OK, Enter and Escape close through the close question as the close box does.
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void LoadControls(const TPROBLEM &criterion);
    // The controls' texts and states as they are.
    TCriterionFields ControlFields() const;
    void SetEditEnabled(bool enabled);
    void SelectItem(int row);
    void RefillList();
    QByteArray shownDocument_;
    // The controls as loaded for the criterion at CurrentIndex, and its values then.
    TCriterionFields shownFields_;
    TCriterionFields loadedFields_;
    bool usedLocked_ = false; // an enumerated criterion's Used box stays off
};

extern TCriteriaForm *CriteriaForm;
