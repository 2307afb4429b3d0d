#include "platform/DirectoryReader.h"

#include "platform/LongPath.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace platform {
namespace {

constexpr unsigned kStatxMask =
    STATX_TYPE | STATX_MODE | STATX_NLINK | STATX_INO | STATX_SIZE | STATX_BLOCKS | STATX_MTIME | STATX_BTIME;

int statxInto(int dirFd, const char* name, int flags, EntryStatus& status) {
    struct statx sx;
    if (::statx(dirFd, name, flags | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, kStatxMask, &sx) != 0)
        return errno;
    status.mode = sx.stx_mode;
    status.linkCount = sx.stx_nlink;
    status.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    status.inode = sx.stx_ino;
    constexpr uint64_t kMax = std::numeric_limits<int64_t>::max();
    status.size = static_cast<int64_t>(std::min<uint64_t>(sx.stx_size, kMax));
    status.blocks = static_cast<int64_t>(std::min<uint64_t>(sx.stx_blocks, kMax / 512));
    status.modified = static_cast<double>(sx.stx_mtime.tv_sec) + sx.stx_mtime.tv_nsec / 1e9;
    status.created = (sx.stx_mask & STATX_BTIME)
                         ? static_cast<double>(sx.stx_btime.tv_sec) + sx.stx_btime.tv_nsec / 1e9
                         : 0.0;
    return 0;
}

} // namespace

bool EntryStatus::isDirectory() const {
    return S_ISDIR(mode);
}
bool EntryStatus::isSymlink() const {
    return S_ISLNK(mode);
}

int LinuxDirectoryReader::openDirectory(int parentFd, const char* path, bool followLink, int& fd) {
    fd = openAnyLength(parentFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    return fd < 0 ? errno : 0;
}

long LinuxDirectoryReader::readEntries(int fd, std::span<std::byte> buffer) {
    ssize_t n;
    do {
        n = ::getdents64(fd, buffer.data(), buffer.size());
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -errno : static_cast<long>(n);
}

int LinuxDirectoryReader::statEntry(int dirFd, const char* name, EntryStatus& status) {
    return statxInto(dirFd, name, AT_SYMLINK_NOFOLLOW, status);
}

int LinuxDirectoryReader::statPath(const char* path, bool followLinks, EntryStatus& status) {
    PathAt at(path);
    return statxInto(at.folder(), at.name(), followLinks ? 0 : AT_SYMLINK_NOFOLLOW, status);
}

void LinuxDirectoryReader::closeDirectory(int fd) {
    if (fd >= 0) ::close(fd);
}

std::vector<MountEntry> LinuxDirectoryReader::mounts() {
    return readMountTable();
}

std::shared_ptr<DirectoryReader> systemDirectoryReader() {
    static const auto reader = std::make_shared<LinuxDirectoryReader>();
    return reader;
}

} // namespace platform
