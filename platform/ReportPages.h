// The prepared pages of a report as a display list in design pixels (96 per
// inch): text runs with pixel-sized fonts, lines, polygons and images. The
// screen, the printer and a PDF replay the same list, scaled to their
// resolution, and the saved report (".qrp") stores exactly this list.
// Needs QtGui only, so the file reader builds without widgets.
#pragma once

#include <QImage>
#include <QLineF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <vector>

class QPainter;

// Design pixels per inch: the report's units are pixels of a 96-dpi screen.
constexpr double QRDesignDpi = 96.0;

struct TQRPen {
    quint32 Color = 0xff000000; // ARGB
    double Width = 1.0;         // design pixels; 0 draws a hairline
    quint8 Style = 1;           // Qt::PenStyle: 0 none, 1 solid, 2 dash, ...
    bool operator==(const TQRPen &) const = default;
};

struct TQRBrush {
    quint32 Color = 0xffffffff; // ARGB
    quint8 Style = 0;           // Qt::BrushStyle: 0 none, 1 solid, ...
    bool operator==(const TQRBrush &) const = default;
};

// One drawing operation of a page. Everything is clipped to Clip when it is
// not empty.
struct TQRPageOp {
    enum Kind : quint8 { Text = 1, Line = 2, Polygon = 3, Image = 4 };
    Kind kind = Text;
    QRectF Clip;
    // Text: the run is drawn in Rect with the Qt alignment flags in Flags.
    QRectF Rect;
    QString String;
    QString FontFamily;
    double FontPixelSize = 13.0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    quint32 Flags = 0;
    // Text colour, line and polygon outline.
    TQRPen Pen;
    // Line.
    QLineF LineF;
    // Polygon (closed), filled with Brush.
    QPolygonF Points;
    TQRBrush Brush;
    // Image, stretched into Rect.
    QImage Picture;

    bool operator==(const TQRPageOp &other) const;
};

// Where a band landed on a page: for tests and for the preview's read-back.
struct TQRPlacedBand {
    QString Name;
    QRectF Rect;          // on the page, design pixels
    bool Clipped = false; // taller than the room left on an empty page
};

struct TQRPage {
    QSizeF Size{794, 1123}; // A4 in design pixels
    std::vector<TQRPageOp> Ops;
    std::vector<TQRPlacedBand> Bands;

    // The text runs in drawing order (read-back for tests).
    QStringList Texts() const;
};

// Replays one page: `painter` must already map design pixels to its device
// (PaintPage in the report engine sets that up).
void DrawPageOps(QPainter &painter, const TQRPage &page);
// The same on a painter whose clip is exactly `painterClip`, as set on a
// painter that had none; drawing then changes the device's clip the least.
void DrawPageOps(QPainter &painter, const TQRPage &page, const QRectF &painterClip);

// A set of prepared pages. Copies share the pages, so a preview can keep
// showing what it was handed after the report that made it is gone.
class TQRPageSet {
public:
    TQRPageSet() = default;
    explicit TQRPageSet(std::vector<TQRPage> pages);

    int PageCount() const { return pages_ ? int(pages_->size()) : 0; }
    // Page by index from 0; the index must be valid.
    const TQRPage &Page(int index) const { return (*pages_)[size_t(index)]; }
    bool IsEmpty() const { return PageCount() == 0; }

    // The saved report. Save writes the whole file or nothing (TSaveFile)
    // and names the failure in `error`; Load reads all or nothing: a refused
    // file leaves this set as it was and says why in `error`.
    bool Save(const QString &fileName, QString *error = nullptr) const;
    bool Load(const QString &fileName, QString *error = nullptr);
    // The same on bytes (the fuzz target uses these). ToBytes gives no bytes
    // (and says why) when a page does not encode or the file would exceed
    // what the reader takes.
    QByteArray ToBytes(QString *error = nullptr) const;
    bool FromBytes(const QByteArray &bytes, QString *error = nullptr);

private:
    std::shared_ptr<const std::vector<TQRPage>> pages_;
};

// Limits of the saved-report reader.
namespace qrp {
constexpr quint32 FormatVersion = 1;
constexpr quint32 MaxPages = 10000;
constexpr quint32 MaxOpsPerPage = 200000;
constexpr quint32 MaxPointsPerPolygon = 100000;
constexpr quint32 MaxStringBytes = 1 << 20;
constexpr quint32 MaxImageBytes = 64 << 20;
constexpr int MaxImageSide = 8000;
constexpr double MaxCoordinate = 1.0e6;
// The whole file: a report of ten criteria with charts and 10000
// alternatives (2005 pages) has 576219 operations, ten pictures of 900 x 570
// (20.5 MB decoded) and 52 MB; these leave room for over 30000 alternatives.
constexpr qint64 MaxFileBytes = qint64(256) << 20;
constexpr quint64 MaxTotalOps = 2000000;
// Decoded pictures, counted at no less than 4 bytes a pixel.
constexpr quint64 MaxPictureBytes = quint64(128) << 20;
// The header before the body: magic, format number, body length, body CRC-32.
constexpr int HeaderSize = 20;
QByteArray Header(const QByteArray &body);
} // namespace qrp
