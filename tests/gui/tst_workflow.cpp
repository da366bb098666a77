// The problem workflow of the main frame: each command's status texts, flags
// and enabled commands, its questions, and every failure path leaving what the
// user had.
#include "WorkflowFixture.h"
#include "tests/ReadSupport.h"

#include <QDir>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <bit>

namespace {
const QString ProblemLost = QStringLiteral("Current problem will be lost!  Continue?");
const QString FunctionLost = QStringLiteral("Current function will be lost!  Continue?");

QString Example(const char *name) {
    return QStringLiteral(VR_EXAMPLES "/") + QLatin1String(name);
}

QString TestData(const char *name) {
    return QStringLiteral(VR_TEST_DATA "/") + QLatin1String(name);
}

QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Gives every used criterion of a loaded problem a straight function and k,
// and solves K: a solved problem without running the elicitation.
void SolveLoadedProblem() {
    TKavrel &k = *Kavrel;
    int used = 0;
    for (TPROBLEM &c : k.Criteria)
        used += c.Used ? 1 : 0;
    for (TPROBLEM &c : k.Criteria) {
        c.Points.clear();
        c.Init(c.Min, c.Max);
        c.FunctionCreated = true;
        c.SmallK = c.Used ? 0.8 / used : 0.0;
        c.KCounted = true;
    }
    QVERIFY(k.SolveFactorK());
}

// A result file of the named criteria, each with its k and a straight function
// over the loaded problem's range (0 to 10 for a name the problem lacks).
QByteArray ResultsOf(const QList<std::pair<QString, double>> &criteria, double K) {
    QByteArray text = "<?xml version='1.0'?>\n<ZUZOVODODEZI>\n";
    for (const auto &[name, smallK] : criteria) {
        const int i = Kavrel->CriterionIndexByName(name);
        const TPROBLEM *c = i < 0 ? nullptr : &Kavrel->Criteria[size_t(i)];
        const bool cost = c && c->Cost;
        text += QStringLiteral("<ATTRIBUTE Name=\"%1\"><SMALLK Value=\"%2\"/>"
                               "<FUNCTIONCREATED Value=\"1\"/><KCOUNTED Value=\"1\"/><POINTS>"
                               "<POINT X=\"%3\" Y=\"%4\"/><POINT X=\"%5\" Y=\"%6\"/>"
                               "</POINTS></ATTRIBUTE>\n")
                    .arg(name)
                    .arg(smallK)
                    .arg(c ? c->Min : 0.0)
                    .arg(cost ? 1 : 0)
                    .arg(c ? c->Max : 10.0)
                    .arg(cost ? 0 : 1)
                    .toUtf8();
    }
    return text + QStringLiteral("<BIGK Value=\"%1\"/>\n</ZUZOVODODEZI>\n").arg(K).toUtf8();
}

// The K that the formula window shows; empty when it shows none.
QString FormulaK(TWorkflowFixture &f) {
    QString shown;
    f.Script.AnswerForm(QStringLiteral("Form_Formula"), [&shown](QDialog *) {
        if (Form_Formula->Panel_BigK->isVisible())
            shown = Form_Formula->Label_Kvalue->text();
        Form_Formula->BitBtn_ok->click();
    });
    Kavrel->SB_FormulaClick();
    return shown;
}

// The open chart windows and criteria buttons, by slot.
QList<QObject *> BarWindows() {
    QList<QObject *> windows;
    for (int i = 0; i < MaxCriteria; ++i)
        windows << Kavrel->Charts[size_t(i)].data() << Kavrel->CriteriaButtons[size_t(i)].data();
    return windows;
}

// Every element a record keeps belongs to the problem document in force.
bool RecordsInDocument() {
    const TKavrel &k = *Kavrel;
    const QDomDocument &doc = k.Xml.ProblemDoc;
    bool in = k.Roles.size() == 2;
    for (const TROLENAME &r : k.Roles)
        in = in && !r.Node.isNull() && r.Node.ownerDocument() == doc;
    for (const TPROBLEM &c : k.Criteria)
        in = in && !c.Node.isNull() && c.Node.ownerDocument() == doc;
    for (const TVARIANTDEF &a : k.Variants.Alternatives)
        in = in && !a.Node.isNull() && a.Node.ownerDocument() == doc;
    return in && k.Xml.AttributesNode.ownerDocument() == doc;
}
} // namespace

class TestWorkflow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void commandStates_data();
    void commandStates();
    void lossQuestions();
    void failedProblemLoads_data();
    void failedProblemLoads();
    void resultsRoundTrip();
    void loadedResultsArranged_data();
    void loadedResultsArranged();
    void refusedResultsKeepEverything_data();
    void refusedResultsKeepEverything();
    void unfinishedResults();
    void resultsKFitsTheUsedK_data();
    void resultsKFitsTheUsedK();
    void funKSolvedAgain();
    void failedSaves();
    void incompleteTableIsNotSaved();
    void problemRoundTrip();
    void rankingCommand();
    void formulaCommand();

