// The banded report engine: layout read-back, pagination, printing to PDF and
// the saved report.
#include "PageInk.h"
#include "platform/Dialogs.h"
#include "platform/Report.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>

namespace {

// A report with a title band and a page footer like the program's, and
// `details` detail bands of `height` pixels chained as children of the title.
struct ReportFixture {
    TQuickRep report;
    TQRBand *title;
    TQRBand *footer;
    TQRLabel *titleLabel;
    std::vector<TQRBand *> details;

    explicit ReportFixture(int details = 0, int height = 100) {
        report.ReportTitle = QStringLiteral("Fixture report");
        title = new TQRBand(&report, rbTitle);
        title->setObjectName(QStringLiteral("title"));
        title->Height = 107;
        titleLabel = new TQRLabel(title);
        titleLabel->SetBounds(32, 39, 617, 66);
        titleLabel->AutoSize = false;
        titleLabel->Alignment = taCenter;
        titleLabel->Font = QRFont(QStringLiteral("Arial"), 22, true);
        titleLabel->SetCaption(QStringLiteral("Report title"));
        footer = new TQRBand(&report, rbPageFooter);
        footer->Height = 16;
        auto *page = new TQRSysData(footer);
        page->Data = qrsPageNumber;
        page->Text = QStringLiteral("Page nr ");
        page->SetLeft(608);
        TQRBand *previous = title;
        for (int i = 0; i < details; ++i) {
            previous->SetHasChild(true);
            TQRBand *band = previous->ChildBand();
            band->setObjectName(QStringLiteral("d%1").arg(i));
            band->Height = height;
            auto *label = new TQRLabel(band);
            label->SetLeft(30);
            label->SetCaption(QStringLiteral("Detail %1").arg(i));
            this->details.push_back(band);
            previous = band;
        }
    }
};

// One page holding `pictures`, each as one image operation.
TQRPageSet PicturePage(const std::vector<QImage> &pictures) {
    TQRPage page;
    for (const QImage &picture : pictures) {
        TQRPageOp op;
        op.kind = TQRPageOp::Image;
        op.Rect = QRectF(10, 10, 300, 190);
        op.Picture = picture;
        page.Ops.push_back(op);
    }
    return TQRPageSet({page});
}

// A 1-bit picture: small as PNG and when decoded, whatever its side.
QImage MonoPicture(int width, int height) {
    QImage image(width, height, QImage::Format_Mono);
    image.fill(1);
    return image;
}

// The bodies of saved reports (after their headers) as one file: what the
// writer would refuse to write as a whole.
QByteArray Joined(const QList<QByteArray> &files) {
    quint32 pages = 0;
    QByteArray rest;
    for (const QByteArray &file : files) {
        pages += qFromLittleEndian<quint32>(file.constData() + qrp::HeaderSize);
        rest += file.mid(qrp::HeaderSize + 4);
    }
    QByteArray body(4, '\0');
    qToLittleEndian(pages, body.data());
    body += rest;
    return qrp::Header(body) + body;
}

QStringList BandNames(const TQRPage &page) {
    QStringList names;
    for (const TQRPlacedBand &b : page.Bands) {
        if (!b.Name.isEmpty())
            names << b.Name;
    }
    return names;
}

// The page's operations drawn as they were before the painter kept its state
// between them: each in a save and restore of its own.
void DrawPageOpsOneByOne(QPainter &painter, const TQRPage &page) {
    auto penOf = [](const TQRPen &p) {
        if (p.Style == Qt::NoPen)
            return QPen(Qt::NoPen);
        QPen pen(QColor::fromRgba(p.Color));
        pen.setWidthF(p.Width);
        pen.setStyle(Qt::PenStyle(p.Style));
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        return pen;
    };
    for (const TQRPageOp &op : page.Ops) {
        painter.save();
        if (!op.Clip.isEmpty())
            painter.setClipRect(op.Clip, Qt::IntersectClip);
        switch (op.kind) {
        case TQRPageOp::Text: {
            QFont font(op.FontFamily);
            font.setPixelSize(std::max(1, int(std::lround(op.FontPixelSize))));
            font.setBold(op.Bold);
            font.setItalic(op.Italic);
            font.setUnderline(op.Underline);
            font.setHintingPreference(QFont::PreferNoHinting);
            painter.setFont(font);
            painter.setPen(QColor::fromRgba(op.Pen.Color));
            painter.drawText(op.Rect, int(op.Flags), op.String);
            break;
        }
        case TQRPageOp::Line:
            painter.setPen(penOf(op.Pen));
            painter.drawLine(op.LineF);
            break;
        case TQRPageOp::Polygon:
            painter.setPen(penOf(op.Pen));
            painter.setBrush(
                op.Brush.Style == Qt::NoBrush
                    ? QBrush(Qt::NoBrush)
                    : QBrush(QColor::fromRgba(op.Brush.Color), Qt::BrushStyle(op.Brush.Style)));
            painter.drawPolygon(op.Points);
            break;
        case TQRPageOp::Image:
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(op.Rect, op.Picture);
            break;
        }
        painter.restore();
    }
}

// A page of every kind of operation under several clips, none among them,
// a clip again after another, and pictures before operations that do not
// smooth them.
TQRPage MixedPage() {
    const QRectF a(20, 20, 160, 60), b(100, 50, 150, 100), offPage(250, 150, 100, 100);
    const QRectF none, emptyAt(5, 5, 0, 10);
    TQRPage page;
    page.Size = QSizeF(300, 200);
    auto text = [&](const QRectF &clip, const QRectF &rect, const QString &string, double size,
                    quint32 colour, int style = 0) {
        TQRPageOp op;
        op.kind = TQRPageOp::Text;
        op.Clip = clip;
        op.Rect = rect;
        op.String = string;
        op.FontFamily = QStringLiteral("Arial");
        op.FontPixelSize = size;
        op.Bold = style & 1;
        op.Italic = style & 2;
        op.Underline = style & 4;
        op.Flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
        op.Pen.Color = colour;
        page.Ops.push_back(op);
    };
    auto line = [&](const QRectF &clip, const QLineF &l, TQRPen pen) {
        TQRPageOp op;
        op.kind = TQRPageOp::Line;
        op.Clip = clip;
        op.LineF = l;
        op.Pen = pen;
        page.Ops.push_back(op);
    };
    auto polygon = [&](const QRectF &clip, const QRectF &rect, TQRPen pen, TQRBrush brush) {
        TQRPageOp op;
        op.kind = TQRPageOp::Polygon;
        op.Clip = clip;
        op.Points = QPolygonF(rect);
        op.Pen = pen;
        op.Brush = brush;
        page.Ops.push_back(op);
    };
    auto image = [&](const QRectF &clip, const QRectF &rect, const QImage &picture) {
        TQRPageOp op;
        op.kind = TQRPageOp::Image;
        op.Clip = clip;
        op.Rect = rect;
        op.Picture = picture;
        page.Ops.push_back(op);
    };
    QImage gradient(24, 12, QImage::Format_ARGB32);
    for (int y = 0; y < gradient.height(); ++y) {
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixel(x, y, qRgba(x * 10, y * 20, 255 - x * 10, 255));
    }
    QImage mono = MonoPicture(12, 8);
    for (int x = 0; x < 12; x += 3)
        mono.setPixel(x, x % 8, 0);

    text(a, QRectF(15, 25, 220, 20), QStringLiteral("Alpha clipped at the right"), 13, 0xff000000);
    text(a, QRectF(25, 40, 200, 30), QStringLiteral("Bold italic"), 20.4, 0xffcc0000, 7);
    line(a, QLineF(10, 30, 200, 75), TQRPen{0xff0000ff, 3, Qt::DashLine});
    polygon(a, QRectF(140, 30, 60, 40), TQRPen{0xff008000, 1.5, Qt::SolidLine},
            TQRBrush{0xff208020, Qt::Dense4Pattern});
    image(a, QRectF(30, 55, 120, 50), gradient);
    polygon(a, QRectF(60, 60, 30, 10), TQRPen{0xff000000, 0, Qt::NoPen},
            TQRBrush{0x80ff8000, Qt::SolidPattern});
    text(none, QRectF(-10, 85, 340, 20), QStringLiteral("No clip of its own"), 16, 0xff404040);
    line(none, QLineF(-20, -20, 320, 220), TQRPen{0xff800080, 2, Qt::SolidLine});
    text(b, QRectF(105, 120, 200, 20), QStringLiteral("Green in b"), 14, 0xff00a000);
    image(b, QRectF(110, 90, 60, 40), mono);
    text(a, QRectF(22, 62, 200, 20), QStringLiteral("Back in a"), 12, 0xff000000);
    text(a, QRectF(90, 62, 200, 20), QStringLiteral("and bold"), 12, 0xff000000, 1);
    polygon(offPage, QRectF(240, 140, 80, 80), TQRPen{0xff000000, 1, Qt::SolidLine},
            TQRBrush{0xff0080ff, Qt::SolidPattern});
    line(emptyAt, QLineF(0, 195, 300, 150), TQRPen{0xff000000, 1, Qt::DotLine});
    text(emptyAt, QRectF(200, 170, 100, 20), QStringLiteral("after"), 12, 0xff0000ff);
    return page;
}

// Where PaintPage puts the page on a canvas of MixedCanvas: what is drawn
// off the page shows round it.
const QPointF PageOffset(30, 20);
const QSizeF MixedCanvas(360, 240);

// Draws the page as a caller would, with a pen, brush and font of its own
// and, as `clip` says, no clip, a clip of its own or the page's (through
// PaintPage); then draws with whatever the painter is left with.
void PaintMixed(QPainter &painter, const TQRPage &page, double scale, const QString &clip,
                bool oneByOne) {
    painter.setPen(QPen(Qt::darkCyan, 2));
    painter.setBrush(QColor(255, 255, 0, 128));
    painter.setFont(QFont(QStringLiteral("Arial"), 9));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (clip == QLatin1String("page")) {
        const QRectF target(PageOffset * scale, page.Size * scale);
        if (!oneByOne) {
            PaintPage(painter, TQRPageSet({page}), 0, target);
        } else {
            // PaintPage as it was.
            const QRectF pageRect(QPointF(0, 0), page.Size);
            painter.save();
            painter.translate(target.topLeft());
            const double s =
                std::min(target.width() / page.Size.width(), target.height() / page.Size.height());
            painter.scale(s, s);
            painter.setClipRect(pageRect, Qt::IntersectClip);
            painter.fillRect(pageRect, Qt::white);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            DrawPageOpsOneByOne(painter, page);
            painter.restore();
        }
        painter.scale(scale, scale);
        painter.translate(PageOffset);
    } else {
        painter.scale(scale, scale);
        if (clip == QLatin1String("own"))
            painter.setClipRect(QRectF(8, 6, 280, 185), Qt::IntersectClip);
        if (oneByOne)
            DrawPageOpsOneByOne(painter, page);
        else
            DrawPageOps(painter, page);
    }
    painter.drawRect(QRectF(4, 4, 100, 100));
    painter.drawText(QPointF(150, 188), QStringLiteral("left as it was"));
    painter.drawImage(QRectF(200, 110, 40, 30),
                      MonoPicture(5, 5).convertToFormat(QImage::Format_RGB32));
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void labelsSizeAndAlign();
    void signsShowInAFontThatHasThem_data();
    void signsShowInAFontThatHasThem();
    void pagination_data();
    void pagination();
    void linkedBandsStayTogether();
    void linkedGroups_data();
    void linkedGroups();
    void tallBandIsClippedAndEnds();
    void childBandsFollowTheirParent();
    void bandsFreedInAnyOrder();
    void printToPdf();
    void savedReportRoundTrip();
    void savedReportFileStaysReadable();
    void savedReportRefused_data();
    void savedReportRefused();
    void savedReportBudget();
    void savedReportOperationsBudget();
    void pictureThatDoesNotEncodeIsNotSaved();
    void previewZoomAndPaging();
    void printerSetupIsScripted();
    void pageDrawsAsOneOpAtATime_data();
    void pageDrawsAsOneOpAtATime();
};

void TestReport::labelsSizeAndAlign() {
    TQuickRep report;
    auto *band = new TQRBand(&report, rbDetail);
    QCOMPARE(band->Width, 718); // A4 less two 10 mm margins
    auto *label = new TQRLabel(band);
    label->SetWidth(70);
    label->Font = QRFont(QStringLiteral("Arial"), 14, true);
    label->SetCaption(QStringLiteral("Name :"));
    const int width = label->Width();
    QVERIFY(width > 30 && width < 70);
    label->SetCaption(QStringLiteral("Name : and a much longer caption"));
    QVERIFY(label->Width() > width);
    QCOMPARE(label->Height(), QFontMetrics(QRDesignFont(label->Font)).height());

    label->AlignToBand = true;
    label->Alignment = taRightJustify;
    QCOMPARE(label->Right(), band->Width);
    label->Alignment = taLeftJustify;
    QCOMPARE(label->Left(), 0);

    // The Symbol font writes P as the product sign.
    auto *product = new TQRLabel(band);
    product->Font = QRFont(QStringLiteral("Symbol"), 14);
    product->SetCaption(QStringLiteral("P"));
    QCOMPARE(product->Caption(), QStringLiteral("P"));
    report.Prepare();
    QVERIFY(report.QRPrinter()->Pages.Page(0).Texts().contains(QStringLiteral("Π")));
    delete product;

    // Moving a printable off the band keeps it alive and out of the report.
    QObject aside;
    label->setParent(&aside);
    QVERIFY(band->Printables().isEmpty());
    label->setParent(band);
    QCOMPARE(band->Printables().size(), 1);
}

void TestReport::signsShowInAFontThatHasThem_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    // Where fonts-urw-base35 is installed "Symbol" is its symbol-encoded
    // "Standard Symbols PS", which maps neither sign; elsewhere an ordinary font.
    const QString product(QChar(0x220F));
    QTest::newRow("Symbol: the product sign") << "Symbol" << product << product;
    QTest::newRow("Symbol: P, the Greek Pi") << "Symbol"
                                             << "P" << QStringLiteral("Π");
    QTest::newRow("the URW font by name") << "Standard Symbols PS" << product << product;
    QTest::newRow("Arial") << "Arial" << product << product;
}

