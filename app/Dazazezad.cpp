#include "app/Dazazezad.h"

#include "app/AppResources.h"
#include "app/F_about.h"
#include "elicitation/Dialogues.h"

#include <QCloseEvent>
#include <QDir>
#include <QLayout>
#include <QLibrary>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

TKavrel *Kavrel = nullptr;

namespace {
const QString ExitQuestion = QStringLiteral("Are you sure you want to exit Veveve Revavovaruvu ?");
} // namespace

TKavrel::TKavrel(QWidget *owner) : QMainWindow(owner) {
    InitAppResources();
    setupUi(this);
    SetUpToolbars();
    StatusBar->AddPanel(200, QStringLiteral("Problem: None"));
    StatusBar->AddPanel(200, QStringLiteral("Results: None"));
    StatusBar->AddPanel(50, QStringLiteral("Hint"));

    // The members start at the values of their declarations; the documents
    // start empty from the two role columns.
    Xml.NewDocuments(Roles);

    OpenDialog.Title = QStringLiteral("Open problem");
    OpenDialog.Filter =
        QStringLiteral("Kavrel file|*.fun; *.FUN;*.crt;*.CRT; *.xml;*.XML|All files|*.*");
    OpenDialog.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist;
    SaveDialog.Title = QStringLiteral("Save problem");
    SaveDialog.Filter = QStringLiteral("Xml file|*.xml;*.XML");
    SaveDialog.DefaultExt = QStringLiteral("xml");
    SaveDialog.FileName = QStringLiteral("Kavrel problem");
    SaveDialog.Options = ofOverwritePrompt | ofHideReadOnly | ofPathMustExist;
    ResultOpenDialog.Title = QStringLiteral("Open results");
    ResultOpenDialog.Filter = QStringLiteral("Xml file|*.xml;*.XML|All files|*.*");
    ResultOpenDialog.Options = OpenDialog.Options;
    ResultSaveDialog.Title = QStringLiteral("Save results");
    ResultSaveDialog.Filter = SaveDialog.Filter;
    ResultSaveDialog.DefaultExt = SaveDialog.DefaultExt;
    ResultSaveDialog.FileName = QStringLiteral("Kavrel results");
    ResultSaveDialog.Options = SaveDialog.Options;
    const QString startFolder = QDir::currentPath();
    for (TFileDialog *dialog :
         {static_cast<TFileDialog *>(&OpenDialog), static_cast<TFileDialog *>(&ResultOpenDialog),
          static_cast<TFileDialog *>(&SaveDialog), static_cast<TFileDialog *>(&ResultSaveDialog)})
        dialog->InitialDir = startFolder;

    connect(Menu_Context, &QAction::triggered, this, &TKavrel::Menu_ContextClick);
    connect(Menu_About, &QAction::triggered, this, &TKavrel::Menu_AboutClick);
    connect(Menu_Exit, &QAction::triggered, this, &TKavrel::Menu_ExitClick);
    connect(Menu_Cascade, &QAction::triggered, this, &TKavrel::Menu_CascadeClick);
    connect(Menu_TileHorizontal, &QAction::triggered, this, &TKavrel::Menu_TileHorizontalClick);
    connect(Menu_TileVertical, &QAction::triggered, this, &TKavrel::Menu_TileVerticalClick);
    connect(Menu_ArrangeIcons, &QAction::triggered, this, &TKavrel::Menu_ArrangeIconsClick);
    connect(Menu_CloseAll, &QAction::triggered, this, &TKavrel::Menu_CloseAllClick);
    connect(SB_windows, &QAction::triggered, this, &TKavrel::SB_windowsClick);
    SetUpChartOptions();
    ConnectWorkflow();
    connect(Menu_Parameters, &QAction::triggered, this, &TKavrel::Menu_ParametersClick);
    SetUpDriver();

    // The client area is 759 x 475 below the menu bar, centred on the desktop.
    resize(759, 475 + menuBar()->sizeHint().height());
    if (const QScreen *desktop = screen())
        move(desktop->availableGeometry().center() - rect().center());

    FormCreate();
}

TKavrel::~TKavrel() {
    FormDestroy();
    if (Application)
        Application->OnHint = nullptr;
}

