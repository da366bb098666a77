// Chart pictures: bitmap, the two Windows metafile formats and the clipboard.
// The metafiles are vector drawings: the chart's one paint routine draws onto
// a recording paint device, and the recorded shapes become WMF or EMF records.
#include "model/SaveFile.h"
#include "platform/Chart.h"
#include "platform/Dialogs.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMimeData>
#include <QPaintEngine>
#include <QPainterPath>
#include <QSvgGenerator>
#include <cmath>
#include <cstdlib>
#include <numbers>

extern "C" {
#include <uemf.h>
#include <uwmf.h>
}

namespace {

// One shape as the chart drew it, in device pixels.
struct MetaItem {
    enum Kind { Polygon, Polyline, Text, Image } kind = Polygon;
    std::vector<QPoint> points;
    QPen pen = QPen(Qt::NoPen);
    QBrush brush = QBrush(Qt::NoBrush);
    bool winding = false;
    QPoint position; // text baseline start
    QString text;
    QFont font;         // pixel size in device pixels
    int escapement = 0; // tenths of a degree, counter-clockwise
    std::vector<int> advances;
    QRect target;
    QImage image;
};

class MetaRecorder;

class MetaEngine : public QPaintEngine {
public:
    explicit MetaEngine(MetaRecorder *device) : QPaintEngine(AllFeatures), device_(device) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    Type type() const override { return User; }
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override;
    void drawLines(const QLineF *lines, int count) override;
    void drawPixmap(const QRectF &r, const QPixmap &pm, const QRectF &sr) override {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }
    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
                   Qt::ImageConversionFlags) override;
    void drawTextItem(const QPointF &p, const QTextItem &textItem) override;

private:
    void AddShape(const QPolygonF &polygon, bool closed, bool winding);
    double PenScale() const;
    MetaRecorder *device_;
};

class MetaRecorder : public QPaintDevice {
public:
    explicit MetaRecorder(QSize size) : size_(size), engine_(this) {}
    QPaintEngine *paintEngine() const override { return const_cast<MetaEngine *>(&engine_); }
    QSize Size() const { return size_; }
    std::vector<MetaItem> Items;

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return int(std::lround(size_.width() * 25.4 / 96));
        case PdmHeightMM:
            return int(std::lround(size_.height() * 25.4 / 96));
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize size_;
    MetaEngine engine_;
};

QColor GradientColorAt(const QGradientStops &stops, double t) {
    if (stops.isEmpty())
        return Qt::black;
    if (t <= stops.first().first)
        return stops.first().second;
    for (qsizetype i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first) {
            const double span = stops[i].first - stops[i - 1].first;
            const double f = span > 0 ? (t - stops[i - 1].first) / span : 1.0;
            const QColor a = stops[i - 1].second, b = stops[i].second;
            return QColor::fromRgbF(float(a.redF() + f * (b.redF() - a.redF())),
                                    float(a.greenF() + f * (b.greenF() - a.greenF())),
                                    float(a.blueF() + f * (b.blueF() - a.blueF())));
        }
    }
    return stops.last().second;
}

std::vector<QPoint> Rounded(const QPolygonF &polygon) {
    std::vector<QPoint> points;
    points.reserve(size_t(polygon.size()));
    for (const QPointF &p : polygon)
        points.push_back(p.toPoint());
    return points;
}

double MetaEngine::PenScale() const {
    const QTransform t = painter()->combinedTransform();
    return std::sqrt(std::fabs(t.determinant()));
}