void TestReport::signsShowInAFontThatHasThem() {
    QFETCH(QString, family);
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    ReportFixture f(1, 100);
    auto *label = new TQRLabel(f.details[0]);
    label->Font = QRFont(family, 14);
    label->SetLeft(100);
    label->SetTop(20);
    label->SetCaption(caption);
    // Measured in the font that draws it: a missing glyph is a few pixels wide.
    QVERIFY2(label->Width() >= 10, qPrintable(QString::number(label->Width())));
    f.report.Prepare();
    const TQRPage &page = f.report.QRPrinter()->Pages.Page(0);
    const TQRPageOp *run = nullptr;
    for (const TQRPageOp &op : page.Ops) {
        if (op.kind == TQRPageOp::Text && op.String == shown)
            run = &op;
    }
    QVERIFY(run);
    // The page names a family that has the sign, so every replay draws it.
    QVERIFY2(QFontMetricsF(QFont(run->FontFamily)).inFontUcs4(shown.toUcs4().at(0)),
             qPrintable(run->FontFamily));
    const QRectF area = run->Rect;
    const TQRPageSet &pages = f.report.QRPrinter()->Pages;
    QVERIFY2(InkIn(pages, area) > 20, "the preview page shows no sign");

    // The saved report shows it too, and so does a saved report that names
    // the family itself, as one saved where that family had the sign does.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sign.qrp"));
    QVERIFY(pages.Save(file));
    TQRPHandler handler;
    QVERIFY(handler.Load(file));
    QVERIFY(InkIn(handler.QRPrinter()->Pages, area) > 20);
    TQRPage named;
    named.Size = page.Size;
    named.Ops.push_back(*run);
    named.Ops.back().FontFamily = family;
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.qrp"));
    QVERIFY(TQRPageSet({named}).Save(elsewhere));
    QVERIFY(handler.Load(elsewhere));
    QVERIFY2(InkIn(handler.QRPrinter()->Pages, area) > 20,
             "a saved report naming the family shows no sign");
}