private:
    std::unique_ptr<TWorkflowFixture> f_;
};

void TestWorkflow::init() {
    f_ = std::make_unique<TWorkflowFixture>();
    QVERIFY(f_->Folder.isValid());
}

void TestWorkflow::cleanup() {
    // A failed check must not leave this frame behind for the next test.
    const auto done = qScopeGuard([this] { f_.reset(); });
    f_->Check();
    QCOMPARE(f_->Script.PendingFiles(), 0);
    QCOMPARE(f_->Script.PendingForms(), 0);
}

enum TScenario {
    Start,
    LoadXml,
    LoadXmlUpperCase,
    LoadFun,
    LoadCrt,
    LoadOther,
    ResetAfterLoad,
    SaveProblem,
    SaveResults,
    NewCancelledInParameters,
    RefusedOverSolved,
    UnsolvedAfterSolved,
    PartialResults,
    PartialResultsWithoutK,
};

void TestWorkflow::commandStates_data() {
    QTest::addColumn<int>("scenario");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("results");
    QTest::addColumn<bool>("problemSaved");
    QTest::addColumn<bool>("resultsSaved");
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<int>("criteria");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("formulaK"); // empty: the formula window shows no K

    const QString idle = "New LoadProblem Formula";
    const QString defined =
        "New LoadProblem SaveProblem LoadResult NewFunction EditCrit EditAlternat Formula";
    const QString solved = "New LoadProblem SaveProblem LoadResult SaveResult NewFunction "
                           "EditCrit EditAlternat Formula Raport";
    const QString ranked = "New LoadProblem SaveProblem LoadResult SaveResult NewFunction "
                           "EditCrit EditAlternat Formula Ranking Raport";
    const QString houseK = "K = 0.372";
    QTest::newRow("start") << int(Start) << "Problem: None"
                           << "Results: None" << true << true << idle << 0 << false << "";
    QTest::newRow("load xml") << int(LoadXml) << "Problem: cars.xml"
                              << "Results: None" << true << true << defined << 5 << false << "";
    QTest::newRow("load XML in capitals")
        << int(LoadXmlUpperCase) << "Problem: CARS.XML"
        << "Results: None" << true << true << defined << 5 << false << "";
    QTest::newRow("load fun") << int(LoadFun) << "Problem: house.fun"
                              << "Results: house.fun" << true << true << solved << 4 << true
                              << houseK;
    QTest::newRow("load crt") << int(LoadCrt) << "Problem: house.crt"
                              << "Results: None" << true << true << defined << 4 << false << "";
    // A problem file is read by what it holds, whatever its name.
    QTest::newRow("load other extension")
        << int(LoadOther) << "Problem: cars.txt"
        << "Results: None" << true << true << defined << 5 << false << "";
    QTest::newRow("reset after load")
        << int(ResetAfterLoad) << "Problem: None"
        << "Results: None" << true << true << idle << 0 << false << "";
    QTest::newRow("save problem") << int(SaveProblem) << "Problem: saved.xml"
                                  << "Results: None" << true << true << defined << 5 << false << "";
    QTest::newRow("save results") << int(SaveResults) << "Problem: house.fun"
                                  << "Results: results.xml" << true << true << solved << 4 << true
                                  << houseK;
    QTest::newRow("new, parameters cancelled")
        << int(NewCancelledInParameters) << "Problem: None"
        << "Results: None" << true << true << idle << 0 << false << "";
    QTest::newRow("refused file over a solved problem")
        << int(RefusedOverSolved) << "Problem: house.fun"
        << "Results: house.fun" << true << true << solved << 4 << true << houseK;
    QTest::newRow("unsolved problem after a solved one")
        << int(UnsolvedAfterSolved) << "Problem: laptops.xml"
        << "Results: None" << true << true << defined << 6 << false << "";
    // Price and Power of cars.xml with k 0.5 and 0.25 need K = 2.
    QTest::newRow("partial results")
        << int(PartialResults) << "Problem: cars.xml"
        << "Results: partial.xml" << true << true << ranked << 5 << true << "K = 2.000";
    QTest::newRow("partial results without a K")
        << int(PartialResultsWithoutK) << "Problem: cars.xml"
        << "Results: Function not complete" << true << true << defined << 5 << false << "";
}

