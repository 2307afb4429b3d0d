#include "platform/TrashFolders.h"

#include "platform/MountTable.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"

#include <unistd.h>

#include <algorithm>

namespace platform {

namespace {

bool sortedContains(const std::vector<std::string>& list, std::string_view value) {
    auto it = std::lower_bound(list.begin(), list.end(), value,
                               [](const std::string& a, std::string_view b) { return a < b; });
    return it != list.end() && *it == value;
}

void insertSorted(std::vector<std::string>& list, std::string value) {
    auto it = std::lower_bound(list.begin(), list.end(), value);
    if (it == list.end() || *it != value) list.insert(it, std::move(value));
}

} // namespace

TrashFolders::TrashFolders(const std::string& homeTrash, const std::vector<std::string>& topdirs,
                           unsigned uid) {
    const std::string id = std::to_string(uid);
    if (!homeTrash.empty()) add(homeTrash);
    for (const std::string& topdir : topdirs) {
        const std::string top = standardizedPath(topdir) == "/" ? "" : standardizedPath(topdir);
        add(top + "/.Trash/" + id);
        add(top + "/.Trash-" + id);
    }
}

TrashFolders TrashFolders::current() {
    std::vector<std::string> topdirs{"/"};
    for (const MountEntry& mount : readMountTable())
        topdirs.push_back(mount.mountPoint);
    return TrashFolders(dataHome() + "/Trash", topdirs, getuid());
}

TrashFolders TrashFolders::currentResolved() {
    TrashFolders folders = current();
    // realpath of a missing folder is empty: nothing more to add then.
    const std::string resolved = resolvedPath(dataHome() + "/Trash");
    if (!resolved.empty()) folders.add(resolved);
    return folders;
}

TrashFolders TrashFolders::forScan(const std::string& scannedPath) {
    return currentResolved().seenFrom(scannedPath, resolvedPath(scannedPath));
}

TrashFolders TrashFolders::seenFrom(std::string_view scannedPath, std::string_view resolvedScan) const {
    TrashFolders seen = *this;
    const std::string scanned = standardizedPath(scannedPath);
    const std::string resolved = standardizedPath(resolvedScan);
    if (scanned.empty() || scanned.front() != '/' || resolved.empty() || resolved.front() != '/' ||
        scanned == resolved)
        return seen;
    if (isInTrash(resolved)) seen.add(scanned);
    for (const std::string& folder : folders_)
        if (resolved == "/" || isBelow(folder, resolved))
            seen.add((scanned == "/" ? std::string() : scanned) +
                     folder.substr(resolved == "/" ? 0 : resolved.size()));
    return seen;
}

void TrashFolders::add(const std::string& folder) {
    std::string path = standardizedPath(folder);
    if (path.empty() || path.front() != '/' || path == "/") return;
    insertSorted(names_, lastComponent(path));
    insertSorted(folders_, std::move(path));
}

bool TrashFolders::isTrashFolder(std::string_view path) const {
    return sortedContains(folders_, withoutTrailingSlashes(path));
}

bool TrashFolders::isInTrash(std::string_view path) const {
    path = withoutTrailingSlashes(path);
    if (path.empty() || path.front() != '/') return false;
    // The path itself, then each ancestor: a handful of lookups whatever the number of mounts.
    for (size_t end = path.size(); end > 0; end = path.rfind('/', end - 1))
        if (sortedContains(folders_, path.substr(0, end))) return true;
    return false;
}

bool TrashFolders::hasTrashFolderName(std::string_view name) const {
    return sortedContains(names_, name);
}

} // namespace platform