void TestReport::pagination_data() {
    QTest::addColumn<int>("details");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("pages");
    // Room on a page: 1123 - 2*38 - 16 (footer) = 1031; the title takes 107.
    QTest::newRow("title only") << 0 << 100 << 1;
    QTest::newRow("fits one page") << 9 << 100 << 1;  // 107 + 900 = 1007
    QTest::newRow("one more band") << 10 << 100 << 2; // 1107
    QTest::newRow("three pages") << 30 << 100 << 4;   // 9, then 10 per page, then 1
    QTest::newRow("exactly full") << 1 << 924 << 1;   // 107 + 924 = 1031
}

void TestReport::pagination() {
    QFETCH(int, details);
    QFETCH(int, height);
    QFETCH(int, pages);
    ReportFixture f(details, height);
    int started = 0;
    f.report.OnStartPage = [&](TQuickRep *r) {
        ++started;
        QCOMPARE(r->PageNumber(), started);
    };
    QCOMPARE(f.report.Prepare(), pages);
    QCOMPARE(started, pages);
    const TQRPageSet &set = f.report.QRPrinter()->Pages;
    QStringList all;
    for (int p = 0; p < set.PageCount(); ++p) {
        all << BandNames(set.Page(p));
        // Every page ends with its footer, carrying its number.
        QVERIFY(set.Page(p).Texts().contains(QStringLiteral("Page nr %1").arg(p + 1)));
        for (const TQRPlacedBand &b : set.Page(p).Bands)
            QVERIFY(b.Rect.bottom() <= 1123 - 38 + 0.01);
    }
    QCOMPARE(all.size(), details + 1); // every band printed once, in order
    QCOMPARE(all.first(), QStringLiteral("title"));
    for (int i = 0; i < details; ++i)
        QCOMPARE(all[i + 1], QStringLiteral("d%1").arg(i));
    // Preparing again gives the same pages, not more.
    started = 0;
    QCOMPARE(f.report.Prepare(), pages);
}

