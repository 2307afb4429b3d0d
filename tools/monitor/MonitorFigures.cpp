#include "tools/monitor/MonitorFigures.h"

#include "model/Saturating.h"
#include "shell/style/Formatters.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace monitor_figures {

int64_t wholeBytes(double bytesPerSecond) {
    if (!std::isfinite(bytesPerSecond) || bytesPerSecond <= 0) return 0;
    // 2^63 is exactly representable; anything at or above it does not fit.
    if (bytesPerSecond >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(bytesPerSecond);
}

QString rateText(double bytesPerSecond) {
    return formatBytes(wholeBytes(bytesPerSecond)) + QStringLiteral("/s");
}

MemoryParts memoryParts(const SystemMonitor::MemoryStats& memory) {
    MemoryParts parts;
    const auto positive = [](int64_t v) { return std::max<int64_t>(v, 0); };
    parts.wired = positive(memory.wired);
    parts.compressed = positive(memory.compressed);
    parts.free = positive(memory.free);
    parts.used = positive(saturating::sub(memory.total, parts.free));
    // Subtracted one at a time, so no sum of counters can overflow.
    parts.otherUsed = positive(positive(parts.used - parts.wired) - parts.compressed);
    return parts;
}

std::optional<double> memoryPercent(const SystemMonitor::MemoryStats& memory) {
    if (memory.total <= 0) return std::nullopt;
    return double(memoryParts(memory).used) / double(memory.total) * 100;
}

size_t shownVolumeCount(size_t volumes, bool expanded) {
    return expanded || !hasVolumeToggle(volumes) ? volumes : kCollapsedVolumes;
}

bool hasVolumeToggle(size_t volumes) {
    return volumes > kCollapsedVolumes;
}

QString volumeToggleTitle(size_t volumes, bool expanded) {
    if (expanded) return QStringLiteral("Show fewer volumes");
    const size_t more = volumes > kCollapsedVolumes ? volumes - kCollapsedVolumes : 0;
    return QStringLiteral("Show %1 more volume%2").arg(more).arg(more == 1 ? "" : "s");
}

double usedBarWidth(const DiskInfo& disk, double width) {
    if (disk.total <= 0) return 3;
    const double w = width * disk.usedFraction();
    return std::isfinite(w) && w >= 3 ? w : 3;
}

} // namespace monitor_figures
