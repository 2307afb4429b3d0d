#pragma once

#include "platform/IconTheme.h"
#include "platform/PictureWorkers.h"

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
    // Lookups at once: a slow disk holds back one of them, not every icon (AppIconCache's threads).
    static constexpr int kLookupThreads = 2;

    virtual ~AppIconProvider() = default;
    // The picture of an Icon value: an absolute file path, or a name in the desktop's icon theme (a
    // trailing ".png", ".svg" or ".xpm" ignored). A null image when nothing usable is found. Called on
    // worker threads, several at once; it must never wait on a special file.
    virtual QImage image(const std::string& iconValue) = 0;
    // A new listing of the applications begins: what was read of the desktop's icon themes may be stale
    // (an app installed meanwhile may have added its icons), and lookups will follow. Main thread.
    virtual void newListing() {}
    // Ends what lookups keep running between them (the picture workers): lookups under way give a null
    // image at once, later ones start afresh. Any thread.
    virtual void endWorkers() {}
};

// The desktop's icons: names through the icon theme QIcon uses, in the desktop's icon folders
// (desktopIconSearch), looked for anew with each listing, as each theme's index is read once per listing. A
// file is opened only once it is known to be a regular file of at most kFileLimit bytes, opened without
// waiting, and handed to one of the provider's picture workers, which judges and decodes it; anything else
// gives a null image. An SVG's drawing is given up after kSvgBudget, and a worker that takes longer than its
// limits' time is ended: an icon never holds a thread for long.
class DesktopIconProvider final : public AppIconProvider {
  public:
    static constexpr size_t kFileLimit = 4 * 1024 * 1024;
    static constexpr int kSize = 72;     // the row's 36-point icon on a 2x screen: the theme size sought
    static constexpr int kLargest = 256; // larger pictures are scaled down to this as they are decoded
    // Icons are kilobytes.
    static constexpr PictureBounds kPictureBounds{
        .svgBytes = 256 * 1024, .svgElements = 20'000, .jpegScans = 64};
    static constexpr std::chrono::milliseconds kSvgBudget{500};
    // An icon is kilobytes: decoded in milliseconds, a drawing given up after kSvgBudget.
    static constexpr PictureWorker::Limits kWorkerLimits{.time =
                                                             std::chrono::seconds(1) * kSanitizerSlowdown};

    // Main thread: takes QIcon's theme name (and so does newListing).
    explicit DesktopIconProvider(PictureWorker::Limits limits = kWorkerLimits,
                                 std::string worker = PictureWorker::besideThisProgram());
    QImage image(const std::string& iconValue) override;
    void newListing() override;
    void endWorkers() override;

  private:
    std::shared_ptr<const IconThemes> themes() const;

    mutable std::mutex mutex_; // guards themes_, replaced by newListing while lookups run
    std::shared_ptr<const IconThemes> themes_;
    PictureWorkers workers_;
};

} // namespace platform
