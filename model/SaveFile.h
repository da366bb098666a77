// Replacing a file so that the user's file stays as it was until the new one
// has been written whole: the way every writer of the program saves.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

// The new bytes go to a file beside the target (links followed as the system
// follows them), are flushed, checked and synced, get the old file's owner,
// group and mode (a new file gets 0666 less the umask), and only then take the
// target's place in one rename. Any failure leaves the target as it was and
// nothing beside it; ErrorString() then gives the system's reason.
//
// A target that is not a regular file (a folder, FIFO, device or socket) is
// refused without opening it. When the folder takes no new file but the
// target may be written, the target is written in place and checked; a
// failed write puts the old bytes back.
class TSaveFile {
public:
    explicit TSaveFile(const QString &target);
    ~TSaveFile();
    TSaveFile(const TSaveFile &) = delete;
    TSaveFile &operator=(const TSaveFile &) = delete;

    // The file as named, and the file that is replaced (links resolved).
    QString Target() const { return target_; }
    QString Replaced() const;

    // Makes the new file; false when the target can not be replaced.
    bool Open();
    // The new file's name, for a writer that writes by name (a printer).
    // Valid after Open; a new file it leaves empty is a failure.
    QString FileName();
    // Appends to the new file.
    bool Write(const QByteArray &bytes);
    // Checks, syncs and puts the new file in the target's place.
    bool Commit();
    // Drops the new file; the target stays.
    void Discard();

    // Why the last step failed ("No space left on device").
    QString ErrorString() const { return error_; }
    // For a file written by name that turned out cut short: the reason the
    // system gives for writing more to it, or a plain statement.
    QString WhyCutShort();

    // Whole-file convenience: the reason in `error` on failure.
    static bool WriteFile(const QString &target, const QByteArray &bytes, QString *error = nullptr);

private:
    friend class TSaveFiles;
    bool Finish();
    bool Place();
    bool Fail(int error);
    bool Fail(const QString &why);
    bool WriteInPlace(const QByteArray &bytes);
    // Writes back what an in-place write replaced.
    bool PutBack();

    QString target_;
    QByteArray replaced_;   // the file replaced, links resolved
    QByteArray part_;       // the new file beside it (or the staging file of an in-place write)
    int fd_ = -1;           // the new file, while written through Write
    qint64 written_ = 0;    // bytes given to Write
    bool byName_ = false;   // FileName() was handed out
    bool exists_ = false;   // the target was there
    bool inPlace_ = false;  // the folder takes no new file: the target is rewritten
    bool finished_ = false; // checked and synced, waiting for its place
    QByteArray inPlaceBytes_;
    QByteArray previous_; // what an in-place write replaced
    unsigned ownerUid_ = 0, ownerGid_ = 0, mode_ = 0;
    QString error_;
};

// Writes `bytes` into the file `name` (made, or emptied first) as it is: for
// files of the program's own, such as a TSaveFile's new file handed out by
// name. False with the system's reason in `error`.
bool WriteFileAsItIs(const QString &name, const QByteArray &bytes, QString *error = nullptr);

// Several files saved as one (a page and its pictures): every new file is
// written whole beside its target before any takes its place; when one
// fails, none of the targets changes and nothing new is left.
class TSaveFiles {
public:
    void Add(const QString &target, const QByteArray &bytes);
    bool Commit();
    // The file that failed and why.
    QString FailedFile() const { return failedFile_; }
    QString ErrorString() const { return error_; }

private:
    std::vector<std::pair<QString, QByteArray>> files_;
    QString failedFile_;
    QString error_;
};
