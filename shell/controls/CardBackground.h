#pragma once

#include <QWidget>

// A container drawn as a card: `card` fill and a one-point `border` stroke inside its edge, with the
// given corner radius. No padding and no shadow: give it a layout with the margins you need.
// To draw the same background inside another widget's paintEvent, use shapes::paintCardBackground.
class CardBackground : public QWidget {
    Q_OBJECT
  public:
    explicit CardBackground(double radius, QWidget* parent = nullptr);

    double radius() const { return radius_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double radius_;
};
