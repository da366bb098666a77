// Names that a reader must refuse: a FIFO, a folder and a sparse file past the
// largest size read, and a watchdog that frees a reader caught in a FIFO.
#pragma once

#include "model/ReadFile.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Oversize is past every reader's bound, LargeDocument only past the problem
// and result documents' one.
enum class TOddFile { Fifo, Folder, Oversize, LargeDocument };

// Makes the name at path; false when it cannot be made. The oversize file is
// sparse: it takes no room on the disk.
inline bool MakeOddFile(TOddFile kind, const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    switch (kind) {
    case TOddFile::Fifo:
        return ::mkfifo(name.constData(), 0600) == 0;
    case TOddFile::Folder:
        return QDir().mkdir(path);
    case TOddFile::Oversize:
    case TOddFile::LargeDocument: {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) &&
               file.resize((kind == TOddFile::Oversize ? MaxReadFileBytes : MaxDocumentFileBytes) +
                           1);
    }
    }
    return false;
}

// A reader that waits in open() for a writer of the FIFO would hang the test:
// after the delay this opens the FIFO for writing and closes it again, so such
// a reader sees an empty file and the test fails instead. A reader that never
// opens the FIFO leaves it alone (no writer can open a FIFO without a reader).
class TFifoReaderWatchdog {
public:
    explicit TFifoReaderWatchdog(const QString &path,
                                 std::chrono::milliseconds delay = std::chrono::seconds(3))
        : path_(QFile::encodeName(path)), thread_([this, delay] { Run(delay); }) {}
    ~TFifoReaderWatchdog() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    TFifoReaderWatchdog(const TFifoReaderWatchdog &) = delete;
    TFifoReaderWatchdog &operator=(const TFifoReaderWatchdog &) = delete;

    // True when some reader had to be let go.
    bool Fired() const { return fired_; }

private:
    void Run(std::chrono::milliseconds delay) {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, delay, [this] { return stop_; }))
            return;
        // Again and again: a reader may open the name more than once.
        while (!wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stop_; })) {
            const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                fired_ = true;
                ::close(fd);
            }
        }
    }

    QByteArray path_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};
