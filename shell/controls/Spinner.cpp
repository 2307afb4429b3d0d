#include "shell/controls/Spinner.h"

#include "shell/style/Motion.h"
#include "shell/style/Theme.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

Spinner::Spinner(int diameter, QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
    setFixedSize(diameter, diameter);
    timer_->setInterval(kStepMs);
    connect(timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % 12;
        update();
    });
}

void Spinner::showEvent(QShowEvent* event) {
    if (motion::animationsEnabled()) timer_->start();
    QWidget::showEvent(event);
}

void Spinner::hideEvent(QHideEvent* event) {
    timer_->stop();
    QWidget::hideEvent(event);
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), step_);
}

void Spinner::paint(QPainter& painter, const QRectF& rect, int step) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.center());
    // Drawn at 32 points and scaled, so every size has the same proportions.
    const double scale = std::min(rect.width(), rect.height()) / double(kRegular);
    painter.scale(scale, scale);
    const QColor base = theme().textSecondary;
    for (int i = 0; i < 12; ++i) {
        QColor c = base;
        const int age = (step - i + 12) % 12; // 0: the leading spoke
        c.setAlphaF(float(std::max(0.18, 1.0 - age / 12.0)));
        painter.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -8.5), QPointF(0, -14.5));
        painter.rotate(30);
    }
    painter.restore();
}
