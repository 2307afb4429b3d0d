#pragma once

#include <QByteArray>
#include <QImage>

#include <chrono>
#include <stop_token>

namespace platform {

// Draws an SVG document (one judgeSvg let through) at its own size, scaled down so that its longest
// side is at most `longestSide`. Qt's renderer cannot be interrupted, so it draws onto a device whose
// engine hands each call to the picture until `stop` is requested or `deadline` passes, and drops every
// later one: the rest of the document is walked without drawing. Null when stopped before the end, or
// when the document has no size or does not load. Blocking; any thread.
QImage
renderSvg(const QByteArray& document, int longestSide, std::stop_token stop = {},
          std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

} // namespace platform
