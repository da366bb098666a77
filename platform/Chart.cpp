#include "platform/Chart.h"
#include "model/ReadFile.h"
#include "platform/Dialogs.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageReader>
#include <QLinearGradient>
#include <QLocale>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Chart fonts are held in points (or pixels of a 96-dpi screen) and drawn at
// an explicit pixel size, so that a printer or bitmap of any resolution gets
// the same proportions as the screen.
QFont ScaledFont(const QFont &font, double scale) {
    const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
    QFont f = font;
    f.setPixelSize(std::max(1, int(std::lround(px * scale))));
    return f;
}

QFont DefaultFont(double points, bool bold = false) {
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

int Px(double value, double scale) {
    return std::max(1, int(std::lround(value * scale)));
}

// Liang-Barsky: the part of a segment inside r, false when none.
bool ClipSegment(QPointF &a, QPointF &b, const QRectF &r) {
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
    }
    const QPointF start = a;
    a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

double NiceStep(double raw) {
    if (!(raw > 0.0) || !std::isfinite(raw))
        return 1.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * magnitude >= raw * (1.0 - 1e-9))
            return m * magnitude;
    }
    return 10.0 * magnitude;
}

// Pie slices without a colour of their own take these, in turn.
const TColor PieColors[] = {clRed,     clGreen, clYellow, clBlue,   clWhite, clGray,
                            clFuchsia, clTeal,  clNavy,   clMaroon, clLime,  clOlive};

} // namespace

