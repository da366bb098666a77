#include "elicitation/Chartmain.h"

#include "app/AppResources.h"
#include "app/Dazazezad.h"
#include "elicitation/ChartBrushEditor.h"
#include "elicitation/ChartPenEditor.h"
#include "elicitation/Dialogues.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPixmap>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

TForm_chart *Form_chart = nullptr;

namespace {

const QString HoverHint = QStringLiteral("Double click to choose active range (continue dialog)");

// The zoom cursor of the program (the magnifier of the chart toolbar).
QCursor MakeZoomCursor() {
    InitAppResources();
    const QPixmap glass = QIcon(QStringLiteral(":/icons/zoom.svg")).pixmap(24, 24);
    return glass.isNull() ? QCursor(Qt::CrossCursor) : QCursor(glass, 9, 9);
}

QString Readout(const char *format, double a, double b) {
    // Chart read-outs carry a point as decimal mark whatever the locale.
    return QString::asprintf(format, a, b);
}

bool QuestionOpen() {
    return Kavrel && Kavrel->SB_windows->isVisible();
}

// Starts the criterion's question method on a segment; a method outside 1..4 starts nothing.
void StartMethod(int method, double xLeft, double uLeft, double xRight, double uRight, int index) {
    if (!Dialogue || method < 1 || method > 4)
        return;
    Dialogue->ArrangePanels(method);
    switch (method) {
    case 1:
        Dialogue->StartConstantProbability(xLeft, uLeft, xRight, uRight, index);
        break;
    case 2:
        Dialogue->StartVariableProbability(xLeft, uLeft, xRight, uRight, index);
        break;
    case 3:
        Dialogue->StartLotteryComparison(xLeft, uLeft, xRight, uRight, index);
        break;
    default:
        Dialogue->StartProbabilityComparison(xLeft, uLeft, xRight, uRight, index);
        break;
    }
}

// Ends the open question by the program's own hand.
void CloseQuestionDialogue() {
    if (!Dialogue)
        return;
    Dialogue->ClosingByProgram = true;
    Dialogue->close();
    // A hidden dialogue refuses nothing; the flag must not outlive this close.
    Dialogue->ClosingByProgram = false;
}

} // namespace

