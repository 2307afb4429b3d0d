#include "shell/controls/DestructiveButton.h"

#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

DestructiveButton::DestructiveButton(const QString& title, double height, double fontSize,
                                     std::function<void()> action, QWidget* parent)
    : WideButton(title, {}, height, fontSize, 1, 8, std::move(action), parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void DestructiveButton::paintContent(QPainter& painter) {
    shapes::fill(painter, rect(), 8, theme().used);
    paintLabel(painter, shownImage(), shownTitle(), Qt::white);
}
