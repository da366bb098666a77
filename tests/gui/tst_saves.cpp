// Every writer of the program on a disk that fills up: the save fails with
// the system's reason, the user's earlier file keeps its bytes, nothing is
// left beside it, and a problem or results that were not saved stay unsaved.
#include "ChartFixture.h"
#include "WorkflowFixture.h"
#include "platform/JpegImage.h"
#include "platform/Printing.h"
#include "platform/ReportPages.h"
#include "report/ReportFiles.h"

#include <QPainter>
#include <QPrinter>

namespace {

enum TWriter {
    ProblemFile,
    ResultFile,
    BitmapPicture,
    MetafilePicture,
    EnhancedMetafilePicture,
    JpegPicture,
    SavedReport,
    HtmlPage,
    PrintFile
};

QString Example(const char *name) {
    return QStringLiteral(VR_EXAMPLES "/") + QLatin1String(name);
}

QByteArray FileContents(const QString &name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A picture that compresses as a chart does: flat areas and some detail.
QImage ChartLikePicture() {
    TChart chart;
    UtilityChart(chart);
    return chart.ToImage();
}

// The files a writer writes into `folder`.
QStringList FilesOf(TWriter writer, const QString &folder) {
    const QDir dir(folder);
    switch (writer) {
    case ProblemFile:
        return {dir.filePath(QStringLiteral("cars.xml"))};
    case ResultFile:
        return {dir.filePath(QStringLiteral("house results.xml"))};
    case BitmapPicture:
        return {dir.filePath(QStringLiteral("chart.bmp"))};
    case MetafilePicture:
        return {dir.filePath(QStringLiteral("chart.wmf"))};
    case EnhancedMetafilePicture:
        return {dir.filePath(QStringLiteral("chart.emf"))};
    case JpegPicture:
        return {dir.filePath(QStringLiteral("chart.jpg"))};
    case SavedReport:
        return {dir.filePath(QStringLiteral("report.qrp"))};
    case HtmlPage:
        return {dir.filePath(QStringLiteral("june.htm")), dir.filePath(QStringLiteral("june0.jpg")),
                dir.filePath(QStringLiteral("june1.jpg"))};
    case PrintFile:
        return {dir.filePath(QStringLiteral("ranking.pdf"))};
    }
    return {};
}

// Saves with `writer` as the user would; false with what the user was told.
bool Save(TWorkflowFixture &f, TWriter writer, const QString &folder, QString &told) {
    const QString file = FilesOf(writer, folder).first();
    const qsizetype shown = f.Script.Shown.size();
    auto toldByBox = [&] {
        if (f.Script.Shown.size() == shown)
            return true;
        told = f.Script.Shown.back().Text;
        return false;
    };
    switch (writer) {
    case ProblemFile:
        f.Script.ChooseFile(file);
        Kavrel->SB_SaveProblemClick();
        return toldByBox();
    case ResultFile:
        f.Script.ChooseFile(file);
        Kavrel->SB_SaveResultClick();
        return toldByBox();
    case BitmapPicture:
    case MetafilePicture:
    case EnhancedMetafilePicture: {
        TChart chart;
        UtilityChart(chart);
        if (writer == BitmapPicture)
            chart.SaveToBitmapFile(file);
        else if (writer == MetafilePicture)
            chart.SaveToMetafile(file);
        else
            chart.SaveToMetafileEnh(file);
        return toldByBox();
    }
    case JpegPicture: {
        TJPEGImage jpeg;
        jpeg.Assign(ChartLikePicture());
        return jpeg.SaveToFile(file, &told);
    }
    case SavedReport: {
        TQRPage page;
        for (int line = 0; line < 40; ++line) {
            TQRPageOp op;
            op.Rect = QRectF(40, 40 + 20 * line, 700, 18);
            op.String = QStringLiteral("Alternative %1 of the ranking, overall utility 0.%1")
                            .arg(line * 37 + 101);
            page.Ops.push_back(op);
        }
        return TQRPageSet({page}).Save(file, &told);
    }
    case HtmlPage: {
        THtmlPageFiles files;
        files.PageFile = file;
        files.Lines = {
            QStringLiteral("<HTML>"),
            QStringLiteral("<p>Ranking of the cars: the alternatives in order of their overall "
                           "utility, best first</p>"),
            QStringLiteral("<IMG SRC=\"chart0.jpg\" >"),
            QStringLiteral("<IMG SRC=\"chart1.jpg\" >"), QStringLiteral("</HTML>")};
        files.Pictures = {ChartLikePicture(), ChartLikePicture().mirrored()};
        files.AskBeforeReplacing = false;
        files.Write();
        return toldByBox();
    }
    case PrintFile: {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        TPrintFile print(printer);
        QPainter painter;
        if (!painter.begin(&printer)) {
            told = CannotPrint(QString(), print.Target());
            return false;
        }
        for (int line = 0; line < 60; ++line)
            painter.drawText(200, 200 + line * 80,
                             QStringLiteral("Line %1 of the ranking").arg(line));
        painter.end();
        return print.Commit(&told);
    }
    }
    return false;
}

} // namespace

class TestSaves : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fullDiskKeepsTheFile_data();
    void fullDiskKeepsTheFile();

private:
    std::unique_ptr<TWorkflowFixture> f_;
};

