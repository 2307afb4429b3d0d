#include "shell/controls/DepthSlider.h"

#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kKnob = 14;
}

DepthSlider::DepthSlider(QWidget* parent) : QWidget(parent) {
    setFixedSize(122, 20);
    setAccessibleName(QStringLiteral("Depth"));
}

void DepthSlider::setValue(int value) {
    value = std::clamp(value, kMinimum, kMaximum);
    if (value == value_) return;
    value_ = value;
    update();
}

double DepthSlider::knobX() const {
    const double span = width() - kKnob;
    return kKnob / 2 + span * (value_ - kMinimum) / double(kMaximum - kMinimum);
}

int DepthSlider::valueAt(double x) const {
    const double span = width() - kKnob;
    const double t = std::clamp((x - kKnob / 2) / span, 0.0, 1.0);
    return kMinimum + int(std::lround(t * (kMaximum - kMinimum)));
}

void DepthSlider::drag(double x) {
    const int v = valueAt(x);
    if (v == value_) return;
    value_ = v;
    update();
    emit valueChanged(v);
}

void DepthSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    drag(event->position().x());
}

void DepthSlider::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) drag(event->position().x());
}

void DepthSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

void DepthSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme& t = theme();
    const double cy = height() / 2.0;
    const QRectF track(kKnob / 2, cy - 2, width() - kKnob, 4);
    painter.fillPath(shapes::capsule(track), t.track);
    const double x = knobX();
    painter.fillPath(shapes::capsule(QRectF(track.left(), track.top(), x - track.left(), track.height())),
                     t.ink);
    const QRectF knob(x - kKnob / 2, cy - kKnob / 2, kKnob, kKnob);
    shapes::paintShadow(painter, knob, kKnob / 2, QColor(0, 0, 0, 50), 3, QPointF(0, 0.5));
    painter.setPen(QPen(t.border, 1));
    painter.setBrush(t.colorScheme == ColorScheme::dark ? QColor(0xE8, 0xE8, 0xEA) : QColor(Qt::white));
    painter.drawEllipse(knob.adjusted(0.5, 0.5, -0.5, -0.5));
}
