// Import of the old ".fun" and ".crt" text files: layouts, messages with their
// lines, line ends and locales.
#include "model/DecisionModel.h"
#include "model/InputOutput.h"
#include "model/Loading.h"
#include "tests/TestSupport.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString DataDir = QStringLiteral(VR_TEST_DATA "/import/");

// The reader the Load Problem command would choose for the file.
int Import(const QString &path, std::vector<TPROBLEM> &criteria, QString &message) {
    if (path.endsWith(QLatin1String(".crt")))
        return TINPUT_OUTPUT::ReadCrtFile(path, criteria, message);
    return TINPUT_OUTPUT::ReadFunFile(path, criteria, message);
}

// One line per criterion with every field the importers fill.
QString Summary(const std::vector<TPROBLEM> &criteria) {
    QStringList rows;
    for (const TPROBLEM &c : criteria) {
        QStringList points;
        for (const TFuncPoint &p : c.Points)
            points << QStringLiteral("(%1,%2)").arg(p.x).arg(p.u);
        rows << QStringLiteral("%1|%2|%3|%4|%5|%6..%7|dec %8|method %9|%10|k %11|%12")
                    .arg(c.Name, c.Units, c.AttrID)
                    .arg(c.Id)
                    .arg(c.Cost ? QStringLiteral("Cost") : QStringLiteral("Gain"))
                    .arg(c.Min)
                    .arg(c.Max)
                    .arg(c.Decimals)
                    .arg(c.Method)
                    .arg(c.Used ? QStringLiteral("used") : QStringLiteral("unused"))
                    .arg(c.SmallK)
                    .arg(points.join(QLatin1Char(' ')));
    }
    return rows.join(QLatin1Char('\n'));
}

// What neither format carries stays at its default.
bool OnlyFileFields(const std::vector<TPROBLEM> &criteria) {
    for (const TPROBLEM &c : criteria) {
        if (!c.Description.isEmpty() || c.Enumerated || !c.Values.empty() || c.FunctionCreated ||
            c.KCounted || !c.Node.isNull())
            return false;
    }
    return true;
}

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

QByteArray ReadBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A ".fun" file of two "Gain" criteria on 0..10 followed by the given k line.
QByteArray TwoCriteriaFun(const QByteArray &kLine) {
    QByteArray text = "2\nheader\n";
    for (const char *name : {"Speed", "Range"}) {
        text += name;
        text += "\nunit\nGain\n0\n10\n0\n1\n1\n2\n"
                "0                0\n"
                "10               1\n"
                "\n";
    }
    return text + "0.5\n" + kLine + "\n";
}

const QString ValidFunSummary = QStringLiteral(
    "Fuel consu|l/100 km|Attr0|0|Cost|4.5..12|dec 1|method 2|used|k 0.3|(4.5,1) (8,0.4) (12,0)\n"
    "Comfort|points|Attr1|1|Gain|0..10|dec 0|method 1|unused|k 0.25|"
    "(0,0) (3,0.2) (7,0.8) (10,1)\n"
    "Price|EUR|Attr2|2|Cost|8000..20000|dec 0|method 4|used|k 0.6|(8000,1) (20000,0)");
const QString ValidCrtSummary =
    QStringLiteral("Distance|km|Attr1|0|Cost|0..50|dec 1|method 3|used|k 0|(0,1) (50,0)\n"
                   "Quality of||Attr2|1|Gain|1.5..5|dec 0|method 1|used|k 0|(1.5,0) (5,1)");
} // namespace

class TestImporters : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(PointLocale()); }
    void init() { FactorK = 123.0; }
    void failures_data();
    void failures();
    void missingFile();
    void validFiles_data();
    void validFiles();
    void lineEnds_data();
    void lineEnds();
    void splitTextLines_data();
    void splitTextLines();
    void eightBitText_data();
    void eightBitText();
    void windows1250();
    void smallKLine_data();
    void smallKLine();
    void checkFunFileWalk();
    void examples_data();
    void examples();
    void funFactorK_data();
    void funFactorK();
};

