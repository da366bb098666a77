// The elicitation driver of the main frame: walks the used criteria, lets the
// user build each missing utility function on its chart window, collects the
// missing scaling coefficients and solves K. Also the criteria bar, the chart
// windows' creation and the blinking STOP button.
#include "app/Dazazezad.h"
#include "app/Variantsf.h"
#include "elicitation/Coefficients.h"
#include "ui_Coefficients.h"

#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace {

const QString HoverHint = QStringLiteral("Double click to choose active range (continue dialog)");

// The window that the client area moves, minimises and enables for a chart.
QWidget *Frame(TForm_chart *chart) {
    if (!chart)
        return nullptr;
    if (QMdiSubWindow *frame = chart->SubWindow())
        return frame;
    return chart;
}

// The colour of the coefficient dialogue's question panel.
void SetCoefficientPanelColor(QPalette::ColorRole role) {
    if (!Coefficient)
        return;
    QFrame *panel = Coefficient->Form()->Panel1;
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QApplication::palette().color(role));
    panel->setPalette(palette);
}

// The shading and the active line end with the elicitation: every window's
// line goes back to its own colour and is drawn again without them.
void EndShading(TKavrel &k) {
    k.ChartShadow = false;
    k.DynamicShadow = false;
    k.ActiveLine = false;
    for (TForm_chart *chart : k.Charts) {
        if (chart)
            chart->DropPointedSegment();
    }
}

} // namespace

void TKavrel::SetUpDriver() {
    SpeedButton_pause1 = new QPushButton(this);
    SpeedButton_pause1->setObjectName(QStringLiteral("SpeedButton_pause1"));
    SpeedButton_pause1->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
    SpeedButton_pause1->hide();
    SpeedButton_stop->setProperty("Tag", 0);

    connect(Menu_NewFunction, &QAction::triggered, this, &TKavrel::SB_NewFunctionClick);
    connect(Timer_glyph_stop, &QTimer::timeout, this, &TKavrel::Timer_glyph_stopTimer);
    connect(SpeedButton_stop, &QPushButton::clicked, this, &TKavrel::SpeedButton_stopClick);
    connect(SB_Exit_Function, &QAction::triggered, this, &TKavrel::SB_Exit_FunctionClick);
    connect(SB_correctchart, &QAction::triggered, this, &TKavrel::SB_correctchartClick);
    connect(Menu_CorrectChart, &QAction::triggered, this, &TKavrel::SB_correctchartClick);

    // The question dialogue's side of the chart windows.
    ChartShowActiveRange = [this](int index, double x1, double u1, double x2, double u2) {
        if (index < 0 || index >= MaxCriteria || index >= int(Criteria.size()))
            return;
        TForm_chart *chart = Charts[size_t(index)];
        if (!chart)
            return;
        chart->Series->Clear();
        for (const TFuncPoint &point : Criteria[size_t(index)].Points)
            chart->Series->AddXY(point.x, point.u, QString(), clTeeColor);
        chart->ActiveX1 = x1;
        chart->ActiveU1 = u1;
        chart->ActiveX2 = x2;
        chart->ActiveU2 = u2;
        chart->RefreshPointedRange();
        Frame(chart)->show();
        chart->Chart->Repaint();
    };
    ChartCloseAfterExit = [this] {
        for (TForm_chart *chart : Charts) {
            if (chart)
                chart->CloseWithoutAsking = true;
        }
        if (TForm_chart *chart = ActiveChart())
            Frame(chart)->close();
    };
}

TForm_chart *TKavrel::ActiveChart() const {
    if (ActiveCriterion < 0 || ActiveCriterion >= MaxCriteria)
        return nullptr;
    return Charts[size_t(ActiveCriterion)];
}

void TKavrel::SetupFunctionSeries(TLineSeries *series) {
    if (!series || !Form_chart)
        return;
    // The vertical axis belongs to the criterion (Cost or Gain), not to the look.
    const TVertAxis axis = series->VertAxis;
    series->AssignStyle(*Form_chart->Series);
    series->VertAxis = axis;
    series->Repaint();
}

