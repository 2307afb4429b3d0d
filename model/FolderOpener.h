#pragma once

#include "platform/DirectoryReader.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

// Opens the folders of one walk relative to an open ancestor, never by a full path from "/", so no
// depth or path length is out of reach, while the descriptors held at once stay bounded.
//
// After a folder is read, its descriptor is kept for opening the folders directly below it, as long as
// fewer than `limit` are kept already, and closes when the last of them has been opened. A folder whose
// parent was not kept opens from its nearest kept ancestor, by the path between the two.
// Thread-safe; it must outlive every Base it hands out.
class FolderOpener {
  public:
    struct Kept;
    // Where a folder is opened from.
    struct Base {
        std::shared_ptr<const Kept> kept; // null: the working folder (the full path is then used)
        size_t offset = 0;                // where the part of the full path below `kept` starts
    };

    FolderOpener(platform::DirectoryReader& reader, int limit);

    // Opens the folder whose full path is `path` from `base`. Returns 0 or errno.
    int open(const Base& base, const std::string& path, bool followLink, int& fd) const;

    // The base for the folders directly below an open folder whose full path, with its trailing "/",
    // is `prefixLength` bytes: the folder itself, taking over `fd` (set to -1), while the budget allows;
    // otherwise `own`, the base the folder itself was opened from.
    Base baseForChildren(int& fd, size_t prefixLength, Base own);

    // A quarter of the process's descriptor limit, at most 256: folders to keep when nothing is said.
    static int defaultLimit();

  private:
    platform::DirectoryReader& reader_;
    const int limit_;
    std::atomic<int> kept_ = 0;
};
