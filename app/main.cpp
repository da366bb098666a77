// Program entry: the application object, the forms in their order, the event loop.
#include "app/AppResources.h"
#include "app/Criteriaf.h"
#include "app/Dazazezad.h"
#include "app/Descriptionf.h"
#include "app/Enumf.h"
#include "app/F_about.h"
#include "app/Formula.h"
#include "app/Namef.h"
#include "app/Ranking.h"
#include "app/Variantsf.h"
#include "elicitation/ChartBitmap.h"
#include "elicitation/ChartBrushEditor.h"
#include "elicitation/ChartPenEditor.h"
#include "elicitation/ChartSave.h"
#include "elicitation/ChartShadows.h"
#include "elicitation/Chartmain.h"
#include "elicitation/Coefficients.h"
#include "elicitation/Dialogues.h"
#include "elicitation/Maxquestion.h"
#include "elicitation/Parameters.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/WebBrowser.h"
#include "report/F_raport.h"
#include "report/F_raport_p.h"
#include "report/F_raport_w.h"

#include <QTimer>
#include <cstdio>
#include <memory>

int main(int argc, char *argv[]) {
    PrepareWebBrowser();
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
        app.CreateForm(Parameter);
        app.CreateForm(MaxQuestions);
        app.CreateForm(Dialogue);
        app.CreateForm(Coefficient);
        app.CreateForm(Form_Bitmap);
        app.CreateForm(CriteriaForm);
        app.CreateForm(Form_Ranking);
        app.CreateForm(VariantsForm);
        app.CreateForm(Form_Formula);
        app.CreateForm(EnumForm);
        app.CreateForm(NameForm);
        app.CreateForm(Form_SaveChart);
        app.CreateForm(Raport_w);
        app.CreateForm(Raport);
        app.CreateForm(DescriptionForm);
        app.CreateForm(Form_PenEditor);
        app.CreateForm(Form_BrushEditor);
        app.CreateForm(Form_Shadows);
        app.CreateForm(FAbout);
        app.CreateForm(Raport_p);
        app.CreateForm(Form_chart); // the template of every chart window

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