QString FormatFloat(const QString &format, double value) {
    if (!std::isfinite(value))
        return QString::number(value);
    if (format.isEmpty())
        return QLocale().toString(value, 'g', 15);
    const qsizetype point = format.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? format : format.left(point);
    const QString fracPart = point < 0 ? QString() : format.mid(point + 1);
    const int minInt = int(intPart.count(QLatin1Char('0')));
    const bool group = intPart.contains(QLatin1Char(','));
    const int minFrac = int(fracPart.count(QLatin1Char('0')));
    const int maxFrac = minFrac + int(fracPart.count(QLatin1Char('#')));

    QString digits = QString::number(std::fabs(value), 'f', maxFrac);
    QString integer = digits, fraction;
    if (const qsizetype dot = digits.indexOf(QLatin1Char('.')); dot >= 0) {
        integer = digits.left(dot);
        fraction = digits.mid(dot + 1);
    }
    while (fraction.size() > minFrac && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    while (integer.size() > minInt && integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    while (integer.size() < minInt)
        integer.prepend(QLatin1Char('0'));
    const QLocale locale;
    if (group) {
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, locale.groupSeparator());
    }
    QString text = integer;
    if (!fraction.isEmpty())
        text += locale.decimalPoint() + fraction;
    const bool zero = !std::any_of(digits.begin(), digits.end(),
                                   [](QChar c) { return c.isDigit() && c != QLatin1Char('0'); });
    if (value < 0 && !zero)
        text.prepend(locale.negativeSign());
    return text.isEmpty() ? QStringLiteral("0") : text;
}

// ---------------------------------------------------------------------------
// Pens and brushes

QPen TChartPen::ToQPen(double scale) const {
    if (!Visible || Style == psClear || Color == clNone)
        return QPen(Qt::NoPen);
    QPen pen(ToQColor(Color));
    pen.setWidthF(Width <= 1 ? std::max(1.0, std::round(scale)) : Width * scale);
    switch (Style) {
    case psDash:
        pen.setStyle(Qt::DashLine);
        break;
    case psDot:
        pen.setStyle(Qt::DotLine);
        break;
    case psDashDot:
        pen.setStyle(Qt::DashDotLine);
        break;
    case psDashDotDot:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    default:
        pen.setStyle(Qt::SolidLine);
        break;
    }
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QBrush TChartBrush::ToQBrush() const {
    if (Color == clNone)
        return QBrush(Qt::NoBrush);
    const QColor c = ToQColor(Color);
    switch (Style) {
    case bsClear:
        return QBrush(Qt::NoBrush);
    case bsHorizontal:
        return QBrush(c, Qt::HorPattern);
    case bsVertical:
        return QBrush(c, Qt::VerPattern);
    case bsFDiagonal:
        return QBrush(c, Qt::FDiagPattern);
    case bsBDiagonal:
        return QBrush(c, Qt::BDiagPattern);
    case bsCross:
        return QBrush(c, Qt::CrossPattern);
    case bsDiagCross:
        return QBrush(c, Qt::DiagCrossPattern);
    default:
        return QBrush(c);
    }
}

// ---------------------------------------------------------------------------
// Axes

TChartAxis::TChartAxis(TChart *chart, bool horizontal, bool otherSide)
    : LabelsFont(DefaultFont(8)), chart_(chart), horizontal_(horizontal), otherSide_(otherSide) {
    Title.Font = DefaultFont(8, true);
}

void TChartAxis::SetDesiredIncrement(double increment) {
    Increment = std::max(0.0, increment);
    chart_->Invalidate();
}

void TChartAxis::SetMinMax(double minimum, double maximum) {
    Automatic = false;
    Minimum = std::min(minimum, maximum);
    Maximum = std::max(minimum, maximum);
    chart_->Invalidate();
}

void TChartAxis::Scroll(double delta, bool checkLimits) {
    chart_->EnsureLayout();
    if (checkLimits) {
        double lo = 0, hi = 0;
        bool any = false;
        for (const TChartSeries *s : chart_->series_) {
            if (!s->UsesAxes() || (horizontal_ ? s->GetHorizAxis() : s->GetVertAxis()) != this)
                continue;
            const TChartValueList &v = horizontal_ ? s->XValues : s->YValues;
            if (v.Count() == 0)
                continue;
            lo = any ? std::min(lo, v.MinValue()) : v.MinValue();
            hi = any ? std::max(hi, v.MaxValue()) : v.MaxValue();
            any = true;
        }
        // Only moves that would leave the series' range are held back.
        if (any && delta < 0 && Minimum + delta < lo)
            delta = std::min(0.0, std::max(delta, lo - Minimum));
        if (any && delta > 0 && Maximum + delta > hi)
            delta = std::max(0.0, std::min(delta, hi - Maximum));
    }
    // Undoing the zoom brings back the range from before the first scroll.
    chart_->SaveAxesBeforeZoom();
    chart_->zoomed_ = true;
    Automatic = false;
    Minimum += delta;
    Maximum += delta;
    chart_->Invalidate();
}

int TChartAxis::IStartPos() const {
    const QRect r = chart_->ChartRect();
    return horizontal_ ? r.left() : r.top();
}

int TChartAxis::IEndPos() const {
    const QRect r = chart_->ChartRect();
    return horizontal_ ? r.right() : r.bottom();
}

int TChartAxis::CalcPosValue(double value) const {
    const int start = IStartPos(), end = IEndPos();
    const double range = Maximum - Minimum;
    double t = range > 0 ? (value - Minimum) / range : 0.0;
    if (!std::isfinite(t))
        t = 0.0;
    double pos = horizontal_ ? start + t * (end - start) : end - t * (end - start);
    pos = std::clamp(pos, -1e9, 1e9);
    return int(std::lround(pos));
}

double TChartAxis::CalcPosPoint(int position) const {
    const int start = IStartPos(), end = IEndPos();
    if (end == start)
        return Minimum;
    const double t = horizontal_ ? double(position - start) / (end - start)
                                 : double(end - position) / (end - start);
    return Minimum + t * (Maximum - Minimum);
}

void TChartAxis::Assign(const TChartAxis &other) {
    Automatic = other.Automatic;
    Minimum = other.Minimum;
    Maximum = other.Maximum;
    Increment = other.Increment;
    AxisValuesFormat = other.AxisValuesFormat;
    Title = other.Title;
    LabelsFont = other.LabelsFont;
    Visible = other.Visible;
    Grid = other.Grid;
}

double TChartValueList::MinValue() const {
    return Value.empty() ? 0.0 : *std::min_element(Value.begin(), Value.end());
}

double TChartValueList::MaxValue() const {
    return Value.empty() ? 0.0 : *std::max_element(Value.begin(), Value.end());
}

// ---------------------------------------------------------------------------
// Series

TChartSeries::TChartSeries(TChart *chart) : QObject(chart), SeriesColor(clRed), chart_(chart) {
    Marks.Font = DefaultFont(8);
    chart_->AddSeries(this);
}

TChartSeries::~TChartSeries() {
    if (chart_)
        chart_->RemoveSeries(this);
}

int TChartSeries::AddPoint(double x, double y, const QString &label, TColor color) {
    XValues.Value.push_back(x);
    YValues.Value.push_back(y);
    Labels.append(label);
    Colors.push_back(color);
    Repaint();
    return Count() - 1;
}

void TChartSeries::Clear() {
    XValues.Value.clear();
    YValues.Value.clear();
    Labels.clear();
    Colors.clear();
    Repaint();
}

void TChartSeries::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    XValues.Value.erase(XValues.Value.begin() + index);
    YValues.Value.erase(YValues.Value.begin() + index);
    Labels.removeAt(index);
    Colors.erase(Colors.begin() + index);
    Repaint();
}

TColor TChartSeries::ValueColor(int index) const {
    const TColor c = Colors[size_t(index)];
    return c == clTeeColor ? SeriesColor : c;
}

void TChartSeries::ColorRange(const TChartValueList &values, double from, double to, TColor color) {
    for (int i = 0; i < values.Count() && i < Count(); ++i) {
        if (values[i] >= from && values[i] <= to)
            Colors[size_t(i)] = color;
    }
    Repaint();
}

void TChartSeries::Repaint() {
    if (chart_)
        chart_->Invalidate();
}

TChartAxis *TChartSeries::GetHorizAxis() const {
    return HorizAxis == aTopAxis ? &chart_->TopAxis : &chart_->BottomAxis;
}

TChartAxis *TChartSeries::GetVertAxis() const {
    return VertAxis == aRightAxis ? &chart_->RightAxis : &chart_->LeftAxis;
}

int TChartSeries::CalcXPos(int index) const {
    return CalcXPosValue(XValues[index]);
}
int TChartSeries::CalcYPos(int index) const {
    return CalcYPosValue(YValues[index]);
}
int TChartSeries::CalcXPosValue(double value) const {
    return GetHorizAxis()->CalcPosValue(value);
}
int TChartSeries::CalcYPosValue(double value) const {
    return GetVertAxis()->CalcPosValue(value);
}
double TChartSeries::XScreenToValue(int position) const {
    return GetHorizAxis()->CalcPosPoint(position);
}
double TChartSeries::YScreenToValue(int position) const {
    return GetVertAxis()->CalcPosPoint(position);
}

void TChartSeries::GetCursorValues(double &x, double &y) const {
    x = XScreenToValue(chart_->lastMouse_.x());
    y = YScreenToValue(chart_->lastMouse_.y());
}

int TChartSeries::FirstValueIndex() const {
    chart_->EnsureLayout();
    const TChartAxis *axis = GetHorizAxis();
    const double eps = 1e-12 * std::max(1.0, std::fabs(axis->Maximum - axis->Minimum));
    for (int i = 0; i < Count(); ++i) {
        if (XValues[i] >= axis->Minimum - eps)
            return i;
    }
    return -1;
}

int TChartSeries::LastValueIndex() const {
    chart_->EnsureLayout();
    const TChartAxis *axis = GetHorizAxis();
    if (axis->Automatic)
        return Count() - 1;
    const double eps = 1e-12 * std::max(1.0, std::fabs(axis->Maximum - axis->Minimum));
    for (int i = Count() - 1; i >= 0; --i) {
        if (XValues[i] <= axis->Maximum + eps)
            return i;
    }
    return -1;
}

int TChartSeries::Clicked(int, int) const {
    return -1;
}

void TChartSeries::AssignStyle(const TChartSeries &other) {
    SeriesColor = other.SeriesColor;
    Active = other.Active;
    ShowInLegend = other.ShowInLegend;
    ColorEachPoint = other.ColorEachPoint;
    ColorSource = other.ColorSource;
    Cursor = other.Cursor;
    Marks = other.Marks;
    VertAxis = other.VertAxis;
    HorizAxis = other.HorizAxis;
    Repaint();
}

QString TChartSeries::MarkText(int index) const {
    const auto *line = dynamic_cast<const TLineSeries *>(this);
    const QString format = line ? line->ValueFormat : QStringLiteral("#,##0.###");
    switch (Marks.Style) {
    case smsXValue:
        return FormatFloat(format, XValues[index]);
    case smsValue:
        return FormatFloat(format, YValues[index]);
    case smsPercent: {
        double total = 0;
        for (double v : YValues.Value)
            total += std::fabs(v);
        return FormatFloat(QStringLiteral("0.##"), total > 0 ? 100 * YValues[index] / total : 0) +
               QLatin1Char('%');
    }
    case smsLabel:
        break;
    }
    const QString label = Labels.value(index);
    return label.isEmpty() ? FormatFloat(format, YValues[index]) : label;
}

namespace {

void DrawMark(QPainter &p, const TSeriesMarks &marks, const QString &text, QPointF anchor,
              QPointF towards, double scale) {
    const QFont font = ScaledFont(marks.Font, scale);
    const QFontMetricsF fm(font);
    const double pad = 2 * scale;
    QSizeF size(fm.horizontalAdvance(text) + 2 * pad, fm.height() + pad);
    QRectF box(QPointF(towards.x() - size.width() / 2, towards.y() - size.height() / 2), size);
    p.setPen(QPen(Qt::black, std::max(1.0, std::round(scale))));
    p.drawLine(anchor, towards);
    p.setBrush(marks.BackColor == clNone ? QBrush(Qt::NoBrush) : QBrush(ToQColor(marks.BackColor)));
    p.drawRect(box);
    p.setFont(font);
    p.drawText(QPointF(box.left() + pad, box.top() + pad / 2 + fm.ascent()), text);
}

void DrawPointer(QPainter &p, const TSeriesPointer &ptr, QPointF c, TColor color, double scale) {
    const double w = ptr.HorizSize * scale, h = ptr.VertSize * scale;
    p.setPen(ptr.Pen.ToQPen(scale));
    p.setBrush(QBrush(ToQColor(ptr.Color == clTeeColor ? color : ptr.Color)));
    const QRectF r(c.x() - w, c.y() - h, 2 * w, 2 * h);
    switch (ptr.Style) {
    case psCircle:
        p.drawEllipse(r);
        break;
    case psTriangle:
        p.drawPolygon(QPolygonF{{c.x(), r.top()}, r.bottomRight(), r.bottomLeft()});
        break;
    case psDownTriangle:
        p.drawPolygon(QPolygonF{r.topLeft(), r.topRight(), {c.x(), r.bottom()}});
        break;
    case psDiamond:
        p.drawPolygon(QPolygonF{
            {c.x(), r.top()}, {r.right(), c.y()}, {c.x(), r.bottom()}, {r.left(), c.y()}});
        break;
    case psCross:
    case psStar:
        p.setPen(QPen(ToQColor(color), std::max(1.0, scale)));
        p.drawLine(QPointF(r.left(), c.y()), QPointF(r.right(), c.y()));
        p.drawLine(QPointF(c.x(), r.top()), QPointF(c.x(), r.bottom()));
        if (ptr.Style == psCross)
            break;
        [[fallthrough]];
    case psDiagCross:
        p.setPen(QPen(ToQColor(color), std::max(1.0, scale)));
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.topRight());
        break;
    case psSmallDot:
        p.drawEllipse(c, scale, scale);
        break;
    case psRectangle:
        p.drawRect(r);
        break;
    }
}

} // namespace

