// A print to a file replaces the file the user chose, and only that: through
// a symbolic link, with the modes a file of the user's gets, never a file the
// user may not write, and never with a file written cut short.
#include "platform/Printing.h"
#include "tests/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray FileContents(const QString &name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &name, const QByteArray &bytes) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

mode_t ModeOf(const QString &name) {
    struct stat st {};
    return ::lstat(QFile::encodeName(name).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Prints `pages` pages of text to `name` as the report views do; false with
// `error` when the print failed.
bool PrintTo(const QString &name, int pages, QString *error) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
    TPrintFile file(printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = CannotPrint(QString(), file.Target());
        return false;
    }
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            printer.newPage();
        for (int line = 0; line < 60; ++line)
            painter.drawText(
                200, 200 + line * 80,
                QStringLiteral("Page %1, line %2 of the ranking").arg(page + 1).arg(line));
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error) {
        *error = CannotPrint(QString(), file.Target());
        return false;
    }
    return file.Commit(error);
}

// A PDF of `pages` pages in memory, page n (from 1) saying "Sheet n".
QByteArray PdfOfSheets(int pages) {
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QPdfWriter writer(&bytes);
    QPainter painter(&writer);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.drawText(300, 300, QStringLiteral("Sheet %1").arg(page));
    }
    painter.end();
    return bytes.data();
}

// The sheet numbers a PDF's pages say, in order, by pdftotext.
QList<int> SheetsOf(const QByteArray &pdf, const QString &folder) {
    const QString name = QDir(folder).filePath(QStringLiteral("sheets.pdf"));
    WriteFile(name, pdf);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {name, QStringLiteral("-")});
    if (!text.waitForFinished(20000))
        return {};
    QList<int> sheets;
    static const QRegularExpression number(QStringLiteral("Sheet (\\d+)"));
    for (const QString &page : QString::fromUtf8(text.readAllStandardOutput())
                                   .split(QLatin1Char('\f'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = number.match(page);
        sheets << (match.hasMatch() ? match.captured(1).toInt() : 0);
    }
    return sheets;
}

// Sets the umask while it lives.
struct TUmask {
    explicit TUmask(mode_t mask) : old(::umask(mask)) {}
    ~TUmask() { ::umask(old); }
    mode_t old;
};

} // namespace

class TestPrintFile : public QObject {
    Q_OBJECT
private slots:
    void replacesWhatTheUserMeant_data();
    void replacesWhatTheUserMeant();
    void fileTheUserMayNotWriteIsRefused();
    void fileCutShortIsAFailure();
    void targetsAsTheSystemNamesThem_data();
    void targetsAsTheSystemNamesThem();
    void folderThatTakesNoNewFile_data();
    void folderThatTakesNoNewFile();
    void sheetsFromOneCopy_data();
    void sheetsFromOneCopy();
};

void TestPrintFile::replacesWhatTheUserMeant_data() {
    QTest::addColumn<QString>("layout"); // "file", "link" or "dangling link"
    QTest::addColumn<int>("oldMode");    // 0: no file there before
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("newMode");
    QTest::newRow("new file, umask 022") << "file" << 0 << 022 << 0644;
    QTest::newRow("new file, umask 077") << "file" << 0 << 077 << 0600;
    QTest::newRow("new file, umask 002") << "file" << 0 << 002 << 0664;
    QTest::newRow("replaced file keeps 0600") << "file" << 0600 << 022 << 0600;
    QTest::newRow("replaced file keeps 0640") << "file" << 0640 << 077 << 0640;
    QTest::newRow("link to a file elsewhere") << "link" << 0640 << 022 << 0640;
    QTest::newRow("link to no file yet") << "dangling link" << 0 << 077 << 0600;
}

void TestPrintFile::replacesWhatTheUserMeant() {
    QFETCH(QString, layout);
    QFETCH(int, oldMode);
    QFETCH(int, umask);
    QFETCH(int, newMode);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("elsewhere")));
    const QString chosen = dir.filePath(QStringLiteral("raport ż.pdf"));
    QString written = chosen;
    if (layout != QLatin1String("file")) {
        written = dir.filePath(QStringLiteral("elsewhere/real.pdf"));
        QVERIFY(QFile::link(QStringLiteral("elsewhere/real.pdf"), chosen));
    }
    if (oldMode) {
        WriteFile(written, "the user's own file");
        QCOMPARE(::chmod(QFile::encodeName(written).constData(), mode_t(oldMode)), 0);
    }

    QString error;
    {
        const TUmask mask{mode_t(umask)};
        QVERIFY2(PrintTo(chosen, 2, &error), qPrintable(error));
    }
    QVERIFY(FileContents(written).startsWith("%PDF-"));
    QCOMPARE(int(ModeOf(written)), newMode);
    QCOMPARE(QFileInfo(chosen).isSymLink(), layout != QLatin1String("file"));
    // Nothing left beside either file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QFileInfo(chosen).fileName()});
    QCOMPARE(QDir(dir.filePath(QStringLiteral("elsewhere"))).entryList(QDir::Files | QDir::Hidden),
             layout == QLatin1String("file") ? QStringList()
                                             : QStringList{QStringLiteral("real.pdf")});
}

