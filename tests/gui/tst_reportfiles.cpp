// The preview's files: the HTML page's encoding, picture names and JPEG
// pictures, the questions before replacing, failed writes, the typed zoom.
#include "platform/Dialogs.h"
#include "platform/JpegImage.h"
#include "report/ReportFiles.h"
#include "tests/TestSupport.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

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
    void pictureFiles_data();
    void pictureFiles();
    void rewritesOnlyPictureLines();
    void typedZoom_data();
    void typedZoom();
    void writesPageAndPictures();
    void picturesBesideThePage_data();
    void picturesBesideThePage();
    void asksBeforeReplacing();
    void namesAFailedWrite_data();
    void namesAFailedWrite();
    void failedExportChangesNothing_data();
    void failedExportChangesNothing();
    void jpegOfAnEmptyPictureFails();
    void jpegFailingAfterItsOutputGrew();
};

void TestReportFiles::encodesInTheDeclaredCharacterSet() {
    const QByteArray bytes =
        EncodeHtmlPage({QStringLiteral("<p>Žluťoučký € ą</p>"), QStringLiteral("中 & 😀")});
    QCOMPARE(bytes, QByteArray("<p>\x8Elu\x9Do\x75\xE8k\xFD \x80 \xB9</p>\n"
                               "&#20013; & &#128512;\n"));
}

void TestReportFiles::pictureFiles_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("picture");
    QTest::newRow("htm") << "/x/june.htm"
                         << "/x/june1.jpg";
    QTest::newRow("html keeps the whole base") << "/x/june.html"
                                               << "/x/june1.jpg";
    QTest::newRow("dots in the folder") << "/x/a.b/june.htm"
                                        << "/x/a.b/june1.jpg";
    QTest::newRow("dots in the name") << "/x/june.v2.htm"
                                      << "/x/june.v21.jpg";
    QTest::newRow("short name") << "/x/a.htm"
                                << "/x/a1.jpg";
    // No base name: the pictures still go beside the page, not one folder up.
    QTest::newRow("empty base name") << "/x/sub/.htm"
                                     << "/x/sub/1.jpg";
    QTest::newRow("hidden page") << "/x/.june.htm"
                                 << "/x/.june1.jpg";
}

void TestReportFiles::pictureFiles() {
    QFETCH(QString, page);
    QFETCH(QString, picture);
    QCOMPARE(PictureFileOf(page, 1), picture);
    THtmlPageFiles files;
    files.PageFile = page;
    files.Pictures.resize(2);
    QCOMPARE(files.PictureFiles().value(1), picture);
    QCOMPARE(QFileInfo(files.PictureFiles().value(0)).path(), QFileInfo(page).path());
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

void TestReportFiles::picturesBesideThePage_data() {
    QTest::addColumn<QString>("page");  // inside a fresh folder
    QTest::addColumn<QString>("first"); // the first picture's file name
    QTest::newRow("no base name in a sub-folder") << "sub/.htm"
                                                  << "0.jpg";
    QTest::newRow("quote") << "say \"hi\".htm"
                           << "say \"hi\"0.jpg";
    QTest::newRow("fragment and query") << "a#b?c=d.htm"
                                        << "a#b?c=d0.jpg";
    QTest::newRow("percent and blanks") << "100% sure & <more>.html"
                                        << "100% sure & <more>0.jpg";
    QTest::newRow("colon like a scheme") << "c:june.htm"
                                         << "c:june0.jpg";
    QTest::newRow("letters outside ASCII") << "Žluťoučký kůň.htm"
                                           << "Žluťoučký kůň0.jpg";
}

void TestReportFiles::picturesBesideThePage() {
    QFETCH(QString, page);
    QFETCH(QString, first);
    QTemporaryDir dir;
    THtmlPageFiles files;
    files.PageFile = dir.filePath(page);
    QVERIFY(QDir().mkpath(QFileInfo(files.PageFile).path()));
    files.Lines = PageLines;
    files.Pictures = {Picture(30, 19, Qt::red), Picture(30, 19, Qt::blue)};
    TDialogScript script;
    QCOMPARE(files.Write(), THtmlPageFiles::Written);
    QVERIFY(script.Shown.isEmpty());

    // The pictures are in the page's own folder, and nothing is written above it.
    const QDir folder = QFileInfo(files.PageFile).dir();
    QString second = first;
    second.replace(second.lastIndexOf(QLatin1Char('0')), 1, QLatin1Char('1'));
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{QFileInfo(page).fileName(), first, second}));
    if (folder != QDir(dir.path()))
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({"sub"}));

    // Each picture line keeps its markup and names its picture as a relative URL.
    const QString text = QString::fromLatin1(ReadAll(files.PageFile));
    const QRegularExpression img(QStringLiteral("^<IMG style=\"[^\"]*\" SRC=\"([^\"]*)\" >$"),
                                 QRegularExpression::MultilineOption);
    QRegularExpressionMatchIterator it = img.globalMatch(text);
    QStringList pictures;
    while (it.hasNext())
        pictures << it.next().captured(1);
    QCOMPARE(pictures.size(), 2);
    const QUrl pageUrl = QUrl::fromLocalFile(files.PageFile);
    for (int i = 0; i < 2; ++i) {
        const QUrl src(pictures[i], QUrl::StrictMode);
        QVERIFY2(src.isValid() && src.isRelative(), qPrintable(pictures[i]));
        QVERIFY2(!src.hasQuery() && !src.hasFragment(), qPrintable(pictures[i]));
        QCOMPARE(pageUrl.resolved(src).toLocalFile(), files.PictureFiles()[i]);
        QCOMPARE(QFileInfo(files.PictureFiles()[i]).fileName(), i == 0 ? first : second);
    }
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