void MetaEngine::AddShape(const QPolygonF &polygon, bool closed, bool winding) {
    if (polygon.size() < 2)
        return;
    QPen pen = painter()->pen();
    if (pen.style() != Qt::NoPen)
        pen.setWidthF(std::max(1.0, pen.widthF() * PenScale()));
    const QBrush brush = painter()->brush();
    std::vector<MetaItem> &items = device_->Items;
    if (brush.style() != Qt::NoBrush) {
        const QGradient *g = brush.gradient();
        const QRectF box = polygon.boundingRect();
        const bool rectangle = polygon.size() <= 5 && closed &&
                               std::all_of(polygon.begin(), polygon.end(), [&](const QPointF &p) {
                                   return (std::fabs(p.x() - box.left()) < 0.01 ||
                                           std::fabs(p.x() - box.right()) < 0.01) &&
                                          (std::fabs(p.y() - box.top()) < 0.01 ||
                                           std::fabs(p.y() - box.bottom()) < 0.01);
                               });
        if (g && g->type() == QGradient::LinearGradient && rectangle) {
            // A linear gradient over a rectangle becomes bands of plain colour.
            const auto *lg = static_cast<const QLinearGradient *>(g);
            const QTransform t = painter()->combinedTransform();
            const QPointF a = t.map(lg->start()), b = t.map(lg->finalStop());
            const bool vertical = std::fabs(b.x() - a.x()) < 1e-6;
            const double extent = vertical ? box.height() : box.width();
            const int bands = std::clamp(int(extent / 2), 1, 128);
            for (int i = 0; i < bands; ++i) {
                const double f0 = double(i) / bands, f1 = double(i + 1) / bands;
                QRectF band = vertical ? QRectF(box.left(), box.top() + f0 * extent, box.width(),
                                                (f1 - f0) * extent)
                                       : QRectF(box.left() + f0 * extent, box.top(),
                                                (f1 - f0) * extent, box.height());
                const QPointF mid = band.center();
                const QPointF d = b - a;
                const double len2 = QPointF::dotProduct(d, d);
                const double t0 = len2 > 0 ? QPointF::dotProduct(mid - a, d) / len2 : 0.0;
                MetaItem item;
                item.brush = QBrush(GradientColorAt(g->stops(), std::clamp(t0, 0.0, 1.0)));
                const QRect r = band.toAlignedRect();
                item.points = {r.topLeft(), r.topRight() + QPoint(1, 0),
                               r.bottomRight() + QPoint(1, 1), r.bottomLeft() + QPoint(0, 1)};
                items.push_back(std::move(item));
            }
        } else {
            MetaItem item;
            item.brush = g ? QBrush(GradientColorAt(g->stops(), 0.5)) : brush;
            item.points = Rounded(polygon);
            item.winding = winding;
            if (closed && !g)
                item.pen = pen;
            items.push_back(std::move(item));
            if (closed && !g)
                return;
        }
    }
    if (pen.style() == Qt::NoPen)
        return;
    MetaItem line;
    line.kind = MetaItem::Polyline;
    line.pen = pen;
    line.points = Rounded(polygon);
    if (closed && line.points.front() != line.points.back())
        line.points.push_back(line.points.front());
    items.push_back(std::move(line));
}

void MetaEngine::drawPath(const QPainterPath &path) {
    const QTransform t = painter()->combinedTransform();
    for (const QPolygonF &polygon : path.toSubpathPolygons(t))
        AddShape(polygon, polygon.isClosed(), path.fillRule() == Qt::WindingFill);
}

void MetaEngine::drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) {
    const QTransform t = painter()->combinedTransform();
    QPolygonF polygon;
    for (int i = 0; i < count; ++i)
        polygon << t.map(points[i]);
    if (mode == PolylineMode) {
        painter()->save();
        painter()->setBrush(Qt::NoBrush);
        AddShape(polygon, false, false);
        painter()->restore();
    } else {
        polygon << polygon.first();
        AddShape(polygon, true, mode == WindingMode);
    }
}

void MetaEngine::drawLines(const QLineF *lines, int count) {
    for (int i = 0; i < count; ++i) {
        const QPointF ends[2] = {lines[i].p1(), lines[i].p2()};
        drawPolygon(ends, 2, PolylineMode);
    }
}

void MetaEngine::drawImage(const QRectF &r, const QImage &image, const QRectF &sr,
                           Qt::ImageConversionFlags) {
    MetaItem item;
    item.kind = MetaItem::Image;
    item.target = painter()->combinedTransform().mapRect(r).toAlignedRect();
    item.image = image.copy(sr.toAlignedRect()).convertToFormat(QImage::Format_RGB32);
    if (!item.target.isEmpty() && !item.image.isNull())
        device_->Items.push_back(std::move(item));
}

