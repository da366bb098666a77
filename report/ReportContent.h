// The texts of a report without any window: which criteria are reported, the
// ranking table, the formula captions and the lines of the HTML page. The
// wizard lays them out; tests read them directly.
#pragma once

#include "model/DecisionModel.h"

#include <QByteArray>
#include <QFont>
#include <QString>
#include <QStringList>
#include <vector>

// Which criteria the criteria section reports.
enum class TCriteriaChoice { All, Used, User };

// List positions of the reported criteria, in list order, at most MaxCriteria.
// With User, ticked[i] says whether criterion i was ticked; entries beyond the
// list (a stale check list) are ignored.
std::vector<int> ReportedCriteriaOf(const std::vector<TPROBLEM> &criteria, TCriteriaChoice choice,
                                    const std::vector<bool> &ticked);

// The alternatives best first (see BestFirstOrder), so a report is the same every time.
std::vector<TVARIANTDEF> SortedBestFirst(const std::vector<TVARIANTDEF> &alternatives);

// List positions of the used criteria, in list order.
std::vector<int> UsedCriteriaOf(const std::vector<TPROBLEM> &criteria);

// The ranking table: row 0 the captions, then one row per alternative row of
// `order` (best first, as BestFirstOrder gives): place, name, description,
// utility, then one value per used criterion. Alternatives whose printed
// utilities are equal share a place.
std::vector<QStringList> RankingTable(const TDecisionModel &model, const std::vector<int> &order,
                                      int precision);

// The text with every line break and control character turned into a blank
// (CR LF gives one blank): labels print one line.
QString OneLine(const QString &text);

// The lines as a memo of `width` pixels in `font` shows them: each broken at
// word boundaries (or anywhere, for a word wider than the memo).
QStringList WrapLines(const QStringList &lines, const QFont &font, int width);

// The text of a question method.
QString MethodText(int method);

// Captions of the formula with the problem's numbers: the left side and the
// factor of the j-th used criterion (j from 0). The additive model writes a sum.
QString FormulaLeftSide(bool additive, int precision);
QString FormulaFactor(bool additive, int j, double smallK, int precision);
// How far further factors stand left of the first one.
int FormulaFactorIndent(bool additive);

// Lines of the HTML page.
namespace Html {
// The fixed head of the page, through "<BODY>".
QStringList Head();
// A model text made safe for the page: on one line, with markup characters escaped
// and every blank kept (a run of blanks or a leading one goes as non-breaking blanks).
QString Text(const QString &text);
// A positioned division of style class `style` (1 to 7); `text` is escaped here.
QString Div(int style, int left, int top, const QString &text);
// The title division.
QString Title(int left, int top, const QString &title);
// The picture of report position p.
QString Image(int top, int p);
// The opening line of a ranking table.
QString Table(int top);
// The lines of a description, cut to what fits a memo of `height` pixels at 20 a line.
QStringList DescriptionLines(const QString &description, int height);
// The page in the encoding it declares (windows-1250); every other character
// becomes a numeric character reference. Lines end with a line feed.
QByteArray Encode(const QStringList &lines);
} // namespace Html