TForm_chart::TForm_chart(QWidget *owner) : QWidget(owner, Qt::Window) {
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // None of its controls takes the focus: without this a click leaves the
    // keyboard elsewhere, and F1 never reaches the window.
    setFocusPolicy(Qt::ClickFocus);

    // The design-time settings that every chart window copies from the template.
    Chart->Title.Text = QStringList{QStringLiteral("Utility function for criterion")};
    Chart->Title.Color = clBlue;
    Chart->Title.Font = QFont(QStringLiteral("Times New Roman"));
    Chart->Title.Font.setPixelSize(16);
    Chart->View3D = false;
    Chart->MarginLeft = Chart->MarginTop = Chart->MarginRight = Chart->MarginBottom = 5;
    Chart->AllowZoom = false;
    Chart->AllowPanning = pmNone;
    for (TChartAxis *axis : {&Chart->LeftAxis, &Chart->RightAxis}) {
        axis->Title.SetCaption(QStringLiteral("U(x)"));
        axis->AxisValuesFormat = QStringLiteral("0.####");
        axis->SetDesiredIncrement(0.1);
    }
    Chart->LegendVisible = false;
    Chart->Gradient.Visible = true;
    // Tiled or resized, the window keeps room for a plot that reads; the
    // client area scrolls to windows that do not fit.
    Chart->MinimumPlotSize = QSize(100, 100);

    Series = new TLineSeries(Chart);
    Series->VertAxis = aRightAxis;
    Series->SeriesColor = clBlue;
    Series->LinePen.Width = 2;
    Series->Pointer.Visible = true;
    Series->Pointer.Style = psCircle;
    Series->Marks.SetVisible(false);
    Series->Marks.SetStyle(smsXValue);
    Series->BeforeDrawValues = [this](TChartSeries *) { SeriesBeforeDrawValues(); };

    ChartEditor_main = new TChartEditor(this);
    ChartEditor_main->DefaultTab = cetAxes;
    ChartPreviewer_main.Chart = Chart;

    PopupMenu_chart = new QMenu(this);
    PopupMenu_chart->setObjectName(QStringLiteral("PopupMenu_chart"));
    Popup_MarksX = PopupMenu_chart->addAction(QStringLiteral("Marks X Values"));
    Popup_MarksX->setObjectName(QStringLiteral("Popup_MarksX"));
    Popup_MarksX->setCheckable(true);
    Popup_MarksY = PopupMenu_chart->addAction(QStringLiteral("Marks Y Values"));
    Popup_MarksY->setObjectName(QStringLiteral("Popup_MarksY"));
    Popup_MarksY->setCheckable(true);
    chartPopup_ = PopupMenu_chart;
    connect(Popup_MarksX, &QAction::triggered, this, &TForm_chart::Popup_MarksXClick);
    connect(Popup_MarksY, &QAction::triggered, this, &TForm_chart::Popup_MarksYClick);
    connect(Chart, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (chartPopup_)
            chartPopup_->popup(Chart->mapToGlobal(at));
    });

    Chart->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) {
        ChartMouseDown(b, s, x, y);
    };
    Chart->OnMouseMove = [this](TShiftState s, int x, int y) { ChartMouseMove(s, x, y); };
    Chart->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) {
        ChartMouseUp(b, s, x, y);
    };
    Chart->OnClickSeries = [this](TChartSeries *series, int index, TMouseButton b, TShiftState s,
                                  int x, int y) { ChartClickSeries(series, index, b, s, x, y); };
    Chart->OnResize = [this] { ChartResize(); };
    Chart->OnScroll = [this] { ChartScroll(); };
    Chart->OnZoom = [this] { ChartZoom(); };
    Chart->OnUndoZoom = [this] { ChartUndoZoom(); };
    connect(ScrollBar_hor, &QScrollBar::valueChanged, this, &TForm_chart::ScrollBar_horChange);
    connect(ScrollBar_ver, &QScrollBar::valueChanged, this, &TForm_chart::ScrollBar_verChange);

    // The constructor's own work.
    CloseWithoutAsking = false;
    LastCrossX = -1;
    HoveredSegment = 0;
    ScrollRange = 1000;
    Series->Cursor = Qt::PointingHandCursor;
    // The window's own: a picture cursor must not outlive the application.
    ZoomCursor = MakeZoomCursor();
    UpdateScrollBars();
}

TForm_chart::~TForm_chart() {
    // The chart's events refer to this window; none may run while it goes.
    Chart->OnMouseDown = nullptr;
    Chart->OnMouseMove = nullptr;
    Chart->OnMouseUp = nullptr;
    Chart->OnClickSeries = nullptr;
    Chart->OnResize = nullptr;
    Chart->OnScroll = nullptr;
    Chart->OnZoom = nullptr;
    Chart->OnUndoZoom = nullptr;
    Series->BeforeDrawValues = nullptr;
    if (Form_chart == this)
        Form_chart = nullptr;
}

QMdiSubWindow *TForm_chart::SubWindow() const {
    return qobject_cast<QMdiSubWindow *>(parentWidget());
}

QString TForm_chart::SimpleText() const {
    return StatusBar_chart->currentMessage();
}

void TForm_chart::SetSimpleText(const QString &text) {
    pointedX_ = -1;
    if (text.isEmpty())
        StatusBar_chart->clearMessage();
    else
        StatusBar_chart->showMessage(text);
}

int TForm_chart::SegmentAt(int X) const {
    const int count = Series->Count();
    const int last = Series->LastValueIndex();
    if (count < 2 || last < 1 || last >= count)
        return 0;
    if (!(Series->CalcXPos(0) < X))
        return 0;
    for (int i = 1; i <= last; ++i) {
        if (Series->CalcXPos(i) > X)
            return i;
    }
    return 0;
}

void TForm_chart::ResetPointColors() {
    const int last = Series->LastValueIndex();
    if (Series->Count() == 0 || last < 0)
        return;
    bool coloured = false;
    for (TColor c : Series->Colors)
        coloured = coloured || c != clTeeColor;
    // The component repaints on every recolouring; only a change needs one.
    if (coloured)
        Series->ColorRange(Series->XValues, Series->GetxValue(0), Series->GetxValue(last),
                           clTeeColor);
}

