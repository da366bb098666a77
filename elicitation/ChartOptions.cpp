// The main frame's chart commands: the options every chart window shares
// (cross-hair, panning, scroll bars, zoom, value marks, the two shadows), the
// picture, print, background and appearance dialogs of the active chart, and
// the chart editor whose settings reach every chart window.
#include "app/Dazazezad.h"
#include "elicitation/ChartBitmap.h"
#include "elicitation/ChartSave.h"
#include "elicitation/ChartShadows.h"
#include "elicitation/Chartmain.h"

#include <QScrollBar>

namespace {
// Title, caption and axes of a chart window as its criterion names them.
void LabelChartWindow(TForm_chart &window, const TPROBLEM &criterion) {
    window.setWindowTitle(criterion.Name + QStringLiteral(" - chart of utility function "));
    QStringList title = window.Chart->Title.Text;
    if (title.isEmpty())
        title << QString();
    title[0] = QStringLiteral("Utility function for ") + criterion.Name;
    window.Chart->Title.Text = title;
    window.Chart->BottomAxis.Title.SetCaption(criterion.Name + QStringLiteral(" [") +
                                              criterion.Units + QStringLiteral("]"));
    const QString uTitle = QStringLiteral("U (") + criterion.Name + QStringLiteral(")");
    window.Chart->LeftAxis.Title.SetCaption(uTitle);
    window.Chart->RightAxis.Title.SetCaption(uTitle);
    window.Series->VertAxis = criterion.Cost ? aLeftAxis : aRightAxis;
}

void ApplyPanning(TForm_chart &window, bool move) {
    window.Chart->AllowPanning = move ? pmBoth : pmNone;
    window.SetChartPopupMenu(move ? nullptr : window.PopupMenu_chart);
}

void ApplyScrollBars(TForm_chart &window, bool shown) {
    window.ScrollBar_hor->setVisible(shown);
    window.ScrollBar_ver->setVisible(shown);
    if (shown)
        window.UpdateScrollBars();
}
} // namespace

void TKavrel::SetUpChartOptions() {
    connect(SB_Save_Chart, &QAction::triggered, this, &TKavrel::SB_Save_ChartClick);
    connect(Menu_SaveChart, &QAction::triggered, this, &TKavrel::SB_Save_ChartClick);
    connect(SB_Print_Chart, &QAction::triggered, this, &TKavrel::SB_Print_ChartClick);
    connect(Menu_PrintChart, &QAction::triggered, this, &TKavrel::SB_Print_ChartClick);
    connect(SB_Cross_Chart, &QAction::triggered, this, &TKavrel::SB_Cross_ChartClick);
    connect(SB_Move_Chart, &QAction::triggered, this, &TKavrel::SB_Move_ChartClick);
    connect(SB_Scrol_Chart, &QAction::triggered, this, &TKavrel::SB_Scrol_ChartClick);
    connect(SB_Zoom_Chart, &QAction::triggered, this, &TKavrel::SB_Zoom_ChartClick);
    connect(Menu_Cross, &QAction::triggered, this, &TKavrel::Menu_CrossClick);
    connect(Menu_Move, &QAction::triggered, this, &TKavrel::Menu_MoveClick);
    connect(Menu_Scroll, &QAction::triggered, this, &TKavrel::Menu_ScrollClick);
    connect(Menu_Zoom, &QAction::triggered, this, &TKavrel::Menu_ZoomClick);
    connect(SpeedButton_zoomreset, &QAction::triggered, this, &TKavrel::SpeedButton_zoomresetClick);
    connect(SB_Marksx_Chart, &QAction::triggered, this, &TKavrel::SB_Marksx_ChartClick);
    connect(Menu_MarksX, &QAction::triggered, this, &TKavrel::SB_Marksx_ChartClick);
    connect(SB_Marksy_Chart, &QAction::triggered, this, &TKavrel::SB_Marksy_ChartClick);
    connect(Menu_MarksY, &QAction::triggered, this, &TKavrel::SB_Marksy_ChartClick);
    connect(Menu_ShadowChart, &QAction::triggered, this, &TKavrel::Menu_ShadowChartClick);
    connect(Menu_Dynamicshadow, &QAction::triggered, this, &TKavrel::Menu_DynamicshadowClick);
    connect(Menu_InsertBitmap, &QAction::triggered, this, &TKavrel::Menu_InsertBitmapClick);
    connect(Menu_EditShadows, &QAction::triggered, this, &TKavrel::Menu_EditShadowsClick);
    connect(Menu_EditChart, &QAction::triggered, this, &TKavrel::Menu_EditChartClick);
}