void TKavrel::SeedEndPoints(TPROBLEM &criterion) {
    // A point the function refuses is dropped.
    if (criterion.Cost) {
        criterion.AddPoint(criterion.Min, 1.0);
        criterion.AddPoint(criterion.Max, 0.0);
    } else {
        criterion.AddPoint(criterion.Max, 1.0);
        criterion.AddPoint(criterion.Min, 0.0);
    }
}

bool TKavrel::RankingAllowed() const {
    return SolutionComplete && !Variants.Alternatives.empty() && Variants.IsComplete(Criteria);
}

void TKavrel::EnableCommandPairs() {
    for (QAction *command : {SB_New, SB_LoadProblem, SB_SaveProblem, SB_LoadResult, SB_NewFunction,
                             SB_EditCrit, SB_EditAlternat, Menu_Parameters})
        command->setEnabled(true);
}

void TKavrel::AddCriterionButton(int position, int placed) {
    const TPROBLEM &criterion = Criteria[size_t(position)];
    const int width = UsedCount > 0 ? this->width() / UsedCount : this->width();
    auto *button = new QPushButton(criterion.Name, TB_Criteria);
    button->setObjectName(QStringLiteral("CriterionButton%1").arg(position));
    button->setProperty("Tag", criterion.Id);
    button->setGeometry(width * placed, 1, width, TB_Criteria->height() - 2);
    connect(button, &QPushButton::clicked, this, [this, button] { CriteriaButtonClick(button); });
    button->show();
    DestroyCriterionButton(position);
    CriteriaButtons[size_t(position)] = button;
}

void TKavrel::DestroyCriterionButton(int position) {
    if (QPushButton *button = CriteriaButtons[size_t(position)])
        delete button;
    CriteriaButtons[size_t(position)] = nullptr;
}

void TKavrel::DestroyChartWindow(int position) {
    TForm_chart *chart = Charts[size_t(position)];
    Charts[size_t(position)] = nullptr;
    delete Frame(chart);
}

void TKavrel::WaitForCriterion(int position) {
    const QPointer<TForm_chart> window = Charts[size_t(position)];
    TApplication::WaitUntil(
        [&] { return CriterionDone || Cancelled || !window || TApplication::Terminating(); });
    // A window that went away or a program that closes ends the run.
    if (!CriterionDone)
        Cancelled = true;
}

