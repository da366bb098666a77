// The chart toolbar and Chart menu: every option reaches every open chart
// window and the windows opened later; marks, shadows, the chart editor, and
// the commands on the active chart.
#include "ElicitationFixture.h"
#include "ModalAnswer.h"
#include "elicitation/ChartBitmap.h"
#include "elicitation/ChartBrushEditor.h"
#include "elicitation/ChartPenEditor.h"
#include "elicitation/ChartSave.h"
#include "elicitation/ChartShadows.h"
#include "platform/FormControls.h"

#include <QMenu>
#include <QPrintPreviewDialog>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

struct TOptionsFixture : TElicitationFixture {
    TOptionsFixture() {
        Form_Bitmap = new TForm_Bitmap(Kavrel);
        Form_SaveChart = new TForm_SaveChart(Kavrel);
        Form_PenEditor = new TForm_PenEditor(Kavrel);
        Form_BrushEditor = new TForm_BrushEditor(Kavrel);
        Form_Shadows = new TForm_Shadows(Kavrel);
    }
    ~TOptionsFixture() {
        Form_Bitmap = nullptr;
        Form_SaveChart = nullptr;
        Form_PenEditor = nullptr;
        Form_BrushEditor = nullptr;
        Form_Shadows = nullptr;
    }
};

// One option as the windows and the frame show it.
struct Option {
    const char *name;
    QAction *TKavrel::*button;
    QAction *TKavrel::*item;
    bool TKavrel::*flag;
    std::function<bool(TForm_chart *)> shown;
};

const Option &OptionNamed(const QString &name) {
    static const std::vector<Option> options = {
        {"cross", &TKavrel::SB_Cross_Chart, &TKavrel::Menu_Cross, &TKavrel::CrossMode,
         [](TForm_chart *) { return Kavrel->CrossMode; }},
        {"move", &TKavrel::SB_Move_Chart, &TKavrel::Menu_Move, &TKavrel::MoveMode,
         [](TForm_chart *w) {
             const bool pans = w->Chart->AllowPanning == pmBoth;
             // Panning takes the right button from the popup menu.
             if (w->ChartPopupMenu() != (pans ? nullptr : w->PopupMenu_chart))
                 QTest::qFail("panning and popup menu disagree", __FILE__, __LINE__);
             return pans;
         }},
        {"scroll", &TKavrel::SB_Scrol_Chart, &TKavrel::Menu_Scroll, &TKavrel::ScrollMode,
         [](TForm_chart *w) {
             return !w->ScrollBar_hor->isHidden() && !w->ScrollBar_ver->isHidden();
         }},
        {"zoom", &TKavrel::SB_Zoom_Chart, &TKavrel::Menu_Zoom, &TKavrel::ZoomMode,
         [](TForm_chart *w) { return w->Chart->AllowZoom; }},
    };
    for (const Option &o : options) {
        if (name == QLatin1String(o.name))
            return o;
    }
    return options.front();
}

QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestChartOptions : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void optionReachesEveryWindow_data();
    void optionReachesEveryWindow();
    void crossAndZoomExcludeEachOther();
    void marksExclusiveEverywhere();
    void marksFromThePopupMenu();
    void marksLeaveTemplateAndReport();
    void shadowItems();
    void shadowShortcut();
    void editChart_data();
    void editChart();
    void editChartWithoutWindows();
    void activeChartCommandsNeedAWindow();
    void saveActiveChart();
    void insertBitmapIntoActiveChart();
    void zoomResetOnActiveChartOnly();
    void printActiveChart();
    void editShadowsFromTheMenu();

private:
    TForm_chart *Open(int count);
    std::unique_ptr<TOptionsFixture> fixture_;
    std::vector<TForm_chart *> windows_;
};

void TestChartOptions::init() {
    fixture_ = std::make_unique<TOptionsFixture>();
    windows_.clear();
    fixture_->Add(MakeCriterion(QStringLiteral("Price"), 1, false, 1, 10, 110, RisingPoints()));
    fixture_->Add(MakeCriterion(QStringLiteral("Weight"), 2, true));
    fixture_->Add(MakeCriterion(QStringLiteral("Power"), 3));
}

void TestChartOptions::cleanup() {
    windows_.clear();
    fixture_->Check();
    fixture_.reset();
}

// Opens the windows of the first `count` criteria; the last one is active.
TForm_chart *TestChartOptions::Open(int count) {
    for (int i = int(windows_.size()); i < count; ++i) {
        windows_.push_back(fixture_->Show(i));
        windows_.back()->SubWindow()->resize(520, 380);
    }
    return windows_.back();
}

