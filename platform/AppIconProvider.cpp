#include "platform/AppIconProvider.h"

#include <QFile>
#include <QIcon>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <string_view>

namespace platform {
namespace {

// The theme in use is Qt's; the folders are looked up anew (QIcon::themeSearchPaths keeps those that
// existed when it was first asked).
std::shared_ptr<const IconThemes> desktopThemes(uint64_t fileLimit) {
    std::vector<std::string> themes;
    for (const QString& theme : {QIcon::themeName(), QIcon::fallbackThemeName()})
        if (!theme.isEmpty()) themes.push_back(QFile::encodeName(theme).toStdString());
    return std::make_shared<const IconThemes>(desktopIconSearch(std::move(themes)), fileLimit);
}

} // namespace

DesktopIconProvider::DesktopIconProvider(PictureWorker::Limits limits, std::string worker)
    : themes_(desktopThemes(kFileLimit)), workers_(limits, std::move(worker)) {}

void DesktopIconProvider::endWorkers() {
    workers_.endAll();
}

void DesktopIconProvider::newListing() {
    // A worker takes a start of Qt, overlapped with the screen's first frame this way.
    workers_.startAhead(kLookupThreads);
    auto fresh = desktopThemes(kFileLimit);
    std::lock_guard lock(mutex_);
    themes_ = std::move(fresh);
}

std::shared_ptr<const IconThemes> DesktopIconProvider::themes() const {
    std::lock_guard lock(mutex_);
    return themes_;
}

QImage DesktopIconProvider::image(const std::string& iconValue) {
    if (iconValue.empty()) return {};
    std::string path = iconValue;
    if (iconValue.front() != '/') {
        std::string_view name(iconValue);
        // Entries written by hand sometimes name the file of a theme icon.
        for (std::string_view suffix : std::array<std::string_view, 3>{".png", ".svg", ".xpm"})
            if (name.size() > suffix.size() && name.ends_with(suffix)) name.remove_suffix(suffix.size());
        path = themes()->find(name, kSize);
        if (path.empty()) return {};
    } else if (!isSmallRegularFile(path, kFileLimit)) {
        return {}; // a device named by path is never opened: that alone resets some
    }
    // Theme icons are often links into another theme, so links are followed; what they lead to must
    // still be a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat st {};
    QImage picture;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= kFileLimit)
        picture =
            workers_.decode(fd, {.longestSide = kLargest, .bounds = kPictureBounds, .svgBudget = kSvgBudget});
    ::close(fd);
    return picture;
}

} // namespace platform