void TestReport::linkedBandsStayTogether() {
    // Title 107 + 6 * 100 = 707; a header of 100 linked to its next three
    // bands (400 together) no longer fits under them and moves on as a whole.
    ReportFixture f(10, 100);
    f.details[6]->SetLinkBand(f.details[9]);
    QCOMPARE(f.report.Prepare(), 2);
    const TQRPageSet &set = f.report.QRPrinter()->Pages;
    QCOMPARE(BandNames(set.Page(0)), QStringList({"title", "d0", "d1", "d2", "d3", "d4", "d5"}));
    QCOMPARE(BandNames(set.Page(1)), QStringList({"d6", "d7", "d8", "d9"}));
    QCOMPARE(set.Page(1).Bands.front().Rect.top(), 38.0);

    // A group taller than a page cannot stay together: bands go one by one.
    ReportFixture g(12, 100);
    g.details[0]->SetLinkBand(g.details[11]);
    QCOMPARE(g.report.Prepare(), 2);
    QCOMPARE(BandNames(g.report.QRPrinter()->Pages.Page(0)).size(), 10);
}

void TestReport::linkedGroups_data() {
    QTest::addColumn<int>("details");
    QTest::addColumn<QList<QPoint>>("links"); // detail x linked to detail y
    QTest::addColumn<QStringList>("pages");   // the bands of each page
    // A page holds the title and 9 bands of 100, then 10 bands.
    QTest::newRow("a link inside a group extends it")
        << 10 << QList<QPoint>{{5, 7}, {6, 9}}
        << QStringList{"title d0 d1 d2 d3 d4", "d5 d6 d7 d8 d9"};
    QTest::newRow("links back and to itself keep nothing together")
        << 10 << QList<QPoint>{{6, 2}, {8, 8}}
        << QStringList{"title d0 d1 d2 d3 d4 d5 d6 d7 d8", "d9"};
    QTest::newRow("a group inside one too tall for a page")
        << 14 << QList<QPoint>{{0, 13}, {7, 9}}
        << QStringList{"title d0 d1 d2 d3 d4 d5 d6", "d7 d8 d9 d10 d11 d12 d13"};
}

