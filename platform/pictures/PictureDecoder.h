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

// A JPEG's scans are counted from its bytes up to the end of its image before it is read; the count gives
// up past this many bytes, and the picture is not read. Cameras' finest JPEGs take 3 to 5 bits a pixel (a
// 45-megapixel photo 20 to 25 MB, a 100-megapixel one about 60 MB); at a whole byte a pixel, a panorama of
// kPicturePixelLimit pixels takes 256 MiB. A disk image of zeros behind a JPEG's header is not read on.
inline constexpr int64_t kJpegByteLimit = kPicturePixelLimit;

// The picture in `file` (read from its start), judged first (PictureCheck) and scaled down so that its
// longest side is at most `request.longestSide` (its other side at least a pixel). Null when no reader
// knows its format, when the check or the bounds refuse it, when its header declares more than
// kPicturePixelLimit pixels, when it does not decode, and once `stop` is requested (a PNG stops at its
// next row, an SVG stops drawing, a JPEG's scans stop being counted). Blocking.
QImage decodePicture(QIODevice& file, const PictureRequest& request, std::stop_token stop = {});

} // namespace platform
