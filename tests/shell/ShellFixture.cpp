#include "tests/shell/ShellFixture.h"

#include "shell/Theme.h"
#include "shell/ViewRegistry.h"

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
    services.systemThemeName = [] { return ThemeName::light; };
    services.applyAppearance = [](ThemeName name) { ThemeManager::instance().setThemeName(name); };
    services.chooseFolder = [this] {
        ++chooserCalls;
        return chosenFolder;
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
