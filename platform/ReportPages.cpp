#include "platform/ReportPages.h"

#include "model/ReadFile.h"
#include "model/SaveFile.h"
#include "platform/Fonts.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <array>
#include <cmath>
#include <cstring>

bool TQRPageOp::operator==(const TQRPageOp &o) const {
    return kind == o.kind && Clip == o.Clip && Rect == o.Rect && String == o.String &&
           FontFamily == o.FontFamily && FontPixelSize == o.FontPixelSize && Bold == o.Bold &&
           Italic == o.Italic && Underline == o.Underline && Flags == o.Flags && Pen == o.Pen &&
           LineF == o.LineF && Points == o.Points && Brush == o.Brush &&
           Picture.convertToFormat(QImage::Format_ARGB32) ==
               o.Picture.convertToFormat(QImage::Format_ARGB32);
}

QStringList TQRPage::Texts() const {
    QStringList texts;
    for (const TQRPageOp &op : Ops) {
        if (op.kind == TQRPageOp::Text)
            texts << op.String;
    }
    return texts;
}

namespace {

QPen PenOf(const TQRPen &p) {
    if (p.Style == Qt::NoPen)
        return QPen(Qt::NoPen);
    QPen pen(QColor::fromRgba(p.Color));
    pen.setWidthF(p.Width);
    pen.setStyle(Qt::PenStyle(p.Style));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QBrush BrushOf(const TQRBrush &b) {
    if (b.Style == Qt::NoBrush)
        return QBrush(Qt::NoBrush);
    return QBrush(QColor::fromRgba(b.Color), Qt::BrushStyle(b.Style));
}

} // namespace

namespace {

// The painter as the page's operations draw: each draws in the painter's own
// state (as DrawPageOps found it) narrowed to the operation's clip, with the
// font, pen, brush and picture smoothing it needs. Each of these is set only
// when an operation needs it other than it is: a save and restore of the
// painter for each operation made every device (the PDF writer above all)
// set up its whole state again, several times over.
class TPageOpPainter {
public:
    // `known`: the painter's clip is exactly `bounds` (none when null), so
    // an operation's clip can be set in its place as the intersection.
    TPageOpPainter(QPainter &painter, bool known, const QRectF &bounds)
        : painter_(painter), known_(known), bounds_(bounds), ownPen_(painter.pen()),
          ownBrush_(painter.brush()),
          ownSmoothing_(painter.testRenderHint(QPainter::SmoothPixmapTransform)) {
        painter_.save();
    }
    ~TPageOpPainter() { painter_.restore(); }
    TPageOpPainter(const TPageOpPainter &) = delete;
    TPageOpPainter &operator=(const TPageOpPainter &) = delete;

    void Draw(const TQRPageOp &op) {
        // Text keeps to its own rectangle unless told not to: where the clip
        // in force and its own both hold that rectangle, it draws the same
        // under either, and the clip stays as it is (a ranking's cells would
        // change it twice each).
        if (!KeepsToItsRect(op))
            SetClip(op.Clip);
        // The painter's own pen and brush where an operation sets none, as
        // when each was drawn on its own: a picture on a PDF page, for one,
        // takes the brush's opacity.
        switch (op.kind) {
        case TQRPageOp::Text:
            SetFont(op);
            SetPen({TPenUse::TextColour, TQRPen{op.Pen.Color, 0, 0}});
            SetBrush(nullptr);
            SetSmoothing(ownSmoothing_);
            painter_.drawText(op.Rect, int(op.Flags), op.String);
            break;
        case TQRPageOp::Line:
            SetPen({TPenUse::Stroke, op.Pen});
            SetBrush(nullptr);
            SetSmoothing(ownSmoothing_);
            painter_.drawLine(op.LineF);
            break;
        case TQRPageOp::Polygon:
            SetPen({TPenUse::Stroke, op.Pen});
            SetBrush(&op.Brush);
            SetSmoothing(ownSmoothing_);
            painter_.drawPolygon(op.Points);
            break;
        case TQRPageOp::Image:
            SetPen({TPenUse::Own, TQRPen{}});
            SetBrush(nullptr);
            SetSmoothing(true);
            painter_.drawImage(op.Rect, op.Picture);
            break;
        }
    }

private:
    enum class TPenUse : quint8 { Own, TextColour, Stroke };
    struct TPenChoice {
        TPenUse use = TPenUse::Own;
        TQRPen pen;
        bool operator==(const TPenChoice &) const = default;
    };
    struct TFontChoice {
        QString family;
        int pixelSize = 0;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool operator==(const TFontChoice &) const = default;
    };

