#pragma once

#include "model/SystemMonitor.h"

#include <QString>

#include <cstddef>
#include <vector>

// The order of the process table; its title is shown in the heading and on the sort buttons.
enum class ProcessSort { cpu, memory };

namespace process_table {

constexpr size_t kCollapsedRows = 16;

QString sortTitle(ProcessSort sort); // "CPU", "Memory"

// A process's name as its row shows it: hidden, control and reordering characters read U+FFFD
// (shownText), so "p<U+202E>gpj.exe" never reads "pexe.jpg".
QString shownName(const SystemMonitor::ProcessStat& process);

// The sample's busiest processes in the chosen order, keeping those whose name, as it is or as shown,
// contains `search` ignoring case. The search is used as typed (a single space still filters); pids are
// not searched.
std::vector<SystemMonitor::ProcessStat> visibleProcesses(const SystemMonitor::Snapshot& snapshot,
                                                         ProcessSort sort, const QString& search);

// How many of `visible` processes are rows: the first 16 while collapsed, else all.
size_t shownRowCount(size_t visible, bool expanded);

// The show-all toggle's title; it exists only with more than 16 visible processes.
bool hasToggle(size_t visible);
QString toggleTitle(size_t visible, bool expanded);

} // namespace process_table
