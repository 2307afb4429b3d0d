#pragma once

#include "platform/PreviewFile.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <stop_token>
#include <string>

namespace platform {

// Everything the preview window shows of a path: the page it chose and that page's content, and
// the info card's facts (kept for every page: the window's header shows the name and kind too).
struct PreviewContent {
    std::string path;
    PreviewPage page = PreviewPage::info;
    QImage image;
    QString text;          // mark runs cut after kMarkRunLimit, lines broken at kLineLimit
    bool textCut = false;  // the file is longer than what is shown
    FolderListing listing; // at most kListingLimit entries, and the folder's count
    QString name;
    QString kind;     // the content type's description
    QString iconName; // freedesktop icon name of the content type
    bool exists = false;
    bool isDirectory = false;
    int64_t size = 0;
    double modifiedStamp = 0; // seconds since 1970; 0 when unknown

    static constexpr int64_t kTextLimit = 256 * 1024;
    static constexpr size_t kListingLimit = 2000;
    static constexpr int kImageLimit = 4096; // longest side an image is decoded at
    // Marks on one character, as many as any script stacks: a longer run is laid out as one cluster,
    // at a cost that grows with the square of its length (a letter under 130,000 accents holds the
    // window for seconds).
    static constexpr int kMarkRunLimit = 8;
    // Characters on one shown line: a line is laid out whole, and a file of one 256 KiB line would
    // hold the window a second; broken here, it costs what ordinary text does.
    static constexpr int kLineLimit = 1024;
};

// Judges the path once (PreviewFile) and reads what its page shows. Blocking; safe on any thread.
// Once `stop` is requested it reads no further (a picture's worker is ended) and returns an empty
// content, not to be shown.
// A picture is decoded by a worker process within `limits`.
PreviewContent loadPreview(const std::string& path, std::stop_token stop = {},
                           const PictureWorker::Limits& limits = PreviewFile::kWorkerLimits);

} // namespace platform
