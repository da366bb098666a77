// The chart component: conversions, colours, zoom and scroll, the drawing
// hook, settings copy, pies and the editor, as the chart windows use them.
#include "ChartFixture.h"
#include "platform/Chart.h"
#include "platform/ChartEditor.h"
#include "platform/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QSpinBox>
#include <QtTest>

namespace {

void SendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Drag(QWidget *w, QPoint from, QPoint to, Qt::MouseButton button) {
    SendMouse(w, QEvent::MouseButtonPress, from, button, button);
    SendMouse(w, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
    SendMouse(w, QEvent::MouseMove, to, Qt::NoButton, button);
    SendMouse(w, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

// How far a pixel is from a colour (largest channel difference).
int Distance(QRgb a, QColor b) {
    return std::max({std::abs(qRed(a) - b.red()), std::abs(qGreen(a) - b.green()),
                     std::abs(qBlue(a) - b.blue())});
}

// The texts a drawing writes, each with the box it takes on the device.
class TTextRecorder : public QPaintDevice {
public:
    struct Text {
        QString String;
        QRectF Box;
    };
    explicit TTextRecorder(QSize size) : size_(size), engine_(this) {}
    std::vector<Text> Texts;
    QPaintEngine *paintEngine() const override { return const_cast<Engine *>(&engine_); }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TTextRecorder *device) : device_(device) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath &) override {}
        void drawTextItem(const QPointF &p, const QTextItem &item) override {
            const QFontMetricsF fm(item.font());
            const QRectF box(p.x(), p.y() - fm.ascent(), fm.horizontalAdvance(item.text()),
                             fm.height());
            device_->Texts.push_back({item.text(), painter()->combinedTransform().mapRect(box)});
        }
        Type type() const override { return User; }

    private:
        TTextRecorder *device_;
    };
    QSize size_;
    Engine engine_;
};

// The texts of the chart drawn into a rectangle of the size.
std::vector<TTextRecorder::Text> DrawnTexts(TChart &chart, QSize size) {
    TTextRecorder recorder(size);
    QPainter p(&recorder);
    chart.Draw(p, QRect(QPoint(0, 0), size), 1.0);
    p.end();
    return recorder.Texts;
}

bool IsNumber(const QString &text) {
    bool number = false;
    QString(text).remove(QLatin1Char(',')).toDouble(&number);
    return number;
}

} // namespace

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void formatFloat_data();
    void formatFloat();
    void conversions_data();
    void conversions();
    void drawnWhereTheConversionsSay();
    void scrollShiftsBothEnds();
    void lastVisiblePoint();
    void colorRangePaintsTheLineEndingAtAPoint();
    void mouseZoomUndoAndPan();
    void zoomPercentAndUndo();
    void mouseEvents();
    void beforeDrawValuesLandsUnderTheSeries();
    void notXorTwiceRestores();
    void assignCopiesSettings();
    void pieSlicesAndRotation();
    void backImageModes();
    void sameProportionsAtPrinterResolution();
    void editorWritesToTheChart();
    void previewerPrints();
    void labelsStayApartInSmallRectangles_data();
    void labelsStayApartInSmallRectangles();
    void minimumSizeReads_data();
    void minimumSizeReads();
};

void TestChart::formatFloat_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("optional decimals") << "C"
                                       << "0.####" << 0.5 << "0.5";
    QTest::newRow("integer") << "C"
                             << "0.####" << 1.0 << "1";
    QTest::newRow("rounded") << "C"
                             << "0.####" << 0.123456 << "0.1235";
    QTest::newRow("grouped") << "C"
                             << "#,##0.###" << 12345.6789 << "12,345.679";
    QTest::newRow("grouped comma locale") << "de_DE"
                                          << "#,##0.###" << 12345.6789 << "12.345,679";
    QTest::newRow("fixed decimals") << "C"
                                    << "0.00" << 2.5 << "2.50";
    QTest::newRow("no minus for zero") << "C"
                                       << "0.##" << -0.0001 << "0";
    QTest::newRow("negative") << "C"
                              << "0.##" << -1.25 << "-1.25";
}

void TestChart::formatFloat() {
    QFETCH(QString, locale);
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(FormatFloat(format, value), text);
}

