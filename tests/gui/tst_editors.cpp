// The criteria and alternatives editors, the enumeration viewer and the two
// caption dialogs, driven in the running frame.
#include "GuiTest.h"
#include "app/Criteriaf.h"
#include "app/Descriptionf.h"
#include "app/Enumf.h"
#include "app/Namef.h"
#include "app/Variantsf.h"
#include "tests/TestSupport.h"
#include "tests/model/XmlTestSupport.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTemporaryDir>
#include <functional>

namespace {
const QString SaveChanges = QStringLiteral("Save changes?");
const QString ExitAnyway =
    QStringLiteral("If You will not fill in all empty cells, You will not be able to see results "
                   "and save problem! Exit anyway?");
const QString NotSaved = QStringLiteral("Problem: NOT SAVED");

// The frame with the editors, as the program creates them.
struct TEditorsFixture : TFrameFixture {
    TEditorsFixture() {
        CriteriaForm = new TCriteriaForm(Kavrel);
        VariantsForm = new TVariantsForm(Kavrel);
        EnumForm = new TEnumForm(Kavrel);
        NameForm = new TNameForm(Kavrel);
        DescriptionForm = new TDescriptionForm(Kavrel);
    }
    ~TEditorsFixture() {
        // The frame owns them.
        CriteriaForm = nullptr;
        VariantsForm = nullptr;
        EnumForm = nullptr;
        NameForm = nullptr;
        DescriptionForm = nullptr;
    }
    bool Load(const QString &path) {
        return Kavrel->Xml.LoadProblemFile(path) &&
               Kavrel->Xml.ReadProblem(Kavrel->Criteria, Kavrel->Variants, Kavrel->Roles);
    }
    QString Panel0() const { return Kavrel->StatusBar->PanelText(0); }
};

// Shows a form modally; the body plays the user inside it and must close it.
bool RunModal(const QString &form, const std::function<void()> &show,
              const std::function<void()> &body) {
    TDialogScript *script = TDialogScript::Active();
    script->AnswerForm(form, [body](QDialog *) { body(); });
    show();
    return script->PendingForms() == 0 && !script->Forms.isEmpty() && script->Forms.last() == form;
}

QString Names() {
    QStringList names;
    for (const TPROBLEM &c : Kavrel->Criteria)
        names << c.Name;
    return names.join(',');
}

QString Examples(const char *name) {
    return QStringLiteral(VR_EXAMPLES "/") + QLatin1String(name);
}
} // namespace

class TestEditors : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void criteriaNewProblem();
    void criteriaCloseWithoutOk_data();
    void criteriaCloseWithoutOk();
    void criteriaValidationKeepsTheOldItem();
    void criteriaRefusedMoveKeepsOneCriterion_data();
    void criteriaRefusedMoveKeepsOneCriterion();
    void criteriaRenameThenChangeType();
    void criteriaLimitAndDelete();
    void criteriaEnterMovesFocus();
    void enumViewer();
    void alternativesFillAndStore();
    void alternativesFaultsKeepTheFormOpen();
    void alternativesExitAnyway_data();
    void alternativesExitAnyway();
    void alternativesComboBox();
    void alternativesKeysAndHints();
    void alternativesInvalidCellsRed();
    void alternativesMarkEmptyCells();
    void captionDialogs_data();
    void captionDialogs();
    void bothEditorsSavedAndLoaded();
    void numbersSurviveBothEditors_data();
    void numbersSurviveBothEditors();

private:
    std::unique_ptr<TEditorsFixture> f_;
};

void TestEditors::init() {
    QLocale::setDefault(QLocale::c());
    f_ = std::make_unique<TEditorsFixture>();
}

void TestEditors::cleanup() {
    f_->Check();
    f_.reset();
}

void TestEditors::criteriaNewProblem() {
    int result = -1;
    QVERIFY(RunModal(
        "TCriteriaForm", [&] { result = CriteriaForm->ShowModal(); },
        [&] {
            TCriteriaForm *form = CriteriaForm;
            QVERIFY(!form->DeleteButton->isEnabled());
            QVERIFY(!form->NameEdit->isEnabled());
            form->NewButtonClick();
            QCOMPARE(form->NameEdit->text(), QStringLiteral("NoName1"));
            QVERIFY(form->NameEdit->isEnabled());
            QVERIFY(form->CostRadioButton->isChecked());
            form->NameEdit->setText("Price");
            form->MaxValueEdit->setText("1000");
            form->NewButtonClick(); // applies Price, adds NoName2
            form->NameEdit->setText("Power");
            form->GainRadioButton->setChecked(true);
            form->MethodRadioButton3->setChecked(true);
            form->DescriptionEdit->setText("kW");
            form->OKBitBtn->click();
        }));
    QCOMPARE(result, int(mrOk));
    QVERIFY(!CriteriaForm->isVisible());
    QCOMPARE(Names(), QStringLiteral("Price,Power"));
    const TPROBLEM &power = Kavrel->Criteria[1];
    QVERIFY(!power.Cost);
    QCOMPARE(power.Method, 3);
    QCOMPARE(power.Description, QStringLiteral("kW"));
    QCOMPARE(Kavrel->Criteria[0].Max, 1000.0);
    QVERIFY(Kavrel->CriteriaChanged && Kavrel->CoefficientsInvalid);
    // ATTRIBUTES and KAVREL carry both.
    QCOMPARE(power.Node.firstChildElement("NAME").attribute("Value"), QStringLiteral("Power"));
    QCOMPARE(power.Node.firstChildElement("CRITERION").attribute("Value"), QStringLiteral("Gain"));
    QCOMPARE(TreeDump(Kavrel->Xml.SettingsNode).count("METHOD"), 2);
    QCOMPARE(f_->Panel0(), NotSaved);
    QVERIFY(!Kavrel->ProblemSaved);
}

