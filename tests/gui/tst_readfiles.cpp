// Every reader against names that are no file it can hold: a FIFO, a folder and
// a file past the largest size read. Each is refused at once, with a message
// that names the file and says why, and what was there stays.
#include "model/Loading.h"
#include "platform/Chart.h"
#include "platform/Dialogs.h"
#include "platform/Report.h"
#include "tests/ReadSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

// A reader: the message it gives for the file, empty when it took the file.
using TReader = std::function<QString(const QString &path)>;
Q_DECLARE_METATYPE(TReader)

namespace {

QString ViaProblemFile(const QString &path) {
    TProblemFile file;
    return file.Read(path) ? QString() : file.Error;
}

QString ViaFunImporter(const QString &path) {
    std::vector<TPROBLEM> criteria;
    QString message;
    const int result = TINPUT_OUTPUT::ReadFunFile(path, criteria, message);
    return result == TINPUT_OUTPUT::ReadOk ? QString() : message;
}

QString ViaCrtImporter(const QString &path) {
    std::vector<TPROBLEM> criteria;
    QString message;
    const int result = TINPUT_OUTPUT::ReadCrtFile(path, criteria, message);
    return result == TINPUT_OUTPUT::ReadOk ? QString() : message;
}

QString ViaResultFile(const QString &path) {
    TXML xml;
    return xml.LoadResultFile(path) ? QString() : xml.ParseErrorText(xml.ResultDoc);
}

QString ViaSavedReport(const QString &path) {
    TQRPHandler handler;
    QString error;
    return handler.Load(path, &error) ? QString() : error;
}

QString ViaBackgroundPicture(const QString &path) {
    TChart chart;
    QImage kept(8, 8, QImage::Format_RGB32);
    kept.fill(Qt::green);
    chart.SetBackImage(kept);
    TDialogScript script;
    script.Answer(mrOk);
    const bool loaded = chart.LoadBackImage(path);
    if (chart.BackImage != kept && !loaded)
        return QStringLiteral("the picture in force was lost");
    return loaded || script.Shown.isEmpty() ? QString() : script.Shown.back().Text;
}

} // namespace

class TestReadFiles : public QObject {
    Q_OBJECT
private slots:
    void refusedAtOnce_data();
    void refusedAtOnce();
    void problemFileOfAnyName();
};

void TestReadFiles::refusedAtOnce_data() {
    QTest::addColumn<TReader>("reader");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reason");

    const struct {
        const char *what;
        TReader reader;
        const char *name;
    } readers[] = {
        {"problem", ViaProblemFile, "plan.xml"},
        {"problem .fun", ViaProblemFile, "house.fun"},
        {"problem .crt", ViaProblemFile, "house.crt"},
        {"problem of another name", ViaProblemFile, "plan.txt"},
        {".fun importer", ViaFunImporter, "house.fun"},
        {".crt importer", ViaCrtImporter, "house.crt"},
        {"results", ViaResultFile, "results.xml"},
        {"saved report", ViaSavedReport, "report.qrp"},
        {"background picture", ViaBackgroundPicture, "pic.bmp"},
    };
    const struct {
        const char *what;
        TOddFile kind;
        const char *reason;
    } kinds[] = {
        {"FIFO", TOddFile::Fifo, "is not a regular file: it is a FIFO"},
        {"folder", TOddFile::Folder, "is not a regular file: it is a folder"},
        {"oversize", TOddFile::Oversize, "is too large to read: 256.0 MiB (268435457 bytes)"},
    };
    for (const auto &r : readers) {
        for (const auto &k : kinds)
            QTest::addRow("%s, %s", r.what, k.what) << r.reader << QString::fromLatin1(r.name)
                                                    << int(k.kind) << QString::fromLatin1(k.reason);
    }
    // The documents have a bound of their own: their DOM is some 60 times the file.
    const QString document =
        "is too large to read: 96.0 MiB (100663297 bytes); the largest file read is 96.0 MiB";
    QTest::newRow("problem, large document")
        << TReader(ViaProblemFile) << "plan.xml" << int(TOddFile::LargeDocument) << document;
    QTest::newRow("results, large document")
        << TReader(ViaResultFile) << "results.xml" << int(TOddFile::LargeDocument) << document;
}

void TestReadFiles::refusedAtOnce() {
    QFETCH(TReader, reader);
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    QVERIFY(MakeOddFile(TOddFile(kind), path));

    QString message;
    qint64 elapsed = 0;
    {
        const TFifoReaderWatchdog watchdog(path);
        QElapsedTimer timer;
        timer.start();
        message = reader(path);
        elapsed = timer.elapsed();
        QVERIFY2(!watchdog.Fired(), "the reader waited in open() for a writer");
    }
    QVERIFY2(message.contains(QLatin1Char('"') + path + QLatin1Char('"')), qPrintable(message));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
}

// A problem file is one by what it holds, whatever its name; a text that is no
// problem is refused with its name.
void TestReadFiles::problemFileOfAnyName() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto copy = [&dir](const char *example, const char *name) {
        const QString path = dir.filePath(QLatin1String(name));
        return QFile::copy(QStringLiteral(VR_EXAMPLES "/") + QLatin1String(example), path)
                   ? path
                   : QString();
    };
    const struct {
        const char *example;
        const char *name;
        int criteria;
        bool solved;
    } files[] = {
        {"cars.xml", "cars.txt", 5, false},
        {"cars.xml", "cars", 5, false},
        {"house.fun", "house.txt", 4, true},
        {"house.crt", "house.dat", 4, false},
    };
    for (const auto &f : files) {
        TProblemFile file;
        QVERIFY2(file.Read(copy(f.example, f.name)), qPrintable(file.Error));
        QCOMPARE(int(file.Model.Criteria.size()), f.criteria);
        QCOMPARE(file.Solved, f.solved);
    }

    const QString notes = dir.filePath(QStringLiteral("notes.txt"));
    QFile text(notes);
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Shopping\nbread\nmilk\n");
    text.close();
    TProblemFile file;
    QVERIFY(!file.Read(notes));
    QCOMPARE(file.Error, QLatin1Char('"') + notes +
                             QStringLiteral("\" is not a problem file: it holds no problem (XML), "
                                            "function (\".fun\") or criteria (\".crt\") file."));
    QVERIFY(file.Model.Criteria.empty());
}

QTEST_MAIN(TestReadFiles)
#include "tst_readfiles.moc"
