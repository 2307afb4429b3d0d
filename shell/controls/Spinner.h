#pragma once

#include <QRectF>
#include <QWidget>

class QPainter;
class QTimer;

// The indeterminate progress indicator: twelve spokes in the theme's secondary text colour, the
// brightest one going round once a second. The scanning screen shows the regular size (32); busy
// states in headers and rows show the small one (16). It turns only while it is shown, and stands
// still while animations are off (tests).
class Spinner : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kRegular = 32, kSmall = 16;

    explicit Spinner(int diameter = kRegular, QWidget* parent = nullptr);

    // The leading spoke, 0 to 11.
    int step() const { return step_; }

    // Draws the spokes centred in `rect` with `step` leading: for rows that paint a spinner
    // themselves (and step it with a timer of kStepMs).
    static void paint(QPainter& painter, const QRectF& rect, int step);
    static constexpr int kStepMs = 83;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QTimer* timer_;
    int step_ = 0;
};
