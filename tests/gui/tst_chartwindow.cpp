// The chart window: the segment rule, hover read-outs and shading, the double
// click, the cross-hair, zoom and scroll-bar synchronisation, the close
// question, the window bookkeeping, and the frame scrolling to a window
// larger than its client area.
#include "ElicitationFixture.h"
#include "tests/TestSupport.h"

#include <QMdiSubWindow>
#include <QScrollBar>
#include <QWheelEvent>

class TestChartWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newWindowTakesTheCriterion_data();
    void newWindowTakesTheCriterion();
    void segmentRule_data();
    void segmentRule();
    void segmentRuleWhenZoomed();
    void segmentRuleNeedsTwoPoints();
    void doubleClick_data();
    void doubleClick();
    void doubleClickStartsMethod_data();
    void doubleClickStartsMethod();
    void doubleClickIgnoredWhileQuestionOpen();
    void hoverShowsSegment_data();
    void hoverShowsSegment();
    void hoverRepaintsOnlyOnChange();
    void pointedRangeFollowsAddedPoint_data();
    void pointedRangeFollowsAddedPoint();
    void shadingOfHoveredSegment();
    void noShadingWhenNoRangeApplies();
    void decisionRangeShaded();
    void crossHair();
    void noGhostCrossHairAfterRepaint();
    void zoomCursorBelongsToTheWindow();
    void clickedPointReadout();
    void zoomStepsKeepScrollRange();
    void wheelZoom();
    void scrollBarsFollowAxes();
    void scrollBarsWithoutExtent();
    void closeQuestion_data();
    void closeQuestion();
    void windowsLargerThanTheAreaScroll_data();
    void windowsLargerThanTheAreaScroll();
    void arrangingAfterScrollingStartsAtTheTop_data();
    void arrangingAfterScrollingStartsAtTheTop();
    void tiledWindowsKeepAReadableSize_data();
    void tiledWindowsKeepAReadableSize();
    void closeMinimisesAndBookkeeping();
    void minimiseButtonDisablesCloseAll();
    void activationSetsActiveCriterion();

private:
    std::unique_ptr<TElicitationFixture> fixture_;
    TForm_chart *Rising();
    // A chart window for each of `count` criteria, opened as loading a solved problem opens them.
    void ShowCharts(int count);
};

void TestChartWindow::init() {
    fixture_ = std::make_unique<TElicitationFixture>();
}

void TestChartWindow::cleanup() {
    if (fixture_)
        fixture_->Check();
    fixture_.reset();
}

TForm_chart *TestChartWindow::Rising() {
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1, false, 1, 10, 110, RisingPoints()));
    TForm_chart *chart = fixture_->Show(0);
    chart->SubWindow()->resize(640, 420);
    return chart;
}

void TestChartWindow::ShowCharts(int count) {
    for (int i = 0; i < count; ++i)
        fixture_->Add(MakeCriterion(QStringLiteral("Rent%1").arg(i), i + 1));
    Kavrel->BuildCriteriaBar();
}

void TestChartWindow::newWindowTakesTheCriterion_data() {
    QTest::addColumn<bool>("cost");
    QTest::newRow("gain") << false;
    QTest::newRow("cost") << true;
}

void TestChartWindow::newWindowTakesTheCriterion() {
    QFETCH(bool, cost);
    TKavrel &k = *Kavrel;
    Form_chart->Chart->Color = 0x123456;
    Form_chart->Series->SeriesColor = clGreen;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 7, cost));
    TForm_chart *chart = fixture_->Show(0);
    QVERIFY(chart);
    QCOMPARE(chart->Tag, 0);
    QCOMPARE(chart->windowTitle(), QStringLiteral("Price - chart of utility function "));
    QCOMPARE(chart->Chart->Title.Text.first(), QStringLiteral("Utility function for Price"));
    QCOMPARE(chart->Chart->BottomAxis.Title.Caption, QStringLiteral("Price [EUR]"));
    QCOMPARE(chart->Chart->LeftAxis.Title.Caption, QStringLiteral("U (Price)"));
    QCOMPARE(chart->Chart->RightAxis.Title.Caption, QStringLiteral("U (Price)"));
    QCOMPARE(chart->Series->VertAxis, cost ? aLeftAxis : aRightAxis);
    QCOMPARE(chart->Series->Count(), 2);
    QCOMPARE(chart->Series->GetxValue(0), 10.0);
    QCOMPARE(chart->Series->GetyValue(0), cost ? 1.0 : 0.0);
    // The template's settings reach the new window.
    QCOMPARE(chart->Chart->Color, TColor(0x123456));
    QCOMPARE(chart->Series->SeriesColor, clGreen);
    QVERIFY(k.ToolBar_Chart->isVisible());
    QVERIFY(k.Menu_Chart->isEnabled());
    QVERIFY(k.Menu_Chart->menuAction()->isEnabled());
    QCOMPARE(k.ActiveCriterion, 0);
    QCOMPARE(k.SB_correctchart->statusTip(), QStringLiteral("Change active function for: Price"));
    QVERIFY(chart->SubWindow() && chart->SubWindow()->isVisible());
    QCOMPARE(k.MDIChildCount(), 1);
}

