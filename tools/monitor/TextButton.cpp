#include "tools/monitor/TextButton.h"

#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

TextButton::TextButton(double fontSize, int topPadding, std::function<void()> action, QWidget* parent)
    : PressableButton(parent), fontSize_(fontSize), topPadding_(topPadding) {
    setAction(std::move(action));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TextButton::setTitle(const QString& title) {
    if (title == title_) return;
    title_ = title;
    setText(title);
    updateGeometry();
    update();
}

QSize TextButton::sizeHint() const {
    const QFontMetricsF metrics(fonts::ui(fontSize_, QFont::DemiBold));
    return {int(std::ceil(metrics.horizontalAdvance(title_))),
            topPadding_ + int(std::ceil(metrics.height()))};
}

void TextButton::paintContent(QPainter& painter) {
    const QFont font = fonts::ui(fontSize_, QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(theme().ink);
    painter.drawText(QPointF(0, topPadding_ + QFontMetricsF(font).ascent()), title_);
}
