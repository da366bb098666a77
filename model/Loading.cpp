#include "model/Loading.h"

#include <QFileInfo>
#include <algorithm>

bool TProblemFile::Read(const QString &path) {
    const QString extension = QLatin1Char('.') + QFileInfo(path).suffix();
    const auto is = [&extension](const char *e) {
        return extension.compare(QLatin1String(e), Qt::CaseInsensitive) == 0;
    };
    const auto fail = [this](const QString &message) {
        Error = message;
        return false;
    };
    std::vector<TPROBLEM> &criteria = Model.Criteria;
    if (is(".xml")) {
        // Fresh documents first: the result skeleton, and the roles' elements for
        // a file without role attributes.
        Xml.NewDocuments(Model.Roles);
        if (!Xml.LoadProblemFile(path))
            return fail(Xml.ParseErrorText(Xml.ProblemDoc));
        if (!Xml.ReadProblem(criteria, Model.Variants, Model.Roles))
            return fail(Xml.GetErrorMessage());
        // A setting the file lacks keeps the value in force.
        if (!Xml.ReadGlobalSettings(Probability, Questions, ProbabilityPrecision))
            return fail(Xml.GetErrorMessage());
    } else {
        const bool fun = is(".fun");
        if (fun || is(".crt")) {
            QString message;
            // The importer sets K on success; the problem in force keeps its own
            // until this file is taken over.
            const double kept = FactorK;
            const int result = fun ? TINPUT_OUTPUT::ReadFunFile(path, criteria, message)
                                   : TINPUT_OUTPUT::ReadCrtFile(path, criteria, message);
            K = FactorK;
            FactorK = kept;
            if (result != TINPUT_OUTPUT::ReadOk)
                return fail(QStringLiteral("Error in ") + QString::number(result) +
                            QStringLiteral(" line. ") + message);
        }
        if (fun) {
            // The file holds finished functions and their k: a later edit of a mere
            // name must not seed them again.
            for (TPROBLEM &c : criteria) {
                c.FunctionCreated = true;
                c.KCounted = true;
            }
            Solved = true;
        }
        // An imported problem gets fresh documents and keeps the parameters in force.
        Xml.NewDocuments(Model.Roles);
        for (TPROBLEM &c : criteria)
            c.Node = Xml.CreateCriterionAttribute(c);
        Xml.WriteElicitationSettings(criteria, Probability, Questions, ProbabilityPrecision);
    }
    Model.UsedCount = int(
        std::count_if(criteria.begin(), criteria.end(), [](const TPROBLEM &c) { return c.Used; }));
    return true;
}

QStringList UnmatchedResultNames(const TXML &xml, const std::vector<TPROBLEM> &criteria) {
    QStringList names;
    QString name;
    const QString tag = QStringLiteral("ATTRIBUTE");
    for (QDomElement attribute = xml.ResultRootNode.firstChildElement(tag); !attribute.isNull();
         attribute = attribute.nextSiblingElement(tag)) {
        if (!xml.GetAttribute(attribute, QStringLiteral("Name"), name) || names.contains(name))
            continue;
        if (std::none_of(criteria.begin(), criteria.end(),
                         [&name](const TPROBLEM &c) { return c.Name == name; }))
            names << name;
    }
    return names;
}
