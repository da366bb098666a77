#include "platform/Report.h"

#include "platform/Dialogs.h"
#include "platform/Fonts.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <unordered_set>

int QRFontPixelSize(const QFont &font) {
    if (font.pixelSize() > 0)
        return font.pixelSize();
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    return std::max(1, int(std::lround(points * QRDesignDpi / 72.0)));
}

QFont QRDesignFont(const QFont &font) {
    QFont f(font);
    f.setPixelSize(QRFontPixelSize(font));
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QFont QRFont(const QString &family, int pointSize, bool bold) {
    QFont f(family);
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

QString QRShownText(const QFont &font, const QString &text) {
    if (font.family().compare(QLatin1String("Symbol"), Qt::CaseInsensitive) != 0)
        return text;
    // The letters of the Symbol font's A..Z and a..z places.
    static const char16_t upper[] = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
    static const char16_t lower[] = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
    QString shown = text;
    for (QChar &c : shown) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            c = QChar(upper[u - u'A']);
        else if (u >= u'a' && u <= u'z')
            c = QChar(lower[u - u'a']);
    }
    return shown;
}

namespace {

Qt::PenStyle QtPenStyle(TPenStyle style) {
    switch (style) {
    case psDash:
        return Qt::DashLine;
    case psDot:
        return Qt::DotLine;
    case psDashDot:
        return Qt::DashDotLine;
    case psDashDotDot:
        return Qt::DashDotDotLine;
    case psClear:
        return Qt::NoPen;
    case psSolid:
    case psInsideFrame:
        break;
    }
    return Qt::SolidLine;
}

quint32 Argb(TColor c) {
    return ToQColor(c).rgba();
}

int HorizontalFlag(TAlignment a) {
    switch (a) {
    case taRightJustify:
        return Qt::AlignRight;
    case taCenter:
        return Qt::AlignHCenter;
    case taLeftJustify:
        break;
    }
    return Qt::AlignLeft;
}

// The report a printable prints with (its band's), for the default font.
const TQuickRep *ReportOf(const TQRPrintable *p) {
    const TQRBand *band = p->Band();
    return band ? band->ParentReport() : nullptr;
}

} // namespace

// ---- Print context ---------------------------------------------------------

void TQRPrintContext::AddText(const QRectF &rect, const QString &text, const QFont &font,
                              TColor color, int flags) {
    TQRPageOp op;
    op.kind = TQRPageOp::Text;
    op.Clip = Clip;
    op.Rect = rect;
    op.String = QRShownText(font, text);
    // The family that really has the glyphs: every replay of the page draws them.
    op.FontFamily = FontForText(font, op.String).family();
    op.FontPixelSize = QRFontPixelSize(font);
    op.Bold = font.bold();
    op.Italic = font.italic();
    op.Underline = font.underline();
    op.Flags = quint32(flags);
    op.Pen.Color = Argb(color);
    Page->Ops.push_back(std::move(op));
}

void TQRPrintContext::AddLine(const QLineF &line, TColor color, double width, TPenStyle style) {
    TQRPageOp op;
    op.kind = TQRPageOp::Line;
    op.Clip = Clip;
    op.LineF = line;
    op.Pen.Color = Argb(color);
    op.Pen.Width = width;
    op.Pen.Style = quint8(QtPenStyle(style));
    Page->Ops.push_back(std::move(op));
}

void TQRPrintContext::AddRect(const QRectF &rect, TColor color) {
    TQRPageOp op;
    op.kind = TQRPageOp::Polygon;
    op.Clip = Clip;
    op.Points = QPolygonF(rect);
    op.Pen.Style = Qt::NoPen;
    op.Brush.Color = Argb(color);
    op.Brush.Style = Qt::SolidPattern;
    Page->Ops.push_back(std::move(op));
}

void TQRPrintContext::AddImage(const QRectF &rect, const QImage &image) {
    TQRPageOp op;
    op.kind = TQRPageOp::Image;
    op.Clip = Clip;
    op.Rect = rect;
    op.Picture = image;
    Page->Ops.push_back(std::move(op));
}

// ---- Printables ------------------------------------------------------------

TQRPrintable::TQRPrintable(QObject *parent) : QObject(parent) {}

TQRBand *TQRPrintable::Band() const {
    return qobject_cast<TQRBand *>(parent());
}

int TQRPrintable::Left() const {
    return left_;
}

void TQRPrintable::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void TQRPrintable::PrintFrame(TQRPrintContext &context, const QRectF &r) const {
    if (!Frame.Any() || Frame.Style == psClear || Frame.Width <= 0)
        return;
    // Lines lie inside the rectangle, so neighbours' frames meet and do not overlap.
    const double w = Frame.Width, h = w / 2.0;
    if (Frame.DrawTop)
        context.AddLine(QLineF(r.left(), r.top() + h, r.right(), r.top() + h), Frame.Color, w,
                        Frame.Style);
    if (Frame.DrawBottom)
        context.AddLine(QLineF(r.left(), r.bottom() - h, r.right(), r.bottom() - h), Frame.Color, w,
                        Frame.Style);
    if (Frame.DrawLeft)
        context.AddLine(QLineF(r.left() + h, r.top(), r.left() + h, r.bottom()), Frame.Color, w,
                        Frame.Style);
    if (Frame.DrawRight)
        context.AddLine(QLineF(r.right() - h, r.top(), r.right() - h, r.bottom()), Frame.Color, w,
                        Frame.Style);
}

void TQRPrintable::Print(TQRPrintContext &context, QPointF origin) const {
    const QRectF r = QRectF(BoundsRect()).translated(origin);
    if (!Transparent)
        context.AddRect(r, Color);
    PrintFrame(context, r);
}

TQRCustomLabel::TQRCustomLabel(QObject *parent) : TQRPrintable(parent) {
    Font = QRFont(QStringLiteral("Arial"), 10);
}

QSizeF TQRCustomLabel::TextSize(const QString &text) const {
    const QString shown = QRShownText(Font, text);
    const QFontMetrics metrics(FontForText(QRDesignFont(Font), shown));
    return QSizeF(metrics.horizontalAdvance(shown), metrics.height());
}

int TQRCustomLabel::Width() const {
    if (!AutoSize)
        return width_;
    return int(TextSize(PrintedText(nullptr)).width());
}

int TQRCustomLabel::Height() const {
    if (!AutoSize)
        return height_;
    return int(TextSize(PrintedText(nullptr)).height());
}

int TQRCustomLabel::Left() const {
    const TQRBand *band = Band();
    if (!AlignToBand || !band)
        return left_;
    switch (Alignment) {
    case taRightJustify:
        return band->Width - Width();
    case taCenter:
        return (band->Width - Width()) / 2;
    case taLeftJustify:
        break;
    }
    return 0;
}

void TQRCustomLabel::Print(TQRPrintContext &context, QPointF origin) const {
    const QRectF r = QRectF(BoundsRect()).translated(origin);
    if (!Transparent)
        context.AddRect(r, Color);
    const QString text = PrintedText(&context);
    // An auto-sized label is as wide as its text on this page.
    QRectF textRect = r;
    if (AutoSize)
        textRect.setWidth(std::max(r.width(), TextSize(text).width()) + 1);
    const QRectF saved = context.Clip;
    if (!AutoSize)
        context.Clip = saved.isEmpty() ? r : saved.intersected(r);
    // A label of whole pixels is a fraction shorter than its font's line: the
    // band clips an auto-sized one, not its own height, so descenders stay whole.
    const int clip = AutoSize ? int(Qt::TextDontClip) : 0;
    context.AddText(textRect, text, Font, FontColor,
                    HorizontalFlag(Alignment) | Qt::AlignTop | Qt::TextSingleLine | clip);
    context.Clip = saved;
    PrintFrame(context, r);
}

TQRLabel::TQRLabel(QObject *parent) : TQRCustomLabel(parent) {}

TQRSysData::TQRSysData(QObject *parent) : TQRCustomLabel(parent) {}

QString TQRSysData::PrintedText(const TQRPrintContext *context) const {
    const TQuickRep *report = context ? context->Report : ReportOf(this);
    QString data;
    switch (Data) {
    case qrsReportTitle:
        data = report ? report->ReportTitle : QString();
        break;
    case qrsPageNumber:
        data = QString::number(context ? context->PageNumber : 1);
        break;
    case qrsDate:
        data = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
        break;
    case qrsTime:
        data = QLocale().toString(QTime::currentTime(), QLocale::ShortFormat);
        break;
    }
    return Text + data;
}

TQRMemo::TQRMemo(QObject *parent) : TQRPrintable(parent) {
    Font = QRFont(QStringLiteral("Arial"), 10);
    width_ = 185;
    height_ = 65;
}

void TQRMemo::Print(TQRPrintContext &context, QPointF origin) const {
    const QRectF r = QRectF(BoundsRect()).translated(origin);
    if (!Transparent)
        context.AddRect(r, Color);
    const QRectF saved = context.Clip;
    context.Clip = saved.isEmpty() ? r : saved.intersected(r);
    const QFont font = QRDesignFont(Font);
    const QFontMetricsF metrics(font);
    const int flags = HorizontalFlag(Alignment) | Qt::AlignTop |
                      (WordWrap ? int(Qt::TextWordWrap) : int(Qt::TextSingleLine));
    double y = r.top();
    for (const QString &line : Lines) {
        if (y >= r.bottom())
            break;
        const double height =
            WordWrap ? metrics.boundingRect(QRectF(0, 0, r.width(), 1.0e6), flags, line).height()
                     : metrics.height();
        const double h = std::max(height, metrics.height());
        context.AddText(QRectF(r.left(), y, r.width(), h), line, Font, FontColor, flags);
        y += h;
    }
    context.Clip = saved;
    PrintFrame(context, r);
}

TQRChart::TQRChart(QObject *parent) : TQRPrintable(parent), chart_(std::make_unique<TChart>()) {
    width_ = 300;
    height_ = 190;
    chart_->setAttribute(Qt::WA_DontShowOnScreen);
}

TQRChart::~TQRChart() = default;

QImage TQRChart::ToImage(double scale) const {
    const QSize size(std::max(1, int(std::lround(Width() * scale))),
                     std::max(1, int(std::lround(Height() * scale))));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    chart_->resize(Width(), Height());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    chart_->Draw(painter, QRect(QPoint(0, 0), size), scale);
    painter.end();
    return image;
}

void TQRChart::Print(TQRPrintContext &context, QPointF origin) const {
    const QRectF r = QRectF(BoundsRect()).translated(origin);
    // Three device pixels per design pixel: sharp on paper at 288 dpi.
    context.AddImage(r, ToImage(3.0));
    PrintFrame(context, r);
}

// ---- Bands -----------------------------------------------------------------

TQRBand::TQRBand(TQuickRep *report, TQRBandType type) : BandType(type), report_(report) {
    if (report) {
        Left = int(std::lround(report->LeftMargin * QRDesignDpi / 25.4));
        Width = int(std::lround(report->PrintableRect().width()));
        report->AddBand(this);
    }
}

TQRBand::~TQRBand() {
    // The printables go with the band (QObject children); the chain is untied.
    if (child_) {
        child_->parent_ = nullptr;
        child_ = nullptr;
    }
    if (report_)
        report_->RemoveBand(this);
}

void TQRBand::SetHasChild(bool hasChild) {
    if (hasChild == HasChild())
        return;
    if (hasChild) {
        auto *child = new TQRChildBand(report_);
        child->SetParentBand(this);
    } else {
        delete child_;
    }
}

QList<TQRPrintable *> TQRBand::Printables() const {
    QList<TQRPrintable *> list;
    for (QObject *o : children()) {
        if (auto *p = qobject_cast<TQRPrintable *>(o))
            list << p;
    }
    return list;
}

TQRChildBand::TQRChildBand(TQuickRep *report) : TQRBand(report, rbChild) {}

TQRChildBand::~TQRChildBand() {
    if (parent_ && parent_->child_ == this)
        parent_->child_ = nullptr;
    parent_ = nullptr;
}

void TQRChildBand::SetParentBand(TQRBand *band) {
    if (parent_ == band)
        return;
    if (parent_ && parent_->child_ == this)
        parent_->child_ = nullptr;
    parent_ = band;
    if (band) {
        if (band->child_ && band->child_ != this)
            band->child_->parent_ = nullptr;
        band->child_ = this;
    }
}

// ---- Report ----------------------------------------------------------------

TQuickRep::TQuickRep(QObject *parent) : QObject(parent) {
    Font = QRFont(QStringLiteral("Arial"), 10);
}

TQuickRep::~TQuickRep() {
    // The bands still here go with the report, untied first so that their
    // destructors do not reach back into it.
    const std::list<TQRBand *> bands = std::move(bands_);
    bands_.clear();
    for (TQRBand *band : bands)
        band->report_ = nullptr;
    for (TQRBand *band : bands)
        delete band;
}

QSizeF TQuickRep::PageSizePixels() const {
    QSizeF mm = PaperSize.size(QPageSize::Millimeter);
    if (Landscape)
        mm.transpose();
    return QSizeF(std::round(mm.width() * QRDesignDpi / 25.4),
                  std::round(mm.height() * QRDesignDpi / 25.4));
}

QRectF TQuickRep::PrintableRect() const {
    const QSizeF size = PageSizePixels();
    auto px = [](double mm) { return std::round(mm * QRDesignDpi / 25.4); };
    return QRectF(QPointF(px(LeftMargin), px(TopMargin)),
                  QPointF(size.width() - px(RightMargin), size.height() - px(BottomMargin)));
}

void TQuickRep::AddBand(TQRBand *band) {
    band->place_ = bands_.insert(bands_.end(), band);
}

void TQuickRep::RemoveBand(TQRBand *band) {
    // Links to the band need no untying: they are QPointers, null once it goes.
    bands_.erase(band->place_);
}

std::vector<TQRBand *> TQuickRep::PrintOrder() const {
    std::vector<TQRBand *> order;
    std::unordered_set<const TQRBand *> printed;
    printed.reserve(bands_.size());
    auto addChain = [&](TQRBand *band) {
        // A chain that loops back on itself is printed once.
        for (TQRBand *b = band; b && printed.insert(b).second; b = b->ChildBand())
            order.push_back(b);
    };
    for (TQRBandType type : {rbTitle, rbDetail, rbSummary}) {
        for (TQRBand *band : bands_) {
            if (band->BandType == type)
                addChain(band);
        }
    }
    // Child bands whose parent is not printed are not printed either.
    return order;
}

void TQuickRep::RecordBand(const TQRBand *band, TQRPage &page, double top, double clipBottom,
                           int pageNumber) const {
    const QRectF printable = PrintableRect();
    const QRectF rect(printable.left(), top, band->Width, band->Height);
    TQRPrintContext context;
    context.Report = this;
    context.PageNumber = pageNumber;
    context.Page = &page;
    const bool clipped = rect.bottom() > clipBottom;
    context.Clip = QRectF(rect.left(), rect.top(), rect.width(),
                          std::min(rect.bottom(), clipBottom) - rect.top());
    if (band->Color != clWhite)
        context.AddRect(context.Clip, band->Color);
    for (const TQRPrintable *p : band->Printables()) {
        if (p->Enabled)
            p->Print(context, rect.topLeft());
    }
    if (band->Frame.Any()) {
        // The band's frame is drawn as a printable's would be.
        TQRPrintable frame;
        frame.Frame = band->Frame;
        frame.SetBounds(0, 0, band->Width, band->Height);
        frame.Print(context, rect.topLeft());
    }
    page.Bands.push_back(TQRPlacedBand{band->objectName(), context.Clip, clipped});
}

int TQuickRep::Prepare() {
    const QRectF area = PrintableRect();
    std::vector<TQRBand *> headers, footers;
    for (TQRBand *band : bands_) {
        if (!band->Enabled)
            continue;
        if (band->BandType == rbPageHeader)
            headers.push_back(band);
        else if (band->BandType == rbPageFooter)
            footers.push_back(band);
    }
    std::vector<TQRBand *> order;
    for (TQRBand *band : PrintOrder()) {
        if (band->Enabled && band->Height > 0)
            order.push_back(band);
    }
    double footerHeight = 0;
    for (const TQRBand *b : footers)
        footerHeight += b->Height;
    const double contentBottom = std::max(area.top() + 1, area.bottom() - footerHeight);

    std::vector<TQRPage> pages;
    double y = 0, pageTop = 0;
    bool pageHasBands = false;
    auto startPage = [&] {
        pages.emplace_back();
        pages.back().Size = PageSizePixels();
        pageNumber_ = int(pages.size());
        if (OnStartPage)
            OnStartPage(this);
        y = area.top();
        if (pageNumber_ > 1 || FirstPageHeader) {
            for (const TQRBand *b : headers) {
                RecordBand(b, pages.back(), y, contentBottom, pageNumber_);
                y = std::min(y + b->Height, contentBottom);
            }
        }
        pageTop = y;
        pageHasBands = false;
    };
    auto endPage = [&](bool last) {
        if (last && !LastPageFooter)
            return;
        double fy = area.bottom() - footerHeight;
        for (const TQRBand *b : footers) {
            RecordBand(b, pages.back(), fy, area.bottom(), pageNumber_);
            fy += b->Height;
        }
    };
    auto place = [&](const TQRBand *band) {
        RecordBand(band, pages.back(), y, contentBottom, pageNumber_);
        y = std::min(y + band->Height, contentBottom);
        pageHasBands = true;
    };

    // A band with a linked band keeps every band down to it on its page, and
    // each band in between keeps its own group: groupEnd[k] is the last band
    // kept with band k. Worked out from the end, so that each group's
    // groups within are already known and are skipped over whole.
    std::unordered_map<const TQRBand *, size_t> position;
    position.reserve(order.size());
    for (size_t k = 0; k < order.size(); ++k)
        position.emplace(order[k], k);
    std::vector<size_t> groupEnd(order.size());
    for (size_t k = order.size(); k-- > 0;) {
        size_t last = k;
        if (const TQRBand *link = order[k]->LinkBand()) {
            const auto at = position.find(link);
            if (at != position.end())
                last = std::max(last, at->second);
        }
        for (size_t j = k + 1; j <= last; j = groupEnd[j] + 1)
            last = std::max(last, groupEnd[j]);
        groupEnd[k] = last;
    }
    std::vector<double> heightAbove(order.size() + 1, 0.0); // of the bands before k
    for (size_t k = 0; k < order.size(); ++k)
        heightAbove[k + 1] = heightAbove[k] + order[k]->Height;

    if (!order.empty() || PrintIfEmpty)
        startPage();
    for (size_t i = 0; i < order.size();) {
        const size_t last = groupEnd[i];
        const double groupHeight = heightAbove[last + 1] - heightAbove[i];
        const double roomOnEmptyPage = contentBottom - pageTop;
        if (groupHeight <= contentBottom - y) {
            for (size_t k = i; k <= last; ++k)
                place(order[k]);
            i = last + 1;
        } else if (groupHeight <= roomOnEmptyPage) {
            endPage(false);
            startPage();
            for (size_t k = i; k <= last; ++k)
                place(order[k]);
            i = last + 1;
        } else {
            // Too tall to keep together: the bands go one by one, and one
            // taller than an empty page is placed at the top and clipped.
            if (order[i]->Height > contentBottom - y && pageHasBands) {
                endPage(false);
                startPage();
            }
            place(order[i]);
            ++i;
        }
    }
    if (!pages.empty())
        endPage(true);
    pageNumber_ = 0;
    qrPrinter_.Pages = TQRPageSet(std::move(pages));
    return qrPrinter_.PageCount();
}

void TQuickRep::Preview() {
    Prepare();
    if (OnPreview)
        OnPreview();
}

QPrinter *TQuickRep::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageSize(PaperSize);
        printer_->setPageOrientation(Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer_->setDocName(ReportTitle);
    } else if (printer_->printerState() == QPrinter::Active) {
        // No print of ours runs while this is asked for: the printer was
        // left active by a start that failed.
        printer_ = CopyOfPrinter(*printer_);
    }
    return printer_.get();
}

