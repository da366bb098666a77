// The main frame: its start state, hints, exit question, window arrangement,
// help and About.
#include "GuiTest.h"

#include <QLabel>
#include <QLibraryInfo>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

namespace {
// Stands in for a chart window: minimises instead of closing, and may refuse the exit.
class TStandInChart : public QWidget, public TCloseQuery {
public:
    bool RefuseExit = false;
    int ExitQuestions = 0;
    void FormCloseQuery(bool &CanClose) override {
        ++ExitQuestions;
        if (RefuseExit)
            CanClose = false;
    }

protected:
    void closeEvent(QCloseEvent *event) override {
        event->ignore();
        parentWidget()->showMinimized();
    }
};

QStringList MenuLayout(const QMenu *menu) {
    QStringList names;
    for (const QAction *item : menu->actions())
        names << (item->isSeparator() ? QStringLiteral("-") : item->objectName());
    return names;
}

QWidget *HelpWindow() {
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("HelpWindow") && window->isVisible())
            return window;
    }
    return nullptr;
}

QTextBrowser *HelpBrowser() {
    QWidget *window = HelpWindow();
    return window ? window->findChild<QTextBrowser *>(QStringLiteral("HelpBrowser")) : nullptr;
}
} // namespace

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startValues();
    void commands_data();
    void commands();
    void menus();
    void barsAtStart();
    void hintsGoToPanel2();
    void exitQuestion_data();
    void exitQuestion();
    void childWindowMayRefuseExit();
    void tileAndCascade();
    void resizeRearrangesInCheckedMode();
    void closeAllMinimises();
    void helpTopics();
    void helpLibraryFailures();
    void aboutOnF10();

private:
    QList<QMdiSubWindow *> AddCharts(int count);
    std::unique_ptr<TFrameFixture> fixture_;
};

void TestFrame::init() {
    fixture_ = std::make_unique<TFrameFixture>();
    Kavrel->show();
    QVERIFY(QTest::qWaitForWindowExposed(Kavrel));
}

void TestFrame::cleanup() {
    fixture_->Check();
    fixture_.reset();
}

QList<QMdiSubWindow *> TestFrame::AddCharts(int count) {
    QList<QMdiSubWindow *> charts;
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow *child = Kavrel->ClientArea->addSubWindow(new TStandInChart);
        child->resize(200, 150);
        child->show();
        charts << child;
    }
    return charts;
}

void TestFrame::startValues() {
    TKavrel &k = *Kavrel;
    QCOMPARE(k.windowTitle(), QStringLiteral("Veveve Revavovaruvu"));
    QCOMPARE(k.Roles.size(), size_t(2));
    QCOMPARE(k.Roles[0].AttrID, QStringLiteral("MAKE"));
    QCOMPARE(k.Roles[0].Caption, QStringLiteral("Name"));
    QCOMPARE(k.Roles[1].AttrID, QStringLiteral("DESC"));
    QCOMPARE(k.Roles[1].Caption, QStringLiteral("Description"));
    QVERIFY(k.Criteria.empty());
    QCOMPARE(k.Probability, 0.5);
    QCOMPARE(k.Questions, 5);
    QCOMPARE(k.ProbabilityPrecision, 3);
    QVERIFY(k.FirstQuestion && k.ChartShadow && k.DynamicShadow && k.ActiveLine);
    QVERIFY(k.ProblemSaved && k.ResultsSaved);
    QVERIFY(!k.Cancelled && !k.SolutionComplete && !k.DialogueMode && !k.CrossMode);
    QCOMPARE(ToQColor(k.ChartRangeBrushColor), QColor(Qt::yellow));
    QCOMPARE(ToQColor(k.DecisionRangePenColor), QColor(0, 128, 0));
    QCOMPARE(ToQColor(k.ActiveLineColor), QColor(Qt::red));
    QCOMPARE(int(k.ChartRangeBrushStyle), 5);
    QCOMPARE(int(k.DecisionRangePenStyle), 1);
    for (int i = 0; i < MaxCriteria; ++i)
        QVERIFY(!k.Charts[size_t(i)] && !k.CriteriaButtons[size_t(i)]);
    QVERIFY(k.ProgramDir.endsWith(QLatin1Char('/')));
    QVERIFY(!k.HelpLibrary && !k.HelpShow);
    QCOMPARE(k.OpenDialog.InitialDir, QDir::currentPath());
    QCOMPARE(k.ResultSaveDialog.InitialDir, QDir::currentPath());
    QCOMPARE(k.SaveDialog.FileName, QStringLiteral("Kavrel problem"));
    QVERIFY(k.SaveDialog.Options & ofOverwritePrompt);
    QVERIFY(k.ResultOpenDialog.Options & ofFileMustExist);
}