void TestChartWindow::segmentRule_data() {
    QTest::addColumn<int>("from"); // point whose column the position is measured from
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("segment");
    QTest::newRow("left of the first point") << 0 << -1 << 0;
    QTest::newRow("on the first point") << 0 << 0 << 0;
    QTest::newRow("just right of the first") << 0 << 1 << 1;
    QTest::newRow("on an inner point") << 2 << 0 << 3;
    QTest::newRow("just left of an inner point") << 2 << -1 << 2;
    QTest::newRow("just left of the last") << 4 << -1 << 4;
    QTest::newRow("on the last point") << 4 << 0 << 0;
    QTest::newRow("beyond the last") << 4 << 5 << 0;
}

void TestChartWindow::segmentRule() {
    QFETCH(int, from);
    QFETCH(int, offset);
    QFETCH(int, segment);
    TForm_chart *chart = Rising();
    QCOMPARE(chart->SegmentAt(chart->Series->CalcXPos(from) + offset), segment);
}

void TestChartWindow::segmentRuleWhenZoomed() {
    TForm_chart *chart = Rising();
    // Show x from 0 to 50: points 3 (70) and 4 (110) are beyond the last visible one.
    chart->Chart->BottomAxis.SetMinMax(0, 50);
    chart->Chart->TopAxis.SetMinMax(0, 50);
    QCOMPARE(chart->Series->LastValueIndex(), 2);
    const QRect plot = chart->Chart->ChartRect();
    QCOMPARE(chart->SegmentAt(chart->Series->CalcXPos(2) - 1), 2);
    QCOMPARE(chart->SegmentAt(chart->Series->CalcXPos(2) + 1), 0);
    QCOMPARE(chart->SegmentAt(plot.right()), 0);
}

void TestChartWindow::segmentRuleNeedsTwoPoints() {
    TForm_chart *chart = Rising();
    chart->Series->Clear();
    QCOMPARE(chart->SegmentAt(100), 0);
    chart->Series->AddXY(50, 0.5);
    QCOMPARE(chart->SegmentAt(chart->Series->CalcXPos(0) + 1), 0);
    // Hover and shading with one point look at nothing beyond it.
    Kavrel->DialogueMode = true;
    chart->HoveredSegment = 3;
    MoveMouse(chart, chart->Chart->ChartRect().center());
    QCOMPARE(chart->HoveredSegment, 3);
    const QImage image = chart->Chart->ToImage();
    QVERIFY(!image.isNull());
}

void TestChartWindow::doubleClick_data() {
    QTest::addColumn<bool>("dialogueMode");
    QTest::addColumn<int>(
        "where"); // 0 inside segment 2, 1 above the plot, 2 left of the first point
    QTest::addColumn<bool>("starts");
    QTest::newRow("segment in dialogue mode") << true << 0 << true;
    QTest::newRow("outside dialogue mode") << false << 0 << false;
    QTest::newRow("above the plotting rectangle") << true << 1 << false;
    QTest::newRow("on no segment") << true << 2 << false;
}

void TestChartWindow::doubleClick() {
    QFETCH(bool, dialogueMode);
    QFETCH(int, where);
    QFETCH(bool, starts);
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    chart->Chart->AllowZoom = true;
    k.DialogueMode = dialogueMode;
    k.FirstQuestion = true;
    QPoint at = SegmentMiddle(chart, 2);
    if (where == 1)
        at.setY(chart->Chart->ChartRect().top() - 2);
    else if (where == 2)
        at.setX(chart->Series->CalcXPos(0) - 2);
    DoubleClick(chart, at);
    QCOMPARE(k.FirstQuestion, !starts);
    QCOMPARE(chart->Chart->AllowZoom, !starts);
    k.DialogueMode = false;
}

void TestChartWindow::doubleClickStartsMethod_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("firstQuestion");
    QTest::addColumn<double>("uLeft");
    QTest::addColumn<double>("uRight");
    QTest::newRow("method 1") << 1 << true << 0.35 << 0.6;
    QTest::newRow("method 2") << 2 << false << 0.35 << 0.6;
    QTest::newRow("method 3") << 3 << false << 0.35 << 0.6;
    QTest::newRow("method 4, first question") << 4 << true << 0.0 << 1.0;
    QTest::newRow("method 4, later question") << 4 << false << 0.35 << 0.6;
}

void TestChartWindow::doubleClickStartsMethod() {
    QFETCH(int, method);
    QFETCH(bool, firstQuestion);
    QFETCH(double, uLeft);
    QFETCH(double, uRight);
    TKavrel &k = *Kavrel;
    fixture_->Add(
        MakeCriterion(QStringLiteral("Price"), 1, false, method, 10, 110, RisingPoints()));
    TForm_chart *chart = fixture_->Show(0, true);
    k.DialogueMode = true;
    k.FirstQuestion = firstQuestion;
    DoubleClick(chart, SegmentMiddle(chart, 2));
    QVERIFY(Dialogue->isVisible());
    QVERIFY(k.SB_windows->isVisible());
    QCOMPARE(Dialogue->Question.Method, method);
    QCOMPARE(Dialogue->Index, 0);
    QVERIFY(!k.FirstQuestion);
    // The segment from point 1 (25, 0.35) to point 2 (40, 0.6), as the method keeps it.
    if (method == 3) {
        QCOMPARE(Dialogue->ULo, 25.0);
        QCOMPARE(Dialogue->UHi, 40.0);
    } else {
        QCOMPARE(Dialogue->XLo, 25.0);
        QCOMPARE(Dialogue->XHi, 40.0);
    }
    if (method == 4) {
        QCOMPARE(Dialogue->ULo, uLeft);
        QCOMPARE(Dialogue->UHi, uRight);
    }
    if (method == 1) {
        QCOMPARE(Dialogue->ULo, uLeft);
        QCOMPARE(Dialogue->UHi, uRight);
    }
    // The chart shows the question's active range.
    QVERIFY(k.ActiveRangeShown);
    QCOMPARE(chart->ActiveX1, 25.0);
    QCOMPARE(chart->ActiveX2, 40.0);
    Dialogue->ClosingByProgram = true;
    Dialogue->close();
    k.DialogueMode = false;
}

