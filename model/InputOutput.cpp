#include "model/InputOutput.h"
#include "model/DecisionModel.h"
#include "model/ReadFile.h"

#include <QStringDecoder>
#include <cmath>

namespace {
// Characters of the x field of a point line; u follows to the end of the line.
constexpr qsizetype PointXWidth = 17;
// Characters of one k on the k line.
constexpr qsizetype SmallKWidth = 4;
// Lines of a ".fun" block before its points: name, units, type, Min, Max,
// decimals, method, Used and the point count.
constexpr qsizetype FunBlockHead = 9;
// Lines of a ".crt" block that are read (the eighth is a separator).
constexpr qsizetype CrtBlockLines = 7;
QString ConvertionError() {
    return QStringLiteral("Convertion error");
}
// With the text that did not convert, cut short for the message box.
QString ConvertionError(const QString &text) {
    return ConvertionError() + QStringLiteral(": \"%1\"").arg(TXML::ShownValue(text));
}
QString UnexpectedEnd() {
    return QStringLiteral("Unexpected end of file");
}
QString TooFewPoints() {
    return QStringLiteral("Too few points");
}
QString WrongPoint() {
    return QStringLiteral("Wrong point");
}
QString TooManyCriteria() {
    return QStringLiteral("Too many criteria: a problem can have at most %1").arg(MaxCriteria);
}

bool IsBlank(QChar c) {
    return c.unicode() <= ' ';
}

QString TrimLeftBlanks(const QString &text) {
    qsizetype first = 0;
    while (first < text.size() && IsBlank(text.at(first)))
        ++first;
    return text.mid(first);
}

QString TrimBlanks(const QString &text) {
    QString result = TrimLeftBlanks(text);
    qsizetype end = result.size();
    while (end > 0 && IsBlank(result.at(end - 1)))
        --end;
    result.truncate(end);
    return result;
}

// A whole-line integer: optional sign and decimal digits, no blanks around.
bool ToInteger(const QString &text, int &value) {
    if (text.isEmpty() || IsBlank(text.front()) || IsBlank(text.back()))
        return false;
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (ok)
        value = v;
    return ok;
}

// Reads lines by index and records the first failure with its 1-based line.
struct TLineReader {
    const QStringList &Lines;
    QString &Message;
    int FailedLine = TINPUT_OUTPUT::ReadOk;

