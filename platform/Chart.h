// Our chart component: line and pie series on axes, with the conversions,
// zoom and panning, drawing hook and picture output the chart windows, the
// question dialogue's pies and the report need. One routine (TChart::Draw)
// paints the chart onto any QPainter, so the widget, the printer, bitmaps,
// metafiles and the report show the same picture.
#pragma once

#include "platform/Colors.h"

#include <QFont>
#include <QImage>
#include <QLineF>
#include <QObject>
#include <QPainter>
#include <QRect>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class TChart;
class TChartSeries;
class QMimeData;

// A point's colour that means "the series' own colour".
constexpr TColor clTeeColor = 0x20000000;
// No colour at all (nothing is painted).
constexpr TColor clNone = 0x1FFFFFFF;

// Pen and brush styles with the values the program stores for them.
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
// pmNotXor: drawing the same thing twice restores the picture.
enum TPenMode { pmCopy, pmNotXor };

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = unsigned;

enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };
enum TBackImageMode { pbmStretch = 0, pbmTile = 1, pbmCenter = 2 };
enum TVertAxis { aLeftAxis, aRightAxis };
enum THorizAxis { aTopAxis, aBottomAxis };
enum TSeriesMarksStyle { smsValue, smsPercent, smsLabel, smsXValue };
enum TSeriesPointerStyle {
    psRectangle,
    psCircle,
    psTriangle,
    psDownTriangle,
    psCross,
    psDiagCross,
    psStar,
    psDiamond,
    psSmallDot
};

// Formats a value by a picture such as "0.####" or "#,##0.###": '0' is a
// digit always written, '#' one written only when needed, ',' groups
// thousands. Uses the locale's separators.
QString FormatFloat(const QString &format, double value);

struct TChartPen {
    TColor Color = clBlack;
    int Width = 1; // in pixels of a 96-dpi screen
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
    bool Visible = true;
    // The pen for a device whose pixels are `scale` screen pixels.
    QPen ToQPen(double scale) const;
};

struct TChartBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid; // values beyond bsDiagCross fill solid
    QBrush ToQBrush() const;
};

struct TChartGradient {
    bool Visible = false;
    TColor StartColor = clWhite; // top
    TColor EndColor = clSilver;  // bottom
};

struct TChartTitle {
    QStringList Text;
    QFont Font;
    TColor Color = clBlue;
    bool Visible = true;
};

struct TChartAxisTitle {
    QString Caption;
    QFont Font;
    void SetCaption(const QString &caption) { Caption = caption; }
};

class TChartAxis {
public:
    TChartAxis(TChart *chart, bool horizontal, bool otherSide);

    // Automatic axes take their range from the series; zooming or
    // scrolling makes an axis fixed.
    bool Automatic = true;
    double Minimum = 0.0;
    double Maximum = 1.0;
    // The smallest step between labels (0: chosen from the space).
    double Increment = 0.0;
    QString AxisValuesFormat = QStringLiteral("#,##0.###");
    TChartAxisTitle Title;
    QFont LabelsFont;
    bool Visible = true;
    bool Grid = true;

    void SetDesiredIncrement(double increment);
    void SetMinMax(double minimum, double maximum);
    // Shifts both ends by delta axis units. With checkLimits the range stays
    // within the series' values.
    void Scroll(double delta, bool checkLimits);

    bool Horizontal() const { return horizontal_; }
    bool OtherSide() const { return otherSide_; } // top or right
    // Pixel position of a value on the chart as it is drawn now, and back.
    int CalcPosValue(double value) const;
    double CalcPosPoint(int position) const;
    // First and last pixel of the axis (left..right or top..bottom).
    int IStartPos() const;
    int IEndPos() const;

    void Assign(const TChartAxis &other);

private:
    friend class TChart;
    TChart *chart_;
    bool horizontal_;
    bool otherSide_;
};

