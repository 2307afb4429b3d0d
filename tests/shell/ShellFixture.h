#pragma once

#include "model/ScanViewModel.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// Holds a scan that opens a folder named "slow" until released or cancelled, so a test can look at
// the window while a scan runs.
class SlowFolderGate {
public:
    ~SlowFolderGate() { release(); }
    void release();
    void wait(const std::function<bool()>& cancelled);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

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
    std::shared_ptr<SlowFolderGate> gate = std::make_shared<SlowFolderGate>();
    // What the folder chooser answers, and how often it was asked.
    std::optional<std::string> chosenFolder;
    int chooserCalls = 0;
};

#define WAIT_FOR(condition) ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 30000))