    bool Fail(qsizetype index, const QString &text) {
        FailedLine = int(index + 1);
        Message = text;
        return false;
    }
    bool Integer(qsizetype index, int &value) {
        return ToInteger(Lines.at(index), value) || Fail(index, ConvertionError(Lines.at(index)));
    }
    bool Number(qsizetype index, const QString &text, double &value) {
        return TXML::FileTextToNumber(text, value) || Fail(index, ConvertionError(text));
    }
    // A number of the criterion's scale: no larger than MaxMagnitude.
    bool ScaleNumber(qsizetype index, const QString &text, double &value) {
        if (!Number(index, text, value))
            return false;
        return std::abs(value) <= TINPUT_OUTPUT::MaxMagnitude ||
               Fail(index,
                    QStringLiteral("Number too large: \"%1\" (the largest size is %2)")
                        .arg(text.trimmed(), TXML::NumberToFileText(TINPUT_OUTPUT::MaxMagnitude)));
    }
};

// Name, units, type, range, decimals and method of the block at line s, which
// both formats share.
bool ReadCriterionHead(TLineReader &r, qsizetype s, const std::vector<TPROBLEM> &read,
                       TPROBLEM &c) {
    c.Name = r.Lines.at(s).left(MaxCriterionNameLength);
    if (TINPUT_OUTPUT::NameInList(read, c.Name))
        return r.Fail(s, QStringLiteral("Criterion with name \"%1\" already exists").arg(c.Name));
    c.Units = r.Lines.at(s + 1);

    const QString &type = r.Lines.at(s + 2);
    if (type.compare(QLatin1String("Cost"), Qt::CaseInsensitive) == 0)
        c.Cost = true;
    else if (type.compare(QLatin1String("Gain"), Qt::CaseInsensitive) == 0)
        c.Cost = false;
    else
        return r.Fail(s + 2, QStringLiteral("Cost or Gain expected"));

    if (!r.ScaleNumber(s + 3, TrimBlanks(r.Lines.at(s + 3)), c.Min) ||
        !r.ScaleNumber(s + 4, TrimBlanks(r.Lines.at(s + 4)), c.Max))
        return false;
    if (!(c.Max > c.Min))
        return r.Fail(s + 4, QStringLiteral("Max value must be greater then Min value"));

    if (!r.Integer(s + 5, c.Decimals))
        return false;
    if (c.Decimals < 0)
        return r.Fail(s + 5, QStringLiteral("Decimals value must be greater or equal 0"));
    if (!DecimalsInRange(c.Decimals))
        return r.Fail(s + 5, DecimalsTooLarge());
    if (!r.Integer(s + 6, c.Method))
        return false;
    if (c.Method < 1 || c.Method > 4)
        return r.Fail(s + 6,
                      QStringLiteral("Method number must be integer number between 1 and 4"));
    return true;
}

// The points of a ".fun" block: the first at (Min, worst utility), the last at
// (Max, best utility), every one inside the range and accepted by AddPoint.
bool ReadFunPoints(TLineReader &r, qsizetype first, int count, TPROBLEM &c) {
    const double worst = c.Cost ? 1.0 : 0.0;
    const double best = c.Cost ? 0.0 : 1.0;
    for (int j = 0; j < count; ++j) {
        const qsizetype index = first + j;
        const QString &line = r.Lines.at(index);
        double x = 0.0;
        double u = 0.0;
        if (!r.ScaleNumber(index, line.left(PointXWidth), x) ||
            !r.Number(index, line.mid(PointXWidth), u))
            return false;
        if (x < c.Min || x > c.Max || !c.AddPoint(x, u))
            return r.Fail(index, WrongPoint());
        if (j == 0 && (x != c.Min || u != worst))
            return r.Fail(index, WrongPoint());
        if (j == count - 1 && (x != c.Max || u != best))
            return r.Fail(index, WrongPoint());
    }
    return true;
}

// One k per criterion, each in SmallKWidth characters after any blanks.
bool ReadSmallK(TLineReader &r, qsizetype index, std::vector<TPROBLEM> &read) {
    QString rest = r.Lines.at(index);
    for (TPROBLEM &c : read) {
        rest = TrimLeftBlanks(rest);
        if (!r.Number(index, rest.left(SmallKWidth), c.SmallK))
            return false;
        if (c.SmallK < 0.0 || c.SmallK > 1.0)
            return r.Fail(index, QStringLiteral("k value must be between 0 and 1"));
        rest = rest.mid(SmallKWidth);
    }
    return true;
}

// Loads the file: ReadOk, or with a message 0 for a file without lines and
// NotRead for one that cannot be read.
int LoadLines(const QString &fileName, QStringList &lines, QString &message) {
    if (!ReadTextLines(fileName, lines, message))
        return TINPUT_OUTPUT::NotRead;
    if (lines.isEmpty()) {
        message = QStringLiteral("Empty file!");
        return 0;
    }
    return TINPUT_OUTPUT::ReadOk;
}
} // namespace

char16_t Windows1250Char(unsigned char byte) {
    // Bytes 0x80 to 0xFF; the five that the code page leaves unassigned show as
    // the replacement character rather than as an invisible control.
    static constexpr char16_t High[128] = {
        0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, // 80
        0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
        0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
        0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
        0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
        0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
        0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
        0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
        0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
        0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
        0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
        0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
        0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
        0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
        0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
        0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
    };
    return byte < 0x80 ? char16_t(byte) : High[byte - 0x80];
}

QString FromWindows1250(const QByteArray &bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        *out++ = QChar(Windows1250Char(static_cast<unsigned char>(b)));
    }
    return text;
}