void TestReport::linkedGroups() {
    QFETCH(int, details);
    QFETCH(QList<QPoint>, links);
    QFETCH(QStringList, pages);
    ReportFixture f(details, 100);
    for (const QPoint &link : links)
        f.details[size_t(link.x())]->SetLinkBand(f.details[size_t(link.y())]);
    f.report.Prepare();
    const TQRPageSet &set = f.report.QRPrinter()->Pages;
    QStringList laidOut;
    for (int p = 0; p < set.PageCount(); ++p)
        laidOut << BandNames(set.Page(p)).join(QLatin1Char(' '));
    QCOMPARE(laidOut, pages);
}

void TestReport::tallBandIsClippedAndEnds() {
    ReportFixture f(3, 100);
    f.details[1]->Height = 5000;
    QCOMPARE(f.report.Prepare(), 3);
    const TQRPageSet &set = f.report.QRPrinter()->Pages;
    QCOMPARE(BandNames(set.Page(1)), QStringList({"d1"}));
    const TQRPlacedBand &tall = set.Page(1).Bands.front();
    QVERIFY(tall.Clipped);
    QCOMPARE(tall.Rect, QRectF(38, 38, 718, 1031));
    QCOMPARE(BandNames(set.Page(2)), QStringList({"d2"}));
    // Every drawing of the tall band stays inside its clip.
    for (const TQRPageOp &op : set.Page(1).Ops) {
        if (op.String.startsWith(QLatin1String("Detail")))
            QCOMPARE(op.Clip, tall.Rect);
    }
}

void TestReport::childBandsFollowTheirParent() {
    TQuickRep report;
    auto *a = new TQRBand(&report, rbDetail);
    a->setObjectName("a");
    auto *b = new TQRBand(&report, rbDetail);
    b->setObjectName("b");
    auto *title = new TQRBand(&report, rbTitle);
    title->setObjectName("title");
    a->SetHasChild(true);
    a->ChildBand()->setObjectName("a1");
    auto *loose = new TQRChildBand(&report); // no parent: not printed
    loose->setObjectName("loose");
    std::vector<QString> names;
    for (TQRBand *band : report.PrintOrder())
        names.push_back(band->objectName());
    QCOMPARE(names, (std::vector<QString>{"title", "a", "a1", "b"}));

    // Freeing a child unties it; freeing a parent leaves the child loose.
    delete a->ChildBand();
    QVERIFY(!a->HasChild());
    a->SetHasChild(true);
    TQRChildBand *child = a->ChildBand();
    delete a;
    QVERIFY(!child->ParentBand());
    QCOMPARE(int(report.Bands().size()), 4); // b, title, loose, child
}

void TestReport::bandsFreedInAnyOrder() {
    auto report = std::make_unique<TQuickRep>();
    std::vector<QPointer<TQRBand>> bands;
    for (int i = 0; i < 8; ++i) {
        bands.emplace_back(new TQRBand(report.get(), rbDetail));
        bands.back()->setObjectName(QString::number(i));
    }
    bands[0]->SetLinkBand(bands[5]);
    bands[6]->SetLinkBand(bands[5]);
    auto names = [](const std::vector<TQRBand *> &list) {
        QStringList n;
        for (const TQRBand *band : list)
            n << band->objectName();
        return n;
    };
    // The rest keep their order, and links to a freed band are untied.
    for (int i : {5, 0, 7, 3})
        delete bands[size_t(i)].data();
    QCOMPARE(names(report->Bands()), QStringList({"1", "2", "4", "6"}));
    QVERIFY(!bands[6]->LinkBand());
    QCOMPARE(report->Prepare(), 1);

    // A chain that loops back on itself is printed once.
    QPointer<TQRChildBand> c1 = new TQRChildBand(report.get());
    QPointer<TQRChildBand> c2 = new TQRChildBand(report.get());
    c1->setObjectName("c1");
    c2->setObjectName("c2");
    c2->SetParentBand(c1);
    c1->SetParentBand(c2);
    c1->BandType = rbDetail;
    QCOMPARE(names(report->PrintOrder()), QStringList({"1", "2", "4", "6", "c1", "c2"}));
    QCOMPARE(report->Prepare(), 1);

    // The report frees the bands still alive when it goes.
    report.reset();
    for (const QPointer<TQRBand> &band : bands)
        QVERIFY(band.isNull());
    QVERIFY(c1.isNull() && c2.isNull());
}

