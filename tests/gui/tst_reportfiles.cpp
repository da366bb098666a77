// The preview's files: the HTML page's encoding, picture names and JPEG
// pictures, the questions before replacing, failed writes, the typed zoom.
#include "platform/Dialogs.h"
#include "platform/JpegImage.h"
#include "report/ReportFiles.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QImage Picture(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QByteArray ReadAll(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList PageLines = {
    QStringLiteral("<HTML>"),
    QStringLiteral("<div  class=STYL3 STYLE=\"left:50; top:10\"><p>chart of Ščř</p></div>"),
    QStringLiteral("<IMG style=\"position:absolute; left:50px; top:200px\" SRC=\"chart0.jpg\" >"),
    QStringLiteral("<IMG style=\"position:absolute; left:50px; top:500px\" SRC=\"chart1.jpg\" >"),
    QStringLiteral("</HTML>")};

} // namespace

class TestReportFiles : public QObject {
    Q_OBJECT
private slots:
    void encodesInTheDeclaredCharacterSet();
    void pictureBase_data();
    void pictureBase();
    void rewritesOnlyPictureLines();
    void typedZoom_data();
    void typedZoom();
    void writesPageAndPictures();
    void asksBeforeReplacing();
    void namesAFailedWrite();
    void jpegOfAnEmptyPictureFails();
};

void TestReportFiles::encodesInTheDeclaredCharacterSet() {
    const QByteArray bytes =
        EncodeHtmlPage({QStringLiteral("<p>Žluťoučký € ą</p>"), QStringLiteral("中 & 😀")});
    QCOMPARE(bytes, QByteArray("<p>\x8Elu\x9Do\x75\xE8k\xFD \x80 \xB9</p>\n"
                               "&#20013; & &#128512;\n"));
}

void TestReportFiles::pictureBase_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("base");
    QTest::newRow("htm") << "/x/june.htm"
                         << "/x/june";
    QTest::newRow("html keeps the whole base") << "/x/june.html"
                                               << "/x/june";
    QTest::newRow("dots in the folder") << "/x/a.b/june.htm"
                                        << "/x/a.b/june";
    QTest::newRow("dots in the name") << "/x/june.v2.htm"
                                      << "/x/june.v2";
    QTest::newRow("short name") << "/x/a.htm"
                                << "/x/a";
}

void TestReportFiles::pictureBase() {
    QFETCH(QString, page);
    QFETCH(QString, base);
    QCOMPARE(PictureBaseOf(page), base);
}

void TestReportFiles::rewritesOnlyPictureLines() {
    const QStringList lines = WithPictureNames(PageLines, QStringLiteral("june"));
    QCOMPARE(lines[1], PageLines[1]); // "chart" in a text stays
    QCOMPARE(lines[2], QStringLiteral("<IMG style=\"position:absolute; left:50px; top:200px\" "
                                      "SRC=\"june0.jpg\" >"));
    QVERIFY(lines[3].contains(QStringLiteral("SRC=\"june1.jpg\"")));
    QVERIFY(
        WithPictureNames({QStringLiteral("<img src=\"chart0.jpg\">")}, "x")[0].contains("chart0"));
}

void TestReportFiles::typedZoom_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("zoom");
    QTest::newRow("plain") << "250" << 250;
    QTest::newRow("zero") << "0" << 100;
    QTest::newRow("letters") << "abc" << 100;
    QTest::newRow("empty") << "" << 100;
    QTest::newRow("blanks, sign, tail") << "  +40x" << 40;
    QTest::newRow("negative") << "-500" << 100;
    // The range is the caller's (the preview's), not the zoom buttons' 30..1000.
    QTest::newRow("below the least") << "2" << 5;
    QTest::newRow("least") << "5" << 5;
    QTest::newRow("below the buttons") << "25" << 25;
    QTest::newRow("above the buttons") << "1500" << 1500;
    QTest::newRow("most") << "2000" << 2000;
    QTest::newRow("above the most") << "2001" << 2000;
    QTest::newRow("would overflow") << "99999999999999999999999" << 2000;
}

void TestReportFiles::typedZoom() {
    QFETCH(QString, text);
    QFETCH(int, zoom);
    QCOMPARE(TypedZoom(text, 5, 2000), zoom);
}

