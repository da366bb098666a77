// Chart pictures: the bitmap, the two metafile formats read back record by
// record, and the clipboard forms.
#include "ChartFixture.h"
#include "platform/Chart.h"
#include "platform/Dialogs.h"

#include <QClipboard>
#include <QMimeData>
#include <QtEndian>
#include <QtTest>

extern "C" {
#include <uemf.h>
#include <uwmf.h>
}

namespace {

void ColouredUtilityChart(TChart &chart) {
    TLineSeries *series = UtilityChart(chart);
    series->ColorRange(series->XValues, 25, 25, clRed);
}

void PieChart(TChart &chart) {
    chart.resize(300, 260);
    chart.Title.Text =
        QStringList{QStringLiteral("Probability Graph"), QStringLiteral(" for Lottery1")};
    chart.LegendVisible = false;
    auto *pie = new TPieSeries(&chart);
    pie->Add(0.3, QStringLiteral("0.300"), clRed);
    pie->Add(0.7, QStringLiteral("0.700"), clBlue);
    pie->Rotate(180);
}

quint32 U32(const QByteArray &b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

// An EMF read by its own rules: the header, then records that fill the
// file exactly and end with EOF. Returns the texts drawn, counts the types.
QStringList ReadEmf(const QByteArray &b, QMap<quint32, int> &types) {
    QStringList texts;
    if (b.size() < 88 || U32(b, 0) != U_EMR_HEADER || b.mid(40, 4) != " EMF") {
        QTest::qFail("no EMF header", __FILE__, __LINE__);
        return texts;
    }
    const quint32 bytes = U32(b, 48), records = U32(b, 52);
    if (qsizetype(bytes) != b.size())
        QTest::qFail("size in the header differs", __FILE__, __LINE__);
    quint32 count = 0, last = 0;
    for (qsizetype at = 0; at < b.size();) {
        const quint32 type = U32(b, at), size = U32(b, at + 4);
        if (size < 8 || size % 4 || at + size > quint32(b.size())) {
            QTest::qFail("broken record", __FILE__, __LINE__);
            return texts;
        }
        ++types[type];
        if (type == U_EMR_EXTTEXTOUTW) {
            // emrtext starts after the bounds, mode and scales (36 bytes).
            const qsizetype emrtext = at + 36;
            const quint32 chars = U32(b, emrtext + 8), offString = U32(b, emrtext + 12);
            QString text;
            for (quint32 i = 0; i < chars; ++i)
                text += QChar(qFromLittleEndian<quint16>(b.constData() + at + offString + 2 * i));
            texts << text;
        }
        last = type;
        at += size;
        ++count;
    }
    if (count != records || last != quint32(U_EMR_EOF))
        QTest::qFail("record count or end record wrong", __FILE__, __LINE__);
    return texts;
}

// A placeable WMF read with the library's record readers.
QStringList ReadWmf(const QByteArray &b, QMap<int, int> &types, U_WMRPLACEABLE &placeable) {
    QStringList texts;
    U_WMRHEADER header;
    const char *end = b.constData() + b.size();
    const int headerSize = wmfheader_get(b.constData(), end, &placeable, &header);
    if (headerSize <= 0) {
        QTest::qFail("no WMF header", __FILE__, __LINE__);
        return texts;
    }
    for (const char *at = b.constData() + headerSize; at < end;) {
        const size_t size = U_WMRRECSAFE_get(at, end);
        if (size == 0) {
            QTest::qFail("broken record", __FILE__, __LINE__);
            return texts;
        }
        const int type = U_WMRTYPE(at);
        ++types[type];
        if (type == U_WMR_EXTTEXTOUT) {
            U_POINT16 dst;
            int16_t length;
            uint16_t opts;
            const char *string;
            const int16_t *dx;
            U_RECT16 rect;
            if (U_WMREXTTEXTOUT_get(at, &dst, &length, &opts, &string, &dx, &rect) > 0)
                texts << QString::fromLatin1(string, length);
        }
        at += size;
        if (type == U_WMR_EOF && at != end)
            QTest::qFail("data after the end record", __FILE__, __LINE__);
    }
    return texts;
}

QByteArray ReadAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestChartPictures : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir_.isValid()); }
    void bitmapAsOnScreen();
    void enhancedMetafile();
    void placeableMetafile();
    void clipboard();
    void unwritablePath();
    void picturesToLookAt();

private:
    QTemporaryDir dir_;
};

void TestChartPictures::bitmapAsOnScreen() {
    TChart chart;
    ColouredUtilityChart(chart);
    const QString path = dir_.filePath(QStringLiteral("Price.bmp"));
    QVERIFY(chart.SaveToBitmapFile(path));
    QCOMPARE(ReadAll(path).left(2), QByteArray("BM"));
    QImage back(path, "BMP");
    QVERIFY(!back.isNull());
    QCOMPARE(back.size(), QSize(640, 400));
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32), chart.ToImage());
}

