// The chart's small dialogs: the pen and brush editors under every style code,
// the shadows dialog writing the frame's appearance settings, the picture
// export and the background picture.
#include "ChartFixture.h"
#include "GuiTest.h"
#include "ModalAnswer.h"
#include "elicitation/ChartBitmap.h"
#include "elicitation/ChartBrushEditor.h"
#include "elicitation/ChartPenEditor.h"
#include "elicitation/ChartSave.h"
#include "elicitation/ChartShadows.h"
#include "platform/FormControls.h"

#include <QClipboard>
#include <QColorDialog>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

// The frame with the five dialogs, created as the program creates them.
struct TDialogsFixture : TFrameFixture {
    TDialogsFixture() {
        Form_Bitmap = new TForm_Bitmap(Kavrel);
        Form_SaveChart = new TForm_SaveChart(Kavrel);
        Form_PenEditor = new TForm_PenEditor(Kavrel);
        Form_BrushEditor = new TForm_BrushEditor(Kavrel);
        Form_Shadows = new TForm_Shadows(Kavrel);
    }
    ~TDialogsFixture() {
        // The frame owns them.
        Form_Bitmap = nullptr;
        Form_SaveChart = nullptr;
        Form_PenEditor = nullptr;
        Form_BrushEditor = nullptr;
        Form_Shadows = nullptr;
    }
};

QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The three picture kinds told apart by their first bytes.
QString PictureKind(const QByteArray &b) {
    if (b.startsWith("BM"))
        return QStringLiteral("BMP");
    if (b.size() >= 4 && qFromLittleEndian<quint32>(b.constData()) == 0x9AC6CDD7)
        return QStringLiteral("WMF");
    if (b.size() >= 44 && qFromLittleEndian<quint32>(b.constData()) == 1 && b.mid(40, 4) == " EMF")
        return QStringLiteral("EMF");
    return QStringLiteral("?");
}

QColor PixelOf(TChart &chart, QPoint at) {
    return chart.ToImage().pixelColor(at);
}

} // namespace

class TestChartDialogs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void penStyleCodes_data();
    void penStyleCodes();
    void penWidthDisablesStyle();
    void penEditorCancelKeepsFields();
    void brushStyleCodes_data();
    void brushStyleCodes();
    void brushCodeEightFillsSolid();

    void shadowsEditSettings_data();
    void shadowsEditSettings();
    void shadowsActiveLineColour();

    void saveChart_data();
    void saveChart();
    void saveChartFailureKeepsOldFile();
    void saveChartWithoutChart();
    void clipboardFormats_data();
    void clipboardFormats();

    void backgroundModes();
    void backgroundOpenAndClear();
    void backgroundFailedLoad();

private:
    std::unique_ptr<TDialogsFixture> fixture_;
    std::unique_ptr<TChart> chart_;
    QTemporaryDir dir_;
};

void TestChartDialogs::init() {
    QVERIFY(dir_.isValid());
    fixture_ = std::make_unique<TDialogsFixture>();
    chart_ = std::make_unique<TChart>();
    UtilityChart(*chart_);
    TPROBLEM price;
    price.Name = QStringLiteral("Price");
    Kavrel->Criteria = {price};
    Kavrel->ActiveCriterion = 0;
}

void TestChartDialogs::cleanup() {
    chart_.reset();
    fixture_->Check();
    fixture_.reset();
}

// ---------------------------------------------------------------------------
// Pen and brush editors

void TestChartDialogs::penStyleCodes_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("shownItem");
    QTest::addColumn<int>("style");
    QTest::newRow("1 dash") << 1 << 0 << int(psDash);
    QTest::newRow("2 dot") << 2 << 1 << int(psDot);
    QTest::newRow("3 dash dot") << 3 << 2 << int(psDashDot);
    QTest::newRow("4 dash dot dot") << 4 << 3 << int(psDashDotDot);
    QTest::newRow("5 none") << 5 << 4 << int(psClear);
    QTest::newRow("6 solid") << 6 << 5 << int(psInsideFrame);
    // Codes no item stands for show and draw as solid.
    QTest::newRow("0") << 0 << 5 << int(psSolid);
    QTest::newRow("7") << 7 << 5 << int(psSolid);
    QTest::newRow("255") << 255 << 5 << int(psSolid);
}

