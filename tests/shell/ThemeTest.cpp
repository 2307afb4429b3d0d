#include "shell/style/Theme.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

TEST(ThemeManager, StartsFromTheStoredNameElseTheSystem) {
    QSettings settings;
    // Case matters: anything but "Light" or "Dark" falls back to the system's (light offscreen).
    const std::pair<const char*, ThemeName> stored[] = {{"Dark", ThemeName::dark},
                                                        {"Light", ThemeName::light},
                                                        {"dark", ThemeName::light},
                                                        {"", ThemeName::light}};
    for (const auto& [value, name] : stored) {
        settings.setValue("theme", value);
        EXPECT_EQ(ThemeManager::startingThemeName(), name) << value;
    }
    settings.remove("theme");
    EXPECT_EQ(ThemeManager::startingThemeName(), ThemeManager::systemThemeName());
    EXPECT_EQ(ThemeManager::systemThemeName(), ThemeName::light);
}

} // namespace
