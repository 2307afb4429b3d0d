#pragma once

#include "model/ThemeName.h"

#include <QDir>
#include <QImage>
#include <QString>

// Pictures of the UI for the team to look at: screenshots/<stem>-<light|dark>.png in the working folder.
inline bool saveScreenshot(const QImage& image, const QString& stem, ThemeName theme) {
    QDir().mkpath(QStringLiteral("screenshots"));
    return image.save(
        QStringLiteral("screenshots/%1-%2.png").arg(stem, theme == ThemeName::dark ? "dark" : "light"));
}