    static bool Holds(const QRectF &clip, const QRectF &rect) {
        return clip.isEmpty() || clip.contains(rect);
    }

    bool KeepsToItsRect(const TQRPageOp &op) const {
        return op.kind == TQRPageOp::Text && !(op.Flags & Qt::TextDontClip) &&
               Holds(op.Clip, op.Rect) && Holds(clip_, op.Rect);
    }

    void SetClip(const QRectF &opClip) {
        const QRectF clip = opClip.isEmpty() ? QRectF() : opClip;
        // Exactly the same clip (QRectF's == is fuzzy).
        if (clip.x() == clip_.x() && clip.y() == clip_.y() && clip.width() == clip_.width() &&
            clip.height() == clip_.height())
            return;
        const bool narrowed = !clip_.isNull();
        clip_ = clip;
        if (known_) {
            // One change of the device's clip in place of three.
            if (clip.isNull() && bounds_.isNull())
                painter_.setClipping(false);
            else if (clip.isNull() || bounds_.isNull())
                painter_.setClipRect(clip.isNull() ? bounds_ : clip, Qt::ReplaceClip);
            else
                painter_.setClipRect(bounds_ & clip, Qt::ReplaceClip);
            return;
        }
        // A clip only narrows: back to the painter's own before the next.
        if (narrowed) {
            painter_.restore();
            painter_.save();
            pen_ = TPenChoice();
            brushSet_ = false;
            fontSet_ = false;
            smoothing_ = ownSmoothing_;
        }
        if (!clip.isNull())
            painter_.setClipRect(clip, Qt::IntersectClip);
    }

    void SetFont(const TQRPageOp &op) {
        const TFontChoice choice{op.FontFamily, std::max(1, int(std::lround(op.FontPixelSize))),
                                 op.Bold, op.Italic, op.Underline};
        if (fontSet_ && choice == font_)
            return;
        QFont font(choice.family);
        font.setPixelSize(choice.pixelSize);
        font.setBold(choice.bold);
        font.setItalic(choice.italic);
        font.setUnderline(choice.underline);
        // Glyphs placed as on the design surface, whatever the device.
        font.setHintingPreference(QFont::PreferNoHinting);
        painter_.setFont(font);
        font_ = choice;
        fontSet_ = true;
    }

    void SetPen(const TPenChoice &choice) {
        if (choice == pen_)
            return;
        switch (choice.use) {
        case TPenUse::Own:
            painter_.setPen(ownPen_);
            break;
        case TPenUse::TextColour:
            painter_.setPen(QColor::fromRgba(choice.pen.Color));
            break;
        case TPenUse::Stroke:
            painter_.setPen(PenOf(choice.pen));
            break;
        }
        pen_ = choice;
    }

    // The operation's brush, or the painter's own (null).
    void SetBrush(const TQRBrush *brush) {
        if (brush ? brushSet_ && *brush == brush_ : !brushSet_)
            return;
        painter_.setBrush(brush ? BrushOf(*brush) : ownBrush_);
        brushSet_ = brush != nullptr;
        if (brush)
            brush_ = *brush;
    }

    void SetSmoothing(bool on) {
        if (on == smoothing_)
            return;
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, on);
        smoothing_ = on;
    }

