// Shared by the window tests: the program's application object, and the main
// frame with About built as the program builds them.
#pragma once

#include "app/Dazazezad.h"
#include "app/F_about.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"

#include <QtTest>
#include <memory>

// The frame looks for its help library beside the test executable, where there
// is none; that one message is expected. Every other message must be queued by
// the test; Check() fails on any message that was not.
class TFrameFixture {
public:
    TDialogScript Script;

    TFrameFixture() {
        Script.Answer(mrOk, QStringLiteral("Can't find HHLIB.dll !"));
        Kavrel = new TKavrel;
        FAbout = new TFAbout(Kavrel);
    }
    ~TFrameFixture() {
        delete FAbout;
        FAbout = nullptr;
        delete Kavrel;
        Kavrel = nullptr;
    }
    TFrameFixture(const TFrameFixture &) = delete;
    TFrameFixture &operator=(const TFrameFixture &) = delete;

    // Call at the end of a test (or from cleanup()).
    void Check() const {
        QVERIFY2(Script.Unexpected.isEmpty(), qPrintable(Script.Unexpected.join(QLatin1Char('|'))));
        QCOMPARE(Script.PendingAnswers(), 0);
        QCOMPARE(Script.PendingForms(), 0);
        QCOMPARE(Script.PendingPrinterSetups(), 0);
        QCOMPARE(Script.PendingPrintDialogs(), 0);
    }
};

#define VR_GUI_TEST_MAIN(TestObject)                                                               \
    int main(int argc, char **argv) {                                                              \
        TApplication app(argc, argv);                                                              \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
