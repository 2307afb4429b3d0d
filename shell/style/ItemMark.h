#pragma once

#include "shell/style/Contrast.h"

#include <QPainterPath>

#include <span>

class QPainter;
struct Theme;

// The rim a canvas draws around its selected or hovered item, in the inks of contrast::markInks for the
// item's fill and what lies around it: every canvas marks its items the same way, in both themes.
class ItemMark {
  public:
    // A single line, half on the item and half around it.
    static constexpr double kWidth = 2;
    // Each line of a double rim: the inner one wholly on the item, the outer one wholly around it.
    static constexpr double kDoubleWidth = 1.5;

    ItemMark(std::span<const QColor> fills, std::span<const QColor> surrounds, const Theme& theme);
    ItemMark(const QColor& fill, const QColor& surround, const Theme& theme);

    // Draws the rim along the edge of the closed `shape`.
    void paint(QPainter& painter, const QPainterPath& shape) const;

    // An item as a pointer or the selection marks it: `shape` darkened by `tint` (a hover's; none when
    // transparent), then rimmed for the fill the tint leaves of `fill` and for `surrounds`.
    static void paintTinted(QPainter& painter, const QPainterPath& shape, const QColor& tint,
                            const QColor& fill, std::span<const QColor> surrounds, const Theme& theme);

  private:
    contrast::MarkInks inks_;
};