void TestEditors::criteriaCloseWithoutOk_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
    QTest::newRow("reject") << "reject";
}

void TestEditors::criteriaCloseWithoutOk() {
    QFETCH(QString, how);
    QVERIFY(f_->Load(Examples("cars.xml")));
    const QString names = Names();
    const QString attributes = TreeDump(Kavrel->Xml.AttributesNode);
    const QString objects = TreeDump(Kavrel->Xml.ObjectsNode);
    const std::vector<TRowTexts> rows = RowsOfVariants(Kavrel->Model);
    const std::vector<TPROBLEM> before = Kavrel->Criteria;

    int result = -1;
    QVERIFY(RunModal(
        "TCriteriaForm", [&] { result = CriteriaForm->ShowModal(); },
        [&] {
            TCriteriaForm *form = CriteriaForm;
            form->NameEdit->setText("Cost");
            form->MinValueEdit->setText("0");
            form->NewButtonClick(); // Price renamed and changed, NoName6 added
            form->CriteriaListBox->setCurrentRow(1);
            form->DeleteButtonClick(); // Power and its values go
            QCOMPARE(Kavrel->Variants.Columns.size(), size_t(4));
            while (Kavrel->Criteria.size() > 0)
                form->DeleteButtonClick();
            QVERIFY(Kavrel->Variants.Alternatives.empty());
            QVERIFY(Kavrel->CriteriaChanged);
            if (how == "cancel")
                form->CancelBitBtn->click();
            else if (how == "escape")
                QTest::keyClick(form, Qt::Key_Escape);
            else if (how == "close")
                form->close();
            else
                form->reject();
        }));
    QCOMPARE(result, int(mrCancel));
    QCOMPARE(Names(), names);
    QCOMPARE(TreeDump(Kavrel->Xml.AttributesNode), attributes);
    QCOMPARE(TreeDump(Kavrel->Xml.ObjectsNode), objects);
    QVERIFY(RowsOfVariants(Kavrel->Model) == rows);
    QCOMPARE(Kavrel->Criteria[0].Min, before[0].Min);
    QCOMPARE(PointsText(Kavrel->Criteria[0]), PointsText(before[0]));
    QVERIFY(!Kavrel->CriteriaChanged && !Kavrel->CoefficientsInvalid && !Kavrel->FunctionsInvalid);
    QCOMPARE(f_->Panel0(), QStringLiteral("Problem: None"));
}

void TestEditors::criteriaValidationKeepsTheOldItem() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    TCriteriaForm *form = CriteriaForm;
    form->show();
    QCOMPARE(form->CriteriaListBox->count(), 5);
    QCOMPARE(form->MinAlterLabel->text(), QStringLiteral("15500"));
    QCOMPARE(form->NameEdit->text(), QStringLiteral("Price"));

    // An invalid value: the old item is selected again and nothing is applied.
    form->MinValueEdit->setText("abc");
    f_->Script.Answer(mrOk, QStringLiteral("Convertion error!"));
    form->CriteriaListBox->setCurrentRow(2);
    QCOMPARE(form->CriteriaListBox->currentRow(), 0);
    QCOMPARE(form->NameEdit->text(), QStringLiteral("Price"));
    QCOMPARE(form->CurrentIndex, 0);

    // The range must hold the alternatives' values; the edit gets the nearest allowed.
    form->MinValueEdit->setText("20000");
    f_->Script.Answer(
        mrOk, QStringLiteral("Min value must be equal or less then alternatives' Min value!"));
    form->CriteriaListBox->setCurrentRow(2);
    QCOMPARE(form->MinValueEdit->text(), QStringLiteral("15500"));
    QCOMPARE(form->CriteriaListBox->currentRow(), 0);

    // So does an empty name.
    form->NameEdit->clear();
    f_->Script.Answer(mrOk, QStringLiteral("Name can't be empty"));
    form->CriteriaListBox->setCurrentRow(3);
    QCOMPARE(form->CriteriaListBox->currentRow(), 0);
    QCOMPARE(form->CurrentIndex, 0);
    form->NameEdit->setText("Cost");
    form->CriteriaListBox->setCurrentRow(4); // applies to Price, shows Safety
    QCOMPARE(Kavrel->Criteria[0].Name, QStringLiteral("Cost"));
    QCOMPARE(form->CriteriaListBox->item(0)->text(), QStringLiteral("Cost"));
    QCOMPARE(form->CurrentIndex, 4);
    QCOMPARE(form->NameEdit->text(), QStringLiteral("Safety"));
    QVERIFY(form->EnumButton->isEnabled());
    QVERIFY(!form->UsedCheckBox->isEnabled());
    QVERIFY(Kavrel->CriteriaChanged);

    // OK with an invalid shown criterion stays open; a close without OK then discards.
    form->MinValueEdit->setText("9");
    f_->Script.Answer(
        mrOk, QStringLiteral("Min value must be equal or less then alternatives' Min value!"));
    form->OKBitBtnClick();
    QVERIFY(form->isVisible());
    QVERIFY(!form->OkPressed);
    form->close();
    QVERIFY(!form->isVisible());
    QCOMPARE(Kavrel->Criteria[0].Name, QStringLiteral("Price"));
}

