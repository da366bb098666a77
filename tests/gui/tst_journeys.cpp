// Whole journeys through the running frame, every dialog scripted: a new
// problem through the editors and the elicitation to its ranking, saved and
// loaded again; an imported ".fun" given alternatives, ranked, saved and loaded
// again; and the edits of a solved problem that the workflow follows up.
#include "ElicitationFixture.h"
#include "WorkflowFixture.h"

#include <QTimer>
#include <deque>
#include <functional>

namespace {
const QString SaveChanges = QStringLiteral("Save changes?");

// The rows of the ranking window: place, name, utility and values.
QStringList RankingRows() {
    QStringList rows;
    for (int r = 0; r < Form_Ranking->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < Form_Ranking->ColCount(); ++c)
            cells << Form_Ranking->Cells(c, r);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}
} // namespace

class TestJourneys : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newProblemToRankingAndBack();
    void importedFunctionsRankedAndReloaded();
    void newProblemCancelledInCriteriaEditor();
    void changedMethodAsksOnlyForThatFunction();
    void noUsedCriterionLeavesNoBar();
    void descriptionOnlyChangesNothingElse();
    void alternativesEditSwitchesRanking();
    void reportWizardFromTheCommand();
    void refusedFilesOverASolvedProblem();

private:
    // Fills the alternatives editor with the rows (name, description, values) and stores them.
    void EnterAlternatives(const QList<QStringList> &rows);
    // Runs the criteria editor from Edit Criteria; the body plays the user and presses OK.
    void EditCriteria(const std::function<void(TCriteriaForm *)> &body);
    // Saves the problem and its results into the folder, then loads both back.
    void SaveAndReload(const QString &problem, const QString &results);
    std::unique_ptr<TWorkflowFixture> f_;
};

void TestJourneys::init() {
    f_ = std::make_unique<TWorkflowFixture>();
    QVERIFY(f_->Folder.isValid());
    FactorK = 0.0;
}

void TestJourneys::cleanup() {
    const auto done = qScopeGuard([this] { f_.reset(); });
    f_->Check();
    QCOMPARE(f_->Script.PendingFiles(), 0);
    QCOMPARE(f_->Script.PendingForms(), 0);
}

void TestJourneys::EnterAlternatives(const QList<QStringList> &rows) {
    f_->Script.AnswerForm(QStringLiteral("TVariantsForm"), [this, rows](QDialog *) {
        TVariantsForm *form = VariantsForm;
        for (int r = 0; r < rows.size(); ++r) {
            if (r + 1 >= form->RowCount())
                form->AddRow();
            for (int c = 0; c < rows[r].size(); ++c)
                form->SetCells(c, r + 1, rows[r][c]);
        }
        f_->Script.Answer(mrYes, SaveChanges);
        form->close();
    });
    Kavrel->SB_EditAlternatClick();
    QCOMPARE(int(Kavrel->Variants.Alternatives.size()), int(rows.size()));
}

void TestJourneys::SaveAndReload(const QString &problem, const QString &results) {
    TKavrel &k = *Kavrel;
    f_->Script.ChooseFile(f_->Path(problem));
    k.SB_SaveProblemClick();
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: ") + problem);
    f_->Script.ChooseFile(f_->Path(results));
    k.SB_SaveResultClick();
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: ") + results);
    QVERIFY(k.ProblemSaved && k.ResultsSaved);

    k.ResetProblem();
    QCOMPARE(k.MDIChildCount(), 0);
    f_->Load(f_->Path(problem));
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: ") + problem);
    QVERIFY(!k.SolutionComplete);
    f_->Script.ChooseFile(f_->Path(results));
    k.SB_LoadResultClick();
    QVERIFY(k.SolutionComplete);
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: ") + results);
    QCOMPARE(k.MDIChildCount(), k.UsedCount);
    QVERIFY(k.SB_Ranking->isEnabled());
    QVERIFY(Raport_w->ChB_Ranking->isChecked());
}

