#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// This user's Trash folders: the home trash ($XDG_DATA_HOME/Trash) and, below every mount point
// $topdir, $topdir/.Trash/$uid and $topdir/.Trash-$uid. They are scanned and shown like any folder,
// but nothing in them may be offered for cleanup or moved to the Trash again: moving an item within a
// trash leaves its old record without its file, so it could no longer be restored.
//
// Pure comparisons of path text (normalised absolute paths), so it may be used on any thread; only
// current(), currentResolved() and forScan() read the environment, the mount table or the folders.
// A scan's paths all start with the scanned folder's text, which may reach the folders through links:
// forScan() also lists each Trash folder as it is spelled below the scanned folder, so one text
// comparison answers for quick wins, duplicates and the cleanup queue alike.
class TrashFolders {
  public:
    TrashFolders() = default;
    TrashFolders(const std::string& homeTrash, const std::vector<std::string>& topdirs, unsigned uid);
    // The folders as they stand now, from the environment and the mount table only (no folder is
    // touched, so the window's thread may ask).
    static TrashFolders current();
    // The same, with the home trash also listed with its links resolved. Touches the file system:
    // never on the window's thread.
    static TrashFolders currentResolved();
    // currentResolved(), seen from a scan of `scannedPath` (resolved here): touches the file system, so
    // call it once per scan, off the window's thread.
    static TrashFolders forScan(const std::string& scannedPath);
    // These folders, with each one that lies at or below `resolvedScan` (the scanned folder with its
    // links resolved) also spelled as below `scannedPath`; when the scanned folder itself lies inside
    // a Trash folder, it is listed too. Text only.
    TrashFolders seenFrom(std::string_view scannedPath, std::string_view resolvedScan) const;

    // True when `path` is one of the Trash folders.
    bool isTrashFolder(std::string_view path) const;
    // True when `path` is a Trash folder or lies anywhere below one.
    bool isInTrash(std::string_view path) const;
    // A cheap test before a path is built: false when no Trash folder has this last component.
    bool hasTrashFolderName(std::string_view name) const;

    const std::vector<std::string>& folders() const { return folders_; }

  private:
    void add(const std::string& folder);

    std::vector<std::string> folders_; // sorted, no repeats
    std::vector<std::string> names_;   // their last components, sorted, no repeats
};

} // namespace platform
