#include "platform/FolderListing.h"

#include "platform/Utf8Text.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>

namespace platform {

FolderListing listFolder(int folderFd, size_t limit) {
    FolderListing listing;
    // A descriptor of our own, from the start of the folder: the caller's stays as it is.
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return listing;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return listing;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        ++listing.count;
        if (listing.entries.size() >= limit) continue;
        struct stat st {};
        const bool known = ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
        const bool isDir = known && S_ISDIR(st.st_mode);
        listing.entries.push_back({utf8Text(name), isDir, known && !isDir ? int64_t(st.st_blocks) * 512 : 0});
    }
    ::closedir(dir);
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const FolderListing::Entry& a, const FolderListing::Entry& b) {
                  if (a.isDirectory != b.isDirectory) return a.isDirectory;
                  return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
              });
    return listing;
}

} // namespace platform
