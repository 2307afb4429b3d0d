#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>

#include <functional>
#include <optional>

class QWidget;

// Turns the pointer events of a surface (a widget, or a scroll area's viewport) into gestures, so that
// every view and panel that hit-tests its own items reads the pointer the same way:
// - hover: the pointer moved over the surface (mouse tracking goes on with this handler); leave: it left.
// - press: the left button went down, also for the second press of a double click; release: it came up.
//   For pressed looks and for painted buttons, which act on a release over the pressed button.
// - tap: a left click on an item: released near where it was pressed (a drag is not a tap), and not the
//   release that ends a double click (its first click has tapped already, and after the second something
//   else may lie under the pointer).
// - double tap: the second press of a left double click.
// - context menu: the platform's request for one (a right click, or the menu key).
// Points are in the surface's coordinates. The tap, double-tap and context-menu handlers return whether
// they acted: an event acted on goes no further (not to the widget, nor to its parents).
// Main thread only; the helper lives as long as its surface.
class PointerGestures : public QObject {
  public:
    explicit PointerGestures(QWidget* surface);

    PointerGestures& onHover(std::function<void(QPointF)> handler);
    PointerGestures& onLeave(std::function<void()> handler);
    PointerGestures& onPress(std::function<void(QPointF)> handler);
    PointerGestures& onRelease(std::function<void(QPointF)> handler);
    PointerGestures& onTap(std::function<bool(QPointF)> handler);
    PointerGestures& onDoubleTap(std::function<bool(QPointF)> handler);
    PointerGestures& onContextMenu(std::function<bool(QPointF, QPoint globalPos)> handler);

    // Also reads the events of `widget`, for a surface whose children receive the clicks (points are still
    // given in the surface's coordinates). The widget may go before the surface.
    void watch(QWidget* widget);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointF surfacePoint(QObject* watched, QPointF local, QPointF global) const;

    QWidget* surface_;
    std::function<void(QPointF)> hover_;
    std::function<void()> leave_;
    std::function<void(QPointF)> press_;
    std::function<void(QPointF)> release_;
    std::function<bool(QPointF)> tap_;
    std::function<bool(QPointF)> doubleTap_;
    std::function<bool(QPointF, QPoint)> contextMenu_;

    std::optional<QPointF> pressedAt_; // of a press that may still end in a tap
    bool endsDoubleClick_ = false;
};
