#include "shell/controls/Divider.h"

#include "shell/style/Theme.h"

#include <QPainter>

Divider::Divider(Qt::Orientation orientation, QWidget* parent, int length) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent); // a line of the divider colour, every pixel
    if (orientation == Qt::Horizontal)
        setFixedHeight(1);
    else
        setFixedSize(1, length);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().divider);
}