void TForm_chart::ColorSegment(int i, TColor color) {
    if (i < 0 || i >= Series->Count() || Series->Colors[size_t(i)] == color)
        return;
    Series->ColorRange(Series->XValues, Series->GetxValue(i), Series->GetxValue(i), color);
}

void TForm_chart::ChartMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button != mbLeft || !(Shift & ssDouble) || !Kavrel || !Kavrel->DialogueMode)
        return;
    if (const QWidget *dialogue = Kavrel->QuestionDialogue(); dialogue && dialogue->isVisible())
        return;
    const int i = SegmentAt(X);
    if (i == 0 || !Chart->ChartRect().contains(X, Y))
        return;
    if (Tag < 0 || Tag >= int(Kavrel->Criteria.size()))
        return;
    Chart->AllowZoom = false;
    const int method = Kavrel->Criteria[size_t(Tag)].Method;
    const double xLeft = Series->GetxValue(i - 1);
    double uLeft = Series->GetyValue(i - 1);
    const double xRight = Series->GetxValue(i);
    double uRight = Series->GetyValue(i);
    if (method == 4 && Kavrel->FirstQuestion) {
        uLeft = 0.0;
        uRight = 1.0;
    }
    StartMethod(method, xLeft, uLeft, xRight, uRight, Tag);
    Kavrel->FirstQuestion = false;
}

void TForm_chart::ChartMouseMove(TShiftState Shift, int X, int Y) {
    if (LastCrossX != -1) {
        DrawCrossHair(LastCrossX, LastCrossY);
        LastCrossX = -1;
    }
    if (!Kavrel)
        return;
    TKavrel &k = *Kavrel;
    if (!Chart->ChartRect().contains(X, Y)) {
        Chart->setCursor(Qt::ArrowCursor);
        SetSimpleText(QString());
    } else if (k.MoveMode && (Shift & ssRight)) {
        Chart->setCursor(Qt::SizeAllCursor);
        SetSimpleText(QString());
    } else if (k.ZoomMode && !k.CrossMode && (!k.DialogueMode || QuestionOpen())) {
        Chart->setCursor(ZoomCursor);
        SetSimpleText(QString());
    } else if (!k.DialogueMode && k.CrossMode) {
        Chart->setCursor(Qt::CrossCursor);
        DrawCrossHair(X, Y);
        LastCrossX = X;
        LastCrossY = Y;
        double x = 0, y = 0;
        Series->GetCursorValues(x, y);
        SetSimpleText(Readout("Values:  [ %5.3lf , %5.3lf ]", x, y));
    } else if (k.DialogueMode && !QuestionOpen()) {
        k.StatusBar->SetPanelText(2, HoverHint);
        Chart->setCursor(Qt::PointingHandCursor);
        PointSegmentAt(X);
    } else {
        Chart->setCursor(k.MoveMode ? Qt::SizeAllCursor : Qt::ArrowCursor);
        SetSimpleText(QString());
    }
    Chart->OriginalCursor = Chart->cursor();
}

void TForm_chart::PointSegmentAt(int X) {
    const int i = SegmentAt(X);
    if (!i)
        return;
    const TKavrel &k = *Kavrel;
    ResetPointColors();
    SetSimpleText(Readout("Pointed range:  [ %5.3lf , %5.3lf ]", Series->GetxValue(i - 1),
                          Series->GetxValue(i)));
    pointedX_ = X;
    if (k.ActiveLine)
        ColorSegment(i, k.ActiveLineColor);
    HoveredSegment = i;
    if (k.ChartShadow) {
        HoverRect.setCoords(Series->CalcXPos(i - 1), Series->CalcYPos(i - 1), Series->CalcXPos(i),
                            Series->CalcYPos(i));
        if (HoverRect != ShadedRect)
            Chart->Repaint();
    }
}

void TForm_chart::RefreshPointedRange() {
    // A point added inside the pointed segment splits it: the read-out and
    // the shading follow the part under the last pointed column.
    if (pointedX_ < 0 || !Kavrel || !Kavrel->DialogueMode || QuestionOpen())
        return;
    PointSegmentAt(pointedX_);
}

