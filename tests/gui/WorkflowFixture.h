// The main frame with the windows its commands open, every dialog answered by
// the test's script, and the helpers the workflow tests share.
#pragma once

#include "GuiTest.h"
#include "app/Criteriaf.h"
#include "app/Descriptionf.h"
#include "app/Enumf.h"
#include "app/Formula.h"
#include "app/Namef.h"
#include "app/Ranking.h"
#include "app/Variantsf.h"
#include "elicitation/Chartmain.h"
#include "elicitation/Coefficients.h"
#include "elicitation/Dialogues.h"
#include "elicitation/Maxquestion.h"
#include "elicitation/Parameters.h"
#include "report/F_raport.h"
#include "report/F_raport_w.h"
#include "tests/TestSupport.h"

#include <functional>

#include <QFile>
#include <QTemporaryDir>

class TWorkflowFixture : public TFrameFixture {
public:
    QTemporaryDir Folder;

    // The forms the commands open, in the program's order of creation.
    TWorkflowFixture() {
        InstallMessageBoxSink();
        Make(Parameter);
        Make(MaxQuestions);
        Make(Dialogue);
        Make(Coefficient);
        Make(CriteriaForm);
        Make(Form_Ranking);
        Make(VariantsForm);
        Make(Form_Formula);
        Make(EnumForm);
        Make(NameForm);
        Make(Raport_w);
        Make(Raport);
        Make(DescriptionForm);
        Make(Form_chart);
        Kavrel->show();
    }
    ~TWorkflowFixture() {
        // The chart windows go first, then the forms in the reverse order, as
        // when the program ends.
        Kavrel->ClearCriteriaBar();
        for (auto it = clear_.rbegin(); it != clear_.rend(); ++it)
            (*it)();
        SetMessageSink(nullptr);
    }

    template <class T> void Make(T *&form) {
        form = new T(Kavrel);
        clear_.push_back([&form] {
            delete form;
            form = nullptr;
        });
    }

    QString Path(const QString &name) const { return Folder.filePath(name); }

    // A file of the folder with the given text.
    QString Write(const QString &name, const QByteArray &text) const {
        QFile file(Path(name));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(text);
        return file.fileName();
    }

    // Loads a problem file through the command, answering the loss question when asked.
    void Load(const QString &path, bool askedToLoseProblem = false) {
        if (askedToLoseProblem)
            Script.Answer(mrYes, QStringLiteral("Current problem will be lost!  Continue?"));
        Script.ChooseFile(path);
        Kavrel->SB_LoadProblemClick();
    }

    // The Parameter dialog's answer: OK with the values shown, or Cancel.
    void AnswerParameters(bool ok) {
        Script.AnswerForm(QStringLiteral("TParameter"), [ok](QDialog *form) {
            auto *p = static_cast<TParameter *>(form);
            if (ok)
                p->ParamOKClick();
            else
                p->ParamCancelClick();
        });
    }

private:
    std::vector<std::function<void()>> clear_;
};

// The commands of the main toolbar that are enabled, by button name.
inline QString EnabledCommands() {
    const TKavrel &k = *Kavrel;
    const std::pair<QAction *, const char *> commands[] = {
        {k.SB_New, "New"},
        {k.SB_LoadProblem, "LoadProblem"},
        {k.SB_SaveProblem, "SaveProblem"},
        {k.SB_LoadResult, "LoadResult"},
        {k.SB_SaveResult, "SaveResult"},
        {k.SB_NewFunction, "NewFunction"},
        {k.SB_EditCrit, "EditCrit"},
        {k.SB_EditAlternat, "EditAlternat"},
        {k.SB_Formula, "Formula"},
        {k.SB_Ranking, "Ranking"},
        {k.SB_Raport, "Raport"},
    };
    QStringList names;
    for (const auto &[command, name] : commands) {
        if (command->isEnabled())
            names << QLatin1String(name);
    }
    return names.join(QLatin1Char(' '));
}

inline QString ProblemPanel() {
    return Kavrel->StatusBar->PanelText(0);
}

inline QString ResultsPanel() {
    return Kavrel->StatusBar->PanelText(1);
}

// "name:points:k" of every criterion, to see that nothing changed.
inline QString CriteriaText() {
    QStringList parts;
    for (const TPROBLEM &c : Kavrel->Criteria)
        parts << QStringLiteral("%1:%2:%3:%4%5%6")
                     .arg(c.Name, PointsText(c))
                     .arg(c.SmallK)
                     .arg(c.Used)
                     .arg(c.FunctionCreated)
                     .arg(c.KCounted);
    return parts.join(QLatin1Char('|'));
}
