#include "shell/panels/UsageRing.h"

#include "model/DiskInfo.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Theme.h"

#include <QConicalGradient>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

UsageRing::UsageRing(double lineWidth, QWidget* parent) : QWidget(parent), lineWidth_(lineWidth) {}

void UsageRing::setFraction(double fraction) {
    if (fraction == fraction_) return;
    fraction_ = fraction;
    update();
}

void UsageRing::paintEvent(QPaintEvent*) {
    const Theme& t = theme();
    SmoothPainter painter(this);
    const double side = std::min(width(), height());
    const QRectF frame((width() - side) / 2, (height() - side) / 2, side, side);
    const QRectF circle = frame.adjusted(lineWidth_ / 2, lineWidth_ / 2, -lineWidth_ / 2, -lineWidth_ / 2);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(t.track, lineWidth_, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawEllipse(circle);

    if (fraction_ > 0) {
        // The gradient spans the whole turn from 12 o'clock, whatever the arc's length; it is symmetric,
        // so its direction does not matter.
        QColor soft = t.ink;
        soft.setAlphaF(0.75f);
        QConicalGradient gradient(circle.center(), 90);
        gradient.setColorAt(0, soft);
        gradient.setColorAt(0.5, t.ink);
        gradient.setColorAt(1, soft);
        painter.setPen(QPen(QBrush(gradient), lineWidth_, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
        const int span = -int(std::lround(std::min(fraction_, 1.0) * 360 * 16));
        painter.drawArc(circle, 90 * 16, span);
    }

    const QFont percentFont = fonts::ui(16.5, QFont::Bold), usedFont = fonts::ui(9, QFont::Medium);
    const QFontMetricsF pm(percentFont), um(usedFont);
    const double top = frame.center().y() - (pm.height() + um.height()) / 2;
    const QString percent = formatPercent(fraction_);
    painter.setFont(percentFont);
    painter.setPen(t.text);
    painter.drawText(QPointF(frame.center().x() - pm.horizontalAdvance(percent) / 2, top + pm.ascent()),
                     percent);
    const QString used = QStringLiteral("USED");
    painter.setFont(usedFont);
    painter.setPen(t.textSecondary);
    painter.drawText(
        QPointF(frame.center().x() - um.horizontalAdvance(used) / 2, top + pm.height() + um.ascent()), used);
}
