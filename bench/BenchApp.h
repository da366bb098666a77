// The application every window benchmark runs in, offscreen unless told otherwise.
#pragma once

#include <QApplication>
#ifdef VR_BENCH_GUI
#include "platform/WebBrowser.h"
#endif

inline void App() {
    static int argc = 1;
    static char name[] = "vr_bench";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Kept to the end of the process: taking it down among the other
    // static objects at exit would outlive parts of Qt it needs.
    if (!QApplication::instance()) {
#ifdef VR_BENCH_GUI
        PrepareWebBrowser();
#endif
        new QApplication(argc, argv);
    }
}
