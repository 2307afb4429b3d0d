#include "tests/shell/ShellFixture.h"

#include "shell/panels/ViewRegistry.h"
#include "shell/style/Theme.h"

void ShellTest::SetUp() {
    ScanFixture::SetUp();
    ViewRegistry::clear();
    ThemeManager::instance().setThemeName(ThemeName::light);
}

void ShellTest::TearDown() {
    ScanFixture::TearDown();
    ViewRegistry::clear();
    ThemeManager::instance().setThemeName(ThemeName::light);
}

std::unique_ptr<ScanViewModel> ShellTest::makeViewModel() {
    ScanViewModel::Services services = scanServices();
    services.appearance.systemThemeName = [] { return ThemeName::light; };
    services.appearance.apply = [](ThemeName name) { ThemeManager::instance().setThemeName(name); };
    services.chooseFolder = [this] {
        ++chooserCalls;
        return chosenFolder;
    };
    return std::make_unique<ScanViewModel>(std::move(services));
}

std::string ShellTest::makeFixture() {
    const std::pair<const char*, size_t> files[] = {
        {"Movies/holiday.mp4", 600000},
        {"Movies/clips/intro.mov", 250000},
        {"Music/album/track01.mp3", 90000},
        {"Music/album/track02.mp3", 85000},
        {"Documents/report.pdf", 120000},
        {"Documents/notes.txt", 3000},
        {"Documents/archive/old.zip", 200000},
        {"Code/project/src/main.cpp", 12000},
        {"Code/project/src/deep/deeper/util.h", 4000},
        {"Pictures/photo.jpg", 150000},
        {"readme.md", 2000},
        {"Code/project/Quarterly reports and presentations for the whole department, 2019 to "
         "2024/summary.key",
         40000},
    };
    for (const auto& [path, size] : files)
        dir.writeFile("fixture/" + std::string(path), size);
    return (dir.path() / "fixture").string();
}
