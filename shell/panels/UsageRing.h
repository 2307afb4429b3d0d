#pragma once

#include <QWidget>

// The used share of a volume as a ring, with the percentage and "USED" in its centre. The track and
// the arc are `lineWidth` wide and stay inside the widget; the arc starts at 12 o'clock and grows
// clockwise. The fraction is drawn as given, not clamped.
class UsageRing : public QWidget {
    Q_OBJECT
  public:
    explicit UsageRing(double lineWidth, QWidget* parent = nullptr);

    void setFraction(double fraction);
    double fraction() const { return fraction_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double lineWidth_;
    double fraction_ = 0;
};