void TestImporters::failures_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    const QString conversion = QStringLiteral("Convertion error");
    const QString end = QStringLiteral("Unexpected end of file");
    const QString tooMany = QStringLiteral("Too many criteria: a problem can have at most 10");

    QTest::newRow("fun empty") << "empty.fun" << 0 << "Empty file!";
    QTest::newRow("fun count not a number") << "fun_count_bad.fun" << 1 << conversion;
    // A file cut short names its last line.
    QTest::newRow("fun ends before P line") << "fun_p_missing.fun" << 10 << end;
    QTest::newRow("fun ends after last points") << "fun_truncated.fun" << 13 << end;
    QTest::newRow("fun P not a number") << "fun_p_bad.fun" << 11 << conversion;
    QTest::newRow("fun negative P") << "fun_negative_points.fun" << 11 << "Too few points";
    QTest::newRow("fun no criterion")
        << "fun_zero_criteria.fun" << 1 << "File must have minimum one criterion";
    QTest::newRow("fun same first 10 characters")
        << "fun_duplicate.fun" << 15 << "Criterion with name \"Price of f\" already exists";
    QTest::newRow("fun type with leading blank") << "fun_type.fun" << 5 << "Cost or Gain expected";
    QTest::newRow("fun Min not a number") << "fun_min_bad.fun" << 6 << conversion;
    QTest::newRow("fun Max equal to Min")
        << "fun_max_le_min.fun" << 7 << "Max value must be greater then Min value";
    QTest::newRow("fun negative decimals")
        << "fun_decimals.fun" << 8 << "Decimals value must be greater or equal 0";
    QTest::newRow("fun 11 decimals")
        << "fun_decimals_large.fun" << 8 << "Decimals value must be less or equal 10";
    QTest::newRow("fun method 5") << "fun_method.fun" << 9
                                  << "Method number must be integer number between 1 and 4";
    QTest::newRow("fun Used not a number") << "fun_used_bad.fun" << 10 << conversion;
    QTest::newRow("fun one point") << "fun_too_few_points.fun" << 11 << "Too few points";
    QTest::newRow("fun point line without u") << "fun_point_short.fun" << 13 << conversion;
    QTest::newRow("fun gain falling") << "fun_point_falling.fun" << 14 << "Wrong point";
    QTest::newRow("fun first point not at Min") << "fun_first_point.fun" << 12 << "Wrong point";
    QTest::newRow("fun last point not best") << "fun_last_point.fun" << 13 << "Wrong point";
    QTest::newRow("fun point beyond Max") << "fun_point_outside.fun" << 13 << "Wrong point";
    QTest::newRow("fun K not a number") << "fun_K_bad.fun" << 15 << conversion;
    QTest::newRow("fun k above 1") << "fun_k_range.fun" << 16 << "k value must be between 0 and 1";
    QTest::newRow("fun k missing") << "fun_k_missing.fun" << 28 << conversion;
    QTest::newRow("fun 11 criteria") << "fun_too_many.fun" << 123 << tooMany;

    QTest::newRow("crt empty") << "empty.crt" << 0 << "Empty file!";
    QTest::newRow("crt last block 6 lines") << "crt_short_block.crt" << 14 << end;
    QTest::newRow("crt same first 10 characters")
        << "crt_duplicate.crt" << 9 << "Criterion with name \"Price of f\" already exists";
    QTest::newRow("crt type") << "crt_type.crt" << 3 << "Cost or Gain expected";
    QTest::newRow("crt Min not a number") << "crt_min_bad.crt" << 4 << conversion;
    // Under a point locale "1,5" is no number (not 15), and infinity is no range end.
    QTest::newRow("crt Min with comma") << "crt_min_group_separator.crt" << 4 << conversion;
    QTest::newRow("crt Max infinite") << "crt_max_infinite.crt" << 5 << conversion;
    QTest::newRow("crt Max below Min")
        << "crt_max_le_min.crt" << 5 << "Max value must be greater then Min value";
    QTest::newRow("crt negative decimals")
        << "crt_decimals.crt" << 6 << "Decimals value must be greater or equal 0";
    QTest::newRow("crt 11 decimals")
        << "crt_decimals_large.crt" << 6 << "Decimals value must be less or equal 10";
    QTest::newRow("crt decimals not an integer") << "crt_decimals_bad.crt" << 6 << conversion;
    QTest::newRow("crt method 0") << "crt_method.crt" << 7
                                  << "Method number must be integer number between 1 and 4";
    QTest::newRow("crt 11 criteria") << "crt_too_many.crt" << 81 << tooMany;
}

