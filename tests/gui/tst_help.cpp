// Help from every window: F1 opens the window's own topic, and the help window
// takes the user's clicks while the modal window that asked for it stays open.
#include "ModalAnswer.h"
#include "WorkflowFixture.h"
#include "platform/WebBrowser.h"
#include "report/F_raport_p.h"

#include <QMdiSubWindow>
#include <QTextBrowser>
#include <QToolBar>
#include <QWindow>

namespace {
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

// A page of the help archive as a topic path ("Praca\x.htm").
QString TopicOf(const QUrl &page) {
    QString topic = page.toString();
    topic.remove(QStringLiteral("qrc:/rovezizez.chm/"));
    topic.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return topic;
}

// The page the help window shows; empty without one.
QString ShownTopic() {
    QTextBrowser *browser = HelpBrowser();
    return browser ? TopicOf(browser->source()) : QString();
}

// The page it showed before that one; empty when there was none.
QString PreviousTopic() {
    QTextBrowser *browser = HelpBrowser();
    return browser && browser->isBackwardAvailable() ? TopicOf(browser->historyUrl(-1)) : QString();
}

// A click on the help window's Back button, delivered as the window system
// delivers it, so that a window blocked by a modal one drops it.
void ClickBack() {
    QWidget *window = HelpWindow();
    QVERIFY(window && window->windowHandle());
    auto *bar = window->findChild<QToolBar *>();
    QVERIFY(bar);
    QWidget *back = bar->widgetForAction(bar->actions().constFirst());
    QVERIFY(back && back->isEnabled());
    const QPoint at = back->mapTo(window, back->rect().center());
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

struct THelpFixture : TWorkflowFixture {
    THelpFixture() {
        Make(Raport_p);
        Kavrel->LoadHelpLibrary(QStringLiteral(VR_HELP_LIBRARY));
    }
};
} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void f1OpensTheWindowsTopic_data();
    void f1OpensTheWindowsTopic();
    void helpBesideModalWindow_data();
    void helpBesideModalWindow();
    void helpFollowsTheOuterModalWindow();
    void helpOpenBeforeAModalWindow();

private:
    std::unique_ptr<THelpFixture> f_;
};

void TestHelp::init() {
    QLocale::setDefault(QLocale::c());
    f_ = std::make_unique<THelpFixture>();
    QVERIFY(Kavrel->HelpShow);
}

void TestHelp::cleanup() {
    if (QWidget *help = HelpWindow())
        help->close();
    f_->Check();
    f_.reset();
}

void TestHelp::f1OpensTheWindowsTopic_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("topic");
    QTest::newRow("frame") << "frame"
                           << "Przedstaw.htm";
    QTest::newRow("parameters") << "parameters"
                                << "Praca\\parameters.htm";
    QTest::newRow("question dialogue") << "question"
                                       << "Praca\\dialog.htm";
    QTest::newRow("coefficient dialogue") << "coefficient"
                                          << "Praca\\Coeficient.htm";
    QTest::newRow("chart window, its chart") << "chart"
                                             << "Praca\\Chart.htm";
    QTest::newRow("chart window, its caption") << "caption"
                                               << "Praca\\Chart.htm";
    QTest::newRow("criteria editor") << "criteria"
                                     << "Praca\\criteria.htm";
    QTest::newRow("enumeration viewer") << "enum"
                                        << "Praca\\criteria.htm";
    QTest::newRow("ranking") << "ranking"
                             << "Praca\\Ranking.htm";
    QTest::newRow("alternatives editor") << "alternatives"
                                         << "Praca\\Alternatives.htm";
    QTest::newRow("name dialog") << "name"
                                 << "Praca\\Alternatives.htm";
    QTest::newRow("description dialog") << "description"
                                        << "Praca\\Alternatives.htm";
    QTest::newRow("formula") << "formula"
                             << "Praca\\function.htm";
    QTest::newRow("report wizard") << "wizard"
                                   << "Praca\\report.htm";
    QTest::newRow("report preview") << "preview"
                                    << "Praca\\reportp.htm";
}

void TestHelp::f1OpensTheWindowsTopic() {
    QFETCH(QString, window);
    QFETCH(QString, topic);
    // A solved problem with chart windows, so that every window has its
    // controls; the frame alone answers F1 when no chart window has the keyboard.
    if (window != "frame") {
        f_->Load(QStringLiteral(VR_EXAMPLES "/house.fun"));
        QVERIFY(Kavrel->Charts[0]);
    }

    // The window shown, and where the user clicks into it before pressing F1.
    QWidget *shown = nullptr;
    QWidget *clicked = nullptr;
    QPoint at;
    const auto open = [&](QWidget *w, QWidget *control, QPoint point = QPoint()) {
        shown = w;
        clicked = control;
        at = point;
        w->show();
    };
    TForm_chart *chart = Kavrel->Charts[0];
    if (window == "frame")
        open(Kavrel, Kavrel->ClientArea->viewport());
    else if (window == "parameters")
        open(Parameter, Parameter->findChild<QLineEdit *>(QStringLiteral("ProbabilityEdit")));
    else if (window == "question")
        open(Dialogue, Dialogue);
    else if (window == "coefficient")
        open(Coefficient, Coefficient);
    else if (window == "chart")
        open(Kavrel, chart->Chart, chart->Chart->ChartRect().center());
    else if (window == "caption")
        open(Kavrel, chart->SubWindow(),
             QPoint(chart->SubWindow()->width() / 2, chart->SubWindow()->contentsRect().top() / 2));
    else if (window == "criteria")
        open(CriteriaForm, CriteriaForm->NameEdit);
    else if (window == "enum")
        open(EnumForm, EnumForm->EnumGrid);
    else if (window == "ranking")
        open(Form_Ranking, Form_Ranking);
    else if (window == "alternatives")
        open(VariantsForm, VariantsForm->VariantsGrid->viewport());
    else if (window == "name")
        open(NameForm, NameForm->NameEdit);
    else if (window == "description")
        open(DescriptionForm, DescriptionForm->DescriptionEdit);
    else if (window == "formula")
        open(Form_Formula, Form_Formula->BitBtn_ok);
    else if (window == "wizard")
        open(Raport_w, Raport_w->Edit_Title);
    else if (window == "preview")
        open(Raport_p, Raport_p);
    QVERIFY(shown && clicked);
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    if (window == "chart" || window == "caption") {
        // The keyboard is elsewhere in the frame before the click.
        Kavrel->ClientArea->setFocus();
        QVERIFY(!chart->hasFocus());
    }

    // As the user does it: a click into the window, then F1 to whatever has the keyboard.
    QTest::mouseClick(clicked, Qt::LeftButton, Qt::NoModifier,
                      at.isNull() ? clicked->rect().center() : at);
    QTest::keyClick(shown->windowHandle(), Qt::Key_F1);
    QCOMPARE(ShownTopic(), topic);
    // Keys reach the frame first: inside it, its own topic opens, then the chart window's.
    if (window == "chart" || window == "caption")
        QCOMPARE(PreviousTopic(), QStringLiteral("Przedstaw.htm"));
    if (shown != Kavrel)
        shown->hide();
}

