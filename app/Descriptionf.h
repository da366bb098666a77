// Caption of the alternatives' description column, opened from its header cell in the
// alternatives editor.
#pragma once

#include "ui_Descriptionf.h"

#include <QDialog>

class TDescriptionForm : public QDialog, public Ui::TDescriptionForm {
    Q_OBJECT
public:
    explicit TDescriptionForm(QWidget *owner = nullptr);

    void FormShow();
    void OKBitBtnClick();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

extern TDescriptionForm *DescriptionForm;
