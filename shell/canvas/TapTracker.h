#pragma once

#include <QPointF>

#include <optional>

// Tells a tap from a drag and from the release that ends a double click, for views that hit-test
// their own items: the first click of a double click selects, the second opens, and the release
// after it must not select whatever now lies under the pointer.
class TapTracker {
  public:
    // The left button went down.
    void press(QPointF point);
    // The second press of a double click.
    void doubleClick();
    // The left button came up: true when this ends a tap (released near where it was pressed, and not
    // the end of a double click).
    bool release(QPointF point);

  private:
    std::optional<QPointF> press_;
    bool endsDoubleClick_ = false;
};
