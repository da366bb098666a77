// Criterion records, utility functions, enumerations and role columns.
#pragma once

#include <QDomElement>
#include <QString>
#include <vector>

struct TFuncPoint {
    double x = 0.0; // criterion value
    double u = 0.0; // utility, 0 to 1
};

// Order of TFUNCTION::Points.
bool PointLess(const TFuncPoint &a, const TFuncPoint &b);

struct TFUNCTION {
    double Min = 0.0;
    double Max = 0.0;
    bool Cost = false; // "Cost": utility falls as the value rises
    bool FunctionCreated = false;
    std::vector<TFuncPoint> Points; // sorted by x, x unique

    bool PointExists(double x) const;
    bool LowerNeighbour(double x, TFuncPoint &point) const;
    bool UpperNeighbour(double x, TFuncPoint &point) const;
    // Validating insertion: keeps u in 0..1, x unique and u monotone.
    bool AddPoint(double x, double u);
    // Adds the two end points for the current Cost flag; callers empty Points
    // and set Min and Max first.
    bool Init(double a, double b);
    // Utility of value v by linear interpolation between the points; values
    // outside the points take the utility of the nearest end point.
    double UtilityOf(double v) const;
};

struct TEnumvalue {
    double Value = 0.0;
    QString Label;
};

struct TENUM {
    bool Enumerated = false;
    std::vector<TEnumvalue> Values; // in the order read

    bool FindValue(const QString &label, double &value) const;
    QString LabelOf(double value) const;
};

struct TCRITERIUM : TENUM {
    QString Name; // at most 10 characters, unique within the criteria
    QString Units;
    QString Description;
    QString AttrID; // identifier of the criterion's element in the problem document
    bool Used = false;
    int Method = 0;   // question method, 1 to 4
    int Decimals = 0; // decimals of the criterion's values
    int Id = 0;       // keys the criterion's value column
    double SmallK = 0.0;
    QDomElement Node; // shares the element of the live problem document
    bool KCounted = false;
};

struct TPROBLEM : TCRITERIUM, TFUNCTION {};

struct TROLENAME {
    QString AttrID;
    QString Caption;
    QDomElement Node;
};

// One ENUM or RANK item of a problem file as read, paired by EnumID.
struct EnumAttributes {
    QString EnumID;
    QString Value;
};

// The most criteria a problem holds (chart windows and criteria buttons have ten slots).
constexpr int MaxCriteria = 10;
// The longest criterion name.
constexpr int MaxCriterionNameLength = 10;
// The most questions asked about one point.
constexpr int MaxQuestionLimit = 50;
// The most decimals of a criterion's values: the files, the readers and the
// criteria editor all hold 0..MaxDecimals, so no control has to change a value
// it was only asked to show.
constexpr int MaxDecimals = 10;
// The decimals of probabilities and utilities: 1..6.
constexpr int MinProbabilityPrecision = 1;
constexpr int MaxProbabilityPrecision = 6;

// The limit of questions per point kept within 1..50.
int ClampQuestions(int questions);
// A criterion's decimals within 0..MaxDecimals.
bool DecimalsInRange(int decimals);
// What the readers say about decimals above MaxDecimals.
QString DecimalsTooLarge();
// The decimals of probabilities kept within 1..6.
int ClampProbabilityPrecision(int precision);

// Fixed-point text of a value with the locale decimal separator.
QString FormatFixed(double value, int decimals);
// The text with its first "." replaced by the locale decimal separator.
QString DotToLocale(const QString &text);
// Shortest general text of a double (15 significant digits) with the locale separator.
QString FloatToStr(double value);
// A text that TextToFloat reads back as exactly this double, with the locale
// separator: the 15-digit text where that is enough, else the shortest one
// that is. For every number that an editor shows and reads again.
QString FloatToExactStr(double value);
// A typed number: the locale's conversion of a finite plain number, blanks around
// allowed. Group separators, "nan" and "inf" are refused.
bool TextToFloat(const QString &text, double &value);