void TKavrel::ShowCriterionChart(int id, bool dialogue, bool show) {
    const int slot = CriterionIndexById(id);
    if (slot < 0 || slot >= MaxCriteria)
        return;
    const TPROBLEM &criterion = Criteria[size_t(slot)];
    TForm_chart *chart = Charts[size_t(slot)];
    if (!chart) {
        ToolBar_Chart->show();
        Menu_Chart->setEnabled(true);
        Menu_CloseAll->setEnabled(true);

        chart = new TForm_chart(this);
        QMdiSubWindow *frame = ClientArea->addSubWindow(chart);
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        // A click on the caption gives the keyboard to the chart window, not its frame.
        frame->setFocusProxy(chart);
        Charts[size_t(slot)] = chart;
        if (Form_chart)
            chart->Chart->Assign(*Form_chart->Chart);
        SetupFunctionSeries(chart->Series);
        chart->Tag = slot;
        connect(ClientArea, &QMdiArea::subWindowActivated, chart, [chart](QMdiSubWindow *active) {
            if (active && active == chart->SubWindow())
                chart->FormActivate();
        });
        // Minimising by the frame's own button resizes nothing inside it.
        connect(frame, &QMdiSubWindow::windowStateChanged, chart, [chart] { chart->FormResize(); });

        chart->setWindowTitle(criterion.Name + QStringLiteral(" - chart of utility function "));
        QStringList title = chart->Chart->Title.Text;
        if (title.isEmpty())
            title << QString();
        title[0] = QStringLiteral("Utility function for ") + criterion.Name;
        chart->Chart->Title.Text = title;
        chart->Chart->BottomAxis.Title.SetCaption(criterion.Name + QStringLiteral(" [") +
                                                  criterion.Units + QStringLiteral("]"));
        const QString uTitle = QStringLiteral("U (") + criterion.Name + QStringLiteral(")");
        chart->Chart->LeftAxis.Title.SetCaption(uTitle);
        chart->Chart->RightAxis.Title.SetCaption(uTitle);

        TLineSeries *series = chart->Series;
        series->VertAxis = criterion.Cost ? aLeftAxis : aRightAxis;
        series->Clear();
        for (const TFuncPoint &point : criterion.Points)
            series->AddXY(point.x, point.u, QString(), clTeeColor);

        chart->Chart->AllowPanning = MoveMode ? pmBoth : pmNone;
        chart->SetChartPopupMenu(MoveMode ? nullptr : chart->PopupMenu_chart);
        chart->ScrollBar_hor->setVisible(ScrollMode);
        chart->ScrollBar_ver->setVisible(ScrollMode);
        if (ScrollMode)
            chart->UpdateScrollBars();
        chart->Chart->AllowZoom = ZoomMode;
        if (MarksX) {
            series->Marks.SetBackColor(clWhite);
            series->Marks.SetStyle(smsXValue);
            series->Marks.SetVisible(true);
        }
        if (MarksY) {
            series->Marks.SetBackColor(clYellow);
            series->Marks.SetStyle(smsValue);
            series->Marks.SetVisible(true);
        }
        // The window's popup items show the marks it was given.
        chart->Popup_MarksX->setChecked(MarksX);
        chart->Popup_MarksY->setChecked(MarksY);
        chart->Chart->Invalidate();

        if (dialogue) {
            ChartShadow = Menu_ShadowChart->isChecked();
            DynamicShadow = Menu_Dynamicshadow->isChecked();
            ActiveLine = true;
            SB_correctchart->setVisible(false);
            Menu_CorrectChart->setEnabled(false);
            Timer_glyph_stop->start();
            Menu_ShadowChart->setEnabled(true);
            Menu_Chart->setEnabled(true);
            Menu_Dynamicshadow->setEnabled(true);
            SB_Exit_Function->setVisible(true);
            for (QAction *command : {SB_New, SB_LoadProblem, SB_SaveProblem, SB_LoadResult,
                                     SB_SaveResult, SB_NewFunction, SB_EditCrit, SB_EditAlternat,
                                     SB_Ranking, SB_Raport, Menu_Parameters, Menu_CloseAll})
                command->setEnabled(false);
            StatusBar->SetPanelText(2, HoverHint);
            SpeedButton_stop->show();
            ActiveCriterion = slot;
            for (TForm_chart *other : Charts) {
                if (other && other != chart)
                    Frame(other)->setEnabled(false);
            }
            frame->showMaximized();
        } else if (show) {
            Menu_Chart->setEnabled(true);
            Menu_CloseAll->setEnabled(true);
            if (SolutionComplete) {
                SB_correctchart->setVisible(true);
                Menu_CorrectChart->setEnabled(true);
            }
            frame->show();
            ActiveCriterion = slot;
        }
    } else if (Frame(chart)->isMinimized()) {
        Frame(chart)->showNormal();
        ActiveCriterion = slot;
        Menu_CloseAll->setEnabled(true);
    } else {
        chart->CloseWithoutAsking = true;
        Frame(chart)->close();
    }
    if (ActiveCriterion >= 0 && ActiveCriterion < int(Criteria.size())) {
        const QString hint =
            QStringLiteral("Change active function for: ") + Criteria[size_t(ActiveCriterion)].Name;
        for (QAction *command : {SB_correctchart, Menu_CorrectChart}) {
            command->setStatusTip(hint);
            command->setToolTip(hint);
        }
    }
}

