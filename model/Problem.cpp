#include "model/Problem.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

bool PointLess(const TFuncPoint &a, const TFuncPoint &b) {
    return a.x < b.x;
}

bool TFUNCTION::PointExists(double x) const {
    return std::any_of(Points.begin(), Points.end(), [x](const TFuncPoint &p) { return p.x == x; });
}

bool TFUNCTION::LowerNeighbour(double x, TFuncPoint &point) const {
    point.x = Min;
    if (x < Min || std::isnan(x))
        return false;
    bool found = false;
    for (const TFuncPoint &p : Points) {
        if (p.x < x && p.x > point.x) {
            point = p;
            found = true;
        }
    }
    return found;
}

bool TFUNCTION::UpperNeighbour(double x, TFuncPoint &point) const {
    point.x = Max;
    if (x > Max || std::isnan(x))
        return false;
    bool found = false;
    for (const TFuncPoint &p : Points) {
        if (p.x > x && p.x < point.x) {
            point = p;
            found = true;
        }
    }
    return found;
}

bool TFUNCTION::AddPoint(double x, double u) {
    const double s = Cost ? 1.0 : -1.0;
    // A NaN x would compare equal to nothing and could never be ordered.
    if (std::isnan(x) || std::isnan(u) || u > 1.0 || u < 0.0)
        return false;
    if (PointExists(x))
        return false;
    TFuncPoint upper, lower;
    const bool hasUpper = UpperNeighbour(x, upper);
    const bool hasLower = LowerNeighbour(x, lower);
    if (hasLower && s * u > s * lower.u)
        return false;
    if (hasUpper && s * u < s * upper.u)
        return false;
    Points.insert(std::upper_bound(Points.begin(), Points.end(), TFuncPoint{x, u}, PointLess),
                  TFuncPoint{x, u});
    return true;
}

bool TFUNCTION::Init(double a, double b) {
    if (Cost) {
        AddPoint(a, 1.0);
        return AddPoint(b, 0.0);
    }
    AddPoint(a, 0.0);
    return AddPoint(b, 1.0);
}

double TFUNCTION::UtilityOf(double v) const {
    const size_t n = Points.size();
    if (n == 0)
        return 0.0;
    // p = index of the first point with x >= v. Functions have a handful of
    // points, so a branch-free count beats a binary search.
    size_t p = 0;
    if (n <= 16) {
        for (size_t i = 0; i < n; ++i)
            p += Points[i].x < v;
    } else {
        p = size_t(std::lower_bound(Points.begin(), Points.end(), TFuncPoint{v, 0.0}, PointLess) -
                   Points.begin());
    }
    if (p == 0)
        return Points.front().u;
    if (p == n)
        return Points.back().u;
    const TFuncPoint &lo = Points[p - 1];
    const TFuncPoint &hi = Points[p];
    return lo.u + (lo.x - v) * (hi.u - lo.u) / (lo.x - hi.x);
}

bool TENUM::FindValue(const QString &label, double &value) const {
    for (const TEnumvalue &e : Values) {
        if (e.Label == label) {
            value = e.Value;
            return true;
        }
    }
    return false;
}

QString TENUM::LabelOf(double value) const {
    for (const TEnumvalue &e : Values) {
        if (e.Value == value)
            return e.Label;
    }
    return FloatToStr(value);
}

static QString LocaleDecimalPoint() {
    return QLocale().decimalPoint();
}

int ClampQuestions(int questions) {
    return std::clamp(questions, 1, MaxQuestionLimit);
}

bool DecimalsInRange(int decimals) {
    return decimals >= 0 && decimals <= MaxDecimals;
}

QString DecimalsTooLarge() {
    return QStringLiteral("Decimals value must be less or equal %1").arg(MaxDecimals);
}

int ClampProbabilityPrecision(int precision) {
    return std::clamp(precision, MinProbabilityPrecision, MaxProbabilityPrecision);
}

QString FormatFixed(double value, int decimals) {
    decimals = std::max(decimals, 0);
    // QString grows as needed, so even 1e300 prints in full.
    QString text = QString::asprintf("%.*f", decimals, value);
    const qsizetype point = text.size() - decimals - 1;
    if (decimals > 0 && point >= 0 && text.at(point) == QLatin1Char('.'))
        text.replace(point, 1, LocaleDecimalPoint());
    return text;
}

QString DotToLocale(const QString &text) {
    QString result = text;
    const qsizetype point = result.indexOf(QLatin1Char('.'));
    if (point >= 0)
        result.replace(point, 1, LocaleDecimalPoint());
    return result;
}

QString FloatToStr(double value) {
    return DotToLocale(QString::number(value, 'g', 15));
}

QString FloatToExactStr(double value) {
    // Most values read back from 15 digits; keeping that text keeps 0.0001 from
    // turning into 1e-04.
    QString text = QString::number(value, 'g', 15);
    bool ok = false;
    if (QLocale::c().toDouble(text, &ok) != value || !ok)
        text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    return DotToLocale(text);
}

bool TextToFloat(const QString &text, double &value) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return false;
    value = v;
    return true;
}
