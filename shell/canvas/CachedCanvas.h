#pragma once

#include "shell/canvas/CanvasKeys.h"

#include <QImage>

#include <functional>
#include <optional>

class QPainter;

// A drawing kept in an image and redrawn only when its CanvasKey changes (or the pixel ratio does,
// when the window moves to another screen). The image is transparent where nothing is drawn; the
// painter handed to `draw` paints on it (a QImage in Format_ARGB32_Premultiplied), so a view may
// also write its pixels directly.
class CachedCanvas {
  public:
    using Draw = std::function<void(QPainter& painter, QSizeF size)>;

    // Draws the picture at `topLeft` of `painter`, first redrawing it with `draw` when needed.
    // Returns true when it redrew.
    bool paint(QPainter& painter, const CanvasKey& key, QSize size, const Draw& draw, QPointF topLeft = {});
    // Redraws the picture with `draw` when needed, without painting it anywhere. Returns true when it
    // redrew.
    bool refresh(const CanvasKey& key, QSize size, qreal ratio, const Draw& draw);
    // The picture as last drawn (null before the first drawing, or of an empty size).
    const QImage& picture() const { return picture_; }
    void invalidate();
    const std::optional<CanvasKey>& key() const { return key_; }

  private:
    std::optional<CanvasKey> key_;
    QImage picture_;
    QSize size_;
    qreal ratio_ = 0;
};
