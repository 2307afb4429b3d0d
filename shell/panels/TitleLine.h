#pragma once

#include <QFont>
#include <QString>

// The Explore tab's title on one line: the folder's name, its size and its counts, fitted to a width.
// Too narrow, the counts are shortened first, down to one of their characters and "…", then the name
// down to kMinNameWidth; past that the counts are shortened further and go only when not one of their
// characters fits. The size is never shortened.
struct TitleLine {
    static constexpr double kSizeGap = 19; // between the name and the size
    static constexpr double kMinNameWidth = 40;

    static QFont nameFont();
    static QFont sizeFont();
    static QFont countsFont();

    // `counts` starts with its separator ("   ·   12 files ..."), which is kept with them.
    static TitleLine fit(const QString& name, const QString& size, const QString& counts, double width);

    QString name; // as drawn, shortened with "…"
    QString size;
    QString counts; // as drawn; empty when they went
    double nameWidth = 0, sizeWidth = 0, countsWidth = 0;
};