void TestJourneys::newProblemToRankingAndBack() {
    TKavrel &k = *Kavrel;
    f_->AnswerParameters(true);
    f_->Script.AnswerForm(QStringLiteral("TCriteriaForm"), [](QDialog *) {
        TCriteriaForm *form = CriteriaForm;
        form->NewButtonClick();
        form->NameEdit->setText(QStringLiteral("Price"));
        form->UnitsEdit->setText(QStringLiteral("EUR"));
        form->MinValueEdit->setText(QStringLiteral("100"));
        form->MaxValueEdit->setText(QStringLiteral("900"));
        form->NewButtonClick();
        form->NameEdit->setText(QStringLiteral("Area"));
        form->GainRadioButton->setChecked(true);
        form->MinValueEdit->setText(QStringLiteral("20"));
        form->MaxValueEdit->setText(QStringLiteral("120"));
        form->MethodRadioButton2->setChecked(true);
        form->OKBitBtnClick();
    });
    for (int i = 0; i < 2; ++i) {
        f_->Script.AnswerForm(QStringLiteral("TCoefficient"), [](QDialog *form) {
            static_cast<TCoefficient *>(form)->IndifferentBitBtnClick();
        });
    }
    // The alternatives editor opens on the empty table after K is solved; it is left empty here.
    f_->Script.AnswerForm(QStringLiteral("TVariantsForm"), [this](QDialog *) {
        f_->Script.Answer(mrYes, QStringLiteral("If You will not fill in all empty cells, You will "
                                                "not be able to see results and save problem! "
                                                "Exit anyway?"));
        VariantsForm->close();
    });
    QString formulaK;
    f_->Script.AnswerForm(QStringLiteral("Form_Formula"), [&formulaK](QDialog *) {
        formulaK = Form_Formula->Label_Kvalue->text();
        QVERIFY(Form_Formula->Panel_formula->isVisible());
        Form_Formula->BitBtn_ok->click();
    });
    TUserAgent user(20000, true);
    user.Elicit(0);
    user.Elicit(1);
    k.SB_NewClick();
    QVERIFY(!user.TimedOut);
    QCOMPARE(user.Pending(), 0);

    QCOMPARE(int(k.Criteria.size()), 2);
    QCOMPARE(k.UsedCount, 2);
    QVERIFY(k.SolutionComplete);
    QCOMPARE(formulaK, QStringLiteral("K = ") + FormatFixed(FactorK, k.ProbabilityPrecision));
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: NOT SAVED"));
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: NOT SAVED"));
    QVERIFY(!k.ProblemSaved && !k.ResultsSaved);
    for (const TPROBLEM &c : k.Criteria)
        QVERIFY(c.FunctionCreated && c.KCounted && c.Points.size() == 3);
    // No alternatives yet: nothing to rank.
    QVERIFY(!k.SB_Ranking->isEnabled());

    EnterAlternatives({{"Centre", "small", "800", "45"},
                       {"Suburb", "garden", "350", "90"},
                       {"Village", "", "150", "110"}});
    QVERIFY(k.SB_Ranking->isEnabled());
    k.SB_RankingClick();
    QVERIFY(Form_Ranking->isVisible());
    const QStringList ranking = RankingRows();
    QCOMPARE(ranking.size(), 4);
    QVERIFY(ranking[1].startsWith(QStringLiteral("1|Village|")));
    Form_Ranking->close();

    SaveAndReload(QStringLiteral("flat.xml"), QStringLiteral("flat results.xml"));
    k.SB_RankingClick();
    QCOMPARE(RankingRows(), ranking);
    Form_Ranking->close();
}

void TestJourneys::importedFunctionsRankedAndReloaded() {
    TKavrel &k = *Kavrel;
    f_->Load(QStringLiteral(VR_EXAMPLES "/house.fun"));
    QVERIFY(k.SolutionComplete);
    QCOMPARE(k.MDIChildCount(), k.UsedCount);
    QVERIFY(!k.SB_Ranking->isEnabled());

    EnterAlternatives({{"Old town", "flat", "120000", "60", "2", "0"},
                       {"Hillside", "house", "240000", "150", "25", "600"},
                       {"Riverside", "", "180000", "95", "8", "100"}});
    QVERIFY(k.SB_Ranking->isEnabled());
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: NOT SAVED"));
    k.SB_RankingClick();
    const QStringList ranking = RankingRows();
    QCOMPARE(ranking.size(), 4);
    // Garden is not used: no column of its own.
    QCOMPARE(ranking[0].split('|').size(), k.UsedCount + 4);
    Form_Ranking->close();

    SaveAndReload(QStringLiteral("house.xml"), QStringLiteral("house results.xml"));
    k.SB_RankingClick();
    QCOMPARE(RankingRows(), ranking);
    Form_Ranking->close();
}

void TestJourneys::EditCriteria(const std::function<void(TCriteriaForm *)> &body) {
    f_->Script.AnswerForm(QStringLiteral("TCriteriaForm"), [body](QDialog *) {
        body(CriteriaForm);
        CriteriaForm->OKBitBtnClick();
    });
    Kavrel->SB_EditCritClick();
}