    QPainter &painter_;
    const bool known_;
    const QRectF bounds_;
    const QPen ownPen_;
    const QBrush ownBrush_;
    const bool ownSmoothing_;
    QRectF clip_; // the operation's, null for none
    TPenChoice pen_;
    TQRBrush brush_;
    bool brushSet_ = false; // else the painter's own brush
    TFontChoice font_;
    bool fontSet_ = false; // else the painter's own font
    bool smoothing_ = ownSmoothing_;
};

} // namespace

void DrawPageOps(QPainter &painter, const TQRPage &page) {
    TPageOpPainter opPainter(painter, !painter.hasClipping(), QRectF());
    for (const TQRPageOp &op : page.Ops)
        opPainter.Draw(op);
}

void DrawPageOps(QPainter &painter, const TQRPage &page, const QRectF &painterClip) {
    TPageOpPainter opPainter(painter, true, painterClip);
    for (const TQRPageOp &op : page.Ops)
        opPainter.Draw(op);
}

TQRPageSet::TQRPageSet(std::vector<TQRPage> pages)
    : pages_(std::make_shared<const std::vector<TQRPage>>(std::move(pages))) {}

// The saved report: a header of magic, format number, body length and the
// body's CRC-32, then the body. All numbers little-endian; strings UTF-8 with
// a byte count; images PNG with a byte count.
namespace {

const char Magic[8] = {'\x89', 'V', 'R', 'Q', 'R', 'P', '\r', '\n'};
using qrp::HeaderSize;

quint32 Crc32(const QByteArray &data) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data)
        crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

class Writer {
public:
    QByteArray bytes;
    void U8(quint8 v) { bytes.append(char(v)); }
    void U32(quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        bytes.append(b, 4);
    }
    void F64(double v) {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        char b[8];
        qToLittleEndian(bits, b);
        bytes.append(b, 8);
    }
    void Str(const QString &s) {
        const QByteArray utf8 = s.toUtf8();
        U32(quint32(utf8.size()));
        bytes.append(utf8);
    }
    void Rect(const QRectF &r) {
        F64(r.x());
        F64(r.y());
        F64(r.width());
        F64(r.height());
    }
    void Pen(const TQRPen &p) {
        U32(p.Color);
        F64(p.Width);
        U8(p.Style);
    }
};

// Reads the body; every read checks what is left, every count and length
// its bound, every number that it is finite and within the page's reach.
class Reader {
public:
    explicit Reader(const QByteArray &b) : bytes(b) {}
    const QByteArray &bytes;
    qsizetype pos = 0;
    QString error;

    bool Fail(const QString &why) {
        if (error.isEmpty())
            error = why;
        return false;
    }
    bool Need(qsizetype n) {
        if (n < 0 || bytes.size() - pos < n)
            return Fail(QStringLiteral("the file ends too early"));
        return true;
    }
    bool U8(quint8 &v) {
        if (!Need(1))
            return false;
        v = quint8(bytes[pos++]);
        return true;
    }
    bool U32(quint32 &v) {
        if (!Need(4))
            return false;
        v = qFromLittleEndian<quint32>(bytes.constData() + pos);
        pos += 4;
        return true;
    }
    bool F64(double &v, double bound = qrp::MaxCoordinate) {
        if (!Need(8))
            return false;
        const quint64 bits = qFromLittleEndian<quint64>(bytes.constData() + pos);
        pos += 8;
        std::memcpy(&v, &bits, 8);
        if (!std::isfinite(v) || std::fabs(v) > bound)
            return Fail(QStringLiteral("a number is out of range"));
        return true;
    }
    bool Count(quint32 &v, quint32 bound) {
        if (!U32(v))
            return false;
        if (v > bound)
            return Fail(QStringLiteral("a count is out of range"));
        return true;
    }
    bool Str(QString &s) {
        quint32 n;
        if (!Count(n, qrp::MaxStringBytes) || !Need(n))
            return false;
        const QByteArray utf8 = bytes.mid(pos, n);
        pos += n;
        s = QString::fromUtf8(utf8);
        if (s.toUtf8() != utf8)
            return Fail(QStringLiteral("a text is not valid UTF-8"));
        return true;
    }
    bool Rect(QRectF &r, bool allowEmpty = true) {
        double x, y, w, h;
        if (!F64(x) || !F64(y) || !F64(w) || !F64(h))
            return false;
        if (w < 0 || h < 0 || (!allowEmpty && (w == 0 || h == 0)))
            return Fail(QStringLiteral("a rectangle has a negative size"));
        r = QRectF(x, y, w, h);
        return true;
    }
    bool Pen(TQRPen &p) {
        if (!U32(p.Color) || !F64(p.Width, 1000.0) || !U8(p.Style))
            return false;
        if (p.Width < 0 || p.Style > Qt::DashDotDotLine)
            return Fail(QStringLiteral("a pen is not valid"));
        return true;
    }
};

