// Program entry: the application object, the forms in their order, the event loop.
#include "app/AppResources.h"
#include "app/Dazazezad.h"
#include "app/F_about.h"
#include "elicitation/Maxquestion.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "report/F_raport.h"
#include "report/F_raport_w.h"

#include <QTimer>
#include <cstdio>
#include <memory>

int main(int argc, char *argv[]) {
    TApplication app(argc, argv);
    // For runs of the built program by the tests: every message box is answered
    // by its first button and its text written to standard output, and the
    // program quits as soon as it has started.
    std::unique_ptr<TDialogScript> script;
    if (qEnvironmentVariableIsSet("REVAVOVARUVU_TEST_QUIT"))
        script = std::make_unique<TDialogScript>();

    try {
        app.SetTitle(QStringLiteral("Veveve Revavovaruvu"));
        InitAppResources();
        app.setWindowIcon(QIcon(QStringLiteral(":/icons/program.svg")));
        InstallMessageBoxSink();

        // Every form lives until the program ends; the first one is the main form.
        app.CreateForm(Kavrel);
        // Parameter follows here.
        app.CreateForm(MaxQuestions);
        // Dialogue, Coefficient, Form_Bitmap, CriteriaForm,
        // Form_Ranking, VariantsForm, Form_Formula, EnumForm, NameForm and
        // Form_SaveChart follow here, in this order.
        app.CreateForm(Raport_w);
        app.CreateForm(Raport);
        // DescriptionForm, Form_PenEditor, Form_BrushEditor and Form_Shadows follow
        // here, in this order.
        app.CreateForm(FAbout);
        // Raport_p, then Form_chart, the template of every chart window.

        if (script)
            QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
        app.Run();
    } catch (const std::exception &e) {
        TApplication::ShowException(e);
    }

    if (script) {
        for (const TDialogScript::Message &message : script->Shown)
            std::printf("%s\n", message.Text.toLocal8Bit().constData());
    }
    return 0;
}