void TKavrel::BuildCriteriaBar() {
    UsedCount = 0;
    for (const TPROBLEM &criterion : Criteria)
        UsedCount += criterion.Used ? 1 : 0;
    int placed = 0;
    for (int j = 0; j < int(Criteria.size()) && j < MaxCriteria; ++j) {
        if (!Criteria[size_t(j)].Used)
            continue;
        AddCriterionButton(j, placed++);
        ShowCriterionChart(Criteria[size_t(j)].Id, false, true);
    }
    if (SolutionComplete || SolutionUnfinished)
        SB_SaveResult->setEnabled(true);
    // A report or a ranking needs K: only a complete solution has it.
    SB_Raport->setEnabled(SolutionComplete);
    SetRankingSwitch(RankingAllowed());
    // The new windows take the arrangement the Window menu has checked.
    ArrangeCharts();
}

void TKavrel::CriteriaButtonClick(QPushButton *Sender) {
    if (!Sender)
        return;
    ShowCriterionChart(Sender->property("Tag").toInt(), false, true);
    ArrangeCharts();
}

void TKavrel::ClearCriteriaBar() {
    ToolBar_Chart->hide();
    Menu_Chart->setEnabled(false);
    Menu_CloseAll->setEnabled(false);
    SB_SaveResult->setEnabled(false);
    SB_Ranking->setEnabled(false);
    SB_Raport->setEnabled(false);
    for (int i = 0; i < MaxCriteria; ++i) {
        DestroyCriterionButton(i);
        DestroyChartWindow(i);
    }
}

void TKavrel::Timer_glyph_stopTimer() {
    if (SpeedButton_stop->property("Tag").toInt() != 0) {
        SpeedButton_stop->setIcon(QIcon());
        SpeedButton_stop->setText(QStringLiteral("STOP"));
        SpeedButton_stop->setProperty("Tag", 0);
    } else {
        SpeedButton_stop->setText(QString());
        SpeedButton_stop->setIcon(SpeedButton_pause1->icon());
        SpeedButton_stop->setProperty("Tag", 1);
    }
}

void TKavrel::SpeedButton_stopClick() {
    if (QWidget *dialogue = QuestionDialogue(); dialogue && dialogue->isVisible()) {
        dialogue->raise();
        dialogue->activateWindow();
        return;
    }
    ChartShadow = false;
    DynamicShadow = false;
    ActiveLine = false;
    TForm_chart *chart = ActiveChart();
    if (chart) {
        // The flags come back on for the next criterion: the finished window
        // must not keep a pointed segment that they would draw again.
        chart->DropPointedSegment();
        if (CorrectingChart)
            Frame(chart)->showNormal();
        chart->SetSimpleText(QString());
    }
    StatusBar->SetPanelText(2, QString());
    Timer_glyph_stop->stop();
    SpeedButton_stop->hide();
    SB_Exit_Function->setVisible(false);
    Menu_ShadowChart->setEnabled(false);
    Menu_Dynamicshadow->setEnabled(false);
    if (ActiveCriterion >= 0 && ActiveCriterion < int(Criteria.size()))
        Criteria[size_t(ActiveCriterion)].FunctionCreated = true;
    CriterionDone = true;
}

void TKavrel::SB_Exit_FunctionClick() {
    if (TForm_chart *chart = ActiveChart())
        Frame(chart)->close();
}

