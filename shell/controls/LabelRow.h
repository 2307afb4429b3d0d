#pragma once

#include "shell/style/Symbols.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <algorithm>

// A symbol and a text side by side, centred as one row; either may be empty. The text is elided at
// the right when the rectangle is too narrow.
struct LabelRow {
    QString symbol;
    double symbolSize = 0;
    QString text;
    QFont font;
    double spacing = 0;

    double symbolWidth() const { return symbol.isEmpty() ? 0 : symbols::size(symbol, symbolSize).width(); }
    double textWidth() const { return text.isEmpty() ? 0 : QFontMetricsF(font).horizontalAdvance(text); }
    double width() const {
        const double s = symbolWidth(), t = textWidth();
        return s + t + (s > 0 && t > 0 ? spacing : 0);
    }

    // `textOpacity` fades the text alone (a title coming or going beside its symbol).
    void paint(QPainter& painter, const QRectF& rect, const QColor& color, double textOpacity = 1.0) const {
        const double s = symbolWidth(), t = textWidth();
        double x = rect.center().x() - width() / 2;
        if (s > 0) {
            symbols::paint(painter, QRectF(x, rect.top(), s, rect.height()), symbol, symbolSize, color);
            x += s + (t > 0 ? spacing : 0);
        }
        if (t > 0 && textOpacity > 0) {
            const QFontMetricsF metrics(font);
            const double baseline = rect.center().y() + (metrics.ascent() - metrics.descent()) / 2;
            const double opacity = painter.opacity();
            painter.setOpacity(opacity * textOpacity);
            painter.setFont(font);
            painter.setPen(color);
            const QString shown = metrics.elidedText(text, Qt::ElideRight, std::max(0.0, rect.right() - x));
            painter.drawText(QPointF(x, baseline), shown);
            painter.setOpacity(opacity);
        }
    }
};