void TKavrel::SetUpToolbars() {
    // Main toolbar: 55 x 52 buttons in groups, with gaps before the first,
    // sixth, ninth and twelfth button.
    TB_Main->layout()->setSpacing(0);
    TB_Main->layout()->setContentsMargins(0, 0, 0, 0);
    TB_Main->setFixedHeight(60);
    const struct {
        QAction *Command;
        const char *Name;
        int GapBefore;
    } mainButtons[] = {
        {Menu_NewProblem, "SB_New", 7},          {Menu_LoadProblem, "SB_LoadProblem", 0},
        {Menu_SaveProblem, "SB_SaveProblem", 0}, {Menu_LoadResults, "SB_LoadResult", 0},
        {Menu_SaveResults, "SB_SaveResult", 0},  {Menu_NewFunction, "SB_NewFunction", 30},
        {Menu_EditCriteria, "SB_EditCrit", 0},   {Menu_EditAlternatives, "SB_EditAlternat", 0},
        {Menu_Formula, "SB_Formula", 30},        {Menu_Ranking, "SB_Ranking", 0},
        {Menu_Raport, "SB_Raport", 0},           {SB_windows, "SB_windows", 30},
    };
    for (const auto &b : mainButtons) {
        QWidget *button = TB_Main->widgetForAction(b.Command);
        button->setObjectName(QLatin1String(b.Name));
        button->setFixedSize(55, 52);
        if (b.GapBefore) {
            auto *gap = new QWidget(TB_Main);
            gap->setFixedSize(b.GapBefore, 1);
            TB_Main->insertWidget(b.Command, gap);
        }
    }

    // Chart toolbar: 28 x 25 buttons, hidden until a chart window exists.
    ToolBar_Chart->layout()->setSpacing(0);
    ToolBar_Chart->setFixedHeight(34);
    for (QAction *command : ToolBar_Chart->actions()) {
        QWidget *button = ToolBar_Chart->widgetForAction(command);
        button->setObjectName(command->objectName());
        button->setFixedSize(28, 25);
    }
    // Cross and zoom exclude each other, but both may be off.
    auto *crossOrZoom = new QActionGroup(this);
    crossOrZoom->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    crossOrZoom->addAction(SB_Cross_Chart);
    crossOrZoom->addAction(SB_Zoom_Chart);
    ToolBar_Chart->hide();

    TB_Criteria->setFixedHeight(26);

    // The blinking STOP button of the elicitation sits at the chart toolbar's row.
    SpeedButton_stop = new QPushButton(this);
    SpeedButton_stop->setObjectName(QStringLiteral("SpeedButton_stop"));
    SpeedButton_stop->setIcon(QIcon(QStringLiteral(":/icons/stop.svg")));
    SpeedButton_stop->setIconSize(QSize(20, 20));
    SpeedButton_stop->setFixedSize(139, 28);
    SpeedButton_stop->setStyleSheet(QStringLiteral("color: red; font-size: 16px;"));
    SpeedButton_stop->setCursor(Qt::PointingHandCursor);
    SpeedButton_stop->hide();
    Timer_glyph_stop = new QTimer(this);
    Timer_glyph_stop->setObjectName(QStringLiteral("Timer_glyph_stop"));
    Timer_glyph_stop->setInterval(800);
}

void TKavrel::PlaceStopButton() {
    SpeedButton_stop->move(424, TB_Main->geometry().bottom() + 1);
    SpeedButton_stop->raise();
}

void TKavrel::FormCreate() {
    const QString folder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    LoadHelpLibrary(folder + QLatin1String(HelpLibraryFileName));
    if (Application)
        Application->OnHint = [this] { DisplayHint(); };
    ProgramDir = folder;
}

void TKavrel::FormDestroy() {
    FreeHelpLibrary();
}

void TKavrel::FormClose() {}

void TKavrel::LoadHelpLibrary(const QString &path) {
    FreeHelpLibrary();
    // An absolute path: the library is taken from there and never searched for.
    auto *library = new QLibrary(QFileInfo(path).absoluteFilePath());
    if (!library->load()) {
        delete library;
        ShowMessage(QStringLiteral("Can't find HHLIB.dll !"), this);
        return;
    }
    HelpLibrary = library;
    HelpShow = reinterpret_cast<THtmlHelpShow>(library->resolve(HtmlHelpShowName));
    if (!HelpShow) {
        ShowMessage(QStringLiteral("Error! File HHLIB.dll is corrupted!"), this);
        FreeHelpLibrary();
    }
}

