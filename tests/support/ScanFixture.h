#pragma once

#include "model/DiskScanner.h"
#include "model/ScanViewModel.h"
#include "tests/support/FaultyDirectoryReader.h"
#include "tests/support/TempDir.h"

#include <QSettings>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// Holds every scan that opens a folder named "slow" until released, or until that scan is cancelled.
struct ScanGate {
    std::atomic<bool> open = false;
    std::atomic<int> waiting = 0;
    void release() { open = true; }
    int reached() const { return waiting; } // scans that reached the gate so far
};

// A state object scanning the real file system with two-worker scanners that are denied `deniedFolders`
// (path to errno) and wait at `gate` in folders named "slow". Settings and start-up variables are cleared.
class ScanFixture : public ::testing::Test {
  protected:
    void SetUp() override { clearStartState(); }
    void TearDown() override {
        gate->release();
        clearStartState();
    }

    ScanViewModel::Services scanServices() {
        ScanViewModel::Services services;
        services.makeScanner = [this] {
            auto reader = std::make_shared<FaultyDirectoryReader>();
            reader->openErrors = deniedFolders;
            auto self = std::make_shared<std::weak_ptr<DiskScanner>>(); // weak: the scanner owns the reader
            reader->onOpen = [gate = gate, self](const std::string& path) {
                if (!path.ends_with("/slow")) return;
                ++gate->waiting;
                auto cancelled = [&] {
                    auto scanner = self->lock();
                    return !scanner || scanner->isCancelled();
                };
                while (!gate->open && !cancelled())
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            };
            auto scanner = std::make_shared<DiskScanner>(reader);
            scanner->setThreadCount(2);
            *self = scanner;
            scanners.push_back(scanner);
            return scanner;
        };
        // Folders open as they do for the scanners: unless `deniedFolders` names them at that moment.
        services.folderOpens = [this](const std::string& folder) {
            ++folderProbes;
            FaultyDirectoryReader reader;
            reader.openErrors = deniedFolders;
            int fd = -1;
            const int error = reader.openDirectory(AT_FDCWD, folder.c_str(), true, fd);
            if (error == 0) reader.closeDirectory(fd);
            return error == 0;
        };
        return services;
    }
    void scanAndWait(ScanViewModel& vm, const std::string& path) {
        vm.scan(path);
        ASSERT_TRUE(vm.status().isScanning());
        ASSERT_TRUE(waitForDone(vm));
    }
    static bool waitForDone(ScanViewModel& vm) {
        return QTest::qWaitFor([&] { return vm.status().kind == ScanViewModel::Status::Kind::done; }, 30000);
    }

    TempDir dir;
    std::map<std::string, int> deniedFolders;
    std::shared_ptr<ScanGate> gate = std::make_shared<ScanGate>();
    std::vector<std::shared_ptr<DiskScanner>> scanners; // every scanner made, in order
    std::atomic<int> folderProbes = 0;                  // folders tried for changed access

  private:
    static void clearStartState() {
        QSettings("Brenwick", "Brenwick").clear();
        qunsetenv("BRENWICK_MODE");
        qunsetenv("BRENWICK_SCAN");
    }
};

// Waits until `condition` holds, running the event loop meanwhile.
#define WAIT_FOR(condition) ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 30000))