QPrinter *TQuickRep::PrinterToStart(QWidget *parent, const TPrintOffer &offer) {
    QPrinter *printer = Printer();
    if (printer->docName().isEmpty())
        printer->setDocName(ReportTitle);
    return ReadyToPrint(*printer, parent, offer) ? printer : nullptr;
}

bool TQuickRep::Print(QPrinter &printer, QString *error) {
    Prepare();
    return qrPrinter_.Print(printer, error);
}

bool TQuickRep::Print() {
    Prepare();
    QPrinter *printer = PrinterToStart(nullptr, TPrintOffer{qrPrinter_.PageCount()});
    if (!printer)
        return false;
    QString error;
    if (qrPrinter_.Print(*printer, &error))
        return true;
    MessageDlg(error, mtError, mbOK);
    return false;
}

bool TQuickRep::PrinterSetup(QWidget *parent) {
    return PrinterSetupDlg(*Printer(), parent, qrPrinter_.PageCount());
}

// ---- Painting pages --------------------------------------------------------

void PaintPage(QPainter &painter, const TQRPageSet &pages, int index, const QRectF &target) {
    if (index < 0 || index >= pages.PageCount())
        return;
    const TQRPage &page = pages.Page(index);
    const double scale =
        std::min(target.width() / page.Size.width(), target.height() / page.Size.height());
    const QRectF pageRect(QPointF(0, 0), page.Size);
    const bool clippedBefore = painter.hasClipping();
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.setClipRect(pageRect, Qt::IntersectClip);
    painter.fillRect(pageRect, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (clippedBefore)
        DrawPageOps(painter, page);
    else
        DrawPageOps(painter, page, pageRect);
    painter.restore();
}

bool PrintPages(const TQRPageSet &pages, QPrinter &printer, QString *error) {
    TPagePrint print(pages, printer);
    if (print.Start()) {
        while (print.Step(std::numeric_limits<int>::max())) {
        }
    }
    if (!print.Succeeded() && error)
        *error = print.Error();
    return print.Succeeded();
}

TPagePrint::TPagePrint(const TQRPageSet &pages, const QPrinter &printer) : pages_(pages) {
    // A queue makes the copies: each page is laid out once for it.
    sheets_ = PrintedSheets(printer, pages_.PageCount());
    if (PrintsToQueue(printer)) {
        // Written without a printer: making one asks the print server, which
        // may not answer, and the window would wait for it.
        job_ = QueueJobFor(printer, QString());
        // The sheets are written in the order they come out.
        job_.LastPageFirst = false;
        pdfDir_ = std::make_unique<QTemporaryDir>();
        job_.File = pdfDir_->filePath(QStringLiteral("print.pdf"));
        resolution_ = printer.resolution();
        pdf_ = PdfWriterFor(printer, job_.File, resolution_);
        QPageLayout layout = printer.pageLayout();
        layout.setMode(QPageLayout::FullPageMode);
        pdf_->setPageLayout(layout);
        device_ = pdf_.get();
    } else {
        printer_ = CopyOfPrinter(printer, printer.resolution());
        printer_->setFullPage(true);
        resolution_ = printer_->resolution();
        device_ = printer_.get();
    }
}

TPagePrint::~TPagePrint() {
    if (running_)
        Cancel();
}

void TPagePrint::Fail(const QString &error) {
    error_ = error;
    Stop();
}

void TPagePrint::Stop() {
    running_ = false;
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
    file_.reset();
    handOver_.reset();
    pdf_.reset();
    pdfDir_.reset();
}

bool TPagePrint::Start() {
    if (pages_.IsEmpty()) {
        succeeded_ = true;
        return true;
    }
    if (sheets_.empty()) {
        error_ = QStringLiteral("No page of the report is in the range chosen.");
        return false;
    }
    if (printer_) {
        file_ = std::make_unique<TPrintFile>(*printer_);
        // Said at once, not after every page was drawn for nothing.
        if (const QString refused = file_->Refused(); !refused.isEmpty()) {
            Fail(refused);
            return false;
        }
    } else if (!pdfDir_->isValid()) {
        Fail(CannotPrint(job_.Queue, QString()) +
             QStringLiteral("\nThere is no room for the print's temporary file."));
        return false;
    }
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(device_)) {
        Fail(printer_ ? CannotPrint(printer_->printerName(), file_->Target())
                      : CannotPrint(job_.Queue, QString()));
        return false;
    }
    running_ = true;
    return true;
}

