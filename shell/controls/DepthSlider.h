#pragma once

#include <QWidget>

// A slider over whole depths 2 to 10, drawn in the theme's colours.
class DepthSlider : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMinimum = 2;
    static constexpr int kMaximum = 10;

    explicit DepthSlider(QWidget* parent = nullptr);
    int value() const { return value_; }
    void setValue(int value); // clamped; no signal
    int valueAt(double x) const;

  signals:
    void valueChanged(int value); // by the user

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void drag(double x);
    double knobX() const;

    int value_ = 7;
    bool dragging_ = false;
};
