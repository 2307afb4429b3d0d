#include "platform/AppIconProvider.h"

#include <sys/stat.h>

#include <array>
#include <string_view>

namespace platform {

QIcon DesktopIconProvider::icon(const std::string& iconValue) {
    if (iconValue.empty()) return {};
    if (iconValue.front() == '/') {
        struct stat st {};
        if (::stat(iconValue.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
        QIcon file(QString::fromStdString(iconValue));
        // An unreadable or undecodable file gives an icon without pictures.
        return file.pixmap(QSize(64, 64)).isNull() ? QIcon() : file;
    }
    std::string_view name(iconValue);
    // Entries written by hand sometimes name the file of a theme icon.
    for (std::string_view suffix : std::array<std::string_view, 3>{".png", ".svg", ".xpm"})
        if (name.size() > suffix.size() && name.ends_with(suffix)) name.remove_suffix(suffix.size());
    return QIcon::fromTheme(QString::fromUtf8(name.data(), qsizetype(name.size())));
}

} // namespace platform
