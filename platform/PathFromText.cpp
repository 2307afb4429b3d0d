#include "platform/PathFromText.h"

#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace platform {

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The single entry of `folder` whose name shows as `shown`, or nothing when none or several do.
std::string entryShownAs(const std::string& folder, const QString& shown) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return {};
    std::string found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (QString::fromUtf8(entry->d_name) != shown) continue;
        found = entry->d_name;
        if (++matches > 1) return {};
    }
    return found;
}

} // namespace

std::string pathFromText(const QString& text) {
    const std::string utf8 = text.toStdString();
    if (!text.startsWith(QLatin1Char('/')) || !text.contains(QChar::ReplacementCharacter)) return utf8;
    std::string path;
    for (const QString& part : text.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const std::string folder = path.empty() ? "/" : path;
        std::string candidate = path + "/" + part.toStdString();
        if (part.contains(QChar::ReplacementCharacter) && !exists(candidate))
            if (std::string name = entryShownAs(folder, part); !name.empty()) candidate = path + "/" + name;
        path = std::move(candidate);
    }
    return path.empty() ? std::string("/") : path;
}

} // namespace platform
