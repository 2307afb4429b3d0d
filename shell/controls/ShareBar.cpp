#include "shell/controls/ShareBar.h"

#include "shell/controls/ThemedLabel.h"
#include "shell/style/Shapes.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

double ShareBar::fillWidth(double trackWidth) const {
    const double share = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return std::min(trackWidth, std::max(minimumFill, trackWidth * share));
}

void ShareBar::paint(QPainter& painter, const QRectF& rect) const {
    const double r = radius < 0 ? rect.height() / 2 : radius;
    shapes::fill(painter, rect, r, track);
    shapes::fill(painter, QRectF(rect.left(), rect.top(), fillWidth(rect.width()), rect.height()), r, fill);
    if (name.isEmpty()) return;

    const QRectF text = rect.adjusted(leadingPadding, 0, -trailingPadding, 0);
    const double nameWidth = QFontMetricsF(nameFont).horizontalAdvance(name);
    const double detailWidth = detail.isEmpty() ? 0 : QFontMetricsF(detailFont).horizontalAdvance(detail);
    // Both fit, or the name gives up room so that some of the detail still shows.
    double nameRoom = text.width();
    if (detailWidth > 0) {
        const double detailRoom = std::min(detailWidth, text.width() * 0.4);
        nameRoom = std::min(nameWidth, text.width() - textSpacing - detailRoom);
    }
    const double drawn = ThemedLabel::paintLine(
        painter, QRectF(text.left(), text.top(), nameRoom, text.height()), name, nameFont, nameColor);
    if (detailWidth <= 0) return;
    const double left = text.left() + drawn + textSpacing;
    ThemedLabel::paintLine(painter,
                           QRectF(left, text.top(), std::max(0.0, text.right() - left), text.height()),
                           detail, detailFont, detailColor, Qt::AlignLeft, Qt::ElideLeft);
}
