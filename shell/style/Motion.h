#pragma once

#include <QEasingCurve>
#include <QVariant>

#include <functional>

class QObject;
class QVariantAnimation;

// The springs and eases the interface animates with, as Qt easing curves and durations, and one
// switch that makes every animation finish at once (tests turn animations off).
namespace motion {

struct Curve {
    int durationMs = 0;
    QEasingCurve easing;
};

// A spring given by its response (the period of the undamped oscillation, in seconds) and damping
// fraction: it lasts until it has settled within 1 % of its target.
Curve spring(double response, double dampingFraction);
Curve easeOut(double seconds);
Curve easeInOut(double seconds);

// The animations the interface uses.
inline Curve tabChange() {
    return spring(0.25, 0.85);
} // tab change and inspector
inline Curve modeChange() {
    return spring(0.28, 0.85);
} // visualisation mode change
inline Curve themeChange() {
    return easeInOut(0.25);
}
inline Curve colorModeChange() {
    return easeOut(0.2);
}
inline Curve labelAbbreviation() {
    return easeOut(0.15);
}
inline Curve press() {
    return easeOut(0.12);
} // pressed state of shared buttons
inline Curve confirmation() {
    return easeOut(0.15);
} // outline button confirmation
inline Curve numericText() {
    return easeOut(0.15);
} // digits rolling in a changing figure; over before the scan's next count (0.15 s later)
inline Curve showMore() {
    return easeOut(0.15);
} // a list growing to all its rows or back

void setAnimationsEnabled(bool enabled);
bool animationsEnabled();

// Animates from `from` to `to`, calling `apply` with each value and `done` (when given) at the
// end. The animation belongs to `owner` and stops with it; starting another animation with the same
// owner and `slot` stops the previous one first. With animations off, `apply(to)` and `done` run
// before this returns and nullptr is returned.
QVariantAnimation* animate(QObject* owner, const char* slot, const QVariant& from, const QVariant& to,
                           const Curve& curve, std::function<void(const QVariant&)> apply,
                           std::function<void()> done = {});

} // namespace motion