void MetaEngine::drawTextItem(const QPointF &p, const QTextItem &textItem) {
    const QTransform t = painter()->combinedTransform();
    MetaItem item;
    item.kind = MetaItem::Text;
    item.text = textItem.text();
    item.position = t.map(p).toPoint();
    item.pen = painter()->pen();
    QFont font = textItem.font();
    const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
    font.setPixelSize(std::max(1, int(std::lround(px * PenScale()))));
    item.font = font;
    item.escapement = -int(std::lround(std::atan2(t.m12(), t.m11()) * 1800.0 / std::numbers::pi));
    const QFontMetricsF fm(font);
    double done = 0;
    for (qsizetype i = 0; i < item.text.size(); ++i) {
        const double next = done + fm.horizontalAdvance(item.text.at(i));
        item.advances.push_back(int(std::lround(next) - std::lround(done)));
        done = next;
    }
    device_->Items.push_back(std::move(item));
}

// ---------------------------------------------------------------------------
// Writers: the record details of each format behind one driver.

class MetaWriter {
public:
    virtual ~MetaWriter() = default;
    virtual uint32_t CreatePen(const QPen &pen) = 0;
    virtual uint32_t CreateBrush(const QBrush &brush) = 0;
    virtual uint32_t CreateFont(const MetaItem &text) = 0;
    virtual void Select(uint32_t handle) = 0;
    virtual void Delete(uint32_t handle) = 0;
    virtual void FillMode(bool winding) = 0;
    virtual void TextColor(const QColor &color) = 0;
    virtual void Shape(const MetaItem &item) = 0;
    virtual void Text(const MetaItem &item) = 0;
    virtual void Image(const MetaItem &item) = 0;
    virtual bool Finish() = 0;

    void Write(const std::vector<MetaItem> &items);

protected:
    // Bottom-up 32-bit rows, as device-independent bitmaps hold them.
    static QByteArray DibPixels(const QImage &image) {
        QByteArray px;
        px.reserve(image.height() * image.width() * 4);
        for (int y = image.height() - 1; y >= 0; --y)
            px.append(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4);
        return px;
    }
    static U_BITMAPINFOHEADER DibHeader(const QImage &image) {
        return bitmapinfoheader_set(image.width(), image.height(), 1, 32, U_BI_RGB,
                                    uint32_t(image.width() * image.height() * 4), 3780, 3780, 0, 0);
    }
    static U_COLORREF Ref(const QColor &c) {
        return colorref3_set(uint8_t(c.red()), uint8_t(c.green()), uint8_t(c.blue()));
    }
    static uint32_t PenStyle(const QPen &pen) {
        switch (pen.style()) {
        case Qt::NoPen:
            return U_PS_NULL;
        case Qt::DashLine:
            return U_PS_DASH;
        case Qt::DotLine:
            return U_PS_DOT;
        case Qt::DashDotLine:
            return U_PS_DASHDOT;
        case Qt::DashDotDotLine:
            return U_PS_DASHDOTDOT;
        default:
            return U_PS_SOLID;
        }
    }
    // Style and hatch of a brush.
    static std::pair<uint32_t, uint32_t> BrushStyle(const QBrush &brush) {
        switch (brush.style()) {
        case Qt::NoBrush:
            return {U_BS_NULL, 0};
        case Qt::HorPattern:
            return {U_BS_HATCHED, U_HS_HORIZONTAL};
        case Qt::VerPattern:
            return {U_BS_HATCHED, U_HS_VERTICAL};
        case Qt::FDiagPattern:
            return {U_BS_HATCHED, U_HS_FDIAGONAL};
        case Qt::BDiagPattern:
            return {U_BS_HATCHED, U_HS_BDIAGONAL};
        case Qt::CrossPattern:
            return {U_BS_HATCHED, U_HS_CROSS};
        case Qt::DiagCrossPattern:
            return {U_BS_HATCHED, U_HS_DIAGCROSS};
        default:
            return {U_BS_SOLID, 0};
        }
    }
    static QString FontFace(const QFont &font) { return font.family().left(31); }
};