// The values of one coordinate of a series, in the order added.
class TChartValueList {
public:
    std::vector<double> Value;
    int Count() const { return int(Value.size()); }
    double operator[](int i) const { return Value[size_t(i)]; }
    double MinValue() const;
    double MaxValue() const;
};

struct TSeriesMarks {
    bool Visible = false;
    TSeriesMarksStyle Style = smsLabel;
    TColor BackColor = 0xC0FFFF;
    QFont Font;
    void SetVisible(bool visible) { Visible = visible; }
    void SetStyle(TSeriesMarksStyle style) { Style = style; }
    void SetBackColor(TColor color) { BackColor = color; }
};

struct TSeriesPointer {
    bool Visible = true;
    TSeriesPointerStyle Style = psRectangle;
    int HorizSize = 4; // half width in screen pixels
    int VertSize = 4;
    TChartPen Pen;
    TColor Color = clTeeColor; // fill; clTeeColor: the point's colour
};

// A series belongs to one chart (its parent), which draws it and frees it.
class TChartSeries : public QObject {
public:
    ~TChartSeries() override;

    TChart *ParentChart() const { return chart_; }
    TColor SeriesColor;
    QString Title;
    bool Active = true;
    bool ShowInLegend = true;
    bool ColorEachPoint = false;
    QString ColorSource;
    Qt::CursorShape Cursor = Qt::ArrowCursor;
    TSeriesMarks Marks;
    TChartValueList XValues;
    TChartValueList YValues;
    QStringList Labels;
    std::vector<TColor> Colors;
    TVertAxis VertAxis = aLeftAxis;
    THorizAxis HorizAxis = aBottomAxis;
    // Runs while the chart is drawn, after the axes and before this series,
    // with the chart's Canvas drawing onto the picture being made.
    std::function<void(TChartSeries *)> BeforeDrawValues;

    int Count() const { return XValues.Count(); }
    void Clear();
    void Delete(int index);
    double GetxValue(int index) const { return XValues[index]; }
    double GetyValue(int index) const { return YValues[index]; }
    // The colour point i is drawn in.
    TColor ValueColor(int index) const;
    // Points whose value in `values` (XValues or YValues) lies in
    // [from, to] take the colour; the chart repaints.
    void ColorRange(const TChartValueList &values, double from, double to, TColor color);
    void Repaint();

    TChartAxis *GetHorizAxis() const;
    TChartAxis *GetVertAxis() const;
    // Pixel position of point i or of a value on the series' axes.
    int CalcXPos(int index) const;
    int CalcYPos(int index) const;
    int CalcXPosValue(double value) const;
    int CalcYPosValue(double value) const;
    double XScreenToValue(int position) const;
    double YScreenToValue(int position) const;
    // Axis values at the mouse position the chart saw last.
    void GetCursorValues(double &x, double &y) const;
    // First and last point inside the horizontal axis range (-1 when none);
    // when not zoomed, 0 and the last point.
    int FirstValueIndex() const;
    int LastValueIndex() const;
    // Index of the point (or line) at a pixel, -1 for none.
    virtual int Clicked(int x, int y) const;
    // Copies the look (not the points) from another series of the same kind.
    virtual void AssignStyle(const TChartSeries &other);
    virtual bool UsesAxes() const { return true; }

protected:
    explicit TChartSeries(TChart *chart);
    int AddPoint(double x, double y, const QString &label, TColor color);
    virtual void DrawValues(QPainter &painter, double scale) = 0;
    QString MarkText(int index) const;

private:
    friend class TChart;
    TChart *chart_;
};

class TLineSeries : public TChartSeries {
public:
    explicit TLineSeries(TChart *chart);

    TChartPen LinePen;
    TSeriesPointer Pointer;
    bool Stairs = false;
    bool InvertedStairs = false;
    bool Dark3D = true;
    int LineHeight = 0;
    TBrushStyle LineBrush = bsSolid;
    QString ValueFormat = QStringLiteral("#,##0.###");

