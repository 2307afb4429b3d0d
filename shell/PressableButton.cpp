#include "shell/PressableButton.h"

#include "shell/Motion.h"
#include "shell/Theme.h"

#include <QEvent>
#include <QPainter>

PressableButton::PressableButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::pressed, this, [this] { animatePress(true); });
    connect(this, &QAbstractButton::released, this, [this] { animatePress(false); });
    connect(this, &QAbstractButton::clicked, this, [this] { activate(); });
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
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

void PressableButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    double opacity = 1.0 - 0.25 * press_;
    if (!isEnabled()) opacity *= 0.45;
    painter.setOpacity(opacity);
    if (press_ > 0) {
        const double scale = 1.0 - 0.015 * press_;
        const QPointF centre = QRectF(rect()).center();
        painter.translate(centre);
        painter.scale(scale, scale);
        painter.translate(-centre);
    }
    paintContent(painter);
}

void PressableButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QAbstractButton::changeEvent(event);
}