void MetaWriter::Write(const std::vector<MetaItem> &items) {
    // Objects are made when the look changes and dropped when replaced.
    QString penKey, brushKey, fontKey;
    uint32_t pen = 0, brush = 0, font = 0;
    QColor textColor;
    int fill = -1;
    auto swap = [&](uint32_t &current, uint32_t created) {
        Select(created);
        if (current)
            Delete(current);
        current = created;
    };
    for (const MetaItem &item : items) {
        if (item.kind == MetaItem::Polygon || item.kind == MetaItem::Polyline) {
            const QPen &p = item.pen;
            const QString pk = QStringLiteral("%1/%2/%3")
                                   .arg(int(p.style()))
                                   .arg(p.color().rgb())
                                   .arg(std::lround(p.widthF()));
            if (pk != penKey) {
                swap(pen, CreatePen(p));
                penKey = pk;
            }
            const QBrush b = item.kind == MetaItem::Polyline ? QBrush(Qt::NoBrush) : item.brush;
            const QString bk = QStringLiteral("%1/%2").arg(int(b.style())).arg(b.color().rgb());
            if (bk != brushKey) {
                swap(brush, CreateBrush(b));
                brushKey = bk;
            }
            if (item.kind == MetaItem::Polygon && int(item.winding) != fill) {
                fill = int(item.winding);
                FillMode(item.winding);
            }
            Shape(item);
        } else if (item.kind == MetaItem::Text) {
            const QString fk = item.font.toString() + QString::number(item.escapement);
            if (fk != fontKey) {
                swap(font, CreateFont(item));
                fontKey = fk;
            }
            if (item.pen.color() != textColor) {
                textColor = item.pen.color();
                TextColor(textColor);
            }
            Text(item);
        } else {
            Image(item);
        }
    }
}