void TestEditors::criteriaRefusedMoveKeepsOneCriterion_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("emptyName");
    for (const char *input : {"click", "Down", "Up"}) {
        QTest::addRow("%s, Min above the values", input) << input << false;
        QTest::addRow("%s, empty name", input) << input << true;
    }
}

void TestEditors::criteriaRefusedMoveKeepsOneCriterion() {
    QFETCH(QString, input);
    QFETCH(bool, emptyName);
    QVERIFY(f_->Load(Examples("cars.xml")));
    TCriteriaForm *form = CriteriaForm;
    QListWidget *list = form->CriteriaListBox;
    form->show();
    QApplication::setActiveWindow(form);
    list->setCurrentRow(2);
    const TPROBLEM shown = Kavrel->Criteria[2];
    QCOMPARE(form->NameEdit->text(), shown.Name);
    const QString names = Names();

    if (emptyName) {
        form->NameEdit->clear();
        f_->Script.Answer(mrOk, QStringLiteral("Name can't be empty"));
    } else {
        form->MinValueEdit->setText(form->MaxAlterLabel->text());
        f_->Script.Answer(
            mrOk, QStringLiteral("Min value must be equal or less then alternatives' Min value!"));
    }
    if (input == QLatin1String("click")) {
        const QRect item = list->visualItemRect(list->item(3));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    } else {
        list->setFocus();
        QTest::keyClick(list, input == QLatin1String("Down") ? Qt::Key_Down : Qt::Key_Up);
    }
    QCoreApplication::processEvents();
    QCOMPARE(f_->Script.Shown.size(), 2); // the help library's, then the refusal

    // The highlight, the current item, the fields and Delete all stand for the
    // criterion shown before the refused move.
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem *>{list->item(2)});
    QCOMPARE(list->currentItem()->text(), shown.Name);
    QCOMPARE(form->CurrentIndex, 2);
    QCOMPARE(form->UnitsEdit->text(), shown.Units);
    QCOMPARE(form->DescriptionEdit->text(), shown.Description);
    form->DeleteButton->click();
    QStringList left = names.split(',');
    left.removeOne(shown.Name);
    QCOMPARE(Names(), left.join(','));
    form->close();
}

void TestEditors::criteriaRenameThenChangeType() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    for (TPROBLEM &c : Kavrel->Criteria)
        c.FunctionCreated = true;
    TCriteriaForm *form = CriteriaForm;
    form->show();
    form->NameEdit->setText("Cost");
    form->CriteriaListBox->setCurrentRow(1); // the rename is applied
    QVERIFY(Kavrel->CriteriaChanged && !Kavrel->FunctionsInvalid);
    form->CriteriaListBox->setCurrentRow(0);
    QCOMPARE(form->NameEdit->text(), QStringLiteral("Cost"));
    form->GainRadioButton->setChecked(true);
    form->OKBitBtnClick();
    QVERIFY(!form->isVisible());
    QCOMPARE(form->ModalResult, int(mrOk));
    const TPROBLEM &c = Kavrel->Criteria[0];
    QVERIFY(Kavrel->FunctionsInvalid);
    QVERIFY(!c.FunctionCreated);
    QVERIFY(!c.Cost);
    QCOMPARE(PointsText(c), QStringLiteral("(%1,0) (%2,1)").arg(c.Min).arg(c.Max));
    QVERIFY(Kavrel->Criteria[1].FunctionCreated);
}

void TestEditors::criteriaLimitAndDelete() {
    TCriteriaForm *form = CriteriaForm;
    form->show();
    for (int i = 0; i < 10; ++i)
        form->NewButtonClick();
    QCOMPARE(Kavrel->Criteria.size(), size_t(10));
    form->NameEdit->setText("Last");
    f_->Script.Answer(mrOk, QStringLiteral("You can create max 10 criteria"));
    form->NewButtonClick();
    QCOMPARE(Kavrel->Criteria.size(), size_t(10));
    QCOMPARE(Kavrel->Criteria[9].Name, QStringLiteral("Last")); // applied before the refusal

    while (form->CriteriaListBox->count() > 0)
        form->DeleteButtonClick();
    QVERIFY(!form->DeleteButton->isEnabled());
    QVERIFY(!form->NameEdit->isEnabled());
    form->DeleteButtonClick(); // nothing selected: nothing happens
    // OK with an empty list closes as a cancel.
    form->OKBitBtnClick();
    QVERIFY(!form->isVisible());
    QCOMPARE(form->ModalResult, int(mrCancel));
    QVERIFY(Kavrel->Criteria.empty());
    QCOMPARE(ChildTags(Kavrel->Xml.AttributesNode).size(), 2);
}

