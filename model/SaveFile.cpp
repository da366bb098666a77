#include "model/SaveFile.h"
#include "model/ReadFile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The modes a file created now gets: 0666 less the umask. The kernel reports
// the umask without changing it; setting it to read it is a fallback only,
// as other threads may create files meanwhile.
mode_t NewFileMode() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return 0666 & ~mode_t(mask);
            }
        }
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The folder and the name of a path ("." for a bare name).
void Split(const QByteArray &path, QByteArray &folder, QByteArray &name) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? QByteArray("/") : path.left(slash);
        name = path.mid(slash + 1);
    }
}

// The file `path` names once its links are followed as the system follows
// them: the folder through realpath(), then a link's text relative to that
// real folder, never to the path as written. 0 or the error.
int Resolve(const QByteArray &path, QByteArray &file) {
    QByteArray current = path;
    for (int hops = 0; hops < 40; ++hops) {
        QByteArray folder, name;
        Split(current, folder, name);
        char real[PATH_MAX];
        if (!::realpath(folder.constData(), real))
            return errno;
        QByteArray full(real);
        if (!full.endsWith('/'))
            full += '/';
        full += name;
        struct stat st {};
        if (::lstat(full.constData(), &st) != 0) {
            if (errno != ENOENT)
                return errno;
            file = full; // a new file
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            file = full;
            return 0;
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(full.constData(), link, sizeof link - 1);
        if (length < 0)
            return errno;
        const QByteArray text(link, length);
        current = text.startsWith('/') ? text : QByteArray(real) + '/' + text;
    }
    return ELOOP;
}

// A name beside `name` for the new file that fits wherever `name` fits: the
// stem is shortened (on a character's boundary) to leave room.
QByteArray PartName(const QByteArray &folder, const QByteArray &name) {
    long most = ::pathconf(folder.constData(), _PC_NAME_MAX);
    if (most <= 0)
        most = 255;
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix = ".";
    for (int i = 0; i < 6; ++i)
        suffix += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    suffix += ".part";
    qsizetype room = qsizetype(most) - 1 - suffix.size();
    QByteArray stem = name;
    if (stem.size() > room) {
        while (room > 0 && (uchar(stem[room]) & 0xC0) == 0x80)
            --room;
        stem.truncate(std::max<qsizetype>(room, 0));
    }
    return folder + (folder.endsWith('/') ? "" : "/") + '.' + stem + suffix;
}

// Writes all of `bytes` at `offset`; 0 or the error.
int WriteAll(int fd, const QByteArray &bytes, off_t offset) {
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(left), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        left -= n;
        offset += n;
    }
    return 0;
}

int ReadAll(int fd, QByteArray &bytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    bytes.resize(qsizetype(st.st_size));
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    return 0;
}

} // namespace

TSaveFile::TSaveFile(const QString &target) : target_(target) {}

TSaveFile::~TSaveFile() {
    Discard();
}

QString TSaveFile::Replaced() const {
    return QFile::decodeName(replaced_);
}

QString TSaveFile::FileName() {
    byName_ = true;
    if (inPlace_ && part_.isEmpty()) {
        // Written in place later: the writer's bytes wait in a private file.
        QByteArray name = QFile::encodeName(QDir::tempPath()) + "/.save-XXXXXX";
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            error_ = Reason(errno);
            return QString();
        }
        ::close(fd);
        part_ = name;
    }
    return QFile::decodeName(part_);
}

bool TSaveFile::Fail(int error) {
    return Fail(Reason(error));
}

bool TSaveFile::Fail(const QString &why) {
    error_ = why;
    Discard();
    return false;
}