void TestChartDialogs::penStyleCodes() {
    QFETCH(int, code);
    QFETCH(int, shownItem);
    QFETCH(int, style);
    QCOMPARE(int(PenStyleOfCode(std::uint8_t(code))), style);

    TForm_PenEditor *pen = Form_PenEditor;
    pen->PenColor = clMaroon;
    pen->PenWidth = 1;
    pen->PenStyle = std::uint8_t(code);
    int shown = -2;
    TModalAnswer answer([&](QWidget *w) {
        QCOMPARE(w, pen);
        shown = RadioItemIndex(pen->RadioGroup_style);
        QCOMPARE(SwatchColor(pen->Edit_color), clMaroon);
        pen->Button_ok->click();
    });
    QCOMPARE(pen->exec(), int(QDialog::Accepted));
    QVERIFY(answer.Answered());
    QCOMPARE(shown, shownItem);
    // OK stores the shown item's code.
    QCOMPARE(int(pen->PenStyle), shownItem + 1);
    QCOMPARE(pen->PenColor, clMaroon);
    QCOMPARE(pen->PenWidth, 1);
}

void TestChartDialogs::penWidthDisablesStyle() {
    TForm_PenEditor *pen = Form_PenEditor;
    pen->PenColor = clGreen;
    pen->PenWidth = 1;
    pen->PenStyle = 3;
    // Width 2: the style group is off and the code stays stored; back to 1 it is used again.
    TModalAnswer first([&](QWidget *) {
        QVERIFY(pen->RadioGroup_style->isEnabled());
        pen->CSpinEdit_width->setValue(2);
        QVERIFY(!pen->RadioGroup_style->isEnabled());
        pen->Button_ok->click();
    });
    pen->exec();
    QVERIFY(first.Answered());
    QCOMPARE(pen->PenWidth, 2);
    QCOMPARE(int(pen->PenStyle), 3);

    int shown = -1;
    TModalAnswer second([&](QWidget *) {
        QVERIFY(!pen->RadioGroup_style->isEnabled());
        pen->CSpinEdit_width->setValue(1);
        QVERIFY(pen->RadioGroup_style->isEnabled());
        shown = RadioItemIndex(pen->RadioGroup_style);
        pen->Button_ok->click();
    });
    pen->exec();
    QVERIFY(second.Answered());
    QCOMPARE(shown, 2);
    QCOMPARE(pen->PenWidth, 1);
    QCOMPARE(int(pen->PenStyle), 3);
    // The spin box keeps to 1..100.
    pen->CSpinEdit_width->setValue(500);
    QCOMPARE(pen->CSpinEdit_width->value(), 100);
}

void TestChartDialogs::penEditorCancelKeepsFields() {
    TForm_PenEditor *pen = Form_PenEditor;
    pen->PenColor = clNavy;
    pen->PenWidth = 1;
    pen->PenStyle = 1;
    TModalAnswer answer([&](QWidget *) {
        // A colour chosen, a width and a style changed, then Cancel.
        TModalAnswer colour([&](QWidget *w) {
            auto *dialog = qobject_cast<QColorDialog *>(w);
            QVERIFY(dialog);
            QCOMPARE(FromQColor(dialog->currentColor()), clNavy);
            dialog->setCurrentColor(Qt::red);
            dialog->accept();
        });
        pen->Button_color->click();
        QVERIFY(colour.Answered());
        QCOMPARE(SwatchColor(pen->Edit_color), clRed);
        SetRadioItemIndex(pen->RadioGroup_style, 4);
        pen->CSpinEdit_width->setValue(7);
        pen->Button_cancel->click();
    });
    QCOMPARE(pen->exec(), int(QDialog::Rejected));
    QVERIFY(answer.Answered());
    QCOMPARE(pen->PenColor, clNavy);
    QCOMPARE(pen->PenWidth, 1);
    QCOMPARE(int(pen->PenStyle), 1);
}

