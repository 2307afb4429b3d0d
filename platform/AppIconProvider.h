#pragma once

#include "platform/IconTheme.h"
#include "platform/pictures/PictureCheck.h"

#include <QImage>

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

// Finds the picture a desktop entry's Icon value names. The applications screen asks through this
// interface, so tests can stand a fake in its place.
class AppIconProvider {
  public:
    virtual ~AppIconProvider() = default;
    // The picture of an Icon value: an absolute file path, or a name in the desktop's icon theme (a
    // trailing ".png", ".svg" or ".xpm" ignored). A null image when nothing usable is found. Called on
    // worker threads, several at once; it must never wait on a special file.
    virtual QImage image(const std::string& iconValue) = 0;
    // A new listing of the applications begins: what was read of the desktop's icon themes may be stale
    // (an app installed meanwhile may have added its icons). Main thread.
    virtual void newListing() {}
};

// The desktop's icons: names through the icon theme QIcon uses, as it is when the provider is made (each
// theme's index is read once per listing). A file is read only once it is known to be a regular file of
// at most kFileLimit bytes, opened without waiting, and decoded by decodePicture (judged first); anything
// else gives a null image. An SVG's drawing is given up after kSvgBudget: an icon never holds a thread
// for long.
class DesktopIconProvider final : public AppIconProvider {
  public:
    static constexpr size_t kFileLimit = 4 * 1024 * 1024;
    static constexpr int kSize = 72;     // the row's 36-point icon on a 2x screen: the theme size sought
    static constexpr int kLargest = 256; // larger pictures are scaled down to this as they are decoded
    // Icons are kilobytes.
    static constexpr PictureBounds kPictureBounds{
        .svgBytes = 256 * 1024, .svgElements = 20'000, .jpegScans = 64};
    static constexpr std::chrono::milliseconds kSvgBudget{500};

    // Main thread: takes QIcon's theme settings.
    DesktopIconProvider();
    QImage image(const std::string& iconValue) override;
    void newListing() override;

  private:
    std::shared_ptr<const IconThemes> themes() const;

    IconThemeSearch search_;
    mutable std::mutex mutex_; // guards themes_, replaced by newListing while lookups run
    std::shared_ptr<const IconThemes> themes_;
};

} // namespace platform