void TestChart::conversions_data() {
    QTest::addColumn<int>("state"); // 0 plain, 1 zoomed, 2 scrolled, 3 zoom percent
    QTest::addColumn<int>("axis");
    QTest::newRow("plain, right axis") << 0 << int(aRightAxis);
    QTest::newRow("plain, left axis") << 0 << int(aLeftAxis);
    QTest::newRow("zoomed") << 1 << int(aRightAxis);
    QTest::newRow("scrolled") << 2 << int(aLeftAxis);
    QTest::newRow("zoom percent") << 3 << int(aRightAxis);
}

void TestChart::conversions() {
    QFETCH(int, state);
    QFETCH(int, axis);
    TChart chart;
    TLineSeries *s = UtilityChart(chart, 5, TVertAxis(axis));
    const QRect plot = chart.ChartRect();
    QVERIFY(plot.width() > 300 && plot.height() > 200);
    QVERIFY(QRect(0, 0, 640, 400).contains(plot));
    if (state == 1)
        chart.ZoomRect(QRect(plot.left() + 50, plot.top() + 30, 200, 120));
    if (state == 2) {
        chart.BottomAxis.Scroll(7.5, false);
        s->GetVertAxis()->Scroll(-0.2, false);
    }
    if (state == 3)
        chart.ZoomPercent(150);
    const QRect r = chart.ChartRect();
    TChartAxis *h = s->GetHorizAxis(), *v = s->GetVertAxis();
    QCOMPARE(h->Automatic, state == 0);
    // The ends of the axes are the edges of the plotting rectangle.
    QCOMPARE(s->CalcXPosValue(h->Minimum), r.left());
    QCOMPARE(s->CalcXPosValue(h->Maximum), r.right());
    QCOMPARE(s->CalcYPosValue(v->Minimum), r.bottom());
    QCOMPARE(s->CalcYPosValue(v->Maximum), r.top());
    for (int i = 0; i < s->Count(); ++i) {
        QCOMPARE(s->CalcXPos(i), s->CalcXPosValue(s->GetxValue(i)));
        QCOMPARE(s->CalcYPos(i), s->CalcYPosValue(s->GetyValue(i)));
        // Back to values within a pixel's worth.
        const double xPixel = (h->Maximum - h->Minimum) / (r.width() - 1);
        const double yPixel = (v->Maximum - v->Minimum) / (r.height() - 1);
        QVERIFY(std::fabs(s->XScreenToValue(s->CalcXPos(i)) - s->GetxValue(i)) <=
                xPixel / 2 + 1e-9);
        QVERIFY(std::fabs(s->YScreenToValue(s->CalcYPos(i)) - s->GetyValue(i)) <=
                yPixel / 2 + 1e-9);
    }
    for (int px = r.left(); px <= r.right(); px += 7)
        QCOMPARE(s->CalcXPosValue(s->XScreenToValue(px)), px);
    for (int py = r.top(); py <= r.bottom(); py += 5)
        QCOMPARE(s->CalcYPosValue(s->YScreenToValue(py)), py);
    // The values under the mouse.
    const QPoint at(r.left() + 100, r.top() + 60);
    SendMouse(&chart, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    double x = 0, y = 0;
    s->GetCursorValues(x, y);
    QCOMPARE(x, s->XScreenToValue(at.x()));
    QCOMPARE(y, s->YScreenToValue(at.y()));
}

void TestChart::drawnWhereTheConversionsSay() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    s->Pointer.Color = clRed;
    s->ColorRange(s->XValues, 0, 1000, clGreen);
    chart.ZoomRect(QRect(chart.ChartRect().topLeft() + QPoint(20, 0), QSize(400, 300)));
    const QImage image = chart.ToImage();
    QCOMPARE(image.size(), QSize(640, 400));
    int checked = 0;
    for (int i = s->FirstValueIndex(); i <= s->LastValueIndex(); ++i) {
        if (!chart.ChartRect().contains(s->CalcXPos(i), s->CalcYPos(i)))
            continue;
        QVERIFY2(Distance(image.pixel(s->CalcXPos(i), s->CalcYPos(i)), Qt::red) < 40,
                 qPrintable(QString::number(i)));
        ++checked;
    }
    QVERIFY(checked >= 2);
}