// What a file may hold in all, counted as it is read (a file beyond it is
// refused before anything of its size is built) and as it is written (no
// file is written that the reader would refuse).
struct Budget {
    quint64 ops = 0;
    quint64 pictureBytes = 0;
    QString error;

    bool AddOps(quint64 n) {
        ops += n;
        if (ops > qrp::MaxTotalOps) {
            error =
                QStringLiteral("it holds more drawing operations than any report of this program");
            return false;
        }
        return true;
    }
    bool AddPicture(QSize size, QImage::Format format) {
        // Decoded at least 4 bytes a pixel (16-bit channels give 8).
        const quint64 depth = std::max(4, QImage::toPixelFormat(format).bitsPerPixel() / 8);
        pictureBytes += quint64(size.width()) * quint64(size.height()) * depth;
        if (pictureBytes > qrp::MaxPictureBytes) {
            error = QStringLiteral(
                "its pictures together are larger than in any report of this program");
            return false;
        }
        return true;
    }
};

constexpr quint32 KnownTextFlags = Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter |
                                   Qt::AlignJustify | Qt::AlignTop | Qt::AlignBottom |
                                   Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextWordWrap |
                                   Qt::TextDontClip | Qt::TextExpandTabs;

// Reads one operation; its picture is decoded only with `decode`.
bool ReadOp(Reader &r, TQRPageOp &op, Budget &budget, bool decode) {
    quint8 kind;
    if (!r.U8(kind))
        return false;
    if (kind < TQRPageOp::Text || kind > TQRPageOp::Image)
        return r.Fail(QStringLiteral("unknown drawing operation"));
    op.kind = TQRPageOp::Kind(kind);
    if (!r.Rect(op.Clip))
        return false;
    switch (op.kind) {
    case TQRPageOp::Text: {
        quint8 style;
        if (!r.Rect(op.Rect) || !r.Str(op.String) || !r.Str(op.FontFamily) ||
            !r.F64(op.FontPixelSize, 10000.0) || !r.U8(style) || !r.U32(op.Flags) || !r.Pen(op.Pen))
            return false;
        if (op.FontPixelSize < 0.5 || style > 7 || (op.Flags & ~KnownTextFlags))
            return r.Fail(QStringLiteral("a text run is not valid"));
        op.Bold = style & 1;
        op.Italic = style & 2;
        op.Underline = style & 4;
        // A page saved where its family had the glyphs may be read where it
        // has not ("Symbol" on the URW fonts): it draws in one that has them.
        if (decode && qGuiApp) {
            QFont font(op.FontFamily);
            font.setPixelSize(std::max(1, int(std::lround(op.FontPixelSize))));
            op.FontFamily = FontForText(font, op.String).family();
        }
        return true;
    }
    case TQRPageOp::Line: {
        double x1, y1, x2, y2;
        if (!r.F64(x1) || !r.F64(y1) || !r.F64(x2) || !r.F64(y2) || !r.Pen(op.Pen))
            return false;
        op.LineF = QLineF(x1, y1, x2, y2);
        return true;
    }
    case TQRPageOp::Polygon: {
        quint32 n;
        if (!r.Pen(op.Pen) || !r.U32(op.Brush.Color) || !r.U8(op.Brush.Style) ||
            !r.Count(n, qrp::MaxPointsPerPolygon))
            return false;
        if (op.Brush.Style > Qt::DiagCrossPattern)
            return r.Fail(QStringLiteral("a brush is not valid"));
        if (!r.Need(qsizetype(n) * 16))
            return false;
        op.Points.reserve(n);
        for (quint32 i = 0; i < n; ++i) {
            double x, y;
            if (!r.F64(x) || !r.F64(y))
                return false;
            op.Points << QPointF(x, y);
        }
        return true;
    }
    case TQRPageOp::Image: {
        quint32 n;
        if (!r.Rect(op.Rect) || !r.Count(n, qrp::MaxImageBytes) || !r.Need(n))
            return false;
        QByteArray png = QByteArray::fromRawData(r.bytes.constData() + r.pos, n);
        r.pos += n;
        QBuffer buffer(&png);
        QImageReader reader(&buffer, "png");
        reader.setDecideFormatFromContent(false);
        const QSize size = reader.size();
        if (!size.isValid() || size.isEmpty() || size.width() > qrp::MaxImageSide ||
            size.height() > qrp::MaxImageSide)
            return r.Fail(QStringLiteral("a picture is not valid"));
        if (!budget.AddPicture(size, reader.imageFormat()))
            return r.Fail(budget.error);
        if (decode && (!reader.read(&op.Picture) || op.Picture.size() != size))
            return r.Fail(QStringLiteral("a picture is not valid"));
        return true;
    }
    }
    return false;
}

