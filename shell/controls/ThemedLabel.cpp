#include "shell/controls/ThemedLabel.h"

#include <QFontMetricsF>
#include <QPainter>

ThemedLabel::ThemedLabel(const QString& text, const QFont& font, QColor Theme::*color, QWidget* parent)
    : QLabel(text, parent), color_(color) {
    setFont(font);
    setTextFormat(Qt::PlainText);
    applyColor();
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, &ThemedLabel::applyColor);
}

void ThemedLabel::setColorRole(QColor Theme::*color) {
    color_ = color;
    applyColor();
}

void ThemedLabel::applyColor() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, theme().*color_);
    setPalette(p);
}

void ThemedLabel::setElideMode(Qt::TextElideMode mode) {
    elide_ = mode;
    if (mode != Qt::ElideNone) setWordWrap(false);
    updateGeometry();
    update();
}

QString ThemedLabel::shownText() const {
    if (elide_ == Qt::ElideNone) return text();
    return QFontMetricsF(font()).elidedText(text(), elide_, contentsRect().width());
}

QSize ThemedLabel::minimumSizeHint() const {
    if (elide_ == Qt::ElideNone) return QLabel::minimumSizeHint();
    return {0, QLabel::minimumSizeHint().height()};
}

void ThemedLabel::paintEvent(QPaintEvent* event) {
    if (elide_ == Qt::ElideNone) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, shownText());
}