void TestPrintFile::fileTheUserMayNotWriteIsRefused() {
    // A read-only file in a folder the user may write: opening it to write
    // would fail, so the print fails and the file stays. Root may write any
    // file, so the print runs as an ordinary user for the while.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString target = dir.filePath(QStringLiteral("read-only.pdf"));
    WriteFile(target, "the user's own file");
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0444), 0);

    QString error;
    bool printed = false;
    if (::geteuid() == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("no ordinary user to print as");
        QCOMPARE(::setegid(nobody->pw_gid), 0);
        QCOMPARE(::seteuid(nobody->pw_uid), 0);
        printed = PrintTo(target, 1, &error);
        const bool back = ::seteuid(0) == 0 && ::setegid(0) == 0;
        QVERIFY(back);
    } else {
        printed = PrintTo(target, 1, &error);
    }
    QVERIFY(!printed);
    QCOMPARE(error, CannotPrint(QString(), target) + QStringLiteral("\nPermission denied"));
    QCOMPARE(FileContents(target), QByteArray("the user's own file"));
    QCOMPARE(int(ModeOf(target)), 0444);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("read-only.pdf")});
}

void TestPrintFile::fileCutShortIsAFailure() {
    // A write that fails as the PDF is finished, as on a full disk: the
    // writer reports nothing, the file is cut short, the old one must stay.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("ranking.pdf"));
    QString error;
    QVERIFY2(PrintTo(target, 2, &error), qPrintable(error));
    const QByteArray good = FileContents(target);
    QVERIFY(good.size() > 4000);

    bool printed = false;
    {
        const TFileSizeLimit full(good.size() - 1000);
        QVERIFY(full.Set());
        printed = PrintTo(target, 2, &error);
    }

    QVERIFY(!printed);
    QCOMPARE(error, CannotPrint(QString(), target) + QStringLiteral("\nFile too large"));
    QCOMPARE(FileContents(target), good);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("ranking.pdf")});
}

void TestPrintFile::targetsAsTheSystemNamesThem_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("link inside a linked folder") << "linked folder";
    QTest::newRow("owner and group of a shared file") << "shared";
    QTest::newRow("name of 244 bytes") << "long name";
    QTest::newRow("FIFO: refused at once") << "fifo";
}

void TestPrintFile::targetsAsTheSystemNamesThem() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir root(dir.path());
    QString chosen = root.filePath(QStringLiteral("ranking.pdf"));
    QString written = chosen;
    if (kind == QLatin1String("linked folder")) {
        // The system reads real/sub/current.pdf -> ../report.pdf in real/sub.
        QVERIFY(root.mkpath(QStringLiteral("real/sub")));
        QVERIFY(QFile::link(QStringLiteral("real/sub"), root.filePath(QStringLiteral("docs"))));
        QVERIFY(QFile::link(QStringLiteral("../report.pdf"),
                            root.filePath(QStringLiteral("real/sub/current.pdf"))));
        chosen = root.filePath(QStringLiteral("docs/current.pdf"));
        written = root.filePath(QStringLiteral("real/report.pdf"));
        WriteFile(written, "the earlier report");
    } else if (kind == QLatin1String("shared")) {
        if (::geteuid() != 0)
            QSKIP("giving a file to another owner needs root");
        WriteFile(written, "the group's report");
        QCOMPARE(::chown(QFile::encodeName(written).constData(), 4321, 5432), 0);
        QCOMPARE(::chmod(QFile::encodeName(written).constData(), 0640), 0);
    } else if (kind == QLatin1String("long name")) {
        chosen = written = root.filePath(QString(120, QChar(0x017C)) + QStringLiteral(".pdf"));
        QCOMPARE(QFile::encodeName(QFileInfo(chosen).fileName()).size(), 244);
    } else {
        QCOMPARE(::mkfifo(QFile::encodeName(chosen).constData(), 0644), 0);
    }

    QString error;
    bool printed = false;
    QElapsedTimer clock;
    clock.start();
    {
        TFifoWriterWatchdog watchdog(chosen, 5);
        printed = PrintTo(chosen, 1, &error);
        watchdog.Stop();
        QVERIFY2(!watchdog.Fired(), "the print waited on a FIFO");
    }
    if (kind == QLatin1String("fifo")) {
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(!printed);
        QVERIFY2(error.startsWith(CannotPrint(QString(), chosen)), qPrintable(error));
        QVERIFY(QFileInfo(chosen).exists() && !QFileInfo(chosen).isFile());
        QCOMPARE(FilesIn(dir.path()), QStringList{"ranking.pdf"}); // the FIFO alone
        return;
    }
    QVERIFY2(printed, qPrintable(error));
    QVERIFY(FileContents(written).startsWith("%PDF-"));
    if (kind == QLatin1String("linked folder")) {
        QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("report.pdf"))));
        QVERIFY(QFileInfo(root.filePath(QStringLiteral("real/sub/current.pdf"))).isSymLink());
        QCOMPARE(FilesIn(root.filePath(QStringLiteral("real"))), QStringList{"report.pdf"});
    } else if (kind == QLatin1String("shared")) {
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(written).constData(), &st), 0);
        QCOMPARE(int(st.st_uid), 4321);
        QCOMPARE(int(st.st_gid), 5432);
        QCOMPARE(int(st.st_mode & 07777), 0640);
    } else {
        QCOMPARE(FilesIn(dir.path()), QStringList{QFileInfo(chosen).fileName()});
    }
}

