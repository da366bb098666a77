// The application object: exceptions in handlers, hints, key preview, the end
// of the program with its main form, and waiting for events without spinning.
#include "GuiTest.h"

#include <QPushButton>
#include <QStatusTipEvent>
#include <ctime>
#include <stdexcept>

namespace {
class TPreviewWindow : public QWidget, public TKeyPreview {
public:
    QList<int> Seen;
    bool Swallow = false;
    bool PreviewKey(QKeyEvent *event) override {
        Seen << event->key();
        return Swallow;
    }
};

class TKeyRecorder : public QPushButton {
public:
    using QPushButton::QPushButton;
    QList<int> Seen;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        Seen << event->key();
        QPushButton::keyPressEvent(event);
    }
};
} // namespace

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void exceptionInHandlerIsShownAndProgramGoesOn();
    void statusTipsBecomeTheHint();
    void windowSeesKeysFirst();
    void mainFormCloseEndsTheLoop();
    void waitUntilSleeps();
};

void TestApplication::exceptionInHandlerIsShownAndProgramGoesOn() {
    TDialogScript script;
    script.Answer(mrOk, QStringLiteral("Broken handler"));
    script.Answer(mrOk, QStringLiteral("Broken handler"));
    QPushButton button(QStringLiteral("Go"));
    int clicks = 0;
    connect(&button, &QPushButton::clicked, [&clicks] {
        ++clicks;
        throw std::runtime_error("Broken handler");
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(script.Shown.size(), 2);
    QCOMPARE(script.Shown[0].Type, mtError);
    QVERIFY(script.Unexpected.isEmpty());
}

void TestApplication::statusTipsBecomeTheHint() {
    QStringList hints;
    QPushButton button(QStringLiteral("Go"));
    button.setStatusTip(QStringLiteral("Start it"));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QCoreApplication::processEvents();
    Application->OnHint = [&hints] { hints << Application->Hint; };
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), button.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&button, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    Application->OnHint = nullptr;
    QCOMPARE(hints, (QStringList{QStringLiteral("Start it"), QString()}));
}

void TestApplication::windowSeesKeysFirst() {
    TPreviewWindow window;
    auto *button = new TKeyRecorder(QStringLiteral("Focus"), &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    button->setFocus();
    QTest::keyClick(button, Qt::Key_F5);
    QCOMPARE(window.Seen, QList<int>{Qt::Key_F5});
    QCOMPARE(button->Seen, QList<int>{Qt::Key_F5});
    // A key the window uses up never reaches the control.
    window.Swallow = true;
    QTest::keyClick(button, Qt::Key_F6);
    QCOMPARE(window.Seen.size(), 2);
    QCOMPARE(button->Seen.size(), 1);
}

void TestApplication::mainFormCloseEndsTheLoop() {
    QWidget *main = nullptr;
    QWidget *other = nullptr;
    Application->CreateForm(main);
    Application->CreateForm(other);
    QCOMPARE(Application->MainForm(), main);
    QCOMPARE(other->parentWidget(), main);
    other->setWindowFlags(Qt::Window);
    other->show();
    // The loop ends when the main form closes, although another window is open.
    QTimer::singleShot(0, main, &QWidget::close);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);
    QCOMPARE(Application->Run(), 0);
    QVERIFY(other->isVisible());
    delete other;
    delete main;
}

void TestApplication::waitUntilSleeps() {
    bool done = false;
    QTimer::singleShot(400, [&done] { done = true; });
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpuStart = std::clock();
    TApplication::WaitUntil([&done] { return done; });
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    QVERIFY(done);
    QVERIFY(wall.elapsed() >= 390);
    // A loop that polls would burn the whole wait on the processor.
    QVERIFY2(cpu < 0.1, qPrintable(QString::number(cpu)));
}

VR_GUI_TEST_MAIN(TestApplication)
#include "tst_application.moc"
