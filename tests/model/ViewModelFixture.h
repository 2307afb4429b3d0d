#pragma once

#include "model/DiskScanner.h"
#include "model/ScanViewModel.h"
#include "platform/Processes.h"
#include "tests/support/FakeTrash.h"
#include "tests/support/HeldWaits.h"
#include "tests/support/ScanFixture.h"
#include "tests/support/TreeChecks.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Running instances made to order, each quitting after a number of checks (or never); signals recorded.
// The uninstall's job checks and kills from a pool thread.
class FakeProcesses : public platform::ProcessController {
  public:
    struct Instance {
        platform::ProcessInstance process;
        int quitsAfterChecks = 0; // isTerminated answers true from this check on; -1: never
        bool quitsOnKill = true;
    };
    std::vector<Instance> instances;
    std::map<int, std::string> appImageOf; // an instance listed for this AppImage only; else for any
    std::vector<int> terminated, killed;
    std::string askedFor;

    std::vector<platform::ProcessInstance> runningInstances(const std::string& appImagePath) override {
        askedFor = appImagePath;
        std::vector<platform::ProcessInstance> out;
        for (const auto& i : instances)
            if (!appImageOf.count(i.process.pid) || appImageOf[i.process.pid] == appImagePath)
                out.push_back(i.process);
        return out;
    }
    void terminate(const platform::ProcessInstance& p) override {
        std::lock_guard lock(mutex_);
        terminated.push_back(p.pid);
    }
    bool isTerminated(const platform::ProcessInstance& p) override {
        std::lock_guard lock(mutex_);
        for (const auto& i : instances) {
            if (i.process.pid != p.pid) continue;
            if (i.quitsOnKill && std::find(killed.begin(), killed.end(), p.pid) != killed.end()) return true;
            return i.quitsAfterChecks >= 0 && checks_[p.pid]++ >= i.quitsAfterChecks;
        }
        return true;
    }
    void forceTerminate(const platform::ProcessInstance& p) override {
        std::lock_guard lock(mutex_);
        killed.push_back(p.pid);
    }

  private:
    std::mutex mutex_;
    std::map<int, int> checks_;
};

// State objects with every outside service faked: scanners, Trash, processes, waits and appearance.
class ViewModelTest : public ScanFixture {
  protected:
    std::unique_ptr<ScanViewModel> makeViewModel() {
        ScanViewModel::Services services = scanServices();
        services.appearance.systemThemeName = [this] { return systemTheme; };
        services.appearance.apply = [this](ThemeName t) { appliedAppearances.push_back(t); };
        services.processes = processes;
        services.trash = trash;
        services.wait = waits.wait();
        return std::make_unique<ScanViewModel>(std::move(services));
    }

    std::shared_ptr<FakeTrash> trash = std::make_shared<FakeTrash>();
    std::shared_ptr<FakeProcesses> processes = std::make_shared<FakeProcesses>();
    ThemeName systemTheme = ThemeName::light;
    std::vector<ThemeName> appliedAppearances;
    HeldWaits waits{false};
};

// A state object over the folder "t" of the test folder, scanned once the suite has written its files.
class ScannedFolderTest : public ViewModelTest {
  protected:
    void scanFolder() {
        vm = makeViewModel();
        scanAndWait(*vm, dir.str() + "/t");
        root = vm->root();
    }
    std::string path(const std::string& relative) const { return dir.str() + "/t/" + relative; }
    FileNode* at(std::string_view relative) const { return const_cast<FileNode*>(findNode(root, relative)); }

    std::unique_ptr<ScanViewModel> vm;
    FileNode* root = nullptr;
};