void TestWorkflow::commandStates() {
    QFETCH(int, scenario);
    QFETCH(QString, problem);
    QFETCH(QString, results);
    QFETCH(bool, problemSaved);
    QFETCH(bool, resultsSaved);
    QFETCH(QString, enabled);
    QFETCH(int, criteria);
    QFETCH(bool, complete);
    QFETCH(QString, formulaK);
    TKavrel &k = *Kavrel;

    switch (TScenario(scenario)) {
    case Start:
        break;
    case LoadXml:
        f_->Load(Example("cars.xml"));
        QCOMPARE(int(k.Variants.Alternatives.size()), 12);
        break;
    case LoadXmlUpperCase: {
        const QString path = f_->Path("CARS.XML");
        QVERIFY(QFile::copy(Example("cars.xml"), path));
        f_->Load(path);
        break;
    }
    case LoadFun:
        f_->Load(Example("house.fun"));
        // Imported functions are finished, so a later rename cannot seed them again.
        for (const TPROBLEM &c : k.Criteria)
            QVERIFY(c.FunctionCreated && c.KCounted);
        QVERIFY(!k.SolutionUnfinished);
        break;
    case LoadCrt:
        f_->Load(Example("house.crt"));
        break;
    case LoadOther:
        f_->Load(f_->Write("cars.txt", ReadAll(Example("cars.xml"))));
        break;
    case ResetAfterLoad:
        f_->Load(Example("cars.xml"));
        k.ResetProblem();
        QCOMPARE(k.Roles[0].Caption, QStringLiteral("Name"));
        QCOMPARE(k.Roles[1].AttrID, QStringLiteral("DESC"));
        QVERIFY(k.Variants.Alternatives.empty() && k.Variants.Columns.empty());
        QVERIFY(TXML::DocumentText(k.Xml.ProblemDoc).contains("MAKE"));
        QVERIFY(!TXML::DocumentText(k.Xml.ProblemDoc).contains("Attr1"));
        break;
    case SaveProblem:
        f_->Load(Example("cars.xml"));
        k.SetProblemStatus(QStringLiteral("Problem: NOT SAVED"), false);
        f_->Script.ChooseFile(f_->Path("saved"));
        k.SB_SaveProblemClick();
        QCOMPARE(f_->Script.Dialogs.back().Title, QStringLiteral("Save problem"));
        QVERIFY(QFile::exists(f_->Path("saved.xml")));
        break;
    case SaveResults:
        f_->Load(Example("house.fun"));
        k.SetResultsStatus(QStringLiteral("Results: NOT SAVED"), false);
        f_->Script.ChooseFile(f_->Path("results.xml"));
        k.SB_SaveResultClick();
        QCOMPARE(f_->Script.Dialogs.back().Title, QStringLiteral("Save results"));
        QVERIFY(ReadAll(f_->Path("results.xml")).contains("ZUZOVODODEZI"));
        break;
    case NewCancelledInParameters:
        f_->Load(Example("house.fun"));
        k.Probability = 0.7;
        f_->Script.Answer(mrYes, ProblemLost);
        f_->AnswerParameters(false);
        k.SB_NewClick();
        // The old problem is gone, K with it, and the parameters start again from
        // their defaults.
        QCOMPARE(k.Probability, 0.5);
        QVERIFY(k.Cancelled);
        QCOMPARE(FactorK, 0.0);
        QCOMPARE(k.MDIChildCount(), 0);
        break;
    case RefusedOverSolved:
        f_->Load(Example("house.fun"));
        f_->Script.Answer(mrYes, ProblemLost);
        f_->Script.Answer(mrOk, QStringLiteral("Data section not found!\nFile: \"%1\"")
                                    .arg(TestData("xml/problem/no_data.xml")));
        f_->Load(TestData("xml/problem/no_data.xml"));
        QCOMPARE(k.MDIChildCount(), k.UsedCount);
        break;
    case UnsolvedAfterSolved:
        f_->Load(Example("house.fun"));
        f_->Load(Example("laptops.xml"), true);
        QCOMPARE(FactorK, 0.0);
        QCOMPARE(k.MDIChildCount(), 0);
        break;
    case PartialResults:
    case PartialResultsWithoutK: {
        f_->Load(Example("cars.xml"));
        const bool solvable = scenario == PartialResults;
        // Comfort is no criterion of cars.xml, and the file's K was solved with it.
        const QString file = f_->Write("partial.xml", ResultsOf({{"Price", solvable ? 0.5 : 0.6},
                                                                 {"Power", solvable ? 0.25 : 0.0},
                                                                 {"Comfort", 0.25}},
                                                                0.718));
        const QString message =
            QStringLiteral("The results fit this problem only in part.\n"
                           "Criteria of the file that match no criterion: \"Comfort\".\n"
                           "Criteria no longer used: \"Fuel\", \"Boot\".\n"
                           "K is solved again from the k of the used criteria.");
        f_->Script.Answer(mrOk, message);
        if (!solvable) {
            // As after a failed solve in the driver: k must be asked again.
            f_->Script.Answer(mrOk, QStringLiteral("Can't calculate factor K"));
            f_->Script.Answer(mrOk, QStringLiteral("Problem not completely solved. Click "
                                                   "\"New Function\" to continue."));
        }
        f_->Script.ChooseFile(file);
        k.SB_LoadResultClick();
        QCOMPARE(k.UsedCount, 2);
        if (solvable) {
            QCOMPARE(FactorK, 2.0);
            QCOMPARE(k.MDIChildCount(), 2);
        } else {
            QCOMPARE(FactorK, 0.0);
            QVERIFY(k.SolutionUnfinished);
            QVERIFY(!k.Criteria[0].KCounted && !k.Criteria[1].KCounted);
            QCOMPARE(k.MDIChildCount(), 0);
        }
        break;
    }
    }

    QCOMPARE(ProblemPanel(), problem);
    QCOMPARE(ResultsPanel(), results);
    QCOMPARE(k.ProblemSaved, problemSaved);
    QCOMPARE(k.ResultsSaved, resultsSaved);
    QCOMPARE(EnabledCommands(), enabled);
    QCOMPARE(int(k.Criteria.size()), criteria);
    QCOMPARE(k.SolutionComplete, complete);
    int used = 0;
    for (const TPROBLEM &c : k.Criteria)
        used += c.Used ? 1 : 0;
    QCOMPARE(k.UsedCount, used);
    QCOMPARE(FormulaK(*f_), formulaK);
    QVERIFY(RecordsInDocument());
}

