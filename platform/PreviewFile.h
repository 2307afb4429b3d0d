#pragma once

#include "platform/FolderListing.h"
#include "platform/PictureCheck.h"

#include <QImage>
#include <QMimeType>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

class QFile;

namespace platform {

// The page the preview shows for a path.
enum class PreviewPage { image, text, folder, info };

// What the choice of page looks at.
struct PreviewFacts {
    bool exists = false;
    bool isDirectory = false;
    bool readable = false;
    bool isImage = false; // QImageReader knows the format from the content, and it may be decoded
    bool isText = false;  // the content type is a kind of text/plain; never for a refused picture
};

PreviewPage choosePreviewPage(const PreviewFacts& facts);

// A path judged for the preview, away from any window: its own entry is looked at once (a link at
// the path is not followed), and a readable regular file or folder is opened once, then. Every read
// goes to what was opened, so the preview shows the very file it judged, even when the path is
// removed or replaced in between. Blocking; use it off the window's thread.
class PreviewFile {
  public:
    // An SVG of many megabytes takes gigabytes to draw; a camera writes about ten scans to a JPEG.
    static constexpr PictureBounds kPictureBounds{
        .svgBytes = 4 * 1024 * 1024, .svgElements = 200'000, .jpegScans = 64};

    explicit PreviewFile(const std::string& path);
    ~PreviewFile();
    PreviewFile(const PreviewFile&) = delete;
    PreviewFile& operator=(const PreviewFile&) = delete;

    const PreviewFacts& facts() const { return facts_; }
    PreviewPage page() const { return choosePreviewPage(facts_); }
    // As the path's entry was when judged (0 when it did not exist).
    int64_t size() const { return size_; }
    double modifiedStamp() const { return modifiedStamp_; } // seconds since 1970; 0 when unknown

    // The content type: from the name and the first bytes of the open file, by the name alone when
    // nothing is open ("inode/directory" for a folder).
    QMimeType type() const;
    // The image, scaled down so that its longest side is at most `longestSide`; null when it does not
    // decode after all, when its header declares more than kPicturePixelLimit pixels, and once `stop`
    // is requested (a PNG stops at its next row, an SVG stops drawing; other formats are not read once
    // it is).
    QImage readImage(int longestSide, std::stop_token stop = {});
    // The first `limit` bytes as UTF-8, without an incomplete character at the cut; `cut` tells
    // whether the file went on.
    QString readText(int64_t limit, bool& cut);
    FolderListing readListing(size_t limit) const;

  private:
    std::string path_;
    PreviewFacts facts_;
    std::unique_ptr<QFile> file_;   // a readable regular file
    std::optional<QByteArray> svg_; // the judged document of an SVG that may be drawn
    int folderFd_ = -1;             // a readable folder
    int64_t size_ = 0;
    double modifiedStamp_ = 0;
};

// Reading a picture costs time by the pixel, whatever its file's size (100,000 x 100,000 pixels of one
// bit compress to 1.2 MB): past 16384 x 16384 pixels, beyond any camera's sensor, it is not read. At the
// bound a PNG of 16-bit colour takes a core up to about 5 s (figures in bench/README.md).
inline constexpr int64_t kPicturePixelLimit = int64_t{1} << 28;

// The facts alone.
PreviewFacts readPreviewFacts(const std::string& path);

} // namespace platform
