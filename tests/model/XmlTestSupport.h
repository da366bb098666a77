// Helpers shared by the document holder's tests.
#pragma once

#include "model/DecisionModel.h"
#include "model/Messages.h"
#include "model/Xml.h"
#include "tests/TestSupport.h"

#include <QDomDocument>
#include <QLocale>
#include <QStringList>
#include <QtTest>
#include <algorithm>

inline QString XmlFixture(const QString &name) {
    return QStringLiteral(VR_TEST_DATA "/xml/") + name;
}

// Elements and attributes of a tree, attributes sorted, text left out: what a
// round trip must keep.
inline QString TreeDump(const QDomNode &node, int depth = 0) {
    QString out;
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (!child.isElement())
            continue;
        const QDomElement e = child.toElement();
        QStringList attributes;
        const QDomNamedNodeMap map = e.attributes();
        for (int i = 0; i < map.length(); ++i)
            attributes << map.item(i).nodeName() + QLatin1Char('=') + map.item(i).nodeValue();
        std::sort(attributes.begin(), attributes.end());
        out += QString(depth, QLatin1Char(' ')) + e.tagName() + QLatin1Char(' ') +
               attributes.join(QLatin1Char(' ')) + QLatin1Char('\n');
        out += TreeDump(e, depth + 1);
    }
    return out;
}

// The tag names of an element's element children, in order.
inline QStringList ChildTags(const QDomNode &parent) {
    QStringList tags;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        tags << e.tagName();
    return tags;
}

inline bool SetProblemText(TXML &xml, const QString &text) {
    QDomDocument document;
    if (!document.setContent(text))
        return false;
    xml.ProblemDoc = document;
    return true;
}

// A problem built the way the editors build one: every criterion and row is
// written through the holder as it is added.
struct XmlProblem {
    TDecisionModel Model;
    TXML Xml;
    double Probability = 0.5;
    int Questions = 5;
    int Precision = 3;

    XmlProblem() { Xml.NewDocuments(Model.Roles); }

    TPROBLEM &AddCriterion(const QString &name, bool cost, double min, double max, int method = 1) {
        TPROBLEM c;
        c.Name = name;
        c.Cost = cost;
        c.Min = min;
        c.Max = max;
        c.Method = method;
        c.Used = true;
        c.Decimals = 3;
        c.Id = Model.MaxCriterionId() + 1;
        int n = 1;
        while (!Model.IsAttrIdFree(QStringLiteral("Attr%1").arg(n)))
            ++n;
        c.AttrID = QStringLiteral("Attr%1").arg(n);
        c.Init(min, max);
        c.Node = Xml.CreateCriterionAttribute(c);
        Model.Criteria.push_back(c);
        return Model.Criteria.back();
    }

    int AddAlternative(const QString &name, const QString &description,
                       const std::vector<double> &values) {
        const int row = Model.Variants.AddVariant(name, description) - 1;
        for (size_t i = 0; i < values.size() && i < Model.Criteria.size(); ++i)
            Model.Variants.AppendValue(row, values[i], Model.Criteria[i].Id);
        Xml.CreateObject(Model.Criteria, Model.Variants, row, Model.Roles);
        return row;
    }

    void WriteSettings() {
        Xml.WriteElicitationSettings(Model.Criteria, Probability, Questions, Precision);
    }
};

// A problem file loaded and read the way Load problem does it: over a reset problem.
struct XmlLoaded : XmlProblem {
    bool Ok = false;

    explicit XmlLoaded(const QString &path) {
        Ok = Xml.LoadProblemFile(path) &&
             Xml.ReadProblem(Model.Criteria, Model.Variants, Model.Roles) &&
             Xml.ReadGlobalSettings(Probability, Questions, Precision);
    }
};