void TestChartPictures::enhancedMetafile() {
    TChart chart;
    ColouredUtilityChart(chart);
    const QString path = dir_.filePath(QStringLiteral("Price.emf"));
    QVERIFY(chart.SaveToMetafileEnh(path));
    const QByteArray b = ReadAll(path);
    QMap<quint32, int> types;
    const QStringList texts = ReadEmf(b, types);
    // Bounds in pixels and frame in hundredths of a millimetre.
    QCOMPARE(qint32(U32(b, 16)), 639);
    QCOMPARE(qint32(U32(b, 20)), 399);
    QCOMPARE(qint32(U32(b, 32)), qRound(640 * 2540 / 96.0));
    QVERIFY(texts.contains(QStringLiteral("Utility function for Price")));
    QVERIFY(texts.contains(QStringLiteral("Price [EUR]")));
    QVERIFY(texts.contains(QStringLiteral("U (Price)")));
    QVERIFY(texts.contains(QStringLiteral("0.5")));
    QVERIFY(types.value(U_EMR_POLYLINE) >= 4);     // line, frame, ticks
    QVERIFY(types.value(U_EMR_POLYGON) >= 5 + 16); // points and gradient bands
    QVERIFY(types.value(U_EMR_CREATEPEN) >= 2);
    QCOMPARE(types.value(U_EMR_STRETCHDIBITS), 0); // no bitmap inside
    QVERIFY(types.value(U_EMR_CREATEPEN) + types.value(U_EMR_CREATEBRUSHINDIRECT) +
                types.value(U_EMR_EXTCREATEFONTINDIRECTW) >=
            types.value(U_EMR_DELETEOBJECT));

    // A background picture goes in as a bitmap record.
    QImage green(20, 10, QImage::Format_RGB32);
    green.fill(Qt::green);
    chart.SetBackImage(green);
    QVERIFY(chart.SaveToMetafileEnh(path));
    types.clear();
    ReadEmf(ReadAll(path), types);
    QCOMPARE(types.value(U_EMR_STRETCHDIBITS), 1);
}

void TestChartPictures::placeableMetafile() {
    TChart chart;
    ColouredUtilityChart(chart);
    const QString path = dir_.filePath(QStringLiteral("Price.wmf"));
    QVERIFY(chart.SaveToMetafile(path));
    const QByteArray b = ReadAll(path);
    QCOMPARE(U32(b, 0), quint32(0x9AC6CDD7)); // placeable key
    QMap<int, int> types;
    U_WMRPLACEABLE placeable;
    const QStringList texts = ReadWmf(b, types, placeable);
    QCOMPARE(placeable.Dst.right - placeable.Dst.left, 640);
    QCOMPARE(placeable.Dst.bottom - placeable.Dst.top, 400);
    QCOMPARE(placeable.Inch, 96);
    QVERIFY(texts.contains(QStringLiteral("Utility function for Price")));
    QVERIFY(texts.contains(QStringLiteral("U (Price)")));
    QVERIFY(types.value(U_WMR_POLYLINE) >= 4);
    QVERIFY(types.value(U_WMR_POLYGON) >= 5);
    QCOMPARE(types.value(U_WMR_EOF), 1);

    TChart pie;
    PieChart(pie);
    QVERIFY(pie.SaveToMetafile(path));
    types.clear();
    QVERIFY(ReadWmf(ReadAll(path), types, placeable).contains(QStringLiteral("0.700")));
    QCOMPARE(placeable.Dst.right, 300);
}

void TestChartPictures::clipboard() {
    TChart chart;
    ColouredUtilityChart(chart);
    std::unique_ptr<QMimeData> enhanced(chart.MetafileMimeData(true));
    QVERIFY(enhanced->hasImage());
    QVERIFY(enhanced->data(QStringLiteral("image/svg+xml")).contains("<svg"));
    QVERIFY(enhanced->data(QStringLiteral("image/svg+xml")).contains("Utility function for Price"));
    QMap<quint32, int> types;
    QVERIFY(ReadEmf(enhanced->data(QStringLiteral("image/x-emf")), types)
                .contains(QStringLiteral("U (Price)")));
    std::unique_ptr<QMimeData> old(chart.MetafileMimeData(false));
    QCOMPARE(U32(old->data(QStringLiteral("image/x-wmf")), 0), quint32(0x9AC6CDD7));
    QVERIFY(!old->hasFormat(QStringLiteral("image/x-emf")));

    chart.CopyToClipboardBitmap();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             chart.ToImage());
    chart.CopyToClipboardMetafile(true);
    QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("image/x-emf")));
}

void TestChartPictures::unwritablePath() {
    TChart chart;
    ColouredUtilityChart(chart);
    const QString path = dir_.filePath(QStringLiteral("missing/folder/Price"));
    for (int format = 0; format < 3; ++format) {
        TDialogScript script;
        script.Answer(mrOk);
        const bool ok = format == 0   ? chart.SaveToBitmapFile(path)
                        : format == 1 ? chart.SaveToMetafile(path)
                                      : chart.SaveToMetafileEnh(path);
        QVERIFY(!ok);
        QCOMPARE(script.Shown.size(), 1);
        QCOMPARE(script.Shown[0].Type, mtError);
        QVERIFY(!QFile::exists(path));
    }
}

void TestChartPictures::picturesToLookAt() {
    // Set VR_CHART_PICTURES to a folder to keep the pictures for a look.
    const QString keep = qEnvironmentVariable("VR_CHART_PICTURES");
    const QString folder = keep.isEmpty() ? dir_.path() : keep;
    TChart utility, pie;
    ColouredUtilityChart(utility);
    PieChart(pie);
    QVERIFY(utility.ToImage().save(folder + QStringLiteral("/utility.png")));
    QVERIFY(pie.ToImage().save(folder + QStringLiteral("/pie.png")));
    QVERIFY(utility.SaveToMetafileEnh(folder + QStringLiteral("/utility.emf")));
    QVERIFY(utility.SaveToMetafile(folder + QStringLiteral("/utility.wmf")));
}

QTEST_MAIN(TestChartPictures)
#include "tst_chartpictures.moc"