void TestPrintFile::folderThatTakesNoNewFile_data() {
    QTest::addColumn<int>("limit"); // 0: none
    QTest::newRow("written in place") << 0;
    QTest::newRow("cut to \"%PDF\"") << 4;
    QTest::newRow("cut short") << 3000;
}

void TestPrintFile::folderThatTakesNoNewFile() {
    // The user may write the file but not its folder: the print is checked
    // before it is written into the file, and a cut-short one never is.
    QFETCH(int, limit);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(folder));
    const QString target = folder + QStringLiteral("/ranking.pdf");
    WriteFile(target, "the user's own file");
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0666), 0);
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);

    QString error;
    bool printed = false;
    {
        const TAsNobody nobody;
        if (::geteuid() == 0)
            QSKIP("no ordinary user to print as");
        if (limit > 0) {
            const TFileSizeLimit full(limit);
            QVERIFY(full.Set());
            printed = PrintTo(target, 2, &error);
        } else {
            printed = PrintTo(target, 2, &error);
        }
    }
    QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0755), 0);

    QCOMPARE(FilesIn(folder), QStringList{"ranking.pdf"});
    if (limit == 0) {
        QVERIFY2(printed, qPrintable(error));
        QVERIFY(FileContents(target).trimmed().endsWith("%%EOF"));
        return;
    }
    QVERIFY(!printed);
    QCOMPARE(error, CannotPrint(QString(), target) + QLatin1Char('\n') + SystemReason(EFBIG));
    QCOMPARE(FileContents(target), QByteArray("the user's own file"));
}

void TestPrintFile::sheetsFromOneCopy_data() {
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("lastFirst");
    QTest::addColumn<QList<int>>("sheets");
    QTest::newRow("as it is") << 1 << true << false << QList<int>{1, 2, 3};
    QTest::newRow("last page first") << 1 << true << true << QList<int>{3, 2, 1};
    QTest::newRow("collated copies") << 2 << true << false << QList<int>{1, 2, 3, 1, 2, 3};
    QTest::newRow("copies not collated")
        << 3 << false << false << QList<int>{1, 1, 1, 2, 2, 2, 3, 3, 3};
    QTest::newRow("not collated, last first") << 2 << false << true << QList<int>{3, 3, 2, 2, 1, 1};
}

void TestPrintFile::sheetsFromOneCopy() {
    // The browser's one copy of a page becomes the file's sheets: a page
    // printed more than once shares its contents, and what is no PDF
    // makes nothing.
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, lastFirst);
    QFETCH(QList<int>, sheets);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setCopyCount(copies);
    printer.setCollateCopies(collate);
    printer.setPageOrder(lastFirst ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    const QByteArray one = PdfOfSheets(3);
    const QByteArray made = PrintedSheetsPdf(printer, one);
    QVERIFY(made.startsWith("%PDF-"));
    QVERIFY(made.size() < one.size() * 2);
    QVERIFY(PrintedSheetsPdf(printer, QByteArrayLiteral("%PDF-1.4 not a PDF")).isEmpty());
    QVERIFY(PrintedSheetsPdf(printer, one.left(one.size() / 2)).isEmpty());
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QTemporaryDir dir;
    QCOMPARE(SheetsOf(made, dir.path()), sheets);
}

QTEST_MAIN(TestPrintFile)
#include "tst_printfile.moc"
