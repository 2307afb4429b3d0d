#include "model/StoredSettings.h"

#include "platform/Paths.h"

#include <QFile>
#include <QSettings>

namespace stored_settings {

namespace {

constexpr const char* kRecentsKey = "recentScans";
constexpr const char* kThemeKey = "theme";
constexpr size_t kRecentLimit = 5;

QSettings settings() {
    return QSettings(QStringLiteral("Brenwick"), QStringLiteral("Brenwick"));
}

} // namespace

std::vector<std::string> recents() {
    std::vector<std::string> paths;
    // A one-entry list reads back as a plain string; toStringList() takes both.
    for (const QString& path : settings().value(kRecentsKey).toStringList())
        paths.push_back(QFile::encodeName(path).toStdString());
    return paths;
}

void setRecents(const std::vector<std::string>& paths) {
    QStringList stored;
    for (const auto& p : paths)
        stored << QFile::decodeName(QByteArray::fromStdString(p));
    settings().setValue(kRecentsKey, stored);
}

std::optional<ThemeName> theme() {
    return theme_name::fromRawValue(settings().value(kThemeKey).toString().toStdString());
}

void setTheme(ThemeName theme) {
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
