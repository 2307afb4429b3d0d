#include "shell/style/Motion.h"

#include <QPointer>
#include <QVariantAnimation>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <vector>

namespace motion {

namespace {
std::atomic<bool> enabled{true};

// Animations started through animate() that are still running (main thread only).
std::vector<QPointer<QVariantAnimation>>& running() {
    static std::vector<QPointer<QVariantAnimation>> list;
    return list;
}
} // namespace

Curve spring(double response, double dampingFraction) {
    const double zeta = std::clamp(dampingFraction, 0.05, 1.0);
    const double omega = 2 * std::numbers::pi / std::max(response, 0.01);
    // Envelope exp(-zeta * omega * t) falls below 1 %.
    const double settle = std::log(100.0) / (zeta * omega);
    Curve c;
    c.durationMs = int(std::lround(settle * 1000));
    if (zeta >= 0.8) {
        // Overshoot below 1 %: a plain deceleration looks the same.
        c.easing = QEasingCurve(QEasingCurve::OutCubic);
    } else {
        c.easing = QEasingCurve(QEasingCurve::OutBack);
        // Relative overshoot of an underdamped spring.
        const double overshoot = std::exp(-zeta * std::numbers::pi / std::sqrt(1 - zeta * zeta));
        c.easing.setOvershoot(overshoot * 10); // OutBack's 1.70158 gives roughly 10 % overshoot
    }
    return c;
}

Curve easeOut(double seconds) {
    return {int(std::lround(seconds * 1000)), QEasingCurve(QEasingCurve::OutQuad)};
}

Curve easeInOut(double seconds) {
    return {int(std::lround(seconds * 1000)), QEasingCurve(QEasingCurve::InOutQuad)};
}

void setAnimationsEnabled(bool on) {
    enabled = on;
    if (on) return;
    // Whatever runs jumps to its end now.
    auto list = std::move(running());
    running().clear();
    for (auto& animation : list)
        if (animation && animation->state() == QAbstractAnimation::Running)
            animation->setCurrentTime(animation->totalDuration());
}
bool animationsEnabled() {
    return enabled;
}

QVariantAnimation* animate(QObject* owner, const char* slot, const QVariant& from, const QVariant& to,
                           const Curve& curve, std::function<void(const QVariant&)> apply,
                           std::function<void()> done) {
    const QString name = QStringLiteral("motion:") + QLatin1String(slot);
    if (owner) {
        for (auto* running : owner->findChildren<QVariantAnimation*>(name, Qt::FindDirectChildrenOnly)) {
            running->stop();
            running->deleteLater();
            running->setObjectName(QString()); // not found again before it is deleted
        }
    }
    if (!enabled || curve.durationMs <= 0 || !owner) {
        apply(to);
        if (done) done();
        return nullptr;
    }
    auto* animation = new QVariantAnimation(owner);
    animation->setObjectName(name);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(curve.durationMs);
    animation->setEasingCurve(curve.easing);
    QObject::connect(animation, &QVariantAnimation::valueChanged, owner,
                     [apply](const QVariant& value) { apply(value); });
    QObject::connect(animation, &QVariantAnimation::finished, owner, [animation, apply, to, done] {
        apply(to);
        if (done) done();
        animation->deleteLater();
    });
    auto& list = running();
    std::erase_if(list, [](const QPointer<QVariantAnimation>& a) { return a.isNull(); });
    list.emplace_back(animation);
    animation->start();
    return animation;
}

} // namespace motion
