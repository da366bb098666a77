// A CUPS print server of the test's own: its own configuration, spool, log
// and socket in a temporary folder, and one queue with a PDF printer's
// driver printing into a file, the default printer. What each job asked
// for (copies and options) is read from the server's debug log, the pages
// it was sent from the spooled file that the server keeps.
//
// Start it before anything asks Qt about printers: Qt keeps the printers
// it found.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QPageRanges>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <sys/types.h>

// One job as the server has it.
struct TPrintedJob {
    int Id = 0;
    int Copies = 0;
    QMap<QString, QString> Options; // a flag alone ("collate") has an empty value
    QString Document;               // the spooled file
    int DocumentPages = 0;
    // The page numbers (from 1) the job's page-ranges keeps of its document.
    int PagesInRange() const {
        const QString ranges = Options.value(QStringLiteral("page-ranges"));
        if (ranges.isEmpty())
            return DocumentPages;
        int pages = 0;
        for (int page = 1; page <= DocumentPages; ++page) {
            for (const QString &range : ranges.split(QLatin1Char(','))) {
                const QStringList ends = range.split(QLatin1Char('-'));
                const int from = ends.value(0).toInt();
                const int to = ends.size() > 1 ? ends.value(1).toInt() : from;
                if (page >= from && page <= to) {
                    ++pages;
                    break;
                }
            }
        }
        return pages;
    }
    // The sheets the job makes: the pages sent times the copies asked for.
    int Sheets() const { return PagesInRange() * Copies; }
    bool Collated() const {
        const QString handling = Options.value(QStringLiteral("multiple-document-handling"));
        if (!handling.isEmpty())
            return handling != QStringLiteral("separate-documents-uncollated-copies");
        const QString collate = Options.value(QStringLiteral("collate"), QStringLiteral("-"));
        return collate.isEmpty() || collate == QStringLiteral("true");
    }
};

class TPrintServer {
public:
    static constexpr const char *QueueName = "Office";