void TestChartWindow::doubleClickIgnoredWhileQuestionOpen() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1, false, 2, 10, 110, RisingPoints()));
    TForm_chart *chart = fixture_->Show(0, true);
    k.DialogueMode = true;
    DoubleClick(chart, SegmentMiddle(chart, 1));
    QVERIFY(Dialogue->isVisible());
    QCOMPARE(Dialogue->XHi, 25.0);
    DoubleClick(chart, SegmentMiddle(chart, 3));
    QCOMPARE(Dialogue->XHi, 25.0);
    QCOMPARE(Dialogue->Counter, 1);
    Dialogue->ClosingByProgram = true;
    Dialogue->close();
    k.DialogueMode = false;
}

void TestChartWindow::hoverShowsSegment_data() {
    AddLocaleRows();
}

void TestChartWindow::hoverShowsSegment() {
    QFETCH(QLocale, locale);
    LocaleGuard guard(locale);
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    k.DialogueMode = true;
    MoveMouse(chart, SegmentMiddle(chart, 2));
    QCOMPARE(chart->SimpleText(), QStringLiteral("Pointed range:  [ 25.000 , 40.000 ]"));
    QCOMPARE(k.StatusBar->PanelText(2),
             QStringLiteral("Double click to choose active range (continue dialog)"));
    QCOMPARE(chart->HoveredSegment, 2);
    QCOMPARE(chart->Series->ValueColor(2), k.ActiveLineColor);
    QCOMPARE(chart->Series->ValueColor(1), chart->Series->SeriesColor);
    QCOMPARE(chart->HoverRect,
             QRect(QPoint(chart->Series->CalcXPos(1), chart->Series->CalcYPos(1)),
                   QPoint(chart->Series->CalcXPos(2), chart->Series->CalcYPos(2))));
    QCOMPARE(chart->Chart->cursor().shape(), Qt::PointingHandCursor);

    // The next segment takes the colour over.
    MoveMouse(chart, SegmentMiddle(chart, 4));
    QCOMPARE(chart->SimpleText(), QStringLiteral("Pointed range:  [ 70.000 , 110.000 ]"));
    QCOMPARE(chart->Series->ValueColor(2), chart->Series->SeriesColor);
    QCOMPARE(chart->Series->ValueColor(4), k.ActiveLineColor);

    // Outside the plot: no read-out.
    MoveMouse(chart, QPoint(1, 1));
    QCOMPARE(chart->SimpleText(), QString());

    // A question open: no hover.
    k.SB_windows->setVisible(true);
    MoveMouse(chart, SegmentMiddle(chart, 1));
    QCOMPARE(chart->HoveredSegment, 4);
    QCOMPARE(chart->SimpleText(), QString());
    k.SB_windows->setVisible(false);
    k.DialogueMode = false;
}

void TestChartWindow::hoverRepaintsOnlyOnChange() {
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    k.DialogueMode = true;
    k.DynamicShadow = false;
    const QPoint at = SegmentMiddle(chart, 3);
    MoveMouse(chart, at);
    QApplication::processEvents();
    // The repaint shaded the segment; the rectangle it shaded is kept.
    QCOMPARE(chart->ShadedRect.left(), chart->Series->CalcXPos(2));
    QCOMPARE(chart->ShadedRect.right(), chart->Series->CalcXPos(3));
    // For a rising line the hover rectangle has top and bottom the other way round.
    QVERIFY(chart->HoverRect.top() > chart->HoverRect.bottom());
    QVERIFY(chart->ShadedRect.top() < chart->ShadedRect.bottom());
    k.DialogueMode = false;
}

void TestChartWindow::pointedRangeFollowsAddedPoint_data() {
    QTest::addColumn<double>("where"); // the pointed column, as a share of segment 2's width
    QTest::addColumn<int>("segment");  // the segment under it once the point is in
    QTest::addColumn<QString>("readout");
    QTest::newRow("right of the new point")
        << 0.8 << 3 << QStringLiteral("Pointed range:  [ 32.500 , 40.000 ]");
    QTest::newRow("left of the new point")
        << 0.2 << 2 << QStringLiteral("Pointed range:  [ 25.000 , 32.500 ]");
}

