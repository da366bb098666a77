// Saving a problem or result file replaces the file the user meant, as the
// system names it, keeps its owner, group and mode, and never blocks on a
// target that is not a file; where the folder takes no new file the file is
// rewritten in place and checked.
#include "model/SaveFile.h"
#include "model/Xml.h"
#include "tests/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray FileContents(const QString &name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteRaw(const QString &name, const QByteArray &bytes) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Path(const QString &name) {
    return QFile::encodeName(name);
}

// A problem document as the program saves it, grown by `extra` criteria so
// that its file has a size of our choosing.
struct TProblem {
    TXML Xml;
    explicit TProblem(const QString &name = QStringLiteral("Price")) {
        std::vector<TROLENAME> roles{TXML::DefaultRole(0), TXML::DefaultRole(1)};
        Xml.NewDocuments(roles);
        Xml.AttributesNode.appendChild(
            Xml.AddChildElement(QStringLiteral("ATTRIBUTE"), QStringLiteral("Name"), name));
    }
    QByteArray Text() const { return TXML::DocumentText(Xml.ProblemDoc); }
};

} // namespace

class TestSaveFile : public QObject {
    Q_OBJECT
private slots:
    void linkInsideALinkedFolder();
    void ownerGroupAndModeKept();
    void longNames_data();
    void longNames();
    void notARegularFileIsRefusedAtOnce_data();
    void notARegularFileIsRefusedAtOnce();
    void folderThatTakesNoNewFile_data();
    void folderThatTakesNoNewFile();
    void severalFilesAsOne_data();
    void severalFilesAsOne();
};

void TestSaveFile::linkInsideALinkedFolder() {
    // docs -> real/sub and real/sub/current.xml -> ../report.xml: the system
    // reads the link in real/sub, so the file is real/report.xml.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("real/sub")));
    QVERIFY(QFile::link(QStringLiteral("real/sub"), root.filePath(QStringLiteral("docs"))));
    QVERIFY(QFile::link(QStringLiteral("../report.xml"),
                        root.filePath(QStringLiteral("real/sub/current.xml"))));
    const QString real = root.filePath(QStringLiteral("real/report.xml"));
    QVERIFY(WriteRaw(real, "the earlier problem"));

    TProblem problem;
    QVERIFY(problem.Xml.SaveProblemFile(root.filePath(QStringLiteral("docs/current.xml"))));

    QCOMPARE(FileContents(real), problem.Text());
    QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("report.xml"))));
    QVERIFY(QFileInfo(root.filePath(QStringLiteral("real/sub/current.xml"))).isSymLink());
    QCOMPARE(FilesIn(root.filePath(QStringLiteral("real"))), QStringList{"report.xml"});
    QCOMPARE(FilesIn(root.filePath(QStringLiteral("real/sub"))), QStringList{"current.xml"});
}

void TestSaveFile::ownerGroupAndModeKept() {
    if (::geteuid() != 0)
        QSKIP("giving a file to another owner needs root");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("shared.xml"));
    QVERIFY(WriteRaw(target, "the group's problem"));
    QCOMPARE(::chown(Path(target).constData(), 4321, 5432), 0);
    QCOMPARE(::chmod(Path(target).constData(), 0640), 0);

    TProblem problem;
    QVERIFY(problem.Xml.SaveProblemFile(target));

    struct stat st {};
    QCOMPARE(::stat(Path(target).constData(), &st), 0);
    QCOMPARE(int(st.st_uid), 4321);
    QCOMPARE(int(st.st_gid), 5432);
    QCOMPARE(int(st.st_mode & 07777), 0640);
    QCOMPARE(FileContents(target), problem.Text());
}

void TestSaveFile::longNames_data() {
    QTest::addColumn<QString>("name");
    // 244 and 255 bytes: names the system takes, so the save must too.
    QTest::newRow("244 bytes") << QString(120, QChar(0x017C)) + QStringLiteral(".pdf");
    QTest::newRow("255 bytes") << QString(125, QChar(0x017C)) + QStringLiteral(".xmlx");
}

void TestSaveFile::longNames() {
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(name);
    QVERIFY(WriteRaw(target, "the earlier problem"));

    TProblem problem;
    QVERIFY(problem.Xml.SaveProblemFile(target));
    QCOMPARE(FileContents(target), problem.Text());
    QCOMPARE(FilesIn(dir.path()), QStringList{name});
}

void TestSaveFile::notARegularFileIsRefusedAtOnce_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("FIFO behind a link") << "link to fifo";
    QTest::newRow("folder") << "folder";
}

void TestSaveFile::notARegularFileIsRefusedAtOnce() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    QString target = fifo;
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pipe")));
    } else {
        QCOMPARE(::mkfifo(Path(fifo).constData(), 0644), 0);
        if (kind == QLatin1String("link to fifo")) {
            target = dir.filePath(QStringLiteral("results.xml"));
            QVERIFY(QFile::link(QStringLiteral("pipe"), target));
        }
    }

    TProblem problem;
    QElapsedTimer clock;
    clock.start();
    bool saved = true;
    QString why;
    {
        TFifoWriterWatchdog watchdog(fifo, 5);
        saved = problem.Xml.SaveResultFile(target, &why);
        watchdog.Stop();
        QVERIFY2(!watchdog.Fired(), "the save waited on the FIFO");
    }
    QVERIFY(clock.elapsed() < 3000);
    QVERIFY(!saved);
    QVERIFY(!why.isEmpty());
    struct stat st {};
    QCOMPARE(::lstat(Path(fifo).constData(), &st), 0);
    QVERIFY(kind == QLatin1String("folder") ? S_ISDIR(st.st_mode) : S_ISFIFO(st.st_mode));
    QVERIFY(QFileInfo(target).isSymLink() == (kind == QLatin1String("link to fifo")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             kind == QLatin1String("link to fifo") ? QStringList{"results.xml"} : QStringList());
}

