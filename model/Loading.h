// Taking files over without losing the problem in force: a problem file is read
// into a model and documents of its own, and the frame takes them over only when
// the whole read succeeded; a result file is checked for criteria it names that
// the problem lacks.
#pragma once

#include "model/DecisionModel.h"
#include "model/InputOutput.h"

#include <QString>
#include <QStringList>
#include <vector>

struct TProblemFile {
    TDecisionModel Model;
    TINPUT_OUTPUT Xml;
    // The elicitation parameters: set them to the values in force before Read;
    // an XML file's own settings replace those it holds.
    double Probability = 0.5;
    int Questions = 5;
    int ProbabilityPrecision = 3;
    // A ".fun" file brings finished functions, their k and K.
    bool Solved = false;
    double K = 0.0;
    // Why the file was refused, as the user is to read it.
    QString Error;
    // What the user is to know of a file that was read: a ".fun" K that did not
    // fit its k and was solved again.
    QString Notice;

    // Reads the file by its extension (".xml", ".fun", ".crt"; any other by what
    // it holds). False with Error set; FactorK is never changed.
    bool Read(const QString &path);

private:
    void CheckFunK(const QString &path);
};

// The names of the loaded result section's ATTRIBUTE elements that name no
// criterion of the list, each once, in file order.
QStringList UnmatchedResultNames(const TXML &xml, const std::vector<TPROBLEM> &criteria);
