#pragma once

#include <QColor>

#include <initializer_list>
#include <span>

struct Theme;

// Which ink text and symbols take on a given fill, so they read in both themes. Contrast is the WCAG
// ratio of relative luminances, from 1 (none) to 21 (black on white).
namespace contrast {

// The least contrast a line of text keeps against its fill, and a secondary line or a symbol.
constexpr double kText = 4.5;
constexpr double kSecondary = 3.0;

// WCAG relative luminance of an opaque colour (its opacity is ignored), 0 to 1.
double luminance(const QColor& color);
// The contrast between two opaque colours, 1 to 21.
double ratio(const QColor& a, const QColor& b);

// How much more than the minimum an ink keeps to be chosen.
constexpr double kDrawnMargin = 1.1;

// Whether `ink` keeps `minimum` (with the margin) against every one of the opaque `fills`.
bool reads(const QColor& ink, std::span<const QColor> fills, double minimum);

// The first of `inks` that keeps `minimum` (with the margin) against every one of the opaque `fills` (a
// translucent ink counts as it shows there); when none does, white or black, whichever keeps more.
QColor firstReadable(std::span<const QColor> fills, std::initializer_list<QColor> inks, double minimum);
QColor firstReadable(const QColor& fill, std::initializer_list<QColor> inks, double minimum);

// Label ink on canvas fills: `preferred` (the fixed dark ink when not given) wherever it reads, else the
// fixed dark ink, else its light counterpart.
QColor textInk(std::span<const QColor> fills, const QColor& preferred);
QColor textInk(std::span<const QColor> fills);
QColor textInk(const QColor& fill, const QColor& preferred);
QColor textInk(const QColor& fill);
// The same for a secondary line or a symbol, with the secondary inks first and the text inks after.
QColor secondaryInk(std::span<const QColor> fills, const QColor& preferred);
QColor secondaryInk(std::span<const QColor> fills);
QColor secondaryInk(const QColor& fill);

// A colour that means something (a category, a warning) on `fill`: itself where it keeps `minimum` (with
// the margin), else mixed towards black or white, whichever side reaches further, just far enough.
QColor shadedFor(const QColor& color, const QColor& fill, double minimum);

// The least contrast the mark of a selected or hovered item keeps against the item's fill and against
// what lies around it.
constexpr double kMark = 3.0;

// The inks of such a mark: one line where `inner` and `outer` are the same ink, else an inner line on the
// item's edge and an outer one around it.
struct MarkInks {
    QColor inner;
    QColor outer;
    bool doubled() const { return inner != outer; }
};

// The first of the theme's text, background and accent colours that keeps kMark (with the margin)
// against every one of the opaque `fills` and `surrounds`. Where none does (a fill and a surround far
// apart, or surrounds of every shade), a double rim of the text and background colours, the one that
// reads better on the fills inside.
MarkInks markInks(std::span<const QColor> fills, std::span<const QColor> surrounds, const Theme& theme);
MarkInks markInks(const QColor& fill, const QColor& surround, const Theme& theme);

} // namespace contrast
