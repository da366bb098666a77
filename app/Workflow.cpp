// The commands that create, load, save and edit the problem and its results,
// keeping the flags, the status panels and the enabled commands in step.
#include "app/Dazazezad.h"

#include "app/Criteriaf.h"
#include "app/Formula.h"
#include "app/Ranking.h"
#include "app/Variantsf.h"
#include "elicitation/Parameters.h"
#include "model/Loading.h"
#include "model/ReadFile.h"
#include "report/F_raport_w.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {
const QString ProblemLost = QStringLiteral("Current problem will be lost!  Continue?");
const QString FunctionLost = QStringLiteral("Current function will be lost!  Continue?");
const QString ProblemNone = QStringLiteral("Problem: None");
const QString ProblemNotSaved = QStringLiteral("Problem: NOT SAVED");
const QString ResultsNone = QStringLiteral("Results: None");

bool Ask(const QString &question, QWidget *parent) {
    return MessageDlg(question, mtWarning, mbYesNo, parent) == mrYes;
}

QString FileNameOf(const QString &path) {
    return QFileInfo(path).fileName();
}

// Names for a message, quoted; a long list or name is cut short.
QString NameList(const QStringList &names) {
    constexpr qsizetype MaxNames = MaxCriteria;
    constexpr qsizetype MaxLength = 40;
    QStringList quoted;
    for (qsizetype i = 0; i < names.size() && i < MaxNames; ++i) {
        QString name = names[i];
        if (name.size() > MaxLength) {
            // Never half a surrogate pair.
            name.truncate(name.at(MaxLength - 1).isHighSurrogate() ? MaxLength - 1 : MaxLength);
            name += QStringLiteral("...");
        }
        quoted << QLatin1Char('"') + name + QLatin1Char('"');
    }
    QString text = quoted.join(QStringLiteral(", "));
    if (names.size() > MaxNames)
        text += QStringLiteral(" and %1 more").arg(names.size() - MaxNames);
    return text;
}

QString CannotSave(const QString &path, const QString &why) {
    return QStringLiteral("Can't save file \"%1\" !\n%2\nThe file was not changed.")
        .arg(QDir::toNativeSeparators(path), why);
}
} // namespace

void TKavrel::ConnectWorkflow() {
    connect(SB_New, &QAction::triggered, this, &TKavrel::SB_NewClick);
    connect(SB_LoadProblem, &QAction::triggered, this, &TKavrel::SB_LoadProblemClick);
    connect(SB_SaveProblem, &QAction::triggered, this, &TKavrel::SB_SaveProblemClick);
    connect(SB_LoadResult, &QAction::triggered, this, &TKavrel::SB_LoadResultClick);
    connect(SB_SaveResult, &QAction::triggered, this, &TKavrel::SB_SaveResultClick);
    connect(SB_EditCrit, &QAction::triggered, this, &TKavrel::SB_EditCritClick);
    connect(SB_EditAlternat, &QAction::triggered, this, &TKavrel::SB_EditAlternatClick);
    connect(SB_Formula, &QAction::triggered, this, &TKavrel::SB_FormulaClick);
    connect(SB_Ranking, &QAction::triggered, this, &TKavrel::SB_RankingClick);
    connect(SB_Raport, &QAction::triggered, this, &TKavrel::SB_RaportClick);
    // The report wizard's ranking box follows the Ranking command, whoever switches it.
    connect(SB_Ranking, &QAction::enabledChanged, this, [](bool on) {
        if (Raport_w) {
            Raport_w->ChB_Ranking->setChecked(on);
            Raport_w->ChB_Ranking->setEnabled(on);
        }
    });
}

void TKavrel::SetProblemStatus(const QString &text, bool saved) {
    StatusBar->SetPanelText(0, text);
    ProblemSaved = saved;
}

void TKavrel::SetResultsStatus(const QString &text, bool saved) {
    StatusBar->SetPanelText(1, text);
    ResultsSaved = saved;
}

