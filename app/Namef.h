// Caption of the alternatives' name column, opened from its header cell in the
// alternatives editor.
#pragma once

#include "ui_Namef.h"

#include <QDialog>

class TNameForm : public QDialog, public Ui::TNameForm {
    Q_OBJECT
public:
    explicit TNameForm(QWidget *owner = nullptr);

    void FormShow();
    void OKBitBtnClick();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

extern TNameForm *NameForm;