void TestFrame::commands_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("button"); // toolbar button of the same command, if any
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");

    const auto row = [](const char *item, const char *button, const char *caption,
                        const char *shortcut, const char *hint, bool enabled,
                        bool checked = false) {
        QTest::newRow(item) << item << button << caption << shortcut << hint << enabled << checked;
    };
    row("Menu_NewProblem", "SB_New", "N&ew Problem", "Ctrl+E", "Define new problem", true);
    row("Menu_LoadProblem", "SB_LoadProblem", "&Load Problem", "Ctrl+L",
        "Load exist problem from file", true);
    row("Menu_SaveProblem", "SB_SaveProblem", "&Save Problem", "Ctrl+S", "Save problem to file",
        false);
    row("Menu_LoadResults", "SB_LoadResult", "&Load Results", "Ctrl+Alt+L",
        "Load exist results from file", false);
    row("Menu_SaveResults", "SB_SaveResult", "&Save Results", "Ctrl+Alt+S", "Save results to file",
        false);
    row("Menu_NewFunction", "SB_NewFunction", "&New Function", "Ctrl+N", "Define new function",
        false);
    row("Menu_EditCriteria", "SB_EditCrit", "Edit &Criteria", "Ctrl+C", "Edit criteria", false);
    row("Menu_EditAlternatives", "SB_EditAlternat", "Edit &Alternatives", "Ctrl+A",
        "Edit alternatives", false);
    row("Menu_Formula", "SB_Formula", "&Formula", "Ctrl+F", "Show formula", true);
    row("Menu_Ranking", "SB_Ranking", "&Ranking", "Ctrl+R", "Show ranking", false);
    row("Menu_Raport", "SB_Raport", "Repor&t", "Ctrl+T", "Create report", false);
    row("Menu_Exit", "", "E&xit", "Ctrl+X", "Exit program", true);
    row("Menu_Parameters", "", "&Parameters", "Ctrl+P", "Define parameters of problem", true);
    row("Menu_CorrectChart", "", "C&orrect Chart", "Ctrl+O", "Change active function", true);
    row("Menu_SaveChart", "", "Save Char&t", "Ctrl+Alt+T", "Save active chart", true);
    row("Menu_PrintChart", "", "Pri&nt Chart", "Ctrl+Alt+N", "Print active chart", true);
    row("Menu_Cross", "", "C&ross", "Ctrl+Alt+R", "", true);
    row("Menu_Move", "", "Mo&ve", "Ctrl+Alt+V", "", true);
    row("Menu_Scroll", "", "Scr&oll", "Ctrl+Alt+O", "", true);
    row("Menu_Zoom", "", "&Zoom", "Ctrl+Alt+Z", "", true);
    row("Menu_MarksX", "", "Marks &x", "Ctrl+Alt+X", "Show/Hide  marks x values", true);
    row("Menu_MarksY", "", "Marks &y", "Ctrl+Alt+Y", "Show/Hide marks y values", true);
    // Ctrl+Alt+H is the shadow item's; Edit Shadows has no key of its own.
    row("Menu_ShadowChart", "", "Chart s&hadow", "Ctrl+Alt+H", "Show/Hide chart shadow", false,
        true);
    row("Menu_Dynamicshadow", "", "&Dynamic shadow", "Ctrl+Alt+D", "Show/Hide dynamic shadow",
        false, true);
    row("Menu_InsertBitmap", "", "Insert &Bitmap", "Ctrl+B", "Insert bitmap to active chart", true);
    row("Menu_EditShadows", "", "Edit &Shadows", "", "Edit properties of shadows", true);
    row("Menu_EditChart", "", "Edit &Chart", "Ctrl+Alt+C", "Edit properties of charts", true);
    row("Menu_Cascade", "", "&Cascade", "F2", "Cascade all charts", true, true);
    row("Menu_TileHorizontal", "", "Tile &Horizontal", "F3", "Tile horizontal all charts", true);
    row("Menu_TileVertical", "", "Tile &Vertical", "F4", "Tile vertical all charts", true);
    row("Menu_CloseAll", "", "C&lose All", "F6", "Minimize all charts", false);
    row("Menu_ArrangeIcons", "", "&Arrange Icons", "F7", "", true);
    row("Menu_Context", "", "&Context    F1", "", "Show context of help", true);
    row("Menu_About", "", "&About       F10", "", "Show authors of program", true);
}

