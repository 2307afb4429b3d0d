#pragma once

#include "model/DiskInfo.h"
#include "model/SystemMonitor.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

// The numbers the Monitor's cards derive from a sample, kept apart from the widgets that show them.
namespace monitor_figures {

// A rate as whole bytes, its fraction dropped: not finite or negative reads 0, and one past the
// largest count stops there.
int64_t wholeBytes(double bytesPerSecond);
// "1.50 MB/s" for a rate.
QString rateText(double bytesPerSecond);

// The memory bar's four parts, bytes, none negative: used is total - free (MemTotal - MemAvailable),
// other used what wired and compressed leave of it.
struct MemoryParts {
    int64_t used = 0;
    int64_t wired = 0;
    int64_t compressed = 0;
    int64_t otherUsed = 0;
    int64_t free = 0;
};
MemoryParts memoryParts(const SystemMonitor::MemoryStats& memory);
// Memory in use as a percentage of the total, for the pressure history; nullopt without a total.
std::optional<double> memoryPercent(const SystemMonitor::MemoryStats& memory);

// The storage list: its first three volumes while collapsed (with four or more), else all.
constexpr size_t kCollapsedVolumes = 3;
size_t shownVolumeCount(size_t volumes, bool expanded);
// The toggle exists with four or more volumes: "Show 1 more volume", "Show 3 more volumes", "Show
// fewer volumes".
bool hasVolumeToggle(size_t volumes);
QString volumeToggleTitle(size_t volumes, bool expanded);

// The used part of a volume's bar `width` long: its used share as df gives it, at least 3 points so an
// empty volume still shows a sliver.
double usedBarWidth(const DiskInfo& disk, double width);

} // namespace monitor_figures
