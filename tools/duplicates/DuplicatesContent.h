#pragma once

#include "model/DuplicateFinder.h"

#include <QString>

#include <cstdint>
#include <span>

// What the Duplicates screen shows, from the search's state. Pure.
namespace duplicates_content {

enum class Content {
    needsScan,    // "Run a scan first."
    nothingFound, // no groups and no search running
    groups,       // the summary over the groups (none yet while the first search runs)
};
Content choose(bool hasScan, bool hasGroups, bool searching);

// The bytes freed by keeping one copy of every group (saturating).
int64_t reclaimableBytes(std::span<const DuplicateFinder::Group> groups);
// "<bytes> could be reclaimed across <n> groups".
QString summary(std::span<const DuplicateFinder::Group> groups);
// "<n> copies · <size> each · wastes <bytes>".
QString groupLabel(const DuplicateFinder::Group& group);

} // namespace duplicates_content