void TForm_chart::DropPointedSegment() {
    HoveredSegment = 0;
    HoverRect = QRect();
    ShadedRect = QRect();
    pointedX_ = -1;
    ResetPointColors();
    Chart->Repaint();
}

void TForm_chart::ChartMouseUp(TMouseButton, TShiftState, int, int) {
    UpdateScrollBars();
}

void TForm_chart::ChartClickSeries(TChartSeries *Sender, int ValueIndex, TMouseButton, TShiftState,
                                   int X, int Y) {
    if (!Sender || ValueIndex == Sender->LastValueIndex())
        return;
    SetSimpleText(Readout("Clicked point:  [ %5.3lf , %5.3lf ]", Sender->XScreenToValue(X),
                          Sender->YScreenToValue(Y)));
}

void TForm_chart::ChartResize() {
    Chart->Repaint();
}

void TForm_chart::ChartScroll() {
    UpdateScrollBars();
    Chart->Repaint();
}

void TForm_chart::ChartZoom() {
    if (Kavrel && Kavrel->ScrollMode) {
        if (ScrollRange > 950)
            ScrollRange -= 5;
        ScrollBar_hor->setMaximum(ScrollRange);
        ScrollBar_ver->setMaximum(ScrollRange);
        UpdateScrollBars();
    }
    Chart->RightAxis.SetDesiredIncrement(0.0);
    Chart->LeftAxis.SetDesiredIncrement(0.0);
    Chart->Repaint();
}

void TForm_chart::ChartUndoZoom() {
    if (Kavrel && Kavrel->ScrollMode) {
        ScrollRange = 1000;
        ScrollBar_hor->setMaximum(1000);
        ScrollBar_ver->setMaximum(1000);
        UpdateScrollBars();
    }
    Chart->RightAxis.SetDesiredIncrement(0.1);
    Chart->LeftAxis.SetDesiredIncrement(0.1);
    Chart->Repaint();
}

void TForm_chart::FormMouseWheelDown() {
    if (!Kavrel || !Kavrel->ZoomMode || Kavrel->ScrollMode)
        return;
    Chart->ZoomPercent(95);
    if (ScrollRange < 1000)
        ScrollRange += 5;
    ScrollBar_hor->setMaximum(ScrollRange);
    ScrollBar_ver->setMaximum(ScrollRange);
}

void TForm_chart::FormMouseWheelUp() {
    if (!Kavrel || !Kavrel->ZoomMode || Kavrel->ScrollMode)
        return;
    Chart->ZoomPercent(105);
    if (ScrollRange > 950)
        ScrollRange -= 5;
    ScrollBar_hor->setMaximum(ScrollRange);
    ScrollBar_ver->setMaximum(ScrollRange);
    UpdateScrollBars();
}

void TForm_chart::wheelEvent(QWheelEvent *event) {
    const int delta = event->angleDelta().y();
    if (delta < 0)
        FormMouseWheelDown();
    else if (delta > 0)
        FormMouseWheelUp();
    // The event stays unhandled, as the window's wheel events always were.
    event->ignore();
}

void TForm_chart::SeriesBeforeDrawValues() {
    // Every full repaint starts from a fresh picture: no cross-hair is left on it.
    LastCrossX = -1;
    if (Kavrel && (Kavrel->ChartShadow || Kavrel->DynamicShadow))
        DrawShadedRange();
}