TLineSeries::TLineSeries(TChart *chart) : TChartSeries(chart) {
    Marks.Style = smsValue;
}

void TLineSeries::AssignStyle(const TChartSeries &other) {
    if (const auto *line = dynamic_cast<const TLineSeries *>(&other)) {
        LinePen = line->LinePen;
        Pointer = line->Pointer;
        Stairs = line->Stairs;
        InvertedStairs = line->InvertedStairs;
        Dark3D = line->Dark3D;
        LineHeight = line->LineHeight;
        LineBrush = line->LineBrush;
        ValueFormat = line->ValueFormat;
    }
    TChartSeries::AssignStyle(other);
}

int TLineSeries::Clicked(int x, int y) const {
    if (!Active || Count() == 0)
        return -1;
    const int first = std::max(0, FirstValueIndex()), last = LastValueIndex();
    if (Pointer.Visible) {
        for (int i = first; i <= last; ++i) {
            if (std::abs(CalcXPos(i) - x) <= Pointer.HorizSize + 1 &&
                std::abs(CalcYPos(i) - y) <= Pointer.VertSize + 1)
                return i;
        }
    }
    if (!LinePen.Visible)
        return -1;
    const QRect plot = ParentChart()->ChartRect();
    if (!plot.contains(x, y))
        return -1;
    for (int i = 1; i < Count(); ++i) {
        const QPointF a(CalcXPos(i - 1), CalcYPos(i - 1)), b(CalcXPos(i), CalcYPos(i));
        const QPointF d = b - a;
        const double len2 = QPointF::dotProduct(d, d);
        double t = len2 > 0 ? QPointF::dotProduct(QPointF(x, y) - a, d) / len2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        const QPointF nearest = a + t * d;
        if (QLineF(nearest, QPointF(x, y)).length() <= 3.0)
            return i - 1;
    }
    return -1;
}

void TLineSeries::DrawValues(QPainter &p, double scale) {
    const int n = Count();
    if (n == 0)
        return;
    const QRectF plot = QRectF(ParentChart()->ChartRect());
    std::vector<QPointF> pts{size_t(n)};
    for (int i = 0; i < n; ++i)
        pts[size_t(i)] = QPointF(CalcXPos(i), CalcYPos(i));

    p.setRenderHint(QPainter::Antialiasing, true);
    if (LinePen.Visible && LinePen.Style != psClear) {
        // The line that ends at a point takes that point's colour.
        TChartPen pen = LinePen;
        auto segment = [&](QPointF a, QPointF b) {
            if (ClipSegment(a, b, plot))
                p.drawLine(a, b);
        };
        for (int i = 1; i < n; ++i) {
            pen.Color = ValueColor(i);
            p.setPen(pen.ToQPen(scale));
            const QPointF a = pts[size_t(i - 1)], b = pts[size_t(i)];
            if (Stairs) {
                const QPointF corner =
                    InvertedStairs ? QPointF(a.x(), b.y()) : QPointF(b.x(), a.y());
                segment(a, corner);
                segment(corner, b);
            } else {
                segment(a, b);
            }
        }
    }
    auto inside = [&](QPointF q) {
        return q.x() >= plot.left() - 0.5 && q.x() <= plot.right() + 0.5 &&
               q.y() >= plot.top() - 0.5 && q.y() <= plot.bottom() + 0.5;
    };
    if (Pointer.Visible) {
        // On bitmaps each pointer look is drawn once and then copied.
        const bool raster = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Raster;
        const double w = Pointer.HorizSize * scale + 2 * scale + 2;
        const double h = Pointer.VertSize * scale + 2 * scale + 2;
        std::vector<std::pair<TColor, QImage>> sprites;
        for (int i = 0; i < n; ++i) {
            const QPointF at = pts[size_t(i)];
            if (!inside(at))
                continue;
            if (!raster) {
                DrawPointer(p, Pointer, at, ValueColor(i), scale);
                continue;
            }
            const TColor color = ValueColor(i);
            auto it = std::find_if(sprites.begin(), sprites.end(),
                                   [&](const auto &sp) { return sp.first == color; });
            if (it == sprites.end()) {
                const qreal dpr = p.device()->devicePixelRatioF();
                QImage sprite((QSizeF(2 * w, 2 * h) * dpr).toSize(),
                              QImage::Format_ARGB32_Premultiplied);
                sprite.setDevicePixelRatio(dpr);
                sprite.fill(Qt::transparent);
                QPainter sp(&sprite);
                sp.setRenderHint(QPainter::Antialiasing, true);
                DrawPointer(sp, Pointer, QPointF(w, h), color, scale);
                sp.end();
                sprites.emplace_back(color, sprite);
                it = sprites.end() - 1;
            }
            p.drawImage(QPointF(at.x() - w, at.y() - h), it->second);
        }
    }
    if (Marks.Visible) {
        const double lift = (Pointer.VertSize + 12) * scale;
        for (int i = 0; i < n; ++i) {
            if (inside(pts[size_t(i)]))
                DrawMark(p, Marks, MarkText(i), pts[size_t(i)], pts[size_t(i)] - QPointF(0, lift),
                         scale);
        }
    }
}

TPieSeries::TPieSeries(TChart *chart) : TChartSeries(chart) {
    Marks.Visible = true;
    Marks.Style = smsLabel;
    PiePen.Color = clBlack;
}

void TPieSeries::Rotate(int degrees) {
    RotationAngle = ((RotationAngle + degrees) % 360 + 360) % 360;
    Repaint();
}

void TPieSeries::AssignStyle(const TChartSeries &other) {
    if (const auto *pie = dynamic_cast<const TPieSeries *>(&other)) {
        RotationAngle = pie->RotationAngle;
        PiePen = pie->PiePen;
    }
    TChartSeries::AssignStyle(other);
}

int TPieSeries::Clicked(int x, int y) const {
    if (!Active || pieRect_.isEmpty())
        return -1;
    const QPointF c = pieRect_.center(), d = QPointF(x, y) - c;
    const double r = pieRect_.width() / 2;
    if (QPointF::dotProduct(d, d) > r * r)
        return -1;
    double total = 0;
    for (double v : YValues.Value)
        total += std::fabs(v);
    if (total <= 0)
        return -1;
    // Screen y grows downwards; angles run counter-clockwise.
    double angle = std::atan2(-d.y(), d.x()) * 180 / std::numbers::pi - RotationAngle;
    angle = std::fmod(std::fmod(angle, 360) + 360, 360);
    double start = 0;
    for (int i = 0; i < Count(); ++i) {
        start += std::fabs(YValues[i]) / total * 360;
        if (angle < start)
            return i;
    }
    return Count() - 1;
}

