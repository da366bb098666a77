// The one way every reader takes a file in. A name typed into a file dialog can
// be anything: a FIFO would block open() until some writer came, a device or
// /proc file never ends, a huge file takes all memory before the parser even
// starts. So the name is looked at first, opened without waiting, and read with
// a bound; whatever is refused gets a message that names the file and says why.
#pragma once

#include <QByteArray>
#include <QString>

// The largest file read. The text files (".fun", ".crt") are held as lines of
// text, some four times their size, so a file at the bound takes about 1 GB;
// a saved report of 10,000 alternatives is 52 MB, and pictures decode under
// the image reader's own allocation limit. Real files of all of them are far
// smaller; a larger one is nothing this program wrote.
constexpr qint64 MaxReadFileBytes = qint64(256) << 20;

// The largest problem or result document read. The DOM holds some 60 bytes
// for each byte of the file: a problem of 10 criteria and 100,000
// alternatives (38 to 62 MB, as its names and values run) takes 2.4 to 3.9 GB
// while it loads. 96 MiB is 2.5 times the first and still loads in about 6 GB;
// past it the load would take more memory than a desktop gives one program.
constexpr qint64 MaxDocumentFileBytes = qint64(96) << 20;

// Empty when the name (links followed) is a regular file of at most maxBytes;
// otherwise the reason, naming the file.
QString CheckReadFile(const QString &fileName, qint64 maxBytes = MaxReadFileBytes);

// The whole file, after CheckReadFile, opened without blocking and read with the
// same bound (the file may have grown since). False with the reason in error.
bool ReadWholeFile(const QString &fileName, QByteArray &bytes, QString &error,
                   qint64 maxBytes = MaxReadFileBytes);

// What a name that is not a regular file stands for ("a FIFO (named pipe)",
// "a folder", ...), from its stat() mode; empty for a regular file.
QString FileKind(unsigned mode);

// The file's name as messages show it, in double quotes.
QString QuotedFileName(const QString &fileName);
// A line that names the file, for the end of a reader's own message.
QString FileNameLine(const QString &fileName);
// The message for a file of size bytes above maxBytes.
QString TooLarge(const QString &fileName, qint64 size, qint64 maxBytes);
