#include "shell/style/ItemMark.h"

#include "shell/style/ColorBlend.h"

#include <QPainter>
#include <QPainterPathStroker>

ItemMark::ItemMark(std::span<const QColor> fills, std::span<const QColor> surrounds, const Theme& theme)
    : inks_(contrast::markInks(fills, surrounds, theme)) {}

ItemMark::ItemMark(const QColor& fill, const QColor& surround, const Theme& theme)
    : inks_(contrast::markInks(fill, surround, theme)) {}

void ItemMark::paint(QPainter& painter, const QPainterPath& shape) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!inks_.doubled()) {
        painter.setPen(QPen(inks_.inner, kWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shape);
        painter.restore();
        return;
    }
    // The band either side of the edge, cut by the shape into its inner and outer halves: each line
    // then lies wholly on what its ink was chosen for.
    QPainterPathStroker stroker;
    stroker.setWidth(2 * kDoubleWidth);
    stroker.setJoinStyle(Qt::MiterJoin);
    const QPainterPath band = stroker.createStroke(shape).simplified();
    painter.setPen(Qt::NoPen);
    painter.setBrush(inks_.inner);
    painter.drawPath(band.intersected(shape));
    painter.setBrush(inks_.outer);
    painter.drawPath(band.subtracted(shape));
    painter.restore();
}

void ItemMark::paintTinted(QPainter& painter, const QPainterPath& shape, const QColor& tint,
                           const QColor& fill, std::span<const QColor> surrounds, const Theme& theme) {
    if (tint.alpha() > 0) {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(tint);
        painter.drawPath(shape);
        painter.restore();
    }
    const QColor shown = color_blend::over(tint, fill);
    ItemMark(std::span(&shown, 1), surrounds, theme).paint(painter, shape);
}
