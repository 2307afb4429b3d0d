#include "shell/controls/ThemedLabel.h"

#include "shell/style/PlainText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

ThemedLabel::ThemedLabel(const QString& text, const QFont& font, Role role, QWidget* parent)
    : QLabel(text, parent), role_(role) {
    setFont(font);
    plain_text::setPlain(*this);
    applyColor();
}

bool ThemedLabel::event(QEvent* event) {
    if (event->type() == themeChangeEvent()) applyColor();
    return QLabel::event(event);
}

ThemedLabel::ThemedLabel(const QString& text, const QFont& font, Role role, Qt::TextElideMode elide,
                         QWidget* parent)
    : ThemedLabel(text, font, role, parent) {
    setElideMode(elide);
}

void ThemedLabel::setColorRole(Role role) {
    role_ = role;
    applyColor();
}

void ThemedLabel::applyColor() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, theme().*role_);
    setPalette(p);
}

void ThemedLabel::setElideMode(Qt::TextElideMode mode) {
    elide_ = mode;
    if (mode != Qt::ElideNone) {
        setWordWrap(false);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    updateGeometry();
    update();
}

QString ThemedLabel::shownText() const {
    if (elide_ == Qt::ElideNone) return text();
    return QFontMetricsF(font()).elidedText(text(), elide_, contentsRect().width());
}

QSize ThemedLabel::sizeHint() const {
    if (elide_ == Qt::ElideNone) return QLabel::sizeHint();
    const QFontMetricsF metrics(font());
    const QMargins margins = contentsMargins();
    return {int(std::ceil(metrics.horizontalAdvance(text()))) + margins.left() + margins.right(),
            int(std::ceil(metrics.height())) + margins.top() + margins.bottom()};
}

QSize ThemedLabel::minimumSizeHint() const {
    if (elide_ == Qt::ElideNone) return QLabel::minimumSizeHint();
    return {0, sizeHint().height()};
}

double ThemedLabel::paintLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
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

void ThemedLabel::paintEvent(QPaintEvent* event) {
    if (elide_ == Qt::ElideNone) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintLine(painter, contentsRect(), text(), font(), theme().*role_, alignment(), elide_);
}