    // Appends a point; returns its index.
    int AddXY(double x, double y, const QString &label = QString(), TColor color = clTeeColor) {
        return AddPoint(x, y, label, color);
    }
    int Clicked(int x, int y) const override;
    void AssignStyle(const TChartSeries &other) override;

protected:
    void DrawValues(QPainter &painter, double scale) override;
};

class TPieSeries : public TChartSeries {
public:
    explicit TPieSeries(TChart *chart);

    // Degrees, counter-clockwise from three o'clock, where the first slice starts.
    int RotationAngle = 0;
    TChartPen PiePen;

    // One slice per call, with its own colour and label; returns its index.
    int Add(double value, const QString &label = QString(), TColor color = clTeeColor) {
        return AddPoint(Count(), value, label, color);
    }
    void Rotate(int degrees);
    bool UsesAxes() const override { return false; }
    int Clicked(int x, int y) const override;
    void AssignStyle(const TChartSeries &other) override;
    // Pie circle as last drawn.
    QRectF PieRect() const { return pieRect_; }

protected:
    void DrawValues(QPainter &painter, double scale) override;

private:
    QRectF pieRect_;
};

// The drawing surface handed to BeforeDrawValues, and usable between paints
// for not-xor lines such as a cross-hair.
class TChartCanvas {
public:
    TChartPen Pen;
    TChartBrush Brush;

    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const QRect &r) { Rectangle(r.left(), r.top(), r.right(), r.bottom()); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    QPoint PenPos() const { return pos_; }

private:
    friend class TChart;
    explicit TChartCanvas(TChart *chart) : chart_(chart) {}
    // The painter with the pen set, saved; the caller restores it.
    QPainter &BeginPainting();
    TChart *chart_;
    QPainter *painter_ = nullptr; // set while the chart is drawn
    double scale_ = 1.0;
    QPoint pos_;
};