void TestChart::scrollShiftsBothEnds() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    QVERIFY(chart.BottomAxis.Automatic);
    chart.ChartRect();
    QCOMPARE(chart.BottomAxis.Minimum, 10.0);
    QCOMPARE(chart.BottomAxis.Maximum, 110.0);
    int scrolled = 0;
    chart.OnScroll = [&] { ++scrolled; };
    chart.BottomAxis.Scroll(-5, false);
    QVERIFY(!chart.BottomAxis.Automatic);
    QCOMPARE(chart.BottomAxis.Minimum, 5.0);
    QCOMPARE(chart.BottomAxis.Maximum, 105.0);
    QCOMPARE(scrolled, 0); // only the user's panning reports
    // With limits it stops at the series' values.
    chart.BottomAxis.Scroll(-100, true);
    QCOMPARE(chart.BottomAxis.Minimum, 5.0);
    chart.BottomAxis.Scroll(3, true);
    QCOMPARE(chart.BottomAxis.Minimum, 8.0);
    // Adding points no longer moves a fixed axis.
    s->AddXY(200, 1);
    chart.ChartRect();
    QCOMPARE(chart.BottomAxis.Maximum, 108.0);
    chart.UndoZoom();
    chart.ChartRect();
    QVERIFY(chart.BottomAxis.Automatic);
    QCOMPARE(chart.BottomAxis.Maximum, 200.0);
}

void TestChart::lastVisiblePoint() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    QCOMPARE(s->FirstValueIndex(), 0);
    QCOMPARE(s->LastValueIndex(), 4);
    chart.BottomAxis.SetMinMax(20, 70); // exactly on a point: it is visible
    QCOMPARE(s->FirstValueIndex(), 1);
    QCOMPARE(s->LastValueIndex(), 3);
    chart.BottomAxis.SetMinMax(20, 69.9);
    QCOMPARE(s->LastValueIndex(), 2);
    chart.BottomAxis.SetMinMax(200, 300);
    QCOMPARE(s->LastValueIndex(), 4);
    QCOMPARE(s->FirstValueIndex(), -1);
}

void TestChart::colorRangePaintsTheLineEndingAtAPoint() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    s->Pointer.Visible = false;
    s->LinePen.Width = 3;
    s->ColorRange(s->XValues, 25, 40, clRed); // points 1 and 2
    QCOMPARE(s->ValueColor(0), clBlue);
    QCOMPARE(s->ValueColor(1), clRed);
    QCOMPARE(s->ValueColor(2), clRed);
    QCOMPARE(s->ValueColor(3), clBlue);
    s->ColorRange(s->XValues, 25, 25, clTeeColor); // back to the series colour
    QCOMPARE(s->ValueColor(1), clBlue);

    const QImage image = chart.ToImage();
    auto middle = [&](int i) {
        return image.pixel((s->CalcXPos(i - 1) + s->CalcXPos(i)) / 2,
                           (s->CalcYPos(i - 1) + s->CalcYPos(i)) / 2);
    };
    QVERIFY(Distance(middle(1), Qt::blue) < 60); // ends at point 1 (series colour again)
    QVERIFY(Distance(middle(2), Qt::red) < 60);  // ends at point 2 (red)
    QVERIFY(Distance(middle(3), Qt::blue) < 60);
}

