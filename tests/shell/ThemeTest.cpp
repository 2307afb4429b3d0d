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
    manager.setThemeName(ThemeName::dark); // the same theme again is no change
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(&theme(), &Theme::dark());
    EXPECT_EQ(QApplication::palette().color(QPalette::Text), Theme::dark().text); // Qt-drawn widgets follow
    manager.setThemeName(ThemeName::light);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), Theme::light().background);
}

TEST(ThemeManager, StartsFromTheStoredNameElseTheSystem) {
    QSettings settings;
    // Case matters: anything but "Light" or "Dark" falls back to the system's (light offscreen).
    const std::pair<const char*, ThemeName> stored[] = {
        {"Dark", ThemeName::dark}, {"Light", ThemeName::light}, {"dark", ThemeName::light}, {"", ThemeName::light}};
    for (const auto& [value, name] : stored) {
        settings.setValue("theme", value);
        EXPECT_EQ(ThemeManager::startingThemeName(), name) << value;
    }
    settings.remove("theme");
    EXPECT_EQ(ThemeManager::startingThemeName(), ThemeManager::systemThemeName());
    EXPECT_EQ(ThemeManager::systemThemeName(), ThemeName::light);
}

} // namespace
