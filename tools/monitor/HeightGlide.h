#pragma once

#include <functional>

class QWidget;

// Glides a widget's height from one value to another, eased out over motion::showMore(): the Monitor's
// lists as they show all their rows or fewer, the card growing or shrinking with them. The height is
// held at each step and let go at the end (the widget's own limits, as they were when the glide was
// made, apply again), then `done` runs. With animations off the glide ends at once.
class HeightGlide {
  public:
    explicit HeightGlide(QWidget* widget);

    void glide(int from, int to, std::function<void()> done = {});
    bool isGliding() const { return gliding_; }

  private:
    QWidget* widget_;
    int minimum_, maximum_;
    bool gliding_ = false;
};
