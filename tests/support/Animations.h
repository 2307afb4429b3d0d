#pragma once

#include "shell/style/Motion.h"

#include <QObject>
#include <QVariantAnimation>

#include <cmath>

// The UI tests run with animations off, so that every change lands at once. A test of an animation
// turns them on for its scope and drives the animation's clock itself: never the wall clock.
struct AnimationsOn {
    AnimationsOn() { motion::setAnimationsEnabled(true); }
    ~AnimationsOn() { motion::setAnimationsEnabled(false); }
    AnimationsOn(const AnimationsOn&) = delete;
    AnimationsOn& operator=(const AnimationsOn&) = delete;
};

// The animation `owner` runs under `slot` (motion::animate), or null.
inline QVariantAnimation* runningAnimation(const QObject& owner, const char* slot) {
    for (auto* animation : owner.findChildren<QVariantAnimation*>(
             QStringLiteral("motion:") + QLatin1String(slot), Qt::FindDirectChildrenOnly))
        if (animation->state() != QAbstractAnimation::Stopped) return animation;
    return nullptr;
}

// Stops the animation's clock at `fraction` of its duration.
inline void holdAt(QVariantAnimation& animation, double fraction) {
    animation.pause();
    animation.setCurrentTime(int(std::lround(fraction * animation.duration())));
}

// Runs it to its end at once.
inline void finish(QVariantAnimation& animation) {
    animation.setCurrentTime(animation.duration());
}
