// The appearance of the two shaded ranges of the chart windows and of the
// active line, edited in the main frame's settings through the pen and brush
// editors.
#pragma once

#include "ui_ChartShadows.h"

#include <QDialog>

class QColorDialog;

class TForm_Shadows : public QDialog, public Ui::TForm_Shadows {
    Q_OBJECT
public:
    explicit TForm_Shadows(QWidget *parent = nullptr);

    QColorDialog *ColorDialog_line;

    void FormShow();
    void Button_chartborderClick();
    void Button_chartpatternClick();
    void Button_decisionborderClick();
    void Button_decisionpatternClick();
    void Button_chartlineClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TForm_Shadows *Form_Shadows;
