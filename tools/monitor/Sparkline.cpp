#include "tools/monitor/Sparkline.h"

#include "shell/style/SmoothPainter.h"
#include "tools/monitor/MonitorCard.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>

Sparkline::Sparkline(QColor Theme::*color, std::optional<double> maxValue, QWidget* parent)
    : QWidget(parent), color_(color), maxValue_(maxValue) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    makeOpaqueOnCard(this);
}

void Sparkline::setValues(const std::vector<double>& values) {
    if (values == values_) return;
    values_ = values;
    update();
}

QPolygonF Sparkline::points(const std::vector<double>& values, std::optional<double> maxValue, QSizeF size) {
    QPolygonF line;
    if (values.size() < 2) return line;
    const double largest = maxValue ? *maxValue : *std::max_element(values.begin(), values.end());
    const double scale = std::max(1.0, largest);
    const double n = double(values.size() - 1);
    line.reserve(qsizetype(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        line.append(QPointF(double(i) * size.width() / n, (1 - values[i] / scale) * size.height()));
    return line;
}

void Sparkline::paintEvent(QPaintEvent*) {
    SmoothPainter painter(this);
    paintCardUnder(painter, this);
    const QPolygonF line = points(values_, maxValue_, size());
    if (line.isEmpty()) return;
    const QColor color = theme().*color_;
    QPainterPath area;
    area.addPolygon(line);
    area.lineTo(width(), height());
    area.lineTo(0, height());
    area.closeSubpath();
    area.setFillRule(Qt::WindingFill);
    QLinearGradient fade(0, 0, 0, height());
    QColor top = color, bottom = color;
    top.setAlphaF(0.2f);
    bottom.setAlphaF(0);
    fade.setColorAt(0, top);
    fade.setColorAt(1, bottom);
    // Its top edge lies under the line and the others on pixel edges: no antialiasing needed, which
    // makes the fill several times cheaper.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(area, fade);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Segments with square ends rather than one joined polyline: the same look at this width, drawn by
    // the rasterizer's line path instead of a stroked outline (several times faster for 120 points).
    std::vector<QLineF> segments;
    segments.reserve(size_t(line.size()));
    for (qsizetype i = 1; i < line.size(); ++i)
        segments.emplace_back(line[i - 1], line[i]);
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::SquareCap));
    painter.drawLines(segments.data(), int(segments.size()));
}
