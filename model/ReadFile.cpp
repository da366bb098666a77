#include "model/ReadFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SizeText(qint64 bytes) {
    return QStringLiteral("%1 (%2 bytes)")
        .arg(QLocale::c().formattedDataSize(bytes, 1), QString::number(bytes));
}

QString SystemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

QString CannotOpen(const QString &fileName, int code) {
    return QStringLiteral("Can't open %1: %2.").arg(QuotedFileName(fileName), SystemError(code));
}

} // namespace

QString FileKind(unsigned mode) {
    if (S_ISREG(mode))
        return QString();
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO (named pipe)");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    return QStringLiteral("no file that holds data");
}

namespace {

QString Refusal(const QString &fileName, const struct stat &info, qint64 maxBytes) {
    const QString kind = FileKind(info.st_mode);
    if (!kind.isEmpty())
        return QStringLiteral("%1 is not a regular file: it is %2.")
            .arg(QuotedFileName(fileName), kind);
    if (info.st_size > maxBytes)
        return TooLarge(fileName, info.st_size, maxBytes);
    return QString();
}

} // namespace

QString TooLarge(const QString &fileName, qint64 size, qint64 maxBytes) {
    return QStringLiteral("%1 is too large to read: %2; the largest file read is %3.")
        .arg(QuotedFileName(fileName), SizeText(size), SizeText(maxBytes));
}

QString QuotedFileName(const QString &fileName) {
    return QLatin1Char('"') + QDir::toNativeSeparators(fileName) + QLatin1Char('"');
}

QString FileNameLine(const QString &fileName) {
    return QStringLiteral("\nFile: ") + QuotedFileName(fileName);
}

QString CheckReadFile(const QString &fileName, qint64 maxBytes) {
    if (fileName.isEmpty())
        return QStringLiteral("No file name was given.");
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return CannotOpen(fileName, errno);
    return Refusal(fileName, info, maxBytes);
}

bool ReadWholeFile(const QString &fileName, QByteArray &bytes, QString &error, qint64 maxBytes) {
    bytes.clear();
    error = CheckReadFile(fileName, maxBytes);
    if (!error.isEmpty())
        return false;
    // Not waiting: should the name have become a FIFO since the check, open()
    // must not sit there until some writer comes.
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = CannotOpen(fileName, errno);
        return false;
    }
    const auto done = [fd](bool ok) {
        ::close(fd);
        return ok;
    };
    // What was opened is what counts.
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = CannotOpen(fileName, errno);
        return done(false);
    }
    error = Refusal(fileName, info, maxBytes);
    if (!error.isEmpty())
        return done(false);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    // One byte past the bound tells a file that grew beyond it.
    const qint64 limit = maxBytes + 1;
    bytes.reserve(qsizetype(std::min<qint64>(info.st_size, maxBytes)) + 1);
    constexpr qint64 Chunk = qint64(1) << 20;
    for (;;) {
        const qint64 want = std::min(Chunk, limit - qint64(bytes.size()));
        if (want <= 0)
            break;
        const qsizetype start = bytes.size();
        bytes.resize(start + qsizetype(want));
        const ssize_t got = ::read(fd, bytes.data() + start, size_t(want));
        const int code = errno;
        if (got < 0) {
            bytes.resize(start);
            if (code == EINTR)
                continue;
            error = QStringLiteral("Can't read %1: %2.")
                        .arg(QuotedFileName(fileName), SystemError(code));
            bytes.clear();
            return done(false);
        }
        bytes.resize(start + qsizetype(got));
        if (got == 0)
            break;
    }
    if (bytes.size() > maxBytes) {
        error = TooLarge(fileName, bytes.size(), maxBytes);
        bytes.clear();
        return done(false);
    }
    return done(true);
}