void TestEditors::criteriaEnterMovesFocus() {
    TCriteriaForm *form = CriteriaForm;
    form->show();
    QApplication::setActiveWindow(form);
    form->NewButtonClick();
    form->NameEdit->setFocus();
    QTest::keyClick(form->NameEdit, Qt::Key_Return);
    QVERIFY(form->isVisible()); // Enter did not press OK
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(form->UnitsEdit));
    form->MaxValueEdit->setFocus();
    QTest::keyClick(form->MaxValueEdit, Qt::Key_Enter);
    QVERIFY(form->isVisible());
    QVERIFY(QApplication::focusWidget() != form->MaxValueEdit);
    form->close();
}

void TestEditors::enumViewer() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    CriteriaForm->show();
    CriteriaForm->CriteriaListBox->setCurrentRow(4);
    QVERIFY(RunModal(
        "TEnumForm", [] { CriteriaForm->EnumButtonClick(); },
        [] {
            QTableWidget *grid = EnumForm->EnumGrid;
            QCOMPARE(EnumForm->windowTitle(), QStringLiteral("Enum"));
            QCOMPARE(grid->rowCount(), 5);
            QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Name"));
            QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("Value"));
            QCOMPARE(grid->item(4, 0)->text(), QStringLiteral("excellent"));
            QCOMPARE(grid->item(4, 1)->text(), QStringLiteral("4"));
            EnumForm->close();
        }));
    // A selection that names no criterion shows the header alone.
    CriteriaForm->CriteriaListBox->item(4)->setText("gone");
    EnumForm->FormShow();
    QCOMPARE(EnumForm->EnumGrid->rowCount(), 1);
    CriteriaForm->CriteriaListBox->setCurrentRow(-1);
    EnumForm->FormShow();
    QCOMPARE(EnumForm->EnumGrid->rowCount(), 1);
    CriteriaForm->close();
}

void TestEditors::alternativesFillAndStore() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    TVariantsForm *form = VariantsForm;
    form->show();
    QCOMPARE(form->ColCount(), 7);
    const int cars = int(Kavrel->Variants.Alternatives.size());
    const int spare = cars + 1;
    QCOMPARE(form->RowCount(), cars + 2); // the header and the spare row
    QCOMPARE(form->Cells(0, 0), QStringLiteral("Model"));
    QCOMPARE(form->Cells(6, 0), QStringLiteral("Safety"));
    QCOMPARE(form->Cells(0, 1), QStringLiteral("Civic"));
    QCOMPARE(form->Cells(4, 1), QStringLiteral("5.6"));
    QCOMPARE(form->Cells(6, 1), QStringLiteral("good"));
    QVERIFY(form->Cells(0, spare).isEmpty());
    QVERIFY(!form->Modified);

    // Edit a value, fill the spare row, empty the second car.
    form->SetCells(2, 1, "23000");
    QVERIFY(form->Modified);
    for (int c = 0; c < 7; ++c)
        form->SetCells(c, spare, QStringList{"Fabia", "", "17000", "70", "5", "380", "good"}[c]);
    for (int c = 0; c < 7; ++c)
        form->SetCells(c, 2, QString());
    f_->Script.Answer(mrYes, SaveChanges);
    form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(!form->Modified);
    const TVARIANTS &v = Kavrel->Variants;
    QCOMPARE(int(v.Alternatives.size()), cars);
    QCOMPARE(v.Alternatives[0]
                 .Node.firstChildElement("VALUE")
                 .nextSiblingElement()
                 .nextSiblingElement()
                 .attribute("Value"),
             QStringLiteral("23000"));
    QCOMPARE(v.Alternatives[1].Name, QStringLiteral("Octavia"));
    QCOMPARE(v.Alternatives[size_t(cars - 1)].Name, QStringLiteral("Fabia"));
    QCOMPARE(v.Value(cars - 1, 4), 3.0); // the label's number
    QCOMPARE(ChildTags(Kavrel->Xml.ObjectsNode).size(), cars);
    QVERIFY(v.IsComplete(Kavrel->Criteria));
    QCOMPARE(f_->Panel0(), NotSaved);

    // Opened again and closed unchanged: no question, nothing marked.
    Kavrel->StatusBar->SetPanelText(0, "Problem: cars.xml");
    Kavrel->ProblemSaved = true;
    form->show();
    form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(Kavrel->ProblemSaved);
}