std::vector<TForm_chart *> TKavrel::ChartWindows(bool withTemplate) const {
    std::vector<TForm_chart *> windows;
    const int count = std::min(int(Criteria.size()), int(MaxCriteria));
    for (int i = 0; i < count; ++i) {
        if (TForm_chart *window = Charts[size_t(i)])
            windows.push_back(window);
    }
    // The window kept aside returns when a correction is cancelled, with the
    // options of that moment.
    if (TForm_chart *kept = SavedChartWindow;
        kept && std::find(windows.begin(), windows.end(), kept) == windows.end())
        windows.push_back(kept);
    if (withTemplate && Form_chart)
        windows.push_back(Form_chart);
    return windows;
}

// The toggles take the button's state: a checkable action has toggled itself
// before its handler runs.

void TKavrel::SB_Cross_ChartClick() {
    CrossMode = SB_Cross_Chart->isChecked();
    Menu_Cross->setChecked(CrossMode);
    if (CrossMode) {
        // Cross and zoom exclude each other.
        SB_Zoom_Chart->setChecked(false);
        SB_Zoom_ChartClick();
    }
}

void TKavrel::SB_Zoom_ChartClick() {
    ZoomMode = SB_Zoom_Chart->isChecked();
    for (TForm_chart *window : ChartWindows(true))
        window->Chart->AllowZoom = ZoomMode;
    Menu_Zoom->setChecked(ZoomMode);
    if (ZoomMode) {
        SB_Cross_Chart->setChecked(false);
        SB_Cross_ChartClick();
    }
}

void TKavrel::SB_Move_ChartClick() {
    MoveMode = SB_Move_Chart->isChecked();
    for (TForm_chart *window : ChartWindows(true))
        ApplyPanning(*window, MoveMode);
    Menu_Move->setChecked(MoveMode);
}

void TKavrel::SB_Scrol_ChartClick() {
    ScrollMode = SB_Scrol_Chart->isChecked();
    for (TForm_chart *window : ChartWindows(false))
        ApplyScrollBars(*window, ScrollMode);
    Menu_Scroll->setChecked(ScrollMode);
}

// The menu item has toggled itself already: the button follows it.

void TKavrel::Menu_CrossClick() {
    SB_Cross_Chart->setChecked(Menu_Cross->isChecked());
    SB_Cross_ChartClick();
}

void TKavrel::Menu_MoveClick() {
    SB_Move_Chart->setChecked(Menu_Move->isChecked());
    SB_Move_ChartClick();
}

void TKavrel::Menu_ScrollClick() {
    SB_Scrol_Chart->setChecked(Menu_Scroll->isChecked());
    SB_Scrol_ChartClick();
}

void TKavrel::Menu_ZoomClick() {
    SB_Zoom_Chart->setChecked(Menu_Zoom->isChecked());
    SB_Zoom_ChartClick();
}

void TKavrel::SpeedButton_zoomresetClick() {
    TForm_chart *window = ActiveChart();
    if (!window)
        return;
    window->Chart->UndoZoom();
    window->UpdateScrollBars();
}

