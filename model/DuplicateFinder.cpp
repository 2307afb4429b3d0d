#include "model/DuplicateFinder.h"

#include "model/Parallel.h"
#include "platform/LongPath.h"
#include "platform/PageCache.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <limits>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <unordered_set>

namespace DuplicateFinder {

namespace {

constexpr size_t kBufferBytes = 1 << 20;
// Whole files from this size on leave the page cache as they found it: a search through large duplicates
// (videos, disk images, archives) would otherwise push gigabytes of other programs' pages out. Smaller
// ones stay cached like the first comparison's 64 KiB of every candidate; they weigh little, and the
// check would cost three more system calls per file.
constexpr int64_t kRestoreCacheFrom = 4 << 20;
// Such a read notes which pages are cached one window ahead of where it reads, and drops what it brought
// in window by window, so that its own readahead into the next window is not taken for another program's.
constexpr int64_t kCacheWindow = 64 << 20;

const EVP_MD* sha256() {
    // Fetched once: an implicit fetch per digest would look the provider up on every file.
    static EVP_MD* md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return md;
}

struct Entry {
    FileNode* node;
    int64_t size;
    uint32_t folder;  // index into the folder paths
    size_t walkOrder; // position in the pre-order walk
    std::string name;
};

// Opens each file relative to its folder, opened once per run of files of that folder: a path walk
// per folder instead of per file.
class FolderCursor {
  public:
    explicit FolderCursor(const std::vector<std::string>& paths) : paths_(paths) {}
    ~FolderCursor() { reset(); }
    // A descriptor of folder `index`, or -1 when it cannot be opened (it vanished, or became a link).
    int at(uint32_t index) {
        if (index != current_) {
            reset();
            current_ = index;
            fd_ = platform::openAnyLength(AT_FDCWD, paths_[index].c_str(),
                                          O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        return fd_;
    }

  private:
    void reset() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
        current_ = UINT32_MAX;
    }
    const std::vector<std::string>& paths_;
    uint32_t current_ = UINT32_MAX;
    int fd_ = -1;
};

using FileId = std::pair<uint64_t, uint64_t>; // device, inode

struct FileIdHash {
    size_t operator()(const FileId& id) const {
        return std::hash<uint64_t>()(id.second * 0x9E3779B97F4A7C15ull ^ id.first);
    }
};

struct Hashed {
    size_t entry; // index into the entries
    Digest digest;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Positions into `which`, folder by folder (each folder is opened once per run of its files), in walk
// order within a folder.
std::vector<size_t> folderOrder(const std::vector<Entry>& entries, const std::vector<size_t>& which) {
    std::vector<size_t> order(which.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Entry& x = entries[which[a]];
        const Entry& y = entries[which[b]];
        return x.folder != y.folder ? x.folder < y.folder : x.walkOrder < y.walkOrder;
    });
    return order;
}

// Runs visit(folderFd, i) for every position i of `order` on up to `threads` workers, taking `chunk`
// positions at a time; each worker makes its own visitor with makeVisitor(). Entries whose folder
// cannot be opened are skipped.
template <typename MakeVisitor>
void visitEntries(const std::vector<Entry>& entries, const std::vector<std::string>& folders,
                  const std::vector<size_t>& which, const std::vector<size_t>& order, size_t chunk,
                  int threads, MakeVisitor makeVisitor) {
    std::atomic<size_t> next = 0;
    auto work = [&] {
        auto visit = makeVisitor();
        FolderCursor cursor(folders);
        for (size_t first; (first = next.fetch_add(chunk, std::memory_order_relaxed)) < order.size();) {
            for (size_t k = first; k < std::min(first + chunk, order.size()); ++k) {
                size_t i = order[k];
                int dir = cursor.at(entries[which[i]].folder);
                if (dir >= 0) visit(dir, i);
            }
        }
    };
    int workers = std::max(1, std::min<int>(threads, static_cast<int>(which.size())));
    runOnThreads(static_cast<size_t>(workers), work);
}

// Hashes the given entries on `threads` workers; the result holds the entries that produced a digest,
// in the order given.
std::vector<Hashed> hashAll(const std::vector<Entry>& entries, const std::vector<std::string>& folders,
                            const std::vector<size_t>& which, std::optional<int64_t> limit, int threads,
                            std::atomic<int64_t>& bytesRead) {
    std::vector<std::optional<Digest>> results(which.size());
    std::vector<size_t> order;
    if (limit) {
        order = folderOrder(entries, which); // many small reads
    } else {
        // Whole files: largest first, so one big file does not start last and hold the pass alone.
        order.resize(which.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return entries[which[a]].size > entries[which[b]].size; });
    }
    // Each worker's buffer, reused for every file it reads; its byte count is added up when it ends.
    struct Hasher {
        std::atomic<int64_t>& total;
        std::vector<unsigned char> buffer = std::vector<unsigned char>(kBufferBytes);
        int64_t read = 0;
        ~Hasher() { total += read; }
    };
    visitEntries(entries, folders, which, order, limit ? 32 : 1, threads, [&] {
        return [&, hasher = std::make_shared<Hasher>(bytesRead)](int dir, size_t i) {
            const Entry& e = entries[which[i]];
            results[i] = hashFileAt(dir, e.name.c_str(), e.size, limit, hasher->buffer);
            if (results[i]) hasher->read += limit ? std::min(*limit, e.size) : e.size;
        };
    });

