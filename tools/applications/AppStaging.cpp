#include "tools/applications/AppStaging.h"

#include "model/AppUninstaller.h"
#include "model/CleanupQueue.h"
#include "tools/applications/AppUninstallerTexts.h"

#include <algorithm>

void stageForCleanup(CleanupQueue& queue, const AppUninstaller::InstalledApp& app) {
    queue.addAll({{app.bundleURL, app.bundleSize}}, app_texts::bundleReason(app));
    for (const auto& group : app.leftovers) {
        const int64_t share = group.totalSize / std::max<int64_t>(int64_t(group.urls.size()), 1);
        std::vector<std::pair<std::string, int64_t>> entries;
        for (const auto& path : group.urls)
            entries.emplace_back(path, share);
        queue.addAll(entries, app_texts::leftoverReason(app, group.category));
    }
}
