#pragma once

#include "platform/PreviewFile.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <string>

namespace platform {

// Everything the preview window shows of a path: the page it chose and that page's content, and
// the info card's facts (kept for every page: the window's header shows the name and kind too).
struct PreviewContent {
    std::string path;
    PreviewPage page = PreviewPage::info;
    QImage image;
    QString text;
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
};

// Judges the path once (PreviewFile) and reads what its page shows. Blocking; safe on any thread.
PreviewContent loadPreview(const std::string& path);

} // namespace platform