void TestWorkflow::lossQuestions() {
    TKavrel &k = *Kavrel;
    // An empty problem is replaced without a question.
    f_->Load(Example("cars.xml"));
    QCOMPARE(f_->Script.Shown.size(), 1); // only the help library's message

    // No keeps the problem and asks for no file.
    const QString before = CriteriaText();
    f_->Script.Answer(mrNo, ProblemLost);
    k.SB_LoadProblemClick();
    f_->Script.Answer(mrNo, ProblemLost);
    k.SB_NewClick();
    QCOMPARE(f_->Script.Dialogs.size(), size_t(1));
    QCOMPARE(CriteriaText(), before);
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: cars.xml"));

    // Cancelling the file dialog changes nothing either.
    f_->Load(QString(), true);
    QCOMPARE(CriteriaText(), before);
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: cars.xml"));

    // Results over a solved problem ask first; No leaves it all.
    f_->Load(Example("house.fun"), true);
    const QString solved = CriteriaText();
    const double K = FactorK;
    f_->Script.Answer(mrNo, FunctionLost);
    k.SB_LoadResultClick();
    QCOMPARE(CriteriaText(), solved);
    QCOMPARE(FactorK, K);
    QVERIFY(k.SolutionComplete);
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: house.fun"));
    QCOMPARE(f_->Script.Dialogs.size(), size_t(3));
}

void TestWorkflow::failedProblemLoads_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text"); // empty: the file named by name is used as it is
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("odd"); // a TOddFile made under the name, or -1

    QByteArray fun = ReadAll(Example("house.fun"));
    QList<QByteArray> lines = fun.split('\n');
    lines[6] = "not a number";
    QTest::newRow("not well-formed")
        << "broken.xml" << QByteArray("<DATA><ATTRIBUTES>") << "Error on line " << -1;
    QTest::newRow("no DATA") << TestData("xml/problem/no_data.xml") << QByteArray()
                             << "Data section not found!" << -1;
    QTest::newRow("bad settings") << TestData("xml/problem/settings_bad_probability.xml")
                                  << QByteArray() << "Tag \"PROBABILITY\": Convertion error" << -1;
    // Probability and questions read well before the precision fails: none of them is taken.
    QTest::newRow("bad last setting")
        << TestData("xml/problem/settings_bad_precision.xml") << QByteArray()
        << "Tag \"PRECISION\": Convertion error" << -1;
    QTest::newRow("bad alternative") << TestData("xml/problem/object_bad_number.xml")
                                     << QByteArray() << "Convertion error" << -1;
    QTest::newRow("fun line 7") << "bad7.fun" << lines.join('\n') << "Error in 7 line. " << -1;
    // Names that are no file to read, and a text that is no problem.
    QTest::newRow("FIFO") << "plan.xml" << QByteArray() << "is not a regular file: it is a FIFO"
                          << int(TOddFile::Fifo);
    QTest::newRow("folder") << "plan.fun" << QByteArray() << "is not a regular file: it is a folder"
                            << int(TOddFile::Folder);
    QTest::newRow("text of another name")
        << "notes.txt" << QByteArray("Shopping\nbread\nmilk\n")
        << "\" is not a problem file: it holds no problem (XML), function (\".fun\") or "
           "criteria (\".crt\") file."
        << -1;
    QTest::newRow("crt line") << TestData("import/crt_min_bad.crt") << QByteArray() << "Error in "
                              << -1;
}