bool TPagePrint::Step(int milliseconds) {
    if (!running_)
        return false;
    if (handOver_) {
        if (!handOver_->Wait(milliseconds))
            return true;
        succeeded_ = handOver_->Succeeded();
        if (!succeeded_)
            error_ = handOver_->Error();
        Stop();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    // Each page scaled from design pixels to the device's resolution.
    const double scale = resolution_ / QRDesignDpi;
    do {
        if (done_ > 0 && !device_->newPage()) {
            Fail(QStringLiteral("Printing stopped at page %1.").arg(sheets_[size_t(done_)] + 1));
            return false;
        }
        const int page = sheets_[size_t(done_)];
        PaintPage(*painter_, pages_, page, QRectF(QPointF(0, 0), pages_.Page(page).Size * scale));
        ++done_;
    } while (done_ < SheetCount() && clock.elapsed() < milliseconds);
    if (done_ < SheetCount())
        return true;
    painter_->end();
    if (!printer_) {
        // The sheets are written: the queue gets them in the background.
        painter_.reset();
        pdf_.reset();
        if (QFileInfo(job_.File).size() <= 0) {
            Fail(CannotPrint(job_.Queue, QString()) +
                 QStringLiteral("\nThe print's temporary file could not be written."));
            return false;
        }
        handOver_ = std::make_unique<TQueueHandOver>(job_);
        return true;
    }
    if (printer_->printerState() == QPrinter::Error)
        error_ = CannotPrint(printer_->printerName(), file_->Target());
    else
        succeeded_ = file_->Commit(&error_);
    Stop();
    return false;
}

void TPagePrint::Cancel() {
    if (!running_)
        return;
    cancelled_ = true;
    if (handOver_)
        handOver_->Cancel();
    else if (printer_)
        printer_->abort();
    Stop();
}

bool TQRPrinter::Print(QPrinter &printer, QString *error) const {
    return PrintPages(Pages, printer, error);
}

// ---- Saved reports ---------------------------------------------------------

bool TQRPHandler::Load(const QString &fileName, QString *error) {
    TQRPageSet pages;
    if (!pages.Load(fileName, error))
        return false;
    qrPrinter_.Pages = pages;
    return true;
}

bool TQRPHandler::Print() {
    QPrinter printer(QPrinter::HighResolution);
    if (!ReadyToPrint(printer, nullptr, TPrintOffer{qrPrinter_.PageCount()}))
        return false;
    QString error;
    if (qrPrinter_.Print(printer, &error))
        return true;
    MessageDlg(error, mtError, mbOK);
    return false;
}

// ---- Preview control -------------------------------------------------------

class TQRPreview::PageWidget : public QWidget {
public:
    explicit PageWidget(TQRPreview *preview) : QWidget(preview), preview_(preview) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        const int index = preview_->PageNumber() - 1;
        if (index < 0)
            return;
        PaintPage(painter, preview_->Pages(), index, QRectF(rect()));
    }

private:
    TQRPreview *preview_;
};

