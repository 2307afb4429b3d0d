#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// The entries of one folder, as the preview lists them: folders first, then by name ignoring case;
// a file's size on disk (as every other view shows it: a sparse file takes little), a folder's none.
// Links are neither followed nor listed as folders.
struct FolderListing {
    struct Entry {
        QString name; // the raw bytes as UTF-8 (utf8Text), invalid sequences replaced
        bool isDirectory = false;
        int64_t size = 0; // allocated bytes
    };
    std::vector<Entry> entries; // at most the limit given
    int64_t count = 0;          // every entry of the folder
};

// Lists the folder open at `folderFd` (which stays open and is not moved); an unreadable folder
// gives no entries.
FolderListing listFolder(int folderFd, size_t limit);

} // namespace platform
