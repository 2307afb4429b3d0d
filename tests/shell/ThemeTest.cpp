#include "shell/Theme.h"

#include <QApplication>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using Rgb3 = std::array<int, 3>;
Rgb3 rgb(const QColor& c) { return {c.red(), c.green(), c.blue()}; }

TEST(Theme, LightAndDarkColoursAreExact) {
    const Theme& l = Theme::light();
    const Theme& d = Theme::dark();
    const std::pair<const QColor Theme::*, std::pair<Rgb3, Rgb3>> roles[] = {
        {&Theme::background, {{255, 255, 255}, {30, 30, 32}}},
        {&Theme::panel, {{245, 245, 247}, {40, 40, 43}}},
        {&Theme::card, {{255, 255, 255}, {44, 44, 46}}},
        {&Theme::border, {{216, 216, 221}, {63, 63, 67}}},
        {&Theme::divider, {{229, 229, 234}, {56, 56, 58}}},
        {&Theme::chip, {{242, 242, 247}, {58, 58, 60}}},
        {&Theme::track, {{229, 229, 234}, {58, 58, 60}}},
        {&Theme::text, {{29, 29, 31}, {245, 245, 247}}},
        {&Theme::textSecondary, {{110, 110, 115}, {174, 174, 178}}},
        {&Theme::textTertiary, {{142, 142, 147}, {142, 142, 147}}},
        {&Theme::ink, {{255, 107, 74}, {255, 122, 92}}},
        {&Theme::onInk, {{255, 255, 255}, {255, 255, 255}}},
        {&Theme::used, {{255, 59, 48}, {255, 69, 58}}},
        {&Theme::free, {{52, 199, 89}, {48, 209, 88}}},
    };
    for (const auto& [role, colours] : roles) {
        EXPECT_EQ(rgb(l.*role), colours.first);
        EXPECT_EQ(rgb(d.*role), colours.second);
        EXPECT_EQ((l.*role).alpha(), 255);
        EXPECT_EQ((d.*role).alpha(), 255);
    }
    EXPECT_EQ(l.colorScheme, ColorScheme::light);
    EXPECT_EQ(d.colorScheme, ColorScheme::dark);
    EXPECT_EQ(&Theme::forName(ThemeName::dark), &d);
    EXPECT_EQ(&Theme::forName(ThemeName::light), &l);
    EXPECT_EQ(rgb(canvasInk()), (Rgb3{15, 23, 42}));
    EXPECT_EQ(rgb(canvasInkSecondary()), (Rgb3{71, 85, 105}));
}

TEST(Theme, NamesMatchExactlyLightOrDark) {
    EXPECT_EQ(theme_name::fromRawValue("Light"), ThemeName::light);
    EXPECT_EQ(theme_name::fromRawValue("Dark"), ThemeName::dark);
    EXPECT_FALSE(theme_name::fromRawValue("dark").has_value());
    EXPECT_FALSE(theme_name::fromRawValue("DARK").has_value());
    EXPECT_FALSE(theme_name::fromRawValue("").has_value());
}

TEST(ThemeManager, SwitchingSetsTheApplicationPaletteAndSignalsOnce) {
    ThemeManager& manager = ThemeManager::instance();
    manager.setThemeName(ThemeName::light);
    QSignalSpy changed(&manager, &ThemeManager::themeChanged);
    manager.setThemeName(ThemeName::dark);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(manager.name(), ThemeName::dark);
    EXPECT_EQ(&theme(), &Theme::dark());
    // Qt-drawn widgets follow: window, text fields, selection, tool tips.
    const QPalette palette = QApplication::palette();
    EXPECT_EQ(palette.color(QPalette::Window), Theme::dark().background);
    EXPECT_EQ(palette.color(QPalette::Base), Theme::dark().card);
    EXPECT_EQ(palette.color(QPalette::Text), Theme::dark().text);
    EXPECT_EQ(palette.color(QPalette::Highlight), Theme::dark().ink);
    EXPECT_EQ(palette.color(QPalette::ToolTipText), Theme::dark().text);
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
    settings.setValue("theme", "dark"); // case matters: falls back to the system's
    EXPECT_EQ(ThemeManager::startingThemeName(), ThemeManager::systemThemeName());
    settings.remove("theme");
    EXPECT_EQ(ThemeManager::startingThemeName(), ThemeManager::systemThemeName());
    // The offscreen platform's default palette is light.
    EXPECT_EQ(ThemeManager::systemThemeName(), ThemeName::light);
}

} // namespace