void TestChartWindow::pointedRangeFollowsAddedPoint() {
    QFETCH(double, where);
    QFETCH(int, segment);
    QFETCH(QString, readout);
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1, false, 2, 10, 110, RisingPoints()));
    TForm_chart *chart = fixture_->Show(0, true);
    k.DialogueMode = true;
    k.FirstQuestion = true;
    // Segment 2 runs from 25 to 40; the new point goes to its middle, 32.5.
    const int x1 = chart->Series->CalcXPos(1), x2 = chart->Series->CalcXPos(2);
    const QPoint at(x1 + int((x2 - x1) * where), chart->Chart->ChartRect().top() + 5);
    MoveMouse(chart, at);
    QCOMPARE(chart->SimpleText(), QStringLiteral("Pointed range:  [ 25.000 , 40.000 ]"));
    DoubleClick(chart, at);
    QVERIFY(Dialogue->isVisible());
    Dialogue->IndifferentBitBtnClick();
    QVERIFY(!Dialogue->isVisible());
    QCOMPARE(chart->Series->Count(), 6);
    QCOMPARE(chart->SimpleText(), readout);
    QCOMPARE(chart->HoveredSegment, segment);
    QCOMPARE(chart->Series->ValueColor(segment), k.ActiveLineColor);
    k.DialogueMode = false;
}

namespace {
// Pixels of a colour within a rectangle of the chart's picture.
int CountColor(const QImage &image, const QRect &r, TColor color) {
    const QRgb want = ToQColor(color).rgb();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixel(x, y) == want ? 1 : 0;
    }
    return n;
}
} // namespace

void TestChartWindow::shadingOfHoveredSegment() {
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    k.ChartRangeBrushColor = 0x00C0FF; // a colour nothing else uses
    k.ChartRangeBrushStyle = 8;        // solid
    k.ChartRangePenStyle = 5;          // no border
    chart->HoveredSegment = 2;
    const QImage image = chart->Chart->ToImage();
    const QRect shaded = chart->ShadedRect;
    QCOMPARE(shaded.left(), chart->Series->CalcXPos(1));
    QCOMPARE(shaded.right(), chart->Series->CalcXPos(2));
    QCOMPARE(shaded.top(), chart->Series->CalcYPos(2));
    QCOMPARE(shaded.bottom(), chart->Series->CalcYPos(1));
    const QRect inside = QRect(shaded.left() + 3, shaded.top() + 3, 4, 4);
    QCOMPARE(CountColor(image, inside, 0x00C0FF), 16);
    const int x3 = chart->Series->CalcXPos(3);
    QCOMPARE(CountColor(image, QRect(x3 - 4, shaded.top() + 3, 3, 3), 0x00C0FF), 0);
}

void TestChartWindow::noShadingWhenNoRangeApplies() {
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    k.ChartShadow = true;
    k.DynamicShadow = false;
    k.ActiveLine = false;
    chart->HoveredSegment = 0;
    // Whatever the canvas holds from before must not fill the plot.
    chart->Chart->Canvas->Brush.Color = 0x00C0FF;
    chart->Chart->Canvas->Brush.Style = bsSolid;
    const QImage shaded = chart->Chart->ToImage();
    k.ChartShadow = false;
    const QImage plain = chart->Chart->ToImage();
    QCOMPARE(shaded, plain);
}

void TestChartWindow::decisionRangeShaded() {
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    k.DecisionRangeBrushColor = 0x00C0FF;
    k.DecisionRangeBrushStyle = 8;
    k.DecisionRangePenStyle = 5;
    k.ActiveRangeShown = true;
    chart->ActiveX1 = 40;
    chart->ActiveX2 = 70;
    chart->ActiveU1 = 0.8;
    chart->ActiveU2 = 0.6;
    const QImage image = chart->Chart->ToImage();
    const int x = (chart->Series->CalcXPosValue(40) + chart->Series->CalcXPosValue(70)) / 2;
    const int y = chart->Series->CalcYPosValue(0.65);
    QCOMPARE(CountColor(image, QRect(x, y, 2, 2), 0x00C0FF), 4);
    QCOMPARE(CountColor(image, QRect(x, chart->Series->CalcYPosValue(0.9), 2, 2), 0x00C0FF), 0);
    // A range of zeros (after a point was added) shades nothing.
    chart->ActiveX1 = chart->ActiveX2 = chart->ActiveU1 = chart->ActiveU2 = 0;
    QCOMPARE(CountColor(chart->Chart->ToImage(), chart->Chart->ChartRect(), 0x00C0FF), 0);
    k.ActiveRangeShown = false;
}

void TestChartWindow::crossHair() {
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    k.CrossMode = true;
    // Far above the line, so that no point's own cursor shows.
    const QPoint at(SegmentMiddle(chart, 2).x(), chart->Chart->ChartRect().top() + 5);
    MoveMouse(chart, at);
    QCOMPARE(chart->LastCrossX, at.x());
    QCOMPARE(chart->LastCrossY, at.y());
    QCOMPARE(chart->SimpleText(),
             QString::asprintf("Values:  [ %5.3f , %5.3f ]", chart->Series->XScreenToValue(at.x()),
                               chart->Series->YScreenToValue(at.y())));
    QCOMPARE(chart->Chart->cursor().shape(), Qt::CrossCursor);
    // The not-xor lines are on screen; drawing them again takes them away.
    const QImage with = chart->Chart->grab().toImage();
    chart->DrawCrossHair(at.x(), at.y());
    chart->LastCrossX = -1;
    const QImage without = chart->Chart->grab().toImage();
    QVERIFY(with != without);
    chart->DrawCrossHair(at.x(), at.y());
    QCOMPARE(chart->Chart->grab().toImage(), with);
    k.CrossMode = false;
}

