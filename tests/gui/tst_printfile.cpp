// A print to a file replaces the file the user chose, and only that: through
// a symbolic link, with the modes a file of the user's gets, never a file the
// user may not write, and never with a file written cut short.
#include "platform/Printing.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
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

QTEST_MAIN(TestPrintFile)
#include "tst_printfile.moc"