void TestFrame::commands() {
    QFETCH(QString, item);
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(QString, hint);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);

    auto *action = Kavrel->findChild<QAction *>(item);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->shortcut(), QKeySequence(shortcut));
    QCOMPARE(action->statusTip(), hint);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->isChecked(), checked);
    if (button.isEmpty())
        return;
    auto *toolButton = Kavrel->TB_Main->findChild<QToolButton *>(button);
    QVERIFY(toolButton);
    // One command: the button is the menu item's action, with its picture and hint.
    QCOMPARE(toolButton->defaultAction(), action);
    QVERIFY(!action->icon().isNull());
    QCOMPARE(toolButton->toolTip(), hint);
    QCOMPARE(toolButton->size(), QSize(55, 52));
    QVERIFY(toolButton->isVisible());
    action->setEnabled(!enabled);
    QCOMPARE(toolButton->isEnabled(), !enabled);
}

void TestFrame::menus() {
    const QStringList bar = [] {
        QStringList names;
        for (const QAction *menu : Kavrel->MainMenu1->actions())
            names << menu->text();
        return names;
    }();
    QCOMPARE(bar, (QStringList{"&Problem", "&Results", "&Options", "&Chart", "&Window", "Help"}));
    QCOMPARE(MenuLayout(Kavrel->Menu_Problem),
             (QStringList{"Menu_NewProblem", "Menu_LoadProblem", "Menu_SaveProblem", "-",
                          "Menu_NewFunction", "Menu_EditCriteria", "Menu_EditAlternatives", "-",
                          "Menu_Exit"}));
    QCOMPARE(MenuLayout(Kavrel->Menu_Results),
             (QStringList{"Menu_LoadResults", "Menu_SaveResults", "-", "Menu_Formula",
                          "Menu_Ranking", "Menu_Raport"}));
    QCOMPARE(MenuLayout(Kavrel->Menu_Options), (QStringList{"Menu_Parameters", "-"}));
    QCOMPARE(MenuLayout(Kavrel->Menu_Chart),
             (QStringList{"Menu_CorrectChart", "Menu_SaveChart", "Menu_PrintChart", "-",
                          "Menu_Cross", "Menu_Move", "Menu_Scroll", "Menu_Zoom", "-", "Menu_MarksX",
                          "Menu_MarksY", "Menu_ShadowChart", "Menu_Dynamicshadow", "-",
                          "Menu_InsertBitmap", "Menu_EditShadows", "Menu_EditChart"}));
    QCOMPARE(MenuLayout(Kavrel->Menu_Window),
             (QStringList{"Menu_Cascade", "Menu_TileHorizontal", "Menu_TileVertical", "-",
                          "Menu_CloseAll", "Menu_ArrangeIcons"}));
    QCOMPARE(MenuLayout(Kavrel->Menu_Help), (QStringList{"Menu_Context", "-", "Menu_About"}));
    QVERIFY(!Kavrel->Menu_Chart->isEnabled());
    QVERIFY(Kavrel->Menu_Window->isEnabled() && Kavrel->Menu_Help->isEnabled());
}

