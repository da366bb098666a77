// Helpers shared by the test suites.
#pragma once

#include "model/Messages.h"
#include "model/Problem.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QtTest>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

// Records what the model tells the user, in order, while it lives.
struct MessageRecorder {
    QStringList texts;
    QList<TMsgDlgType> types;
    TMessageSink previous;
    MessageRecorder() {
        previous = SetMessageSink([this](const QString &t, TMsgDlgType type) {
            texts << t;
            types << type;
        });
    }
    ~MessageRecorder() { SetMessageSink(previous); }
};

// Sets the default locale while it lives.
struct LocaleGuard {
    QLocale saved;
    explicit LocaleGuard(const QLocale &l) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(saved); }
};

inline QLocale PointLocale() {
    return QLocale(QLocale::English, QLocale::UnitedStates);
}
inline QLocale CommaLocale() {
    return QLocale(QLocale::German, QLocale::Germany);
}

// The rows of a test run once under each kind of decimal separator.
inline void AddLocaleRows() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("point") << PointLocale();
    QTest::newRow("comma") << CommaLocale();
}

// "(x,u) (x,u) ..." of a function's points.
inline QString PointsText(const TFUNCTION &f) {
    QStringList parts;
    for (const TFuncPoint &p : f.Points)
        parts << QStringLiteral("(%1,%2)").arg(p.x).arg(p.u);
    return parts.join(QLatin1Char(' '));
}

// Limits the size of the files this process writes while it lives, as a full
// disk would: a write past the limit fails (with no signal) instead.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(qint64 bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        set_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
        rlimit limit = old_;
        limit.rlim_cur = rlim_t(bytes);
        set_ = set_ && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    TFileSizeLimit(const TFileSizeLimit &) = delete;
    TFileSizeLimit &operator=(const TFileSizeLimit &) = delete;
    bool Set() const { return set_; }

private:
    rlimit old_{};
    void (*handler_)(int);
    bool set_ = false;
};

// The system's reason for an error number, as the program shows it.
inline QString SystemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The names of the files in a folder, hidden ones too: what a save left there.
inline QStringList FilesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A small file system of its own mounted on `folder` while it lives (we run
// as root in CI); Mounted() is false where the system does not allow it.
// Fill() takes all the room that is left, as a full disk.
class TSmallDisk {
public:
    TSmallDisk(const QString &folder, int kilobytes) : folder_(folder) {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        mounted_ = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                           options.constData()) == 0;
    }
    ~TSmallDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    }
    TSmallDisk(const TSmallDisk &) = delete;
    TSmallDisk &operator=(const TSmallDisk &) = delete;
    bool Mounted() const { return mounted_; }
    // Fills the disk from a file in a folder of its own, out of the way.
    void Fill() {
        QDir(folder_).mkdir(QStringLiteral("filler"));
        const int fd =
            ::open(QFile::encodeName(folder_ + QStringLiteral("/filler/all")).constData(),
                   O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const QByteArray block(4096, 'x');
        for (qsizetype chunk = block.size(); fd >= 0 && chunk > 0;) {
            if (::write(fd, block.constData(), size_t(chunk)) < 0)
                chunk /= 2;
        }
        if (fd >= 0)
            ::close(fd);
    }

private:
    QString folder_;
    bool mounted_ = false;
};

// Runs as the ordinary user "nobody" while it lives (root may write any file).
class TAsNobody {
public:
    TAsNobody() {
        const passwd *nobody = ::getpwnam("nobody");
        if (::geteuid() != 0 || !nobody)
            return;
        switched_ = ::setegid(nobody->pw_gid) == 0 && ::seteuid(nobody->pw_uid) == 0;
    }
    ~TAsNobody() {
        if (switched_) {
            const bool back = ::seteuid(0) == 0 && ::setegid(0) == 0;
            Q_UNUSED(back);
        }
    }
    TAsNobody(const TAsNobody &) = delete;
    TAsNobody &operator=(const TAsNobody &) = delete;
    bool Switched() const { return switched_; }

private:
    bool switched_ = false;
};

// Guards a call that must not wait on a FIFO: after `seconds` a reader opens
// the FIFO and drains it, so that a writer stuck on it comes free and the test
// fails instead of hanging. Fired() tells whether it had to.
class TFifoWriterWatchdog {
public:
    TFifoWriterWatchdog(const QString &fifo, int seconds)
        : thread_([this, name = QFile::encodeName(fifo), seconds] {
              const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
              while (!done_ && std::chrono::steady_clock::now() < until)
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              if (done_)
                  return;
              fired_ = true;
              const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
              char buffer[4096];
              while (fd >= 0 && !done_) {
                  if (::read(fd, buffer, sizeof buffer) <= 0)
                      std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
              if (fd >= 0)
                  ::close(fd);
          }) {}
    ~TFifoWriterWatchdog() { Stop(); }
    TFifoWriterWatchdog(const TFifoWriterWatchdog &) = delete;
    TFifoWriterWatchdog &operator=(const TFifoWriterWatchdog &) = delete;
    void Stop() {
        done_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    bool Fired() const { return fired_; }

private:
    std::atomic<bool> done_{false};
    std::atomic<bool> fired_{false};
    std::thread thread_;
};
