#pragma once

#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"

#include <QApplication>

// Google Benchmark owns main(); the widgets need an application, made on first use: offscreen, with
// the embedded fonts, animations off.
inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "brenwick-microbench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* instance = new QApplication(argc, argv);
        fonts::loadEmbedded();
        motion::setAnimationsEnabled(false);
        return instance;
    }();
    (void)app;
}