void TestFrame::barsAtStart() {
    TKavrel &k = *Kavrel;
    QCOMPARE(k.StatusBar->PanelCount(), 3);
    QCOMPARE(k.StatusBar->PanelText(0), QStringLiteral("Problem: None"));
    QCOMPARE(k.StatusBar->PanelText(1), QStringLiteral("Results: None"));
    QCOMPARE(k.StatusBar->PanelText(2), QStringLiteral("Hint"));
    QCOMPARE(k.StatusBar->Panel(0)->width(), 200);
    QCOMPARE(k.StatusBar->Panel(1)->width(), 200);
    QCOMPARE(k.TB_Main->height(), 60);
    QVERIFY(!k.SB_windows->isVisible());
    QCOMPARE(k.SB_windows->statusTip(), QStringLiteral("Show back dialog window"));
    QVERIFY(!k.ToolBar_Chart->isVisible());
    // Every chart button has its picture and hint; cross and zoom exclude each other.
    const QStringList chartButtons{"SB_Save_Chart",         "SB_Print_Chart",  "SB_Cross_Chart",
                                   "SB_Move_Chart",         "SB_Scrol_Chart",  "SB_Zoom_Chart",
                                   "SpeedButton_zoomreset", "SB_Marksx_Chart", "SB_Marksy_Chart",
                                   "SB_correctchart",       "SB_Exit_Function"};
    for (const QString &name : chartButtons) {
        auto *button = k.ToolBar_Chart->findChild<QToolButton *>(name);
        QVERIFY2(button && !button->defaultAction()->icon().isNull(), qPrintable(name));
        QVERIFY2(!button->defaultAction()->statusTip().isEmpty(), qPrintable(name));
    }
    QVERIFY(!k.SB_Exit_Function->isVisible());
    k.SB_Cross_Chart->trigger();
    k.SB_Zoom_Chart->trigger();
    QVERIFY(!k.SB_Cross_Chart->isChecked() && k.SB_Zoom_Chart->isChecked());
    k.SB_Zoom_Chart->trigger();
    QVERIFY(!k.SB_Cross_Chart->isChecked() && !k.SB_Zoom_Chart->isChecked());
    k.SB_Move_Chart->trigger();
    k.SB_Scrol_Chart->trigger();
    QVERIFY(k.SB_Move_Chart->isChecked() && k.SB_Scrol_Chart->isChecked());

    QVERIFY(k.SpeedButton_stop && !k.SpeedButton_stop->isVisible());
    QCOMPARE(k.SpeedButton_stop->geometry(),
             QRect(424, k.TB_Main->geometry().bottom() + 1, 139, 28));
    QVERIFY(!k.Timer_glyph_stop->isActive());
    QCOMPARE(k.Timer_glyph_stop->interval(), 800);
    QVERIFY(k.TB_Criteria->actions().isEmpty());
    QCOMPARE(k.TB_Criteria->height(), 26);
}

