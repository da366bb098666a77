// Our banded report engine, on QPainter. A report (TQuickRep) holds bands
// stacked one under another; bands hold printables (labels, memos, system
// data, charts). Prepare lays the bands out on pages and records each page as
// a display list in design pixels (TQRPageSet); the preview control, the
// printer and the saved report all use that list, so they show the same page.
//
// Geometry is in design pixels of a 96-dpi screen; fonts keep their point
// sizes and are drawn with the matching pixel size (points * 96 / 72).
#pragma once

#include "platform/Chart.h"
#include "platform/PrintQueue.h"
#include "platform/Printing.h"
#include "platform/ReportPages.h"

#include <QFont>
#include <QMarginsF>
#include <QObject>
#include <QPageSize>
#include <QPointer>
#include <QScrollArea>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <list>
#include <memory>
#include <vector>

class TQuickRep;
class TQRBand;
class TQRChildBand;

enum TQRBandType { rbTitle, rbPageHeader, rbDetail, rbPageFooter, rbSummary, rbChild };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TQRSysDataType { qrsReportTitle, qrsPageNumber, qrsDate, qrsTime };

// The pixel size a font of the report is drawn with, and the font itself.
int QRFontPixelSize(const QFont &font);
QFont QRDesignFont(const QFont &font);
// A report font: family and point size, with `bold`.
QFont QRFont(const QString &family, int pointSize, bool bold = false);

// The text as the font shows it: the "Symbol" font writes Latin letters as
// Greek ones (P is the product sign), whatever font stands in for it here.
QString QRShownText(const QFont &font, const QString &text);

// Lines drawn round a band or a printable.
struct TQRFrame {
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;
    TColor Color = clBlack;
    TPenStyle Style = psSolid; // psInsideFrame: the line lies inside the rectangle
    int Width = 1;
    bool Any() const { return DrawTop || DrawBottom || DrawLeft || DrawRight; }
};

// Something printed on a band. Its QObject parent is where it lives: a band
// of a report prints it, any other parent keeps it aside (a printable can move
// between bands and its document with setParent). A band frees the printables
// it holds when it is freed.
class TQRPrintable : public QObject {
    Q_OBJECT
public:
    explicit TQRPrintable(QObject *parent = nullptr);

    // The band it is on, or none.
    TQRBand *Band() const;

    // Position relative to the band, size. Left and Width follow the band
    // and the text for aligned and auto-sized printables.
    virtual int Left() const;
    int Top() const { return top_; }
    virtual int Width() const { return width_; }
    virtual int Height() const { return height_; }
    int Right() const { return Left() + Width(); }
    int Bottom() const { return Top() + Height(); }
    void SetLeft(int left) { left_ = left; }
    void SetTop(int top) { top_ = top; }
    void SetWidth(int width) { width_ = width; }
    void SetHeight(int height) { height_ = height; }
    void SetBounds(int left, int top, int width, int height);
    QRect BoundsRect() const { return QRect(Left(), Top(), Width(), Height()); }

    TQRFrame Frame;
    TColor Color = clWhite;
    bool Transparent = true; // no background fill
    bool Enabled = true;     // disabled printables print nothing

    // Records the printable at `origin` (the band's top-left on the page).
    virtual void Print(struct TQRPrintContext &context, QPointF origin) const;

protected:
    void PrintFrame(TQRPrintContext &context, const QRectF &rect) const;
    int left_ = 0;
    int top_ = 0;
    int width_ = 65;
    int height_ = 17;
};

// Shared by labels and system data: one line of text.
class TQRCustomLabel : public TQRPrintable {
    Q_OBJECT
public:
    explicit TQRCustomLabel(QObject *parent = nullptr);

    QFont Font; // point size; the report's default font unless set
    TColor FontColor = clBlack;
    // Sizes itself to its text (width and height) while on.
    bool AutoSize = true;
    // Places itself on its band by Alignment (left, right edge or centre).
    bool AlignToBand = false;
    TAlignment Alignment = taLeftJustify;

    int Left() const override;
    int Width() const override;
    int Height() const override;
    // The text as printed on a page (system data resolve theirs).
    virtual QString PrintedText(const TQRPrintContext *context) const = 0;
    void Print(TQRPrintContext &context, QPointF origin) const override;

protected:
    QSizeF TextSize(const QString &text) const;
};