void TPieSeries::DrawValues(QPainter &p, double scale) {
    const QRectF plot = QRectF(ParentChart()->ChartRect());
    double total = 0;
    for (double v : YValues.Value)
        total += std::fabs(v);
    double radius = std::min(plot.width(), plot.height()) / 2;
    if (Marks.Visible) {
        const QFontMetricsF fm(ScaledFont(Marks.Font, scale));
        radius -= fm.height() + 8 * scale;
    }
    radius = std::max(radius, 2.0);
    const QPointF c = plot.center();
    pieRect_ = QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    if (total <= 0)
        return;
    p.setRenderHint(QPainter::Antialiasing, true);
    double start = RotationAngle;
    std::vector<double> middles;
    for (int i = 0; i < Count(); ++i) {
        const double span = std::fabs(YValues[i]) / total * 360;
        const TColor color = Colors[size_t(i)] == clTeeColor
                                 ? PieColors[size_t(i) % std::size(PieColors)]
                                 : Colors[size_t(i)];
        p.setPen(PiePen.ToQPen(scale));
        p.setBrush(ToQColor(color));
        if (span >= 360 - 1e-9)
            p.drawEllipse(pieRect_);
        else if (span > 0)
            p.drawPie(pieRect_, int(std::lround(start * 16)), int(std::lround(span * 16)));
        middles.push_back(start + span / 2);
        start += span;
    }
    if (!Marks.Visible)
        return;
    for (int i = 0; i < Count(); ++i) {
        const double a = middles[size_t(i)] * std::numbers::pi / 180;
        const QPointF dir(std::cos(a), -std::sin(a));
        const QFontMetricsF fm(ScaledFont(Marks.Font, scale));
        const QString text = MarkText(i);
        const QPointF edge = c + dir * radius;
        const QPointF centre =
            c + QPointF(dir.x() * (radius + 6 * scale + fm.horizontalAdvance(text) / 2),
                        dir.y() * (radius + 4 * scale + fm.height() / 2));
        DrawMark(p, Marks, text, edge, centre, scale);
    }
}

// ---------------------------------------------------------------------------
// Canvas

void TChartCanvas::Rectangle(int left, int top, int right, int bottom) {
    if (!painter_) {
        if (Pen.Mode == pmNotXor && Pen.Style != psClear) {
            MoveTo(left, top);
            LineTo(right - 1, top);
            LineTo(right - 1, bottom - 1);
            LineTo(left, bottom - 1);
            LineTo(left, top);
        }
        return;
    }
    QPainter &p = BeginPainting();
    const QPen pen = p.pen();
    p.setBrush(Brush.ToQBrush());
    // Like the classic canvas, the right and bottom edges are outside.
    if (pen.style() == Qt::NoPen)
        p.drawRect(QRect(left, top, right - left, bottom - top));
    else
        p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
    p.restore();
}

QPainter &TChartCanvas::BeginPainting() {
    QPainter &p = *painter_;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (Pen.Mode == pmNotXor)
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.setPen(Pen.ToQPen(scale_));
    return p;
}

void TChartCanvas::MoveTo(int x, int y) {
    pos_ = QPoint(x, y);
}

void TChartCanvas::LineTo(int x, int y) {
    const QLine line(pos_, QPoint(x, y));
    pos_ = QPoint(x, y);
    if (!painter_) {
        // Between paints only not-xor lines can be drawn: the widget keeps
        // them over its picture, and the same line drawn again takes it away.
        if (Pen.Mode == pmNotXor && Pen.Style != psClear)
            chart_->ToggleOverlayLine(line);
        return;
    }
    QPainter &p = BeginPainting();
    p.drawLine(line);
    p.restore();
}

// ---------------------------------------------------------------------------
// The chart

TChart::TChart(QWidget *parent)
    : QWidget(parent), LeftAxis(this, false, false), RightAxis(this, false, true),
      TopAxis(this, true, true), BottomAxis(this, true, false), Canvas(new TChartCanvas(this)) {
    Title.Font = DefaultFont(9);
    Foot.Font = DefaultFont(8);
    Foot.Color = clRed;
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    OriginalCursor = cursor();
}

TChart::~TChart() {
    for (TChartSeries *s : series_) {
        s->chart_ = nullptr;
        delete s;
    }
    series_.clear();
    delete Canvas;
}

void TChart::AddSeries(TChartSeries *series) {
    series_.push_back(series);
    Invalidate();
}

void TChart::RemoveSeries(TChartSeries *series) {
    series_.erase(std::remove(series_.begin(), series_.end(), series), series_.end());
    Invalidate();
}

void TChart::RemoveAllSeries() {
    const auto all = series_;
    for (TChartSeries *s : all)
        delete s;
}

void TChart::Invalidate() {
    // Changes made while drawing (by a BeforeDrawValues handler) are in the
    // picture being drawn; asking again would repaint for ever.
    if (drawing_)
        return;
    layoutValid_ = false;
    cacheValid_ = false;
    update();
    // New titles or fonts may need more room than the layout around gives.
    if (!MinimumPlotSize.isEmpty()) {
        const QSize least = minimumSizeHint();
        if (least != minimumHint_) {
            minimumHint_ = least;
            updateGeometry();
        }
    }
}

QRect TChart::ChartRect() {
    EnsureLayout();
    return layout_.chart;
}

QSize TChart::PictureSize() const {
    return size().isEmpty() ? QSize(640, 480) : size();
}

QSize TChart::minimumSizeHint() const {
    if (MinimumPlotSize.isEmpty())
        return QWidget::minimumSizeHint();
    const auto textWidth = [](const QFont &font, const QString &text) {
        return int(std::ceil(QFontMetricsF(ScaledFont(font, 1.0)).horizontalAdvance(text))) + 2;
    };
    const auto titled = [this](const TChartAxis &a) {
        return a.Visible && AxisUsed(a) && !a.Title.Caption.isEmpty();
    };
    QSize plot = MinimumPlotSize;
    // A vertical axis title runs along the plot's height.
    for (const TChartAxis *a : {&LeftAxis, &RightAxis}) {
        if (titled(*a))
            plot.setHeight(std::max(plot.height(), textWidth(a->Title.Font, a->Title.Caption)));
    }
    // A horizontal axis title is centred on the plot: it stays whole when it
    // reaches past the plot's ends no further than the narrower side leaves room.
    int axisTitle = 0;
    for (const TChartAxis *a : {&TopAxis, &BottomAxis}) {
        if (titled(*a))
            axisTitle = std::max(axisTitle, textWidth(a->Title.Font, a->Title.Caption));
    }
    // The layout is worked out as for drawing and put back: what surrounds
    // the plot is measured on a roomy panel, then on panels nearer the least
    // one (a shorter vertical axis may have fewer and narrower labels).
    auto &self = const_cast<TChart &>(*this);
    const Layout saved = layout_;
    const QRect savedLegend = legendRect_;
    self.UpdateAutomaticRanges();
    QSize panel(1000, 1000);
    for (int pass = 0; pass < 3; ++pass) {
        self.ComputeLayout(QRect(QPoint(0, 0), panel), 1.0, &self);
        const QRect chart = layout_.chart;
        const int side = std::min(chart.left(), panel.width() - 1 - chart.right());
        panel += QSize(std::max(plot.width(), axisTitle - 2 * side), plot.height()) - chart.size();
    }
    self.layout_ = saved;
    self.legendRect_ = savedLegend;
    // The chart's title is centred on the panel.
    int title = 0;
    if (Title.Visible) {
        for (const QString &line : Title.Text)
            title = std::max(title, textWidth(Title.Font, line) + 2);
    }
    panel.setWidth(std::max(panel.width(), title + MarginLeft + MarginRight));
    return panel;
}