void TestReportFiles::writesPageAndPictures() {
    QTemporaryDir dir;
    THtmlPageFiles files;
    files.PageFile = dir.filePath(QStringLiteral("june.html"));
    files.Lines = PageLines;
    files.Pictures = {Picture(300, 190, Qt::red), Picture(300, 190, Qt::blue)};
    TDialogScript script;
    QCOMPARE(files.Write(), THtmlPageFiles::Written);
    QVERIFY(script.Shown.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             QStringList({"june.html", "june0.jpg", "june1.jpg"}));
    const QByteArray page = ReadAll(files.PageFile);
    QVERIFY(page.contains("SRC=\"june0.jpg\""));
    QVERIFY(page.contains("SRC=\"june1.jpg\""));
    QVERIFY(page.contains("chart of \x8A\xE8\xF8"));
    for (const char *name : {"june0.jpg", "june1.jpg"}) {
        QImageReader reader(dir.filePath(QLatin1String(name)));
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage image = reader.read();
        QCOMPARE(image.size(), QSize(300, 190));
    }
    QVERIFY(qRed(QImage(dir.filePath("june0.jpg")).pixel(150, 95)) > 240);
    QVERIFY(qBlue(QImage(dir.filePath("june1.jpg")).pixel(150, 95)) > 240);

    // The view's own files keep the "chart" names.
    files.PageFile = dir.filePath(QStringLiteral("Report.htm"));
    files.RenamePictures = false;
    files.AskBeforeReplacing = false;
    QCOMPARE(files.Write(), THtmlPageFiles::Written);
    QVERIFY(QFile::exists(dir.filePath("chart1.jpg")));
    QVERIFY(ReadAll(files.PageFile).contains("SRC=\"chart0.jpg\""));
}

void TestReportFiles::asksBeforeReplacing() {
    QTemporaryDir dir;
    THtmlPageFiles files;
    files.PageFile = dir.filePath(QStringLiteral("june.htm"));
    files.Lines = PageLines;
    files.Pictures = {Picture(30, 19, Qt::red), Picture(30, 19, Qt::blue)};
    {
        TDialogScript script;
        QCOMPARE(files.Write(), THtmlPageFiles::Written);
    }
    const QByteArray before = ReadAll(dir.filePath("june1.jpg"));
    files.Pictures = {Picture(30, 19, Qt::green), Picture(30, 19, Qt::green)};
    {
        // No to the second picture: nothing at all is written.
        TDialogScript script;
        script.Answer(mrYes, "File " + QDir::toNativeSeparators(files.PageFile) +
                                 " already exists.\nDo you want to replace it?");
        script.Answer(mrYes);
        script.Answer(mrNo);
        QCOMPARE(files.Write(), THtmlPageFiles::Cancelled);
        QCOMPARE(script.Shown.size(), 3);
        QVERIFY(script.Unexpected.isEmpty());
        QCOMPARE(script.Shown[0].Type, mtWarning);
        QCOMPARE(ReadAll(dir.filePath("june1.jpg")), before);
    }
    {
        TDialogScript script;
        for (int i = 0; i < 3; ++i)
            script.Answer(mrYes);
        QCOMPARE(files.Write(), THtmlPageFiles::Written);
        QVERIFY(ReadAll(dir.filePath("june1.jpg")) != before);
    }
}

void TestReportFiles::namesAFailedWrite() {
    QTemporaryDir dir;
    THtmlPageFiles files;
    files.PageFile = dir.filePath(QStringLiteral("june.htm"));
    files.Lines = PageLines;
    files.Pictures = {Picture(30, 19, Qt::red), Picture(30, 19, Qt::blue)};
    files.AskBeforeReplacing = false;
    // A folder in the second picture's place cannot be written over.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("june1.jpg")));
    TDialogScript script;
    script.Answer(mrOk);
    QCOMPARE(files.Write(), THtmlPageFiles::Failed);
    QCOMPARE(script.Shown.size(), 1);
    QCOMPARE(script.Shown[0].Type, mtError);
    QVERIFY(script.Shown[0].Text.startsWith(
        "Can not write " + QDir::toNativeSeparators(dir.filePath("june1.jpg")) + "!"));
    QVERIFY(!QFile::exists(files.PageFile)); // no page that lacks its pictures
}

void TestReportFiles::jpegOfAnEmptyPictureFails() {
    TJPEGImage jpeg;
    QString error;
    QVERIFY(jpeg.Compress(&error).isEmpty());
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(TestReportFiles)
#include "tst_reportfiles.moc"
