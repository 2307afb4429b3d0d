#include "shell/controls/CardBackground.h"

#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QPainter>

CardBackground::CardBackground(double radius, QWidget* parent) : QWidget(parent), radius_(radius) {}

void CardBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    shapes::paintCardBackground(painter, rect(), radius_, theme());
}
