#pragma once

#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

// Label texts of the canvas views. Widths are estimated from character counts, never measured, so a
// layout's labels do not depend on the font at hand.
namespace canvas_labels {

// User-perceived characters (grapheme clusters) of a text.
int characterCount(const QString& text);

// The text cut to `budget` - 1 characters followed by "…" when it has more than `budget` characters;
// otherwise unchanged. A budget below 1 gives just "…".
QString truncated(const QString& text, int budget);

// The name line of a canvas label: initials when labels are abbreviated, else the name cut to budget.
QString nameLine(const QString& name, int budget, bool abbreviate);

// Draws one line of text whose left end of the vertical centre line is `anchor`.
void drawLeading(QPainter& painter, QPointF anchor, const QString& text);
// Draws one line of text centred on `centre`.
void drawCentred(QPainter& painter, QPointF centre, const QString& text);

} // namespace canvas_labels