class EmfWriter : public MetaWriter {
public:
    EmfWriter(const QString &path, QSize size) : size_(size) {
        ok_ = emf_start(QFile::encodeName(path).constData(), 1 << 20, 1 << 18, &et_) == 0 &&
              emf_htable_create(128, 128, &eht_) == 0;
        if (!ok_)
            return;
        const int w = size.width(), h = size.height();
        const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(w - 1, h - 1));
        // The frame is in hundredths of a millimetre of a 96-dpi device.
        const U_RECTL frame =
            rectl_set(point32_set(0, 0), point32_set(int32_t(std::lround(w * 2540.0 / 96)),
                                                     int32_t(std::lround(h * 2540.0 / 96))));
        Append(U_EMRHEADER_set(
            bounds, frame, nullptr, 0, nullptr, sizel_set(w, h),
            sizel_set(int32_t(std::lround(w * 25.4 / 96)), int32_t(std::lround(h * 25.4 / 96))),
            0));
        Append(U_EMRSETMAPMODE_set(U_MM_TEXT));
        Append(U_EMRSETBKMODE_set(U_TRANSPARENT));
        Append(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
    }
    ~EmfWriter() override {
        if (et_)
            emf_free(&et_);
        if (eht_)
            emf_htable_free(&eht_);
    }
    uint32_t CreatePen(const QPen &pen) override {
        uint32_t ih = 0;
        const int32_t width = int32_t(std::lround(pen.widthF()));
        Append(createpen_set(&ih, eht_,
                             logpen_set(PenStyle(pen), point32_set(width, 0), Ref(pen.color()))));
        return ih;
    }
    uint32_t CreateBrush(const QBrush &brush) override {
        uint32_t ih = 0;
        const auto [style, hatch] = BrushStyle(brush);
        Append(createbrushindirect_set(&ih, eht_,
                                       logbrush_set(style, Ref(brush.color()), int32_t(hatch))));
        return ih;
    }
    uint32_t CreateFont(const MetaItem &text) override {
        const QString face = FontFace(text.font);
        std::vector<uint16_t> name(32, 0);
        for (qsizetype i = 0; i < face.size(); ++i)
            name[size_t(i)] = face.at(i).unicode();
        const U_LOGFONT lf = logfont_set(
            -text.font.pixelSize(), 0, text.escapement, text.escapement,
            text.font.bold() ? U_FW_BOLD : U_FW_NORMAL, text.font.italic(), text.font.underline(),
            text.font.strikeOut(), U_DEFAULT_CHARSET, U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
            U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_SWISS, name.data());
        uint32_t ih = 0;
        Append(extcreatefontindirectw_set(&ih, eht_, reinterpret_cast<const char *>(&lf), nullptr));
        return ih;
    }
    void Select(uint32_t handle) override { Append(selectobject_set(handle, eht_)); }
    void Delete(uint32_t handle) override { Append(deleteobject_set(&handle, eht_)); }
    void FillMode(bool winding) override {
        Append(U_EMRSETPOLYFILLMODE_set(winding ? U_WINDING : U_ALTERNATE));
    }
    void TextColor(const QColor &color) override { Append(U_EMRSETTEXTCOLOR_set(Ref(color))); }
    void Shape(const MetaItem &item) override {
        std::vector<U_POINTL> pts;
        int32_t l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, b = INT32_MIN;
        for (const QPoint &p : item.points) {
            pts.push_back(point32_set(p.x(), p.y()));
            l = std::min(l, p.x());
            t = std::min(t, p.y());
            r = std::max(r, p.x());
            b = std::max(b, p.y());
        }
        const U_RECTL bounds = rectl_set(point32_set(l, t), point32_set(r, b));
        Append(item.kind == MetaItem::Polygon
                   ? U_EMRPOLYGON_set(bounds, uint32_t(pts.size()), pts.data())
                   : U_EMRPOLYLINE_set(bounds, uint32_t(pts.size()), pts.data()));
    }
    void Text(const MetaItem &item) override {
        std::vector<uint16_t> utf16;
        for (QChar c : item.text)
            utf16.push_back(c.unicode());
        std::vector<uint32_t> dx(item.advances.begin(), item.advances.end());
        if (utf16.empty())
            return;
        const U_RECTL none = rectl_set(point32_set(0, 0), point32_set(-1, -1));
        char *text =
            emrtext_set(point32_set(item.position.x(), item.position.y()), uint32_t(utf16.size()),
                        2, utf16.data(), U_ETO_NONE, none, dx.data());
        Append(U_EMREXTTEXTOUTW_set(none, U_GM_COMPATIBLE, 1.0f, 1.0f,
                                    reinterpret_cast<PU_EMRTEXT>(text)));
        std::free(text);
    }
    void Image(const MetaItem &item) override {
        QByteArray px = DibPixels(item.image);
        PU_BITMAPINFO bmi = bitmapinfo_set(DibHeader(item.image), nullptr);
        const QRect r = item.target;
        Append(U_EMRSTRETCHDIBITS_set(
            rectl_set(point32_set(r.left(), r.top()), point32_set(r.right(), r.bottom())),
            point32_set(r.left(), r.top()), point32_set(r.width(), r.height()), point32_set(0, 0),
            point32_set(item.image.width(), item.image.height()), U_DIB_RGB_COLORS, U_SRCCOPY, bmi,
            uint32_t(px.size()), px.data()));
        std::free(bmi);
    }
    bool Finish() override {
        if (!ok_)
            return false;
        Append(U_EMREOF_set(0, nullptr, et_));
        return ok_ && emf_finish(et_, eht_) == 0;
    }
    // The finished picture as the library built it in memory.
    QByteArray Bytes() const {
        return et_ ? QByteArray(et_->buf, qsizetype(et_->used)) : QByteArray();
    }

private:
    void Append(char *record) {
        if (!record || !ok_ || emf_append(reinterpret_cast<PU_ENHMETARECORD>(record), et_, 1) != 0)
            ok_ = false;
    }
    QSize size_;
    EMFTRACK *et_ = nullptr;
    EMFHANDLES *eht_ = nullptr;
    bool ok_ = false;
};

