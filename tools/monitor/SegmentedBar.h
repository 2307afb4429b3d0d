#pragma once

#include <QColor>
#include <QWidget>

#include <vector>

struct Theme;

// A bar of capsules side by side, 2 points apart, each value / total of the bar's width (never
// negative), clipped to the bar's capsule: when the values add up to the total the gaps push the last
// one past the end, where the clip trims it. As wide as it is given; callers fix the height.
class SegmentedBar : public QWidget {
    Q_OBJECT
  public:
    using ColorOf = QColor (*)(const Theme&);
    struct Segment {
        double value = 0;
        ColorOf color = nullptr;
    };

    explicit SegmentedBar(QWidget* parent = nullptr);

    void setSegments(std::vector<Segment> segments, double total);

    static constexpr double kSpacing = 2;
    // The segments' widths in a bar `width` long.
    static std::vector<double> widths(const std::vector<double>& values, double total, double width);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<Segment> segments_;
    double total_ = 1;
};
