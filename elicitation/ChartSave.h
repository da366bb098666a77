// Export of the active chart: a bitmap, metafile or enhanced metafile file, or
// the clipboard in the same three kinds.
#pragma once

#include "platform/Dialogs.h"
#include "ui_ChartSave.h"

#include <QDialog>
#include <QPointer>

class TChart;

class TForm_SaveChart : public QDialog, public Ui::TForm_SaveChart {
    Q_OBJECT
public:
    explicit TForm_SaveChart(QWidget *parent = nullptr);

    // The active chart while the dialog is open; set by whoever opens it.
    QPointer<TChart> Chart;
    TSaveDialog SaveDialog_chart;

    void Button_savetofileClick();
    void Button_clipboardClick();
    void Button_closeClick();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TForm_SaveChart *Form_SaveChart;