void TestImporters::failures() {
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(QString, message);
    std::vector<TPROBLEM> criteria(1);
    QString text;
    QCOMPARE(Import(DataDir + file, criteria, text), line);
    // A conversion failure quotes the text after the fixed message.
    QVERIFY2(text == message || text.startsWith(message + QStringLiteral(": \"")),
             qPrintable(text));
    // Nothing read before the failure reaches the caller, K included.
    QVERIFY(criteria.empty());
    QCOMPARE(FactorK, 123.0);
}

void TestImporters::missingFile() {
    for (const char *name : {"no_such_file.fun", "no_such_file.crt"}) {
        std::vector<TPROBLEM> criteria(1);
        QString text;
        QCOMPARE(Import(DataDir + QLatin1String(name), criteria, text), TINPUT_OUTPUT::NotRead);
        QVERIFY(text.contains(QLatin1String(name)));
        QVERIFY(criteria.empty());
    }
}

void TestImporters::validFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<double>("factorK");
    // Names are cut to 10 characters, "cost" and "gain" in lower case are accepted,
    // Used 2 means unused, Min " 8000 " is trimmed and the k line "0.30 0.250.60"
    // holds three coefficients.
    QTest::newRow("fun point locale") << "valid.fun" << PointLocale() << ValidFunSummary << -0.35;
    QTest::newRow("fun comma locale") << "valid.fun" << CommaLocale() << ValidFunSummary << -0.35;
    QTest::newRow("crt point locale") << "valid.crt" << PointLocale() << ValidCrtSummary << 123.0;
    QTest::newRow("crt comma locale") << "valid.crt" << CommaLocale() << ValidCrtSummary << 123.0;
}

void TestImporters::validFiles() {
    QFETCH(QString, file);
    QFETCH(QLocale, locale);
    QFETCH(QString, summary);
    QFETCH(double, factorK);
    LocaleGuard guard(locale);
    std::vector<TPROBLEM> criteria(2);
    QString text;
    QCOMPARE(Import(DataDir + file, criteria, text), TINPUT_OUTPUT::ReadOk);
    QCOMPARE(Summary(criteria), summary);
    QVERIFY(OnlyFileFields(criteria));
    QCOMPARE(FactorK, factorK);
}

void TestImporters::lineEnds_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<QString>("summary");
    QTest::newRow("fun CRLF") << "valid.fun" << QByteArray("\r\n") << ValidFunSummary;
    QTest::newRow("fun CR") << "valid.fun" << QByteArray("\r") << ValidFunSummary;
    QTest::newRow("crt CRLF") << "valid.crt" << QByteArray("\r\n") << ValidCrtSummary;
}

void TestImporters::lineEnds() {
    QFETCH(QString, file);
    QFETCH(QByteArray, lineEnd);
    QFETCH(QString, summary);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = WriteFile(dir, file, ReadBytes(DataDir + file).replace("\n", lineEnd));
    QVERIFY(!path.isEmpty());
    std::vector<TPROBLEM> criteria;
    QString text;
    QCOMPARE(Import(path, criteria, text), TINPUT_OUTPUT::ReadOk);
    QCOMPARE(Summary(criteria), summary);
}

