#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;
struct Theme;

// Rounded shapes with continuous (smoothed) corners, strokes drawn inside their edge, and the card
// background every card, chip and outlined control shares.
namespace shapes {

// A rectangle whose corners ease into the straight edges instead of meeting them as circular arcs.
QPainterPath continuousRoundedRect(const QRectF& rect, double radius);
// Fully rounded ends.
QPainterPath capsule(const QRectF& rect);

// Fills the rounded rectangle.
void fill(QPainter& painter, const QRectF& rect, double radius, const QColor& color);
// Strokes the rounded rectangle with a line that lies wholly inside `rect`.
void strokeInside(QPainter& painter, const QRectF& rect, double radius, const QColor& color,
                  double lineWidth = 1.0);

// The card background: `card` fill and a one-point `border` stroke inside the edge.
void paintCardBackground(QPainter& painter, const QRectF& rect, double radius, const Theme& theme);

// A soft drop shadow of a rounded rectangle (blur radius and offset in points), painted under it.
void paintShadow(QPainter& painter, const QRectF& rect, double radius, const QColor& color, double blurRadius,
                 QPointF offset);
// The same for any closed path.
void paintShadow(QPainter& painter, const QPainterPath& path, const QColor& color, double blurRadius,
                 QPointF offset);

} // namespace shapes
