// The chart window of one criterion: draws its utility function, shades the
// segment under the mouse and the active range of the open question, shows a
// cross-hair with values, zooms, scrolls and pans, starts the criterion's
// question method on a double click, and refuses to close during elicitation
// unless the user cancels the run.
#pragma once

#include "platform/Application.h"
#include "platform/Chart.h"
#include "platform/ChartEditor.h"
#include "ui_Chartmain.h"

#include <QCursor>
#include <QRect>
#include <QWidget>

class QMenu;
class QMdiSubWindow;

class TForm_chart : public QWidget, public Ui::TForm_chart, public TCloseQuery {
    Q_OBJECT
public:
    // The window is made a hidden top-level window of its owner; the frame
    // puts it into its client area when it shows it.
    explicit TForm_chart(QWidget *owner = nullptr);
    ~TForm_chart() override;

    int HoveredSegment = 0; // segment from point i-1 to point i; 0 for none
    double ActiveX1 = 0.0;  // active range of the open question
    double ActiveX2 = 0.0;
    double ActiveU1 = 0.0;
    double ActiveU2 = 0.0;
    int LastCrossX = -1; // cross-hair on screen; -1 when none
    int LastCrossY = -1;
    QRect HoverRect;  // the hovered segment as the mouse move computed it
    QRect ShadedRect; // the chart range shaded last
    bool Syncing = false;
    int LastHorPosition = 0;
    int LastVerPosition = 0;
    int ScrollRange = 1000; // Max of both scroll bars, 950..1000
    bool CloseWithoutAsking = false;
    int Tag = 0;        // the criterion's position in the frame's criteria
    QCursor ZoomCursor; // shown over the plot while the zoom option is on

    TLineSeries *Series;
    TChartEditor *ChartEditor_main;
    TChartPreviewer ChartPreviewer_main;
    QMenu *PopupMenu_chart;
    QAction *Popup_MarksX;
    QAction *Popup_MarksY;

    // The popup menu the chart shows on a right click; none while the chart pans.
    QMenu *ChartPopupMenu() const { return chartPopup_; }
    void SetChartPopupMenu(QMenu *menu) { chartPopup_ = menu; }

    // The frame window around this one in the client area, or null.
    QMdiSubWindow *SubWindow() const;

    // The segment under a pixel column: the index of the point that ends it, 0 for none.
    int SegmentAt(int X) const;

    // After the line was refilled: the pointed read-out names the segment now
    // under the column last pointed at.
    void RefreshPointedRange();
    // The window stops being the one elicited: no segment stays pointed at,
    // so no later repaint draws its active line or its shading.
    void DropPointedSegment();
    void DrawShadedRange();
    void DrawCrossHair(int X, int Y);
    void UpdateScrollBars();

    // The read-out line of the window's status bar.
    QString SimpleText() const;
    void SetSimpleText(const QString &text);

    void ChartMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void ChartMouseMove(TShiftState Shift, int X, int Y);
    void ChartMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void ChartClickSeries(TChartSeries *Sender, int ValueIndex, TMouseButton Button,
                          TShiftState Shift, int X, int Y);
    void ChartResize();
    void ChartScroll();
    void ChartZoom();
    void ChartUndoZoom();
    void SeriesBeforeDrawValues();
    void ScrollBar_horChange();
    void ScrollBar_verChange();
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    void FormCloseQuery(bool &CanClose) override;
    void FormClose();
    void FormActivate();
    // The frame window's state changed (minimised or back).
    void FormResize();
    void FormKeyDown(QKeyEvent *Key);
    void Popup_MarksXClick();
    void Popup_MarksYClick();

    // The size a new window opens and cascades with.
    QSize sizeHint() const override { return {520, 360}; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Every point back in the series' own colour, from the first to the last visible.
    void ResetPointColors();
    // Colours the line that ends at point i, unless it has that colour already.
    void ColorSegment(int i, TColor color);
    // The hover of a dialogue: the segment under the column, its read-out,
    // active line and shading.
    void PointSegmentAt(int X);
    void SetCloseWithoutAskingEverywhere(bool onSavedWindow);
    int NormalChildCount() const;

    QMenu *chartPopup_ = nullptr;
    int pointedX_ = -1; // the column the "Pointed range" read-out is for; -1 when none
};

// The template window: every chart window takes its chart settings from it.
extern TForm_chart *Form_chart;