void TestReport::printToPdf() {
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    ReportFixture f(30, 100);
    auto *chartBand = f.details[0];
    auto *chart = new TQRChart(chartBand);
    chart->SetBounds(50, 20, 300, 70);
    auto *series = new TLineSeries(chart->Chart());
    series->AddXY(0, 0);
    series->AddXY(1, 1);

    TDialogScript script;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    script.SetUpPrinter(true, [&](QPrinter &p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
    });
    QVERIFY(f.report.PrinterSetup());
    // Set-up prints nothing; a print to a file shows where it goes first.
    QVERIFY(!QFile::exists(pdf));
    script.AnswerPrint(true);
    QVERIFY(f.report.Print());
    QCOMPARE(script.LastPrintOffer.LastPage, 4);
    QVERIFY(script.Unexpected.isEmpty());

    QProcess process;
    process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(20000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(text.count(QLatin1Char('\f')), 4); // one form feed per page
    QVERIFY(text.contains(QStringLiteral("Report title")));
    QVERIFY(text.contains(QStringLiteral("Detail 29")));
    QVERIFY(text.contains(QStringLiteral("Page nr 4")));

    // A printer that cannot start is named in the error.
    QPrinter bad(QPrinter::HighResolution);
    bad.setOutputFormat(QPrinter::PdfFormat);
    bad.setOutputFileName(dir.filePath(QStringLiteral("missing/folder/x.pdf")));
    QString error;
    QVERIFY(!f.report.Print(bad, &error));
    QVERIFY(error.contains(QStringLiteral("x.pdf")));
}

void TestReport::savedReportRoundTrip() {
    QTemporaryDir dir;
    ReportFixture f(12, 100);
    auto *chart = new TQRChart(f.details[2]);
    chart->SetBounds(50, 5, 200, 90);
    auto *series = new TLineSeries(chart->Chart());
    series->AddXY(0, 1);
    series->AddXY(5, 0.3);
    auto *memo = new TQRMemo(f.details[3]);
    memo->SetBounds(10, 10, 100, 30);
    memo->Lines << QStringLiteral("Žluťoučký kůň & <b>") << QStringLiteral("second line");
    f.details[4]->Frame.DrawBottom = true;
    f.details[4]->Frame.Width = 2;
    f.report.Prepare();
    const TQRPageSet &pages = f.report.QRPrinter()->Pages;

    const QString file = dir.filePath(QStringLiteral("r.qrp"));
    QVERIFY(f.report.QRPrinter()->Save(file));
    TQRPHandler handler;
    QString error;
    QVERIFY2(handler.Load(file, &error), qPrintable(error));
    const TQRPageSet &loaded = handler.QRPrinter()->Pages;
    QCOMPARE(loaded.PageCount(), pages.PageCount());
    for (int p = 0; p < pages.PageCount(); ++p) {
        QCOMPARE(loaded.Page(p).Size, pages.Page(p).Size);
        QCOMPARE(loaded.Page(p).Ops.size(), pages.Page(p).Ops.size());
        for (size_t i = 0; i < pages.Page(p).Ops.size(); ++i)
            QVERIFY(loaded.Page(p).Ops[i] == pages.Page(p).Ops[i]);
        // Rendered the same.
        QImage a(397, 562, QImage::Format_RGB32), b(397, 562, QImage::Format_RGB32);
        QPainter pa(&a), pb(&b);
        PaintPage(pa, pages, p, QRectF(0, 0, 397, 562));
        PaintPage(pb, loaded, p, QRectF(0, 0, 397, 562));
        pa.end();
        pb.end();
        QCOMPARE(a, b);
    }
    QVERIFY(loaded.Page(0).Texts().contains(QStringLiteral("Žluťoučký kůň & <b>")));
    // A save into a folder that does not exist fails and says so.
    QVERIFY(!pages.Save(dir.filePath(QStringLiteral("no/such/r.qrp")), &error));
    QVERIFY(!error.isEmpty());
}

void TestReport::savedReportFileStaysReadable() {
    // A file written by an earlier build: the format must keep reading it.
    TQRPHandler handler;
    QString error;
    QVERIFY2(handler.Load(QStringLiteral(VR_TEST_DATA "/report/sample.qrp"), &error),
             qPrintable(error));
    const TQRPageSet &pages = handler.QRPrinter()->Pages;
    QCOMPARE(pages.PageCount(), 1);
    QCOMPARE(pages.Page(0).Size, QSizeF(794, 1123));
    QCOMPARE(pages.Page(0).Texts(), QStringList({"Sample report", "A memo line",
                                                 QStringLiteral("Ščř second"), "Page nr 1"}));
    int images = 0;
    for (const TQRPageOp &op : pages.Page(0).Ops)
        images += op.kind == TQRPageOp::Image && op.Picture.size() == QSize(120, 90);
    QCOMPARE(images, 1);
}

void TestReport::savedReportRefused_data() {
    QTest::addColumn<int>("damage"); // 0 truncate, 1 flip a byte, 2 bad magic, 3 version, 4 empty
    QTest::newRow("truncated") << 0;
    QTest::newRow("flipped byte") << 1;
    QTest::newRow("not a saved report") << 2;
    QTest::newRow("newer format") << 3;
    QTest::newRow("empty file") << 4;
}

void TestReport::savedReportRefused() {
    QFETCH(int, damage);
    ReportFixture f(3, 100);
    f.report.Prepare();
    QByteArray bytes = f.report.QRPrinter()->Pages.ToBytes();
    switch (damage) {
    case 0:
        bytes.chop(7);
        break;
    case 1:
        bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x40);
        break;
    case 2:
        bytes[1] = 'X';
        break;
    case 3:
        bytes[8] = 2;
        break;
    case 4:
        bytes.clear();
        break;
    }
    // The set that refuses keeps what it had.
    ReportFixture other(0);
    other.report.Prepare();
    TQRPageSet set = other.report.QRPrinter()->Pages;
    QString error;
    QVERIFY(!set.FromBytes(bytes, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(set.PageCount(), 1);
    QCOMPARE(set.Page(0).Texts(), other.report.QRPrinter()->Pages.Page(0).Texts());
}

void TestReport::savedReportBudget() {
    // Pictures are counted at 4 bytes a pixel: two of 4096 x 4096 fill the budget.
    const qint64 side = 4096;
    QCOMPARE(quint64(2 * side * side * 4), qrp::MaxPictureBytes);
    const TQRPageSet full = PicturePage({MonoPicture(side, side), MonoPicture(side, side)});
    QString error;
    const QByteArray fullBytes = full.ToBytes(&error);
    QVERIFY2(!fullBytes.isEmpty(), qPrintable(error));
    TQRPageSet loaded;
    QVERIFY2(loaded.FromBytes(fullBytes, &error), qPrintable(error));
    QCOMPARE(loaded.Page(0).Ops[1].Picture.size(), QSize(side, side));

    // One more pixel on a second page is beyond it: refused before anything
    // is decoded, and the set keeps what it had.
    const TQRPageSet pixel = PicturePage({MonoPicture(1, 1)});
    const QByteArray over = Joined({fullBytes, pixel.ToBytes()});
    QVERIFY(!loaded.FromBytes(over, &error));
    QCOMPARE(error, QStringLiteral("its pictures together are larger than in any report of this "
                                   "program"));
    QCOMPARE(loaded.PageCount(), 1);
    // The same file as the fuzz seed, through the saved-report handler.
    QFile seed(QStringLiteral(VR_TEST_DATA "/report/over-budget.qrp"));
    QVERIFY(seed.open(QIODevice::ReadOnly));
    QCOMPARE(seed.readAll(), over);
    TQRPHandler handler;
    QVERIFY(!handler.Load(seed.fileName(), &error));
    QVERIFY(error.contains(QStringLiteral("pictures together")));

    // The writer does not write what the reader would refuse.
    error.clear();
    QVERIFY(PicturePage({MonoPicture(side, side), MonoPicture(side, side), MonoPicture(1, 1)})
                .ToBytes(&error)
                .isEmpty());
    QVERIFY(error.contains(QStringLiteral("pictures together")));
}

void TestReport::savedReportOperationsBudget() {
    // One operation as written (a polygon without points, the smallest kind),
    // repeated into full pages by hand: the writer would not write them.
    TQRPageOp polygon;
    polygon.kind = TQRPageOp::Polygon;
    const QByteArray one = TQRPageSet({TQRPage{{794, 1123}, {polygon}, {}}}).ToBytes();
    const QByteArray page = one.mid(qrp::HeaderSize + 4); // size, count, the operation
    const QByteArray op = page.mid(8 + 8 + 4);
    auto pages = [&](const QList<quint32> &counts) {
        QByteArray body(4, '\0');
        qToLittleEndian(quint32(counts.size()), body.data());
        QByteArray full;
        for (const quint32 ops : counts) {
            if (full.isEmpty() || quint32((full.size() - 20) / op.size()) != ops) {
                full = page.left(8 + 8) + QByteArray(4, '\0') + op.repeated(qsizetype(ops));
                qToLittleEndian(ops, full.data() + 16);
            }
            body += full;
        }
        return qrp::Header(body) + body;
    };
    // The budget is a whole number of the fullest pages the reader takes;
    // one operation more on one more page is beyond it.
    QCOMPARE(qrp::MaxTotalOps % qrp::MaxOpsPerPage, quint64(0));
    QList<quint32> counts(qsizetype(qrp::MaxTotalOps / qrp::MaxOpsPerPage), qrp::MaxOpsPerPage);
    counts << 1;
    TQRPageSet set;
    QString error;
    QVERIFY(!set.FromBytes(pages(counts), &error));
    QCOMPARE(error,
             QStringLiteral("it holds more drawing operations than any report of this program"));
    QVERIFY(set.IsEmpty());
    // A small file of the same pages reads.
    QVERIFY2(set.FromBytes(pages({2, 2, 2}), &error), qPrintable(error));
    QCOMPARE(set.Page(2).Ops.size(), size_t(2));
}

void TestReport::pictureThatDoesNotEncodeIsNotSaved() {
    // A picture that PNG cannot encode: the save fails, says why, and writes nothing.
    QTemporaryDir dir;
    const TQRPageSet pages = PicturePage({MonoPicture(30, 20), QImage()});
    QString error;
    QVERIFY(pages.ToBytes(&error).isEmpty());
    QVERIFY2(error.contains(QStringLiteral("PNG")), qPrintable(error));
    const QString file = dir.filePath(QStringLiteral("r.qrp"));
    error.clear();
    QVERIFY(!pages.Save(file, &error));
    QVERIFY(error.contains(QStringLiteral("PNG")));
    QVERIFY(!QFile::exists(file));
    // Through the report's printer, as the preview saves.
    TQRPrinter printer;
    printer.Pages = pages;
    QVERIFY(!printer.Save(file, &error));
    QVERIFY(!QFile::exists(file));
}

void TestReport::previewZoomAndPaging() {
    ReportFixture f(30, 100);
    f.report.Prepare();
    TQRPreview preview;
    preview.resize(800, 600);
    preview.SetQRPrinter(f.report.QRPrinter());
    QCOMPARE(preview.PageNumber(), 1);
    preview.SetPageNumber(4);
    QCOMPARE(preview.PageNumber(), 4);
    preview.SetPageNumber(5);
    QCOMPARE(preview.PageNumber(), 4);
    preview.SetPageNumber(0);
    QCOMPARE(preview.PageNumber(), 4);
    preview.SetZoom(250);
    QCOMPARE(preview.Zoom(), 250);
    QCOMPARE(preview.widget()->width(), qRound(794 * 2.5));
    preview.ZoomToFit();
    const QSize room = preview.maximumViewportSize();
    QVERIFY(preview.Zoom() < 100 && preview.widget()->height() <= room.height());
    preview.ZoomToWidth();
    QVERIFY(preview.widget()->width() <= room.width());
    QVERIFY(preview.Zoom() > 80);

    // The preview keeps its pages when the report is gone.
    {
        ReportFixture g(2);
        g.report.Prepare();
        preview.SetQRPrinter(g.report.QRPrinter());
    }
    QCOMPARE(preview.PageCount(), 1);
    QImage image(preview.widget()->size(), QImage::Format_RGB32);
    preview.widget()->render(&image);
}

void TestReport::printerSetupIsScripted() {
    TQuickRep report;
    TDialogScript script;
    script.SetUpPrinter(false);
    QVERIFY(!report.PrinterSetup());
    QCOMPARE(script.PrinterSetups, 1);
    QCOMPARE(script.PendingPrinterSetups(), 0);
}

void TestReport::pageDrawsAsOneOpAtATime_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("clip"); // the painter's before the page: none, own or page
    QTest::newRow("screen, painter clipped") << "image" << 1.0 << "own";
    QTest::newRow("zoomed, no clip") << "image" << 2.37 << "none";
    QTest::newRow("zoomed, page") << "image" << 2.37 << "page";
    QTest::newRow("pdf, page") << "pdf" << 1200 / QRDesignDpi << "page";
    QTest::newRow("pdf, painter clipped") << "pdf" << 1200 / QRDesignDpi << "own";
}

void TestReport::pageDrawsAsOneOpAtATime() {
    // The painter keeps its state between operations; the page looks exactly
    // as when each operation was drawn in a save and restore of its own.
    QFETCH(QString, device);
    QFETCH(double, scale);
    QFETCH(QString, clip);
    const TQRPage page = MixedPage();
    QImage drawn[2];
    if (device == QLatin1String("image")) {
        for (int oneByOne = 0; oneByOne < 2; ++oneByOne) {
            QImage &image = drawn[oneByOne];
            image = QImage((MixedCanvas * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::lightGray);
            QPainter painter(&image);
            PaintMixed(painter, page, scale, clip, oneByOne);
        }
    } else {
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
        QTemporaryDir dir;
        for (int oneByOne = 0; oneByOne < 2; ++oneByOne) {
            const QString pdf = dir.filePath(QStringLiteral("page%1.pdf").arg(oneByOne));
            {
                QPdfWriter writer(pdf);
                writer.setResolution(1200);
                writer.setPageSize(
                    QPageSize(MixedCanvas * 25.4 / QRDesignDpi, QPageSize::Millimeter));
                writer.setPageMargins(QMarginsF());
                QPainter painter(&writer);
                PaintMixed(painter, page, scale, clip, oneByOne);
            }
            const QString png = dir.filePath(QStringLiteral("page%1").arg(oneByOne));
            QVERIFY(QProcess::execute(pdftoppm, {QStringLiteral("-r"), QStringLiteral("300"),
                                                 QStringLiteral("-png"),
                                                 QStringLiteral("-singlefile"), pdf, png}) == 0);
            drawn[oneByOne] = QImage(png + QStringLiteral(".png"));
            QVERIFY(!drawn[oneByOne].isNull());
        }
    }
    QCOMPARE(drawn[0], drawn[1]);
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