void TKavrel::ApplyMarks() {
    // Never both: X wins as it did when it was switched on last.
    if (MarksX)
        MarksY = false;
    SB_Marksx_Chart->setChecked(MarksX);
    Menu_MarksX->setChecked(MarksX);
    SB_Marksy_Chart->setChecked(MarksY);
    Menu_MarksY->setChecked(MarksY);
    // The criteria's windows only: the template keeps the marks Edit Chart gave
    // it, and the report's charts take their look from it.
    for (TForm_chart *window : ChartWindows(false)) {
        TSeriesMarks &marks = window->Series->Marks;
        if (MarksX) {
            marks.SetBackColor(clWhite);
            marks.SetStyle(smsXValue);
        } else if (MarksY) {
            marks.SetBackColor(clYellow);
            marks.SetStyle(smsValue);
        }
        marks.SetVisible(MarksX || MarksY);
        window->Popup_MarksX->setChecked(MarksX);
        window->Popup_MarksY->setChecked(MarksY);
        window->Series->Repaint();
    }
}

void TKavrel::SetMarksX() {
    MarksX = !MarksX;
    if (MarksX)
        MarksY = false;
    ApplyMarks();
}

void TKavrel::SetMarksY() {
    MarksY = !MarksY;
    if (MarksY)
        MarksX = false;
    ApplyMarks();
}

void TKavrel::SB_Marksx_ChartClick() {
    SetMarksX();
}

void TKavrel::SB_Marksy_ChartClick() {
    SetMarksY();
}

void TKavrel::Menu_ShadowChartClick() {
    ChartShadow = Menu_ShadowChart->isChecked();
    if (TForm_chart *window = ActiveChart())
        window->Chart->Repaint();
}

void TKavrel::Menu_DynamicshadowClick() {
    DynamicShadow = Menu_Dynamicshadow->isChecked();
    if (TForm_chart *window = ActiveChart())
        window->Chart->Repaint();
}

void TKavrel::SB_Save_ChartClick() {
    TForm_chart *window = ActiveChart();
    if (!window || !Form_SaveChart)
        return;
    Form_SaveChart->Chart = window->Chart;
    Form_SaveChart->exec();
    Form_SaveChart->Chart = nullptr;
}

void TKavrel::SB_Print_ChartClick() {
    if (TForm_chart *window = ActiveChart())
        window->ChartPreviewer_main.Execute(this);
}

void TKavrel::Menu_InsertBitmapClick() {
    TForm_chart *window = ActiveChart();
    if (!window || !Form_Bitmap)
        return;
    Form_Bitmap->Chart = window->Chart;
    Form_Bitmap->exec();
    Form_Bitmap->Chart = nullptr;
}

void TKavrel::Menu_EditShadowsClick() {
    if (!Form_Shadows)
        return;
    Form_Shadows->exec();
    // The windows draw the shadows from the settings: show the new ones.
    for (TForm_chart *window : ChartWindows(false))
        window->Chart->Repaint();
}

void TKavrel::Menu_EditChartClick() {
    if (!Form_chart)
        return;
    TChartEditor *editor = Form_chart->ChartEditor_main;
    editor->Chart = Form_chart->Chart;
    editor->Series = Form_chart->Series;
    editor->Execute();

    // Whatever the answer, every window takes the template's settings again.
    MoveMode = SB_Move_Chart->isChecked();
    for (TForm_chart *window : ChartWindows(false)) {
        // The background picture belongs to the window, not to the look.
        const QImage picture = window->Chart->BackImage;
        const TBackImageMode mode = window->Chart->BackImageMode;
        const bool inside = window->Chart->BackImageInside;
        window->Chart->Assign(*Form_chart->Chart);
        window->Chart->BackImage = picture;
        window->Chart->BackImageMode = mode;
        window->Chart->BackImageInside = inside;
        if (window->Tag >= 0 && window->Tag < int(Criteria.size()))
            LabelChartWindow(*window, Criteria[size_t(window->Tag)]);
        SetupFunctionSeries(window->Series);
        ApplyPanning(*window, MoveMode);
        ApplyScrollBars(*window, SB_Scrol_Chart->isChecked());
        window->Chart->AllowZoom = SB_Zoom_Chart->isChecked();
        window->Chart->Invalidate();
    }
    // The marks as the switches say: the editor may have changed the
    // template's, and every window took them with its series' look.
    ApplyMarks();
}