void TestChartOptions::optionReachesEveryWindow_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("fromMenu");
    for (const char *option : {"cross", "move", "scroll", "zoom"}) {
        QTest::addRow("%s button", option) << QString::fromLatin1(option) << false;
        QTest::addRow("%s menu", option) << QString::fromLatin1(option) << true;
    }
}

void TestChartOptions::optionReachesEveryWindow() {
    QFETCH(QString, option);
    QFETCH(bool, fromMenu);
    TKavrel &k = *Kavrel;
    const Option &o = OptionNamed(option);
    QAction *button = k.*o.button;
    QAction *item = k.*o.item;
    QAction *pressed = fromMenu ? item : button;
    Open(2);
    for (TForm_chart *w : windows_)
        QVERIFY(!o.shown(w));

    // Each press switches the option on every window, the switches agreeing.
    for (bool on : {true, false, true}) {
        pressed->trigger();
        QCOMPARE(k.*o.flag, on);
        QCOMPARE(button->isChecked(), on);
        QCOMPARE(item->isChecked(), on);
        for (TForm_chart *w : windows_)
            QCOMPARE(o.shown(w), on);
    }
    // A window opened now takes it.
    QVERIFY(o.shown(Open(3)));
    if (option == QLatin1String("scroll")) {
        // Shown scroll bars follow the axes: a zoomed window's bars are usable.
        TForm_chart *w = windows_[0];
        w->Chart->ZoomPercent(150);
        pressed->trigger();
        pressed->trigger();
        QVERIFY(w->ScrollBar_hor->isEnabled());
    }
}

void TestChartOptions::crossAndZoomExcludeEachOther() {
    TKavrel &k = *Kavrel;
    Open(2);
    k.SB_Zoom_Chart->trigger();
    QVERIFY(k.ZoomMode && windows_[0]->Chart->AllowZoom && windows_[1]->Chart->AllowZoom);

    // Cross on: zoom off in every window and in the menu.
    k.SB_Cross_Chart->trigger();
    QVERIFY(k.CrossMode && k.Menu_Cross->isChecked() && k.SB_Cross_Chart->isChecked());
    QVERIFY(!k.ZoomMode && !k.Menu_Zoom->isChecked() && !k.SB_Zoom_Chart->isChecked());
    for (TForm_chart *w : windows_)
        QVERIFY(!w->Chart->AllowZoom);

    // And the reverse, from the menu.
    k.Menu_Zoom->trigger();
    QVERIFY(k.ZoomMode && k.Menu_Zoom->isChecked() && k.SB_Zoom_Chart->isChecked());
    QVERIFY(!k.CrossMode && !k.Menu_Cross->isChecked() && !k.SB_Cross_Chart->isChecked());
    for (TForm_chart *w : windows_)
        QVERIFY(w->Chart->AllowZoom);

    // Both may be off.
    k.Menu_Zoom->trigger();
    QVERIFY(!k.ZoomMode && !k.CrossMode);
    QVERIFY(!k.SB_Zoom_Chart->isChecked() && !k.SB_Cross_Chart->isChecked());
}

void TestChartOptions::marksExclusiveEverywhere() {
    TKavrel &k = *Kavrel;
    Open(2);
    auto check = [&](bool x, bool y) {
        QCOMPARE(k.MarksX, x);
        QCOMPARE(k.MarksY, y);
        QCOMPARE(k.SB_Marksx_Chart->isChecked(), x);
        QCOMPARE(k.Menu_MarksX->isChecked(), x);
        QCOMPARE(k.SB_Marksy_Chart->isChecked(), y);
        QCOMPARE(k.Menu_MarksY->isChecked(), y);
        for (TForm_chart *w : windows_) {
            const TSeriesMarks &marks = w->Series->Marks;
            QCOMPARE(marks.Visible, x || y);
            if (x)
                QVERIFY(marks.Style == smsXValue && marks.BackColor == clWhite);
            if (y)
                QVERIFY(marks.Style == smsValue && marks.BackColor == clYellow);
            QCOMPARE(w->Popup_MarksX->isChecked(), x);
            QCOMPARE(w->Popup_MarksY->isChecked(), y);
        }
    };
    k.SB_Marksx_Chart->trigger();
    check(true, false);
    k.Menu_MarksY->trigger();
    check(false, true);
    k.SB_Marksx_Chart->trigger();
    check(true, false);
    // Pressing X again hides the marks.
    k.Menu_MarksX->trigger();
    check(false, false);
    k.SB_Marksy_Chart->trigger();
    Open(3);
    check(false, true);
    k.SB_Marksy_Chart->trigger();
    check(false, false);
    // The marks show the values they name.
    k.SB_Marksx_Chart->trigger();
    QCOMPARE(windows_[0]->Series->Marks.Style, smsXValue);
}