void TestChart::mouseZoomUndoAndPan() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    const QRect r = chart.ChartRect();
    QStringList events;
    chart.OnZoom = [&] {
        // After the change.
        events << QStringLiteral("zoom %1").arg(chart.BottomAxis.Automatic);
        QVERIFY(chart.Zoomed());
    };
    chart.OnUndoZoom = [&] { events << QStringLiteral("undo %1").arg(chart.BottomAxis.Automatic); };
    chart.OnScroll = [&] { events << QStringLiteral("scroll %1").arg(chart.BottomAxis.Minimum); };

    chart.AllowZoom = false;
    Drag(&chart, r.topLeft() + QPoint(10, 10), r.center(), Qt::LeftButton);
    QVERIFY(events.isEmpty());
    QVERIFY(chart.BottomAxis.Automatic);

    chart.AllowZoom = true;
    const QPoint from = r.topLeft() + QPoint(40, 20), to = r.center();
    const double x1 = s->XScreenToValue(from.x()), x2 = s->XScreenToValue(to.x());
    const double u1 = s->YScreenToValue(to.y()), u2 = s->YScreenToValue(from.y());
    Drag(&chart, from, to, Qt::LeftButton);
    QCOMPARE(events, QStringList{"zoom 0"});
    QCOMPARE(chart.BottomAxis.Minimum, x1);
    QCOMPARE(chart.BottomAxis.Maximum, x2);
    QCOMPARE(chart.RightAxis.Minimum, u1);
    QCOMPARE(chart.RightAxis.Maximum, u2);
    // A small band does nothing; dragging back to the upper left undoes.
    Drag(&chart, r.center(), r.center() + QPoint(5, 5), Qt::LeftButton);
    QCOMPARE(events.size(), 1);
    Drag(&chart, r.center(), r.center() - QPoint(60, 60), Qt::LeftButton);
    QCOMPARE(events.last(), QStringLiteral("undo 1"));
    QVERIFY(!chart.Zoomed());

    // Panning with the right button moves the axes with the mouse.
    events.clear();
    chart.AllowPanning = pmNone;
    Drag(&chart, r.center(), r.center() + QPoint(30, 0), Qt::RightButton);
    QVERIFY(events.isEmpty());
    chart.AllowPanning = pmHorizontal;
    chart.ChartRect();
    const double before = chart.BottomAxis.Minimum, range = chart.BottomAxis.Maximum - before;
    const double uBefore = chart.RightAxis.Minimum;
    SendMouse(&chart, QEvent::MouseButtonPress, r.center(), Qt::RightButton, Qt::RightButton);
    SendMouse(&chart, QEvent::MouseMove, r.center() + QPoint(40, 25), Qt::NoButton,
              Qt::RightButton);
    SendMouse(&chart, QEvent::MouseButtonRelease, r.center() + QPoint(40, 25), Qt::RightButton,
              Qt::NoButton);
    QCOMPARE(events.size(), 1);
    QVERIFY(std::fabs(chart.BottomAxis.Minimum - (before - 40 * range / (r.width() - 1))) < 1e-9);
    QCOMPARE(chart.RightAxis.Minimum, uBefore); // horizontal only
    QVERIFY(!chart.BottomAxis.Automatic);
    chart.UndoZoom();
    chart.ChartRect();
    QCOMPARE(chart.BottomAxis.Minimum, before);
}

void TestChart::zoomPercentAndUndo() {
    TChart chart;
    UtilityChart(chart);
    chart.ChartRect();
    int zooms = 0, undos = 0;
    chart.OnZoom = [&] { ++zooms; };
    chart.OnUndoZoom = [&] { ++undos; };
    chart.ZoomPercent(200);
    QCOMPARE(chart.BottomAxis.Minimum, 35.0);
    QCOMPARE(chart.BottomAxis.Maximum, 85.0);
    QCOMPARE(chart.RightAxis.Minimum, 0.25);
    QCOMPARE(chart.RightAxis.Maximum, 0.75);
    chart.ZoomPercent(50);
    QCOMPARE(chart.BottomAxis.Minimum, 10.0);
    QCOMPARE(chart.BottomAxis.Maximum, 110.0);
    QVERIFY(!chart.BottomAxis.Automatic);
    QCOMPARE(zooms, 0);
    chart.UndoZoom();
    QCOMPARE(undos, 1);
    QVERIFY(chart.BottomAxis.Automatic && chart.RightAxis.Automatic);
}

void TestChart::mouseEvents() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    s->Cursor = Qt::PointingHandCursor;
    QStringList seen;
    chart.OnMouseDown = [&](TMouseButton b, TShiftState shift, int x, int y) {
        seen
            << QStringLiteral("down %1 %2 %3,%4").arg(b).arg((shift & ssDouble) != 0).arg(x).arg(y);
    };
    chart.OnMouseUp = [&](TMouseButton b, TShiftState, int, int) {
        seen << QStringLiteral("up %1").arg(b);
    };
    chart.OnMouseMove = [&](TShiftState, int x, int y) {
        seen << QStringLiteral("move %1,%2").arg(x).arg(y);
    };
    chart.OnClickSeries = [&](TChartSeries *series, int index, TMouseButton, TShiftState, int,
                              int) {
        QCOMPARE(series, static_cast<TChartSeries *>(s));
        seen << QStringLiteral("series %1").arg(index);
    };
    chart.AllowZoom = false;
    const QPoint point(s->CalcXPos(2), s->CalcYPos(2));
    SendMouse(&chart, QEvent::MouseMove, point + QPoint(1, 0), Qt::NoButton, Qt::NoButton);
    QCOMPARE(chart.cursor().shape(), Qt::PointingHandCursor);
    SendMouse(&chart, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::LeftButton);
    SendMouse(&chart, QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::NoButton);
    SendMouse(&chart, QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    chart.OriginalCursor = QCursor(Qt::CrossCursor);
    SendMouse(&chart, QEvent::MouseMove, QPoint(6, 6), Qt::NoButton, Qt::NoButton);
    QCOMPARE(chart.cursor().shape(), Qt::CrossCursor);
    const QString at = QStringLiteral("%1,%2").arg(point.x()).arg(point.y());
    QCOMPARE(seen, (QStringList{QStringLiteral("move %1,%2").arg(point.x() + 1).arg(point.y()),
                                "down 0 0 " + at, "series 2", "up 0", "down 0 1 5,5", "move 6,6"}));
}

