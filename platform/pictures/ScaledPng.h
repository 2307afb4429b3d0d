#pragma once

#include <QImage>
#include <QSize>

#include <stop_token>

class QIODevice;

namespace platform {

// Reads a PNG from the device's current position a row at a time, averaging the rows into a picture
// of `target` as they arrive, so that memory holds the scaled picture and one row, whatever the PNG's
// size or depth (16 bits per channel are read as 8). An interlaced PNG sends its pixels in seven passes
// over the whole picture, so its sums are kept for every target pixel: it comes out no larger than
// kInterlacedPixels. Never larger than the PNG, nor smaller than 1/2048 of it on a side. Null when the
// PNG does not decode or is longer than 1,000,000 pixels on a side. Blocking; once `stop` is requested
// it reads no further row and returns null.
QImage readScaledPng(QIODevice& device, QSize target, std::stop_token stop = {});

inline constexpr qint64 kInterlacedPixels = 4'000'000;

} // namespace platform