void TKavrel::SB_NewFunctionClick() {
    // The count is taken afresh: a stale one would walk past the criteria.
    UsedCount = 0;
    for (const TPROBLEM &criterion : Criteria)
        UsedCount += criterion.Used ? 1 : 0;
    if (UsedCount == 0) {
        MessageDlg(
            QStringLiteral("No used criteria !!! \nEdit parameter <used> in options of criteria"),
            mtInformation, mbOK, this);
        return;
    }
    if (!CriteriaChanged) {
        if (SolutionComplete) {
            if (MessageDlg(QStringLiteral("Current functions will be lost!  Continue?"), mtWarning,
                           mbYesNo, this) != mrYes)
                return;
            SolutionComplete = false;
        }
        const bool keep =
            SolutionUnfinished &&
            MessageDlg(QStringLiteral("Would you like to continue unfinished solving problem\n or "
                                      "you want to start from the begining of problem?"),
                       mtWarning, mbYesNo, this) == mrYes;
        if (!keep) {
            for (TPROBLEM &criterion : Criteria) {
                criterion.FunctionCreated = false;
                criterion.KCounted = false;
            }
            StatusBar->SetPanelText(1, QStringLiteral("Results: None"));
            ResultsSaved = true;
        }
    }

    ClearCriteriaBar();
    TB_Criteria->setEnabled(false);
    Cancelled = false;
    bool visited = false;
    int cancelledAt = -1; // the criterion being elicited when the run was cancelled
    int placed = 0;
    const int count = std::min(int(Criteria.size()), MaxCriteria);
    for (int j = 0; j < count && !Cancelled; ++j) {
        TPROBLEM &criterion = Criteria[size_t(j)];
        if (!criterion.Used)
            continue;
        AddCriterionButton(j, placed++);
        if (!criterion.FunctionCreated) {
            criterion.Points.clear();
            SeedEndPoints(criterion);
            DialogueMode = true;
            ShowCriterionChart(criterion.Id, true, true);
            CriterionDone = false;
            WaitForCriterion(j);
            if (Cancelled) {
                cancelledAt = j;
                break;
            }
        } else {
            ShowCriterionChart(criterion.Id, false, true);
        }
        visited = true;
    }
    DialogueMode = false;

    if (!Cancelled && UsedCount > 1) {
        SetCoefficientPanelColor(QPalette::Button);
        for (int j = 0; j < count && !Cancelled; ++j) {
            const TPROBLEM &criterion = Criteria[size_t(j)];
            if (!criterion.Used || criterion.KCounted)
                continue;
            SetCoefficientPanelColor(j % 2 ? QPalette::Highlight : QPalette::Button);
            if (Coefficient)
                Coefficient->Ask(0.0, 1.0, j);
            if (TApplication::Terminating())
                Cancelled = true;
        }
        SetCoefficientPanelColor(QPalette::Button);
    }
    if (!Cancelled && UsedCount == 1) {
        for (TPROBLEM &criterion : Criteria) {
            if (criterion.Used) {
                criterion.SmallK = 1.0;
                criterion.KCounted = true;
                break;
            }
        }
    }
    const bool solved = !Cancelled && SolveFactorK();

    ArrangeCharts();
    TB_Criteria->setEnabled(true);
    Menu_CloseAll->setEnabled(MDIChildCount() > 0);
    for (TForm_chart *chart : Charts) {
        if (chart)
            Frame(chart)->setEnabled(true);
    }
    SB_correctchart->setVisible(true);
    Menu_CorrectChart->setEnabled(true);
    EnableCommandPairs();
    if (visited)
        SB_SaveResult->setEnabled(true);
    CriteriaChanged = false;

    if (solved) {
        StatusBar->SetPanelText(1, QStringLiteral("Results: NOT SAVED"));
        ResultsSaved = false;
        SolutionComplete = true;
        SolutionUnfinished = false;
        SB_Raport->setEnabled(true);
        if (!Variants.IsComplete(Criteria)) {
            // The alternatives still lack values: the editor opens on the empty cells.
            if (VariantsForm) {
                VariantsForm->MarkEmptyCells = true;
                VariantsForm->ShowModal();
            }
        } else if (RankingAllowed()) {
            SB_Ranking->setEnabled(true);
        }
        return;
    }
    if (!Cancelled) {
        // K has no solution: the coefficients must be asked again, and
        // nothing may rank or report with a stale K.
        for (TPROBLEM &criterion : Criteria) {
            if (criterion.Used)
                criterion.KCounted = false;
        }
        StatusBar->SetPanelText(1, QStringLiteral("Results: Function not complete"));
        ResultsSaved = true;
        SolutionComplete = false;
        SolutionUnfinished = true;
        SB_Raport->setEnabled(false);
        SB_Ranking->setEnabled(false);
        return;
    }

    EndShading(*this);
    if (cancelledAt >= 0) {
        DestroyCriterionButton(cancelledAt);
        DestroyChartWindow(cancelledAt);
    }
    // The active chart must be one that is left.
    if (!ActiveChart()) {
        for (int i = 0; i < MaxCriteria; ++i) {
            if (Charts[size_t(i)]) {
                ActiveCriterion = i;
                break;
            }
        }
    }
    if (MDIChildCount() == 0) {
        ToolBar_Chart->hide();
        Menu_Chart->setEnabled(false);
        Menu_CloseAll->setEnabled(false);
    }
    if (visited) {
        StatusBar->SetPanelText(1, QStringLiteral("Results: Function not complete"));
        ResultsSaved = true;
    }
    SolutionComplete = false;
    SolutionUnfinished = false;
    for (const TPROBLEM &criterion : Criteria)
        SolutionUnfinished = SolutionUnfinished || criterion.FunctionCreated;
    Timer_glyph_stop->stop();
    SpeedButton_stop->hide();
    SB_Exit_Function->setVisible(false);
    Menu_Dynamicshadow->setEnabled(false);
    Menu_ShadowChart->setEnabled(false);
}