class TQRLabel : public TQRCustomLabel {
    Q_OBJECT
public:
    explicit TQRLabel(QObject *parent = nullptr);
    QString Caption() const { return caption_; }
    void SetCaption(const QString &caption) { caption_ = caption; }
    QString PrintedText(const TQRPrintContext *) const override { return caption_; }

private:
    QString caption_;
};

// The report's title, the page number and the like, with an optional text before it.
class TQRSysData : public TQRCustomLabel {
    Q_OBJECT
public:
    explicit TQRSysData(QObject *parent = nullptr);
    TQRSysDataType Data = qrsPageNumber;
    QString Text; // printed before the data
    QString PrintedText(const TQRPrintContext *context) const override;
};

// Lines of text in a fixed rectangle; what does not fit is clipped.
class TQRMemo : public TQRPrintable {
    Q_OBJECT
public:
    explicit TQRMemo(QObject *parent = nullptr);
    QStringList Lines;
    QFont Font;
    TColor FontColor = clBlack;
    bool WordWrap = true;
    TAlignment Alignment = taLeftJustify;
    void Print(TQRPrintContext &context, QPointF origin) const override;
};

// A chart on a band. It owns its chart component (never shown), kept at the
// printable's size; the page records the chart as painted by TChart::Draw.
class TQRChart : public TQRPrintable {
    Q_OBJECT
public:
    explicit TQRChart(QObject *parent = nullptr);
    ~TQRChart() override;
    TChart *Chart() const { return chart_.get(); }
    void Print(TQRPrintContext &context, QPointF origin) const override;
    // The picture recorded on the page, at `scale` device pixels per design pixel.
    QImage ToImage(double scale) const;

private:
    std::unique_ptr<TChart> chart_;
};
// The chart component of a chart printable.
using TQRDBChart = TChart;

// A band: a strip of the report as wide as the page, with its printables.
// It belongs to one report, which prints it in report order; a child band
// is printed right under its parent band.
class TQRBand : public QObject {
    Q_OBJECT
public:
    // `report` places the band in the report (and frees it when the report
    // goes); bands are usually freed by whoever made them. The report is not
    // the band's QObject parent: Qt unlinks a child by searching all of its
    // parent's children, which made freeing a large report's bands quadratic.
    explicit TQRBand(TQuickRep *report, TQRBandType type = rbDetail);
    ~TQRBand() override;

    TQuickRep *ParentReport() const { return report_; }
    TQRBandType BandType;
    // The design position kept for the layout: Left and Top on the report's
    // design surface; the engine itself stacks bands in order when it prints.
    int Left = 38;
    int Top = 0;
    int Width = 718;
    int Height = 40;
    TQRFrame Frame;
    TColor Color = clWhite;
    bool Enabled = true;

    // The child band printed right under this one; HasChild creates it
    // (owned by the report) and switching it off frees it.
    bool HasChild() const { return child_ != nullptr; }
    void SetHasChild(bool hasChild);
    TQRChildBand *ChildBand() const { return child_; }
    // The band printed on the same page as this one: every band from this one
    // down the child chain to the linked band stays together.
    TQRBand *LinkBand() const { return link_; }
    void SetLinkBand(TQRBand *band) { link_ = band; }

    // The printables on the band in the order they were put there.
    QList<TQRPrintable *> Printables() const;
    QRect BoundsRect() const { return QRect(Left, Top, Width, Height); }

private:
    friend class TQRChildBand;
    friend class TQuickRep;
    QPointer<TQuickRep> report_;
    std::list<TQRBand *>::iterator place_; // in the report's bands
    TQRChildBand *child_ = nullptr;
    QPointer<TQRBand> link_;
};

class TQRChildBand : public TQRBand {
    Q_OBJECT
public:
    explicit TQRChildBand(TQuickRep *report);
    ~TQRChildBand() override;
    TQRBand *ParentBand() const { return parent_; }
    // Hangs this band under `band` (in place of any child it had).
    void SetParentBand(TQRBand *band);

private:
    friend class TQRBand;
    TQRBand *parent_ = nullptr;
};

// State while a page is recorded; printables add their operations here.
struct TQRPrintContext {
    const TQuickRep *Report = nullptr;
    int PageNumber = 1; // from 1
    TQRPage *Page = nullptr;
    QRectF Clip; // the band's clip on the page
    void AddText(const QRectF &rect, const QString &text, const QFont &font, TColor color,
                 int flags);
    void AddLine(const QLineF &line, TColor color, double width, TPenStyle style);
    void AddRect(const QRectF &rect, TColor color); // filled, no outline
    void AddImage(const QRectF &rect, const QImage &image);
};

