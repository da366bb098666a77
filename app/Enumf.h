// The enumeration viewer: the labels and numbers of the criterion selected in
// the criteria editor, read only.
#pragma once

#include "ui_Enumf.h"

#include <QDialog>

class TEnumForm : public QDialog, public Ui::TEnumForm {
    Q_OBJECT
public:
    explicit TEnumForm(QWidget *owner = nullptr);

    void FormShow();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

extern TEnumForm *EnumForm;
