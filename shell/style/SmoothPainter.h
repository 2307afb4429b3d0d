#pragma once

#include <QPainter>

// A painter with anti-aliased shapes and text, as everything in the window is painted.
class SmoothPainter : public QPainter {
  public:
    explicit SmoothPainter(QPaintDevice* device) : QPainter(device) {
        setRenderHint(Antialiasing);
        setRenderHint(TextAntialiasing);
    }
};
