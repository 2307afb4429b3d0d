#pragma once

#include "model/FileNode.h"
#include "platform/TrashFolders.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

// How old the bytes below a folder are: by age bucket, by calendar month, and the big untouched files.
// The caller keeps the tree alive and holds its shared lock while compute() walks it.
struct AgeReport {
    // Bytes on disk per age: <7 days, <30, <91, <365, <730, older.
    std::array<int64_t, 6> buckets{};
    int64_t total = 0;
    // Year (1990 on, local time) -> bytes on disk last modified in each month, January first.
    std::map<int, std::array<int64_t, 12>> months;
    // Files of at least 40,000,000 bytes on disk, 365 days old or more, largest first (stable); none
    // inside a Trash folder, since those are never offered for cleanup (they still count above).
    std::vector<FileNode*> untouched;
    int64_t untouchedTotal = 0;

    static constexpr int64_t kUntouchedBytes = 40'000'000;
    static constexpr double kUntouchedDays = 365;
    static constexpr int kFirstYear = 1990;

    // Files without a modification time (0) are skipped; times outside the calendar's range still
    // count in their bucket but in no month. `trash`: the Trash folders as the tree's paths spell them
    // (ScanTree::trashFolders()).
    static AgeReport compute(const FileNode* folder, const platform::TrashFolders& trash = {});
    // `now` in seconds since 1970 (for tests).
    static AgeReport compute(const FileNode* folder, double now, const platform::TrashFolders& trash = {});
};