void TestChartWindow::noGhostCrossHairAfterRepaint() {
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    // As after a run: no shading option is on.
    k.CrossMode = true;
    k.ChartShadow = false;
    k.DynamicShadow = false;
    const int top = chart->Chart->ChartRect().top() + 5;
    MoveMouse(chart, QPoint(SegmentMiddle(chart, 1).x(), top));
    // A full repaint takes the cross-hair away with the old picture.
    chart->Chart->Repaint();
    const QImage clean = chart->Chart->grab().toImage();
    QCOMPARE(chart->LastCrossX, -1);
    const QPoint next(SegmentMiddle(chart, 3).x(), top + 10);
    MoveMouse(chart, next);
    QCOMPARE(chart->LastCrossX, next.x());
    // Without the new cross-hair the picture is the clean one: the old one did not come back.
    chart->DrawCrossHair(next.x(), next.y());
    chart->LastCrossX = -1;
    QCOMPARE(chart->Chart->grab().toImage(), clean);
    k.CrossMode = false;
}

void TestChartWindow::zoomCursorBelongsToTheWindow() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1, false, 1, 10, 110, RisingPoints()));
    fixture_->Add(MakeCriterion(QStringLiteral("Size"), 2, false, 1, 10, 110, RisingPoints()));
    k.ZoomMode = true;
    std::vector<qint64> pictures;
    for (int i = 0; i < 2; ++i) {
        TForm_chart *chart = fixture_->Show(i);
        MoveMouse(chart, chart->Chart->ChartRect().center());
        const QCursor cursor = chart->Chart->cursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(), QPoint(9, 9));
        pictures.push_back(cursor.pixmap().cacheKey());
    }
    // Each window built its own: none is kept for the whole program.
    QVERIFY(pictures[0] != pictures[1]);
    k.ZoomMode = false;
}

void TestChartWindow::clickedPointReadout() {
    TForm_chart *chart = Rising();
    const int x = chart->Series->CalcXPos(1), y = chart->Series->CalcYPos(1);
    SendMouse(chart->Chart, QEvent::MouseButtonPress, QPoint(x, y), Qt::LeftButton, Qt::LeftButton);
    SendMouse(chart->Chart, QEvent::MouseButtonRelease, QPoint(x, y), Qt::LeftButton);
    QCOMPARE(chart->SimpleText(),
             QString::asprintf("Clicked point:  [ %5.3f , %5.3f ]",
                               chart->Series->XScreenToValue(x), chart->Series->YScreenToValue(y)));
    // The last point gives no read-out.
    chart->SetSimpleText(QString());
    const int lx = chart->Series->CalcXPos(4), ly = chart->Series->CalcYPos(4);
    SendMouse(chart->Chart, QEvent::MouseButtonPress, QPoint(lx, ly), Qt::LeftButton,
              Qt::LeftButton);
    SendMouse(chart->Chart, QEvent::MouseButtonRelease, QPoint(lx, ly), Qt::LeftButton);
    QCOMPARE(chart->SimpleText(), QString());
}

void TestChartWindow::zoomStepsKeepScrollRange() {
    TForm_chart *chart = Rising();
    Kavrel->ScrollMode = true;
    for (int i = 0; i < 10; ++i)
        chart->Chart->ZoomPercent(110), chart->ChartZoom();
    QCOMPARE(chart->ScrollRange, 950);
    chart->ChartZoom();
    QCOMPARE(chart->ScrollRange, 950);
    QCOMPARE(chart->ScrollBar_hor->maximum(), 950);
    QCOMPARE(chart->ScrollBar_ver->maximum(), 950);
    QCOMPARE(chart->Chart->LeftAxis.Increment, 0.0);
    chart->Chart->UndoZoom();
    QCOMPARE(chart->ScrollRange, 1000);
    QCOMPARE(chart->ScrollBar_hor->maximum(), 1000);
    QCOMPARE(chart->Chart->RightAxis.Increment, 0.1);
    Kavrel->ScrollMode = false;
}