bool TChart::AxisUsed(const TChartAxis &axis) const {
    bool anyAxes = false;
    for (const TChartSeries *s : series_) {
        if (!s->Active || !s->UsesAxes())
            continue;
        anyAxes = true;
        if ((axis.Horizontal() ? s->GetHorizAxis() : s->GetVertAxis()) == &axis)
            return true;
    }
    // A chart without series shows its left and bottom axes.
    if (!anyAxes && series_.empty())
        return &axis == &LeftAxis || &axis == &BottomAxis;
    return false;
}

void TChart::UpdateAutomaticRanges() {
    for (TChartAxis *axis : {&LeftAxis, &RightAxis, &TopAxis, &BottomAxis}) {
        if (!axis->Automatic)
            continue;
        bool any = false;
        double lo = 0, hi = 0;
        for (const TChartSeries *s : series_) {
            if (!s->Active || !s->UsesAxes() || s->Count() == 0)
                continue;
            if ((axis->Horizontal() ? s->GetHorizAxis() : s->GetVertAxis()) != axis)
                continue;
            const TChartValueList &v = axis->Horizontal() ? s->XValues : s->YValues;
            lo = any ? std::min(lo, v.MinValue()) : v.MinValue();
            hi = any ? std::max(hi, v.MaxValue()) : v.MaxValue();
            any = true;
        }
        if (!any) {
            lo = 0;
            hi = 0;
        }
        if (hi == lo) {
            lo -= 1;
            hi += 1;
        }
        axis->Minimum = lo;
        axis->Maximum = hi;
    }
}

std::vector<double> TChart::AxisLabels(const TChartAxis &axis, double scale, QPaintDevice *) const {
    const double lo = axis.Minimum, hi = axis.Maximum, range = hi - lo;
    const int length = axis.Horizontal() ? layout_.chart.width() : layout_.chart.height();
    if (!(range > 0) || !std::isfinite(range) || length <= 0)
        return {lo};
    const QFontMetricsF fm(ScaledFont(axis.LabelsFont, scale));
    double labelSize = fm.height() * 1.5;
    if (axis.Horizontal()) {
        const double wide = std::max(fm.horizontalAdvance(FormatFloat(axis.AxisValuesFormat, lo)),
                                     fm.horizontalAdvance(FormatFloat(axis.AxisValuesFormat, hi)));
        labelSize = wide + fm.horizontalAdvance(QStringLiteral("00"));
    }
    const double maxLabels = std::max(1.0, std::floor(length / labelSize));
    double step = NiceStep(range / maxLabels);
    if (axis.Increment > 0) {
        // The desired increment, widened only when its labels would overlap.
        step = axis.Increment;
        for (int k = 0; range / step > maxLabels && k < 60; ++k)
            step *= (k % 3 == 1) ? 2.5 : 2.0;
    }
    const auto labelsOf = [&](double by) {
        std::vector<double> labels;
        const double eps = by * 1e-9;
        for (double v = std::ceil((lo - eps) / by) * by; v <= hi + eps && labels.size() < 1000;
             v += by) {
            labels.push_back(std::fabs(v) < eps ? 0.0 : v);
        }
        return labels;
    };
    // Neighbouring labels must not touch, whatever their texts and however
    // short the axis: the step widens until they stand apart, down to a
    // single label.
    const auto apart = [&](const std::vector<double> &labels, double by) {
        if (labels.size() < 2)
            return true;
        const double spacing = length * by / range;
        if (!axis.Horizontal())
            return spacing >= fm.height();
        double widest = 0;
        for (double v : labels)
            widest = std::max(widest, fm.horizontalAdvance(FormatFloat(axis.AxisValuesFormat, v)));
        return spacing >= widest + fm.horizontalAdvance(QLatin1Char('0'));
    };
    std::vector<double> labels = labelsOf(step);
    for (int k = 0; !apart(labels, step) && k < 60; ++k) {
        step *= (k % 3 == 1) ? 2.5 : 2.0;
        std::vector<double> wider = labelsOf(step);
        if (wider.empty()) {
            labels.resize(1);
            break;
        }
        labels = std::move(wider);
    }
    return labels;
}

void TChart::EnsureLayout() {
    if (drawing_ || layoutValid_)
        return;
    UpdateAutomaticRanges();
    ComputeLayout(QRect(QPoint(0, 0), PictureSize()), 1.0, this);
    layoutValid_ = true;
}

void TChart::ComputeLayout(const QRect &rect, double s, QPaintDevice *device) {
    layout_.panel = rect;
    layout_.scale = s;
    QRect inner = rect.adjusted(Px(MarginLeft, s), Px(MarginTop, s), -Px(MarginRight, s),
                                -Px(MarginBottom, s));
    auto titleHeight = [&](const TChartTitle &t) {
        if (!t.Visible || t.Text.join(QString()).trimmed().isEmpty())
            return 0;
        const QFontMetricsF fm(ScaledFont(t.Font, s));
        return int(std::ceil(fm.height() * t.Text.size() + 4 * s));
    };
    inner.setTop(inner.top() + titleHeight(Title));
    inner.setBottom(inner.bottom() - titleHeight(Foot));

    legendRect_ = QRect();
    if (LegendVisible) {
        const QFontMetricsF fm(ScaledFont(Title.Font, s));
        int rows = 0;
        double wide = 0;
        for (const TChartSeries *sr : series_) {
            if (!sr->Active || !sr->ShowInLegend)
                continue;
            if (sr->UsesAxes()) {
                ++rows;
                wide =
                    std::max(wide, fm.horizontalAdvance(
                                       sr->Title.isEmpty() ? QStringLiteral("Series") : sr->Title));
            } else {
                for (int i = 0; i < sr->Count(); ++i) {
                    ++rows;
                    wide = std::max(wide, fm.horizontalAdvance(sr->MarkText(i)));
                }
            }
        }
        if (rows > 0) {
            const int w = int(std::ceil(wide + fm.height() * 2.5));
            const int h = int(std::ceil(rows * fm.height() * 1.2 + fm.height() * 0.6));
            legendRect_ = QRect(inner.right() - w + 1, inner.center().y() - h / 2, w, h);
            inner.setRight(inner.right() - w - Px(6, s));
        }
    }

    bool axes = series_.empty();
    for (const TChartSeries *sr : series_)
        axes = axes || (sr->Active && sr->UsesAxes());
    if (!axes) {
        layout_.chart = inner;
        return;
    }
    const int tick = Px(4, s), gap = Px(3, s);
    auto titleSpace = [&](const TChartAxis &a) {
        if (a.Title.Caption.isEmpty())
            return 0;
        return int(std::ceil(QFontMetricsF(ScaledFont(a.Title.Font, s)).height())) + gap;
    };
    auto labelHeight = [&](const TChartAxis &a) {
        return int(std::ceil(QFontMetricsF(ScaledFont(a.LabelsFont, s)).height()));
    };
    int space[4] = {0, 0, 0, 0}; // left, top, right, bottom
    // Horizontal axes first: their height does not depend on the labels.
    for (const TChartAxis *a : {&TopAxis, &BottomAxis}) {
        if (a->Visible && AxisUsed(*a))
            space[a->OtherSide() ? 1 : 3] = tick + gap + labelHeight(*a) + titleSpace(*a);
    }
    layout_.chart = inner.adjusted(0, space[1], 0, -space[3]);
    for (const TChartAxis *a : {&LeftAxis, &RightAxis}) {
        if (!a->Visible || !AxisUsed(*a))
            continue;
        const QFontMetricsF fm(ScaledFont(a->LabelsFont, s));
        double wide = 0;
        for (double v : AxisLabels(*a, s, device))
            wide = std::max(wide, fm.horizontalAdvance(FormatFloat(a->AxisValuesFormat, v)));
        space[a->OtherSide() ? 2 : 0] = tick + gap + int(std::ceil(wide)) + gap + titleSpace(*a);
    }
    // Room for half a label beyond the ends of the axes.
    const int half = labelHeight(LeftAxis) / 2 + 1;
    space[1] = std::max(space[1], half);
    space[3] = std::max(space[3], half);
    const int halfWide =
        int(QFontMetricsF(ScaledFont(BottomAxis.LabelsFont, s))
                .horizontalAdvance(FormatFloat(BottomAxis.AxisValuesFormat, BottomAxis.Maximum)) /
            2) +
        1;
    space[0] = std::max(space[0], halfWide);
    space[2] = std::max(space[2], halfWide);
    layout_.chart = inner.adjusted(space[0], space[1], -space[2], -space[3]);
    if (layout_.chart.width() < 2)
        layout_.chart.setWidth(2);
    if (layout_.chart.height() < 2)
        layout_.chart.setHeight(2);
}