void TestWorkflow::failedProblemLoads() {
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    QFETCH(int, odd);
    TKavrel &k = *Kavrel;
    // A solved problem with its chart windows, criteria bar and alternatives.
    f_->Load(Example("cars.xml"));
    SolveLoadedProblem();
    k.BuildCriteriaBar();
    k.Probability = 0.3;
    k.Questions = 7;
    k.ProbabilityPrecision = 4;
    k.SetProblemStatus(QStringLiteral("Problem: NOT SAVED"), false);
    k.SetResultsStatus(QStringLiteral("Results: NOT SAVED"), false);
    const QString criteria = CriteriaText();
    const double K = FactorK;
    const QByteArray document = TXML::DocumentText(k.Xml.ProblemDoc);
    const QList<QObject *> bar = BarWindows();
    const QString enabled = EnabledCommands();
    QVERIFY(enabled.contains("Ranking") && enabled.contains("Raport"));

    QString path = text.isEmpty() ? name : f_->Write(name, text);
    if (odd >= 0) {
        path = f_->Path(name);
        QVERIFY(MakeOddFile(TOddFile(odd), path));
    }
    f_->Script.Answer(mrYes, ProblemLost);
    f_->Script.Answer(mrOk); // the reader's message
    {
        const TFifoReaderWatchdog watchdog(path);
        f_->Load(path);
        QVERIFY2(!watchdog.Fired(), "the reader waited in open() for a writer");
    }
    // The message names the file.
    const QString shown = f_->Script.Shown.back().Text;
    QVERIFY2(shown.contains(message), qPrintable(shown));
    QVERIFY2(shown.contains(QLatin1Char('"') + path + QLatin1Char('"')), qPrintable(shown));
    // The user still has the problem, exactly as it was.
    QCOMPARE(CriteriaText(), criteria);
    QCOMPARE(FactorK, K);
    QCOMPARE(int(k.Variants.Alternatives.size()), 12);
    QCOMPARE(TXML::DocumentText(k.Xml.ProblemDoc), document);
    QVERIFY(RecordsInDocument());
    QCOMPARE(BarWindows(), bar);
    QCOMPARE(k.MDIChildCount(), k.UsedCount);
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: NOT SAVED"));
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: NOT SAVED"));
    QCOMPARE(EnabledCommands(), enabled);
    QVERIFY(k.SolutionComplete && !k.ProblemSaved && !k.ResultsSaved);
    QCOMPARE(k.Roles[0].Caption, QStringLiteral("Model"));
    QCOMPARE(k.Probability, 0.3);
    QCOMPARE(k.Questions, 7);
    QCOMPARE(k.ProbabilityPrecision, 4);
}

void TestWorkflow::resultsRoundTrip() {
    TKavrel &k = *Kavrel;
    f_->Load(Example("house.fun"));
    const QString solved = CriteriaText();
    const double K = FactorK;
    f_->Script.ChooseFile(f_->Path("house results.xml"));
    k.SB_SaveResultClick();

    // A problem of the same criteria without functions takes the results by name.
    f_->Load(Example("house.crt"), true);
    QVERIFY(!k.SolutionComplete);
    FactorK = 0.0;
    f_->Script.ChooseFile(f_->Path("house results.xml"));
    k.SB_LoadResultClick();
    QCOMPARE(f_->Script.Dialogs.back().Title, QStringLiteral("Open results"));
    QCOMPARE(FactorK, K);
    QVERIFY(k.SolutionComplete && !k.SolutionUnfinished);
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: house results.xml"));
    QVERIFY(k.ResultsSaved);
    QCOMPARE(EnabledCommands().contains("SaveResult"), true);
    for (size_t i = 0; i < k.Criteria.size(); ++i)
        QCOMPARE(PointsText(k.Criteria[i]), solved.split('|')[qsizetype(i)].section(':', 1, 1));
}

void TestWorkflow::loadedResultsArranged_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("results");
    for (const char *mode : {"Menu_Cascade", "Menu_TileHorizontal", "Menu_TileVertical"}) {
        QTest::addRow("results, %s", mode) << QString(mode) << true;
        QTest::addRow("solved problem, %s", mode) << QString(mode) << false;
    }
}

void TestWorkflow::loadedResultsArranged() {
    QFETCH(QString, mode);
    QFETCH(bool, results);
    TKavrel &k = *Kavrel;
    f_->Load(Example("house.fun"));
    f_->Script.ChooseFile(f_->Path("results.xml"));
    k.SB_SaveResultClick();
    f_->Load(Example("house.crt"), true);
    auto *item = k.findChild<QAction *>(mode);
    QVERIFY(item);
    item->trigger();
    QVERIFY(item->isChecked());

    if (results) {
        f_->Script.ChooseFile(f_->Path("results.xml"));
        k.SB_LoadResultClick();
    } else {
        f_->Load(Example("house.fun"), true);
    }
    QVERIFY(k.SolutionComplete);
    QVERIFY(k.MDIChildCount() > 1);
    // Arranged already: arranging again moves nothing.
    QList<QRect> loaded;
    for (int i = 0; i < k.MDIChildCount(); ++i)
        loaded << k.MDIChildren(i)->geometry();
    k.ArrangeCharts();
    for (int i = 0; i < k.MDIChildCount(); ++i)
        QCOMPARE(k.MDIChildren(i)->geometry(), loaded[i]);
}