void TestChartOptions::marksFromThePopupMenu() {
    TKavrel &k = *Kavrel;
    Open(2);
    windows_[0]->Popup_MarksY->trigger();
    QVERIFY(k.MarksY && !k.MarksX);
    QVERIFY(windows_[1]->Series->Marks.Visible && windows_[1]->Popup_MarksY->isChecked());
    windows_[1]->Popup_MarksX->trigger();
    QVERIFY(k.MarksX && !k.MarksY && k.SB_Marksx_Chart->isChecked());
    QVERIFY(windows_[0]->Popup_MarksX->isChecked() && !windows_[0]->Popup_MarksY->isChecked());
    windows_[0]->Popup_MarksX->trigger();
    QVERIFY(!k.MarksX && !windows_[1]->Series->Marks.Visible);
}

namespace {
// Watches for a dialog that should not open: any that does within `ms` is
// rejected and sets `opened`.
TModalAnswer RejectingAnyDialog(bool &opened, int ms) {
    return TModalAnswer(
        [&opened](QWidget *w) {
            opened = true;
            if (auto *dialog = qobject_cast<QDialog *>(w))
                dialog->reject();
        },
        ms);
}

// Pixels of a colour in a picture.
int CountColor(const QImage &image, TColor color) {
    const QRgb want = ToQColor(color).rgb();
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == want ? 1 : 0;
    }
    return n;
}
} // namespace

void TestChartOptions::marksLeaveTemplateAndReport() {
    TKavrel &k = *Kavrel;
    Open(2);
    // The second window is the one set aside while its function is corrected.
    k.SavedChartWindow = windows_[1];
    k.Charts[1] = nullptr;
    k.SB_Marksy_Chart->trigger();
    QVERIFY(windows_[0]->Series->Marks.Visible && windows_[1]->Series->Marks.Visible);
    // The template keeps its own marks.
    QVERIFY(!Form_chart->Series->Marks.Visible);
    QCOMPARE(Form_chart->Series->Marks.Style, smsXValue);
    QVERIFY(!Form_chart->Popup_MarksY->isChecked());

    // A report chart takes its look from the template, as the report builds it.
    TChart report;
    report.resize(300, 190);
    report.Assign(*Form_chart->Chart);
    auto *series = new TLineSeries(&report);
    for (const TFuncPoint &point : RisingPoints())
        series->AddXY(point.x, point.u);
    k.SetupFunctionSeries(series);
    QVERIFY(!series->Marks.Visible);
    QCOMPARE(CountColor(report.ToImage(), clYellow), 0);
    // The window itself shows the yellow marks.
    QVERIFY(CountColor(windows_[0]->Chart->ToImage(), clYellow) > 0);
    k.Charts[1] = windows_[1];
    k.SavedChartWindow = nullptr;
}

void TestChartOptions::shadowItems() {
    TKavrel &k = *Kavrel;
    // The items are enabled while an elicitation runs.
    k.Menu_ShadowChart->setEnabled(true);
    k.Menu_Dynamicshadow->setEnabled(true);
    // No chart window: only the flags change.
    k.Menu_ShadowChart->trigger();
    QVERIFY(!k.ChartShadow && !k.Menu_ShadowChart->isChecked());
    Open(1);
    k.Menu_ShadowChart->trigger();
    QVERIFY(k.ChartShadow && k.Menu_ShadowChart->isChecked());
    k.Menu_Dynamicshadow->trigger();
    QVERIFY(!k.DynamicShadow && !k.Menu_Dynamicshadow->isChecked());
    k.Menu_Dynamicshadow->trigger();
    QVERIFY(k.DynamicShadow && k.Menu_Dynamicshadow->isChecked());
    QVERIFY(k.ChartShadow);
}

void TestChartOptions::shadowShortcut() {
    TKavrel &k = *Kavrel;
    Open(1);
    QApplication::setActiveWindow(Kavrel);
    QVERIFY(QTest::qWaitForWindowActive(Kavrel));
    // Only an open dialog would show an editor: any that opens is closed and counted.
    bool opened = false;
    TModalAnswer watch = RejectingAnyDialog(opened, 500);
    const auto press = [] {
        QTest::keyClick(Kavrel, Qt::Key_H, Qt::ControlModifier | Qt::AltModifier);
    };
    // Outside an elicitation the item is off and the key does nothing.
    press();
    QVERIFY(k.ChartShadow && k.Menu_ShadowChart->isChecked());
    k.Menu_ShadowChart->setEnabled(true);
    press();
    QVERIFY(!k.ChartShadow && !k.Menu_ShadowChart->isChecked());
    press();
    QVERIFY(k.ChartShadow && k.Menu_ShadowChart->isChecked());
    QVERIFY(!opened);
}

