// The chart's settings dialog and its print preview.
#pragma once

#include "platform/Chart.h"

#include <QDialog>
#include <QPageLayout>
#include <QPushButton>
#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QSpinBox;
class QTabWidget;

// A button that shows a colour and lets the user pick another.
class TColorButton : public QPushButton {
public:
    explicit TColorButton(QWidget *parent = nullptr);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

private:
    TColor color_ = clBlack;
};

enum TChartEditorTab { cetTitles, cetAxes, cetSeries, cetBackground };

// Modal editor for the settings the program changes: titles, axes with their
// increments and formats, the line series' colour, pen, pointer and marks,
// and the background. OK writes the changes to the chart.
class TChartEditor : public QDialog {
public:
    explicit TChartEditor(QWidget *parent = nullptr);

    TChart *Chart = nullptr;
    TLineSeries *Series = nullptr; // nullptr: the chart's first line series
    TChartEditorTab DefaultTab = cetAxes;

    void SetTabVisible(TChartEditorTab tab, bool visible);
    // Runs the dialog on Chart; true when the user pressed OK.
    bool Execute();
    void LoadFromChart();
    void ApplyToChart();

    // The controls, for the dialog's own use and for tests.
    QTabWidget *Tabs;
    QPlainTextEdit *TitleText;
    QPlainTextEdit *FootText;
    TColorButton *TitleColor;
    QComboBox *AxisChoice;
    QLineEdit *AxisTitle;
    QCheckBox *AxisAutomatic;
    QDoubleSpinBox *AxisMinimum;
    QDoubleSpinBox *AxisMaximum;
    QDoubleSpinBox *AxisIncrement;
    QLineEdit *AxisFormat;
    QCheckBox *AxisVisible;
    QCheckBox *AxisGrid;
    TColorButton *SeriesColor;
    QSpinBox *PenWidth;
    QComboBox *PenStyle;
    QCheckBox *PointerVisible;
    QComboBox *PointerStyle;
    QCheckBox *SeriesStairs;
    QCheckBox *MarksVisible;
    QComboBox *MarksStyle;
    TColorButton *MarksBackColor;
    TColorButton *PanelColor;
    QCheckBox *GradientVisible;
    TColorButton *GradientStart;
    TColorButton *GradientEnd;

private:
    struct AxisSettings {
        QString title;
        bool automatic, visible, grid;
        double minimum, maximum, increment;
        QString format;
    };
    TChartAxis *AxisAt(int index) const;
    TLineSeries *EditedSeries() const;
    void ShowAxis(int index);
    void KeepAxis(int index);
    std::array<AxisSettings, 4> axes_{};
    int shownAxis_ = -1;
};

// Print preview of a chart on the platform's preview dialog.
class TChartPreviewer {
public:
    TChart *Chart = nullptr;
    QString Title;
    bool Execute(QWidget *parent = nullptr);
    // Draws the chart on the printer's page, as wide as the page allows
    // with the proportions it has on screen.
    void PaintTo(QPrinter *printer) const;
    // Prints the chart on the queue `printer` prints to: written as a PDF
    // file and handed to the queue. False with `error` when the queue did
    // not take it (empty when cancelled).
    bool PrintOnQueue(const QPrinter &printer, QWidget *parent, QString *error) const;

private:
    void Paint(QPainter &painter, const QPageLayout &layout, int resolution) const;
};