void TestReportFiles::namesAFailedWrite_data() {
    QTest::addColumn<bool>("encodes"); // false: the second picture cannot be encoded
    QTest::newRow("a folder in the picture's place") << true;
    QTest::newRow("a picture that does not encode") << false;
}

void TestReportFiles::namesAFailedWrite() {
    QFETCH(bool, encodes);
    QTemporaryDir dir;
    THtmlPageFiles files;
    files.PageFile = dir.filePath(QStringLiteral("june.htm"));
    files.Lines = PageLines;
    files.Pictures = {Picture(30, 19, Qt::red), encodes ? Picture(30, 19, Qt::blue) : QImage()};
    files.AskBeforeReplacing = false;
    // A folder in the second picture's place cannot be written over.
    if (encodes)
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

void TestReportFiles::failedExportChangesNothing_data() {
    QTest::addColumn<bool>("earlier");    // an earlier export is there
    QTest::addColumn<QString>("blocked"); // "folder" or "read-only"
    QTest::newRow("earlier export, a folder in a picture's place") << true << "folder";
    QTest::newRow("earlier export, a picture the user may not write") << true << "read-only";
    QTest::newRow("new export, a folder in a picture's place") << false << "folder";
}

void TestReportFiles::failedExportChangesNothing() {
    // The page and its pictures are one save: one picture that can not be
    // written leaves the earlier export as it was, and nothing new.
    QFETCH(bool, earlier);
    QFETCH(QString, blocked);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    THtmlPageFiles files;
    files.PageFile = dir.filePath(QStringLiteral("june.htm"));
    files.Lines = PageLines;
    files.Pictures = {Picture(30, 19, Qt::red), Picture(30, 19, Qt::blue),
                      Picture(30, 19, Qt::green)};
    files.Lines.insert(4, QStringLiteral("<IMG SRC=\"chart2.jpg\" >"));
    files.AskBeforeReplacing = false;
    const QStringList targets = QStringList(files.PageFile) + files.PictureFiles();
    if (earlier) {
        for (const QString &file : targets) {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("earlier export") > 0);
            QVERIFY(old.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadOther | QFileDevice::WriteOther));
        }
    }
    const QString last = targets.last();
    if (blocked == QLatin1String("folder")) {
        QVERIFY(QFile::remove(last) || !earlier);
        QVERIFY(QDir().mkdir(last));
    } else {
        QCOMPARE(::chmod(QFile::encodeName(last).constData(), 0444), 0);
    }
    const QStringList before =
        QDir(dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);

    TDialogScript script;
    script.Answer(mrOk);
    THtmlPageFiles::Result result = THtmlPageFiles::Written;
    {
        const TAsNobody nobody;
        if (blocked == QLatin1String("read-only") && ::geteuid() == 0)
            QSKIP("no ordinary user to save as");
        result = files.Write();
    }
    QCOMPARE(result, THtmlPageFiles::Failed);
    QCOMPARE(script.Shown.size(), 1);
    QVERIFY2(script.Shown[0].Text.startsWith("Can not write " + QDir::toNativeSeparators(last)),
             qPrintable(script.Shown[0].Text));
    QCOMPARE(QDir(dir.path())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             before);
    for (const QString &file : targets) {
        if (QFileInfo(file).isFile())
            QCOMPARE(ReadAll(file), QByteArray("earlier export"));
    }
}

void TestReportFiles::jpegOfAnEmptyPictureFails() {
    TJPEGImage jpeg;
    QString error;
    QVERIFY(jpeg.Compress(&error).isEmpty());
    QVERIFY(!error.isEmpty());
}

void TestReportFiles::jpegFailingAfterItsOutputGrew() {
    // Noise compresses badly: its output grows well past the first buffer
    // before the limit stops it, and the failure frees that output once.
    QImage noise(800, 800, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < noise.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = 0xff000000u | (seed >> 8);
        }
    }
    TJPEGImage jpeg;
    jpeg.Assign(noise);
    const QByteArray whole = jpeg.Compress();
    QVERIFY(whole.size() > 400 * 1024);
    jpeg.MaxBytes = size_t(whole.size() / 2);
    QString error;
    QVERIFY(jpeg.Compress(&error).isEmpty());
    QVERIFY2(error.contains(QStringLiteral("memory")), qPrintable(error));
    QTemporaryDir dir;
    QVERIFY(!jpeg.SaveToFile(dir.filePath(QStringLiteral("n.jpg")), &error));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("n.jpg"))));
    // The same picture compresses again once it may.
    jpeg.MaxBytes = 0;
    QCOMPARE(jpeg.Compress(), whole);
    QCOMPARE(QImage::fromData(whole, "JPEG").size(), noise.size());
}

QTEST_MAIN(TestReportFiles)
#include "tst_reportfiles.moc"
