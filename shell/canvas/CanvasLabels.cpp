#include "shell/canvas/CanvasLabels.h"

#include "shell/style/Palette.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>

namespace canvas_labels {

namespace {

bool isPlainAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

} // namespace

int characterCount(const QString& text) {
    // Most names are ASCII: one character per code unit, no boundary search needed.
    if (isPlainAscii(text)) return int(text.size());
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

QString truncated(const QString& text, int budget) {
    if (characterCount(text) <= budget) return text;
    const int keep = budget - 1;
    if (keep <= 0) return QStringLiteral("…");
    if (isPlainAscii(text)) return text.left(keep) + QStringLiteral("…");
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int i = 0; i < keep; ++i)
        end = finder.toNextBoundary();
    return text.left(end) + QStringLiteral("…");
}

QString nameLine(const QString& name, int budget, bool abbreviate) {
    return abbreviate ? palette::initials(name) : truncated(name, budget);
}

void drawLeading(QPainter& painter, QPointF anchor, const QString& text) {
    const QFontMetricsF metrics(painter.font());
    // The baseline sits so that the glyph box (ascent over descent) is centred on the anchor.
    const double baseline = anchor.y() + (metrics.ascent() - metrics.descent()) / 2.0;
    painter.drawText(QPointF(anchor.x(), baseline), text);
}

void drawCentred(QPainter& painter, QPointF centre, const QString& text) {
    const QFontMetricsF metrics(painter.font());
    const double width = metrics.horizontalAdvance(text);
    drawLeading(painter, QPointF(centre.x() - width / 2.0, centre.y()), text);
}

} // namespace canvas_labels
