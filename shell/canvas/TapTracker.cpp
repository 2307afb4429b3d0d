#include "shell/canvas/TapTracker.h"

#include <QApplication>

void TapTracker::press(QPointF point) {
    press_ = point;
    endsDoubleClick_ = false;
}

void TapTracker::doubleClick() {
    endsDoubleClick_ = true;
    press_.reset();
}

bool TapTracker::release(QPointF point) {
    const auto pressed = press_;
    press_.reset();
    if (endsDoubleClick_) {
        endsDoubleClick_ = false;
        return false;
    }
    // A drag is not a tap.
    return pressed && (point - *pressed).manhattanLength() <= QApplication::startDragDistance();
}
