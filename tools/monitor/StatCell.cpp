#include "tools/monitor/StatCell.h"

#include "shell/style/Fonts.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Theme.h"
#include "tools/monitor/MonitorCard.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSpacing = 2;

QFont labelFont() {
    QFont font = fonts::ui(9.5, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    return font;
}

QFont valueFont() {
    return fonts::ui(12.5, QFont::DemiBold);
}

} // namespace

StatCell::StatCell(const QString& label, ColorOf valueColor, QWidget* parent)
    : QWidget(parent), label_(label), valueColor_(valueColor) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    makeOpaqueOnCard(this);
}

void StatCell::setValue(const QString& value) {
    if (value == value_) return;
    const QSize before = sizeHint();
    value_ = value;
    // The layout is asked again only when the width changes, not on every new figure.
    if (sizeHint() != before) updateGeometry();
    update();
}

QSize StatCell::sizeHint() const {
    const QFontMetricsF label(labelFont()), value(valueFont());
    const double width = std::max(label.horizontalAdvance(label_), value.horizontalAdvance(value_));
    return {int(std::ceil(width)), int(std::ceil(label.height() + kSpacing + value.height()))};
}

void StatCell::paintEvent(QPaintEvent*) {
    SmoothPainter painter(this);
    paintCardUnder(painter, this);
    const Theme& t = theme();
    const QFont lf = labelFont(), vf = valueFont();
    const QFontMetricsF label(lf), value(vf);
    painter.setFont(lf);
    painter.setPen(t.textTertiary);
    painter.drawText(QPointF(0, label.ascent()), label_);
    painter.setFont(vf);
    painter.setPen(valueColor_ ? valueColor_(t) : t.text);
    painter.drawText(QPointF(0, label.height() + kSpacing + value.ascent()), value_);
}
