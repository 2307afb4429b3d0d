#pragma once

#include "model/DiskScanner.h"
#include "model/ScanViewModel.h"
#include "platform/Processes.h"
#include "tests/support/FakeTrash.h"
#include "tests/support/GatedScanner.h"
#include "tests/support/TempDir.h"

#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Running instances made to order: each quits after a number of checks (or never), and every signal
// is recorded.
class FakeProcesses : public platform::ProcessController {
public:
    struct Instance {
        platform::ProcessInstance process;
        int quitsAfterChecks = 0; // isTerminated answers true from this check on; -1: never
        bool quitsOnKill = true;
    };
    std::vector<Instance> instances;
    std::vector<int> terminated, killed;
    std::string askedFor;

    std::vector<platform::ProcessInstance> runningInstances(const std::string& appImagePath) override;
    void terminate(const platform::ProcessInstance& p) override { terminated.push_back(p.pid); }
    bool isTerminated(const platform::ProcessInstance& p) override;
    void forceTerminate(const platform::ProcessInstance& p) override { killed.push_back(p.pid); }

private:
    std::map<int, int> checks_;
};

// State objects with every outside service faked: scanners that wait at folders named "slow" and are
// denied `deniedFolders`, the Trash, processes, a clock that never sleeps, the appearance.
class ViewModelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<ScanViewModel> makeViewModel();
    // Scans and waits for the result.
    void scanAndWait(ScanViewModel& vm, const std::string& path);
    static bool waitForDone(ScanViewModel& vm);

    TempDir dir;
    std::shared_ptr<ScanGate> gate = std::make_shared<ScanGate>();
    std::shared_ptr<FakeTrash> trash = std::make_shared<FakeTrash>();
    std::shared_ptr<FakeProcesses> processes = std::make_shared<FakeProcesses>();
    ThemeName systemTheme = ThemeName::light;
    std::vector<ThemeName> appliedAppearances;
    int waits = 0;
    std::map<std::string, int> deniedFolders;
    std::vector<std::shared_ptr<DiskScanner>> scanners; // every scanner made, in order
};

// Waits until `condition` holds, running the event loop meanwhile.
#define WAIT_FOR(condition) ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 30000))