void TestChartWindow::wheelZoom() {
    TForm_chart *chart = Rising();
    TKavrel &k = *Kavrel;
    auto wheel = [&](int delta) {
        const QPoint at = chart->rect().center();
        QWheelEvent event(QPointF(at), QPointF(chart->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart, &event);
    };
    chart->Chart->ChartRect(); // the automatic ranges
    const double range = chart->Chart->BottomAxis.Maximum - chart->Chart->BottomAxis.Minimum;
    wheel(120); // without the zoom option: nothing
    QCOMPARE(chart->ScrollRange, 1000);
    QVERIFY(chart->Chart->BottomAxis.Automatic);
    k.ZoomMode = true;
    for (int i = 0; i < 12; ++i)
        wheel(120);
    QCOMPARE(chart->ScrollRange, 950);
    QVERIFY(chart->Chart->BottomAxis.Maximum - chart->Chart->BottomAxis.Minimum < range);
    for (int i = 0; i < 10; ++i)
        wheel(-120);
    QCOMPARE(chart->ScrollRange, 1000);
    QCOMPARE(chart->ScrollBar_ver->maximum(), 1000);
    // With scroll bars shown the wheel does not zoom.
    k.ScrollMode = true;
    wheel(120);
    QCOMPARE(chart->ScrollRange, 1000);
    k.ScrollMode = false;
    k.ZoomMode = false;
}

void TestChartWindow::scrollBarsFollowAxes() {
    TForm_chart *chart = Rising();
    Kavrel->ScrollMode = true;
    chart->UpdateScrollBars();
    QVERIFY(!chart->ScrollBar_hor->isEnabled());
    QVERIFY(!chart->ScrollBar_ver->isEnabled());
    chart->Chart->ZoomPercent(200);
    chart->UpdateScrollBars();
    QVERIFY(chart->ScrollBar_hor->isEnabled());
    QCOMPARE(chart->ScrollBar_hor->value(), 500);
    QCOMPARE(chart->LastHorPosition, 500);
    QCOMPARE(chart->ScrollBar_ver->value(), 500);

    // One step of the bar moves both horizontal axes by range / ScrollRange.
    const double before = chart->Chart->BottomAxis.Minimum;
    const double topBefore = chart->Chart->TopAxis.Minimum;
    chart->ScrollBar_hor->setValue(510);
    QCOMPARE(chart->Chart->BottomAxis.Minimum, before + 10 * 100.0 / 1000);
    QCOMPARE(chart->Chart->TopAxis.Minimum, topBefore + 10 * 100.0 / 1000);
    QCOMPARE(chart->LastHorPosition, 510);
    const double leftBefore = chart->Chart->LeftAxis.Minimum;
    const double rightBefore = chart->Chart->RightAxis.Minimum;
    chart->ScrollBar_ver->setValue(480);
    QCOMPARE(chart->Chart->LeftAxis.Minimum, leftBefore - 20 * 1.0 / 1000);
    QCOMPARE(chart->Chart->RightAxis.Minimum, rightBefore - 20 * 1.0 / 1000);

    // Synchronising does not scroll.
    const double now = chart->Chart->BottomAxis.Minimum;
    chart->UpdateScrollBars();
    QCOMPARE(chart->Chart->BottomAxis.Minimum, now);
    QCOMPARE(chart->ScrollBar_hor->value(), 500);
    Kavrel->ScrollMode = false;
}

void TestChartWindow::scrollBarsWithoutExtent() {
    TForm_chart *chart = Rising();
    chart->Series->Clear();
    chart->Series->AddXY(50, 0.5);
    chart->Chart->ZoomPercent(150);
    // One point: no extent to scroll over (and no division by zero).
    chart->UpdateScrollBars();
    QVERIFY(!chart->ScrollBar_hor->isEnabled());
    QVERIFY(!chart->ScrollBar_ver->isEnabled());
    chart->ScrollBar_hor->setValue(700);
    QVERIFY(std::isfinite(chart->Chart->BottomAxis.Minimum));
}

void TestChartWindow::closeQuestion_data() {
    QTest::addColumn<bool>("dialogueMode");
    QTest::addColumn<bool>("correcting");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("canClose");
    QTest::addColumn<bool>("cancelsRun");
    const QString notFinished = QStringLiteral("Utility function isn't finish! Exit anyway?");
    const QString corrected =
        QStringLiteral("Current changes for corrected chart will be lost! Exit anyway?");
    QTest::newRow("no elicitation") << false << false << false << QString() << 0 << true << false;
    QTest::newRow("elicitation, No")
        << true << false << false << notFinished << int(mrNo) << false << false;
    QTest::newRow("elicitation, Yes")
        << true << false << false << notFinished << int(mrYes) << true << true;
    QTest::newRow("correction, No")
        << true << true << false << corrected << int(mrNo) << false << false;
    QTest::newRow("correction, Yes")
        << true << true << false << corrected << int(mrYes) << true << true;
    QTest::newRow("run being cancelled") << true << false << true << QString() << 0 << true << true;
}

void TestChartWindow::closeQuestion() {
    QFETCH(bool, dialogueMode);
    QFETCH(bool, correcting);
    QFETCH(bool, cancelled);
    QFETCH(QString, question);
    QFETCH(int, answer);
    QFETCH(bool, canClose);
    QFETCH(bool, cancelsRun);
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    fixture_->Add(MakeCriterion(QStringLiteral("Size"), 2));
    TForm_chart *other = fixture_->Show(0);
    TForm_chart *chart = fixture_->Show(1);
    k.DialogueMode = dialogueMode;
    k.CorrectingChart = correcting;
    k.Cancelled = cancelled;
    k.ActiveRangeShown = true;
    if (!question.isEmpty())
        fixture_->Script.Answer(answer, question);
    bool CanClose = true;
    chart->FormCloseQuery(CanClose);
    QCOMPARE(CanClose, canClose);
    QCOMPARE(k.Cancelled, cancelsRun);
    // A refused close keeps the question's range shown.
    QCOMPARE(k.ActiveRangeShown, !canClose);
    QCOMPARE(other->CloseWithoutAsking, dialogueMode && canClose);
    QCOMPARE(fixture_->Script.Shown.size(), question.isEmpty() ? 1 : 2);
    k.DialogueMode = k.CorrectingChart = k.Cancelled = false;
}

void TestChartWindow::windowsLargerThanTheAreaScroll_data() {
    QTest::addColumn<bool>("restored"); // from the criteria bar, else the Window menu's Cascade
    QTest::newRow("cascade") << false;
    QTest::newRow("restored from the criteria bar") << true;
}

void TestChartWindow::windowsLargerThanTheAreaScroll() {
    QFETCH(bool, restored);
    TKavrel &k = *Kavrel;
    ShowCharts(3);
    QVERIFY(QTest::qWaitForWindowExposed(&k));
    TForm_chart *chart = k.Charts[2];
    if (restored) {
        k.Menu_CloseAllClick();
        k.CriteriaButtonClick(k.CriteriaButtons[2]);
        QVERIFY(!chart->SubWindow()->isMinimized());
    } else {
        k.Menu_CascadeClick();
    }
    // At the frame's first size a chart window is taller than the client area.
    QWidget *viewport = k.ClientArea->viewport();
    QVERIFY(chart->SubWindow()->height() > k.ClientArea->height());
    QScrollBar *bar = k.ClientArea->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    // Scrolled down, the x axis and the read-out line of the lowest window are in view.
    bar->setValue(bar->maximum());
    const QRect readout(chart->StatusBar_chart->mapTo(viewport, QPoint(0, 0)),
                        chart->StatusBar_chart->size());
    QVERIFY2(viewport->rect().contains(readout),
             qPrintable(QStringLiteral("read-out at %1,%2 %3x%4 in %5x%6")
                            .arg(readout.x())
                            .arg(readout.y())
                            .arg(readout.width())
                            .arg(readout.height())
                            .arg(viewport->width())
                            .arg(viewport->height())));
    QVERIFY(chart->SubWindow()->geometry().bottom() < viewport->height());
    // Scrolled back up, the top of the highest window is in view again.
    bar->setValue(bar->minimum());
    int top = viewport->height();
    for (int i = 0; i < k.MDIChildCount(); ++i) {
        if (!k.MDIChildren(i)->isMinimized())
            top = std::min(top, k.MDIChildren(i)->geometry().top());
    }
    QCOMPARE(top, 0);
    // Tiled, the windows fit: the bars go and leave no strip uncovered.
    k.Menu_TileVerticalClick();
    QTRY_VERIFY(!bar->isVisible());
    QVERIFY(!k.ClientArea->horizontalScrollBar()->isVisible());
    QCOMPARE(chart->SubWindow()->geometry().right(), viewport->width() - 1);
    QCOMPARE(chart->SubWindow()->geometry().bottom(), viewport->height() - 1);
}

namespace {
// The part of the client area its windows take, in the viewport's coordinates.
QRect ChildrenBounds(TMdiClient *area) {
    QRect bounds;
    for (QMdiSubWindow *child : area->subWindowList()) {
        if (child->isVisible())
            bounds |= child->geometry();
    }
    return bounds;
}
} // namespace

void TestChartWindow::arrangingAfterScrollingStartsAtTheTop_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("tile vertical") << "F4";
    QTest::newRow("tile horizontal") << "F3";
    QTest::newRow("cascade") << "F2";
    QTest::newRow("arrange icons") << "F7";
}

