#pragma once

#include <QString>

#include <string>
#include <vector>

namespace AppUninstaller {
struct InstalledApp;
}

// The applications screen's texts that are built from its data.
namespace app_texts {

inline const QString kEmpty = QStringLiteral("No apps found in ~/Applications.");
inline const QString kLoading = QStringLiteral("Measuring apps and their leftovers\u2026");

// "3 installed · 1.20 GB": the number of applications and their total with leftovers.
QString summary(const std::vector<AppUninstaller::InstalledApp>& apps);

// The confirmation: "Uninstall Name?", and a message that counts the leftover paths that will move
// (not their groups) and gives the total size.
QString confirmationTitle(const AppUninstaller::InstalledApp& app);
QString confirmationMessage(const AppUninstaller::InstalledApp& app);

// The alert after an uninstall that left items behind: every failed path counted, the first five
// listed one per line, then what to check.
QString failureTitle(const QString& appName);
QString failureMessage(const std::vector<std::string>& failedPaths);

// The reasons staged items are given: "App bundle: Name" for the AppImage, "Name — Caches" for the
// leftovers of a group.
QString bundleReason(const AppUninstaller::InstalledApp& app);
QString leftoverReason(const AppUninstaller::InstalledApp& app, const std::string& category);

} // namespace app_texts