void TestChartDialogs::brushStyleCodes_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("shownItem");
    QTest::addColumn<int>("style");
    QTest::newRow("1 none") << 1 << 0 << int(bsClear);
    QTest::newRow("2 horizontal") << 2 << 1 << int(bsHorizontal);
    QTest::newRow("3 vertical") << 3 << 2 << int(bsVertical);
    QTest::newRow("4 back diagonal") << 4 << 3 << int(bsFDiagonal);
    QTest::newRow("5 diagonal") << 5 << 4 << int(bsBDiagonal);
    QTest::newRow("6 cross") << 6 << 5 << int(bsCross);
    QTest::newRow("7 diagonal cross") << 7 << 6 << int(bsDiagCross);
    QTest::newRow("8 solid") << 8 << 7 << int(bsSolid);
    QTest::newRow("0") << 0 << 7 << int(bsSolid);
    QTest::newRow("9") << 9 << 7 << int(bsSolid);
}

void TestChartDialogs::brushStyleCodes() {
    QFETCH(int, code);
    QFETCH(int, shownItem);
    QFETCH(int, style);
    QCOMPARE(int(BrushStyleOfCode(std::uint8_t(code))), style);

    TForm_BrushEditor *brush = Form_BrushEditor;
    brush->BrushColor = clTeal;
    brush->BrushStyle = std::uint8_t(code);
    int shown = -2;
    TModalAnswer answer([&](QWidget *w) {
        QCOMPARE(w, brush);
        shown = RadioItemIndex(brush->RadioGroup_style);
        brush->Button_ok->click();
    });
    QCOMPARE(brush->exec(), int(QDialog::Accepted));
    QVERIFY(answer.Answered());
    QCOMPARE(shown, shownItem);
    QCOMPARE(int(brush->BrushStyle), shownItem + 1);
    QCOMPARE(brush->BrushColor, clTeal);

    // Choosing the item stores its code.
    TModalAnswer choose([&](QWidget *) {
        SetRadioItemIndex(brush->RadioGroup_style, 7 - shownItem);
        brush->Button_ok->click();
    });
    brush->exec();
    QVERIFY(choose.Answered());
    QCOMPARE(int(brush->BrushStyle), 8 - shownItem);
}

void TestChartDialogs::brushCodeEightFillsSolid() {
    // A shaded rectangle drawn under the series with each stored code: "&Solid"
    // covers every pixel, "&None" none, a hatch some.
    TChart &chart = *chart_;
    chart.Gradient.Visible = false;
    chart.Color = clWhite;
    std::uint8_t code = 8;
    TChartSeries *series = chart.Series(0);
    series->BeforeDrawValues = [&](TChartSeries *) {
        chart.Canvas->Brush.Color = clRed;
        chart.Canvas->Brush.Style = BrushStyleOfCode(code);
        chart.Canvas->Pen.Style = psClear;
        chart.Canvas->Rectangle(chart.ChartRect().adjusted(10, 10, -10, -10));
    };
    auto redShare = [&] {
        const QImage image = chart.ToImage();
        const QRect r = chart.ChartRect().adjusted(20, 20, -20, -20);
        int red = 0, all = 0;
        for (int y = r.top(); y < r.bottom(); y += 3) {
            for (int x = r.left(); x < r.right(); x += 3) {
                ++all;
                red += image.pixelColor(x, y) == QColor(Qt::red);
            }
        }
        return double(red) / all;
    };
    code = 8;
    QVERIFY2(redShare() > 0.85, "solid"); // the series line and grid cross it
    code = 1;
    QCOMPARE(redShare(), 0.0);
    code = 6;
    const double hatch = redShare();
    QVERIFY(hatch > 0.02 && hatch < 0.6);
}

// ---------------------------------------------------------------------------
// Shadows dialog