void TKavrel::SB_correctchartClick() {
    const int slot = ActiveCriterion;
    TForm_chart *old = ActiveChart();
    if (!old || slot >= int(Criteria.size()))
        return;
    TPROBLEM &criterion = Criteria[size_t(slot)];
    if (MessageDlg(QStringLiteral("Function for criterion:  ") + criterion.Name +
                       QStringLiteral("  will be lost.\nContinue?"),
                   mtWarning, mbYesNo, this) != mrYes)
        return;
    Cancelled = false;
    CorrectingChart = true;
    SavedChartWindow = old;
    Charts[size_t(slot)] = nullptr;
    TB_Criteria->setEnabled(false);
    Frame(old)->setEnabled(false);

    std::vector<TFuncPoint> saved = criterion.Points;
    criterion.Points.clear();
    SeedEndPoints(criterion);
    DialogueMode = true;
    ShowCriterionChart(criterion.Id, true, true);
    CriterionDone = false;
    WaitForCriterion(slot);

    DialogueMode = false;
    CorrectingChart = false;
    SB_correctchart->setVisible(true);
    Menu_CorrectChart->setEnabled(true);
    EnableCommandPairs();
    if (RankingAllowed())
        SB_Ranking->setEnabled(true);
    SB_Raport->setEnabled(SolutionComplete);
    SB_SaveResult->setEnabled(true);
    TB_Criteria->setEnabled(true);
    Menu_CloseAll->setEnabled(MDIChildCount() > 0);
    for (TForm_chart *chart : Charts) {
        if (chart)
            Frame(chart)->setEnabled(true);
    }

    if (Cancelled) {
        criterion.Points = saved;
        DestroyChartWindow(slot);
        Charts[size_t(slot)] = SavedChartWindow;
        if (TForm_chart *back = SavedChartWindow)
            Frame(back)->setEnabled(true);
        SavedChartWindow = nullptr;
        EndShading(*this);
        Timer_glyph_stop->stop();
        SpeedButton_stop->hide();
        SB_Exit_Function->setVisible(false);
        StatusBar->SetPanelText(2, QString());
        Menu_ShadowChart->setEnabled(false);
        Menu_Dynamicshadow->setEnabled(false);
        return;
    }
    if (TForm_chart *fresh = Charts[size_t(slot)]; fresh && SavedChartWindow) {
        Frame(fresh)->setGeometry(Frame(SavedChartWindow)->geometry());
    }
    StatusBar->SetPanelText(1, QStringLiteral("Results: NOT SAVED"));
    ResultsSaved = false;
    if (TForm_chart *gone = SavedChartWindow)
        delete Frame(gone);
    SavedChartWindow = nullptr;
    ArrangeIcons();
}
