#pragma once

#include "model/ScanViewModel.h"
#include "tests/support/GatedScanner.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

// A state object wired as the application wires it (its appearance drives the ThemeManager), over a
// fixture folder, with denied folders and the folder chooser made to order. Views registered by a
// test are forgotten after it.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<ScanViewModel> makeViewModel();
    // A small tree: "fixture" with folders three levels deep and files of several kinds.
    std::string makeFixture();
    void scanAndWait(ScanViewModel& vm, const std::string& path);

    TempDir dir;
    // Absolute folder paths the scanner is refused (EACCES).
    std::map<std::string, int> deniedFolders;
    std::shared_ptr<ScanGate> gate = std::make_shared<ScanGate>();
    // What the folder chooser answers, and how often it was asked.
    std::optional<std::string> chosenFolder;
    int chooserCalls = 0;
};

#define WAIT_FOR(condition) ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 30000))