void TChart::DrawBackImage(QPainter &p, const QRect &r) const {
    if (BackImage.isNull() || r.isEmpty())
        return;
    const double s = layout_.scale;
    switch (BackImageMode) {
    case pbmStretch:
        p.drawImage(r, BackImage);
        break;
    case pbmTile: {
        const int w = Px(BackImage.width(), s), h = Px(BackImage.height(), s);
        for (int y = r.top(); y <= r.bottom(); y += h) {
            for (int x = r.left(); x <= r.right(); x += w) {
                // Tiles at the edges are cut to the rectangle.
                const int tw = std::min(w, r.right() + 1 - x), th = std::min(h, r.bottom() + 1 - y);
                p.drawImage(QRect(x, y, tw, th), BackImage, QRectF(0, 0, tw / s, th / s));
            }
        }
        break;
    }
    case pbmCenter: {
        const QSizeF shown(BackImage.width() * s, BackImage.height() * s);
        QRectF target(QPointF(r.center().x() + 0.5 - shown.width() / 2,
                              r.center().y() + 0.5 - shown.height() / 2),
                      shown);
        const QRectF cut = target.intersected(QRectF(r));
        const QRectF source((cut.left() - target.left()) / s, (cut.top() - target.top()) / s,
                            cut.width() / s, cut.height() / s);
        p.drawImage(cut, BackImage, source);
        break;
    }
    }
}

void TChart::DrawBackground(QPainter &p, const QRect &r) const {
    if (Gradient.Visible) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, ToQColor(Gradient.StartColor));
        g.setColorAt(1, ToQColor(Gradient.EndColor));
        p.fillRect(r, g);
    } else {
        p.fillRect(r, ToQColor(Color));
    }
    if (!BackImageInside)
        DrawBackImage(p, r);
}

void TChart::DrawTitles(QPainter &p, double s) {
    const QRect inner = layout_.panel.adjusted(Px(MarginLeft, s), Px(MarginTop, s),
                                               -Px(MarginRight, s), -Px(MarginBottom, s));
    auto draw = [&](const TChartTitle &t, bool top) {
        if (!t.Visible || t.Text.join(QString()).trimmed().isEmpty())
            return;
        const QFont font = ScaledFont(t.Font, s);
        const QFontMetricsF fm(font);
        p.setFont(font);
        p.setPen(ToQColor(t.Color));
        double y =
            top ? inner.top() + 2 * s : inner.bottom() + 1 - 2 * s - fm.height() * t.Text.size();
        for (const QString &line : t.Text) {
            const double w = fm.horizontalAdvance(line);
            p.drawText(QPointF(inner.center().x() + 0.5 - w / 2, y + fm.ascent()), line);
            y += fm.height();
        }
    };
    draw(Title, true);
    draw(Foot, false);
}

void TChart::DrawAxes(QPainter &p, double s) {
    const QRect plot = layout_.chart;
    const int tick = Px(4, s), gap = Px(3, s);
    const double line = std::max(1.0, std::round(s));
    p.setRenderHint(QPainter::Antialiasing, false);
    // Grid first, so that the frame and the series lie over it.
    for (const TChartAxis *a : {&BottomAxis, &TopAxis, &LeftAxis, &RightAxis}) {
        if (!a->Visible || !a->Grid || !AxisUsed(*a))
            continue;
        const QColor gray(160, 160, 160);
        // On bitmaps a dotted line is a copied strip with every other pixel
        // set: much faster than stroking dashes, and the same look.
        const bool raster =
            p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Raster && line <= 1.0;
        QImage strip;
        if (raster) {
            const int length = a->Horizontal() ? plot.height() : plot.width();
            strip = QImage(a->Horizontal() ? 1 : length, a->Horizontal() ? length : 1,
                           QImage::Format_ARGB32_Premultiplied);
            strip.fill(Qt::transparent);
            for (int i = 0; i < length; i += 2)
                strip.setPixelColor(a->Horizontal() ? 0 : i, a->Horizontal() ? i : 0, gray);
        }
        p.setPen(QPen(gray, line, Qt::DotLine));
        for (double v : AxisLabels(*a, s, p.device())) {
            const int pos = a->CalcPosValue(v);
            if (raster)
                p.drawImage(a->Horizontal() ? QPoint(pos, plot.top()) : QPoint(plot.left(), pos),
                            strip);
            else if (a->Horizontal())
                p.drawLine(QLineF(pos, plot.top(), pos, plot.bottom()));
            else
                p.drawLine(QLineF(plot.left(), pos, plot.right(), pos));
        }
    }
    p.setPen(QPen(Qt::black, line));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(plot.left(), plot.top(), plot.width() - 1, plot.height() - 1));

    p.setRenderHint(QPainter::Antialiasing, true);
    for (const TChartAxis *a : {&BottomAxis, &TopAxis, &LeftAxis, &RightAxis}) {
        if (!a->Visible || !AxisUsed(*a))
            continue;
        const QFont font = ScaledFont(a->LabelsFont, s);
        const QFontMetricsF fm(font);
        p.setFont(font);
        double extent = 0; // widest label of a vertical axis
        for (double v : AxisLabels(*a, s, p.device())) {
            const int pos = a->CalcPosValue(v);
            const QString text = FormatFloat(a->AxisValuesFormat, v);
            const double w = fm.horizontalAdvance(text);
            extent = std::max(extent, w);
            p.setPen(QPen(Qt::black, line));
            if (a->Horizontal()) {
                const double y0 = a->OtherSide() ? plot.top() : plot.bottom();
                const double dir = a->OtherSide() ? -1 : 1;
                p.drawLine(QLineF(pos, y0, pos, y0 + dir * tick));
                const double base =
                    a->OtherSide() ? y0 - tick - gap - fm.descent() : y0 + tick + gap + fm.ascent();
                p.drawText(QPointF(pos + 0.5 - w / 2, base), text);
            } else {
                const double x0 = a->OtherSide() ? plot.right() : plot.left();
                const double dir = a->OtherSide() ? 1 : -1;
                p.drawLine(QLineF(x0, pos, x0 + dir * tick, pos));
                const double left = a->OtherSide() ? x0 + tick + gap : x0 - tick - gap - w;
                p.drawText(QPointF(left, pos + 0.5 + (fm.ascent() - fm.descent()) / 2), text);
            }
        }
        if (a->Title.Caption.isEmpty())
            continue;
        const QFont tfont = ScaledFont(a->Title.Font, s);
        const QFontMetricsF tfm(tfont);
        p.setFont(tfont);
        p.setPen(Qt::black);
        const double tw = tfm.horizontalAdvance(a->Title.Caption);
        if (a->Horizontal()) {
            const double y = a->OtherSide()
                                 ? plot.top() - tick - gap - fm.height() - gap - tfm.descent()
                                 : plot.bottom() + tick + gap + fm.height() + gap + tfm.ascent();
            p.drawText(QPointF(plot.center().x() + 0.5 - tw / 2, y), a->Title.Caption);
        } else {
            p.save();
            const double cy = plot.center().y() + 0.5;
            if (a->OtherSide()) {
                const double x = plot.right() + tick + gap + extent + gap + tfm.descent();
                p.translate(x, cy);
                p.rotate(90);
            } else {
                const double x = plot.left() - tick - gap - extent - gap - tfm.descent();
                p.translate(x, cy);
                p.rotate(-90);
            }
            p.drawText(QPointF(-tw / 2, 0), a->Title.Caption);
            p.restore();
        }
    }
}