void TestChartWindow::arrangingAfterScrollingStartsAtTheTop() {
    QFETCH(QString, command);
    TKavrel &k = *Kavrel;
    ShowCharts(4);
    QVERIFY(QTest::qWaitForWindowExposed(&k));
    TMdiClient *area = k.ClientArea;
    QWidget *viewport = area->viewport();
    k.Menu_CascadeClick();
    QScrollBar *bar = area->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    // Scrolled down until the lowest window's bottom shows.
    bar->setValue(bar->maximum());
    QVERIFY(ChildrenBounds(area).top() < 0);
    if (command == "F2") {
        k.Menu_CascadeClick();
    } else if (command == "F3") {
        k.Menu_TileHorizontalClick();
    } else if (command == "F4") {
        k.Menu_TileVerticalClick();
    } else {
        k.Charts[1]->SubWindow()->showMinimized();
        k.Menu_ArrangeIconsClick();
    }
    QCoreApplication::processEvents();
    for (QScrollBar *b : {area->horizontalScrollBar(), area->verticalScrollBar()})
        QCOMPARE(b->value(), 0);
    const QRect bounds = ChildrenBounds(area);
    QCOMPARE(bounds.topLeft(), QPoint(0, 0));
    // A bar only where a window reaches beyond the area; none for an empty band.
    QTRY_COMPARE(area->verticalScrollBar()->isVisible(), bounds.bottom() >= viewport->height());
    QCOMPARE(area->horizontalScrollBar()->isVisible(), bounds.right() >= viewport->width());
    QCOMPARE(area->verticalScrollBar()->minimum(), 0);
    QCOMPARE(area->horizontalScrollBar()->minimum(), 0);
    if (command == "F7") {
        const QRect icon = k.Charts[1]->SubWindow()->geometry();
        QCOMPARE(icon.left(), 0);
        QCOMPARE(icon.bottom(), viewport->height() - 1);
    }
}

void TestChartWindow::tiledWindowsKeepAReadableSize_data() {
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<int>("windows");
    QTest::newRow("tile horizontal, three") << true << 3;
    QTest::newRow("tile horizontal, four") << true << 4;
    QTest::newRow("tile vertical, four") << false << 4;
    QTest::newRow("tile vertical, seven") << false << 7;
    QTest::newRow("tile vertical, two") << false << 2;
}

