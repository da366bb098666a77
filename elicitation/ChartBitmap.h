// The background picture of the active chart: the picture, how it fills its
// area, and whether that area is the plotting rectangle or the whole chart.
#pragma once

#include "platform/Dialogs.h"
#include "ui_ChartBitmap.h"

#include <QDialog>
#include <QPointer>

class TChart;

class TForm_Bitmap : public QDialog, public Ui::TForm_Bitmap {
    Q_OBJECT
public:
    explicit TForm_Bitmap(QWidget *parent = nullptr);

    // The active chart while the dialog is open; set by whoever opens it.
    QPointer<TChart> Chart;
    TOpenDialog OpenDialog_bitmap;

    void RadioGroup_bitmapClick();
    void BitBtn_openbitmapClick();
    void CheckBox_bitmapClick();
    void Button_bitmapclearClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TForm_Bitmap *Form_Bitmap;