void TChart::DrawLegend(QPainter &p, double s) {
    if (legendRect_.isEmpty())
        return;
    const QFont font = ScaledFont(Title.Font, s);
    const QFontMetricsF fm(font);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, std::max(1.0, std::round(s))));
    p.setBrush(Qt::white);
    p.drawRect(legendRect_);
    p.setFont(font);
    double y = legendRect_.top() + fm.height() * 0.3;
    auto row = [&](TColor color, const QString &text) {
        const double box = fm.height() * 0.7;
        p.setPen(QPen(Qt::black, std::max(1.0, std::round(s))));
        p.setBrush(ToQColor(color));
        p.drawRect(
            QRectF(legendRect_.left() + box / 2, y + (fm.height() * 1.2 - box) / 2, box, box));
        p.drawText(QPointF(legendRect_.left() + box * 2, y + fm.ascent() + fm.height() * 0.1),
                   text);
        y += fm.height() * 1.2;
    };
    for (const TChartSeries *sr : series_) {
        if (!sr->Active || !sr->ShowInLegend)
            continue;
        if (sr->UsesAxes()) {
            row(sr->SeriesColor, sr->Title.isEmpty() ? QStringLiteral("Series") : sr->Title);
            continue;
        }
        for (int i = 0; i < sr->Count(); ++i) {
            const TColor c = sr->Colors[size_t(i)] == clTeeColor
                                 ? PieColors[size_t(i) % std::size(PieColors)]
                                 : sr->Colors[size_t(i)];
            row(c, sr->MarkText(i));
        }
    }
}

void TChart::Draw(QPainter &painter, const QRect &rect, double scale) {
    if (scale <= 0)
        scale = painter.device() ? painter.device()->logicalDpiY() / 96.0 : 1.0;
    const Layout saved = layout_;
    const bool savedValid = layoutValid_;
    const QRect savedLegend = legendRect_;
    const bool forWidget = painter.device() == &cache_;
    UpdateAutomaticRanges();
    ++drawing_;
    ComputeLayout(rect, scale, painter.device());
    painter.save();
    DrawBackground(painter, rect);
    if (BackImageInside)
        DrawBackImage(painter, layout_.chart);
    bool axes = series_.empty();
    for (const TChartSeries *sr : series_)
        axes = axes || (sr->Active && sr->UsesAxes());
    if (axes)
        DrawAxes(painter, scale);
    DrawTitles(painter, scale);
    for (TChartSeries *sr : series_) {
        if (!sr->Active)
            continue;
        if (sr->BeforeDrawValues) {
            // The handler believes the picture is fresh: lines kept over the
            // screen picture are gone with it.
            if (!forWidget && !overlay_.empty()) {
                overlay_.clear();
                overlayOnly_ = true;
                update();
            }
            painter.save();
            Canvas->painter_ = &painter;
            Canvas->scale_ = scale;
            sr->BeforeDrawValues(sr);
            Canvas->painter_ = nullptr;
            painter.restore();
        }
        painter.save();
        sr->DrawValues(painter, scale);
        painter.restore();
    }
    DrawLegend(painter, scale);
    painter.restore();
    --drawing_;
    if (forWidget) {
        layoutValid_ = true;
    } else {
        layout_ = saved;
        layoutValid_ = savedValid;
        legendRect_ = savedLegend;
    }
}

QImage TChart::ToImage() {
    QImage image(PictureSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    Draw(p, image.rect(), 1.0);
    return image;
}

void TChart::paintEvent(QPaintEvent *) {
    const qreal dpr = devicePixelRatioF();
    const QSize want = (QSizeF(size()) * dpr).toSize();
    // Paints asked for from outside redraw the chart; those for the kept
    // lines or the rubber band reuse the picture.
    if (!overlayOnly_ || !cacheValid_ || cache_.size() != want) {
        cache_ = QImage(want, QImage::Format_RGB32);
        cache_.setDevicePixelRatio(dpr);
        overlay_.clear();
        QPainter p(&cache_);
        Draw(p, rect(), 1.0);
        cacheValid_ = true;
    }
    overlayOnly_ = false;
    QPainter w(this);
    if (overlay_.empty() && rubberBand_.isNull()) {
        w.drawImage(0, 0, cache_);
        return;
    }
    QImage frame = cache_;
    {
        QPainter p(&frame);
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        for (const OverlayLine &l : overlay_) {
            p.setPen(l.pen);
            p.drawLine(l.line);
        }
        if (!rubberBand_.isNull()) {
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(rubberBand_);
        }
    }
    w.drawImage(0, 0, frame);
}

void TChart::ToggleOverlayLine(const QLine &line) {
    const QPen pen = Canvas->Pen.ToQPen(1.0);
    const auto same = [&](const OverlayLine &l) {
        return l.pen == pen &&
               (l.line == line || (l.line.p1() == line.p2() && l.line.p2() == line.p1()));
    };
    const auto it = std::find_if(overlay_.begin(), overlay_.end(), same);
    if (it != overlay_.end())
        overlay_.erase(it);
    else
        overlay_.push_back({line, pen});
    overlayOnly_ = true;
    update();
}

void TChart::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // A picture of another size is redrawn anyway.
    layoutValid_ = false;
    if (OnResize)
        OnResize();
}

// ---------------------------------------------------------------------------
// Zoom and scroll

void TChart::SaveAxesBeforeZoom() {
    EnsureLayout();
    if (!beforeZoom_.empty())
        return;
    for (const TChartAxis *a : {&LeftAxis, &RightAxis, &TopAxis, &BottomAxis})
        beforeZoom_.push_back({a->Automatic, a->Minimum, a->Maximum});
}

void TChart::ZoomRect(const QRect &rect) {
    SaveAxesBeforeZoom();
    const QRect r = rect.normalized();
    for (TChartAxis *a : {&LeftAxis, &RightAxis, &TopAxis, &BottomAxis}) {
        const double v1 = a->CalcPosPoint(a->Horizontal() ? r.left() : r.bottom());
        const double v2 = a->CalcPosPoint(a->Horizontal() ? r.right() : r.top());
        a->Automatic = false;
        a->Minimum = std::min(v1, v2);
        a->Maximum = std::max(v1, v2);
    }
    zoomed_ = true;
    Invalidate();
    if (OnZoom)
        OnZoom();
}