void TestWorkflow::refusedResultsKeepEverything_data() {
    // Each file is the problem's own saved results with one change.
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("odd"); // a TOddFile in place of the file, or -1
    QTest::newRow("not well-formed")
        << QByteArray("</ZUZOVODODEZI>") << QByteArray() << "Error on line " << -1;
    QTest::newRow("bad point") << QByteArray("Y=\"1\"") << QByteArray("Y=\"1.5\"")
                               << "Tag \"POINT\": invalid point" << -1;
    QTest::newRow("no BIGK") << QByteArray("BIGK") << QByteArray("SMALLK") << "Can't find tag BIGK"
                             << -1;
    QTest::newRow("BIGK nan") << QByteArray("<BIGK Value=\"")
                              << QByteArray("<BIGK Value=\"nan\" Was=\"")
                              << "Convertion error (tag \"BIGK\", Value \"nan\")" << -1;
    // Names of another problem: its K is no result of this one.
    QTest::newRow("foreign") << QByteArray("Name=\"") << QByteArray("Name=\"Other ")
                             << "No criteria were updated!" << -1;
    QTest::newRow("FIFO") << QByteArray() << QByteArray() << "is not a regular file: it is a FIFO"
                          << int(TOddFile::Fifo);
    QTest::newRow("folder") << QByteArray() << QByteArray()
                            << "is not a regular file: it is a folder" << int(TOddFile::Folder);
}

void TestWorkflow::refusedResultsKeepEverything() {
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, message);
    QFETCH(int, odd);
    TKavrel &k = *Kavrel;
    f_->Load(Example("house.fun"));
    f_->Script.ChooseFile(f_->Path("own.xml"));
    k.SB_SaveResultClick();
    const QString file = f_->Path(QStringLiteral("changed.xml"));
    if (odd >= 0)
        QVERIFY(MakeOddFile(TOddFile(odd), file));
    else
        f_->Write(QStringLiteral("changed.xml"), ReadAll(f_->Path("own.xml")).replace(from, to));
    FactorK = 0.75;
    k.SetResultsStatus(QStringLiteral("Results: NOT SAVED"), false);
    const QString before = CriteriaText();
    const double K = FactorK;
    const QString enabled = EnabledCommands();

    f_->Script.Answer(mrYes, FunctionLost);
    f_->Script.Answer(mrOk);
    f_->Script.ChooseFile(file);
    {
        const TFifoReaderWatchdog watchdog(file);
        k.SB_LoadResultClick();
        QVERIFY2(!watchdog.Fired(), "the reader waited in open() for a writer");
    }
    const QString shown = f_->Script.Shown.back().Text;
    QVERIFY2(shown.contains(message), qPrintable(shown));
    // Every refusal names the file; the foreign file's message is the reader's own.
    if (odd >= 0 || message.startsWith(QLatin1String("Convertion")))
        QVERIFY2(shown.contains(QLatin1Char('"') + file + QLatin1Char('"')), qPrintable(shown));
    QCOMPARE(CriteriaText(), before);
    QCOMPARE(FactorK, K);
    QVERIFY(k.SolutionComplete && !k.SolutionUnfinished);
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: NOT SAVED"));
    QVERIFY(!k.ResultsSaved);
    QCOMPARE(EnabledCommands(), enabled);

    // The next save writes this problem's results, not the refused file.
    f_->Script.ChooseFile(f_->Path("after.xml"));
    k.SB_SaveResultClick();
    const QByteArray saved = ReadAll(f_->Path("after.xml"));
    QVERIFY(saved.contains("Name=\"Price\""));
    QVERIFY(!saved.contains("Other"));
    QVERIFY(saved.contains("<BIGK Value=\"0.75\"/>"));
}

void TestWorkflow::unfinishedResults() {
    TKavrel &k = *Kavrel;
    f_->Load(Example("house.fun"));
    k.Criteria[1].KCounted = false;
    f_->Script.ChooseFile(f_->Path("half.xml"));
    k.SB_SaveResultClick();

    f_->Script.Answer(mrYes, FunctionLost);
    f_->Script.Answer(mrOk,
                      QStringLiteral("Problem not completely solved. Click \"New Function\" to "
                                     "continue."));
    f_->Script.ChooseFile(f_->Path("half.xml"));
    k.SB_LoadResultClick();
    QVERIFY(!k.SolutionComplete && k.SolutionUnfinished);
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: half.xml"));
    QVERIFY(!EnabledCommands().contains("Ranking"));
}

