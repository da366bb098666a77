// The About box.
#pragma once

#include "ui_F_about.h"

#include <QDialog>

class TFAbout : public QDialog, public Ui::TFAbout {
    Q_OBJECT
public:
    explicit TFAbout(QWidget *owner = nullptr);

    void SB_Exit_FunctionClick();
};

extern TFAbout *FAbout;