void TestChart::beforeDrawValuesLandsUnderTheSeries() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    s->Pointer.Visible = false;
    s->LinePen.Width = 3;
    QRect seenRect;
    s->BeforeDrawValues = [&](TChartSeries *series) {
        QCOMPARE(series, static_cast<TChartSeries *>(s));
        seenRect = chart.ChartRect();
        chart.Canvas->Brush.Color = clYellow;
        chart.Canvas->Brush.Style = bsSolid;
        chart.Canvas->Pen.Style = psClear;
        chart.Canvas->Rectangle(s->CalcXPos(1), s->CalcYPos(3), s->CalcXPos(3), s->CalcYPos(1));
    };
    const QImage image = chart.ToImage();
    QCOMPARE(seenRect, chart.ChartRect());
    // The line from point 1 to 2 crosses the rectangle and lies over it.
    const QPoint mid((s->CalcXPos(1) + s->CalcXPos(2)) / 2, (s->CalcYPos(1) + s->CalcYPos(2)) / 2);
    QVERIFY(Distance(image.pixel(mid), Qt::blue) < 60);
    QVERIFY(Distance(image.pixel(s->CalcXPos(3) - 3, s->CalcYPos(1) - 3), Qt::yellow) < 10);
    // The rectangle leaves out its right and bottom edges.
    QVERIFY(Distance(image.pixel(s->CalcXPos(3), s->CalcYPos(1) - 3), Qt::yellow) > 10);
}

void TestChart::notXorTwiceRestores() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    const QRect r = chart.ChartRect();
    auto cross = [&](int x, int y) {
        chart.Canvas->Pen.Color = clRed;
        chart.Canvas->Pen.Style = psSolid;
        chart.Canvas->Pen.Width = 1;
        chart.Canvas->Pen.Mode = pmNotXor;
        chart.Canvas->MoveTo(x, r.top());
        chart.Canvas->LineTo(x, r.bottom());
        chart.Canvas->MoveTo(r.left(), y);
        chart.Canvas->LineTo(r.right(), y);
    };
    // Between paints: the widget keeps the lines over its picture.
    const QImage clean = chart.grab().toImage();
    cross(200, 150);
    const QImage crossed = chart.grab().toImage();
    QVERIFY(crossed != clean);
    QVERIFY(Distance(crossed.pixel(200, 100), Qt::red) < 60);
    cross(200, 150);
    QCOMPARE(chart.grab().toImage(), clean);

    // While drawing: the same lines drawn twice leave the picture as it was.
    const QImage plain = chart.ToImage();
    s->BeforeDrawValues = [&](TChartSeries *) {
        cross(150, 120);
        cross(150, 120);
    };
    QCOMPARE(chart.ToImage(), plain);
    s->BeforeDrawValues = [&](TChartSeries *) { cross(150, 120); };
    QVERIFY(chart.ToImage() != plain);
}

void TestChart::assignCopiesSettings() {
    TChart templ;
    TLineSeries *t = UtilityChart(templ);
    templ.Title.Color = clGreen;
    templ.Foot.Text = QStringList{QStringLiteral("foot")};
    templ.LeftAxis.SetDesiredIncrement(0.25);
    templ.BottomAxis.AxisValuesFormat = QStringLiteral("0.0");
    templ.MarginLeft = 12;
    templ.AllowZoom = false;
    templ.AllowPanning = pmVertical;
    templ.Gradient.StartColor = clAqua;
    templ.SetBackImageMode(pbmCenter);
    templ.SetBackImageInside(true);

    TChart copy;
    copy.resize(templ.size());
    copy.Assign(templ);
    QCOMPARE(copy.SeriesCount(), 0); // series stay with their chart
    QCOMPARE(copy.Title.Text, templ.Title.Text);
    QCOMPARE(copy.Title.Color, clGreen);
    QCOMPARE(copy.Foot.Text, templ.Foot.Text);
    QCOMPARE(copy.LeftAxis.Increment, 0.25);
    QCOMPARE(copy.RightAxis.Title.Caption, QStringLiteral("U (Price)"));
    QCOMPARE(copy.BottomAxis.AxisValuesFormat, QStringLiteral("0.0"));
    QCOMPARE(copy.MarginLeft, 12);
    QVERIFY(!copy.AllowZoom);
    QCOMPARE(copy.AllowPanning, pmVertical);
    QVERIFY(copy.Gradient.Visible);
    QCOMPARE(copy.Gradient.StartColor, clAqua);
    QCOMPARE(copy.BackImageMode, pbmCenter);
    QVERIFY(copy.BackImageInside);

    // With the same points and series look, both draw the same picture.
    auto *s = new TLineSeries(&copy);
    s->AssignStyle(*t);
    for (int i = 0; i < t->Count(); ++i)
        s->AddXY(t->GetxValue(i), t->GetyValue(i));
    QCOMPARE(copy.ToImage(), templ.ToImage());
}

