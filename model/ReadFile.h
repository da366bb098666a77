// The one way every reader takes a file in. A name typed into a file dialog can
// be anything: a FIFO would block open() until some writer came, a device or
// /proc file never ends, a huge file takes all memory before the parser even
// starts. So the name is looked at first, opened without waiting, and read with
// a bound; whatever is refused gets a message that names the file and says why.
#pragma once

#include <QByteArray>
#include <QString>

// The largest file read. A problem of 10 criteria and 100,000 alternatives is
// about 38 MB and its DOM takes some ten times its text while it is parsed:
// 256 MiB is nearly seven times that problem and still parses in a few GB. A
// larger file is no problem, result, report or picture this program wrote.
constexpr qint64 MaxReadFileBytes = qint64(256) << 20;

// Empty when the name (links followed) is a regular file of at most maxBytes;
// otherwise the reason, naming the file.
QString CheckReadFile(const QString &fileName, qint64 maxBytes = MaxReadFileBytes);

// The whole file, after CheckReadFile, opened without blocking and read with the
// same bound (the file may have grown since). False with the reason in error.
bool ReadWholeFile(const QString &fileName, QByteArray &bytes, QString &error,
                   qint64 maxBytes = MaxReadFileBytes);

// The file's name as messages show it, in double quotes.
QString QuotedFileName(const QString &fileName);
// A line that names the file, for the end of a reader's own message.
QString FileNameLine(const QString &fileName);
// The message for a file of size bytes above maxBytes.
QString TooLarge(const QString &fileName, qint64 size, qint64 maxBytes);
