#pragma once

#include "shell/style/Motion.h"

#include <QImage>

class QPainter;
class QRect;
class QWidget;

// A cross-fade from the picture a canvas showed to the one it shows now (another colour mode, labels
// cut to initials or not). Both are finished pictures: each frame only blends the two over the area
// it repaints, so a fade never lays out or draws the canvas again.
class PictureFade {
  public:
    // Fades from `from` (what the canvas showed until now) to whatever it draws next, on `owner`'s
    // clock, repainting `owner` at each step. A fade under way is replaced; with animations off, or a
    // curve of no length, nothing fades.
    void start(QImage from, QWidget* owner, const motion::Curve& curve);
    void stop();
    bool isRunning() const { return !from_.isNull(); }
    // 0 at the start, 1 at the end.
    double progress() const { return progress_; }

    // Paints the blend of the old picture and `to` over `area` (logical coordinates, the same in the
    // pictures and in `painter`). False, drawing nothing, when no fade runs or `to` is not of the old
    // picture's size: the caller then draws `to` itself.
    bool paint(QPainter& painter, const QImage& to, const QRect& area);
    // The whole blend as it shows now: where a fade that replaces this one starts from.
    QImage current(const QImage& to) const;

  private:
    bool matches(const QImage& to) const;
    // The old picture and `to` mixed by the progress over `pixels` (device pixels of both), into `out`:
    // premultiplied, so a pixel drawn in one picture and clear in the other fades as it should.
    void blend(const QImage& to, const QRect& pixels, QImage& out) const;

    QImage from_;
    QImage scratch_; // one repainted area's blend, reused from frame to frame
    double progress_ = 1;
};