class WmfWriter : public MetaWriter {
public:
    WmfWriter(const QString &path, QSize size) {
        ok_ = wmf_start(QFile::encodeName(path).constData(), 1 << 20, 1 << 18, &wt_) == 0 &&
              wmf_htable_create(128, 128, &wht_) == 0;
        if (!ok_)
            return;
        // Placeable: the picture's size in inches at 96 units per inch.
        U_PAIRF *inches = U_PAIRF_set(float(size.width() / 96.0), float(size.height() / 96.0));
        char *header = U_WMRHEADER_set(inches, 96);
        std::free(inches);
        if (!header || wmf_header_append(reinterpret_cast<U_METARECORD *>(header), wt_, 1) != 0)
            ok_ = false;
        Append(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
        Append(U_WMRSETWINDOWEXT_set(point16_set(int16_t(size.width()), int16_t(size.height()))));
        Append(U_WMRSETBKMODE_set(U_TRANSPARENT));
        Append(U_WMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
    }
    ~WmfWriter() override {
        if (wt_)
            wmf_free(&wt_);
        if (wht_)
            wmf_htable_free(&wht_);
    }
    uint32_t CreatePen(const QPen &pen) override {
        uint32_t ih = 0;
        Append(wcreatepenindirect_set(&ih, wht_,
                                      U_PEN_set(uint16_t(PenStyle(pen)),
                                                uint16_t(std::lround(pen.widthF())),
                                                Ref(pen.color()))));
        return ih;
    }
    uint32_t CreateBrush(const QBrush &brush) override {
        uint32_t ih = 0;
        const auto [style, hatch] = BrushStyle(brush);
        Append(wcreatebrushindirect_set(
            &ih, wht_, U_WLOGBRUSH_set(uint16_t(style), Ref(brush.color()), uint16_t(hatch))));
        return ih;
    }
    uint32_t CreateFont(const MetaItem &text) override {
        QByteArray face = FontFace(text.font).toLatin1();
        U_FONT *font = U_FONT_set(
            int16_t(-text.font.pixelSize()), 0, int16_t(text.escapement), int16_t(text.escapement),
            int16_t(text.font.bold() ? U_FW_BOLD : U_FW_NORMAL), text.font.italic(),
            text.font.underline(), text.font.strikeOut(), U_ANSI_CHARSET, U_OUT_DEFAULT_PRECIS,
            U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_SWISS, face.data());
        uint32_t ih = 0;
        Append(wcreatefontindirect_set(&ih, wht_, font));
        std::free(font);
        return ih;
    }
    void Select(uint32_t handle) override { Append(wselectobject_set(handle, wht_)); }
    void Delete(uint32_t handle) override { Append(wdeleteobject_set(&handle, wht_)); }
    void FillMode(bool winding) override {
        Append(U_WMRSETPOLYFILLMODE_set(winding ? U_WINDING : U_ALTERNATE));
    }
    void TextColor(const QColor &color) override { Append(U_WMRSETTEXTCOLOR_set(Ref(color))); }
    void Shape(const MetaItem &item) override {
        std::vector<U_POINT16> pts;
        for (const QPoint &p : item.points)
            pts.push_back(point16_set(int16_t(p.x()), int16_t(p.y())));
        Append(item.kind == MetaItem::Polygon
                   ? U_WMRPOLYGON_set(uint16_t(pts.size()), pts.data())
                   : U_WMRPOLYLINE_set(uint16_t(pts.size()), pts.data()));
    }
    void Text(const MetaItem &item) override {
        // The old format holds 8-bit text.
        const QByteArray text = item.text.toLatin1();
        if (text.isEmpty())
            return;
        std::vector<int16_t> dx(item.advances.begin(), item.advances.end());
        Append(U_WMREXTTEXTOUT_set(
            point16_set(int16_t(item.position.x()), int16_t(item.position.y())),
            int16_t(text.size()), 0, text.constData(), dx.data(), U_RECT16{0, 0, 0, 0}));
    }
    void Image(const MetaItem &item) override {
        QByteArray px = DibPixels(item.image);
        PU_BITMAPINFO bmi = bitmapinfo_set(DibHeader(item.image), nullptr);
        const QRect r = item.target;
        Append(U_WMRSTRETCHDIB_set(
            point16_set(int16_t(r.left()), int16_t(r.top())),
            point16_set(int16_t(r.width()), int16_t(r.height())), point16_set(0, 0),
            point16_set(int16_t(item.image.width()), int16_t(item.image.height())),
            U_DIB_RGB_COLORS, U_SRCCOPY, bmi, uint32_t(px.size()), px.constData()));
        std::free(bmi);
    }
    bool Finish() override {
        if (!ok_)
            return false;
        Append(U_WMREOF_set());
        return ok_ && wmf_finish(wt_) == 0;
    }
    QByteArray Bytes() const {
        return wt_ ? QByteArray(wt_->buf, qsizetype(wt_->used)) : QByteArray();
    }

private:
    void Append(char *record) {
        if (!record || !ok_ || wmf_append(reinterpret_cast<U_METARECORD *>(record), wt_, 1) != 0)
            ok_ = false;
    }
    WMFTRACK *wt_ = nullptr;
    WMFHANDLES *wht_ = nullptr;
    bool ok_ = false;
};

// The chart as a metafile's bytes (empty on failure).
QByteArray MetafileBytes(TChart &chart, bool enhanced) {
    MetaRecorder recorder(chart.PictureSize());
    {
        QPainter p(&recorder);
        chart.Draw(p, QRect(QPoint(0, 0), recorder.Size()), 1.0);
    }
    // The library builds the picture in memory and copies it to a file as it
    // finishes; the copy goes nowhere, the picture is taken from memory, so
    // only the save itself writes to the disk.
    const QString nowhere = QStringLiteral("/dev/null");
    if (enhanced) {
        EmfWriter writer(nowhere, recorder.Size());
        writer.Write(recorder.Items);
        return writer.Finish() ? writer.Bytes() : QByteArray();
    }
    WmfWriter writer(nowhere, recorder.Size());
    writer.Write(recorder.Items);
    return writer.Finish() ? writer.Bytes() : QByteArray();
}

bool WriteFile(const QString &fileName, const QByteArray &bytes) {
    QString why = QStringLiteral("The picture could not be made");
    if (!bytes.isEmpty() && TSaveFile::WriteFile(fileName, bytes, &why))
        return true;
    MessageDlg(QObject::tr("Cannot write the picture %1.").arg(fileName) + QLatin1Char('\n') + why,
               mtError, mbOK);
    return false;
}

} // namespace

bool TChart::SaveToBitmapFile(const QString &fileName) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ToImage().save(&buffer, "BMP");
    return WriteFile(fileName, bytes);
}