void TestFrame::hintsGoToPanel2() {
    auto *button = Kavrel->TB_Main->findChild<QToolButton *>(QStringLiteral("SB_SaveProblem"));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), button->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(button, &enter);
    QCOMPARE(Kavrel->StatusBar->PanelText(2), QStringLiteral("Save problem to file"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    QCOMPARE(Kavrel->StatusBar->PanelText(2), QString());
    // A menu item under the pointer shows its hint the same way.
    Kavrel->Menu_About->showStatusText(Kavrel);
    QCOMPARE(Kavrel->StatusBar->PanelText(2), QStringLiteral("Show authors of program"));
}

void TestFrame::exitQuestion_data() {
    QTest::addColumn<bool>("problemSaved");
    QTest::addColumn<bool>("resultsSaved");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("text");
    const QString question = QStringLiteral("Are you sure you want to exit Veveve Revavovaruvu ?");
    QTest::newRow("fresh, yes") << true << true << int(mrYes) << question;
    QTest::newRow("fresh, no") << true << true << int(mrNo) << question;
    QTest::newRow("problem unsaved")
        << false << true << int(mrYes) << question + QStringLiteral("\nProblem is not saved !");
    QTest::newRow("results unsaved")
        << true << false << int(mrYes) << question + QStringLiteral("\nResults are not saved !");
    QTest::newRow("both unsaved, no")
        << false << false << int(mrNo)
        << question + QStringLiteral("\nProblem is not saved !\nResults are not saved !");
}

void TestFrame::exitQuestion() {
    QFETCH(bool, problemSaved);
    QFETCH(bool, resultsSaved);
    QFETCH(int, answer);
    QFETCH(QString, text);
    Kavrel->ProblemSaved = problemSaved;
    Kavrel->ResultsSaved = resultsSaved;
    fixture_->Script.Answer(answer, text);
    Kavrel->Menu_Exit->trigger();
    QCOMPARE(fixture_->Script.Shown.last().Type, mtWarning);
    QCOMPARE(fixture_->Script.Shown.last().Buttons, mbYesNo);
    QCOMPARE(Kavrel->isVisible(), answer != mrYes);
}

void TestFrame::childWindowMayRefuseExit() {
    const QList<QMdiSubWindow *> charts = AddCharts(2);
    auto *second = static_cast<TStandInChart *>(charts[1]->widget());
    second->RefuseExit = true;
    QVERIFY(!Kavrel->close());
    QVERIFY(Kavrel->isVisible());
    QCOMPARE(second->ExitQuestions, 1);
    // The frame did not ask its own question.
    QCOMPARE(fixture_->Script.Shown.size(), 1);
    second->RefuseExit = false;
    fixture_->Script.Answer(mrYes,
                            QStringLiteral("Are you sure you want to exit Veveve Revavovaruvu ?"));
    QVERIFY(Kavrel->close());
}

void TestFrame::tileAndCascade() {
    const QList<QMdiSubWindow *> charts = AddCharts(3);
    const QSize area = Kavrel->ClientArea->viewport()->size();
    for (int twice = 0; twice < 2; ++twice)
        Kavrel->Menu_TileVertical->trigger();
    QVERIFY(Kavrel->Menu_TileVertical->isChecked());
    QVERIFY(!Kavrel->Menu_Cascade->isChecked() && !Kavrel->Menu_TileHorizontal->isChecked());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(charts[i]->geometry().left(), area.width() * i / 3);
        QCOMPARE(charts[i]->height(), area.height());
    }
    Kavrel->Menu_TileHorizontal->trigger();
    QVERIFY(Kavrel->Menu_TileHorizontal->isChecked() && !Kavrel->Menu_TileVertical->isChecked());
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(charts[i]->geometry().top(), area.height() * i / 3);
        QCOMPARE(charts[i]->width(), area.width());
    }
    Kavrel->Menu_Cascade->trigger();
    QVERIFY(Kavrel->Menu_Cascade->isChecked() && !Kavrel->Menu_TileHorizontal->isChecked());
    QVERIFY(charts[0]->pos().x() < charts[1]->pos().x());
    QVERIFY(charts[1]->pos().y() < charts[2]->pos().y());
    // A minimised window stays out of the tiling and is lined up at the bottom.
    charts[2]->showMinimized();
    Kavrel->Menu_TileVertical->trigger();
    QCOMPARE(charts[1]->geometry().left(), area.width() / 2);
    QCOMPARE(charts[2]->geometry().bottom(), area.height() - 1);
    QCOMPARE(charts[2]->geometry().left(), 0);
}

void TestFrame::resizeRearrangesInCheckedMode() {
    const QList<QMdiSubWindow *> charts = AddCharts(2);
    Kavrel->Menu_TileVertical->trigger();
    Kavrel->resize(Kavrel->width() + 200, Kavrel->height() + 100);
    QTRY_COMPARE(Kavrel->ClientArea->viewport()->width() / 2, charts[1]->geometry().left());
    QCOMPARE(charts[0]->height(), Kavrel->ClientArea->viewport()->height());
}

void TestFrame::closeAllMinimises() {
    const QList<QMdiSubWindow *> charts = AddCharts(3);
    Kavrel->Menu_CloseAll->setEnabled(true);
    Kavrel->Menu_CloseAll->trigger();
    for (QMdiSubWindow *chart : charts)
        QVERIFY(chart->isMinimized());
    QCOMPARE(Kavrel->MDIChildCount(), 3);
    QVERIFY(!Kavrel->Menu_CloseAll->isEnabled());
}

