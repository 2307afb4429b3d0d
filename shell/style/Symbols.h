#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

#include <span>

class QPainter;

// Symbols are named as in the design ("folder.fill", "magnifyingglass", "chevron.left", ...) and
// drawn as tinted glyphs of the embedded Material Icons font.
namespace symbols {

struct Entry {
    const char* name;
    char32_t codepoint; // Material Icons
};

// Every symbol name the interface uses.
std::span<const Entry> table();

// The glyph of a name as text; empty for an unknown name (nothing is drawn for it).
QString glyph(const QString& name);
bool known(const QString& name);

// Width and height of a symbol drawn beside text of `textSize` points.
QSizeF size(const QString& name, double textSize);

// Draws the symbol centred in `rect`.
void paint(QPainter& painter, const QRectF& rect, const QString& name, double textSize, const QColor& color);

} // namespace symbols