void TestChartOptions::editChart_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestChartOptions::editChart() {
    QFETCH(bool, ok);
    TKavrel &k = *Kavrel;
    Open(2);
    k.SB_Marksx_Chart->trigger();
    k.SB_Move_Chart->trigger();
    k.SB_Zoom_Chart->trigger();
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::green);
    windows_[0]->Chart->SetBackImage(picture);
    windows_[0]->Chart->SetBackImageMode(pbmCenter);
    windows_[1]->Chart->Title.Color = clRed; // a window's own change goes

    TModalAnswer answer([&](QWidget *w) {
        QCOMPARE(w, Form_chart->ChartEditor_main);
        QCOMPARE(Form_chart->ChartEditor_main->Chart, Form_chart->Chart);
        Form_chart->ChartEditor_main->GradientVisible->setChecked(false);
        Form_chart->ChartEditor_main->MarksVisible->setChecked(false);
        ok ? Form_chart->ChartEditor_main->accept() : Form_chart->ChartEditor_main->reject();
    });
    k.Menu_EditChart->trigger();
    QVERIFY(answer.Answered());

    QCOMPARE(Form_chart->Chart->Gradient.Visible, !ok);
    // The template keeps the marks the editor left it; the switches show them on the windows.
    QVERIFY(!Form_chart->Series->Marks.Visible);
    for (size_t i = 0; i < windows_.size(); ++i) {
        TForm_chart *w = windows_[i];
        const QString name = k.Criteria[i].Name;
        QCOMPARE(w->Chart->Gradient.Visible, !ok);
        QCOMPARE(w->Chart->Title.Color, Form_chart->Chart->Title.Color);
        // Captions and axes as the criterion names them.
        QCOMPARE(w->windowTitle(), name + QStringLiteral(" - chart of utility function "));
        QCOMPARE(w->Chart->Title.Text.first(), QStringLiteral("Utility function for ") + name);
        QCOMPARE(w->Chart->BottomAxis.Title.Caption, name + QStringLiteral(" [EUR]"));
        QCOMPARE(w->Chart->LeftAxis.Title.Caption, QStringLiteral("U (") + name + ')');
        QCOMPARE(w->Series->VertAxis, k.Criteria[i].Cost ? aLeftAxis : aRightAxis);
        // The options stay as the switches say; the X marks show still.
        QCOMPARE(w->Chart->AllowPanning, pmBoth);
        QVERIFY(!w->ChartPopupMenu());
        QVERIFY(w->Chart->AllowZoom);
        QVERIFY(w->Series->Marks.Visible);
        QCOMPARE(w->Series->Marks.Style, smsXValue);
        QVERIFY(w->Popup_MarksX->isChecked());
    }
    QVERIFY(k.MarksX && !k.MarksY && k.MoveMode && k.ZoomMode);
    QVERIFY(k.Menu_MarksX->isChecked() && k.SB_Marksx_Chart->isChecked());
    // The background picture is the window's own.
    QCOMPARE(windows_[0]->Chart->BackImage, picture);
    QCOMPARE(windows_[0]->Chart->BackImageMode, pbmCenter);

    // A window opened later takes the edited settings.
    TForm_chart *later = Open(3);
    QCOMPARE(later->Chart->Gradient.Visible, !ok);
    QVERIFY(later->Series->Marks.Visible);
}

void TestChartOptions::editChartWithoutWindows() {
    TKavrel &k = *Kavrel;
    TModalAnswer answer([&](QWidget *) {
        Form_chart->ChartEditor_main->GradientVisible->setChecked(false);
        Form_chart->ChartEditor_main->accept();
    });
    k.Menu_EditChart->trigger();
    QVERIFY(answer.Answered());
    QVERIFY(!Form_chart->Chart->Gradient.Visible);
    QCOMPARE(k.MDIChildCount(), 0);
    QVERIFY(!Open(1)->Chart->Gradient.Visible);
}

void TestChartOptions::activeChartCommandsNeedAWindow() {
    TKavrel &k = *Kavrel;
    // The active criterion has no window (its window went), or there is none at all.
    for (int active : {0, 2, 9, -1}) {
        k.ActiveCriterion = active;
        bool opened = false;
        TModalAnswer watch = RejectingAnyDialog(opened, 300);
        k.SB_Save_Chart->trigger();
        k.Menu_SaveChart->trigger();
        k.SB_Print_Chart->trigger();
        k.Menu_InsertBitmap->trigger();
        k.SpeedButton_zoomreset->trigger();
        k.Menu_ShadowChart->setEnabled(true);
        k.Menu_ShadowChart->trigger();
        QVERIFY(!opened);
    }
}

