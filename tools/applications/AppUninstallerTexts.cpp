#include "tools/applications/AppUninstallerTexts.h"

#include "model/AppUninstaller.h"
#include "platform/Desktop.h"
#include "shell/style/Formatters.h"

#include <algorithm>

namespace app_texts {

namespace {

constexpr size_t kListedFailures = 5;

} // namespace

QString summary(const std::vector<AppUninstaller::InstalledApp>& apps) {
    int64_t total = 0;
    for (const auto& app : apps)
        total += app.totalSize();
    return QStringLiteral("%1 installed \u00b7 %2").arg(qlonglong(apps.size())).arg(formatBytes(total));
}

QString confirmationTitle(const AppUninstaller::InstalledApp& app) {
    return QStringLiteral("Uninstall %1?").arg(fromBytes(app.displayName));
}

QString confirmationMessage(const AppUninstaller::InstalledApp& app) {
    qlonglong leftoverPaths = 0;
    for (const auto& group : app.leftovers)
        leftoverPaths += qlonglong(group.urls.size());
    return QStringLiteral("The app and %1 leftover item(s) \u2014 %2 \u2014 go to the Trash. The app is quit "
                          "first if it's running.")
        .arg(leftoverPaths)
        .arg(formatBytes(app.totalSize()));
}

QString failureTitle(const QString& appName) {
    return QStringLiteral("Couldn't fully uninstall %1").arg(appName);
}

QString failureMessage(const std::vector<std::string>& failedPaths) {
    QStringList listed;
    for (size_t i = 0; i < std::min(failedPaths.size(), kListedFailures); ++i)
        listed << fromBytes(failedPaths[i]);
    return QStringLiteral("%1 item(s) couldn't be moved to the Trash:\n").arg(qlonglong(failedPaths.size())) +
           listed.join(QLatin1Char('\n')) +
           QStringLiteral("\n\nCheck that you may write to these items and their folders, then try again.");
}

QString bundleReason(const AppUninstaller::InstalledApp& app) {
    return QStringLiteral("App bundle: ") + fromBytes(app.displayName);
}

QString leftoverReason(const AppUninstaller::InstalledApp& app, const std::string& category) {
    return fromBytes(app.displayName) + QStringLiteral(" \u2014 ") + QString::fromStdString(category);
}

} // namespace app_texts
