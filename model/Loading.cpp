#include "model/Loading.h"

#include "model/ReadFile.h"

#include <QByteArrayView>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

enum class TKind { Xml, Fun, Crt, Unknown };

TKind KindByExtension(const QString &path) {
    const QString suffix = QFileInfo(path).suffix();
    const auto is = [&suffix](const char *e) {
        return suffix.compare(QLatin1String(e), Qt::CaseInsensitive) == 0;
    };
    return is("xml")   ? TKind::Xml
           : is("fun") ? TKind::Fun
           : is("crt") ? TKind::Crt
                       : TKind::Unknown;
}

// A file of another name is taken by what it holds: markup is a problem file, a
// first line that is a count a function file, anything else a criteria file if
// it reads as one.
TKind KindByContent(const QString &path, QString &error) {
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, error))
        return TKind::Unknown;
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    text = text.trimmed();
    if (text.startsWith('<'))
        return TKind::Xml;
    qsizetype end = 0;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r')
        ++end;
    bool count = false;
    (void)text.first(end).toInt(&count);
    if (count)
        return TKind::Fun;
    std::vector<TPROBLEM> criteria;
    QString message;
    if (TINPUT_OUTPUT::ReadCrtFile(path, criteria, message) == TINPUT_OUTPUT::ReadOk)
        return TKind::Crt;
    error = QStringLiteral("%1 is not a problem file: it holds no problem (XML), function "
                           "(\".fun\") or criteria (\".crt\") file.")
                .arg(QuotedFileName(path));
    return TKind::Unknown;
}

} // namespace

bool TProblemFile::Read(const QString &path) {
    const auto fail = [this](const QString &message) {
        Error = message;
        return false;
    };
    // Every reader below refuses a name it can not read (a FIFO, a device, a
    // file too large) before opening it.
    TKind kind = KindByExtension(path);
    if (kind == TKind::Unknown) {
        QString why;
        kind = KindByContent(path, why);
        if (kind == TKind::Unknown)
            return fail(why);
    }
    std::vector<TPROBLEM> &criteria = Model.Criteria;
    if (kind == TKind::Xml) {
        // Fresh documents first: the result skeleton, and the roles' elements for
        // a file without role attributes.
        Xml.NewDocuments(Model.Roles);
        if (!Xml.LoadProblemFile(path))
            return fail(Xml.ParseErrorText(Xml.ProblemDoc));
        if (!Xml.ReadProblem(criteria, Model.Variants, Model.Roles))
            return fail(Xml.GetErrorMessage() + FileNameLine(path));
        // A setting the file lacks keeps the value in force.
        if (!Xml.ReadGlobalSettings(Probability, Questions, ProbabilityPrecision))
            return fail(Xml.GetErrorMessage() + FileNameLine(path));
    } else {
        const bool fun = kind == TKind::Fun;
        QString message;
        // The importer sets K on success; the problem in force keeps its own
        // until this file is taken over.
        const double kept = FactorK;
        const int result = fun ? TINPUT_OUTPUT::ReadFunFile(path, criteria, message)
                               : TINPUT_OUTPUT::ReadCrtFile(path, criteria, message);
        K = FactorK;
        FactorK = kept;
        if (result == TINPUT_OUTPUT::NotRead)
            return fail(message);
        if (result != TINPUT_OUTPUT::ReadOk)
            return fail(QStringLiteral("Error in ") + QString::number(result) +
                        QStringLiteral(" line. ") + message + FileNameLine(path));
        if (fun) {
            // The file holds finished functions and their k: a later edit of a mere
            // name must not seed them again.
            for (TPROBLEM &c : criteria) {
                c.FunctionCreated = true;
                c.KCounted = true;
            }
            Solved = true;
            CheckFunK(path);
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

void TProblemFile::CheckFunK(const QString &path) {
    const std::vector<TPROBLEM> &criteria = Model.Criteria;
    // K is written to a few decimals: one that fits its k within the tolerance
    // stands as it is.
    if (FactorKFits(criteria, K))
        return;
    double solved = 0.0;
    if (FactorKOf(criteria, solved)) {
        Notice = QStringLiteral("The K of the file (%1) does not fit its k.\n"
                                "K is solved again from the k of the used criteria.")
                     .arg(TXML::NumberToFileText(K)) +
                 FileNameLine(path);
        K = solved;
        return;
    }
    // Fewer than two k above zero, or none used: K shapes no utility, and only
    // one far out of scale could still overflow the sums.
    if (std::abs(K) <= TINPUT_OUTPUT::MaxMagnitude)
        return;
    Notice = QStringLiteral("The K of the file (%1) is out of scale; its k give no K of "
                            "their own.\nK is set to 0.")
                 .arg(TXML::NumberToFileText(K)) +
             FileNameLine(path);
    K = 0.0;
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
