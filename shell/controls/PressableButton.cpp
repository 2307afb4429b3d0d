#include "shell/controls/PressableButton.h"

#include "shell/style/Motion.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Theme.h"

#include <QEvent>
#include <QPainter>

PressableButton::PressableButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::pressed, this, [this] { animatePress(true); });
    connect(this, &QAbstractButton::released, this, [this] { animatePress(false); });
    connect(this, &QAbstractButton::clicked, this, [this] { activate(); });
}

void PressableButton::activate() {
    if (action_) action_();
}

void PressableButton::animatePress(bool down) {
    motion::animate(this, "press", press_, down ? 1.0 : 0.0, motion::press(), [this](const QVariant& v) {
        press_ = v.toDouble();
        update();
    });
}

void PressableStyle::apply(QPainter& painter, const QRectF& rect, double pressAmount, bool enabled) {
    double opacity = 1.0 - (1.0 - kPressedOpacity) * pressAmount;
    if (!enabled) opacity *= kDisabledOpacity;
    painter.setOpacity(painter.opacity() * opacity);
    if (pressAmount > 0) {
        const double scale = 1.0 - (1.0 - kPressedScale) * pressAmount;
        const QPointF centre = rect.center();
        painter.translate(centre);
        painter.scale(scale, scale);
        painter.translate(-centre);
    }
}

void PressableButton::paintEvent(QPaintEvent*) {
    SmoothPainter painter(this);
    PressableStyle::apply(painter, rect(), press_, isEnabled());
    paintContent(painter);
}

void PressableButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QAbstractButton::changeEvent(event);
}
