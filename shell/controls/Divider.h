#pragma once

#include <QWidget>

// A one-point line in the theme's divider colour: horizontal (full width, 1 high) or vertical
// (1 wide, `length` high).
class Divider : public QWidget {
  public:
    explicit Divider(Qt::Orientation orientation, QWidget* parent = nullptr, int length = 0);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