void TestEditors::alternativesFaultsKeepTheFormOpen() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    TVariantsForm *form = VariantsForm;
    form->show();
    const std::vector<TRowTexts> stored = RowsOfVariants(Kavrel->Model);
    const int spare = int(stored.size()) + 1;
    struct Case {
        int Col, Row;
        QString Text, Message;
    };
    const Case cases[] = {
        {2, 3, "", "Empty cell!"},
        {0, 3, "", "Empty cell!"},
        {3, 3, "abc", "Conversion error"},
        {4, 3, "nan", "Conversion error"},
        {6, 3, "Good", "Unknown enum value"},
        {2, spare, "1", "Empty cell!"}, // a started spare row is a row
    };
    for (const Case &c : cases) {
        const QString old = form->Cells(c.Col, c.Row);
        form->SetCells(c.Col, c.Row, c.Text);
        f_->Script.Answer(mrYes, SaveChanges);
        f_->Script.Answer(mrOk, c.Message);
        form->close();
        QVERIFY(form->isVisible());
        QCOMPARE(form->CurrentCell(), QPoint(c.Row == spare ? 0 : c.Col, c.Row));
        form->EnumComboBoxExit(); // the box over a label cell writes its choice
        form->SetCells(c.Col, c.Row, old);
    }
    QVERIFY(RowsOfVariants(Kavrel->Model) == stored);
    // Range check in the form's own words.
    Kavrel->Criteria[1].Min = 60;
    Kavrel->Criteria[1].Max = 200;
    form->SetCells(3, 1, "201");
    f_->Script.Answer(mrYes, SaveChanges);
    f_->Script.Answer(mrOk, "Value must be between 60 and 200");
    form->close();
    QVERIFY(form->isVisible());
    // No drops the typed rows.
    f_->Script.Answer(mrNo, SaveChanges);
    form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(RowsOfVariants(Kavrel->Model) == stored);
    QVERIFY(Kavrel->ProblemSaved);
}

void TestEditors::alternativesExitAnyway_data() {
    QTest::addColumn<bool>("solved");
    QTest::addColumn<bool>("store");
    QTest::newRow("unsolved, exit anyway") << false << false;
    QTest::newRow("solved, exit anyway") << true << false;
    QTest::newRow("solved, store") << true << true;
    QTest::newRow("unsolved, store") << false << true;
}

void TestEditors::alternativesExitAnyway() {
    QFETCH(bool, solved);
    QFETCH(bool, store);
    // A problem whose criteria have no values yet.
    TCriteriaForm *criteria = CriteriaForm;
    criteria->show();
    criteria->NewButtonClick();
    criteria->NameEdit->setText("Price");
    criteria->MaxValueEdit->setText("100");
    criteria->OKBitBtnClick();
    QVERIFY(!criteria->isVisible());
    Kavrel->SolutionComplete = solved;
    Kavrel->SB_Ranking->setEnabled(true);

    TVariantsForm *form = VariantsForm;
    form->RequireAllRows = true;
    form->show();
    QCOMPARE(form->RowCount(), 2);
    if (store) {
        // The spare row alone, Tab past its end adds another; both stay empty.
        form->SetCells(0, 1, "A");
        form->SetCells(2, 1, "50");
        form->SelectCell(2, 1);
        QTest::keyClick(form->VariantsGrid, Qt::Key_Tab);
        QCOMPARE(form->RowCount(), 3);
        QCOMPARE(form->CurrentCell(), QPoint(0, 2));
        f_->Script.Answer(mrYes, SaveChanges);
    } else {
        f_->Script.Answer(mrNo, ExitAnyway);
        form->close();
        QVERIFY(form->isVisible());
        f_->Script.Answer(mrYes, ExitAnyway);
    }
    form->close();
    QVERIFY(!form->isVisible());
    QCOMPARE(Kavrel->SB_SaveResult->isEnabled(), solved);
    QCOMPARE(Kavrel->SB_Raport->isEnabled(), solved);
    // Exit anyway always turns ranking off; a store with values turns it on when solved.
    QCOMPARE(Kavrel->SB_Ranking->isEnabled(), store);
    QCOMPARE(form->RequireAllRows, !store);
    QCOMPARE(Kavrel->Variants.Alternatives.size(), size_t(store ? 1 : 0));
}