void TestChartDialogs::shadowsEditSettings_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("ok");
    for (const char *button : {"Button_chartborder", "Button_chartpattern", "Button_decisionborder",
                               "Button_decisionpattern"}) {
        QTest::addRow("%s OK", button) << QString::fromLatin1(button) << true;
        QTest::addRow("%s Cancel", button) << QString::fromLatin1(button) << false;
    }
}

void TestChartDialogs::shadowsEditSettings() {
    QFETCH(QString, button);
    QFETCH(bool, ok);
    TKavrel &k = *Kavrel;
    struct Settings {
        TColor crb, crp, drb, drp, line;
        int crps, crbs, drps, drbs, crw, drw;
        bool operator==(const Settings &) const = default;
    };
    auto settings = [&] {
        return Settings{k.ChartRangeBrushColor,  k.ChartRangePenColor,    k.DecisionRangeBrushColor,
                        k.DecisionRangePenColor, k.ActiveLineColor,       k.ChartRangePenStyle,
                        k.ChartRangeBrushStyle,  k.DecisionRangePenStyle, k.DecisionRangeBrushStyle,
                        k.ChartRangePenWidth,    k.DecisionRangePenWidth};
    };
    const Settings before = settings();
    const bool pen = button.endsWith(QLatin1String("border"));
    const bool chartRange = button.contains(QLatin1String("chart"));

    QColor loaded;
    int loadedStyle = 0;
    TModalAnswer answer([&](QWidget *w) {
        QLineEdit *swatch = pen ? Form_PenEditor->Edit_color : Form_BrushEditor->Edit_color;
        QGroupBox *styles =
            pen ? Form_PenEditor->RadioGroup_style : Form_BrushEditor->RadioGroup_style;
        QCOMPARE(w, pen ? static_cast<QWidget *>(Form_PenEditor) : Form_BrushEditor);
        loaded = ToQColor(SwatchColor(swatch));
        loadedStyle = RadioItemIndex(styles) + 1;
        SetSwatchColor(swatch, clPurple);
        SetRadioItemIndex(styles, 2);
        if (pen)
            Form_PenEditor->CSpinEdit_width->setValue(4);
        (ok ? (pen ? Form_PenEditor->Button_ok : Form_BrushEditor->Button_ok)
            : (pen ? Form_PenEditor->Button_cancel : Form_BrushEditor->Button_cancel))
            ->click();
    });
    Form_Shadows->findChild<QPushButton *>(button)->click();
    QVERIFY(answer.Answered());

    // The editor showed the setting it edits.
    const TColor shownColor =
        chartRange ? (pen ? before.crp : before.crb) : (pen ? before.drp : before.drb);
    QCOMPARE(FromQColor(loaded), shownColor);
    const int expectedStyle =
        chartRange ? (pen ? before.crps : before.crbs) : (pen ? before.drps : before.drbs);
    QCOMPARE(loadedStyle, expectedStyle);

    Settings expected = before;
    if (ok) {
        if (chartRange && pen)
            expected.crp = clPurple, expected.crps = 3, expected.crw = 4;
        else if (chartRange)
            expected.crb = clPurple, expected.crbs = 3;
        else if (pen)
            expected.drp = clPurple, expected.drps = 3, expected.drw = 4;
        else
            expected.drb = clPurple, expected.drbs = 3;
    }
    QVERIFY(settings() == expected);
}

void TestChartDialogs::shadowsActiveLineColour() {
    Kavrel->ActiveLineColor = clRed;
    TModalAnswer shown([&](QWidget *w) {
        QCOMPARE(w, Form_Shadows);
        QCOMPARE(SwatchColor(Form_Shadows->Edit_color), clRed);
        // Cancelled colour dialog: nothing changes.
        TModalAnswer cancel([](QWidget *dialog) {
            qobject_cast<QColorDialog *>(dialog)->setCurrentColor(Qt::blue);
            qobject_cast<QDialog *>(dialog)->reject();
        });
        Form_Shadows->Button_chartline->click();
        QVERIFY(cancel.Answered());
        QCOMPARE(Kavrel->ActiveLineColor, clRed);
        TModalAnswer confirm([](QWidget *dialog) {
            QCOMPARE(FromQColor(qobject_cast<QColorDialog *>(dialog)->currentColor()), clRed);
            qobject_cast<QColorDialog *>(dialog)->setCurrentColor(QColor(0, 0x80, 0x80));
            qobject_cast<QDialog *>(dialog)->accept();
        });
        Form_Shadows->Button_chartline->click();
        QVERIFY(confirm.Answered());
        Form_Shadows->Button_close->click();
    });
    Form_Shadows->exec();
    QVERIFY(shown.Answered());
    QCOMPARE(Kavrel->ActiveLineColor, clTeal);
    QCOMPARE(SwatchColor(Form_Shadows->Edit_color), clTeal);
}