void TKavrel::EnableProblemCommands(bool enabled) {
    for (QAction *command :
         {SB_SaveProblem, SB_LoadResult, SB_NewFunction, SB_EditCrit, SB_EditAlternat})
        command->setEnabled(enabled);
}

void TKavrel::SetRankingSwitch(bool on) {
    SB_Ranking->setEnabled(on);
    if (Raport_w) {
        Raport_w->ChB_Ranking->setChecked(on);
        Raport_w->ChB_Ranking->setEnabled(on);
    }
}

void TKavrel::ResetProblem() {
    ClearCriteriaBar();
    EnableProblemCommands(false);
    CriteriaChanged = false;
    Criteria.clear();
    Variants.Alternatives.clear();
    Variants.ClearValues();
    Roles = {TXML::DefaultRole(0), TXML::DefaultRole(1)};
    Xml.NewDocuments(Roles);
    UsedCount = 0;
    SolutionComplete = false;
    SolutionUnfinished = false;
    // No window or report may show the K of a problem that is gone.
    FactorK = 0.0;
    SetProblemStatus(ProblemNone, true);
    SetResultsStatus(ResultsNone, true);
}

void TKavrel::SB_NewClick() {
    if (!Criteria.empty() && !Ask(ProblemLost, this))
        return;
    ResetProblem();
    Cancelled = true;
    Probability = 0.5;
    Questions = 5;
    ProbabilityPrecision = 3;
    if (Parameter)
        ShowModalForm(Parameter);
    if (Cancelled)
        return;
    if (!CriteriaForm || CriteriaForm->ShowModal() != mrOk || Criteria.empty())
        return;
    SetProblemStatus(ProblemNotSaved, false);
    EnableProblemCommands(true);
    UsedCount = int(
        std::count_if(Criteria.begin(), Criteria.end(), [](const TPROBLEM &c) { return c.Used; }));
    if (VariantsForm)
        VariantsForm->RequireAllRows = true;
    SB_NewFunctionClick();
    if (!Cancelled && UsedCount > 0)
        SB_FormulaClick();
}

void TKavrel::SB_LoadProblemClick() {
    if (!Criteria.empty() && !Ask(ProblemLost, this))
        return;
    if (!OpenDialog.Execute(this))
        return;
    const QString path = OpenDialog.FileName;
    // Read beside the problem in force, so that a refused file leaves it as it was.
    TProblemFile file;
    file.Probability = Probability;
    file.Questions = Questions;
    file.ProbabilityPrecision = ProbabilityPrecision;
    if (!file.Read(path)) {
        ShowMessage(file.Error, this);
        return;
    }

    SolutionComplete = false;
    ResetProblem();
    // The records keep elements of the file's documents: both are taken over together.
    Model = std::move(file.Model);
    Xml = std::move(file.Xml);
    Probability = file.Probability;
    Questions = file.Questions;
    ProbabilityPrecision = file.ProbabilityPrecision;
    if (file.Solved) {
        FactorK = file.K;
        SolutionComplete = true;
        SolutionUnfinished = false;
        SetResultsStatus(QStringLiteral("Results: ") + FileNameOf(path), true);
        SB_SaveResult->setEnabled(true);
    }

    if (!file.Solved)
        SetResultsStatus(ResultsNone, true);
    SetProblemStatus(QStringLiteral("Problem: ") + FileNameOf(path), true);
    if (VariantsForm)
        VariantsForm->RequireAllRows = Variants.Alternatives.empty();
    EnableProblemCommands(true);
    if (SolutionComplete)
        BuildCriteriaBar();
    if (!file.Notice.isEmpty())
        ShowMessage(file.Notice, this);
}

