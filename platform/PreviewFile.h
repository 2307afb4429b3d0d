#pragma once

#include "platform/FolderListing.h"
#include "platform/PictureWorker.h"

#include <QImage>
#include <QMimeType>
#include <QString>

#include <cstdint>
#include <memory>
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
    bool isImage = false; // the content type is one Qt's image readers name (the worker decides)
    bool isText = false;  // the content type is a kind of text/plain
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
    // The slowest ordinary picture (a 16-bit PNG of 100 megapixels) takes its worker 1.1 - 1.3 s, several
    // times that on a loaded machine; a drawing that takes longer, or more than 1 GiB, is not one anyone
    // waits for (figures in bench/README.md).
    static constexpr PictureWorker::Limits kWorkerLimits{.time =
                                                             std::chrono::seconds(15) * kSanitizerSlowdown};

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
    // The image, scaled down so that its longest side is at most `longestSide`, as a picture worker of its
    // own decodes it (within kPictureBounds and `limits`); null when it is refused, does not decode after
    // all or passes the limits, and once `stop` is requested (the worker is then ended at once).
    QImage readImage(int longestSide, std::stop_token stop = {},
                     const PictureWorker::Limits& limits = kWorkerLimits);
    // The first `limit` bytes as UTF-8, without an incomplete character at the cut; `cut` tells
    // whether the file went on.
    QString readText(int64_t limit, bool& cut);
    FolderListing readListing(size_t limit) const;

  private:
    std::string path_;
    PreviewFacts facts_;
    std::unique_ptr<QFile> file_; // a readable regular file
    int folderFd_ = -1;           // a readable folder
    int64_t size_ = 0;
    double modifiedStamp_ = 0;
};

// The facts alone.
PreviewFacts readPreviewFacts(const std::string& path);

} // namespace platform