TQRPreview::TQRPreview(QWidget *parent) : QScrollArea(parent), page_(new PageWidget(this)) {
    setWidget(page_);
    setAlignment(Qt::AlignCenter);
    setBackgroundRole(QPalette::Dark);
    UpdatePage();
}

TQRPreview::~TQRPreview() = default;

void TQRPreview::SetPages(const TQRPageSet &pages) {
    pages_ = pages;
    pageNumber_ = pages_.IsEmpty() ? 0 : 1;
    UpdatePage();
    emit PagesChanged();
    emit PageChanged(pageNumber_);
}

void TQRPreview::SetZoom(int percent) {
    zoom_ = std::clamp(percent, MinZoom, MaxZoom);
    UpdatePage();
}

static QSizeF PageSizeOf(const TQRPageSet &pages, int number) {
    return number >= 1 && number <= pages.PageCount() ? pages.Page(number - 1).Size
                                                      : QSizeF(794, 1123);
}

void TQRPreview::ZoomToFit() {
    const QSizeF page = PageSizeOf(pages_, pageNumber_);
    const QSize room = maximumViewportSize() - QSize(8, 8);
    SetZoom(std::max(1, int(std::floor(100.0 * std::min(room.width() / page.width(),
                                                        room.height() / page.height())))));
}

void TQRPreview::ZoomToWidth() {
    const QSizeF page = PageSizeOf(pages_, pageNumber_);
    const int room = maximumViewportSize().width() - verticalScrollBar()->sizeHint().width() - 8;
    SetZoom(std::max(1, int(std::floor(100.0 * room / page.width()))));
}

void TQRPreview::SetPageNumber(int page) {
    if (page < 1 || page > PageCount() || page == pageNumber_)
        return;
    pageNumber_ = page;
    UpdatePage();
    emit PageChanged(pageNumber_);
}

void TQRPreview::resizeEvent(QResizeEvent *event) {
    QScrollArea::resizeEvent(event);
}

void TQRPreview::UpdatePage() {
    const QSizeF page = PageSizeOf(pages_, pageNumber_);
    page_->resize(int(std::lround(page.width() * zoom_ / 100.0)),
                  int(std::lround(page.height() * zoom_ / 100.0)));
    page_->update();
}