bool WriteOp(Writer &w, const TQRPageOp &op, Budget &budget, QString &error) {
    w.U8(op.kind);
    w.Rect(op.Clip);
    switch (op.kind) {
    case TQRPageOp::Text:
        w.Rect(op.Rect);
        w.Str(op.String);
        w.Str(op.FontFamily);
        w.F64(op.FontPixelSize);
        w.U8(quint8((op.Bold ? 1 : 0) | (op.Italic ? 2 : 0) | (op.Underline ? 4 : 0)));
        w.U32(op.Flags);
        w.Pen(op.Pen);
        break;
    case TQRPageOp::Line:
        w.F64(op.LineF.x1());
        w.F64(op.LineF.y1());
        w.F64(op.LineF.x2());
        w.F64(op.LineF.y2());
        w.Pen(op.Pen);
        break;
    case TQRPageOp::Polygon:
        w.Pen(op.Pen);
        w.U32(op.Brush.Color);
        w.U8(op.Brush.Style);
        w.U32(quint32(op.Points.size()));
        for (const QPointF &p : op.Points) {
            w.F64(p.x());
            w.F64(p.y());
        }
        break;
    case TQRPageOp::Image: {
        w.Rect(op.Rect);
        if (op.Picture.width() > qrp::MaxImageSide || op.Picture.height() > qrp::MaxImageSide) {
            error = QStringLiteral("a picture is too large to save");
            return false;
        }
        if (!budget.AddPicture(op.Picture.size(), op.Picture.format())) {
            error = budget.error;
            return false;
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!op.Picture.save(&buffer, "PNG") || png.isEmpty()) {
            error = QStringLiteral("a picture could not be encoded as PNG");
            return false;
        }
        if (png.size() > qsizetype(qrp::MaxImageBytes)) {
            error = QStringLiteral("a picture is too large to save");
            return false;
        }
        w.U32(quint32(png.size()));
        w.bytes.append(png);
        break;
    }
    }
    return true;
}