    TPrintServer() {
        cupsd_ = QStandardPaths::findExecutable(
            QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        lpadmin_ = QStandardPaths::findExecutable(
            QStringLiteral("lpadmin"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        if (cupsd_.isEmpty() || lpadmin_.isEmpty()) {
            why_ = QStringLiteral("cupsd is not installed");
            return;
        }
        QDir dir(dir_.path());
        for (const char *sub : {"root", "spool", "spool/tmp", "cache", "state", "log", "out"})
            dir.mkpath(QString::fromLatin1(sub));
        // The server runs its filters as lp: they reach the spool through this.
        QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7555));
        socket_ = dir.filePath(QStringLiteral("socket"));
        WriteFile(QStringLiteral("root/cupsd.conf"),
                  QStringLiteral("Listen %1\nLogLevel debug\nMaxLogSize 0\nPreserveJobFiles Yes\n"
                                 "PreserveJobHistory Yes\nMaxJobs 0\nBrowsing No\nWebInterface No\n"
                                 "DefaultAuthType None\n<Location />\n  Order allow,deny\n"
                                 "  Allow all\n</Location>\n<Policy default>\n  <Limit All>\n"
                                 "    Order deny,allow\n  </Limit>\n</Policy>\n")
                      .arg(socket_));
        WriteFile(QStringLiteral("root/cups-files.conf"),
                  QStringLiteral("FileDevice Yes\nServerRoot %1/root\nRequestRoot %1/spool\n"
                                 "TempDir %1/spool/tmp\nCacheDir %1/cache\nStateDir %1/state\n"
                                 "AccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                 "PageLog %1/log/page_log\nPrintcap %1/state/printcap\n"
                                 "User lp\nGroup lp\nSystemGroup root\n")
                      .arg(dir_.path()));
        // The server and the tools of this process use this server only.
        qputenv("CUPS_SERVER", socket_.toLocal8Bit());
        qunsetenv("PRINTER");
        qunsetenv("LPDEST");
        if (!StartScheduler())
            return;
        QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
        QStringList driver = {QStringLiteral("-P"), ppd};
        if (!QFile::exists(ppd))
            driver = {QStringLiteral("-m"), QStringLiteral("drv:///sample.drv/generic.ppd")};
        const QString queue = QString::fromLatin1(QueueName);
        if (!Run(lpadmin_, QStringList{QStringLiteral("-p"), queue, QStringLiteral("-E"),
                                       QStringLiteral("-v"),
                                       QStringLiteral("file:%1/out/printed").arg(dir_.path()),
                                       QStringLiteral("-o"),
                                       QStringLiteral("printer-error-policy=abort-job")} +
                               driver) ||
            !Run(lpadmin_, {QStringLiteral("-d"), queue}) || !Accept(true) ||
            !Tool(QStringLiteral("cupsenable"), {queue})) {
            why_ = QStringLiteral("the test's print queue could not be set up: ") + lastOutput_;
            return;
        }
        ready_ = true;
    }
    ~TPrintServer() { StopScheduler(); }
    TPrintServer(const TPrintServer &) = delete;
    TPrintServer &operator=(const TPrintServer &) = delete;

    // Whether cupsd and lpadmin are there at all (tests skip where not).
    bool Installed() const { return !cupsd_.isEmpty() && !lpadmin_.isEmpty(); }
    bool Ready() const { return ready_; }
    QString WhyNot() const { return why_; }
    QString Folder() const { return dir_.path(); }

    // The queue takes jobs or refuses them (cupsaccept, cupsreject).
    bool Accept(bool accept) {
        return Tool(accept ? QStringLiteral("cupsaccept") : QStringLiteral("cupsreject"),
                    {QString::fromLatin1(QueueName)});
    }
    // The scheduler ends, and starts again on the same folders.
    void StopScheduler() {
        if (!process_)
            return;
        ::kill(pid_t(process_->processId()), SIGCONT);
        process_->terminate();
        if (!process_->waitForFinished(10000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
        process_.reset();
        QFile::remove(socket_);
    }
    bool StartScheduler() {
        process_ = std::make_unique<QProcess>();
        // It writes to its own log; and it ends with the test, even one
        // that crashed, so that nothing waits for it.
        process_->setStandardOutputFile(QProcess::nullDevice());
        process_->setStandardErrorFile(QProcess::nullDevice());
        process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        process_->start(cupsd_,
                        {QStringLiteral("-f"), QStringLiteral("-c"),
                         QDir(dir_.path()).filePath(QStringLiteral("root/cupsd.conf")),
                         QStringLiteral("-s"),
                         QDir(dir_.path()).filePath(QStringLiteral("root/cups-files.conf"))});
        if (!process_->waitForStarted(10000)) {
            why_ = QStringLiteral("cupsd did not start");
            return false;
        }
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000) {
            if (process_->state() != QProcess::Running)
                break;
            if (QFile::exists(socket_) && Tool(QStringLiteral("lpstat"), {QStringLiteral("-r")}) &&
                lastOutput_.contains(QStringLiteral("is running")))
                return true;
            QThread::msleep(100);
        }
        why_ = QStringLiteral("cupsd did not answer: ") + Log().right(2000);
        return false;
    }
    // The scheduler stops answering (it is frozen) or goes on.
    void Freeze(bool frozen) {
        if (process_)
            ::kill(pid_t(process_->processId()), frozen ? SIGSTOP : SIGCONT);
    }

    QString Log() const {
        QFile file(QDir(dir_.path()).filePath(QStringLiteral("log/error_log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // The jobs the server has started, in order.
    QList<TPrintedJob> Jobs() const {
        QList<TPrintedJob> jobs;
        const QString log = Log();
        static const QRegularExpression copies(
            QStringLiteral("\\[Job (\\d+)\\] argv\\[4\\]=\"(\\d+)\""));
        static const QRegularExpression options(
            QStringLiteral("\\[Job (\\d+)\\] argv\\[5\\]=\"([^\"]*)\""));
        for (auto m = copies.globalMatch(log); m.hasNext();) {
            const QRegularExpressionMatch match = m.next();
            TPrintedJob job;
            job.Id = match.captured(1).toInt();
            job.Copies = match.captured(2).toInt();
            jobs << job;
        }
        for (auto m = options.globalMatch(log); m.hasNext();) {
            const QRegularExpressionMatch match = m.next();
            for (TPrintedJob &job : jobs) {
                if (job.Id != match.captured(1).toInt())
                    continue;
                for (const QString &option :
                     match.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                    const qsizetype at = option.indexOf(QLatin1Char('='));
                    job.Options[option.left(at)] = at < 0 ? QString() : option.mid(at + 1);
                }
            }
        }
        for (TPrintedJob &job : jobs) {
            job.Document =
                QDir(dir_.path())
                    .filePath(QStringLiteral("spool/d%1-001").arg(job.Id, 5, 10, QLatin1Char('0')));
            job.DocumentPages = PdfPages(job.Document);
        }
        return jobs;
    }
    // Waits (at most `milliseconds`) until the server has started `count`
    // jobs after the first `after`; the jobs after those.
    QList<TPrintedJob> WaitForJobs(int after, int count, int milliseconds = 20000) const {
        QElapsedTimer clock;
        clock.start();
        QList<TPrintedJob> jobs;
        do {
            jobs = Jobs().mid(after);
            if (jobs.size() >= count)
                break;
            QThread::msleep(50);
        } while (clock.elapsed() < milliseconds);
        return jobs;
    }

    // The text of page `page` (from 1) of a PDF.
    static QString PdfText(const QString &pdf, int page) {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (tool.isEmpty() || !QFile::exists(pdf))
            return QString();
        QProcess process;
        process.start(tool, {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                             QString::number(page), pdf, QStringLiteral("-")});
        if (!process.waitForFinished(20000))
            return QString();
        return QString::fromUtf8(process.readAllStandardOutput()).simplified();
    }

    static int PdfPages(const QString &pdf) {
        const QString info = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        if (info.isEmpty() || !QFile::exists(pdf))
            return 0;
        QProcess process;
        process.start(info, {pdf});
        if (!process.waitForFinished(20000))
            return 0;
        static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
        return pages.match(QString::fromUtf8(process.readAllStandardOutput())).captured(1).toInt();
    }

private:
    void WriteFile(const QString &name, const QString &text) {
        QFile file(QDir(dir_.path()).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(text.toUtf8());
    }
    bool Tool(const QString &name, const QStringList &arguments) {
        const QString path = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin"),
                   QStringLiteral("/bin")});
        return !path.isEmpty() && Run(path, arguments);
    }
    bool Run(const QString &program, const QStringList &arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished(5000);
            lastOutput_ = program + QStringLiteral(" did not end");
            return false;
        }
        lastOutput_ = QString::fromUtf8(process.readAll());
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QTemporaryDir dir_;
    QString cupsd_, lpadmin_, socket_, why_, lastOutput_;
    std::unique_ptr<QProcess> process_;
    bool ready_ = false;
};
