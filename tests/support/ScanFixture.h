#pragma once

#include "model/ScanViewModel.h"
#include "tests/support/GatedScanner.h"
#include "tests/support/TempDir.h"

#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Tests of a state object that scans the real file system: the scanners it makes are denied
// `deniedFolders` (absolute path to errno) and wait at `gate` in folders named "slow". Stored settings
// and the start-up variables are cleared around every test.
class ScanFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Services with only the scanner filled in; each suite adds the rest.
    ScanViewModel::Services scanServices();
    void scanAndWait(ScanViewModel& vm, const std::string& path);
    static bool waitForDone(ScanViewModel& vm);

    TempDir dir;
    std::map<std::string, int> deniedFolders;
    std::shared_ptr<ScanGate> gate = std::make_shared<ScanGate>();
    std::vector<std::shared_ptr<DiskScanner>> scanners; // every scanner made, in order
};

// Waits until `condition` holds, running the event loop meanwhile.
#define WAIT_FOR(condition) ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 30000))
