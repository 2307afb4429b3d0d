#pragma once

#include "model/DiskScanner.h"
#include "model/ScanViewModel.h"
#include "platform/Processes.h"
#include "platform/Trash.h"
#include "tests/support/FaultyDirectoryReader.h"
#include "tests/support/GatedScanner.h"
#include "tests/support/TempDir.h"

#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// A Trash that moves items into a folder of the test, and refuses the paths it is told to.
class FakeTrash : public platform::TrashBackend {
public:
    explicit FakeTrash(std::string folder) : folder_(std::move(folder)) {}
    bool moveToTrash(const std::string& path) override;
    void secondAttempt(const std::string&) override {}

    std::set<std::string> refused;
    std::vector<std::string> moved() const;

private:
    std::string folder_;
    mutable std::mutex mutex_;
    std::vector<std::string> moved_;
    int counter_ = 0;
};

// Running instances made to order: each quits after a number of polls (or never), and every signal
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

    std::vector<platform::ProcessInstance> runningInstances(const std::string& appImagePath) override;
    void terminate(const platform::ProcessInstance& p) override { terminated.push_back(p.pid); }
    bool isTerminated(const platform::ProcessInstance& p) override;
    void forceTerminate(const platform::ProcessInstance& p) override { killed.push_back(p.pid); }

    std::string askedFor;

private:
    std::map<int, int> checks_;
};

class ViewModelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A state object with every outside service faked.
    std::unique_ptr<ScanViewModel> makeViewModel();
    // Scans and waits for the result.
    void scanAndWait(ScanViewModel& vm, const std::string& path);
    static bool waitForDone(ScanViewModel& vm);

    TempDir dir;
    std::shared_ptr<ScanGate> gate = std::make_shared<ScanGate>();
    std::shared_ptr<FakeTrash> trash;
    std::shared_ptr<FakeProcesses> processes = std::make_shared<FakeProcesses>();
    ThemeName systemTheme = ThemeName::light;
    std::vector<ThemeName> appliedAppearances;
    int waits = 0;
    std::map<std::string, int> deniedFolders;
    // Every scanner made, in order.
    std::vector<std::shared_ptr<DiskScanner>> scanners;
};

// Waits until `condition` holds, running the event loop meanwhile.
#define WAIT_FOR(condition) ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 30000))
