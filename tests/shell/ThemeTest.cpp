#include "shell/Theme.h"

#include <QApplication>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

TEST(ThemeManager, SwitchingSetsTheApplicationPaletteAndSignalsOnce) {
    ThemeManager& manager = ThemeManager::instance();
    manager.setThemeName(ThemeName::light);
    QSignalSpy changed(&manager, &ThemeManager::themeChanged);
    manager.setThemeName(ThemeName::dark);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(manager.name(), ThemeName::dark);
    EXPECT_EQ(&theme(), &Theme::dark());
    // Qt-drawn widgets follow.
    EXPECT_EQ(QApplication::palette().color(QPalette::Text), Theme::dark().text);
    manager.setThemeName(ThemeName::dark);
    EXPECT_EQ(changed.count(), 1); // the same theme again is no change
    manager.setThemeName(ThemeName::light);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), Theme::light().background);
}

TEST(ThemeManager, StartsFromTheStoredNameElseTheSystem) {
    QSettings settings;
    settings.setValue("theme", "Dark");
    EXPECT_EQ(ThemeManager::startingThemeName(), ThemeName::dark);
    settings.setValue("theme", "Light");
    EXPECT_EQ(ThemeManager::startingThemeName(), ThemeName::light);
    // Case matters: anything but "Light" or "Dark" falls back to the system's.
    for (const char* other : {"dark", "DARK", ""}) {
        settings.setValue("theme", other);
        EXPECT_EQ(ThemeManager::startingThemeName(), ThemeManager::systemThemeName()) << other;
    }
    settings.remove("theme");
    EXPECT_EQ(ThemeManager::startingThemeName(), ThemeManager::systemThemeName());
    // The offscreen platform's default palette is light.
    EXPECT_EQ(ThemeManager::systemThemeName(), ThemeName::light);
}

} // namespace