void TestEditors::alternativesComboBox() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    TVariantsForm *form = VariantsForm;
    form->show();
    QComboBox *combo = form->EnumComboBox;
    QVERIFY(!combo->isVisible());
    form->SelectCell(6, 2);
    QVERIFY(combo->isVisible());
    QCOMPARE(form->ComboCell, QPoint(6, 2));
    QCOMPARE(combo->count(), 5);
    QVERIFY(combo->itemText(0).isEmpty());
    QCOMPARE(combo->currentText(), QStringLiteral("excellent"));
    QCOMPARE(combo->geometry(),
             form->VariantsGrid->visualRect(form->VariantsGrid->model()->index(1, 6)));
    QCOMPARE(form->StatusBar->currentMessage(),
             QStringLiteral("Use Ctrl+Up&Down arrows to change value"));

    combo->setCurrentIndex(1);
    QVERIFY(form->Modified);
    QTest::keyClick(combo, Qt::Key_Return);
    QVERIFY(!combo->isVisible());
    QCOMPARE(form->Cells(6, 2), QStringLiteral("poor"));
    QCOMPARE(form->StatusBar->currentMessage(), QStringLiteral("Press F5 to add new row"));

    // Arrows leave the box for the next cell; Up and Down keep its value.
    form->SelectCell(6, 3);
    QVERIFY(combo->isVisible());
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(form->CurrentCell(), QPoint(6, 4));
    QCOMPARE(form->Cells(6, 3), QStringLiteral("excellent"));
    QCOMPARE(form->ComboCell, QPoint(6, 4));
    QTest::keyClick(combo, Qt::Key_Left);
    QCOMPARE(form->CurrentCell(), QPoint(5, 4));
    QVERIFY(!combo->isVisible());
    QCOMPARE(form->Cells(6, 4), QStringLiteral("good"));

    f_->Script.Answer(mrYes, SaveChanges);
    form->close();
    QCOMPARE(Kavrel->Variants.Value(1, 4), 1.0);
}

void TestEditors::alternativesKeysAndHints() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    Kavrel->Criteria[0].Description = QString(25, 'x');
    Kavrel->Criteria[1].Description = QString(26, 'y');
    TVariantsForm *form = VariantsForm;
    form->show();
    QCOMPARE(form->CellHint(0, 1), QStringLiteral("Click to edit"));
    QCOMPARE(form->CellHint(0, 2), QString(25, 'x'));
    QCOMPARE(form->CellHint(0, 3), QString(24, 'y') + "...");
    QCOMPARE(form->CellHint(1, 6), QStringLiteral("Decimal: 3"));
    form->SetCells(6, 1, "bad");
    QCOMPARE(form->CellHint(1, 6), QStringLiteral("Unknown enum value"));
    Kavrel->Criteria[2].Min = 0.5;
    Kavrel->Criteria[2].Max = 10;
    QCOMPARE(form->CellHint(3, 4), QStringLiteral("( 0.5 ; 10 )"));
    QVERIFY(form->CellHint(1, 0).isEmpty());
    QCOMPARE(form->CellKind(-1, 3), 5);
    QVERIFY(form->CellHint(-1, -1).isEmpty());
    form->VariantsGridMouseMove(2, 0);
    QCOMPARE(form->VariantsGrid->viewport()->toolTip(), QString(25, 'x'));

    const int rows = form->RowCount();
    QTest::keyClick(form->VariantsGrid, Qt::Key_F5);
    QCOMPARE(form->RowCount(), rows + 1);
    form->SelectCell(0, 3);
    QTest::keyClick(form->VariantsGrid, Qt::Key_Delete);
    QVERIFY(form->Cells(0, 3).isEmpty());
    // Tab from the end of an earlier row moves to the next row only.
    form->SelectCell(6, 5);
    form->EnumComboBoxExit();
    QTest::keyClick(form->VariantsGrid, Qt::Key_Tab);
    QCOMPARE(form->CurrentCell(), QPoint(0, 6));
    QCOMPARE(form->RowCount(), rows + 1);
    f_->Script.Answer(mrNo, SaveChanges);
    form->close();
    QVERIFY(!form->isVisible());
}

void TestEditors::alternativesInvalidCellsRed() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    TVariantsForm *form = VariantsForm;
    form->resize(900, 500);
    form->show();
    form->SetCells(2, 1, "1000000"); // out of range
    form->SetCells(3, 1, "fast");    // not a number
    form->SetCells(6, 1, "bad");     // not a label
    form->SetCells(4, 1, "5.60");    // valid, drawn as its value
    form->SelectCell(0, 5);
    const QImage image = form->VariantsGrid->viewport()->grab().toImage();
    auto red = [&](int col) {
        const QRect cell =
            form->VariantsGrid->visualRect(form->VariantsGrid->model()->index(0, col));
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor p = image.pixelColor(x, y);
                if (p.red() > 180 && p.green() < 90 && p.blue() < 90)
                    return true;
            }
        return false;
    };
    QVERIFY(red(2));
    QVERIFY(red(3));
    QVERIFY(red(6));
    QVERIFY(!red(4));
    QVERIFY(!red(5));
    QCOMPARE(form->Cells(4, 1), QStringLiteral("5.60")); // the text stays as typed
    f_->Script.Answer(mrNo, SaveChanges);
    form->close();
}

void TestEditors::alternativesMarkEmptyCells() {
    QVERIFY(f_->Load(Examples("cars.xml")));
    Kavrel->Variants.Columns[3].Values.pop_back(); // the last car lacks its boot
    TVariantsForm *form = VariantsForm;
    form->MarkEmptyCells = true;
    f_->Script.Answer(mrOk, QStringLiteral("Empty cell!"));
    QVERIFY(RunModal(
        "TVariantsForm", [&] { form->ShowModal(); },
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(!form->MarkEmptyCells, 5000);
            QCOMPARE(f_->Script.Shown.last().Text, QStringLiteral("Empty cell!"));
            QCOMPARE(form->CurrentCell(), QPoint(5, int(Kavrel->Variants.Alternatives.size())));
            f_->Script.Answer(mrYes, ExitAnyway);
            form->close();
        }));
    QVERIFY(!form->isVisible());
    QCOMPARE(f_->Script.Shown.last().Text, ExitAnyway);
}

