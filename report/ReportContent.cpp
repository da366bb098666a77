#include "report/ReportContent.h"

#include "model/InputOutput.h"

#include <QTextLayout>
#include <algorithm>
#include <cmath>

std::vector<int> ReportedCriteriaOf(const std::vector<TPROBLEM> &criteria, TCriteriaChoice choice,
                                    const std::vector<bool> &ticked) {
    std::vector<int> reported;
    for (int i = 0; i < int(criteria.size()) && int(reported.size()) < MaxCriteria; ++i) {
        bool take = false;
        switch (choice) {
        case TCriteriaChoice::All:
            take = true;
            break;
        case TCriteriaChoice::Used:
            take = criteria[size_t(i)].Used;
            break;
        case TCriteriaChoice::User:
            take = size_t(i) < ticked.size() && ticked[size_t(i)];
            break;
        }
        if (take)
            reported.push_back(i);
    }
    return reported;
}

std::vector<TVARIANTDEF> SortedBestFirst(const std::vector<TVARIANTDEF> &alternatives) {
    std::vector<TVARIANTDEF> sorted;
    sorted.reserve(alternatives.size());
    for (int row : BestFirstOrder(alternatives))
        sorted.push_back(alternatives[size_t(row)]);
    return sorted;
}

std::vector<int> UsedCriteriaOf(const std::vector<TPROBLEM> &criteria) {
    std::vector<int> used;
    for (int i = 0; i < int(criteria.size()); ++i) {
        if (criteria[size_t(i)].Used)
            used.push_back(i);
    }
    return used;
}

std::vector<QStringList> RankingTable(const TDecisionModel &model, const std::vector<int> &order,
                                      int precision) {
    const std::vector<int> used = UsedCriteriaOf(model.Criteria);
    const TVARIANTS &variants = model.Variants;

    QStringList header{QStringLiteral("Ranking position"),
                       model.Roles.size() > 0 ? model.Roles[0].Caption : QString(),
                       model.Roles.size() > 1 ? model.Roles[1].Caption : QString(),
                       QStringLiteral("Attribute utility")};
    for (int c : used)
        header << model.Criteria[size_t(c)].Name;

    std::vector<QStringList> table;
    table.reserve(order.size() + 1);
    table.push_back(header);
    int place = 1;
    for (size_t r = 0; r < order.size(); ++r) {
        const int row = order[r];
        const TVARIANTDEF &alternative = variants.Alternatives[size_t(row)];
        const QString utility = FormatUtility(alternative.Utility, precision);
        QStringList cells{QString::number(place), alternative.Name, alternative.Description,
                          utility};
        for (int c : used) {
            const TPROBLEM &criterion = model.Criteria[size_t(c)];
            // A column that is missing or too short leaves the cell empty.
            const int column = variants.FindColumn(criterion.Id);
            QString value;
            if (column >= 0 && size_t(row) < variants.Columns[size_t(column)].Values.size()) {
                const double v = variants.Value(row, column);
                value = criterion.Enumerated ? criterion.LabelOf(v) : FloatToStr(v);
            }
            cells << value;
        }
        table.push_back(cells);
        if (r + 1 < order.size() &&
            FormatUtility(variants.Alternatives[size_t(order[r + 1])].Utility, precision) !=
                utility)
            ++place;
    }
    return table;
}

QString OneLine(const QString &text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            continue;
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            result += QLatin1Char(' ');
        else
            result += c;
    }
    return result;
}

QStringList WrapLines(const QStringList &lines, const QFont &font, int width) {
    QStringList wrapped;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString &line : lines) {
        QTextLayout layout(line, font);
        layout.setTextOption(option);
        layout.beginLayout();
        int count = 0;
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(std::max(width, 1));
            wrapped << line.mid(l.textStart(), l.textLength()).trimmed();
            ++count;
        }
        layout.endLayout();
        if (count == 0)
            wrapped << QString();
    }
    return wrapped;
}

QString MethodText(int method) {
    switch (method) {
    case 1:
        return QStringLiteral("Certainty equivalent(constant probability)");
    case 2:
        return QStringLiteral("Certainty equivalent(variable probability)");
    case 3:
        return QStringLiteral("Lottrry comparision");
    case 4:
        return QStringLiteral("Probability comparision");
    default:
        return QStringLiteral("No method used ?!");
    }
}

QString FormulaLeftSide(bool additive, int precision) {
    if (additive)
        return QStringLiteral("U(g) = ");
    return FormatFixed(FactorK, precision) + QStringLiteral(" * U(g) + 1 = ");
}

QString FormulaFactor(bool additive, int j, double smallK, int precision) {
    const QString n = QString::number(j + 1);
    const QString index = QStringLiteral(" * u") + n + QStringLiteral("( g") + n;
    if (additive) {
        return (j == 0 ? QStringLiteral("  ") : QStringLiteral("+ ")) +
               FormatFixed(smallK, precision) + index + QStringLiteral("(a) ) ");
    }
    return (j == 0 ? QStringLiteral("( ") : QStringLiteral("* ( ")) +
           FormatFixed(FactorK * smallK, precision) + index + QStringLiteral("(a) ) + 1 ) ");
}

