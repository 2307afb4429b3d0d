#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// Pictures judged from their bytes before any decoder sees them: Qt's SVG and JPEG readers can be
// neither stopped nor bounded once they start. An SVG may name a file (a FIFO) for the reader to open
// and wait on, inflate to gigabytes, or repeat one drawing through <use> until it takes hours; a JPEG may
// hold thousands of scans, each a pass over every block of the picture.
struct PictureBounds {
    size_t svgBytes = 0;    // an SVG document, after inflation
    size_t svgElements = 0; // elements drawn, each <use> counting what it repeats
    int jpegScans = 0;
};

// The SVG document that may be drawn: the bytes themselves, or inflated by us when gzip-compressed;
// nothing when it is larger than the bounds, not well-formed, or refers to anything outside itself (a
// reference that is neither "#fragment" nor an embedded PNG, GIF or judged JPEG, an <image> that is not
// such an embedded picture, an external entity, a style sheet to import). Qt's renderer would inflate a
// compressed document again, so one that inflates to another gzip stream is refused as not well-formed.
std::optional<QByteArray> judgeSvg(std::string_view bytes, const PictureBounds& bounds);

// Counts a JPEG's scans (SOS markers) from its markers, fed the file in pieces, without decoding:
// segments are skipped by their length, entropy-coded data up to the next marker, as the decoder does.
class JpegScanCounter {
  public:
    void feed(std::string_view piece);
    int scans() const { return scans_; }
    // The end of the image was reached, or a segment length that the decoder refuses too.
    bool finished() const { return state_ == State::end; }

  private:
    enum class State { seek, marker, length1, length2, skip, end };
    State state_ = State::seek;
    uint32_t remaining_ = 0;
    int scans_ = 0;
};

// Whether a JPEG's bytes hold at most `limit` scans.
bool jpegScansWithin(std::string_view bytes, int limit);

// The formats Qt's reader names that are judged here: an SVG is drawn from what judgeSvg gives (never
// by Qt's reader), a JPEG is read once its scans are counted.
bool isSvgFormat(const QByteArray& format);
bool isJpegFormat(const QByteArray& format);

} // namespace platform