void TestChartOptions::saveActiveChart() {
    TKavrel &k = *Kavrel;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Open(2);
    k.ActiveCriterion = 0;
    TDialogScript &script = fixture_->Script;
    script.ChooseFile(dir.filePath(QStringLiteral("Price")));
    TModalAnswer answer([&](QWidget *w) {
        QCOMPARE(w, Form_SaveChart);
        QCOMPARE(Form_SaveChart->Chart.data(), windows_[0]->Chart);
        Form_SaveChart->Radio_e->setChecked(true);
        Form_SaveChart->Button_savetofile->click();
        Form_SaveChart->Button_close->click();
    });
    k.SB_Save_Chart->trigger();
    QVERIFY(answer.Answered());
    QCOMPARE(script.Dialogs.back().FileName, QStringLiteral("Price"));
    const QByteArray emf = ReadAll(dir.filePath(QStringLiteral("Price.EMF")));
    QVERIFY(emf.size() > 44 && emf.mid(40, 4) == " EMF");
    // The dialog lets go of the chart when it closes.
    QVERIFY(Form_SaveChart->Chart.isNull());
    Form_SaveChart->Radio_b->setChecked(true);
}

void TestChartOptions::insertBitmapIntoActiveChart() {
    TKavrel &k = *Kavrel;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("back.bmp"));
    QImage green(6, 6, QImage::Format_RGB32);
    green.fill(Qt::green);
    QVERIFY(green.save(file, "BMP"));
    Open(2);
    k.ActiveCriterion = 1;
    fixture_->Script.ChooseFile(file);
    TModalAnswer answer([&](QWidget *w) {
        QCOMPARE(w, Form_Bitmap);
        Form_Bitmap->BitBtn_openbitmap->click();
        Form_Bitmap->BitBtn_close->click();
    });
    k.Menu_InsertBitmap->trigger();
    QVERIFY(answer.Answered());
    QCOMPARE(windows_[1]->Chart->BackImage.size(), QSize(6, 6));
    QCOMPARE(windows_[1]->Chart->BackImageMode, pbmTile);
    QVERIFY(windows_[0]->Chart->BackImage.isNull());
    QVERIFY(Form_Bitmap->Chart.isNull());
}

void TestChartOptions::zoomResetOnActiveChartOnly() {
    TKavrel &k = *Kavrel;
    Open(2);
    k.SB_Scrol_Chart->trigger();
    for (TForm_chart *w : windows_)
        w->Chart->ZoomPercent(150);
    k.ActiveCriterion = 0;
    k.SpeedButton_zoomreset->trigger();
    QVERIFY(!windows_[0]->Chart->Zoomed());
    QVERIFY(windows_[0]->Chart->BottomAxis.Automatic);
    // Back to automatic axes: nothing to scroll.
    QVERIFY(!windows_[0]->ScrollBar_hor->isEnabled());
    QVERIFY(windows_[1]->Chart->Zoomed());
}

void TestChartOptions::printActiveChart() {
    TKavrel &k = *Kavrel;
    Open(1);
    QString shown;
    TModalAnswer answer([&](QWidget *w) {
        shown = QString::fromLatin1(w->metaObject()->className());
        qobject_cast<QDialog *>(w)->reject();
    });
    k.Menu_PrintChart->trigger();
    QVERIFY(answer.Answered());
    QCOMPARE(shown, QStringLiteral("QPrintPreviewDialog"));
}

void TestChartOptions::editShadowsFromTheMenu() {
    TKavrel &k = *Kavrel;
    Open(1);
    TModalAnswer answer([&](QWidget *w) {
        QCOMPARE(w, Form_Shadows);
        TModalAnswer brush([&](QWidget *) {
            SetRadioItemIndex(Form_BrushEditor->RadioGroup_style, 7);
            Form_BrushEditor->Button_ok->click();
        });
        Form_Shadows->Button_chartpattern->click();
        QVERIFY(brush.Answered());
        Form_Shadows->Button_close->click();
    });
    k.Menu_EditShadows->trigger();
    QVERIFY(answer.Answered());
    QCOMPARE(int(k.ChartRangeBrushStyle), 8);
}

VR_GUI_TEST_MAIN(TestChartOptions)
#include "tst_chartoptions.moc"