QStringList SplitTextLines(const QString &text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

bool ReadTextLines(const QString &fileName, QStringList &lines) {
    QString error;
    return ReadTextLines(fileName, lines, error);
}

bool ReadTextLines(const QString &fileName, QStringList &lines, QString &error) {
    lines.clear();
    QByteArray bytes;
    if (!ReadWholeFile(fileName, bytes, error))
        return false;
    // Old files were written in the Windows code page of their machine, which for
    // this program's users is windows-1250; only valid UTF-8 is read as such.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = FromWindows1250(bytes);
    lines = SplitTextLines(text);
    return true;
}

bool TINPUT_OUTPUT::NameInList(const std::vector<TPROBLEM> &list, const QString &name) {
    return CriterionNameExists(list, name);
}

int TINPUT_OUTPUT::CheckFunFile(const QStringList &lines, QString &message) {
    if (lines.isEmpty()) {
        message = UnexpectedEnd();
        return -1;
    }
    int n = 0;
    if (!ToInteger(lines.at(0), n)) {
        message = ConvertionError(lines.at(0));
        return 0;
    }
    // Index of the current block's last point line; each block is at least ten
    // lines long, so the walk ends within the file even for a huge count.
    qint64 pos = 0;
    for (int i = 0; i < n; ++i) {
        pos += FunBlockHead + 1;
        if (pos >= lines.size()) {
            message = UnexpectedEnd();
            return -1;
        }
        int points = 0;
        if (!ToInteger(lines.at(pos), points)) {
            message = ConvertionError(lines.at(pos));
            return int(pos);
        }
        // A negative count would walk back into earlier blocks.
        if (points < 0) {
            message = TooFewPoints();
            return int(pos);
        }
        pos += points;
    }
    // Separator, K line and k line after the last point line.
    if (lines.size() < pos + 4) {
        message = UnexpectedEnd();
        return -1;
    }
    return ReadOk;
}

int TINPUT_OUTPUT::ReadFunFile(const QString &fileName, std::vector<TPROBLEM> &criteria,
                               QString &message) {
    criteria.clear();
    QStringList lines;
    if (const int loaded = LoadLines(fileName, lines, message); loaded != ReadOk)
        return loaded;
    const int check = CheckFunFile(lines, message);
    // A file cut short is reported at the line where it ends.
    if (check == -1)
        return int(lines.size());
    if (check != ReadOk)
        return check + 1;

    TLineReader r{lines, message};
    int n = 0;
    if (!r.Integer(0, n))
        return r.FailedLine;
    if (n < 1) {
        message = QStringLiteral("File must have minimum one criterion");
        return 1;
    }

    // Read aside so that a failure leaves the caller nothing half imported.
    std::vector<TPROBLEM> read;
    qsizetype s = 2;
    for (int i = 0; i < n; ++i) {
        if (i == MaxCriteria) {
            r.Fail(s, TooManyCriteria());
            return r.FailedLine;
        }
        TPROBLEM c;
        c.AttrID = QStringLiteral("Attr%1").arg(i);
        c.Id = i;
        int used = 0;
        int points = 0;
        if (!ReadCriterionHead(r, s, read, c) || !r.Integer(s + 7, used) ||
            !r.Integer(s + 8, points))
            return r.FailedLine;
        c.Used = used == 1;
        if (points < 2) {
            r.Fail(s + 8, TooFewPoints());
            return r.FailedLine;
        }
        if (!ReadFunPoints(r, s + FunBlockHead, points, c))
            return r.FailedLine;
        read.push_back(c);
        s += FunBlockHead + points + 1;
    }

    double k = 0.0;
    if (!r.Number(s, lines.at(s), k) || !ReadSmallK(r, s + 1, read))
        return r.FailedLine;
    criteria = std::move(read);
    FactorK = k;
    return ReadOk;
}

int TINPUT_OUTPUT::ReadCrtFile(const QString &fileName, std::vector<TPROBLEM> &criteria,
                               QString &message) {
    criteria.clear();
    QStringList lines;
    if (const int loaded = LoadLines(fileName, lines, message); loaded != ReadOk)
        return loaded;

    TLineReader r{lines, message};
    std::vector<TPROBLEM> read;
    int i = 0;
    for (qsizetype s = 0; s < lines.size(); s += CrtBlockLines + 1, ++i) {
        if (i == MaxCriteria) {
            r.Fail(s, TooManyCriteria());
            return r.FailedLine;
        }
        if (s + CrtBlockLines > lines.size()) {
            message = UnexpectedEnd();
            return int(lines.size());
        }
        TPROBLEM c;
        c.AttrID = QStringLiteral("Attr%1").arg(i + 1);
        c.Id = i;
        c.Used = true;
        if (!ReadCriterionHead(r, s, read, c))
            return r.FailedLine;
        c.Init(c.Min, c.Max);
        read.push_back(c);
    }
    criteria = std::move(read);
    return ReadOk;
}
