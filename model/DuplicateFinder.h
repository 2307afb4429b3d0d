#pragma once

#include "model/FileNode.h"
#include "model/ScanTree.h"

#include <QUuid>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <vector>

// Files with identical content: same logical size and same SHA-256 digest.
namespace DuplicateFinder {

struct Group {
    QUuid id;                     // groupId(size, digest): the same for the same content
    int64_t size = 0;             // logical size of every file in the group
    std::vector<FileNode*> files; // two or more distinct files, in tree-walk order
    int64_t wastedBytes() const { return size * (static_cast<int64_t>(files.size()) - 1); }
};

using Digest = std::array<unsigned char, 32>;

// The id of the group of files of `size` bytes whose SHA-256 is `digest`. It follows from the content
// alone, so the group found again, or what is left of it after some copies went to the Trash, keeps it.
QUuid groupId(int64_t size, const Digest& digest);

// Bytes read for the first comparison; files no longer than this are settled by it.
constexpr int64_t kPartialBytes = 65'536;

struct Stats {
    int64_t candidates = 0;      // files in size buckets of two or more, all screened
    int64_t partialHashed = 0;   // files the screen let through to the partial pass
    int64_t fullHashed = 0;      // files hashed whole
    int64_t identityChecked = 0; // files whose device and inode were looked up (on the open file)
    int64_t bytesRead = 0;
    double walkSeconds = 0;
    double hashSeconds = 0;    // everything after the walk
    double screenSeconds = 0;  // the screen and its grouping
    double partialSeconds = 0; // partial hashes of the files longer than kPartialBytes
    double fullSeconds = 0;    // whole-file hashes, in one pass with the shorter files' partial hashes
    int64_t fullBytes = 0;     // bytes read by the full pass
};

// Blocking; call it off the main thread. Holds the tree's shared lock only while it walks the
// subtree of `folder` (the tree's root when null) and reads its paths; reading runs unlocked on all
// cores. Files that share a size are screened by a fingerprint of their first bytes (DuplicatePrefilter);
// those it lets through are hashed as the groups require. Groups are sorted by wasted bytes, largest
// first. Nothing inside the tree's Trash folders is listed. Never fails: unreadable files, files that changed
// since the scan (no longer a regular file of the scanned size) and vanished files are left out. Paths that
// are one file (same device and inode) count once: each file the screen lets through is looked up on its open
// descriptor. Once `stop` is requested the search reads no further (not even the rest of a file) and
// returns no groups.
std::vector<Group> find(const std::shared_ptr<ScanTree>& tree, const FileNode* folder = nullptr,
                        Stats* stats = nullptr, int threads = 0, std::stop_token stop = {});

// SHA-256 of the first min(limit, expectedSize) bytes of the file at `path` (whole file when limit
// is null). Opened with O_NOFOLLOW | O_NONBLOCK and read without a status call: a read that settles the
// whole file asks for one byte more than `expectedSize`, so nothing comes back when it is not a file of
// exactly that size (grown, shrunk, a folder, a pipe, a link, gone) or cannot be read. The read leaves the
// page cache as it found it: it drops only the pages it brought in itself.
// `buffer` is scratch space of at least 64 KiB (reused across calls by a worker).
std::optional<Digest> hashFile(const std::string& path, int64_t expectedSize, std::optional<int64_t> limit,
                               std::vector<unsigned char>& buffer);

using FileId = std::pair<uint64_t, uint64_t>; // device, inode

// The same for the entry `name` of the open folder `folder` (AT_FDCWD: relative to the working folder).
// With `identity`, also the device and inode of the file read, looked up on its descriptor. A read
// interrupted by `stop` (checked before each buffer's read) gives nothing.
std::optional<Digest> hashFileAt(int folder, const char* name, int64_t expectedSize,
                                 std::optional<int64_t> limit, std::vector<unsigned char>& buffer,
                                 FileId* identity = nullptr, std::stop_token stop = {});

} // namespace DuplicateFinder