void TestChart::pieSlicesAndRotation() {
    TChart chart;
    chart.resize(300, 300);
    chart.LegendVisible = false;
    chart.Title.Text = QStringList{QStringLiteral("Probability Graph")};
    auto *pie = new TPieSeries(&chart);
    pie->Marks.Visible = false;
    pie->Add(0.25, QStringLiteral("0.25"), clRed);
    pie->Add(0.75, QStringLiteral("0.75"), clBlue);
    QCOMPARE(pie->Count(), 2);
    QCOMPARE(pie->Labels, (QStringList{"0.25", "0.75"}));
    auto colourAt = [&](double degrees) {
        const QImage image = chart.ToImage();
        const QRectF r = pie->PieRect();
        const double a = degrees * std::numbers::pi / 180;
        const QPointF p = r.center() + QPointF(std::cos(a), -std::sin(a)) * r.width() / 4;
        return image.pixel(p.toPoint());
    };
    // The first slice starts at three o'clock and runs counter-clockwise.
    QVERIFY(Distance(colourAt(45), Qt::red) < 10);
    QVERIFY(Distance(colourAt(225), Qt::blue) < 10);
    pie->Rotate(180);
    QCOMPARE(pie->RotationAngle, 180);
    QVERIFY(Distance(colourAt(45), Qt::blue) < 10);
    QVERIFY(Distance(colourAt(225), Qt::red) < 10);
    pie->Clear();
    QCOMPARE(pie->Count(), 0);
    chart.ToImage(); // nothing to draw is no fault
}

void TestChart::backImageModes() {
    TChart chart;
    UtilityChart(chart);
    chart.Gradient.Visible = false;
    chart.Color = clWhite;
    QImage green(40, 30, QImage::Format_RGB32);
    green.fill(Qt::green);
    chart.SetBackImage(green);
    const QRect plot = chart.ChartRect();
    const QPoint corner(2, 2), inPlot = plot.topLeft() + QPoint(3, 3);

    chart.SetBackImageMode(pbmStretch);
    QImage image = chart.ToImage();
    QVERIFY(Distance(image.pixel(corner), Qt::green) < 5);
    QVERIFY(Distance(image.pixel(inPlot), Qt::green) < 5);

    chart.SetBackImageMode(pbmCenter);
    image = chart.ToImage();
    QVERIFY(Distance(image.pixel(corner), Qt::white) < 5);
    QVERIFY(Distance(image.pixel(320 + 15, 200 + 10), Qt::green) < 5);
    QVERIFY(Distance(image.pixel(320 + 25, 200), Qt::white) < 5);

    chart.SetBackImageMode(pbmTile);
    image = chart.ToImage();
    QVERIFY(Distance(image.pixel(corner), Qt::green) < 5);
    QVERIFY(Distance(image.pixel(639, 399), Qt::green) < 5);

    chart.SetBackImageInside(true);
    image = chart.ToImage();
    QVERIFY(Distance(image.pixel(corner), Qt::white) < 5);
    QVERIFY(Distance(image.pixel(inPlot), Qt::green) < 5);

    // Removing it: the plain background again.
    chart.SetBackImage(QImage());
    QVERIFY(Distance(chart.ToImage().pixel(inPlot), Qt::white) < 5);

    // A file that is no picture: an error, and the chart keeps its picture.
    chart.SetBackImage(green);
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.bmp"));
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("BM not really");
    f.close();
    TDialogScript script;
    script.Answer(mrOk);
    QVERIFY(!chart.LoadBackImage(broken));
    QCOMPARE(script.Shown.size(), 1);
    QCOMPARE(script.Shown[0].Type, mtError);
    QCOMPARE(chart.BackImage, green);
    QVERIFY(green.save(dir.filePath(QStringLiteral("good.bmp"))));
    QVERIFY(chart.LoadBackImage(dir.filePath(QStringLiteral("good.bmp"))));
}