void TestWorkflow::resultsKFitsTheUsedK_data() {
    // Each file is the problem's own saved results, changed as the row says.
    QTest::addColumn<QString>("change");
    QTest::addColumn<double>("priceK");
    QTest::addColumn<bool>("solvedAgain");
    QTest::addColumn<QString>("unused");
    QTest::newRow("written, K of the old scan") << "none" << 0.4 << false << "";
    QTest::newRow("written, K of the solver") << "solve" << 0.4 << false << "";
    QTest::newRow("written, one used criterion") << "one used" << 0.4 << false << "";
    QTest::newRow("k edited by hand") << "k 0.6" << 0.6 << true << "";
    QTest::newRow("k edited to sum 1") << "k 0.5" << 0.5 << true << "";
    QTest::newRow("criterion named twice") << "twice" << 0.1 << true << "";
    QTest::newRow("one criterion left")
        << "only Price" << 0.4 << true << "\"Floor area\", \"Distance t\"";
}

void TestWorkflow::resultsKFitsTheUsedK() {
    QFETCH(QString, change);
    QFETCH(double, priceK);
    QFETCH(bool, solvedAgain);
    QFETCH(QString, unused);
    TKavrel &k = *Kavrel;
    f_->Load(Example("house.fun"));
    if (change == "one used") {
        for (size_t i = 1; i < k.Criteria.size(); ++i)
            k.Criteria[i].Used = false;
    }
    if (change == "solve" || change == "one used")
        QVERIFY(k.SolveFactorK());
    f_->Script.ChooseFile(f_->Path("own.xml"));
    k.SB_SaveResultClick();

    QString text = QString::fromUtf8(ReadAll(f_->Path("own.xml")));
    double written = 0.0;
    QVERIFY(TXML::FileTextToNumber(
        QRegularExpression(QStringLiteral("<BIGK Value=\"([^\"]*)\"")).match(text).captured(1),
        written));
    const QRegularExpression price(QStringLiteral("<ATTRIBUTE Name=\"Price\">.*?</ATTRIBUTE>"),
                                   QRegularExpression::DotMatchesEverythingOption);
    const QString priceK04 = QStringLiteral("<SMALLK Value=\"0.4\"/>");
    QVERIFY(text.contains(priceK04));
    if (change.startsWith("k "))
        text.replace(priceK04, QStringLiteral("<SMALLK Value=\"%1\"/>").arg(change.mid(2)));
    if (change == "twice") {
        // The later element wins.
        const QString again = price.match(text).captured().replace(
            priceK04, QStringLiteral("<SMALLK Value=\"0.1\"/>"));
        text.replace(QStringLiteral("<BIGK"), again + QStringLiteral("<BIGK"));
    }
    if (change == "only Price")
        text.remove(QRegularExpression(QStringLiteral("<ATTRIBUTE Name=\"(?!Price)[^\"]*\">.*?"
                                                      "</ATTRIBUTE>"),
                                       QRegularExpression::DotMatchesEverythingOption));
    const QString file = f_->Write(QStringLiteral("changed.xml"), text.toUtf8());

    f_->Script.Answer(mrYes, FunctionLost);
    if (solvedAgain) {
        QString message = QStringLiteral("The K of the results does not fit their k.\n");
        if (!unused.isEmpty())
            message += QStringLiteral("Criteria no longer used: ") + unused + QStringLiteral(".\n");
        f_->Script.Answer(mrOk, message + QStringLiteral("K is solved again from the k of the "
                                                         "used criteria."));
    }
    FactorK = 0.0;
    f_->Script.ChooseFile(file);
    k.SB_LoadResultClick();
    QCOMPARE(k.Criteria[0].SmallK, priceK);
    QVERIFY(k.SolutionComplete && !k.SolutionUnfinished);
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: changed.xml"));
    if (!solvedAgain) {
        // The file's K, bit for bit.
        QCOMPARE(std::bit_cast<quint64>(FactorK), std::bit_cast<quint64>(written));
        return;
    }
    double solved = 0.0;
    QVERIFY(FactorKOf(k.Criteria, solved));
    QCOMPARE(FactorK, solved);
    QVERIFY(FactorK != written);
}

// A ".fun" K that does not fit its k is solved again, and the user is told.
void TestWorkflow::funKSolvedAgain() {
    TKavrel &k = *Kavrel;
    QByteArray text = ReadAll(Example("house.fun"));
    QVERIFY(text.contains("\n0.3719"));
    const QString path = f_->Write("house.fun", text.replace("\n0.3719", "\n-5"));
    f_->Script.Answer(mrOk, QStringLiteral("The K of the file (-5) does not fit its k.\n"
                                           "K is solved again from the k of the used criteria.\n"
                                           "File: \"%1\"")
                                .arg(path));
    f_->Load(path);
    QVERIFY(k.SolutionComplete);
    QVERIFY(FactorKFits(k.Criteria, FactorK));
    QVERIFY(std::abs(FactorK - 0.3719) < 5e-4);
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: house.fun"));
}

