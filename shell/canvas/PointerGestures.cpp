#include "shell/canvas/PointerGestures.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <utility>

PointerGestures::PointerGestures(QWidget* surface) : QObject(surface), surface_(surface) {
    surface->installEventFilter(this);
}

PointerGestures& PointerGestures::onHover(std::function<void(QPointF)> handler) {
    hover_ = std::move(handler);
    surface_->setMouseTracking(bool(hover_));
    return *this;
}

PointerGestures& PointerGestures::onLeave(std::function<void()> handler) {
    leave_ = std::move(handler);
    return *this;
}

PointerGestures& PointerGestures::onPress(std::function<void(QPointF)> handler) {
    press_ = std::move(handler);
    return *this;
}

PointerGestures& PointerGestures::onRelease(std::function<void(QPointF)> handler) {
    release_ = std::move(handler);
    return *this;
}

PointerGestures& PointerGestures::onTap(std::function<bool(QPointF)> handler) {
    tap_ = std::move(handler);
    return *this;
}

PointerGestures& PointerGestures::onDoubleTap(std::function<bool(QPointF)> handler) {
    doubleTap_ = std::move(handler);
    return *this;
}

PointerGestures& PointerGestures::onContextMenu(std::function<bool(QPointF, QPoint)> handler) {
    contextMenu_ = std::move(handler);
    return *this;
}

void PointerGestures::watch(QWidget* widget) {
    if (widget && widget != surface_) widget->installEventFilter(this);
}

QPointF PointerGestures::surfacePoint(QObject* watched, QPointF local, QPointF global) const {
    return watched == surface_ ? local : surface_->mapFromGlobal(global);
}

bool PointerGestures::eventFilter(QObject* watched, QEvent* event) {
    // A handler may change what the surface shows, so each branch reads and updates the tap state first
    // and calls at most one acting handler last.
    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == surface_ && hover_) hover_(static_cast<QMouseEvent*>(event)->position());
        return false;
    case QEvent::Leave:
        if (watched == surface_ && leave_) leave_();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        const QPointF point = surfacePoint(watched, mouse->position(), mouse->globalPosition());
        const bool second = event->type() == QEvent::MouseButtonDblClick;
        endsDoubleClick_ = second;
        pressedAt_ = second ? std::nullopt : std::optional(point);
        const QPointer<PointerGestures> alive(this);
        if (press_) press_(point);
        if (!alive) return true;
        return second && doubleTap_ && doubleTap_(point);
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        const QPointF point = surfacePoint(watched, mouse->position(), mouse->globalPosition());
        const auto pressed = std::exchange(pressedAt_, std::nullopt);
        const bool endsDoubleClick = std::exchange(endsDoubleClick_, false);
        const QPointer<PointerGestures> alive(this);
        if (release_) release_(point);
        if (!alive) return true;
        const bool isTap = !endsDoubleClick && pressed &&
                           (point - *pressed).manhattanLength() <= QApplication::startDragDistance();
        return isTap && tap_ && tap_(point);
    }
    case QEvent::ContextMenu: {
        auto* menu = static_cast<QContextMenuEvent*>(event);
        const QPointF point = surfacePoint(watched, menu->pos(), menu->globalPos());
        return contextMenu_ && contextMenu_(point, menu->globalPos());
    }
    default:
        return false;
    }
}