void TestImporters::splitTextLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("no final break") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("final break adds no line") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("only a break") << "\n" << QStringList{""};
    QTest::newRow("CRLF") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("empty line in CRLF") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("lone CR") << "a\rb" << QStringList{"a", "b"};
    QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
}

void TestImporters::splitTextLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitTextLines(text), lines);
}

void TestImporters::eightBitText_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("name1");
    QTest::addColumn<QByteArray>("name2");
    QTest::addColumn<QByteArray>("units");
    // Łączność, ĄĆĘŁŃÓŚŹŻ and ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ as a Polish Windows wrote them.
    const QByteArray name1 = "\xA3\xB9"
                             "czno\x9C\xE6";
    const QByteArray name2 = "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";
    const QByteArray units = "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF " + name2;
    for (const char *file : {"polish.fun", "polish.crt"}) {
        QTest::addRow("%s, windows-1250", file) << file << name1 << name2 << units;
        QTest::addRow("%s, UTF-8", file)
            << file << QStringLiteral("Łączność").toUtf8() << QStringLiteral("ĄĆĘŁŃÓŚŹŻ").toUtf8()
            << QStringLiteral("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ").toUtf8();
    }
    QTest::newRow("polish.crt, UTF-8 with a byte order mark")
        << "polish.crt" << QByteArray("\xEF\xBB\xBF") + QStringLiteral("Łączność").toUtf8()
        << QStringLiteral("ĄĆĘŁŃÓŚŹŻ").toUtf8() << QStringLiteral("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ").toUtf8();
}

void TestImporters::eightBitText() {
    QFETCH(QString, file);
    QFETCH(QByteArray, name1);
    QFETCH(QByteArray, name2);
    QFETCH(QByteArray, units);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const bool fun = file.endsWith(QLatin1String(".fun"));
    QByteArray text = fun ? "2\nheader\n" : "";
    for (const QByteArray &name : {name1, name2}) {
        text += name + '\n' + units + "\nGain\n0\n10\n0\n1\n";
        if (fun)
            text += "1\n2\n0                0\n10               1\n";
        text += '\n';
    }
    if (fun)
        text += "0.5\n0.50 0.50\n";
    const QString path = WriteFile(dir, file, text);
    std::vector<TPROBLEM> criteria;
    QString message;
    QCOMPARE(Import(path, criteria, message), TINPUT_OUTPUT::ReadOk);
    QCOMPARE(criteria.size(), size_t(2));
    QCOMPARE(criteria[0].Name, QStringLiteral("Łączność"));
    QCOMPARE(criteria[1].Name, QStringLiteral("ĄĆĘŁŃÓŚŹŻ"));
    for (const TPROBLEM &c : criteria)
        QCOMPARE(c.Units, QStringLiteral("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"));
}

void TestImporters::windows1250() {
    // Every byte gives one character; none of the upper half is a control.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = FromWindows1250(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.left(128), QString::fromLatin1(all.left(128)));
    for (qsizetype i = 128; i < 256; ++i)
        QVERIFY2(text.at(i).category() != QChar::Other_Control, qPrintable(QString::number(i, 16)));
    QCOMPARE(text.at(0x80), QChar(0x20AC)); // euro sign
    QCOMPARE(text.at(0x81), QChar(QChar::ReplacementCharacter));
    QCOMPARE(text.at(0xFF), QChar(0x02D9)); // dot above
}

