#include "model/StoredSettings.h"

#include "platform/FileIO.h"
#include "platform/Paths.h"

#include <QFile>
#include <QSettings>
#include <QVariant>

#include <sys/stat.h>

#include <atomic>
#include <cerrno>

namespace stored_settings {

namespace {

constexpr const char* kRecentsKey = "recentScans";
constexpr const char* kThemeKey = "theme";
constexpr size_t kRecentLimit = 5;

std::atomic<bool> fileUsed = true;

QSettings settings() {
    return QSettings(QStringLiteral("Brenwick"), QStringLiteral("Brenwick"));
}

// A stored path: its bytes as written, or (from earlier versions) its text.
std::optional<std::string> storedPath(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray) return value.toByteArray().toStdString();
    if (value.typeId() == QMetaType::QString) return QFile::encodeName(value.toString()).toStdString();
    return std::nullopt;
}

} // namespace

bool useFolder(const std::string& configFolder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QFile::decodeName(configFolder.c_str()));
    const std::string file = configFolder + "/Brenwick/Brenwick.conf";
    struct stat st {};
    // Absent, QSettings creates it on the first write; anything at the path (a dangling link too) must
    // read as a regular file.
    const bool absent = lstat(file.c_str(), &st) != 0 && errno == ENOENT;
    fileUsed = absent || platform::readRegularFile(file, kFileLimit, platform::Links::follow).has_value();
    return fileUsed;
}

std::vector<std::string> recents() {
    std::vector<std::string> paths;
    if (!fileUsed) return paths;
    const QVariant value = settings().value(kRecentsKey);
    // Earlier versions wrote a list of text, which reads back as a plain string when it has one entry.
    const QVariantList list =
        value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList
            ? value.toList()
            : QVariantList{value};
    for (const QVariant& entry : list)
        if (auto path = storedPath(entry); path && !path->empty()) paths.push_back(std::move(*path));
    return paths;
}

void setRecents(const std::vector<std::string>& paths) {
    if (!fileUsed) return;
    // As bytes: a name that is not UTF-8 would come back as another name through text.
    QVariantList stored;
    for (const auto& p : paths)
        stored << QByteArray::fromStdString(p);
    settings().setValue(kRecentsKey, stored);
}

std::optional<ThemeName> theme() {
    if (!fileUsed) return std::nullopt;
    return theme_name::fromRawValue(settings().value(kThemeKey).toString().toStdString());
}

void setTheme(ThemeName theme) {
    if (!fileUsed) return;
    settings().setValue(kThemeKey, QString::fromUtf8(theme_name::rawValue(theme)));
}

std::vector<std::string> withRecent(std::vector<std::string> recents, const std::string& path) {
    const std::string key = platform::standardizedPath(path);
    std::erase_if(recents, [&](const std::string& p) { return platform::standardizedPath(p) == key; });
    recents.insert(recents.begin(), path);
    if (recents.size() > kRecentLimit) recents.resize(kRecentLimit);
    return recents;
}

} // namespace stored_settings