void TestWorkflow::failedSaves() {
    TKavrel &k = *Kavrel;
    f_->Load(Example("house.fun"));
    k.SetProblemStatus(QStringLiteral("Problem: NOT SAVED"), false);
    k.SetResultsStatus(QStringLiteral("Results: NOT SAVED"), false);
    const QString missing = f_->Path("no such folder/problem.xml");

    f_->Script.Answer(mrOk);
    f_->Script.ChooseFile(missing);
    k.SB_SaveProblemClick();
    QVERIFY(f_->Script.Shown.back().Text.contains(QDir::toNativeSeparators(missing)));
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: NOT SAVED"));
    QVERIFY(!k.ProblemSaved);

    f_->Script.Answer(mrOk);
    f_->Script.ChooseFile(missing);
    k.SB_SaveResultClick();
    QVERIFY(f_->Script.Shown.back().Text.contains(QDir::toNativeSeparators(missing)));
    QCOMPARE(ResultsPanel(), QStringLiteral("Results: NOT SAVED"));
    QVERIFY(!k.ResultsSaved);

    // Cancelling the dialog changes nothing and says nothing.
    const qsizetype shown = f_->Script.Shown.size();
    f_->Script.ChooseFile(QString());
    k.SB_SaveProblemClick();
    QCOMPARE(f_->Script.Shown.size(), shown);
    QVERIFY(!k.ProblemSaved);
}

void TestWorkflow::incompleteTableIsNotSaved() {
    TKavrel &k = *Kavrel;
    f_->Load(Example("cars.xml"));
    k.SetProblemStatus(QStringLiteral("Problem: NOT SAVED"), false);
    k.Variants.Columns[2].Values.pop_back();
    f_->Script.Answer(mrOk);
    k.SB_SaveProblemClick();
    QVERIFY(f_->Script.Shown.back().Text.contains("empty cells"));
    QVERIFY(f_->Script.Dialogs.size() == 1); // no save dialog
    QVERIFY(!k.ProblemSaved);
}

void TestWorkflow::problemRoundTrip() {
    TKavrel &k = *Kavrel;
    f_->Load(Example("cars.xml"));
    k.Probability = 0.35;
    k.Questions = 9;
    k.ProbabilityPrecision = 2;
    const QString criteria = CriteriaText();
    f_->Script.ChooseFile(f_->Path("cars copy.xml"));
    k.SB_SaveProblemClick();
    QCOMPARE(ProblemPanel(), QStringLiteral("Problem: cars copy.xml"));

    k.Probability = 0.5;
    k.Questions = 5;
    k.ProbabilityPrecision = 3;
    f_->Load(f_->Path("cars copy.xml"), true);
    QCOMPARE(CriteriaText(), criteria);
    QCOMPARE(int(k.Variants.Alternatives.size()), 12);
    QCOMPARE(k.Probability, 0.35);
    QCOMPARE(k.Questions, 9);
    QCOMPARE(k.ProbabilityPrecision, 2);
}

void TestWorkflow::rankingCommand() {
    TKavrel &k = *Kavrel;
    f_->Load(Example("cars.xml"));
    // Not solved yet: nothing happens.
    k.SB_RankingClick();
    QVERIFY(!Form_Ranking->isVisible());

    SolveLoadedProblem();
    k.SB_RankingClick();
    QVERIFY(Form_Ranking->isVisible());
    QCOMPARE(Form_Ranking->RowCount(), 13);
    QCOMPARE(Form_Ranking->ColCount(), k.UsedCount + 4);
    double best = -1.0;
    for (const TVARIANTDEF &row : k.Variants.Alternatives)
        best = std::max(best, row.Utility);
    QCOMPARE(Form_Ranking->Cells(3, 1), FormatUtility(best, k.ProbabilityPrecision));
    Form_Ranking->close();

    // A value missing for a used criterion: no ranking from a short column.
    for (TCRITERIALIST &column : k.Variants.Columns) {
        if (k.Criteria[size_t(k.CriterionIndexById(column.CriterionId))].Used) {
            column.Values.pop_back();
            break;
        }
    }
    k.SB_RankingClick();
    QVERIFY(!Form_Ranking->isVisible());
}

void TestWorkflow::formulaCommand() {
    TKavrel &k = *Kavrel;
    f_->Load(Example("house.fun"));
    QString shown;
    f_->Script.AnswerForm(QStringLiteral("Form_Formula"), [&shown](QDialog *form) {
        auto *f = static_cast<TForm_Formula *>(form);
        shown = f->Label_Kvalue->text();
        QVERIFY(f->Panel_formula->isVisible());
        f->BitBtn_ok->click();
    });
    k.SB_FormulaClick();
    QCOMPARE(shown, QStringLiteral("K = ") + FormatFixed(FactorK, k.ProbabilityPrecision));
    QVERIFY(!Form_Formula->isVisible());
    QVERIFY(Form_Formula->findChildren<QLabel *>().size() < 20);
}

VR_GUI_TEST_MAIN(TestWorkflow)
#include "tst_workflow.moc"