// ---------------------------------------------------------------------------
// Picture export

void TestChartDialogs::saveChart_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("filter");
    // The typed name without an extension takes the checked type's; a name with
    // another type's extension is still written in the checked format.
    QTest::newRow("bmp") << "Radio_b"
                         << "Price"
                         << "Price.BMP"
                         << "BMP"
                         << "Bitmap files (*.bmp)|*.BMP|Metafile files (*.wmf)|*.WMF|Enhanced "
                            "Metafile files (*.emf)|*.EMF";
    QTest::newRow("wmf") << "Radio_m"
                         << "Price"
                         << "Price.WMF"
                         << "WMF"
                         << "Metafile files (*.wmf)|*.WMF|Bitmap files (*.bmp)|*.BMP|Enhanced "
                            "Metafile files (*.emf)|*.EMF";
    QTest::newRow("emf") << "Radio_e"
                         << "Price"
                         << "Price.EMF"
                         << "EMF"
                         << "Enhanced Metafile files (*.emf)|*.EMF|Bitmap files (*.bmp)|*.BMP|"
                            "Metafile files (*.wmf)|*.WMF";
    QTest::newRow("wmf named .bmp") << "Radio_m"
                                    << "chart.bmp"
                                    << "chart.bmp"
                                    << "WMF"
                                    << "Metafile files (*.wmf)|*.WMF|Bitmap files "
                                       "(*.bmp)|*.BMP|Enhanced Metafile files (*.emf)|*.EMF";
    QTest::newRow("emf named .wmf") << "Radio_e"
                                    << "chart.wmf"
                                    << "chart.wmf"
                                    << "EMF"
                                    << "Enhanced Metafile files (*.emf)|*.EMF|Bitmap files "
                                       "(*.bmp)|*.BMP|Metafile files (*.wmf)|*.WMF";
}

void TestChartDialogs::saveChart() {
    QFETCH(QString, radio);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, kind);
    QFETCH(QString, filter);
    TForm_SaveChart *save = Form_SaveChart;
    save->Chart = chart_.get();
    save->findChild<QRadioButton *>(radio)->setChecked(true);
    TDialogScript &script = fixture_->Script;
    script.ChooseFile(dir_.filePath(typed));
    save->Button_savetofile->click();

    QCOMPARE(script.Dialogs.size(), size_t(1));
    const TFileDialog &asked = script.Dialogs[0];
    QCOMPARE(asked.FileName, QStringLiteral("Price")); // the active criterion's name
    QCOMPARE(asked.Filter, filter);
    QCOMPARE(asked.FilterIndex, 1);
    QCOMPARE(asked.DefaultExt, kind);
    QVERIFY(asked.Options & ofOverwritePrompt);
    const QByteArray bytes = ReadAll(dir_.filePath(written));
    QCOMPARE(PictureKind(bytes), kind);
    if (kind == QLatin1String("BMP")) {
        QImage back;
        QVERIFY(back.loadFromData(bytes, "BMP"));
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32), chart_->ToImage());
    }
    // The choice stays for the next opening.
    QVERIFY(save->findChild<QRadioButton *>(radio)->isChecked());
}