// The prepared pages of a report, as the preview control and the saved
// report handler know them.
class TQRPrinter {
public:
    TQRPageSet Pages;
    int PageCount() const { return Pages.PageCount(); }
    // Saves the pages as a saved report (".qrp").
    bool Save(const QString &fileName, QString *error = nullptr) const {
        return Pages.Save(fileName, error);
    }
    // Prints every page; false (with `error`) when the printer cannot start.
    bool Print(QPrinter &printer, QString *error = nullptr) const;
};

// Paints page `index` of `pages` into `target` of a painter (any device);
// `target` is in the painter's coordinates, the page keeps its proportions.
void PaintPage(QPainter &painter, const TQRPageSet &pages, int index, const QRectF &target);
// Prints `pages` on `printer` as its choices say (page range, page order,
// copies), one sheet each; a print to a file replaces it only when it succeeded.
bool PrintPages(const TQRPageSet &pages, QPrinter &printer, QString *error = nullptr);

// The same print in steps, so that a window can show how far it is, stay
// responsive and cancel it: Step prints for a slice of time. A print on a
// printer queue is written as a PDF file first and then handed to the queue
// (TQueueHandOver): it has printed when the queue has taken it.
class TPagePrint {
public:
    // A copy of `printer` prints, so `printer` need not stay.
    TPagePrint(const TQRPageSet &pages, const QPrinter &printer);
    ~TPagePrint();
    TPagePrint(const TPagePrint &) = delete;
    TPagePrint &operator=(const TPagePrint &) = delete;

    // Starts the printer; false (with Error()) when it can not.
    bool Start();
    // Prints sheets, or waits for the queue to take them, for about
    // `milliseconds` (one sheet at least); false once the print has ended,
    // printed, failed or cancelled.
    bool Step(int milliseconds);
    // Ends the print; a file printed to is left as it was, a job a queue
    // was being given is cancelled.
    void Cancel();

    int SheetsDone() const { return done_; }
    int SheetCount() const { return int(sheets_.size()); }
    bool Running() const { return running_; }
    bool Succeeded() const { return succeeded_; }
    bool Cancelled() const { return cancelled_; }
    QString Error() const { return error_; }
    // The printer queue the print goes to (empty for a file), and whether
    // its sheets are written and the queue is being given them.
    QString Queue() const { return job_.Queue; }
    bool HandingOver() const { return handOver_ != nullptr; }

private:
    void Fail(const QString &error);
    // Ends the painter and drops what a print to a file left, unless committed.
    void Stop();
    TQRPageSet pages_;
    std::unique_ptr<QPrinter> printer_; // a print to a file
    std::unique_ptr<TPrintFile> file_;
    // A print to a queue: its PDF file, and the queue taking it.
    TQueueJob job_;
    std::unique_ptr<QTemporaryDir> pdfDir_;
    std::unique_ptr<QPdfWriter> pdf_;
    std::unique_ptr<TQueueHandOver> handOver_;
    QPagedPaintDevice *device_ = nullptr; // what the sheets are painted on
    int resolution_ = 0;
    std::unique_ptr<QPainter> painter_;
    std::vector<int> sheets_;
    int done_ = 0;
    bool running_ = false;
    bool succeeded_ = false;
    bool cancelled_ = false;
    QString error_;
};

class TQuickRep : public QObject {
    Q_OBJECT
public:
    explicit TQuickRep(QObject *parent = nullptr);
    ~TQuickRep() override;

    // Paper and margins (millimetres); A4 portrait with 10 mm by default.
    QPageSize PaperSize{QPageSize::A4};
    bool Landscape = false;
    double TopMargin = 10.0;
    double BottomMargin = 10.0;
    double LeftMargin = 10.0;
    double RightMargin = 10.0;
    QFont Font; // Arial 10 pt by default: the printables' font until they set their own
    QString ReportTitle;
    // Options: the page header also on the first page, the page footer also on the last.
    bool FirstPageHeader = true;
    bool LastPageFooter = true;
    // Prints a page even when no band prints.
    bool PrintIfEmpty = true;

