#pragma once

#include "platform/MountTable.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace platform {

// What the scanner needs to know about one directory entry.
struct EntryStatus {
    uint32_t mode = 0; // file type and permission bits, as st_mode
    uint32_t linkCount = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;    // logical length in bytes
    int64_t blocks = 0;  // allocated 512-byte blocks, at most INT64_MAX / 512 (so blocks * 512 fits)
    double modified = 0; // seconds since 1970 UTC
    double created = 0;  // 0 when the file system does not report it

    bool isDirectory() const;
    bool isSymlink() const;
};

// Directory reading as the scanner does it: one descriptor per folder, getdents64 into a caller's
// buffer, one statx per entry relative to that descriptor. Every call reports failure as an errno value
// and never throws. Tests stand a fake in its place (denied folders cannot be made by chmod as root).
class DirectoryReader {
  public:
    // Small enough that a worker's buffer costs little (64 workers hold 64 of them); a large folder
    // just takes more reads, about 400 entries each.
    static constexpr size_t kBufferSize = 16 * 1024;

    virtual ~DirectoryReader() = default;

    // Opens a folder: `path` relative to the open folder `parentFd`, or absolute with AT_FDCWD, of any
    // length. A final symbolic link is followed only when asked (the scanned path itself may be one).
    // Returns 0 or errno.
    virtual int openDirectory(int parentFd, const char* path, bool followLink, int& fd) = 0;
    // Reads the next entries as getdents64 records into `buffer`: bytes filled, 0 at the end, -errno.
    virtual long readEntries(int fd, std::span<std::byte> buffer) = 0;
    // Status of `name` inside the open folder, links not followed, automounts not triggered.
    virtual int statEntry(int dirFd, const char* name, EntryStatus& status) = 0;
    // Status of a whole path, following a final symbolic link when asked.
    virtual int statPath(const char* path, bool followLinks, EntryStatus& status) = 0;
    virtual void closeDirectory(int fd) = 0;
    // The mounts this reader sees (read once per scan).
    virtual std::vector<MountEntry> mounts() = 0;
};

// The real thing, on the Linux system calls.
class LinuxDirectoryReader : public DirectoryReader {
  public:
    int openDirectory(int parentFd, const char* path, bool followLink, int& fd) override;
    long readEntries(int fd, std::span<std::byte> buffer) override;
    int statEntry(int dirFd, const char* name, EntryStatus& status) override;
    int statPath(const char* path, bool followLinks, EntryStatus& status) override;
    void closeDirectory(int fd) override;
    std::vector<MountEntry> mounts() override;
};

std::shared_ptr<DirectoryReader> systemDirectoryReader();

// One record of a getdents64 read. `name` points into the read buffer and is NUL-terminated there.
struct DirEntry {
    std::string_view name;
    uint8_t type; // DT_* hint; DT_UNKNOWN when the file system gives none
};

// The records of one read, "." and ".." left out.
template <typename Visit> void forEachDirEntry(std::span<const std::byte> records, Visit&& visit) {
    // linux_dirent64: u64 ino, s64 off, u16 reclen, u8 type, char name[]
    constexpr size_t kNameOffset = 19;
    size_t pos = 0;
    while (pos + kNameOffset < records.size()) {
        const std::byte* record = records.data() + pos;
        uint16_t length;
        std::memcpy(&length, record + 16, sizeof length);
        if (length <= kNameOffset || pos + length > records.size()) break;
        const char* name = reinterpret_cast<const char*>(record + kNameOffset);
        size_t nameLength = strnlen(name, length - kNameOffset);
        auto type = static_cast<uint8_t>(record[18]);
        pos += length;
        if (name[0] == '.' && (nameLength == 1 || (nameLength == 2 && name[1] == '.'))) continue;
        visit(DirEntry{{name, nameLength}, type});
    }
}

} // namespace platform