void TestEditors::captionDialogs_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");
    QTest::newRow("name, OK") << 0 << true << "Car";
    QTest::newRow("name, unchanged OK") << 0 << true << "Model";
    QTest::newRow("name, empty OK") << 0 << true << "";
    QTest::newRow("name, Cancel") << 0 << false << "Car";
    QTest::newRow("description, OK") << 1 << true << "Version";
    QTest::newRow("description, Cancel") << 1 << false << "Version";
}

void TestEditors::captionDialogs() {
    QFETCH(int, column);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    QVERIFY(f_->Load(Examples("cars.xml")));
    const QString old = Kavrel->Roles[size_t(column)].Caption;
    VariantsForm->show();
    QDialog *dialog = column == 0 ? static_cast<QDialog *>(NameForm) : DescriptionForm;
    QVERIFY(RunModal(
        column == 0 ? "TNameForm" : "TDescriptionForm",
        [&] { VariantsForm->VariantsGrid->horizontalHeader()->sectionPressed(column); },
        [&] {
            QVERIFY(dialog->isVisible());
            QLineEdit *edit = column == 0 ? NameForm->NameEdit : DescriptionForm->DescriptionEdit;
            QCOMPARE(edit->text(), old);
            edit->setText(text);
            if (ok)
                QTest::keyClick(edit, Qt::Key_Return);
            else
                QTest::keyClick(dialog, Qt::Key_Escape);
        }));
    QVERIFY(!dialog->isVisible());
    const QString now = ok ? text : old;
    QCOMPARE(Kavrel->Roles[size_t(column)].Caption, now);
    QCOMPARE(VariantsForm->Cells(column, 0), now);
    QCOMPARE(Kavrel->Roles[size_t(column)].Node.firstChildElement("DESCRIPTION").attribute("Value"),
             now);
    QCOMPARE(Kavrel->ProblemSaved, now == old);
    VariantsForm->close();
}

void TestEditors::bothEditorsSavedAndLoaded() {
    QTemporaryDir dir;
    const QString file = dir.filePath("made.xml");
    QVERIFY(RunModal(
        "TCriteriaForm", [] { CriteriaForm->ShowModal(); },
        [] {
            TCriteriaForm *form = CriteriaForm;
            form->NewButtonClick();
            form->NameEdit->setText("Rent");
            form->UnitsEdit->setText("EUR");
            form->MaxValueEdit->setText("2000");
            form->DescriptionEdit->setText("per month");
            form->NewButtonClick();
            form->NameEdit->setText("Area");
            form->GainRadioButton->setChecked(true);
            form->MinValueEdit->setText("20");
            form->MaxValueEdit->setText("120");
            form->MethodRadioButton4->setChecked(true);
            form->OKBitBtnClick();
        }));
    QVERIFY(RunModal(
        "TVariantsForm", [] { VariantsForm->ShowModal(); },
        [this] {
            TVariantsForm *form = VariantsForm;
            const QStringList rows[] = {{"Centre", "small", "1500", "45"},
                                        {"Suburb", "", "900", "80,5"}};
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
            for (int r = 0; r < 2; ++r) {
                if (r == 1)
                    form->AddRow();
                for (int c = 0; c < 4; ++c)
                    form->SetCells(c, r + 1, rows[r][c]);
            }
            f_->Script.Answer(mrYes, SaveChanges);
            form->close();
        }));
    QLocale::setDefault(QLocale::c());
    Kavrel->Roles[1].Caption = "Note";
    Kavrel->Xml.UpdateAttributeDescription(Kavrel->Roles[1]);
    Kavrel->Xml.WriteElicitationSettings(Kavrel->Criteria, Kavrel->Probability, Kavrel->Questions,
                                         Kavrel->ProbabilityPrecision);
    QVERIFY(Kavrel->Xml.SaveProblemFile(file));

    XmlLoaded loaded(file);
    QVERIFY2(loaded.Ok, qPrintable(loaded.Xml.GetErrorMessage()));
    QCOMPARE(loaded.Model.Criteria.size(), size_t(2));
    for (size_t i = 0; i < 2; ++i) {
        const TPROBLEM &a = Kavrel->Criteria[i];
        const TPROBLEM &b = loaded.Model.Criteria[i];
        QCOMPARE(b.Name, a.Name);
        QCOMPARE(b.Description, a.Description);
        QCOMPARE(b.Cost, a.Cost);
        QCOMPARE(b.Method, a.Method);
        QCOMPARE(b.Min, a.Min);
        QCOMPARE(b.Max, a.Max);
        QCOMPARE(b.AttrID, a.AttrID);
    }
    QCOMPARE(loaded.Model.Roles[1].Caption, QStringLiteral("Note"));
    QVERIFY(RowsOfVariants(loaded.Model) == RowsOfVariants(Kavrel->Model));
    QCOMPARE(RowsOfVariants(loaded.Model)[1][3], QStringLiteral("80.5"));
}