// Reads the body into `pages`; without pages, every operation goes into one
// scratch operation and no picture is decoded.
bool ReadBody(const QByteArray &body, std::vector<TQRPage> *pages, QString &error) {
    auto refuse = [&error](const QString &why) {
        error = why;
        return false;
    };
    Reader r(body);
    Budget budget;
    quint32 pageCount;
    if (!r.Count(pageCount, qrp::MaxPages))
        return refuse(r.error);
    for (quint32 p = 0; p < pageCount; ++p) {
        double w, h;
        quint32 ops;
        if (!r.F64(w) || !r.F64(h) || !r.Count(ops, qrp::MaxOpsPerPage))
            return refuse(r.error);
        if (w < 1 || h < 1)
            return refuse(QStringLiteral("a page has no size"));
        // Every operation takes at least its kind and clip.
        if (!r.Need(qsizetype(ops) * 33))
            return refuse(r.error);
        if (!budget.AddOps(ops))
            return refuse(budget.error);
        if (!pages) {
            for (quint32 i = 0; i < ops; ++i) {
                TQRPageOp scratch;
                if (!ReadOp(r, scratch, budget, false))
                    return refuse(r.error);
            }
            continue;
        }
        TQRPage page;
        page.Size = QSizeF(w, h);
        page.Ops.resize(ops);
        for (TQRPageOp &op : page.Ops) {
            if (!ReadOp(r, op, budget, true))
                return refuse(r.error);
        }
        pages->push_back(std::move(page));
    }
    if (r.pos != body.size())
        return refuse(QStringLiteral("the file has extra bytes"));
    return true;
}

} // namespace

QByteArray qrp::Header(const QByteArray &body) {
    Writer header;
    header.bytes.append(Magic, 8);
    header.U32(qrp::FormatVersion);
    header.U32(quint32(body.size()));
    header.U32(Crc32(body));
    return header.bytes;
}

QByteArray TQRPageSet::ToBytes(QString *error) const {
    auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    Writer body;
    Budget budget;
    QString why;
    body.U32(quint32(PageCount()));
    for (int i = 0; i < PageCount(); ++i) {
        const TQRPage &page = Page(i);
        body.F64(page.Size.width());
        body.F64(page.Size.height());
        body.U32(quint32(page.Ops.size()));
        if (!budget.AddOps(page.Ops.size()))
            return refuse(budget.error);
        for (const TQRPageOp &op : page.Ops) {
            if (!WriteOp(body, op, budget, why))
                return refuse(why);
        }
    }
    if (body.bytes.size() > qrp::MaxFileBytes - HeaderSize)
        return refuse(QStringLiteral("the report is too large to save"));
    return qrp::Header(body.bytes) + body.bytes;
}

bool TQRPageSet::FromBytes(const QByteArray &bytes, QString *error) {
    auto refuse = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (bytes.size() < HeaderSize || std::memcmp(bytes.constData(), Magic, 8) != 0)
        return refuse(QStringLiteral("it is not a saved report"));
    const quint32 version = qFromLittleEndian<quint32>(bytes.constData() + 8);
    const quint32 length = qFromLittleEndian<quint32>(bytes.constData() + 12);
    const quint32 crc = qFromLittleEndian<quint32>(bytes.constData() + 16);
    if (version != qrp::FormatVersion)
        return refuse(QStringLiteral("it was saved in format %1, which this program does not read")
                          .arg(version));
    if (qint64(length) != bytes.size() - HeaderSize)
        return refuse(QStringLiteral("the file is truncated or has extra bytes"));
    const QByteArray body =
        QByteArray::fromRawData(bytes.constData() + HeaderSize, bytes.size() - HeaderSize);
    if (Crc32(body) != crc)
        return refuse(QStringLiteral("the file is damaged (checksum)"));

    // Once to check everything, the budget of the whole file included,
    // building nothing; then again to build the pages and decode the pictures.
    std::vector<TQRPage> pages;
    QString why;
    if (!ReadBody(body, nullptr, why) || !ReadBody(body, &pages, why))
        return refuse(why);
    *this = TQRPageSet(std::move(pages));
    return true;
}

bool TQRPageSet::Save(const QString &fileName, QString *error) const {
    // Nothing is written unless every page encodes.
    const QByteArray bytes = ToBytes(error);
    if (bytes.isEmpty())
        return false;
    return TSaveFile::WriteFile(fileName, bytes, error);
}

bool TQRPageSet::Load(const QString &fileName, QString *error) {
    QByteArray bytes;
    QString why;
    if (!ReadWholeFile(fileName, bytes, why, qrp::MaxFileBytes)) {
        if (error)
            *error = why;
        return false;
    }
    return FromBytes(bytes, error);
}