void TForm_chart::DrawShadedRange() {
    if (!Kavrel)
        return;
    const TKavrel &k = *Kavrel;
    const QRect plot = Chart->ChartRect();
    // Right and bottom lie outside the rectangle, as the canvas draws it.
    int left = plot.left(), top = plot.top();
    int right = plot.left() + plot.width(), bottom = plot.top() + plot.height();
    TChartCanvas &canvas = *Chart->Canvas;
    const int i = HoveredSegment;
    bool shade = false;
    if (!k.ActiveRangeShown && k.ChartShadow && i > 0 && i < Series->Count()) {
        canvas.Brush.Color = k.ChartRangeBrushColor;
        canvas.Brush.Style = BrushStyleOfCode(k.ChartRangeBrushStyle);
        canvas.Pen.Color = k.ChartRangePenColor;
        canvas.Pen.Style = PenStyleOfCode(k.ChartRangePenStyle);
        canvas.Pen.Width = k.ChartRangePenWidth;
        left = std::max(left, Series->CalcXPos(i - 1));
        right = std::min(right, Series->CalcXPos(i));
        top = std::max(top, std::min(Series->CalcYPos(i - 1), Series->CalcYPos(i)));
        bottom = std::min(bottom, std::max(Series->CalcYPos(i - 1), Series->CalcYPos(i)));
        ShadedRect.setCoords(left, top, right, bottom);
        shade = true;
    } else if (k.DynamicShadow) {
        canvas.Brush.Color = k.DecisionRangeBrushColor;
        canvas.Brush.Style = BrushStyleOfCode(k.DecisionRangeBrushStyle);
        canvas.Pen.Color = k.DecisionRangePenColor;
        canvas.Pen.Style = PenStyleOfCode(k.DecisionRangePenStyle);
        canvas.Pen.Width = k.DecisionRangePenWidth;
        left = std::max(left, Series->CalcXPosValue(ActiveX1));
        right = std::min(right, Series->CalcXPosValue(ActiveX2));
        const int y1 = Series->CalcYPosValue(ActiveU1), y2 = Series->CalcYPosValue(ActiveU2);
        top = std::max(top, std::min(y1, y2));
        bottom = std::min(bottom, std::max(y1, y2));
        shade = true;
    }
    // With neither range there is nothing to shade.
    if (shade && left < right && top < bottom) {
        canvas.Pen.Mode = pmCopy;
        canvas.Pen.Visible = true;
        canvas.Rectangle(left, top, right, bottom);
    }
    if (k.ActiveLine) {
        ResetPointColors();
        if (i > 0 && i < Series->Count())
            ColorSegment(i, k.ActiveLineColor);
    }
    LastCrossX = -1;
}

void TForm_chart::DrawCrossHair(int X, int Y) {
    TChartCanvas &canvas = *Chart->Canvas;
    canvas.Pen.Color = clRed;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Width = 1;
    canvas.Pen.Visible = true;
    canvas.Pen.Mode = pmNotXor;
    const QRect plot = Chart->ChartRect();
    canvas.MoveTo(X, plot.top());
    canvas.LineTo(X, plot.bottom());
    canvas.MoveTo(plot.left(), Y);
    canvas.LineTo(plot.right(), Y);
}

void TForm_chart::UpdateScrollBars() {
    Syncing = true;
    // A bar whose axis is automatic, or whose values have no extent (one
    // point, or equal ends), has nothing to scroll.
    auto sync = [this](QScrollBar *bar, bool automatic, const TChartValueList &values,
                       int &lastPosition) {
        const double range = values.MaxValue() - values.MinValue();
        if (automatic || !(range > 0.0) || !std::isfinite(range)) {
            bar->setEnabled(false);
            return;
        }
        bar->setEnabled(true);
        const double ratio = ScrollRange / range;
        const double middle = std::floor(range * 0.5 * ratio);
        bar->setValue(std::isfinite(middle) ? int(std::clamp(middle, 0.0, 1e6)) : 0);
        lastPosition = bar->value();
    };
    sync(ScrollBar_hor, Chart->BottomAxis.Automatic || Chart->TopAxis.Automatic, Series->XValues,
         LastHorPosition);
    sync(ScrollBar_ver, Chart->LeftAxis.Automatic || Chart->RightAxis.Automatic, Series->YValues,
         LastVerPosition);
    Syncing = false;
}

void TForm_chart::ScrollBar_horChange() {
    if (Syncing)
        return;
    const double range = Series->XValues.MaxValue() - Series->XValues.MinValue();
    if (!(range > 0.0) || !std::isfinite(range))
        return;
    const double ratio = ScrollRange / range;
    const double d = (ScrollBar_hor->value() - LastHorPosition) / ratio;
    Chart->BottomAxis.Scroll(d, false);
    Chart->TopAxis.Scroll(d, false);
    LastHorPosition = ScrollBar_hor->value();
    LastCrossX = -1;
}

void TForm_chart::ScrollBar_verChange() {
    if (Syncing)
        return;
    const double range = Series->YValues.MaxValue() - Series->YValues.MinValue();
    if (!(range > 0.0) || !std::isfinite(range))
        return;
    const double ratio = ScrollRange / range;
    const double d = (ScrollBar_ver->value() - LastVerPosition) / ratio;
    Chart->LeftAxis.Scroll(d, false);
    Chart->RightAxis.Scroll(d, false);
    LastVerPosition = ScrollBar_ver->value();
    LastCrossX = -1;
}