void TKavrel::SB_SaveProblemClick() {
    // The reader refuses a file whose alternatives lack a value.
    if (!Variants.HasAllValues(Criteria)) {
        ShowMessage(QStringLiteral("Some alternatives have no value for a criterion.\n"
                                   "Fill in all empty cells of the alternatives before saving "
                                   "the problem."),
                    this);
        return;
    }
    if (!SaveDialog.Execute(this))
        return;
    const QString path = SaveDialog.FileName;
    Xml.WriteElicitationSettings(Criteria, Probability, Questions, ProbabilityPrecision);
    QString why;
    if (!Xml.SaveProblemFile(path, &why)) {
        ShowMessage(CannotSave(path, why), this);
        return;
    }
    SetProblemStatus(QStringLiteral("Problem: ") + FileNameOf(path), true);
}

void TKavrel::SB_SaveResultClick() {
    if (!ResultSaveDialog.Execute(this))
        return;
    const QString path = ResultSaveDialog.FileName;
    Xml.WriteResults(Criteria);
    QString why;
    if (!Xml.SaveResultFile(path, &why)) {
        ShowMessage(CannotSave(path, why), this);
        return;
    }
    SetResultsStatus(QStringLiteral("Results: ") + FileNameOf(path), true);
}

void TKavrel::SB_LoadResultClick() {
    if (SolutionComplete && !Ask(FunctionLost, this))
        return;
    // What a refused file must leave as it was.
    const std::vector<TPROBLEM> savedCriteria = Criteria;
    const double savedK = FactorK;
    const bool savedComplete = SolutionComplete;
    const bool savedUnfinished = SolutionUnfinished;
    const QString savedResults = StatusBar->PanelText(1);
    const bool savedResultsSaved = ResultsSaved;
    const auto restore = [&] {
        Criteria = savedCriteria;
        FactorK = savedK;
        SolutionComplete = savedComplete;
        SolutionUnfinished = savedUnfinished;
        SetResultsStatus(savedResults, savedResultsSaved);
    };

    if (ResultOpenDialog.Execute(this)) {
        const QString path = ResultOpenDialog.FileName;
        SolutionComplete = false;
        SolutionUnfinished = false;
        int applied = 0;
        if (!Xml.LoadResultFile(path)) {
            ShowMessage(Xml.ParseErrorText(Xml.ResultDoc), this);
            restore();
        } else if (!Xml.ReadResults(Criteria, applied)) {
            restore();
            ShowMessage(Xml.GetErrorMessage() + FileNameLine(path), this);
        } else if (applied == 0) {
            // The reader said so already; a foreign K must not pass for this problem's.
            restore();
        } else {
            SetResultsStatus(QStringLiteral("Results: ") + FileNameOf(path), true);
            // The file's K was solved for its own criteria: when some of them are
            // not this problem's, it fits none of the used k. A criterion named
            // twice or a k edited by hand leaves a K of other k as well; while
            // some k is still to be asked, K is solved after it anyway.
            const QStringList unmatched = UnmatchedResultNames(Xml, Criteria);
            const bool counted =
                std::all_of(Criteria.begin(), Criteria.end(),
                            [](const TPROBLEM &c) { return !c.Used || c.KCounted; });
            if (!unmatched.isEmpty())
                SolveResultsK(QStringLiteral("The results fit this problem only in part.\n"
                                             "Criteria of the file that match no criterion: ") +
                                  NameList(unmatched) + QStringLiteral(".\n"),
                              savedCriteria);
            else if (counted && !FactorKFits(Criteria, FactorK))
                SolveResultsK(QStringLiteral("The K of the results does not fit their k.\n"),
                              savedCriteria);
            // A mix of finished and unfinished criteria asks for New Function.
            bool mixed = false;
            int first = -1;
            for (int i = 0; i < int(Criteria.size()); ++i) {
                const TPROBLEM &c = Criteria[size_t(i)];
                if (!c.Used)
                    continue;
                if (first < 0)
                    first = i;
                const bool done = Criteria[size_t(first)].FunctionCreated;
                mixed = mixed || c.FunctionCreated != done || c.KCounted != done;
                SolutionUnfinished = SolutionUnfinished || !c.FunctionCreated || !c.KCounted;
            }
            SolutionComplete = !SolutionUnfinished;
            if (mixed)
                ShowMessage(QStringLiteral("Problem not completely solved. Click \"New "
                                           "Function\" to continue."),
                            this);
        }
    }

    UsedCount = int(
        std::count_if(Criteria.begin(), Criteria.end(), [](const TPROBLEM &c) { return c.Used; }));
    ClearCriteriaBar();
    if (!Criteria.empty() && SolutionComplete)
        BuildCriteriaBar();
}