int FormulaFactorIndent(bool additive) {
    return additive ? 4 : 8;
}

namespace Html {

QStringList Head() {
    QStringList lines{QStringLiteral("<HTML>"),
                      QStringLiteral("<HEAD>"),
                      QStringLiteral("<TITLE>KAVREL Proffesional - Report</TITLE>"),
                      QStringLiteral("<meta http-equiv=\"content-type\" content=\"text/html; "
                                     "charset=windows-1250\">"),
                      QStringLiteral("<STYLE>"),
                      QStringLiteral("<!-- "),
                      QStringLiteral("BODY "),
                      QStringLiteral("{  font-family: Times; "),
                      QStringLiteral("    font-size:20;"),
                      QStringLiteral("    font-weight: bold;"),
                      QStringLiteral("    color:black;"),
                      QStringLiteral("}")};
    struct Style {
        const char *family;
        const char *position;
        int size;
        const char *weight;
    };
    static const Style styles[] = {
        {"    font-family: Arial;", "    position:absolute;", 16, "bold"},
        {"    font-family: Arial;", "    position:absolute; ", 14, "bold"},
        {"    font-family: Arial;", "    position:absolute;", 14, "normal"},
        {"    font-family: Arial;", "    position:absolute;", 10, "normal"},
        {"    font-family: Arial;", "    position:absolute;", 16, "normal"},
        {"    font-family:Symbol;", "    position:absolute;", 14, "normal"},
        {"    font-family:Arial;", "    position:absolute;", 12, "normal"},
    };
    int number = 1;
    for (const Style &s : styles) {
        lines << QStringLiteral(".STYL%1").arg(number++) << QStringLiteral("{")
              << QLatin1String(s.family) << QLatin1String(s.position)
              << QStringLiteral("    font-size: %1pt;").arg(s.size)
              << QStringLiteral("    font-weight: %1;").arg(QLatin1String(s.weight))
              << QStringLiteral("    color:black;") << QStringLiteral("    word-spacing:0;    ")
              << QStringLiteral("    letter-spacing:0;") << QStringLiteral("}");
    }
    // Without a doctype the unitless positions hold; a paragraph's default
    // top margin would then push every line a line below its place.
    lines << QStringLiteral("P { margin:0; }");
    lines << QString() << QStringLiteral("-->") << QStringLiteral("</STYLE>")
          << QStringLiteral("</HEAD>") << QStringLiteral("<BODY>");
    return lines;
}

QString Text(const QString &text) {
    const QString line = OneLine(text);
    QString result;
    result.reserve(line.size() + 16);
    for (const QChar c : line) {
        switch (c.unicode()) {
        case '&':
            result += QStringLiteral("&amp;");
            break;
        case '<':
            result += QStringLiteral("&lt;");
            break;
        case '>':
            result += QStringLiteral("&gt;");
            break;
        case '"':
            result += QStringLiteral("&quot;");
            break;
        case ' ':
            // The browser folds blanks that the printed labels keep: the formula
            // leaves room for its indices with them.
            if (result.isEmpty() || result.endsWith(QLatin1Char(' ')) ||
                result.endsWith(QLatin1String("&nbsp;")))
                result += QStringLiteral("&nbsp;");
            else
                result += c;
            break;
        default:
            result += c;
        }
    }
    return result;
}

QString Div(int style, int left, int top, const QString &text) {
    return QStringLiteral("<div  class=STYL%1 STYLE=\"left:%2; top:%3\"><p>%4</p></div>")
        .arg(style)
        .arg(left)
        .arg(top)
        .arg(Text(text));
}

QString Title(int left, int top, const QString &title) {
    return QStringLiteral("<div STYLE=\"font-family: Arial; font-size: 22pt; font-weight: bold; "
                          "position:absolute; left:%1; top:%2\"><p>%3</p></div> ")
        .arg(left)
        .arg(top)
        .arg(Text(title));
}

QString Image(int top, int p) {
    return QStringLiteral(
               "<IMG style=\"position:absolute; left:50px; top:%1px\" SRC=\"chart%2.jpg\" >")
        .arg(top)
        .arg(p);
}

QString Table(int top) {
    return QStringLiteral("<TABLE BORDER=2 BORDERCOLOR=black style=\"position:absolute; left:30px; "
                          "top:%1px \" >")
        .arg(top);
}

QStringList DescriptionLines(const QString &description, int height) {
    QString text = description;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    const int fit = std::max(height / 20, 1);
    if (lines.size() > fit)
        lines = lines.mid(0, fit);
    return lines;
}

namespace {
// The windows-1250 byte of a character, -1 when it has none.
int Byte1250(char32_t c) {
    if (c < 0x80)
        return int(c);
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (Windows1250Char(static_cast<unsigned char>(b)) == c && c != 0xFFFD)
            return b;
    }
    return -1;
}
} // namespace

QByteArray Encode(const QStringList &lines) {
    QByteArray bytes;
    for (const QString &line : lines) {
        for (char32_t c : line.toUcs4()) {
            const int b = Byte1250(c);
            if (b >= 0)
                bytes += char(b);
            else
                bytes += "&#" + QByteArray::number(uint(c)) + ';';
        }
        bytes += '\n';
    }
    return bytes;
}

} // namespace Html