void TestChartWindow::tiledWindowsKeepAReadableSize() {
    QFETCH(bool, horizontal);
    QFETCH(int, windows);
    TKavrel &k = *Kavrel;
    ShowCharts(windows);
    QVERIFY(QTest::qWaitForWindowExposed(&k));
    if (horizontal)
        k.Menu_TileHorizontalClick();
    else
        k.Menu_TileVerticalClick();
    QCoreApplication::processEvents();
    TMdiClient *area = k.ClientArea;
    QWidget *viewport = area->viewport();
    for (int i = 0; i < windows; ++i) {
        TForm_chart *chart = k.Charts[size_t(i)];
        QMdiSubWindow *frame = chart->SubWindow();
        // The plot reads and the titles around it are whole.
        QVERIFY2(chart->Chart->ChartRect().height() >= 100,
                 qPrintable(QString::number(chart->Chart->ChartRect().height())));
        QVERIFY(chart->Chart->ChartRect().width() >= 100);
        QVERIFY(chart->Chart->width() >= chart->Chart->minimumSizeHint().width());
        QVERIFY(chart->Chart->height() >= chart->Chart->minimumSizeHint().height());
        // The read-out line is inside its window.
        QVERIFY(chart->StatusBar_chart->isVisible());
        QVERIFY(chart->StatusBar_chart->height() >=
                chart->StatusBar_chart->minimumSizeHint().height());
        const QRect readout(chart->StatusBar_chart->mapTo(frame, QPoint(0, 0)),
                            chart->StatusBar_chart->size());
        QVERIFY(frame->rect().contains(readout));
        // Tiles do not overlap.
        for (int j = 0; j < i; ++j)
            QVERIFY(!frame->geometry().intersects(k.Charts[size_t(j)]->SubWindow()->geometry()));
    }
    // Windows that do not fit make the area scroll to them, and only in the
    // direction where they do not fit.
    const QRect bounds = ChildrenBounds(area);
    QCOMPARE(bounds.topLeft(), QPoint(0, 0));
    QScrollBar *along = horizontal ? area->verticalScrollBar() : area->horizontalScrollBar();
    QScrollBar *across = horizontal ? area->horizontalScrollBar() : area->verticalScrollBar();
    const bool fit =
        horizontal ? bounds.bottom() < viewport->height() : bounds.right() < viewport->width();
    QTRY_COMPARE(along->isVisible(), !fit);
    QVERIFY(!across->isVisible());
    if (fit) {
        QCOMPARE(bounds.bottom(), viewport->height() - 1);
        QCOMPARE(bounds.right(), viewport->width() - 1);
        return;
    }
    QCOMPARE(horizontal ? bounds.right() : bounds.bottom(),
             (horizontal ? viewport->width() : viewport->height()) - 1);
    along->setValue(along->maximum());
    QMdiSubWindow *last = k.Charts[size_t(windows - 1)]->SubWindow();
    QVERIFY(viewport->rect().contains(last->geometry()));
}

void TestChartWindow::closeMinimisesAndBookkeeping() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    fixture_->Add(MakeCriterion(QStringLiteral("Size"), 2));
    TForm_chart *first = fixture_->Show(0);
    TForm_chart *second = fixture_->Show(1);
    QVERIFY(k.Menu_CloseAll->isEnabled());
    first->SubWindow()->close();
    QVERIFY(first->SubWindow()->isMinimized());
    QVERIFY(k.Charts[0]);
    QVERIFY(k.Menu_CloseAll->isEnabled());
    k.Menu_CloseAllClick();
    QVERIFY(second->SubWindow()->isMinimized());
    QVERIFY(!k.Menu_CloseAll->isEnabled());
    // A click on a minimised window's criterion button restores it; another minimises it.
    k.ShowCriterionChart(1, false, true);
    QVERIFY(!first->SubWindow()->isMinimized());
    QCOMPARE(k.ActiveCriterion, 0);
    QVERIFY(k.Menu_CloseAll->isEnabled());
    k.ShowCriterionChart(1, false, true);
    QVERIFY(first->SubWindow()->isMinimized());
    QVERIFY(first->CloseWithoutAsking);
}

void TestChartWindow::minimiseButtonDisablesCloseAll() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    fixture_->Add(MakeCriterion(QStringLiteral("Size"), 2));
    TForm_chart *first = fixture_->Show(0);
    TForm_chart *second = fixture_->Show(1);
    // The frames' own minimise buttons, not a close.
    second->SubWindow()->showMinimized();
    QVERIFY(k.Menu_CloseAll->isEnabled());
    first->SubWindow()->showMinimized();
    QVERIFY(first->SubWindow()->isMinimized());
    QVERIFY(!k.Menu_CloseAll->isEnabled());
    // Back again: the window's activation enables it.
    first->SubWindow()->showNormal();
    k.ClientArea->setActiveSubWindow(first->SubWindow());
    first->FormActivate();
    QVERIFY(k.Menu_CloseAll->isEnabled());
}

void TestChartWindow::activationSetsActiveCriterion() {
    TKavrel &k = *Kavrel;
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1));
    fixture_->Add(MakeCriterion(QStringLiteral("Size"), 2));
    TForm_chart *first = fixture_->Show(0);
    fixture_->Show(1);
    QCOMPARE(k.ActiveCriterion, 1);
    k.ClientArea->setActiveSubWindow(first->SubWindow());
    QCOMPARE(k.ActiveCriterion, 0);
    QCOMPARE(k.SB_correctchart->statusTip(), QStringLiteral("Change active function for: Price"));
    QCOMPARE(k.SB_correctchart->toolTip(), QStringLiteral("Change active function for: Price"));
    // During elicitation activation changes nothing.
    k.DialogueMode = true;
    first->ActiveX1 = 0;
    k.ActiveCriterion = 1;
    first->FormActivate();
    QCOMPARE(k.ActiveCriterion, 1);
    k.DialogueMode = false;
}

VR_GUI_TEST_MAIN(TestChartWindow)
#include "tst_chartwindow.moc"
