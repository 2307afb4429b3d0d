// One offscreen QApplication for every UI test; animations off, so every animated change lands at once.
#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Also when CTest lists the tests, which runs without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and data of the tests never reach the user's own folders.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Brenwick"));
    QApplication::setApplicationName(QStringLiteral("Brenwick"));
    fonts::loadEmbedded();
    motion::setAnimationsEnabled(false);

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