void TChart::ZoomPercent(double percent) {
    if (!(percent > 0))
        return;
    SaveAxesBeforeZoom();
    for (TChartAxis *a : {&LeftAxis, &RightAxis, &TopAxis, &BottomAxis}) {
        const double centre = (a->Minimum + a->Maximum) / 2;
        const double half = (a->Maximum - a->Minimum) / 2 * 100.0 / percent;
        a->Automatic = false;
        a->Minimum = centre - half;
        a->Maximum = centre + half;
    }
    zoomed_ = true;
    Invalidate();
}

void TChart::UndoZoom() {
    if (!beforeZoom_.empty()) {
        TChartAxis *axes[] = {&LeftAxis, &RightAxis, &TopAxis, &BottomAxis};
        for (size_t i = 0; i < 4; ++i) {
            axes[i]->Automatic = beforeZoom_[i].automatic;
            axes[i]->Minimum = beforeZoom_[i].minimum;
            axes[i]->Maximum = beforeZoom_[i].maximum;
        }
        beforeZoom_.clear();
    }
    zoomed_ = false;
    Invalidate();
    if (OnUndoZoom)
        OnUndoZoom();
}

// ---------------------------------------------------------------------------
// Background picture and settings

void TChart::SetBackImage(const QImage &image) {
    BackImage = image;
    Invalidate();
}

bool TChart::LoadBackImage(const QString &fileName) {
    // The bytes first, through the one checked read: the picture loader would
    // open a FIFO and wait, or read a device without end.
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(fileName, bytes, error)) {
        MessageDlg(error, mtError, mbOK);
        return false;
    }
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QImage image = reader.read();
    if (image.isNull()) {
        MessageDlg(QObject::tr("Cannot read the picture %1: %2.")
                       .arg(QuotedFileName(fileName), reader.errorString()),
                   mtError, mbOK);
        return false;
    }
    SetBackImage(image);
    return true;
}

void TChart::SetBackImageMode(int mode) {
    BackImageMode = mode == pbmTile ? pbmTile : mode == pbmCenter ? pbmCenter : pbmStretch;
    Invalidate();
}

void TChart::SetBackImageInside(bool inside) {
    BackImageInside = inside;
    Invalidate();
}

void TChart::Assign(const TChart &other) {
    if (&other == this)
        return;
    Title = other.Title;
    Foot = other.Foot;
    LeftAxis.Assign(other.LeftAxis);
    RightAxis.Assign(other.RightAxis);
    TopAxis.Assign(other.TopAxis);
    BottomAxis.Assign(other.BottomAxis);
    Gradient = other.Gradient;
    Color = other.Color;
    View3D = other.View3D;
    LegendVisible = other.LegendVisible;
    MarginLeft = other.MarginLeft;
    MarginTop = other.MarginTop;
    MarginRight = other.MarginRight;
    MarginBottom = other.MarginBottom;
    AllowZoom = other.AllowZoom;
    AllowPanning = other.AllowPanning;
    MinimumZoomPixels = other.MinimumZoomPixels;
    BackImage = other.BackImage;
    BackImageMode = other.BackImageMode;
    BackImageInside = other.BackImageInside;
    Invalidate();
}

// ---------------------------------------------------------------------------
// Mouse

TShiftState TChart::ShiftOf(const QMouseEvent *event) {
    TShiftState s = 0;
    const Qt::KeyboardModifiers m = event->modifiers();
    if (m & Qt::ShiftModifier)
        s |= ssShift;
    if (m & Qt::AltModifier)
        s |= ssAlt;
    if (m & Qt::ControlModifier)
        s |= ssCtrl;
    const Qt::MouseButtons b = event->buttons() | event->button();
    if (b & Qt::LeftButton)
        s |= ssLeft;
    if (b & Qt::RightButton)
        s |= ssRight;
    if (b & Qt::MiddleButton)
        s |= ssMiddle;
    return s;
}

namespace {
TMouseButton ButtonOf(const QMouseEvent *event) {
    switch (event->button()) {
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return mbLeft;
    }
}
} // namespace

void TChart::mousePressEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    lastMouse_ = pos;
    const TMouseButton button = ButtonOf(event);
    const TShiftState shift = ShiftOf(event);
    if (OnMouseDown)
        OnMouseDown(button, shift, pos.x(), pos.y());
    for (auto it = series_.rbegin(); it != series_.rend(); ++it) {
        const int index = (*it)->Clicked(pos.x(), pos.y());
        if (index >= 0) {
            if (OnClickSeries)
                OnClickSeries(*it, index, button, shift, pos.x(), pos.y());
            break;
        }
    }
    if (!ChartRect().contains(pos))
        return;
    if (button == mbLeft && AllowZoom) {
        drag_ = Drag::Zoom;
        pressPos_ = pos;
    } else if (button == mbRight && AllowPanning != pmNone) {
        drag_ = Drag::Pan;
        dragPos_ = pos;
    }
}

void TChart::mouseDoubleClickEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    lastMouse_ = pos;
    if (OnMouseDown)
        OnMouseDown(ButtonOf(event), ShiftOf(event) | ssDouble, pos.x(), pos.y());
}

void TChart::mouseMoveEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    lastMouse_ = pos;
    if (drag_ == Drag::Zoom) {
        rubberBand_ = QRect(pressPos_, pos).normalized();
        overlayOnly_ = true; // the picture itself is unchanged
        update();
    } else if (drag_ == Drag::Pan && pos != dragPos_) {
        SaveAxesBeforeZoom();
        const QRect plot = ChartRect();
        const QPoint d = pos - dragPos_;
        dragPos_ = pos;
        for (TChartAxis *a : {&LeftAxis, &RightAxis, &TopAxis, &BottomAxis}) {
            const double range = a->Maximum - a->Minimum;
            if (a->Horizontal() && (AllowPanning == pmHorizontal || AllowPanning == pmBoth))
                a->Scroll(-d.x() * range / std::max(1, plot.width() - 1), false);
            else if (!a->Horizontal() && (AllowPanning == pmVertical || AllowPanning == pmBoth))
                a->Scroll(d.y() * range / std::max(1, plot.height() - 1), false);
        }
        zoomed_ = true;
        if (OnScroll)
            OnScroll();
    }
    if (OnMouseMove)
        OnMouseMove(ShiftOf(event), pos.x(), pos.y());
    // Over a point of a series with a cursor of its own, that cursor shows.
    for (auto it = series_.rbegin(); it != series_.rend(); ++it) {
        if ((*it)->Cursor != Qt::ArrowCursor && (*it)->Clicked(pos.x(), pos.y()) >= 0) {
            setCursor((*it)->Cursor);
            return;
        }
    }
    setCursor(OriginalCursor);
}

void TChart::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    lastMouse_ = pos;
    if (drag_ == Drag::Zoom) {
        drag_ = Drag::None;
        rubberBand_ = QRect();
        overlayOnly_ = true;
        update();
        const QPoint d = pos - pressPos_;
        if (d.x() >= MinimumZoomPixels && d.y() >= MinimumZoomPixels)
            ZoomRect(QRect(pressPos_, pos));
        else if (d.x() <= -MinimumZoomPixels || d.y() <= -MinimumZoomPixels)
            UndoZoom(); // dragged up or to the left
    }
    drag_ = Drag::None;
    if (OnMouseUp)
        OnMouseUp(ButtonOf(event), ShiftOf(event), pos.x(), pos.y());
}
