#include "tools/monitor/SegmentedBar.h"

#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Theme.h"
#include "tools/monitor/MonitorCard.h"

#include <algorithm>
#include <cmath>

SegmentedBar::SegmentedBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    makeOpaqueOnCard(this);
}

void SegmentedBar::setSegments(std::vector<Segment> segments, double total) {
    const bool same = total == total_ && segments.size() == segments_.size() &&
                      std::equal(segments.begin(), segments.end(), segments_.begin(),
                                 [](auto& a, auto& b) { return a.value == b.value && a.color == b.color; });
    if (same) return;
    segments_ = std::move(segments);
    total_ = total;
    update();
}

std::vector<double> SegmentedBar::widths(const std::vector<double>& values, double total, double width) {
    std::vector<double> out;
    out.reserve(values.size());
    for (double v : values) {
        const double w = v / total * width;
        out.push_back(std::isfinite(w) ? std::max(0.0, w) : 0.0);
    }
    return out;
}

void SegmentedBar::paintEvent(QPaintEvent*) {
    SmoothPainter painter(this);
    paintCardUnder(painter, this);
    const QRectF bar(0, 0, width(), height());
    painter.setClipPath(shapes::capsule(bar));
    std::vector<double> values;
    for (const Segment& s : segments_)
        values.push_back(s.value);
    const std::vector<double> w = widths(values, total_, bar.width());
    const Theme& t = theme();
    double x = 0;
    for (size_t i = 0; i < segments_.size(); ++i) {
        if (w[i] > 0)
            painter.fillPath(shapes::capsule(QRectF(x, 0, w[i], bar.height())), segments_[i].color(t));
        x += w[i] + kSpacing;
    }
}