void TestImporters::smallKLine_data() {
    QTest::addColumn<QByteArray>("kLine");
    QTest::addColumn<int>("result");
    QTest::addColumn<double>("k1");
    QTest::addColumn<double>("k2");
    QTest::addColumn<QString>("message");
    const int ok = TINPUT_OUTPUT::ReadOk;
    const QString conversion = QStringLiteral("Convertion error");
    // The k line is line 28 of the two-criteria file.
    QTest::newRow("separated") << QByteArray("0.30 0.70") << ok << 0.30 << 0.70 << QString();
    QTest::newRow("run together") << QByteArray("0.300.70") << ok << 0.30 << 0.70 << QString();
    QTest::newRow("blanks and tabs")
        << QByteArray("  0.30 \t 0.70  ") << ok << 0.30 << 0.70 << QString();
    QTest::newRow("short last k") << QByteArray("0.30 0.7") << ok << 0.30 << 0.70 << QString();
    QTest::newRow("one-character last k") << QByteArray("1.000") << ok << 1.0 << 0.0 << QString();
    QTest::newRow("no last k") << QByteArray("0.30") << 28 << 0.0 << 0.0 << conversion;
    QTest::newRow("only blanks after the first")
        << QByteArray("0.30   ") << 28 << 0.0 << 0.0 << conversion;
    QTest::newRow("empty") << QByteArray("") << 28 << 0.0 << 0.0 << conversion;
    QTest::newRow("fifth character is not part of k")
        << QByteArray("0.305 0.70") << 28 << 0.0 << 0.0 << conversion;
    QTest::newRow("negative k") << QByteArray("0.30 -0.1") << 28 << 0.0 << 0.0
                                << "k value must be between 0 and 1";
}

void TestImporters::smallKLine() {
    QFETCH(QByteArray, kLine);
    QFETCH(int, result);
    QFETCH(double, k1);
    QFETCH(double, k2);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = WriteFile(dir, QStringLiteral("k.fun"), TwoCriteriaFun(kLine));
    std::vector<TPROBLEM> criteria;
    QString text;
    QCOMPARE(TINPUT_OUTPUT::ReadFunFile(path, criteria, text), result);
    if (result != TINPUT_OUTPUT::ReadOk) {
        QVERIFY2(text == message || text.startsWith(message + QStringLiteral(": \"")),
                 qPrintable(text));
        QVERIFY(criteria.empty());
        return;
    }
    QCOMPARE(criteria.at(0).SmallK, k1);
    QCOMPARE(criteria.at(1).SmallK, k2);
    QCOMPARE(FactorK, 0.5);
}

void TestImporters::checkFunFileWalk() {
    // The check reports 0-based indexes and -1; the reader adds one.
    QStringList lines;
    QString text;
    QVERIFY(ReadTextLines(DataDir + "valid.fun", lines));
    QCOMPARE(TINPUT_OUTPUT::CheckFunFile(lines, text), TINPUT_OUTPUT::ReadOk);
    QCOMPARE(TINPUT_OUTPUT::CheckFunFile(lines.mid(0, lines.size() - 2), text), -1);
    QCOMPARE(text, QStringLiteral("Unexpected end of file"));
    QVERIFY(ReadTextLines(DataDir + "fun_negative_points.fun", lines));
    QCOMPARE(TINPUT_OUTPUT::CheckFunFile(lines, text), 10);
    QCOMPARE(text, QStringLiteral("Too few points"));
    // A count far beyond the file stops at the first missing block.
    lines = QStringList{QStringLiteral("2147483647")};
    QCOMPARE(TINPUT_OUTPUT::CheckFunFile(lines, text), -1);
    lines = QStringList(11, QStringLiteral("2147483647"));
    QCOMPARE(TINPUT_OUTPUT::CheckFunFile(lines, text), -1);
}

void TestImporters::examples_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("fun") << "house.fun";
    QTest::newRow("crt") << "house.crt";
}

void TestImporters::examples() {
    QFETCH(QString, file);
    std::vector<TPROBLEM> criteria;
    QString text;
    QCOMPARE(Import(QStringLiteral(VR_EXAMPLES "/") + file, criteria, text), TINPUT_OUTPUT::ReadOk);
    QCOMPARE(criteria.size(), std::size_t(4));
    QCOMPARE(criteria.at(2).Name, QStringLiteral("Distance t"));
    QCOMPARE(criteria.at(2).Min, 0.5);
}

