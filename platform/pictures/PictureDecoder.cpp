#include "platform/pictures/PictureDecoder.h"

#include "platform/pictures/ScaledPng.h"
#include "platform/pictures/SvgRender.h"

#include <QIODevice>
#include <QImageReader>

#include <algorithm>

namespace platform {
namespace {

// Whether a JPEG's scans are within the bound, read a piece at a time up to its end or past the bound;
// not when its image goes on past kJpegByteLimit bytes.
bool scansWithin(QIODevice& file, int limit, const std::stop_token& stop) {
    JpegScanCounter counter;
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    int64_t read = 0;
    while (!counter.finished() && counter.scans() <= limit) {
        if (stop.stop_requested() || read >= kJpegByteLimit) return false;
        const qint64 got = file.read(piece.data(), std::min<int64_t>(piece.size(), kJpegByteLimit - read));
        if (got <= 0) break;
        read += got;
        counter.feed({piece.constData(), size_t(got)});
    }
    return counter.scans() <= limit;
}

// `size` scaled down to `longestSide` on its longest side, its proportions kept, at least a pixel on the
// other: a line of 6000 x 1 is still drawn.
QSize fitted(QSize size, int longestSide) {
    return size.scaled(longestSide, longestSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

} // namespace

QImage decodePicture(QIODevice& file, const PictureRequest& request, std::stop_token stop) {
    if (request.longestSide <= 0 || !file.seek(0)) return {};
    QByteArray format;
    {
        QImageReader probe(&file);
        probe.setDecideFormatFromContent(true);
        if (!probe.canRead()) return {};
        format = probe.format();
    }
    // Judged before any decoder sees it.
    if (isSvgFormat(format)) {
        file.seek(0);
        const QByteArray bytes = file.read(qint64(request.bounds.svgBytes) + 1);
        const auto document = judgeSvg({bytes.constData(), size_t(bytes.size())}, request.bounds);
        if (!document) return {};
        const auto deadline = request.svgBudget.count() > 0
                                  ? std::chrono::steady_clock::now() + request.svgBudget
                                  : std::chrono::steady_clock::time_point::max();
        return renderSvg(*document, request.longestSide, std::move(stop), deadline);
    }
    if (isJpegFormat(format)) {
        file.seek(0);
        if (!scansWithin(file, request.bounds.jpegScans, stop)) return {};
    }
    file.seek(0);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const int longestSide = request.longestSide;
    if (size.isValid() && int64_t(size.width()) * size.height() > kPicturePixelLimit) return {};
    const bool large = size.isValid() && std::max(size.width(), size.height()) > longestSide;
    // Qt decodes a PNG at full size before scaling it (8 bytes a pixel at 16 bits per channel), past its
    // allocation limit for a large photo: ours scales row by row instead.
    const bool rowByRow = large && reader.format() == "png";
    if (large && !rowByRow) reader.setScaledSize(fitted(size, longestSide));
    if (stop.stop_requested()) return {};
    QImage image;
    if (rowByRow) {
        file.seek(0);
        image = readScaledPng(file, fitted(size, longestSide), stop);
    } else {
        image = reader.read();
    }
    // A header may under-report what its frames decode to (a GIF's logical screen), and the PNG reader
    // shrinks a side at most so far: scale what came out.
    if (std::max(image.width(), image.height()) > longestSide)
        image =
            image.scaled(fitted(image.size(), longestSide), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace platform