void TestJourneys::newProblemCancelledInCriteriaEditor() {
    TKavrel &k = *Kavrel;
    f_->AnswerParameters(true);
    f_->Script.AnswerForm(QStringLiteral("TCriteriaForm"), [](QDialog *) {
        CriteriaForm->NewButtonClick();
        CriteriaForm->CancelBitBtnClick();
    });
    k.SB_NewClick();
    QVERIFY(k.Criteria.empty());
    QCOMPARE(EnabledCommands(), QStringLiteral("New LoadProblem Formula"));
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: None"));
    QVERIFY(k.ProblemSaved);
}

void TestJourneys::changedMethodAsksOnlyForThatFunction() {
    TKavrel &k = *Kavrel;
    f_->Load(QStringLiteral(VR_EXAMPLES "/house.fun"));
    const TPROBLEM area = k.Criteria[1];
    // The method of Price alone changes: its function goes, the solution is
    // unfinished, and the run continues with Price only.
    f_->Script.Answer(mrYes, QStringLiteral("Would you like to continue unfinished solving "
                                            "problem\n or you want to start from the begining "
                                            "of problem?"));
    TUserAgent user(20000, true);
    user.Elicit(0);
    EditCriteria([this](TCriteriaForm *form) {
        form->CriteriaListBox->setCurrentRow(0);
        form->MethodRadioButton2->setChecked(true);
        // After K the alternatives editor opens on the empty table; it is left empty.
        f_->Script.AnswerForm(QStringLiteral("TVariantsForm"), [this](QDialog *) {
            f_->Script.Answer(mrYes, QStringLiteral("If You will not fill in all empty cells, You "
                                                    "will not be able to see results and save "
                                                    "problem! Exit anyway?"));
            VariantsForm->close();
        });
    });
    QVERIFY(!user.TimedOut);
    QCOMPARE(k.Criteria[0].Method, 2);
    QVERIFY(k.Criteria[0].FunctionCreated);
    QCOMPARE(PointsText(k.Criteria[1]), PointsText(area));
    QVERIFY(k.SolutionComplete && !k.SolutionUnfinished);
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: NOT SAVED"));
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: NOT SAVED"));
}

void TestJourneys::noUsedCriterionLeavesNoBar() {
    TKavrel &k = *Kavrel;
    f_->Load(QStringLiteral(VR_EXAMPLES "/house.fun"));
    EnterAlternatives({{"A", "", "120000", "60", "2", "0"}});
    QVERIFY(k.SB_Ranking->isEnabled());
    QCOMPARE(k.MDIChildCount(), 3);
    f_->Script.Answer(
        mrOk,
        QStringLiteral("No used criteria !!! \nEdit parameter <used> in options of criteria"));
    EditCriteria([](TCriteriaForm *form) {
        for (int i = 0; i < form->CriteriaListBox->count(); ++i) {
            form->CriteriaListBox->setCurrentRow(i);
            form->UsedCheckBox->setChecked(false);
        }
    });
    QCOMPARE(k.UsedCount, 0);
    QCOMPARE(k.MDIChildCount(), 0);
    for (int i = 0; i < MaxCriteria; ++i)
        QVERIFY(!k.CriteriaButtons[size_t(i)]);
    QVERIFY(!k.SB_Ranking->isEnabled());
    QVERIFY(!Raport_w->ChB_Ranking->isChecked());
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: NOT SAVED"));
}

void TestJourneys::descriptionOnlyChangesNothingElse() {
    TKavrel &k = *Kavrel;
    f_->Load(QStringLiteral(VR_EXAMPLES "/house.fun"));
    const QString enabled = EnabledCommands();
    EditCriteria([](TCriteriaForm *form) {
        form->CriteriaListBox->setCurrentRow(1);
        form->DescriptionEdit->setText(QStringLiteral("living area"));
    });
    QCOMPARE(k.Criteria[1].Description, QStringLiteral("living area"));
    QVERIFY(k.SolutionComplete);
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: house.fun"));
    QCOMPARE(EnabledCommands(), enabled);
    QCOMPARE(k.MDIChildCount(), 3);
}

void TestJourneys::alternativesEditSwitchesRanking() {
    TKavrel &k = *Kavrel;
    f_->Load(QStringLiteral(VR_EXAMPLES "/house.fun"));
    EnterAlternatives({{"A", "", "120000", "60", "2", "0"}, {"B", "", "90000", "50", "9", "0"}});
    QVERIFY(k.SB_Ranking->isEnabled());
    // A value taken away behind the editor's back: the next edit switches ranking off.
    k.Variants.Columns[0].Values.pop_back();
    f_->Script.AnswerForm(QStringLiteral("TVariantsForm"), [this](QDialog *) {
        f_->Script.Answer(mrYes);
        VariantsForm->close();
    });
    k.SB_EditAlternatClick();
    QCOMPARE(k.SB_Ranking->isEnabled(), k.Variants.IsComplete(k.Criteria));
    QCOMPARE(Raport_w->ChB_Ranking->isChecked(), k.SB_Ranking->isEnabled());
}

