// The result document: utility functions, coefficients and K of the used criteria, by name.
#include "model/DecisionModel.h"
#include "model/Messages.h"
#include "model/Xml.h"

#include <algorithm>

namespace {
// Names the element and the value that did not convert.
QString ConversionError(const QString &tag, const QString &name, const QString &text) {
    return QStringLiteral("Convertion error") + TXML::ValueDetail(tag, name, text);
}

bool ReadFlag(const TXML &xml, const QDomNode &attribute, const QString &tag, bool &flag,
              QString &error) {
    QString text;
    flag = false;
    if (!xml.GetChildAttribute(attribute, tag, QStringLiteral("Value"), text))
        return true;
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    flag = ok && v == 1;
    if (!ok)
        error = ConversionError(tag, QStringLiteral("Value"), text);
    return ok;
}
} // namespace

void TXML::WriteResults(const std::vector<TPROBLEM> &criteria) {
    // A refused file is no ground to write on.
    if (!ResultApplied || ResultRootNode.isNull() || ResultRootNode.ownerDocument() != ResultDoc)
        NewResultDocument();
    const QString tag = QStringLiteral("ATTRIBUTE");
    const QString value = QStringLiteral("Value");
    for (QDomElement old = ResultRootNode.firstChildElement(tag); !old.isNull();
         old = ResultRootNode.firstChildElement(tag))
        ResultRootNode.removeChild(old);

    for (const TPROBLEM &c : criteria) {
        if (!c.Used)
            continue;
        QDomNode attribute =
            AppendTo(ResultRootNode, AddChildElement(tag, QStringLiteral("Name"), c.Name));
        AppendTo(attribute,
                 AddChildElement(QStringLiteral("SMALLK"), value, NumberToFileText(c.SmallK)));
        AppendTo(attribute, AddChildElement(QStringLiteral("UNITS"), value, c.Units));
        AppendTo(attribute,
                 AddChildElement(QStringLiteral("PRECISION"), value, QString::number(c.Decimals)));
        AppendTo(attribute,
                 AddChildElement(QStringLiteral("FUNCTIONCREATED"), value,
                                 c.FunctionCreated ? QStringLiteral("1") : QStringLiteral("0")));
        AppendTo(attribute,
                 AddChildElement(QStringLiteral("KCOUNTED"), value,
                                 c.KCounted ? QStringLiteral("1") : QStringLiteral("0")));
        const QDomNode points =
            AppendTo(attribute, AddChildElement(QStringLiteral("POINTS"), QString(), QString()));
        WritePoints(points.toElement(), c.Points);
    }
    if (criteria.empty())
        return;
    QDomElement bigK;
    if (FindChild(ResultRootNode, QStringLiteral("BIGK"), bigK))
        SetAttribute(bigK, value, NumberToFileText(FactorK));
    else
        ResultRootNode.appendChild(
            AddResultChildElement(QStringLiteral("BIGK"), value, NumberToFileText(FactorK)));
}

void TXML::WritePoints(QDomElement points, const std::vector<TFuncPoint> &list) {
    const QString tag = QStringLiteral("POINT");
    for (QDomElement old = points.firstChildElement(tag); !old.isNull();
         old = points.firstChildElement(tag))
        points.removeChild(old);
    for (const TFuncPoint &p : list)
        AppendTo(points, AddChildElement2(tag, QStringLiteral("X"), NumberToFileText(p.x),
                                          QStringLiteral("Y"), NumberToFileText(p.u)));
}

bool TXML::ReadPoints(const QDomElement &points, TPROBLEM &criterion) {
    const QString tag = QStringLiteral("POINT");
    criterion.Points.clear();
    QString xText;
    QString yText;
    for (QDomElement point = points.firstChildElement(tag); !point.isNull();
         point = point.nextSiblingElement(tag)) {
        if (!GetAttribute(point, QStringLiteral("X"), xText) ||
            !GetAttribute(point, QStringLiteral("Y"), yText)) {
            LastError = QStringLiteral("Tag \"POINT\" doesn't have all needed attributes");
            return false;
        }
        TFuncPoint p;
        if (!FileTextToNumber(xText, p.x)) {
            LastError = QStringLiteral("Tag \"POINT\": Convertion error") +
                        ValueDetail(QString(), QStringLiteral("X"), xText);
            return false;
        }
        if (!FileTextToNumber(yText, p.u)) {
            LastError = QStringLiteral("Tag \"POINT\": Convertion error") +
                        ValueDetail(QString(), QStringLiteral("Y"), yText);
            return false;
        }
        if (p.u > 1.0 || p.u < 0.0) {
            LastError = QStringLiteral("Tag \"POINT\": invalid point");
            return false;
        }
        criterion.Points.push_back(p);
    }
    std::stable_sort(criterion.Points.begin(), criterion.Points.end(), PointLess);
    const std::vector<TFuncPoint> &p = criterion.Points;
    const size_t n = p.size();
    if (n < 2) {
        LastError = QStringLiteral("To few points");
        return false;
    }
    // s = 1 for "Gain": utilities rise strictly from 0 to 1; "Cost" the other way.
    const double s = criterion.Cost ? -1.0 : 1.0;
    const double first = criterion.Cost ? 1.0 : 0.0;
    const double last = criterion.Cost ? 0.0 : 1.0;
    // Two points at one x would make the interpolation divide by zero.
    bool valid = p[0].u == first && p[n - 1].u == last;
    for (size_t i = 1; i < n && valid; ++i)
        valid = s * p[i].u > s * p[i - 1].u && p[i].x > p[i - 1].x;
    if (!valid) {
        LastError = QStringLiteral("Tag \"POINT\" AttrID %1: invalid point").arg(criterion.AttrID);
        return false;
    }
    criterion.Min = p.front().x;
    criterion.Max = p.back().x;
    return true;
}

