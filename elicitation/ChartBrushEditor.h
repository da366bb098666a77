// The pattern editor of the shaded ranges: colour and fill style of a brush.
// The caller loads the public fields, shows the dialog and reads them back; they
// change only on OK.
#pragma once

#include "platform/Chart.h"
#include "ui_ChartBrushEditor.h"

#include <QDialog>
#include <cstdint>

class QColorDialog;

// The stored brush style codes 1..8 ("&None" .. "&Solid") as the chart's brush
// styles. Code 8 lies beyond the chart's own style values and fills solid, as
// does any code no item stands for.
TBrushStyle BrushStyleOfCode(std::uint8_t code);

class TForm_BrushEditor : public QDialog, public Ui::TForm_BrushEditor {
    Q_OBJECT
public:
    explicit TForm_BrushEditor(QWidget *parent = nullptr);

    TColor BrushColor = clBlack;
    std::uint8_t BrushStyle = 8; // code 1..8: radio item + 1

    QColorDialog *ColorDialog_brush;

    void FormActivate();
    void Button_colorClick();
    void Button_okClick();
    void Button_cancelClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TForm_BrushEditor *Form_BrushEditor;
