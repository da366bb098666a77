// The document holder with the importers of the old ".fun" and ".crt" text files.
#pragma once

#include "model/Problem.h"
#include "model/Xml.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class TINPUT_OUTPUT : public TXML {
public:
    TINPUT_OUTPUT() = default;

    // Result of a read that succeeded (and of a ".fun" layout that has all its lines).
    static constexpr int ReadOk = -2;
    // Result of a file that could not be read at all (missing, no regular file, too
    // large): no line is at fault, and the message names the file.
    static constexpr int NotRead = -3;
    // The largest size of a range end, a point or K a file may give: the chart
    // scales by the range and shows values as fixed decimals of 15 significant
    // digits; near 1e308 the range itself overflows and every utility becomes
    // inf or NaN.
    static constexpr double MaxMagnitude = 1e15;

    // Import a function file: criteria with their utility functions, K and the k.
    // Returns ReadOk, NotRead, or the 1-based number of the failing line (0 for an
    // empty file, the last line for one cut short) with message set. The criteria come
    // back only on success; on failure criteria is empty and FactorK keeps its value.
    static int ReadFunFile(const QString &fileName, std::vector<TPROBLEM> &criteria,
                           QString &message);
    // Import a criteria file: criteria with their end points only. Returns ReadOk,
    // NotRead, or a 1-based line number (0 for an empty file, the last line for a block cut
    // short) with message set; on failure criteria is empty.
    static int ReadCrtFile(const QString &fileName, std::vector<TPROBLEM> &criteria,
                           QString &message);

    // Walks the ".fun" layout by its counts so that the reader never indexes past
    // the end. ReadOk when every line is there; otherwise the 0-based index of a
    // line that cannot be taken, or -1 for missing lines, with message set.
    static int CheckFunFile(const QStringList &lines, QString &message);

    // True when a criterion of the list has exactly this name.
    static bool NameInList(const std::vector<TPROBLEM> &list, const QString &name);

    static QString DotToLocale(const QString &text) { return ::DotToLocale(text); }
};

// The lines of a text file; LF, CRLF and lone CR all end a line and a final line
// break adds no empty line. UTF-8 text is taken as such (a byte order mark is
// dropped), anything else as windows-1250. False when the file cannot be read,
// with the reason in error.
bool ReadTextLines(const QString &fileName, QStringList &lines);
bool ReadTextLines(const QString &fileName, QStringList &lines, QString &error);
// The same split for text already in memory.
QStringList SplitTextLines(const QString &text);
// Text in the windows-1250 code page.
QString FromWindows1250(const QByteArray &bytes);
// The character a windows-1250 byte stands for; U+FFFD for the five bytes
// that stand for none.
char16_t Windows1250Char(unsigned char byte);