    // Events: OnPreview takes the prepared pages instead of a preview window
    // of the engine's own; OnStartPage runs as each page starts.
    std::function<void()> OnPreview;
    std::function<void(TQuickRep *)> OnStartPage;

    // Page size and the printable area in design pixels.
    QSizeF PageSizePixels() const;
    QRectF PrintableRect() const;

    // The bands in the order they were added (child bands included).
    std::vector<TQRBand *> Bands() const { return {bands_.begin(), bands_.end()}; }
    // The bands in printing order: titles, details with their child chains, summaries.
    std::vector<TQRBand *> PrintOrder() const;

    // Lays the bands out on pages into QRPrinter; returns the page count.
    int Prepare();
    // Prepares, then hands the pages to OnPreview.
    void Preview();
    // Prepares and prints on Printer() made ready to print (ReadyToPrint);
    // messages a failure and returns false, also when the user cancelled.
    bool Print();
    // Prepares and prints on the given printer (a PDF file, say).
    bool Print(QPrinter &printer, QString *error = nullptr);
    // The printer set-up dialog for Printer(), offering a range of the
    // prepared pages; true when accepted. The next print uses what it chose;
    // its range is that print's only.
    bool PrinterSetup(QWidget *parent = nullptr);
    // The report's printer. A print that could not start may leave a printer
    // active, refusing every later setting: it then gives way to a fresh one
    // with its choices, so do not keep the pointer past a print.
    QPrinter *Printer();
    // Printer() made ready to print (ReadyToPrint), its print dialog offering
    // `offer`; null when the user cancelled.
    QPrinter *PrinterToStart(QWidget *parent = nullptr, const TPrintOffer &offer = {});

    TQRPrinter *QRPrinter() { return &qrPrinter_; }
    const TQRPrinter *QRPrinter() const { return &qrPrinter_; }
    // While preparing: the page being recorded (from 1).
    int PageNumber() const { return pageNumber_; }

private:
    friend class TQRBand;
    void AddBand(TQRBand *band);
    void RemoveBand(TQRBand *band);
    void RecordBand(const TQRBand *band, TQRPage &page, double top, double clipBottom,
                    int pageNumber) const;

    // A list, so that freeing any band of a large report is cheap.
    std::list<TQRBand *> bands_;
    TQRPrinter qrPrinter_;
    std::unique_ptr<QPrinter> printer_;
    int pageNumber_ = 0;
};

// The preview control: shows one page of a page set at a zoom, with paging.
class TQRPreview : public QScrollArea {
    Q_OBJECT
public:
    explicit TQRPreview(QWidget *parent = nullptr);
    ~TQRPreview() override;

    // Shows these pages (page 1), keeping the zoom.
    void SetPages(const TQRPageSet &pages);
    void SetQRPrinter(const TQRPrinter *printer) {
        SetPages(printer ? printer->Pages : TQRPageSet());
    }
    const TQRPageSet &Pages() const { return pages_; }
    int PageCount() const { return pages_.PageCount(); }

    // Zoom in percent of the page's design size, MinZoom to MaxZoom; others are clamped.
    static constexpr int MinZoom = 1;
    static constexpr int MaxZoom = 2000;
    int Zoom() const { return zoom_; }
    void SetZoom(int percent);
    // Whole page in the visible area; page width in the visible width.
    void ZoomToFit();
    void ZoomToWidth();

    // The page shown, from 1 (0 with no pages); values outside 1..PageCount are ignored.
    int PageNumber() const { return pageNumber_; }
    void SetPageNumber(int page);

signals:
    void PageChanged(int page);
    void PagesChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    class PageWidget;
    void UpdatePage();
    TQRPageSet pages_;
    PageWidget *page_;
    int zoom_ = 100;
    int pageNumber_ = 0;
};

// A saved report opened from a file: its pages, printable again.
class TQRPHandler {
public:
    // All or nothing: a refused file keeps what was loaded and gives the reason.
    bool Load(const QString &fileName, QString *error = nullptr);
    bool Print(QPrinter &printer, QString *error = nullptr) const {
        return qrPrinter_.Print(printer, error);
    }
    // Prints on the default printer made ready to print (ReadyToPrint);
    // messages a failure.
    bool Print();
    TQRPrinter *QRPrinter() { return &qrPrinter_; }

private:
    TQRPrinter qrPrinter_;
};