void TestSaveFile::folderThatTakesNoNewFile_data() {
    QTest::addColumn<QString>("room"); // "enough", "size limit", "full disk"
    QTest::newRow("written in place") << "enough";
    QTest::newRow("size limit: old bytes back") << "size limit";
    QTest::newRow("full disk: old bytes back") << "full disk";
}

void TestSaveFile::folderThatTakesNoNewFile() {
    // The user may write the file but not its folder: no file beside it can
    // be made, so it is rewritten in place; a write that fails there puts
    // the old bytes back and says so.
    QFETCH(QString, room);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("locked"));
    std::unique_ptr<TSmallDisk> disk;
    if (room == QLatin1String("full disk")) {
        disk = std::make_unique<TSmallDisk>(folder, 256);
        if (!disk->Mounted())
            QSKIP("no file system of our own can be mounted here");
    } else {
        QVERIFY(QDir().mkdir(folder));
    }
    const QString target = folder + QStringLiteral("/problem.xml");
    const QByteArray old = TProblem(QStringLiteral("Old")).Text();
    QVERIFY(WriteRaw(target, old));
    QCOMPARE(::chmod(Path(target).constData(), 0666), 0);
    QCOMPARE(::chmod(Path(dir.path()).constData(), 0755), 0);
    if (disk)
        disk->Fill();
    QCOMPARE(::chmod(Path(folder).constData(), 0555), 0);

    TProblem problem(QString(10000, QLatin1Char('n'))); // pages more than the old file
    QVERIFY(problem.Text().size() > old.size() + 8192);
    bool saved = false;
    QString why;
    {
        const TAsNobody nobody;
        if (::geteuid() == 0)
            QSKIP("no ordinary user to save as");
        QVERIFY(::faccessat(AT_FDCWD, Path(folder).constData(), W_OK, AT_EACCESS) != 0);
        if (room == QLatin1String("size limit")) {
            const TFileSizeLimit limit(old.size() + 100);
            QVERIFY(limit.Set());
            saved = problem.Xml.SaveProblemFile(target, &why);
        } else {
            saved = problem.Xml.SaveProblemFile(target, &why);
        }
    }
    QCOMPARE(::chmod(Path(folder).constData(), 0755), 0);

    QCOMPARE(FilesIn(folder), QStringList{"problem.xml"});
    if (room == QLatin1String("enough")) {
        QVERIFY2(saved, qPrintable(why));
        QCOMPARE(FileContents(target), problem.Text());
        return;
    }
    QVERIFY(!saved);
    QVERIFY2(why.startsWith(SystemReason(room == QLatin1String("size limit") ? EFBIG : ENOSPC)),
             qPrintable(why));
    QVERIFY2(why.contains(QLatin1String("written back")), qPrintable(why));
    QCOMPARE(FileContents(target), old);
}

void TestSaveFile::severalFilesAsOne_data() {
    // Files "open/a" (a folder the user may write) and "locked/b", "locked/c"
    // (rewritten in place); the last one written gets more than the limit.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("fits");
    QTest::newRow("all written") << QStringList{"open/a", "locked/b"} << true;
    QTest::newRow("in place fails after a rename") << QStringList{"open/a", "locked/b"} << false;
    QTest::newRow("in place fails after in place") << QStringList{"locked/b", "locked/c"} << false;
}

void TestSaveFile::severalFilesAsOne() {
    QFETCH(QStringList, files);
    QFETCH(bool, fits);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir root(dir.path());
    QVERIFY(root.mkdir(QStringLiteral("open")) && root.mkdir(QStringLiteral("locked")));
    QStringList targets;
    for (const QString &file : files) {
        targets << root.filePath(file);
        QVERIFY(WriteRaw(targets.last(), "old " + file.toUtf8()));
        QCOMPARE(::chmod(Path(targets.last()).constData(), 0666), 0);
    }
    QCOMPARE(::chmod(Path(dir.path()).constData(), 0755), 0);
    QCOMPARE(::chmod(Path(root.filePath(QStringLiteral("open"))).constData(), 0777), 0);
    QCOMPARE(::chmod(Path(root.filePath(QStringLiteral("locked"))).constData(), 0555), 0);

    TSaveFiles save;
    for (const QString &target : targets)
        save.Add(target, target == targets.last() ? QByteArray(5000, 'n') : QByteArray(100, 'n'));
    bool saved = false;
    {
        const TAsNobody nobody;
        if (::geteuid() == 0)
            QSKIP("no ordinary user to save as");
        const TFileSizeLimit limit(fits ? 1 << 20 : 1000);
        QVERIFY(limit.Set());
        saved = save.Commit();
    }
    QCOMPARE(::chmod(Path(root.filePath(QStringLiteral("locked"))).constData(), 0755), 0);

    QCOMPARE(saved, fits);
    for (qsizetype i = 0; i < files.size(); ++i) {
        QCOMPARE(FileContents(targets[i]),
                 fits ? (i + 1 == files.size() ? QByteArray(5000, 'n') : QByteArray(100, 'n'))
                      : "old " + files[i].toUtf8());
    }
    QCOMPARE(FilesIn(root.filePath(QStringLiteral("open"))).size(),
             files.filter(QStringLiteral("open/")).size());
    QCOMPARE(FilesIn(root.filePath(QStringLiteral("locked"))).size(),
             files.filter(QStringLiteral("locked/")).size());
    if (!fits) {
        QCOMPARE(save.FailedFile(), targets.last());
        QVERIFY2(save.ErrorString().startsWith(SystemReason(EFBIG)),
                 qPrintable(save.ErrorString()));
    }
}

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
