#pragma once

#include "app/RegisterViews.h"
#include "model/ScanViewModel.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/ExploreView.h"
#include "shell/style/Theme.h"
#include "tests/support/Screenshots.h"

#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>

// A widget drawn on the theme's background, as it lies in the window.
inline QImage onBackground(QWidget& widget, ThemeName name) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Theme::forName(name).background);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

// Runs `picture` once per colour mode and theme, with both set; `modeName` names the mode in screenshot
// names ("by-type"). Stops at the first fatal failure; the colour mode goes back to "By folder" after.
inline void
forEachModeAndTheme(ScanViewModel& vm,
                    const std::function<void(ColorMode, ThemeName, const QString& modeName)>& picture) {
    for (ColorMode mode : color_mode::allCases) {
        vm.settings().setColorMode(mode);
        const QString modeName =
            QString::fromUtf8(color_mode::rawValue(mode).data()).replace(' ', '-').toLower();
        for (ThemeName name : theme_name::allCases) {
            ThemeManager::instance().setThemeName(name);
            picture(mode, name, modeName);
            if (::testing::Test::HasFatalFailure()) break;
        }
        if (::testing::Test::HasFatalFailure()) break;
    }
    vm.settings().setColorMode(ColorMode::folder);
}

// A theme and a colour mode, as the parameter of a test run once for each pair.
using ThemeAndMode = std::tuple<ThemeName, ColorMode>;

inline auto everyThemeAndMode() {
    return ::testing::Combine(::testing::ValuesIn(theme_name::allCases),
                              ::testing::ValuesIn(color_mode::allCases));
}

// "Dark_ByAge".
inline std::string themeAndModeName(const ::testing::TestParamInfo<ThemeAndMode>& info) {
    std::string name = std::string(theme_name::rawValue(std::get<0>(info.param))) + "_";
    for (char c : color_mode::rawValue(std::get<1>(info.param)))
        if (c != ' ') name += c;
    return name;
}

// Sets the pair on the state object, which the theme manager follows.
inline void applyThemeAndMode(ScanViewModel& vm, const ThemeAndMode& pair) {
    vm.settings().setColorMode(std::get<1>(pair));
    vm.settings().setThemeName(std::get<0>(pair));
    ThemeManager::instance().setThemeName(std::get<0>(pair));
}

// The main window as the application builds it, showing one Explore mode of a finished scan. Each
// theme's picture is saved as window-<stem>-<theme>.png and handed to `check` with the mode's view.
inline void pictureInTheWindow(ScanViewModel& vm, VisualizationMode mode, const QString& stem,
                               const std::function<void(const QImage&, QWidget& view, ThemeName)>& check) {
    registerViews();
    vm.settings().setMode(mode);
    auto window = std::make_unique<AppWindow>();
    auto* content = new ContentView(vm);
    window->setContent(content);
    window->resize(AppWindow::kMinimumSize);
    window->show();
    for (ThemeName name : theme_name::allCases) {
        vm.settings().setThemeName(name);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto* explore = window->findChild<ExploreView*>();
        QWidget* view = explore ? explore->visualization() : nullptr;
        if (!view) return check({}, *window, name);
        const QImage image = window->grab().toImage();
        saveScreenshot(image, "window-" + stem, name);
        check(image, *view, name);
    }
    vm.settings().setThemeName(ThemeName::light);
}