class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget *parent = nullptr);
    ~TChart() override;

    TChartTitle Title;
    TChartTitle Foot;
    TChartAxis LeftAxis;
    TChartAxis RightAxis;
    TChartAxis TopAxis;
    TChartAxis BottomAxis;
    TChartGradient Gradient;
    TColor Color = 0xF0F0F0; // panel
    bool View3D = false;     // drawn in 2D always
    bool LegendVisible = true;
    // Space between the panel's edge and its contents, in screen pixels.
    int MarginLeft = 3;
    int MarginTop = 4;
    int MarginRight = 3;
    int MarginBottom = 4;
    bool AllowZoom = true;
    TPanningMode AllowPanning = pmBoth;
    // Rubber bands narrower than this neither zoom nor undo.
    int MinimumZoomPixels = 16;
    // The cursor restored when the mouse leaves a series point.
    QCursor OriginalCursor;
    // The smallest plotting rectangle at which the chart still reads; with it
    // set, minimumSizeHint() keeps the titles whole around a plot of this size.
    QSize MinimumPlotSize;

    TChartCanvas *const Canvas;

    // Events. The zoom and scroll events fire after the change.
    std::function<void()> OnZoom;
    std::function<void()> OnUndoZoom;
    std::function<void()> OnScroll;
    std::function<void(TMouseButton, TShiftState, int, int)> OnMouseDown;
    std::function<void(TShiftState, int, int)> OnMouseMove;
    std::function<void(TMouseButton, TShiftState, int, int)> OnMouseUp;
    std::function<void(TChartSeries *, int, TMouseButton, TShiftState, int, int)> OnClickSeries;
    std::function<void()> OnResize;

    int SeriesCount() const { return int(series_.size()); }
    TChartSeries *Series(int index) const { return series_[size_t(index)]; }
    void RemoveAllSeries();

    // Plotting rectangle in pixels.
    QRect ChartRect();
    // Axis values under a pixel: the left or bottom axis when used, else the other.
    bool Zoomed() const { return zoomed_; }
    // Rescales every axis around its centre: above 100 zooms in.
    void ZoomPercent(double percent);
    void ZoomRect(const QRect &rect);
    // Back to the ranges before the first zoom or scroll.
    void UndoZoom();

    // Background picture, its mode, and whether it fills the plotting
    // rectangle (inside) or the whole panel.
    QImage BackImage;
    TBackImageMode BackImageMode = pbmStretch;
    bool BackImageInside = false;
    void SetBackImage(const QImage &image);
    // Loads the picture from a file; a file that does not read as a picture
    // leaves the old one and shows an error. Returns whether it loaded.
    bool LoadBackImage(const QString &fileName);
    void SetBackImageMode(int mode);
    void SetBackImageInside(bool inside);

    // All settings of another chart (not its series or events).
    void Assign(const TChart &other);

    // The one paint routine: draws the chart into `rect` of any painter.
    // `scale` is the device's pixels per 96-dpi screen pixel (pens, fonts,
    // margins grow with it); 0 takes it from the painter's device.
    void Draw(QPainter &painter, const QRect &rect, double scale = 0.0);
    // The chart as on screen.
    QImage ToImage();
    QSize PictureSize() const;
    QSize minimumSizeHint() const override;

    // Picture output as on screen. Failures show an error and return false.
    bool SaveToBitmapFile(const QString &fileName);
    bool SaveToMetafile(const QString &fileName);    // placeable WMF
    bool SaveToMetafileEnh(const QString &fileName); // EMF
    void CopyToClipboardBitmap();
    void CopyToClipboardMetafile(bool enhanced);
    // What the clipboard gets for a vector copy: SVG and EMF or WMF beside a bitmap.
    QMimeData *MetafileMimeData(bool enhanced);

    // Repaints after a change of settings or data. Writing the public
    // fields directly needs one of these afterwards.
    void Invalidate();
    void Repaint() { Invalidate(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    friend class TChartSeries;
    friend class TChartAxis;
    friend class TChartCanvas;

    struct Layout {
        QRect panel;
        QRect chart;
        double scale = 1.0;
    };
    struct AxisState {
        bool automatic;
        double minimum, maximum;
    };

    void AddSeries(TChartSeries *series);
    void RemoveSeries(TChartSeries *series);
    void EnsureLayout();
    void ComputeLayout(const QRect &rect, double scale, QPaintDevice *device);
    void UpdateAutomaticRanges();
    bool AxisUsed(const TChartAxis &axis) const;
    std::vector<double> AxisLabels(const TChartAxis &axis, double scale,
                                   QPaintDevice *device) const;
    void DrawBackground(QPainter &p, const QRect &r) const;
    void DrawBackImage(QPainter &p, const QRect &r) const;
    void DrawAxes(QPainter &p, double scale);
    void DrawTitles(QPainter &p, double scale);
    void DrawLegend(QPainter &p, double scale);
    void SaveAxesBeforeZoom();
    TChartAxis *AxisFor(bool horizontal);
    void ToggleOverlayLine(const QLine &line);
    static TShiftState ShiftOf(const QMouseEvent *event);

    std::vector<TChartSeries *> series_;
    Layout layout_;
    bool layoutValid_ = false;
    int drawing_ = 0;
    bool zoomed_ = false;
    std::vector<AxisState> beforeZoom_;
    QImage cache_;
    bool cacheValid_ = false;
    struct OverlayLine {
        QLine line;
        QPen pen;
    };
    std::vector<OverlayLine> overlay_; // not-xor lines drawn between paints
    bool overlayOnly_ = false;         // the next paint changes only those lines
    QRect legendRect_;
    QSize minimumHint_; // the minimum size the layout around was last told
    QPoint lastMouse_{-1, -1};
    QPoint pressPos_;
    QPoint dragPos_;
    enum class Drag { None, Zoom, Pan } drag_ = Drag::None;
    QRect rubberBand_;
};