void TestSaves::init() {
    f_ = std::make_unique<TWorkflowFixture>();
    QVERIFY(f_->Folder.isValid());
}

void TestSaves::cleanup() {
    const auto done = qScopeGuard([this] { f_.reset(); });
    f_->Check();
    QCOMPARE(f_->Script.PendingFiles(), 0);
}

void TestSaves::fullDiskKeepsTheFile_data() {
    QTest::addColumn<int>("writer");
    QTest::addColumn<bool>("fullDisk"); // else a file-size limit of half the smallest file
    const std::pair<TWriter, const char *> writers[] = {
        {ProblemFile, "problem"},         {ResultFile, "results"},
        {BitmapPicture, "BMP"},           {MetafilePicture, "WMF"},
        {EnhancedMetafilePicture, "EMF"}, {JpegPicture, "JPEG"},
        {SavedReport, "saved report"},    {HtmlPage, "HTML page and pictures"},
        {PrintFile, "print to a file"}};
    for (const auto &[writer, name] : writers) {
        QTest::addRow("%s, size limit", name) << int(writer) << false;
        QTest::addRow("%s, full disk", name) << int(writer) << true;
    }
}

void TestSaves::fullDiskKeepsTheFile() {
    QFETCH(int, writer);
    QFETCH(bool, fullDisk);
    const auto w = TWriter(writer);
    TKavrel &k = *Kavrel;
    const QString folder = f_->Path(QStringLiteral("disk"));
    std::unique_ptr<TSmallDisk> disk;
    if (fullDisk) {
        disk = std::make_unique<TSmallDisk>(folder, 4096);
        if (!disk->Mounted())
            QSKIP("no file system of our own can be mounted here");
    } else {
        QVERIFY(QDir().mkdir(folder));
    }
    if (w == ProblemFile)
        f_->Load(Example("cars.xml"));
    else if (w == ResultFile)
        f_->Load(Example("house.fun"));

    // An earlier save, whole.
    QString told;
    QVERIFY2(Save(*f_, w, folder, told), qPrintable(told));
    const QStringList files = FilesOf(w, folder);
    QList<QByteArray> earlier;
    qint64 smallest = std::numeric_limits<qint64>::max();
    for (const QString &file : files) {
        earlier << FileContents(file);
        smallest = std::min<qint64>(smallest, earlier.back().size());
    }
    QVERIFY(smallest > 100);
    const QStringList names = FilesIn(folder);
    k.SetProblemStatus(QStringLiteral("Problem: NOT SAVED"), false);
    k.SetResultsStatus(QStringLiteral("Results: NOT SAVED"), false);

    // The same save again, with no room for it.
    if (w != JpegPicture && w != SavedReport && w != PrintFile)
        f_->Script.Answer(mrOk);
    bool saved = true;
    told.clear();
    if (fullDisk) {
        disk->Fill();
        saved = Save(*f_, w, folder, told);
    } else {
        const TFileSizeLimit limit(smallest / 2);
        QVERIFY(limit.Set());
        saved = Save(*f_, w, folder, told);
    }

    QVERIFY(!saved);
    QVERIFY2(told.contains(SystemReason(fullDisk ? ENOSPC : EFBIG)), qPrintable(told));
    // The reason alone comes back from these; their callers name the file.
    if (w != JpegPicture && w != SavedReport)
        QVERIFY2(told.contains(QDir::toNativeSeparators(folder)), qPrintable(told));
    for (qsizetype i = 0; i < files.size(); ++i)
        QVERIFY2(FileContents(files[i]) == earlier[i], qPrintable(files[i]));
    QCOMPARE(FilesIn(folder), names);
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: NOT SAVED"));
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: NOT SAVED"));
    QVERIFY(!k.ProblemSaved && !k.ResultsSaved);
}

VR_GUI_TEST_MAIN(TestSaves)
#include "tst_saves.moc"
