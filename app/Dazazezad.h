// The main frame: owns the whole problem state, carries the menus, toolbars and
// status bar, offers help and About, arranges the chart windows and asks before
// the program exits.
#pragma once

#include "elicitation/Chartmain.h"
#include "model/DecisionModel.h"
#include "model/InputOutput.h"
#include "platform/Application.h"
#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "platform/MdiClient.h"
#include "platform/hhlib/HtmlHelp.h"
#include "ui_Dazazezad.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>

class QLibrary;
class QPushButton;
class QTimer;

// Help topics of the windows, inside the help archive.
namespace HelpTopic {
constexpr const char Main[] = "Przedstaw.htm";
constexpr const char Parameters[] = "Praca\\parameters.htm";
constexpr const char Dialogue[] = "Praca\\dialog.htm";
constexpr const char Coefficient[] = "Praca\\Coeficient.htm";
constexpr const char Chart[] = "Praca\\Chart.htm";
constexpr const char Criteria[] = "Praca\\criteria.htm";
constexpr const char Ranking[] = "Praca\\Ranking.htm";
constexpr const char Alternatives[] = "Praca\\Alternatives.htm";
constexpr const char Formula[] = "Praca\\function.htm";
constexpr const char Report[] = "Praca\\report.htm";
constexpr const char ReportPreview[] = "Praca\\reportp.htm";
constexpr const char *All[] = {Main,    Parameters,   Dialogue, Coefficient, Chart,        Criteria,
                               Ranking, Alternatives, Formula,  Report,      ReportPreview};
} // namespace HelpTopic

class TKavrel : public QMainWindow, public Ui::TKavrel, public TKeyPreview {
    Q_OBJECT
public:
    explicit TKavrel(QWidget *owner = nullptr);
    ~TKavrel() override;

    QString ProgramDir; // folder of the executable, with a trailing separator
    QLibrary *HelpLibrary = nullptr;
    THtmlHelpShow HelpShow = nullptr;

    // The problem itself lives in the model; the frame's names refer into it.
    TDecisionModel Model;
    std::vector<TROLENAME> &Roles = Model.Roles;
    std::vector<TPROBLEM> &Criteria = Model.Criteria;
    TVARIANTS &Variants = Model.Variants;
    TINPUT_OUTPUT Xml;
    // Guarded: a window may go while a handler still refers to it.
    std::array<QPointer<TForm_chart>, MaxCriteria> Charts{}; // by criterion position
    QPointer<TForm_chart> SavedChartWindow;

    // Elicitation parameters.
    int Questions = 5;
    int ProbabilityPrecision = 3;
    int &UsedCount = Model.UsedCount;
    int ActiveCriterion = 0;
    double Probability = 0.5;

    bool FirstQuestion = true;
    bool Cancelled = false;
    bool &SolutionComplete = Model.SolutionComplete;
    bool SolutionUnfinished = false;
    bool CorrectingChart = false;
    bool CriterionDone = false;
    bool DialogueMode = false;
    bool CriteriaChanged = false;
    bool CoefficientsInvalid = false;
    bool FunctionsInvalid = false;

    // Chart options and appearance.
    bool CrossMode = false;
    bool ScrollMode = false;
    bool MoveMode = false;
    bool ZoomMode = false;
    bool MarksX = false;
    bool MarksY = false;
    bool ChartShadow = true;
    bool DynamicShadow = true;
    bool ActiveRangeShown = false;
    bool ActiveLine = true;
    TColor ChartRangeBrushColor = clYellow;
    TColor ChartRangePenColor = clYellow;
    TColor DecisionRangeBrushColor = clGreen;
    TColor DecisionRangePenColor = clGreen;
    TColor ActiveLineColor = clRed;
    std::uint8_t ChartRangePenStyle = 2;      // dot
    std::uint8_t ChartRangeBrushStyle = 5;    // diagonal
    std::uint8_t DecisionRangePenStyle = 1;   // dash
    std::uint8_t DecisionRangeBrushStyle = 4; // back diagonal
    int ChartRangePenWidth = 1;
    int DecisionRangePenWidth = 1;