void TestChart::sameProportionsAtPrinterResolution() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    QRect seen;
    s->BeforeDrawValues = [&](TChartSeries *) { seen = chart.ChartRect(); };
    const QRect screen = chart.ChartRect();
    // A 1200-dpi page: 12.5 device pixels for each screen pixel.
    QImage page(8000, 5000, QImage::Format_RGB32);
    page.setDotsPerMeterX(int(1200 / 0.0254));
    page.setDotsPerMeterY(int(1200 / 0.0254));
    QPainter p(&page);
    chart.Draw(p, page.rect());
    p.end();
    const double f = 12.5;
    QVERIFY2(std::fabs(seen.left() / f - screen.left()) < 3,
             qPrintable(QString::number(seen.left())));
    QVERIFY(std::fabs(seen.top() / f - screen.top()) < 3);
    QVERIFY(std::fabs(seen.right() / f - screen.right()) < 3);
    QVERIFY(std::fabs(seen.bottom() / f - screen.bottom()) < 3);
    // The widget's own conversions are untouched by drawing elsewhere.
    QCOMPARE(chart.ChartRect(), screen);
}

void TestChart::editorWritesToTheChart() {
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    TChartEditor editor;
    editor.Chart = &chart;
    editor.LoadFromChart();
    QCOMPARE(editor.TitleText->toPlainText(), QStringLiteral("Utility function for Price"));
    QCOMPARE(editor.AxisTitle->text(), QStringLiteral("U (Price)"));
    QCOMPARE(editor.AxisIncrement->value(), 0.1);
    QVERIFY(editor.AxisAutomatic->isChecked());

    editor.TitleText->setPlainText(QStringLiteral("First\nSecond"));
    editor.AxisFormat->setText(QStringLiteral("0.00")); // left axis
    editor.AxisChoice->setCurrentIndex(3);              // bottom
    QCOMPARE(editor.AxisTitle->text(), QStringLiteral("Price [EUR]"));
    editor.AxisAutomatic->setChecked(false);
    editor.AxisMinimum->setValue(20);
    editor.AxisMaximum->setValue(80);
    editor.AxisIncrement->setValue(5);
    editor.SeriesColor->SetColor(clGreen);
    editor.PenWidth->setValue(4);
    editor.PointerStyle->setCurrentIndex(int(psDiamond));
    editor.MarksVisible->setChecked(true);
    editor.MarksStyle->setCurrentIndex(int(smsXValue));
    editor.GradientVisible->setChecked(false);
    editor.PanelColor->SetColor(clSilver);
    editor.ApplyToChart();

    QCOMPARE(chart.Title.Text, (QStringList{"First", "Second"}));
    QCOMPARE(chart.LeftAxis.AxisValuesFormat, QStringLiteral("0.00"));
    QCOMPARE(chart.RightAxis.AxisValuesFormat, QStringLiteral("0.####"));
    QVERIFY(!chart.BottomAxis.Automatic);
    QCOMPARE(chart.BottomAxis.Minimum, 20.0);
    QCOMPARE(chart.BottomAxis.Maximum, 80.0);
    QCOMPARE(chart.BottomAxis.Increment, 5.0);
    QCOMPARE(s->SeriesColor, clGreen);
    QCOMPARE(s->LinePen.Width, 4);
    QCOMPARE(s->Pointer.Style, psDiamond);
    QVERIFY(s->Marks.Visible);
    QCOMPARE(s->Marks.Style, smsXValue);
    QVERIFY(!chart.Gradient.Visible);
    QCOMPARE(chart.Color, clSilver);
    QCOMPARE(s->CalcXPosValue(20), chart.ChartRect().left());

    // Cancel changes nothing.
    editor.DefaultTab = cetAxes;
    editor.SetTabVisible(cetTitles, false);
    QTimer::singleShot(0, &editor, [&] {
        QCOMPARE(editor.Tabs->currentIndex(), int(cetAxes));
        editor.TitleText->setPlainText(QStringLiteral("Changed"));
        editor.reject();
    });
    QVERIFY(!editor.Execute());
    QCOMPARE(chart.Title.Text, (QStringList{"First", "Second"}));
}

