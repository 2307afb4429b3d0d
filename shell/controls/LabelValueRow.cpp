#include "shell/controls/LabelValueRow.h"

#include "shell/style/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

LabelValueRow::LabelValueRow(const QString& label, const QString& value, double labelSize, double valueSize,
                             int height, QWidget* parent)
    : QWidget(parent), label_(label), value_(value), labelFont_(fonts::ui(labelSize)),
      valueFont_(fonts::ui(valueSize, QFont::DemiBold)), height_(height) {
    setFixedHeight(height);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LabelValueRow::setLabel(const QString& label) {
    label_ = label;
    updateGeometry();
    update();
}

void LabelValueRow::setValue(const QString& value, ThemedLabel::Role role) {
    value_ = value;
    role_ = role;
    update();
}

QSize LabelValueRow::sizeHint() const {
    const double width = QFontMetricsF(labelFont_).horizontalAdvance(label_) + 8 +
                         QFontMetricsF(valueFont_).horizontalAdvance(value_);
    return {int(std::ceil(width)), height_};
}

QSize LabelValueRow::minimumSizeHint() const {
    return {0, height_};
}

void LabelValueRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Theme& t = theme();
    // The value keeps its room; a long label gives way.
    const double valueWidth =
        ThemedLabel::paintLine(painter, rect(), value_, valueFont_, t.*role_, Qt::AlignRight);
    const QRectF labelRect(0, 0, std::max(0.0, width() - valueWidth - 8), height());
    ThemedLabel::paintLine(painter, labelRect, label_, labelFont_, t.textSecondary);
}