    bool ProblemSaved = true;
    bool ResultsSaved = true;
    std::array<QPointer<QPushButton>, MaxCriteria> CriteriaButtons{}; // by criterion position

    // The main toolbar's buttons are the commands of their menu items, so that
    // handler, hint and enabled state cannot differ.
    QAction *&SB_New = Menu_NewProblem;
    QAction *&SB_LoadProblem = Menu_LoadProblem;
    QAction *&SB_SaveProblem = Menu_SaveProblem;
    QAction *&SB_LoadResult = Menu_LoadResults;
    QAction *&SB_SaveResult = Menu_SaveResults;
    QAction *&SB_NewFunction = Menu_NewFunction;
    QAction *&SB_EditCrit = Menu_EditCriteria;
    QAction *&SB_EditAlternat = Menu_EditAlternatives;
    QAction *&SB_Formula = Menu_Formula;
    QAction *&SB_Ranking = Menu_Ranking;
    QAction *&SB_Raport = Menu_Raport;

    QPushButton *SpeedButton_stop = nullptr;
    QTimer *Timer_glyph_stop = nullptr;

    TOpenDialog OpenDialog;
    TSaveDialog SaveDialog;
    TOpenDialog ResultOpenDialog;
    TSaveDialog ResultSaveDialog;

    // Look-ups and model commands.
    bool IsAttrIdFree(const QString &attrId) const { return Model.IsAttrIdFree(attrId); }
    bool IsCriterionNameUnique(const QString &name, int skipIndex) const {
        return Model.IsCriterionNameUnique(name, skipIndex);
    }
    int MaxCriterionId() const { return Model.MaxCriterionId(); }
    int CriterionIndexById(int id) const { return Model.CriterionIndexById(id); }
    int CriterionIndexByName(const QString &name) const { return Model.CriterionIndexByName(name); }
    int CriterionIdByName(const QString &name) const { return Model.CriterionIdByName(name); }
    int AlternativeIndexByName(const QString &name) const {
        return Model.AlternativeIndexByName(name);
    }
    bool SolveFactorK() { return Model.SolveFactorK(); }
    void ComputeAlternativeUtilities() { Model.ComputeAlternativeUtilities(); }
    static QString FormatFixed(double value, int decimals) {
        return ::FormatFixed(value, decimals);
    }

    // The one help entry of the program: opens a topic of the help archive.
    void ShowHelpTopic(const QString &topic);
    // Loads the help library from the path; shows the failure once and runs on without help.
    void LoadHelpLibrary(const QString &path);
    void FreeHelpLibrary();

    // The child windows and their arrangement.
    int MDIChildCount() const { return ClientArea->MDIChildCount(); }
    QMdiSubWindow *MDIChildren(int index) const { return ClientArea->MDIChildren(index); }
    void Cascade() { ClientArea->Cascade(); }
    void Tile() { ClientArea->Tile(); }
    void ArrangeIcons() { ClientArea->ArrangeIcons(); }
    void ArrangeCharts();

    void DisplayHint();

    void FormCreate();
    void FormDestroy();
    void FormClose();
    void FormCloseQuery(bool &CanClose);
    void FormResize();
    void FormShortCut(QKeyEvent *key, bool &Handled);

    void Menu_ContextClick();
    void Menu_AboutClick();
    void Menu_ExitClick();
    void Menu_CascadeClick();
    void Menu_TileVerticalClick();
    void Menu_TileHorizontalClick();
    void Menu_ArrangeIconsClick();
    void Menu_CloseAllClick();
    void SB_windowsClick();

    // Chart options and appearance: the chart toolbar and the Chart menu
    // (elicitation/ChartOptions.cpp).
    void SB_Save_ChartClick();
    void SB_Print_ChartClick();
    void SB_Cross_ChartClick();
    void SB_Move_ChartClick();
    void SB_Scrol_ChartClick();
    void SB_Zoom_ChartClick();
    void SpeedButton_zoomresetClick();
    void SB_Marksx_ChartClick();
    void SB_Marksy_ChartClick();
    void Menu_CrossClick();
    void Menu_MoveClick();
    void Menu_ScrollClick();
    void Menu_ZoomClick();
    void Menu_ShadowChartClick();
    void Menu_DynamicshadowClick();
    void Menu_InsertBitmapClick();
    void Menu_EditShadowsClick();
    void Menu_EditChartClick();
    void SetMarksX();
    void SetMarksY();
    // The question dialogue, or null while there is none.
    QWidget *QuestionDialogue() const;

