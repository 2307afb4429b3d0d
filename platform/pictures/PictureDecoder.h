#pragma once

#include "platform/pictures/PictureCheck.h"

#include <QImage>

#include <chrono>
#include <cstdint>
#include <stop_token>

class QIODevice;

namespace platform {

// What a picture is decoded for: the longest side it is shown at and the bounds it is judged by.
struct PictureRequest {
    int longestSide = 0;
    PictureBounds bounds;
    // An SVG's drawing is given up after this long (zero: not limited here).
    std::chrono::milliseconds svgBudget{0};
};

// Reading a picture costs time by the pixel, whatever its file's size (100,000 x 100,000 pixels of one
// bit compress to 1.2 MB): past 16384 x 16384 pixels, beyond any camera's sensor, it is not read. At the
// bound a PNG of 16-bit colour takes a core up to about 5 s (figures in bench/README.md).
inline constexpr int64_t kPicturePixelLimit = int64_t{1} << 28;

// The picture in `file` (read from its start), judged first (PictureCheck) and scaled down so that its
// longest side is at most `request.longestSide`. Null when no reader knows its format, when the check or
// the bounds refuse it, when its header declares more than kPicturePixelLimit pixels, when it does not
// decode, and once `stop` is requested (a PNG stops at its next row, an SVG stops drawing, a JPEG's
// scans stop being counted). Blocking.
QImage decodePicture(QIODevice& file, const PictureRequest& request, std::stop_token stop = {});

} // namespace platform