void TKavrel::SolveResultsK(const QString &why, const std::vector<TPROBLEM> &before) {
    QStringList unused;
    bool counted = true;
    for (size_t i = 0; i < Criteria.size(); ++i) {
        const TPROBLEM &c = Criteria[i];
        if (!c.Used && i < before.size() && before[i].Used)
            unused << c.Name;
        counted = counted && (!c.Used || c.KCounted);
    }
    QString text = why;
    if (!unused.isEmpty())
        text +=
            QStringLiteral("Criteria no longer used: ") + NameList(unused) + QStringLiteral(".\n");
    text += counted ? QStringLiteral("K is solved again from the k of the used criteria.")
                    : QStringLiteral("K is solved when every used criterion has its k.");
    ShowMessage(text, this);

    if (counted && SolveFactorK())
        return;
    FactorK = 0.0;
    if (!counted)
        return;
    // As after a failed solve in the driver: the coefficients must be asked again.
    for (TPROBLEM &c : Criteria) {
        if (c.Used)
            c.KCounted = false;
    }
    SetResultsStatus(QStringLiteral("Results: Function not complete"), true);
}

void TKavrel::SB_EditCritClick() {
    CriteriaChanged = false;
    FunctionsInvalid = false;
    CoefficientsInvalid = false;
    if (!CriteriaForm || CriteriaForm->ShowModal() != mrOk)
        return;

    UsedCount = 0;
    for (TPROBLEM &c : Criteria) {
        if (CoefficientsInvalid) {
            c.KCounted = false;
            SolutionComplete = false;
        }
        if (c.Used)
            ++UsedCount;
        // A function or k the editor reset leaves the solution unfinished.
        if (c.Used && (!c.FunctionCreated || !c.KCounted))
            SolutionComplete = false;
    }
    const bool changed = FunctionsInvalid || CriteriaChanged || CoefficientsInvalid;
    if (changed) {
        SetProblemStatus(ProblemNotSaved, false);
        SolutionUnfinished = std::any_of(Criteria.begin(), Criteria.end(),
                                         [](const TPROBLEM &c) { return c.FunctionCreated; });
        SB_NewFunctionClick();
    }
    if (UsedCount == 0) {
        SetRankingSwitch(false);
        // The driver builds no bar without a used criterion: the old one must go.
        if (changed)
            ClearCriteriaBar();
    }
    if (Criteria.empty()) {
        for (QAction *command : {SB_SaveProblem, SB_LoadResult, SB_NewFunction, SB_EditAlternat})
            command->setEnabled(false);
    }
    CriteriaChanged = false;
    FunctionsInvalid = false;
    CoefficientsInvalid = false;
}

void TKavrel::SB_EditAlternatClick() {
    if (VariantsForm)
        VariantsForm->ShowModal();
    // The switch follows the command's own test, so it is never on and dead.
    if (SolutionComplete)
        SetRankingSwitch(RankingAllowed());
}

void TKavrel::SB_FormulaClick() {
    if (Form_Formula)
        ShowModalForm(Form_Formula);
}

void TKavrel::SB_RankingClick() {
    // Utilities need every used criterion's value for every alternative.
    if (!RankingAllowed())
        return;
    ComputeAlternativeUtilities();
    if (Form_Ranking)
        Form_Ranking->ShowRanking();
}

void TKavrel::SB_RaportClick() {
    if (Raport_w)
        Raport_w->Execute();
}