    // Elicitation driver, criteria bar and chart windows (elicitation/Driver.cpp).
    QPushButton *SpeedButton_pause1 = nullptr; // holds the pause glyph of the STOP blink
    void SB_NewFunctionClick();
    void ShowCriterionChart(int id, bool dialogue, bool show);
    void BuildCriteriaBar();
    void CriteriaButtonClick(QPushButton *Sender);
    void ClearCriteriaBar();
    void Timer_glyph_stopTimer();
    void SpeedButton_stopClick();
    void SB_Exit_FunctionClick();
    void SB_correctchartClick();
    void SetupFunctionSeries(TLineSeries *series);
    // The chart window of ActiveCriterion, or null when it has none.
    TForm_chart *ActiveChart() const;

    // Elicitation dialogues (elicitation/Dialogues.cpp, elicitation/Parameters.cpp).
    void Menu_ParametersClick();
    // The chart windows' side of a question, set by the chart windows' unit: refill
    // slot index's line from the criterion's points, store the active range
    // (ActiveX1, ActiveU1, ActiveX2, ActiveU2), show the window and repaint it.
    std::function<void(int index, double x1, double u1, double x2, double u2)> ChartShowActiveRange;
    // A question left by Exit: every chart window closes without asking and the
    // active criterion's window is closed.
    std::function<void()> ChartCloseAfterExit;

    // Problem workflow (app/Workflow.cpp).
    void SB_NewClick();
    void SB_LoadProblemClick();
    void SB_SaveProblemClick();
    void SB_LoadResultClick();
    void SB_SaveResultClick();
    void SB_EditCritClick();
    void SB_EditAlternatClick();
    void SB_FormulaClick();
    void SB_RankingClick();
    void SB_RaportClick();
    void ResetProblem();
    // Save Problem, Load Results, New Function, Edit Criteria and Edit Alternatives.
    void EnableProblemCommands(bool enabled);
    // Ranking with the report wizard's ranking check box.
    void SetRankingSwitch(bool on);
    // The two status panels, each with the saved flag that goes with its text.
    void SetProblemStatus(const QString &text, bool saved);
    void SetResultsStatus(const QString &text, bool saved);

protected:
    bool PreviewKey(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void SetUpChartOptions();
    // The open chart windows: the criteria's slots, then a window kept aside
    // while one function is corrected, then the template when asked for.
    std::vector<TForm_chart *> ChartWindows(bool withTemplate) const;
    // Shows the marks as MarksX and MarksY say, on the switches and every chart.
    void ApplyMarks();
    void ConnectWorkflow();
    // A result file whose K is not the K of the used k: says why (the first
    // lines of the message) and which criteria it left unused, then solves K
    // from the used k, or leaves the solution unfinished.
    void SolveResultsK(const QString &why, const std::vector<TPROBLEM> &before);
    void SetUpToolbars();
    void PlaceStopButton();
    // Checks one of the three arrangement items and clears the other two.
    void CheckArrangement(QAction *item);

    // Elicitation driver helpers (elicitation/Driver.cpp).
    void SetUpDriver();
    void AddCriterionButton(int position, int placed);
    void DestroyChartWindow(int position);
    void DestroyCriterionButton(int position);
    // Processes events until the criterion at the position is done or the run
    // is cancelled; a window that goes or a program that closes cancels it.
    void WaitForCriterion(int position);
    void SeedEndPoints(TPROBLEM &criterion);
    void EnableCommandPairs();
    // The ranking command's test: a complete solution and a complete table with a row.
    bool RankingAllowed() const;
};

extern TKavrel *Kavrel;

// Editors: the problem panel says "Problem: NOT SAVED" and ProblemSaved is false.
void MarkProblemNotSaved();
