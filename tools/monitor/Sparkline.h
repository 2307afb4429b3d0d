#pragma once

#include "shell/style/Theme.h"

#include <QPolygonF>
#include <QWidget>

#include <optional>
#include <vector>

// A line of values, oldest at the left edge and newest at the right, over a fill that fades downwards.
// The top edge stands for `maxValue` (at least 1), or without one for the largest value; values are
// not clamped. Fewer than two values draw nothing. As wide as it is given; callers fix the height.
class Sparkline : public QWidget {
    Q_OBJECT
  public:
    Sparkline(QColor Theme::*color, std::optional<double> maxValue, QWidget* parent = nullptr);

    void setValues(const std::vector<double>& values);
    const std::vector<double>& values() const { return values_; }

    // The line's points in a `size` area: point i at x = i * w / (n - 1), y = (1 - value / scale) * h.
    static QPolygonF points(const std::vector<double>& values, std::optional<double> maxValue, QSizeF size);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor Theme::*color_;
    std::optional<double> maxValue_;
    std::vector<double> values_;
};
