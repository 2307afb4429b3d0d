#pragma once

#include "model/ThemeName.h"
#include "tests/support/Mouse.h"

#include <QDir>
#include <QString>

// Mouse events and where the UI tests keep their pictures.
namespace view_test {

using mouse::click;
using mouse::doubleClick;
using mouse::hover;
using mouse::send;

// screenshots/ in the working folder, beside the main window's pictures.
inline QString screenshotPath(const QString& name) {
    QDir().mkpath(QStringLiteral("screenshots"));
    return QStringLiteral("screenshots/") + name;
}

inline QString themeSuffix(ThemeName name) { return name == ThemeName::dark ? QStringLiteral("dark") : QStringLiteral("light"); }

} // namespace view_test
