// The border editor of the shaded ranges: colour, width and line style of a pen.
// The caller loads the public fields, shows the dialog and reads them back; they
// change only on OK.
#pragma once

#include "platform/Chart.h"
#include "ui_ChartPenEditor.h"

#include <QDialog>
#include <cstdint>

class QColorDialog;

// The stored pen style codes 1..6 ("Dash" .. "Solid") as the chart's pen
// styles; a code outside them draws solid.
TPenStyle PenStyleOfCode(std::uint8_t code);

class TForm_PenEditor : public QDialog, public Ui::TForm_PenEditor {
    Q_OBJECT
public:
    explicit TForm_PenEditor(QWidget *parent = nullptr);

    TColor PenColor = clBlack;
    std::uint8_t PenStyle = 6; // code 1..6: radio item + 1
    int PenWidth = 1;          // 1..100

    QColorDialog *ColorDialog_pen;

    void FormActivate();
    void CSpinEdit_widthChange();
    void Button_colorClick();
    void Button_okClick();
    void Button_cancelClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TForm_PenEditor *Form_PenEditor;