void TestEditors::numbersSurviveBothEditors_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("decimals");
    const QLocale pt = PointLocale(), cm = CommaLocale();
    QTest::newRow("15 digits") << pt << 0.1 << 1234.56789012345 << 3;
    QTest::newRow("16 digits") << pt << 0.7999999999999999 << 987654321.1234567 << 10;
    QTest::newRow("17 digits") << pt << 0.30000000000000004 << 1234.5678901234543 << 0;
    QTest::newRow("17 digits, comma") << cm << -98765.43210987654 << 1234.5678901234543 << 3;
    QTest::newRow("17 digits, exponent")
        << pt << 1.0000000000000002e-05 << 4.000000000000001e+22 << 3;
    // No reader gives more decimals than the editor holds; an untouched box still keeps them.
    QTest::newRow("decimals beyond the box") << pt << 0.1 << 1234.56789012345 << 12;
}

// Ranges and values that need 15 to 17 digits go through both editors, and OK
// without touching anything changes nothing and sets no flag.
void TestEditors::numbersSurviveBothEditors() {
    QFETCH(QLocale, locale);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, decimals);
    const LocaleGuard guard(locale);
    TDecisionModel &m = Kavrel->Model;
    Kavrel->Xml.NewDocuments(m.Roles);
    TPROBLEM c;
    c.Name = "Speed";
    c.AttrID = "Attr1";
    c.Id = 1;
    c.Used = true;
    c.Method = 2;
    c.Decimals = decimals;
    c.Cost = false;
    c.Min = min;
    c.Max = max;
    c.Init(min, max);
    c.Points.insert(c.Points.begin() + 1, TFuncPoint{(min + max) / 2, 0.5});
    c.FunctionCreated = true;
    c.KCounted = true;
    c.SmallK = 1;
    c.Node = Kavrel->Xml.CreateCriterionAttribute(c);
    m.Criteria.push_back(c);
    m.UsedCount = 1;
    // The alternatives sit on both ends of the range, so the range checks are tight.
    for (double v : {max, min, (min + max) / 3}) {
        const int row = m.Variants.AddVariant(QString::number(v, 'g', 17), QString()) - 1;
        m.Variants.AppendValue(row, v, c.Id);
        Kavrel->Xml.CreateObject(m.Criteria, m.Variants, row, m.Roles);
    }
    Kavrel->Xml.WriteElicitationSettings(m.Criteria, Kavrel->Probability, Kavrel->Questions,
                                         Kavrel->ProbabilityPrecision);
    Kavrel->SetProblemStatus("Problem: speed.xml", true);
    const TPROBLEM was = m.Criteria[0];
    const TVARIANTS values = m.Variants;
    const auto same = [](const TPROBLEM &a, const TPROBLEM &b) {
        bool points = a.Points.size() == b.Points.size();
        for (size_t i = 0; points && i < a.Points.size(); ++i)
            points = a.Points[i].x == b.Points[i].x && a.Points[i].u == b.Points[i].u;
        return points && a.Min == b.Min && a.Max == b.Max && a.Decimals == b.Decimals &&
               a.Method == b.Method && a.Cost == b.Cost && a.Used == b.Used &&
               a.FunctionCreated == b.FunctionCreated && a.KCounted == b.KCounted &&
               a.SmallK == b.SmallK && a.Name == b.Name;
    };

    int result = -1;
    QVERIFY(RunModal(
        "TCriteriaForm", [&] { result = CriteriaForm->ShowModal(); },
        [] { CriteriaForm->OKBitBtn->click(); }));
    QCOMPARE(result, int(mrOk));
    QCOMPARE(m.Criteria[0].Min, min);
    QCOMPARE(m.Criteria[0].Max, max);
    QCOMPARE(m.Criteria[0].Decimals, decimals);
    QVERIFY(same(m.Criteria[0], was));
    QVERIFY(!Kavrel->CriteriaChanged && !Kavrel->CoefficientsInvalid && !Kavrel->FunctionsInvalid);

    // Every cell is read back from its text once the table counts as edited.
    QVERIFY(RunModal(
        "TVariantsForm", [] { VariantsForm->ShowModal(); },
        [this] {
            VariantsForm->Modified = true;
            f_->Script.Answer(mrYes, SaveChanges);
            VariantsForm->close();
        }));
    QVERIFY(!VariantsForm->isVisible());
    QVERIFY(m.Variants.Columns[0].Values == values.Columns[0].Values);
    QVERIFY(same(m.Criteria[0], was));
    QVERIFY(Kavrel->ProblemSaved);
    QCOMPARE(f_->Panel0(), QStringLiteral("Problem: speed.xml"));
}

VR_GUI_TEST_MAIN(TestEditors)
#include "tst_editors.moc"
