// The built program, started as a user starts it, with and without its help library.
#include "GuiTest.h"

#include <QProcess>
#include <QTemporaryDir>

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void startsWithOrWithoutHelp_data();
    void startsWithOrWithoutHelp();
};

void TestProgram::startsWithOrWithoutHelp_data() {
    QTest::addColumn<bool>("withLibrary");
    QTest::addColumn<QString>("messages");
    QTest::newRow("in its build folder") << true << QString();
    QTest::newRow("library missing") << false << QStringLiteral("Can't find HHLIB.dll !\n");
}

void TestProgram::startsWithOrWithoutHelp() {
    QFETCH(bool, withLibrary);
    QFETCH(QString, messages);

    QString program = QStringLiteral(VR_PROGRAM);
    QTemporaryDir copy;
    if (!withLibrary) {
        // A copy of the program alone in a folder; the build folder's library
        // must not be found through any search path.
        QVERIFY(copy.isValid());
        const QString alone = copy.filePath(QStringLiteral("revavovaruvu"));
        QVERIFY(QFile::copy(program, alone));
        program = alone;
    }
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("REVAVOVARUVU_TEST_QUIT"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                       QFileInfo(QStringLiteral(VR_PROGRAM)).absolutePath());
    run.setProcessEnvironment(environment);
    run.start(program, {});
    QVERIFY(run.waitForStarted(10000));
    if (!run.waitForFinished(30000)) {
        run.kill();
        run.waitForFinished(5000);
        QFAIL("the program did not end by itself");
    }
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(run.readAllStandardOutput()), messages);
}

VR_GUI_TEST_MAIN(TestProgram)
#include "tst_program.moc"