    std::vector<Hashed> hashed;
    for (size_t i = 0; i < which.size(); ++i)
        if (results[i]) hashed.push_back({which[i], *results[i]});
    return hashed;
}

// Groups hashed entries by (size, digest); groups of two or more, each in input order, ordered by
// their first entry. Sorting one index array avoids a container per distinct key.
std::vector<std::vector<size_t>> groupByKey(const std::vector<Entry>& entries, std::vector<Hashed> hashed) {
    std::stable_sort(hashed.begin(), hashed.end(), [&](const Hashed& a, const Hashed& b) {
        if (entries[a.entry].size != entries[b.entry].size)
            return entries[a.entry].size < entries[b.entry].size;
        return a.digest < b.digest;
    });
    std::vector<std::vector<size_t>> groups;
    for (size_t i = 0; i < hashed.size();) {
        size_t end = i + 1;
        while (end < hashed.size() && entries[hashed[end].entry].size == entries[hashed[i].entry].size &&
               hashed[end].digest == hashed[i].digest)
            ++end;
        if (end - i >= 2) {
            std::vector<size_t> members;
            for (size_t k = i; k < end; ++k)
                members.push_back(hashed[k].entry);
            std::sort(members.begin(), members.end()); // input order: entries are numbered in walk order
            groups.push_back(std::move(members));
        }
        i = end;
    }
    std::sort(groups.begin(), groups.end(),
              [](const auto& a, const auto& b) { return a.front() < b.front(); });
    return groups;
}

// One file reached by two paths (hard links, a folder seen twice) is one file: its first path stays.
// Only the members of groups are looked up (one status call each, links not followed); a member gone
// since goes, and so does a group left with fewer than two.
void keepOnePathPerFile(const std::vector<Entry>& entries, const std::vector<std::string>& folders,
                        std::vector<std::vector<size_t>>& groups, int threads, int64_t& lookedUp) {
    std::vector<size_t> members;
    for (const auto& g : groups)
        members.insert(members.end(), g.begin(), g.end());
    lookedUp += static_cast<int64_t>(members.size());
    std::vector<std::optional<FileId>> ids(members.size());
    visitEntries(entries, folders, members, folderOrder(entries, members), 32, threads, [&] {
        return [&](int dir, size_t i) {
            struct stat st {};
            if (fstatat(dir, entries[members[i]].name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
                ids[i] = FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
        };
    });
    size_t next = 0;
    for (auto& g : groups) {
        std::unordered_set<FileId, FileIdHash> seen;
        std::vector<size_t> kept;
        for (size_t entry : g) {
            const std::optional<FileId>& id = ids[next++];
            if (id && seen.insert(*id).second) kept.push_back(entry);
        }
        g = std::move(kept);
    }
    std::erase_if(groups, [](const auto& g) { return g.size() < 2; });
}

} // namespace

std::optional<Digest> hashFile(const std::string& path, int64_t expectedSize, std::optional<int64_t> limit,
                               std::vector<unsigned char>& buffer) {
    platform::PathAt at(path);
    return hashFileAt(at.folder(), at.name(), expectedSize, limit, buffer);
}

std::optional<Digest> hashFileAt(int folder, const char* name, int64_t expectedSize,
                                 std::optional<int64_t> limit, std::vector<unsigned char>& buffer) {
    if (expectedSize < 0 || expectedSize == std::numeric_limits<int64_t>::max() || buffer.empty())
        return std::nullopt;
    // O_NOFOLLOW: a link put in the file's place is not followed. O_NONBLOCK: a pipe put there does not
    // block the open, and reads nothing.
    int fd = openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};

    // One digest context per thread, reused for every file it hashes.
    thread_local struct Context {
        EVP_MD_CTX* ctx = EVP_MD_CTX_new();
        ~Context() { EVP_MD_CTX_free(ctx); }
    } context;
    EVP_MD_CTX* ctx = context.ctx;
    if (!ctx || !sha256() || EVP_DigestInit_ex(ctx, sha256(), nullptr) != 1) return std::nullopt;

    // No status call: a read that covers the whole file asks for one byte past the scanned size, so a
    // file that grew shows it and one that shrank (or a folder, or a pipe) comes up short. A prefix read
    // needs no such look: the file is read whole, and checked, if it matters.
    const bool settlesFile = !limit || expectedSize <= *limit;
    const int64_t toHash = settlesFile ? expectedSize : *limit;
    const int64_t toRead = settlesFile ? expectedSize + 1 : toHash;
    int64_t got = 0;
    bool atEnd = false, failed = false;
    auto readUpTo = [&](int64_t end) {
        while (!atEnd && !failed && got < end) {
            auto want =
                static_cast<size_t>(std::min<int64_t>(end - got, static_cast<int64_t>(buffer.size())));
            ssize_t n = read(fd, buffer.data(), want);
            if (n < 0) {
                failed = errno != EINTR;
                continue;
            }
            int64_t useful = std::clamp<int64_t>(toHash - got, 0, n);
            if (useful > 0 && EVP_DigestUpdate(ctx, buffer.data(), static_cast<size_t>(useful)) != 1)
                failed = true;
            got += n;
            atEnd = static_cast<size_t>(n) < want; // a regular file's read comes back short only at its end
        }
    };

    if (limit || expectedSize < kRestoreCacheFrom) {
        readUpTo(toRead);
    } else {
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        std::vector<unsigned char> cached =
            platform::residentPages(fd, 0, std::min(kCacheWindow, expectedSize));
        for (int64_t start = 0; start < expectedSize; start += kCacheWindow) {
            const int64_t end = std::min(start + kCacheWindow, expectedSize);
            std::vector<unsigned char> cachedNext;
            if (end < expectedSize)
                cachedNext = platform::residentPages(fd, end, std::min(kCacheWindow, expectedSize - end));
            readUpTo(end < expectedSize ? end : toRead);
            platform::dropPagesNotIn(fd, start, end - start, cached);
            if (atEnd || failed) break;
            cached = std::move(cachedNext);
        }
    }
    if (failed || got != toHash) return std::nullopt;

    Digest digest;
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx, digest.data(), &length) != 1 || length != digest.size()) return std::nullopt;
    return digest;
}