void TestChart::previewerPrints() {
    TChart chart;
    UtilityChart(chart);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("chart.pdf")));
    TChartPreviewer previewer;
    previewer.Chart = &chart;
    previewer.PaintTo(&printer);
    QVERIFY(QFileInfo(printer.outputFileName()).size() > 1000);
}

void TestChart::labelsStayApartInSmallRectangles_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("format"); // of the horizontal axis
    QTest::newRow("window tiled at the frame's first size") << QSize(755, 60) << "#,##0.###";
    QTest::newRow("narrow and low") << QSize(150, 70) << "#,##0.###";
    QTest::newRow("tiny") << QSize(60, 40) << "#,##0.###";
    QTest::newRow("report picture") << QSize(300, 160) << "#,##0.###";
    // Inner labels wider than the ends: 0.125 beside 0 and 1.
    QTest::newRow("fractions on the x axis") << QSize(260, 200) << "0.####";
    QTest::newRow("window") << QSize(520, 330) << "#,##0.###";
}

void TestChart::labelsStayApartInSmallRectangles() {
    QFETCH(QSize, size);
    QFETCH(QString, format);
    TChart chart;
    TLineSeries *s = UtilityChart(chart);
    if (format == "0.####") {
        s->Clear();
        for (double x : {0.0, 0.3, 0.55, 1.0})
            s->AddXY(x, x);
        chart.BottomAxis.SetDesiredIncrement(0.125);
    }
    chart.BottomAxis.AxisValuesFormat = format;
    std::vector<TTextRecorder::Text> labels;
    for (const TTextRecorder::Text &t : DrawnTexts(chart, size)) {
        if (IsNumber(t.String))
            labels.push_back(t);
    }
    // Each axis keeps a label.
    QVERIFY2(labels.size() >= 2, qPrintable(QString::number(labels.size())));
    for (size_t i = 0; i < labels.size(); ++i) {
        for (size_t j = i + 1; j < labels.size(); ++j)
            QVERIFY2(!labels[i].Box.intersects(labels[j].Box),
                     qPrintable(labels[i].String + QStringLiteral(" on ") + labels[j].String));
    }
}

void TestChart::minimumSizeReads_data() {
    QTest::addColumn<QString>("xTitle");
    QTest::addColumn<QString>("uTitle");
    QTest::addColumn<int>("axis");
    QTest::newRow("short titles") << "Rent []"
                                  << "U (Rent)" << int(aRightAxis);
    QTest::newRow("long x title") << "Distance to the nearest underground station [m]"
                                  << "U (Distance)" << int(aRightAxis);
    QTest::newRow("long u title, cost on the left")
        << "Price [EUR]"
        << "U (Price of the flat with its parking place)" << int(aLeftAxis);
}

void TestChart::minimumSizeReads() {
    QFETCH(QString, xTitle);
    QFETCH(QString, uTitle);
    QFETCH(int, axis);
    TChart chart;
    TLineSeries *s = UtilityChart(chart, 5, TVertAxis(axis));
    s->Pointer.Visible = true;
    chart.BottomAxis.Title.SetCaption(xTitle);
    chart.LeftAxis.Title.SetCaption(uTitle);
    chart.RightAxis.Title.SetCaption(uTitle);
    chart.MinimumPlotSize = QSize(100, 100);
    const QSize least = chart.minimumSizeHint();
    chart.resize(least);
    QVERIFY(chart.ChartRect().height() >= 100);
    QVERIFY(chart.ChartRect().width() >= 100);
    const QRectF panel(QPointF(0, 0), QSizeF(least));
    const std::vector<TTextRecorder::Text> texts = DrawnTexts(chart, least);
    QStringList titles;
    for (const TTextRecorder::Text &t : texts) {
        QVERIFY2(
            panel.contains(t.Box),
            qPrintable(t.String +
                       QStringLiteral(" outside %1 x %2").arg(least.width()).arg(least.height())));
        titles << t.String;
    }
    QVERIFY(titles.contains(xTitle));
    QVERIFY(titles.contains(uTitle));
    // A chart that sets no least plot leaves its size to the layout around it.
    TChart plain;
    UtilityChart(plain);
    QVERIFY(!plain.minimumSizeHint().isValid());
}

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
