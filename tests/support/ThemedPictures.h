#pragma once

#include "model/ScanViewModel.h"
#include "shell/style/Theme.h"
#include "tests/support/Screenshots.h"

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// `widget` pictured in each theme the state object switches to, saved as <stem>-<theme>.png and handed
// to `check` with that theme; the light theme is back afterwards.
inline void picturesInBothThemes(ScanViewModel& vm, QWidget& widget, const QString& stem,
                                 const std::function<void(const QImage&, const Theme&)>& check) {
    for (ThemeName name : theme_name::allCases) {
        SCOPED_TRACE(theme_name::rawValue(name));
        vm.settings().setThemeName(name);
        QCoreApplication::processEvents();
        const QImage image = widget.grab().toImage();
        EXPECT_TRUE(saveScreenshot(image, stem, name));
        check(image, Theme::forName(name));
    }
    vm.settings().setThemeName(ThemeName::light);
}
