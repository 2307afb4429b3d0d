#include "tools/monitor/ProcessFilter.h"

#include "platform/Utf8Text.h"
#include "shell/style/Formatters.h"

#include <algorithm>

namespace process_table {

QString sortTitle(ProcessSort sort) {
    return sort == ProcessSort::cpu ? QStringLiteral("CPU") : QStringLiteral("Memory");
}

QString shownName(const SystemMonitor::ProcessStat& process) {
    return fromBytes(process.name);
}

std::vector<SystemMonitor::ProcessStat> visibleProcesses(const SystemMonitor::Snapshot& snapshot,
                                                         ProcessSort sort, const QString& search) {
    const auto& all = sort == ProcessSort::cpu ? snapshot.topProcessesByCPU : snapshot.topProcessesByMemory;
    if (search.isEmpty()) return all;
    std::vector<SystemMonitor::ProcessStat> kept;
    std::copy_if(all.begin(), all.end(), std::back_inserter(kept), [&](const SystemMonitor::ProcessStat& p) {
        // What the row shows, and the name itself for a search pasted from elsewhere.
        const QString name = platform::utf8Text(p.name);
        return name.contains(search, Qt::CaseInsensitive) ||
               shownText(name).contains(search, Qt::CaseInsensitive);
    });
    return kept;
}

size_t shownRowCount(size_t visible, bool expanded) {
    return expanded ? visible : std::min(visible, kCollapsedRows);
}

bool hasToggle(size_t visible) {
    return visible > kCollapsedRows;
}

QString toggleTitle(size_t visible, bool expanded) {
    return expanded ? QStringLiteral("Show fewer") : QStringLiteral("Show all %1").arg(visible);
}

} // namespace process_table