bool TXML::ReadResults(std::vector<TPROBLEM> &criteria) {
    int applied = 0;
    return ReadResults(criteria, applied);
}

bool TXML::ReadResults(std::vector<TPROBLEM> &criteria, int &applied) {
    applied = 0;
    const QString value = QStringLiteral("Value");
    std::vector<bool> matched(criteria.size(), false);
    int count = 0;
    Found = false;
    if (!FindResultRoot()) {
        LastError = QStringLiteral("Kavrel result section not found!");
        return false;
    }
    QString text;
    QString name;
    for (QDomElement attribute = ResultRootNode.firstChildElement(QStringLiteral("ATTRIBUTE"));
         !attribute.isNull();
         attribute = attribute.nextSiblingElement(QStringLiteral("ATTRIBUTE"))) {
        if (!GetAttribute(attribute, QStringLiteral("Name"), name))
            continue;
        const auto it = std::find_if(criteria.begin(), criteria.end(),
                                     [&](const TPROBLEM &c) { return c.Name == name; });
        if (it == criteria.end())
            continue;
        TPROBLEM &c = *it;
        matched[size_t(it - criteria.begin())] = true;
        c.Used = true;
        ++count;
        if (GetChildAttribute(attribute, QStringLiteral("SMALLK"), value, text) &&
            !FileTextToNumber(text, c.SmallK)) {
            LastError = ConversionError(QStringLiteral("SMALLK"), value, text);
            return false;
        }
        // A k outside 0 to 1 or negative decimals would give utilities off the scale
        // and texts no display can show.
        if (!(c.SmallK >= 0.0 && c.SmallK <= 1.0)) {
            LastError = QStringLiteral("k value must be between 0 and 1");
            return false;
        }
        GetChildAttribute(attribute, QStringLiteral("UNITS"), value, c.Units);
        if (GetChildAttribute(attribute, QStringLiteral("PRECISION"), value, text) &&
            !FileTextToTruncated(text, c.Decimals)) {
            LastError = ConversionError(QStringLiteral("PRECISION"), value, text);
            return false;
        }
        if (c.Decimals < 0) {
            LastError = QStringLiteral("Decimals value must be greater or equal 0");
            return false;
        }
        if (!DecimalsInRange(c.Decimals)) {
            LastError = DecimalsTooLarge();
            return false;
        }
        QDomElement points;
        if (FindChild(attribute, QStringLiteral("POINTS"), points) && !ReadPoints(points, c))
            return false;
        if (!ReadFlag(*this, attribute, QStringLiteral("FUNCTIONCREATED"), c.FunctionCreated,
                      LastError) ||
            !ReadFlag(*this, attribute, QStringLiteral("KCOUNTED"), c.KCounted, LastError))
            return false;
    }
    QDomElement bigK;
    if (!FindChild(ResultRootNode, QStringLiteral("BIGK"), bigK)) {
        LastError = QStringLiteral("Can't find tag BIGK");
        return false;
    }
    if (!criteria.empty()) {
        double k = 0.0;
        text.clear();
        if (!GetAttribute(bigK, value, text) || !FileTextToNumber(text, k)) {
            LastError = ConversionError(QStringLiteral("BIGK"), value, text);
            return false;
        }
        FactorK = k;
    }
    applied = count;
    if (count == 0) {
        // Nothing of the file belongs to this problem: the next save starts afresh.
        ShowModelMessage(QStringLiteral("No criteria were updated!"), mtInformation);
        return true;
    }
    ResultApplied = true;
    for (size_t i = 0; i < criteria.size(); ++i) {
        if (!matched[i])
            criteria[i].Used = false;
    }
    return true;
}