bool TSaveFile::Open() {
    Discard();
    error_.clear();
    if (target_.isEmpty())
        return Fail(ENOENT);
    if (const int error = Resolve(QFile::encodeName(target_), replaced_))
        return Fail(error);
    struct stat st {};
    exists_ = ::stat(replaced_.constData(), &st) == 0;
    if (exists_) {
        // Never opened: a FIFO would wait for a reader, a device never end.
        if (!S_ISREG(st.st_mode))
            return Fail(
                QStringLiteral("It is not a regular file but %1.").arg(FileKind(st.st_mode)));
        // A file the user may not write is not replaced behind its back.
        const int fd = ::open(replaced_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return Fail(errno);
        ::close(fd);
        ownerUid_ = st.st_uid;
        ownerGid_ = st.st_gid;
        mode_ = st.st_mode & 07777;
    } else {
        mode_ = NewFileMode();
    }
    QByteArray folder, name;
    Split(replaced_, folder, name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray part = PartName(folder, name);
        fd_ = ::open(part.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            part_ = part;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    if (!exists_ || (error != EACCES && error != EPERM))
        return Fail(error);
    // The folder takes no new file but the file may be written: it is
    // rewritten in place, from bytes kept aside until then.
    inPlace_ = true;
    return true;
}

bool TSaveFile::Write(const QByteArray &bytes) {
    if (inPlace_) {
        inPlaceBytes_ += bytes;
        written_ += bytes.size();
        return true;
    }
    if (fd_ < 0)
        return Fail(EBADF);
    if (const int error = WriteAll(fd_, bytes, off_t(written_)))
        return Fail(error);
    written_ += bytes.size();
    return true;
}

QString TSaveFile::WhyCutShort() {
    if (!part_.isEmpty()) {
        const int fd = ::open(part_.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd >= 0) {
            const ssize_t n = ::write(fd, "\n", 1);
            const int error = errno;
            ::close(fd);
            if (n < 0)
                return Reason(error);
        }
    }
    return QStringLiteral("The file was not written whole");
}

bool TSaveFile::Finish() {
    if (finished_)
        return true;
    if (byName_) {
        // The writer wrote by name: take what it left.
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = ::open(part_.constData(), O_RDWR | O_CLOEXEC);
        if (fd_ < 0)
            return Fail(errno);
        struct stat st {};
        if (::fstat(fd_, &st) != 0)
            return Fail(errno);
        if (st.st_size == 0)
            return Fail(QStringLiteral("The file was not written whole"));
        if (inPlace_) {
            QByteArray bytes;
            if (const int error = ReadAll(fd_, bytes))
                return Fail(error);
            inPlaceBytes_ = bytes;
            written_ = bytes.size();
            ::close(fd_);
            fd_ = -1;
            ::unlink(part_.constData());
            part_.clear();
        } else {
            written_ = st.st_size;
        }
    }
    if (inPlace_) {
        finished_ = true;
        return true;
    }
    if (fd_ < 0)
        return Fail(EBADF);
    if (::fsync(fd_) != 0)
        return Fail(errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return Fail(errno);
    if (qint64(st.st_size) != written_)
        return Fail(QStringLiteral("The file was not written whole"));
    if (exists_) {
        // The owner where the system lets us, else the group alone.
        if (::fchown(fd_, ownerUid_, ownerGid_) != 0)
            (void)::fchown(fd_, uid_t(-1), ownerGid_);
    }
    if (::fchmod(fd_, mode_t(mode_)) != 0)
        return Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return Fail(errno);
    finished_ = true;
    return true;
}

bool TSaveFile::WriteInPlace(const QByteArray &bytes) {
    const int fd = ::open(replaced_.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail(errno);
    QByteArray old;
    int error = ReadAll(fd, old);
    if (error) {
        ::close(fd);
        return Fail(error);
    }
    struct stat st {};
    error = WriteAll(fd, bytes, 0);
    if (!error && ::ftruncate(fd, off_t(bytes.size())) != 0)
        error = errno;
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (!error && (::fstat(fd, &st) != 0 || qint64(st.st_size) != bytes.size()))
        error = EIO;
    if (!error && ::close(fd) != 0)
        return Fail(errno);
    if (!error) {
        previous_ = old;
        return true;
    }
    // The old bytes go back where they were; they fitted before.
    const bool restored =
        WriteAll(fd, old, 0) == 0 && ::ftruncate(fd, off_t(old.size())) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    return Fail(Reason(error) + (restored ? QStringLiteral("; the old contents were written back")
                                          : QStringLiteral("; the old contents could not be "
                                                           "written back")));
}

bool TSaveFile::PutBack() {
    const int fd = ::open(replaced_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, previous_, 0) == 0 &&
                    ::ftruncate(fd, off_t(previous_.size())) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool TSaveFile::Place() {
    if (!finished_)
        return Fail(EBADF);
    if (inPlace_) {
        const QByteArray bytes = inPlaceBytes_;
        inPlaceBytes_.clear();
        const bool ok = WriteInPlace(bytes);
        finished_ = false;
        return ok;
    }
    if (std::rename(part_.constData(), replaced_.constData()) != 0)
        return Fail(errno);
    part_.clear();
    finished_ = false;
    // The rename itself lasts once the folder is synced.
    QByteArray folder, name;
    Split(replaced_, folder, name);
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool TSaveFile::Commit() {
    if (part_.isEmpty() && !inPlace_)
        return Fail(error_.isEmpty() ? Reason(EBADF) : error_);
    return Finish() && Place();
}

void TSaveFile::Discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!part_.isEmpty())
        ::unlink(part_.constData());
    part_.clear();
    written_ = 0;
    inPlace_ = false;
    finished_ = false;
    inPlaceBytes_.clear();
}

bool TSaveFile::WriteFile(const QString &target, const QByteArray &bytes, QString *error) {
    TSaveFile file(target);
    const bool ok = file.Open() && file.Write(bytes) && file.Commit();
    if (!ok && error)
        *error = file.ErrorString();
    return ok;
}

bool WriteFileAsItIs(const QString &name, const QByteArray &bytes, QString *error) {
    const int fd = ::open(QFile::encodeName(name).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0600);
    int code = fd < 0 ? errno : WriteAll(fd, bytes, 0);
    if (fd >= 0 && ::close(fd) != 0 && !code)
        code = errno;
    if (code && error)
        *error = Reason(code);
    return !code;
}

void TSaveFiles::Add(const QString &target, const QByteArray &bytes) {
    files_.emplace_back(target, bytes);
}

bool TSaveFiles::Commit() {
    failedFile_.clear();
    error_.clear();
    std::vector<std::unique_ptr<TSaveFile>> files;
    for (const auto &[target, bytes] : files_) {
        auto file = std::make_unique<TSaveFile>(target);
        if (!file->Open() || !file->Write(bytes) || !file->Finish()) {
            failedFile_ = target;
            error_ = file->ErrorString();
            return false; // every new file goes with `files`
        }
        files.push_back(std::move(file));
    }
    // Each old file gets a second name first, so that when a later file
    // still fails to take its place, the ones already replaced go back.
    struct TPlaced {
        TSaveFile *File;
        QByteArray Backup; // empty: the file is new, or it can have no second name
    };
    std::vector<TPlaced> placed;
    auto undo = [&placed] {
        for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
            const QByteArray &target = it->File->replaced_;
            if (it->File->inPlace_)
                it->File->PutBack();
            else if (!it->Backup.isEmpty())
                std::rename(it->Backup.constData(), target.constData());
            else if (!it->File->exists_)
                ::unlink(target.constData());
        }
    };
    // Files written in place go last: they are the ones that may still fail.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto &file : files) {
            if (file->inPlace_ != (pass == 1))
                continue;
            QByteArray backup;
            if (file->exists_ && !file->inPlace_) {
                QByteArray folder, name;
                Split(file->replaced_, folder, name);
                backup = PartName(folder, name);
                if (::link(file->replaced_.constData(), backup.constData()) != 0)
                    backup.clear();
            }
            if (!file->Place()) {
                if (!backup.isEmpty())
                    ::unlink(backup.constData());
                undo();
                failedFile_ = file->Target();
                error_ = file->ErrorString();
                return false;
            }
            placed.push_back({file.get(), backup});
        }
    }
    for (const TPlaced &done : placed) {
        if (!done.Backup.isEmpty())
            ::unlink(done.Backup.constData());
    }
    return true;
}