std::vector<Group> find(const std::shared_ptr<ScanTree>& tree, const FileNode* folder, Stats* stats,
                        int threads) {
    const auto start = std::chrono::steady_clock::now();
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<Entry> entries;
    std::vector<std::string> folders;
    {
        // The walk and the paths need the lock; the hashing below must not hold it.
        std::shared_lock lock(tree->mutex());
        if (!folder) folder = tree->root();
        // One walk notes every possible candidate with its folder's number; sorting by size then gives
        // the buckets without a map. A folder's path is made only when one of its files is a candidate.
        struct Seen {
            int64_t size;
            size_t walkOrder;
            FileNode* node;
            uint32_t folder; // number of the folder in walk order
        };
        std::vector<Seen> seen;
        std::vector<const FileNode*> walkFolders;
        std::vector<std::pair<const FileNode*, uint32_t>> stack{{folder, 0}};
        size_t walkOrder = 0;
        while (!stack.empty()) {
            auto [node, parentNumber] = stack.back();
            stack.pop_back();
            ++walkOrder;
            if (!node->isDirectory()) {
                if (node->logicalSize > 0 && node->sizeOnDisk > 0 && node->parent())
                    seen.push_back({node->logicalSize, walkOrder, const_cast<FileNode*>(node), parentNumber});
                continue;
            }
            const auto number = static_cast<uint32_t>(walkFolders.size());
            walkFolders.push_back(node);
            auto kids = node->children();
            for (size_t i = kids.size(); i-- > 0;)
                stack.push_back({kids[i], number});
        }
        std::sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) {
            return a.size != b.size ? a.size < b.size : a.walkOrder < b.walkOrder;
        });
        std::vector<uint32_t> folderIndex(walkFolders.size(), UINT32_MAX);
        for (size_t i = 0; i < seen.size();) {
            size_t end = i + 1;
            while (end < seen.size() && seen[end].size == seen[i].size)
                ++end;
            for (size_t k = i; end - i >= 2 && k < end; ++k) {
                uint32_t& index = folderIndex[seen[k].folder];
                if (index == UINT32_MAX) {
                    index = static_cast<uint32_t>(folders.size());
                    folders.push_back(walkFolders[seen[k].folder]->path());
                }
                entries.push_back({seen[k].node, seen[k].size, index, seen[k].walkOrder,
                                   std::string(seen[k].node->name())});
            }
            i = end;
        }
    }
    const double walkSeconds = secondsSince(start);

    const auto hashStart = std::chrono::steady_clock::now();
    std::atomic<int64_t> bytesRead = 0;
    std::vector<size_t> all(entries.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    std::vector<Hashed> partial = hashAll(entries, folders, all, kPartialBytes, threads, bytesRead);
    const double partialSeconds = secondsSince(hashStart);
    const int64_t partialBytes = bytesRead.load();

    std::vector<Group> groups;
    auto makeGroup = [&](const std::vector<size_t>& members) {
        Group g{QUuid::createUuid(), entries[members.front()].size, {}};
        for (size_t i : members)
            g.files.push_back(entries[i].node);
        groups.push_back(std::move(g));
    };
    int64_t lookedUp = 0;
    std::vector<std::vector<size_t>> partialGroups = groupByKey(entries, std::move(partial));
    keepOnePathPerFile(entries, folders, partialGroups, threads, lookedUp);
    std::vector<size_t> fullPass;
    for (const auto& members : partialGroups) {
        if (entries[members.front()].size <= kPartialBytes)
            makeGroup(members);
        else
            fullPass.insert(fullPass.end(), members.begin(), members.end());
    }
    const auto fullStart = std::chrono::steady_clock::now();
    std::vector<Hashed> full = hashAll(entries, folders, fullPass, std::nullopt, threads, bytesRead);
    const double fullSeconds = secondsSince(fullStart);
    for (const auto& members : groupByKey(entries, full))
        makeGroup(members);
    const double hashSeconds = secondsSince(hashStart);

    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.wastedBytes() > b.wastedBytes(); });
    if (stats) {
        stats->candidates = static_cast<int64_t>(entries.size());
        stats->partialHashed = static_cast<int64_t>(entries.size());
        stats->fullHashed = static_cast<int64_t>(fullPass.size());
        stats->identityChecked = lookedUp;
        stats->bytesRead = bytesRead.load();
        stats->walkSeconds = walkSeconds;
        stats->hashSeconds = hashSeconds;
        stats->partialSeconds = partialSeconds;
        stats->fullSeconds = fullSeconds;
        stats->fullBytes = stats->bytesRead - partialBytes;
    }
    return groups;
}

} // namespace DuplicateFinder