void TestHelp::helpBesideModalWindow_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("topic");
    QTest::newRow("parameters") << "TParameter"
                                << "Praca\\parameters.htm";
    QTest::newRow("criteria editor") << "TCriteriaForm"
                                     << "Praca\\criteria.htm";
    QTest::newRow("alternatives editor") << "TVariantsForm"
                                         << "Praca\\Alternatives.htm";
    QTest::newRow("coefficient dialogue") << "TCoefficient"
                                          << "Praca\\Coeficient.htm";
    QTest::newRow("formula") << "Form_Formula"
                             << "Praca\\function.htm";
}

void TestHelp::helpBesideModalWindow() {
    QFETCH(QString, window);
    QFETCH(QString, topic);
    f_->Load(QStringLiteral(VR_EXAMPLES "/house.fun"));
    QDialog *dialog = nullptr;
    for (QDialog *d : {static_cast<QDialog *>(Parameter), static_cast<QDialog *>(CriteriaForm),
                       static_cast<QDialog *>(VariantsForm), static_cast<QDialog *>(Coefficient),
                       static_cast<QDialog *>(Form_Formula)}) {
        if (d->objectName() == window)
            dialog = d;
    }
    QVERIFY(dialog);
    // The page the help window shows before, for its Back button.
    Kavrel->Menu_ContextClick();
    QCOMPARE(ShownTopic(), QStringLiteral("Przedstaw.htm"));

    QString inside, afterClick;
    TModalAnswer answer([&](QWidget *modal) {
        QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_F1);
        inside = ShownTopic();
        ClickBack();
        afterClick = ShownTopic();
        // The modal window is still the one in charge; the coefficient
        // dialogue closes only when the program says so.
        QCOMPARE(QApplication::activeModalWidget(), modal);
        if (dialog == Coefficient)
            Coefficient->ClosingByProgram = true;
        dialog->done(QDialog::Rejected);
    });
    dialog->exec();
    QVERIFY(answer.Answered());
    QVERIFY(!dialog->isVisible());
    QCOMPARE(inside, topic);
    QCOMPARE(afterClick, QStringLiteral("Przedstaw.htm"));
}

void TestHelp::helpFollowsTheOuterModalWindow() {
    // Help asked from the enumeration viewer, opened inside the criteria editor,
    // stays usable beside the editor once the viewer is closed.
    f_->Load(QStringLiteral(VR_EXAMPLES "/cars.xml"));
    Kavrel->Menu_ContextClick();
    QString afterClick;
    TModalAnswer editor([&](QWidget *) {
        TModalAnswer viewer([&](QWidget *modal) {
            QTest::keyClick(modal, Qt::Key_F1);
            EnumForm->done(QDialog::Rejected);
        });
        EnumForm->exec();
        QVERIFY(viewer.Answered());
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeModalWidget(), CriteriaForm, 2000);
        QCoreApplication::processEvents();
        QCOMPARE(ShownTopic(), QStringLiteral("Praca\\criteria.htm"));
        ClickBack();
        afterClick = ShownTopic();
        CriteriaForm->done(QDialog::Rejected);
    });
    CriteriaForm->exec();
    QVERIFY(editor.Answered());
    QCOMPARE(afterClick, QStringLiteral("Przedstaw.htm"));
}

void TestHelp::helpOpenBeforeAModalWindow() {
    // Help left open from the frame stays usable when a modal window opens later.
    f_->Load(QStringLiteral(VR_EXAMPLES "/cars.xml"));
    Kavrel->Menu_ContextClick();
    Kavrel->ShowHelpTopic(HelpTopic::Parameters);
    QCOMPARE(ShownTopic(), QStringLiteral("Praca\\parameters.htm"));
    QString afterClick;
    TModalAnswer answer([&](QWidget *) {
        QCoreApplication::processEvents();
        ClickBack();
        afterClick = ShownTopic();
        Parameter->done(QDialog::Rejected);
    });
    Parameter->exec();
    QVERIFY(answer.Answered());
    QCOMPARE(afterClick, QStringLiteral("Przedstaw.htm"));
}

int main(int argc, char **argv) {
    PrepareWebBrowser();
    TApplication app(argc, argv);
    TestHelp test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_help.moc"
