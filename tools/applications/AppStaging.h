#pragma once

class CleanupQueue;
namespace AppUninstaller {
struct InstalledApp;
}

// Stages an application in the cleanup queue instead of uninstalling it: the AppImage first, with
// its size, then each leftover group's paths, each with an equal share of the group's size (the
// remainder of the division is not staged). Nothing is quit or moved; paths already staged are
// skipped and keep their reason.
void stageForCleanup(CleanupQueue& queue, const AppUninstaller::InstalledApp& app);
