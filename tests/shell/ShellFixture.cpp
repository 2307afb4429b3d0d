#include "tests/shell/ShellFixture.h"

#include "model/DiskScanner.h"
#include "shell/Theme.h"
#include "shell/ViewRegistry.h"
#include "tests/support/FaultyDirectoryReader.h"

#include <QSettings>

void SlowFolderGate::release() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
}

void SlowFolderGate::wait(const std::function<bool()>& cancelled) {
    std::unique_lock lock(mutex_);
    while (!open_ && !cancelled()) changed_.wait_for(lock, std::chrono::milliseconds(5));
}

void ShellTest::SetUp() {
    QSettings("Brenwick", "Brenwick").clear();
    qunsetenv("BRENWICK_MODE");
    qunsetenv("BRENWICK_SCAN");
    ViewRegistry::clear();
    ThemeManager::instance().setThemeName(ThemeName::light);
}

void ShellTest::TearDown() {
    gate->release();
    ViewRegistry::clear();
    QSettings("Brenwick", "Brenwick").clear();
    ThemeManager::instance().setThemeName(ThemeName::light);
}

std::unique_ptr<ScanViewModel> ShellTest::makeViewModel() {
    ScanViewModel::Services services;
    services.systemThemeName = [] { return ThemeName::light; };
    services.applyAppearance = [](ThemeName name) { ThemeManager::instance().setThemeName(name); };
    services.chooseFolder = [this] {
        ++chooserCalls;
        return chosenFolder;
    };
    services.makeScanner = [this] {
        auto reader = std::make_shared<FaultyDirectoryReader>();
        reader->openErrors = deniedFolders;
        auto self = std::make_shared<std::weak_ptr<DiskScanner>>();
        reader->onOpen = [gate = gate, self](const std::string& path) {
            if (!path.ends_with("/slow")) return;
            gate->wait([self] {
                auto scanner = self->lock();
                return !scanner || scanner->isCancelled();
            });
        };
        auto scanner = std::make_shared<DiskScanner>(reader);
        scanner->setThreadCount(2);
        *self = scanner;
        return scanner;
    };
    return std::make_unique<ScanViewModel>(std::move(services));
}

std::string ShellTest::makeFixture() {
    dir.writeFile("fixture/Movies/holiday.mp4", 600000);
    dir.writeFile("fixture/Movies/clips/intro.mov", 250000);
    dir.writeFile("fixture/Music/album/track01.mp3", 90000);
    dir.writeFile("fixture/Music/album/track02.mp3", 85000);
    dir.writeFile("fixture/Documents/report.pdf", 120000);
    dir.writeFile("fixture/Documents/notes.txt", 3000);
    dir.writeFile("fixture/Documents/archive/old.zip", 200000);
    dir.writeFile("fixture/Code/project/src/main.cpp", 12000);
    dir.writeFile("fixture/Code/project/src/deep/deeper/util.h", 4000);
    dir.writeFile("fixture/Pictures/photo.jpg", 150000);
    dir.writeFile("fixture/readme.md", 2000);
    dir.writeFile("fixture/Code/project/Quarterly reports and presentations for the whole department, 2019 to 2024/"
                  "summary.key",
                  40000);
    return (dir.path() / "fixture").string();
}

void ShellTest::scanAndWait(ScanViewModel& vm, const std::string& path) {
    vm.scan(path);
    ASSERT_TRUE(vm.status().isScanning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return vm.status().kind == ScanViewModel::Status::Kind::done; }, 30000));
}