// house.fun with lines changed ("line:text", 1-based): its K, or a range far
// out of scale with the points at its ends.
void TestImporters::funFactorK_data() {
    QTest::addColumn<QByteArrayList>("changes");
    QTest::addColumn<bool>("kept");     // the file's K stands
    QTest::addColumn<QString>("error"); // the start of the refusal, or empty
    QTest::newRow("own K, four decimals") << QByteArrayList{"55:0.3719"} << true << QString();
    QTest::newRow("K to three decimals") << QByteArrayList{"55:0.372"} << true << QString();
    QTest::newRow("K -5") << QByteArrayList{"55:-5"} << false << QString();
    QTest::newRow("K 0") << QByteArrayList{"55:0"} << false << QString();
    QTest::newRow("K 1e308") << QByteArrayList{"55:1e308"} << false << QString();
    QTest::newRow("K -0.5") << QByteArrayList{"55:-0.5"} << false << QString();
    QTest::newRow("K 0.38") << QByteArrayList{"55:0.38"} << false << QString();
    QTest::newRow("K nan") << QByteArrayList{"55:nan"} << false
                           << "Error in 55 line. Convertion error: \"nan\"";
    QTest::newRow("Min -1e308") << QByteArrayList{"6:-1e308", "12:-1e308           1"} << false
                                << "Error in 6 line. Number too large: \"-1e308\"";
    QTest::newRow("Max 1e308") << QByteArrayList{"7:1e308", "15:1e308            0"} << false
                               << "Error in 7 line. Number too large: \"1e308\"";
}

void TestImporters::funFactorK() {
    QFETCH(QByteArrayList, changes);
    QFETCH(bool, kept);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QList<QByteArray> lines = ReadBytes(QStringLiteral(VR_EXAMPLES "/house.fun")).split('\n');
    QCOMPARE(lines.at(54).trimmed(), QByteArray("0.3719"));
    QByteArray kText;
    for (const QByteArray &change : changes) {
        const qsizetype colon = change.indexOf(':');
        const int line = change.left(colon).toInt();
        lines[line - 1] = change.mid(colon + 1);
        if (line == 55)
            kText = change.mid(colon + 1);
    }
    const QString path = WriteFile(dir, QStringLiteral("house.fun"), lines.join('\n'));

    TProblemFile file;
    const bool read = file.Read(path);
    if (!error.isEmpty()) {
        QVERIFY(!read);
        QVERIFY2(file.Error.startsWith(error), qPrintable(file.Error));
        QVERIFY2(file.Error.endsWith(QStringLiteral("\nFile: \"") + path + QLatin1Char('"')),
                 qPrintable(file.Error));
        return;
    }
    QVERIFY2(read, qPrintable(file.Error));
    QVERIFY(file.Solved);
    QCOMPARE(FactorK, 123.0); // the problem in force keeps its K until the frame takes this one
    if (kept) {
        QCOMPARE(file.K, kText.toDouble());
        QVERIFY(file.Notice.isEmpty());
        return;
    }
    // Solved again from the k, as a result file's K would be, and said so.
    double solved = 0.0;
    QVERIFY(FactorKOf(file.Model.Criteria, solved));
    QCOMPARE(file.K, solved);
    QVERIFY(std::abs(file.K - 0.3719) < 5e-4);
    QVERIFY2(file.Notice.startsWith(QStringLiteral("The K of the file (")) &&
                 file.Notice.contains(
                     QStringLiteral(") does not fit its k.\nK is solved again from the k")),
             qPrintable(file.Notice));
    QVERIFY(file.Notice.contains(path));
}

QTEST_GUILESS_MAIN(TestImporters)
#include "tst_importers.moc"
