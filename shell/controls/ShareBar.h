#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPainter;
class QRectF;

// A bar whose fill is a share of the largest: a track, a fill from its leading edge, and, when given,
// a name and a fainter detail written over it from the leading edge. Top Sizes rows use it at full
// height with rounded ends (radius 6, fill at least 6 long) and the item's name and location inside;
// outline rows as a thin capsule (radius -1) with a fill at least 2 long and no text.
struct ShareBar {
    double fraction = 0; // of the track; clamped to 0..1, and 0 when not a number
    QColor fill;
    QColor track;
    double radius = -1; // corner radius; negative for fully rounded ends
    double minimumFill = 2;

    QString name; // cut at its end when it does not fit
    QFont nameFont;
    QColor nameColor;
    QString detail; // cut at its start, so the end of a path stays visible
    QFont detailFont;
    QColor detailColor;
    double leadingPadding = 11, trailingPadding = 8, textSpacing = 8;

    // How long the fill is on a track of this width.
    double fillWidth(double trackWidth) const;
    void paint(QPainter& painter, const QRectF& rect) const;
};