void TestJourneys::reportWizardFromTheCommand() {
    TKavrel &k = *Kavrel;
    f_->Load(QStringLiteral(VR_EXAMPLES "/house.fun"));
    QVERIFY(k.SB_Raport->isEnabled());
    k.SB_RaportClick();
    QVERIFY(Raport_w->isVisible());
    QVERIFY(!Raport_w->isModal());
    Raport_w->close();
}

void TestJourneys::refusedFilesOverASolvedProblem() {
    TKavrel &k = *Kavrel;
    f_->Load(QStringLiteral(VR_EXAMPLES "/cars.xml"));
    QCOMPARE(k.UsedCount, 4);
    for (int i = 0; i < 4; ++i) {
        f_->Script.AnswerForm(QStringLiteral("TCoefficient"), [](QDialog *form) {
            static_cast<TCoefficient *>(form)->IndifferentBitBtnClick();
        });
    }
    TUserAgent user(20000, true);
    for (int i = 0; i < 4; ++i)
        user.Elicit(i);
    k.SB_NewFunctionClick();
    QVERIFY(!user.TimedOut);
    QVERIFY(k.SolutionComplete);
    QVERIFY(k.SB_Ranking->isEnabled());
    f_->Script.ChooseFile(f_->Path("cars.xml"));
    k.SB_SaveProblemClick();
    f_->Script.ChooseFile(f_->Path("cars results.xml"));
    k.SB_SaveResultClick();

    k.SB_RankingClick();
    const QStringList ranking = RankingRows();
    Form_Ranking->close();
    const QString problem = ProblemPanel();
    const QString results = ResultsPanel();
    const QString enabled = EnabledCommands();
    const int windows = k.MDIChildCount();
    const double solvedK = FactorK;

    // A broken problem file: the user keeps the solved problem and its windows.
    f_->Script.Answer(mrYes, QStringLiteral("Current problem will be lost!  Continue?"));
    f_->Script.Answer(mrOk);
    f_->Load(f_->Write("broken.xml", "<DATA><ATTRIBUTES>"));
    QVERIFY(f_->Script.Shown.back().Text.startsWith(QStringLiteral("Error on line ")));
    QCOMPARE(ProblemPanel(), problem);
    QCOMPARE(ResultsPanel(), results);
    QCOMPARE(EnabledCommands(), enabled);
    QCOMPARE(k.MDIChildCount(), windows);
    QCOMPARE(FactorK, solvedK);
    k.SB_RankingClick();
    QCOMPARE(RankingRows(), ranking);
    Form_Ranking->close();

    // The same results with Boot renamed: Comfort matches nothing and Boot is no
    // longer used, so the file's K, solved for four k, fits none of the three left.
    QFile saved(f_->Path("cars results.xml"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QString foreign =
        f_->Write("foreign.xml", saved.readAll().replace("Name=\"Boot\"", "Name=\"Comfort\""));
    const qsizetype shown = f_->Script.Shown.size();
    f_->Script.Answer(mrYes, QStringLiteral("Current function will be lost!  Continue?"));
    f_->Script.Answer(mrOk);
    f_->Script.ChooseFile(foreign);
    k.SB_LoadResultClick();
    QCOMPARE(f_->Script.Shown.size(), shown + 2); // the question and one message
    const QString message = f_->Script.Shown.back().Text;
    QVERIFY2(message.contains(QStringLiteral("match no criterion: \"Comfort\"")),
             qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("no longer used: \"Boot\"")), qPrintable(message));
    QCOMPARE(k.UsedCount, 3);
    QVERIFY(k.SolutionComplete);
    const double K = FactorK;
    TDecisionModel used;
    used.Criteria = k.Criteria;
    QVERIFY(used.SolveFactorK());
    QVERIFY2(std::abs(FactorK - K) <= 1e-12 * std::abs(K),
             qPrintable(QString::number(K, 'g', 17) + " vs " + QString::number(FactorK, 'g', 17)));
    QVERIFY(std::abs(K - solvedK) > 1e-3);
    double product = 1.0;
    for (const TPROBLEM &c : k.Criteria) {
        if (c.Used)
            product *= 1.0 + K * c.SmallK;
    }
    QVERIFY(std::abs(product - (1.0 + K)) < 1e-12);
    QVERIFY(k.SB_Ranking->isEnabled());
}

VR_GUI_TEST_MAIN(TestJourneys)
#include "tst_journeys.moc"