void TestFrame::helpTopics() {
    Kavrel->LoadHelpLibrary(QStringLiteral(VR_HELP_LIBRARY));
    QVERIFY(Kavrel->HelpShow);
    for (const char *topic : HelpTopic::All) {
        Kavrel->ShowHelpTopic(QLatin1String(topic));
        QTextBrowser *browser = HelpBrowser();
        QVERIFY2(browser, topic);
        QString page = QLatin1String(topic);
        page.replace(QLatin1Char('\\'), QLatin1Char('/'));
        QCOMPARE(browser->source().toString(), QStringLiteral("qrc:/rovezizez.chm/") + page);
        QVERIFY2(!browser->documentTitle().isEmpty(), topic);
        QCOMPARE(HelpWindow()->windowTitle(), browser->documentTitle());

        // Every link of the page leads to a page or picture of the archive.
        QFile source(QStringLiteral(":/rovezizez.chm/") + page);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(source.readAll());
        static const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#]+)"));
        for (auto m = link.globalMatch(html); m.hasNext();) {
            const QString target = m.next().captured(1);
            if (target.startsWith(QLatin1String("http")))
                continue;
            const QUrl resolved = browser->source().resolved(QUrl(target));
            QVERIFY2(QFile::exists(QLatin1Char(':') + resolved.path()),
                     qPrintable(page + QLatin1String(" -> ") + target));
        }
    }
    HelpWindow()->close();
    QTest::keyClick(Kavrel, Qt::Key_F1);
    QVERIFY(HelpBrowser());
    QCOMPARE(HelpBrowser()->source().toString(),
             QStringLiteral("qrc:/rovezizez.chm/Przedstaw.htm"));
    Kavrel->ShowHelpTopic(QStringLiteral("Praca\\missing.htm"));
    QVERIFY(HelpBrowser()->toPlainText().contains(QStringLiteral("not in the help file")));
    // Unloading the library takes its window with it.
    Kavrel->FreeHelpLibrary();
    QVERIFY(!HelpWindow());
}

void TestFrame::helpLibraryFailures() {
    fixture_->Script.Answer(mrOk, QStringLiteral("Can't find HHLIB.dll !"));
    Kavrel->LoadHelpLibrary(QDir::tempPath() + QStringLiteral("/no-such-folder/libhhlib.so"));
    QVERIFY(!Kavrel->HelpLibrary && !Kavrel->HelpShow);

    // A library that loads but lacks the entry.
    const QString other = QLibraryInfo::path(QLibraryInfo::LibrariesPath) +
                          QStringLiteral("/libQt6Core.so.") + QString::number(QT_VERSION_MAJOR);
    QVERIFY(QFile::exists(other));
    fixture_->Script.Answer(mrOk, QStringLiteral("Error! File HHLIB.dll is corrupted!"));
    Kavrel->LoadHelpLibrary(other);
    QVERIFY(!Kavrel->HelpLibrary && !Kavrel->HelpShow);
    QCOMPARE(fixture_->Script.Shown.size(), 3);
    QCOMPARE(fixture_->Script.Shown.last().Type, mtCustom);

    // Without help, F1 and the Help menu do nothing.
    QTest::keyClick(Kavrel, Qt::Key_F1);
    Kavrel->Menu_Context->trigger();
    QVERIFY(!HelpWindow());
}

void TestFrame::aboutOnF10() {
    const QList<QMdiSubWindow *> charts = AddCharts(1);
    QStringList seen;
    const auto inspectAndLeave = [&seen] {
        auto *about = qobject_cast<TFAbout *>(QApplication::activeModalWidget());
        if (!about)
            return;
        seen << about->windowTitle();
        QCOMPARE(about->size(), QSize(491, 425));
        QCOMPARE(about->Label->text(), QStringLiteral("Compilation date : 21.09.2002"));
        QCOMPARE(about->Label2->text(), QStringLiteral("Authors :"));
        for (QLabel *name : {about->Label3, about->Label4, about->Label5, about->Label6})
            QVERIFY(!name->text().isEmpty());
        QVERIFY(!about->Image1->pixmap().isNull());
        QCOMPARE(about->SB_Exit_Function->toolTip(), QStringLiteral("Exit"));
        QTest::mouseClick(about->SB_Exit_Function, Qt::LeftButton);
    };
    // From the frame, and from inside a chart window.
    QTimer::singleShot(0, this, inspectAndLeave);
    QTest::keyClick(Kavrel, Qt::Key_F10);
    charts[0]->widget()->setFocus();
    QTimer::singleShot(0, this, inspectAndLeave);
    QTest::keyClick(charts[0]->widget(), Qt::Key_F10);
    QTimer::singleShot(0, this, inspectAndLeave);
    Kavrel->Menu_About->trigger();
    QCOMPARE(seen, QStringList(3, QStringLiteral("About program")));
    QVERIFY(!FAbout->isVisible());
}

VR_GUI_TEST_MAIN(TestFrame)
#include "tst_frame.moc"