void TKavrel::FreeHelpLibrary() {
    HelpShow = nullptr;
    if (!HelpLibrary)
        return;
    HelpLibrary->unload();
    delete HelpLibrary;
    HelpLibrary = nullptr;
}

void TKavrel::ShowHelpTopic(const QString &topic) {
    if (!HelpShow)
        return;
    const QByteArray path = (QStringLiteral("rovezizez.chm::/") + topic).toLocal8Bit();
    HelpShow(nullptr, path.constData(), 0, 0);
}

void TKavrel::DisplayHint() {
    StatusBar->SetPanelText(2, Application ? Application->Hint : QString());
}

QWidget *TKavrel::QuestionDialogue() const {
    return Dialogue;
}

void TKavrel::FormCloseQuery(bool &CanClose) {
    if (QWidget *dialogue = QuestionDialogue(); dialogue && dialogue->isVisible()) {
        dialogue->raise();
        dialogue->activateWindow();
        return;
    }
    QString text = ExitQuestion;
    if (!ProblemSaved)
        text += QStringLiteral("\nProblem is not saved !");
    if (!ResultsSaved)
        text += QStringLiteral("\nResults are not saved !");
    CanClose = MessageDlg(text, mtWarning, mbYesNo, this) == mrYes;
}

void TKavrel::closeEvent(QCloseEvent *event) {
    // Every child window may refuse first, then the frame asks its own question.
    bool CanClose = true;
    for (QMdiSubWindow *child : ClientArea->subWindowList()) {
        auto *query = dynamic_cast<TCloseQuery *>(child->widget());
        if (!query)
            query = dynamic_cast<TCloseQuery *>(child);
        if (query)
            query->FormCloseQuery(CanClose);
        if (!CanClose)
            break;
    }
    if (CanClose)
        FormCloseQuery(CanClose);
    if (!CanClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TKavrel::PreviewKey(QKeyEvent *event) {
    bool Handled = false;
    FormShortCut(event, Handled);
    return Handled;
}

void TKavrel::FormShortCut(QKeyEvent *key, bool &) {
    if (key->key() == Qt::Key_F1)
        ShowHelpTopic(QLatin1String(HelpTopic::Main));
    else if (key->key() == Qt::Key_F10)
        Menu_AboutClick();
}

void TKavrel::Menu_ContextClick() {
    ShowHelpTopic(QLatin1String(HelpTopic::Main));
}

void TKavrel::Menu_AboutClick() {
    if (FAbout)
        FAbout->exec();
}

void TKavrel::Menu_ExitClick() {
    close();
}

void TKavrel::CheckArrangement(QAction *item) {
    for (QAction *arrangement : {Menu_Cascade, Menu_TileHorizontal, Menu_TileVertical})
        arrangement->setChecked(arrangement == item);
}

void TKavrel::Menu_CascadeClick() {
    Cascade();
    CheckArrangement(Menu_Cascade);
}

void TKavrel::Menu_TileVerticalClick() {
    ClientArea->TileMode = tbVertical;
    Tile();
    CheckArrangement(Menu_TileVertical);
}

void TKavrel::Menu_TileHorizontalClick() {
    ClientArea->TileMode = tbHorizontal;
    Tile();
    CheckArrangement(Menu_TileHorizontal);
}

void TKavrel::Menu_ArrangeIconsClick() {
    ArrangeIcons();
}

void TKavrel::ArrangeCharts() {
    if (Menu_Cascade->isChecked())
        Cascade();
    if (Menu_TileHorizontal->isChecked()) {
        ClientArea->TileMode = tbHorizontal;
        Tile();
    }
    if (Menu_TileVertical->isChecked()) {
        ClientArea->TileMode = tbVertical;
        Tile();
    }
    ArrangeIcons();
}

void TKavrel::FormResize() {
    ArrangeCharts();
}

void TKavrel::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    PlaceStopButton();
    FormResize();
}

void TKavrel::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    PlaceStopButton();
}

void TKavrel::Menu_CloseAllClick() {
    // A chart window minimises when it is closed.
    for (int i = MDIChildCount() - 1; i >= 0; --i)
        MDIChildren(i)->close();
    Menu_CloseAll->setEnabled(false);
}

void TKavrel::SB_windowsClick() {
    QWidget *dialogue = QuestionDialogue();
    if (!dialogue || !dialogue->isVisible() || dialogue->isActiveWindow())
        return;
    dialogue->show();
    dialogue->raise();
    dialogue->activateWindow();
}
