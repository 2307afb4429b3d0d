#include "platform/AppIconProvider.h"

#include "platform/FileIO.h"
#include "platform/pictures/PictureDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QIcon>

#include <array>
#include <string_view>

namespace platform {
namespace {

std::vector<std::string> localPaths(const QStringList& paths) {
    std::vector<std::string> out;
    for (const QString& path : paths)
        if (path.startsWith(QLatin1Char('/'))) out.push_back(QFile::encodeName(path).toStdString());
    return out;
}

IconThemeSearch desktopSearch() {
    IconThemeSearch search;
    search.folders = localPaths(QIcon::themeSearchPaths());
    for (const QString& theme : {QIcon::themeName(), QIcon::fallbackThemeName()})
        if (!theme.isEmpty()) search.themes.push_back(QFile::encodeName(theme).toStdString());
    search.fallbackFolders = localPaths(QIcon::fallbackSearchPaths());
    return search;
}

} // namespace

DesktopIconProvider::DesktopIconProvider()
    : search_(desktopSearch()), themes_(std::make_shared<const IconThemes>(search_, kFileLimit)) {}

void DesktopIconProvider::newListing() {
    auto fresh = std::make_shared<const IconThemes>(search_, kFileLimit);
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
    auto content = readRegularFile(path, kFileLimit, Links::follow);
    if (!content) return {};
    QByteArray bytes = QByteArray::fromRawData(content->data(), qsizetype(content->size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return decodePicture(buffer,
                         {.longestSide = kLargest, .bounds = kPictureBounds, .svgBudget = kSvgBudget});
}

} // namespace platform