void TestChartDialogs::saveChartFailureKeepsOldFile() {
    TForm_SaveChart *save = Form_SaveChart;
    save->Chart = chart_.get();
    save->Radio_b->setChecked(true);
    // A folder stands where the picture should go: the save fails, says so, and
    // what was there stays.
    const QString path = dir_.filePath(QStringLiteral("taken.BMP"));
    QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("taken.BMP")));
    QFile inside(path + QStringLiteral("/old.txt"));
    QVERIFY(inside.open(QIODevice::WriteOnly) && inside.write("old") == 3);
    inside.close();
    TDialogScript &script = fixture_->Script;
    script.ChooseFile(path);
    script.Answer(mrOk);
    save->Button_savetofile->click();
    QCOMPARE(script.Shown.size(), 2);
    QCOMPARE(script.Shown.last().Type, mtError);
    QVERIFY(script.Shown.last().Text.contains(path));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(ReadAll(path + QStringLiteral("/old.txt")), QByteArray("old"));

    // A file in a missing folder is not created.
    const QString missing = dir_.filePath(QStringLiteral("no/such/Price.BMP"));
    script.ChooseFile(missing);
    script.Answer(mrOk);
    save->Button_savetofile->click();
    QCOMPARE(script.Shown.last().Type, mtError);
    QVERIFY(!QFile::exists(missing));
}

void TestChartDialogs::saveChartWithoutChart() {
    // No active chart: nothing is asked and nothing written.
    Form_SaveChart->Chart = nullptr;
    Form_SaveChart->Button_savetofile->click();
    Form_SaveChart->Button_clipboard->click();
    QVERIFY(fixture_->Script.Dialogs.empty());
    // A chart that goes away while the dialog is open is not touched.
    auto chart = std::make_unique<TChart>();
    Form_SaveChart->Chart = chart.get();
    chart.reset();
    Form_SaveChart->Button_clipboard->click();
    QVERIFY(Form_SaveChart->Chart.isNull());
}

void TestChartDialogs::clipboardFormats_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("absent");
    QTest::newRow("bmp") << "Radio_b"
                         << ""
                         << "image/x-wmf";
    QTest::newRow("wmf") << "Radio_m"
                         << "image/x-wmf"
                         << "image/x-emf";
    QTest::newRow("emf") << "Radio_e"
                         << "image/x-emf"
                         << "image/x-wmf";
}

void TestChartDialogs::clipboardFormats() {
    QFETCH(QString, radio);
    QFETCH(QString, format);
    QFETCH(QString, absent);
    QGuiApplication::clipboard()->clear();
    Form_SaveChart->Chart = chart_.get();
    Form_SaveChart->findChild<QRadioButton *>(radio)->setChecked(true);
    Form_SaveChart->show();
    Form_SaveChart->Button_clipboard->click();
    // The dialog stays open.
    QVERIFY(Form_SaveChart->isVisible());
    Form_SaveChart->Button_close->click();
    QVERIFY(!Form_SaveChart->isVisible());

    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasImage());
    QCOMPARE(qvariant_cast<QImage>(data->imageData()).convertToFormat(QImage::Format_RGB32),
             chart_->ToImage());
    if (!format.isEmpty())
        QCOMPARE(PictureKind(data->data(format)), format.right(3).toUpper());
    QVERIFY(!data->hasFormat(absent));
}

// ---------------------------------------------------------------------------
// Background picture

void TestChartDialogs::backgroundModes() {
    TForm_Bitmap *bitmap = Form_Bitmap;
    TChart &chart = *chart_;
    bitmap->Chart = &chart;
    // At start: tile, not inside.
    QCOMPARE(RadioItemIndex(bitmap->RadioGroup_bitmap), 1);
    QVERIFY(!bitmap->CheckBox_bitmap->isChecked());
    const QList<QRadioButton *> modes = RadioItems(bitmap->RadioGroup_bitmap);
    QCOMPARE(modes.size(), 3);
    const TBackImageMode expected[] = {pbmStretch, pbmTile, pbmCenter};
    for (int i : {2, 0, 1}) {
        modes[i]->click();
        QCOMPARE(chart.BackImageMode, expected[i]);
    }
    bitmap->CheckBox_bitmap->click();
    QVERIFY(chart.BackImageInside);
    bitmap->CheckBox_bitmap->click();
    QVERIFY(!chart.BackImageInside);

    // Without a chart the controls still move and nothing breaks.
    bitmap->Chart = nullptr;
    modes[2]->click();
    bitmap->CheckBox_bitmap->click();
    bitmap->Button_bitmapclear->click();
    QCOMPARE(chart.BackImageMode, pbmTile);
    QVERIFY(!chart.BackImageInside);
}