void TForm_chart::SetCloseWithoutAskingEverywhere(bool onSavedWindow) {
    for (TForm_chart *chart : Kavrel->Charts) {
        if (chart)
            chart->CloseWithoutAsking = true;
    }
    if (onSavedWindow && Kavrel->SavedChartWindow)
        Kavrel->SavedChartWindow->CloseWithoutAsking = true;
}

void TForm_chart::FormCloseQuery(bool &CanClose) {
    if (!Kavrel)
        return;
    TKavrel &k = *Kavrel;
    if (CloseWithoutAsking || !k.DialogueMode) {
        k.ActiveRangeShown = false;
        return;
    }
    // A refused close keeps the open question, and its range stays shaded.
    if (k.CorrectingChart) {
        if (MessageDlg(
                QStringLiteral("Current changes for corrected chart will be lost! Exit anyway?"),
                mtWarning, mbYesNo, this) != mrYes) {
            CanClose = false;
            return;
        }
        k.ActiveRangeShown = false;
        k.Cancelled = true;
        SetCloseWithoutAskingEverywhere(true);
        CloseQuestionDialogue();
    } else if (k.Cancelled) {
        k.ActiveRangeShown = false;
        CloseQuestionDialogue();
        SetCloseWithoutAskingEverywhere(false);
    } else {
        if (MessageDlg(QStringLiteral("Utility function isn't finish! Exit anyway?"), mtWarning,
                       mbYesNo, this) != mrYes) {
            CanClose = false;
            return;
        }
        k.ActiveRangeShown = false;
        k.Cancelled = true;
        CloseQuestionDialogue();
        SetCloseWithoutAskingEverywhere(false);
    }
}

int TForm_chart::NormalChildCount() const {
    int count = 0;
    for (int i = 0; i < Kavrel->MDIChildCount(); ++i) {
        if (!Kavrel->MDIChildren(i)->isMinimized())
            ++count;
    }
    return count;
}

void TForm_chart::FormClose() {
    if (Kavrel && NormalChildCount() == 1)
        Kavrel->Menu_CloseAll->setEnabled(false);
}

void TForm_chart::FormResize() {
    if (Kavrel && NormalChildCount() == 0)
        Kavrel->Menu_CloseAll->setEnabled(false);
}

void TForm_chart::FormActivate() {
    if (!Kavrel || Kavrel->DialogueMode)
        return;
    Kavrel->ActiveCriterion = Tag;
    if (Tag >= 0 && Tag < int(Kavrel->Criteria.size())) {
        // The button's hint shows as its tooltip and on the status bar alike.
        const QString hint =
            QStringLiteral("Change active function for: ") + Kavrel->Criteria[size_t(Tag)].Name;
        Kavrel->SB_correctchart->setStatusTip(hint);
        Kavrel->SB_correctchart->setToolTip(hint);
    }
    Kavrel->Menu_CloseAll->setEnabled(true);
}

void TForm_chart::FormKeyDown(QKeyEvent *Key) {
    if (Key->key() == Qt::Key_F1 && Kavrel)
        Kavrel->ShowHelpTopic(QLatin1String(HelpTopic::Chart));
}

void TForm_chart::Popup_MarksXClick() {
    // The frame's mark switch acts on every chart window.
    if (Kavrel)
        Kavrel->Menu_MarksX->trigger();
}

void TForm_chart::Popup_MarksYClick() {
    if (Kavrel)
        Kavrel->Menu_MarksY->trigger();
}

void TForm_chart::closeEvent(QCloseEvent *event) {
    bool CanClose = true;
    FormCloseQuery(CanClose);
    event->ignore();
    if (!CanClose)
        return;
    FormClose();
    // A chart window minimises when it is closed; the frame frees it.
    if (QMdiSubWindow *frame = SubWindow())
        frame->showMinimized();
    else
        hide();
}

void TForm_chart::keyPressEvent(QKeyEvent *event) {
    FormKeyDown(event);
    QWidget::keyPressEvent(event);
}