bool TChart::SaveToMetafile(const QString &fileName) {
    return WriteFile(fileName, MetafileBytes(*this, false));
}

bool TChart::SaveToMetafileEnh(const QString &fileName) {
    return WriteFile(fileName, MetafileBytes(*this, true));
}

void TChart::CopyToClipboardBitmap() {
    QGuiApplication::clipboard()->setImage(ToImage());
}

QMimeData *TChart::MetafileMimeData(bool enhanced) {
    auto *data = new QMimeData;
    data->setImageData(ToImage());
    QByteArray svg;
    {
        QBuffer buffer(&svg);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(PictureSize());
        generator.setViewBox(QRect(QPoint(0, 0), PictureSize()));
        generator.setResolution(96);
        QPainter p(&generator);
        Draw(p, QRect(QPoint(0, 0), PictureSize()), 1.0);
    }
    data->setData(QStringLiteral("image/svg+xml"), svg);
    const QByteArray meta = MetafileBytes(*this, enhanced);
    if (!meta.isEmpty()) {
        const QStringList types =
            enhanced ? QStringList{QStringLiteral("image/x-emf"), QStringLiteral("image/emf")}
                     : QStringList{QStringLiteral("image/x-wmf"), QStringLiteral("image/wmf")};
        for (const QString &type : types)
            data->setData(type, meta);
    }
    return data;
}

void TChart::CopyToClipboardMetafile(bool enhanced) {
    QGuiApplication::clipboard()->setMimeData(MetafileMimeData(enhanced));
}