void TestChartDialogs::backgroundOpenAndClear() {
    TForm_Bitmap *bitmap = Form_Bitmap;
    TChart &chart = *chart_;
    chart.Gradient.Visible = false;
    chart.Color = clWhite;
    bitmap->Chart = &chart;
    const QString file = dir_.filePath(QStringLiteral("green.bmp"));
    QImage green(8, 8, QImage::Format_RGB32);
    green.fill(Qt::green);
    QVERIFY(green.save(file, "BMP"));

    RadioItems(bitmap->RadioGroup_bitmap)[0]->click();
    bitmap->CheckBox_bitmap->setChecked(true); // set without the click: taken on opening
    TDialogScript &script = fixture_->Script;
    script.ChooseFile(file);
    bitmap->BitBtn_openbitmap->click();
    const TFileDialog &asked = script.Dialogs.back();
    QCOMPARE(asked.Title, QStringLiteral("Select a Bitmap File"));
    QCOMPARE(asked.DefaultExt, QStringLiteral("BMP"));
    QVERIFY(asked.Options & ofFileMustExist);
    QCOMPARE(chart.BackImage.size(), QSize(8, 8));
    QCOMPARE(chart.BackImageMode, pbmStretch);
    QVERIFY(chart.BackImageInside);
    QVERIFY(bitmap->RadioGroup_bitmap->isEnabled());
    // Stretched inside the plotting rectangle: its middle is green, the panel's corner not.
    const QRect plot = chart.ChartRect();
    QCOMPARE(PixelOf(chart, plot.center() + QPoint(3, 7)), QColor(Qt::green));
    QVERIFY(PixelOf(chart, QPoint(1, 1)) != QColor(Qt::green));

    // A cancelled file dialog changes nothing.
    script.ChooseFile(QString());
    bitmap->BitBtn_openbitmap->click();
    QCOMPARE(chart.BackImage.size(), QSize(8, 8));

    // Clear removes the picture; the dialog's settings stay.
    bitmap->Button_bitmapclear->click();
    QVERIFY(chart.BackImage.isNull());
    QCOMPARE(RadioItemIndex(bitmap->RadioGroup_bitmap), 0);
    QVERIFY(bitmap->CheckBox_bitmap->isChecked());
    QVERIFY(PixelOf(chart, plot.center() + QPoint(3, 7)) != QColor(Qt::green));
}

void TestChartDialogs::backgroundFailedLoad() {
    TForm_Bitmap *bitmap = Form_Bitmap;
    TChart &chart = *chart_;
    bitmap->Chart = &chart;
    QImage old(4, 4, QImage::Format_RGB32);
    old.fill(Qt::blue);
    chart.SetBackImage(old);
    const QString file = dir_.filePath(QStringLiteral("broken.bmp"));
    QFile broken(file);
    QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a picture") > 0);
    broken.close();
    TDialogScript &script = fixture_->Script;
    script.ChooseFile(file);
    script.Answer(mrOk);
    bitmap->BitBtn_openbitmap->click();
    QCOMPARE(script.Shown.size(), 2);
    QCOMPARE(script.Shown.last().Type, mtError);
    QVERIFY(script.Shown.last().Text.contains(file));
    // The old picture stays and the mode group works again.
    QCOMPARE(chart.BackImage, old);
    QVERIFY(bitmap->RadioGroup_bitmap->isEnabled());
}

VR_GUI_TEST_MAIN(TestChartDialogs)
#include "tst_chartdialogs.moc"
