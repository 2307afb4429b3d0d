#include "shell/controls/TextLine.h"

#include "shell/style/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

TextLine::TextLine(const QString& text, const QFont& font, Role role, Qt::TextElideMode elide,
                   QWidget* parent)
    : QWidget(parent), text_(text), font_(font), role_(role), elide_(elide) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
}

void TextLine::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    updateGeometry();
    update();
}

void TextLine::setRole(Role role) {
    role_ = role;
    update();
}

void TextLine::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

QSize TextLine::sizeHint() const {
    const QFontMetricsF metrics(font_);
    return {int(std::ceil(metrics.horizontalAdvance(text_))), int(std::ceil(metrics.height()))};
}

QSize TextLine::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

double TextLine::paint(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                       const QColor& color, Qt::Alignment alignment, Qt::TextElideMode elide) {
    if (text.isEmpty() || rect.width() <= 0) return 0;
    const QFontMetricsF metrics(font);
    const QString shown = metrics.elidedText(text, elide, rect.width());
    const double width = metrics.horizontalAdvance(shown);
    double x = rect.left();
    if (alignment & Qt::AlignRight)
        x = rect.right() - width;
    else if (alignment & Qt::AlignHCenter)
        x = rect.center().x() - width / 2;
    const double baseline = rect.center().y() + (metrics.ascent() - metrics.descent()) / 2;
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QPointF(x, baseline), shown);
    return width;
}

void TextLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paint(painter, rect(), text_, font_, theme().*role_, alignment_, elide_);
}

LabelValueRow::LabelValueRow(const QString& label, const QString& value, double labelSize, double valueSize,
                             int height, QWidget* parent)
    : QWidget(parent), label_(label), value_(value), labelFont_(fonts::ui(labelSize)),
      valueFont_(fonts::ui(valueSize, QFont::DemiBold)), height_(height) {
    setFixedHeight(height);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
}

void LabelValueRow::setValue(const QString& value, TextLine::Role role) {
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
    const double valueWidth = TextLine::paint(painter, rect(), value_, valueFont_, t.*role_, Qt::AlignRight);
    const QRectF labelRect(0, 0, std::max(0.0, width() - valueWidth - 8), height());
    TextLine::paint(painter, labelRect, label_, labelFont_, t.textSecondary);
}
