#include "model/DuplicateFinder.h"

#include "model/Parallel.h"
#include "platform/LongPath.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace DuplicateFinder {

namespace {

constexpr size_t kBufferBytes = 1 << 20;

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

struct FileIdHash {
    size_t operator()(const std::pair<uint64_t, uint64_t>& id) const {
        return std::hash<uint64_t>()(id.second * 0x9E3779B97F4A7C15ull ^ id.first);
    }
};

struct Hashed {
    size_t entry; // index into the entries
    FileDigest digest;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Hashes the given entries on `threads` workers; the result holds the entries that produced a digest,
// in the order given.
std::vector<Hashed> hashAll(const std::vector<Entry>& entries, const std::vector<std::string>& folders,
                            const std::vector<size_t>& which, std::optional<int64_t> limit, int threads,
                            std::atomic<int64_t>& bytesRead) {
    std::vector<std::optional<FileDigest>> results(which.size());
    std::vector<size_t> order(which.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (limit) {
        // Many small reads: folder by folder, so each folder is looked up once per run of its files.
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const Entry& x = entries[which[a]];
            const Entry& y = entries[which[b]];
            return x.folder != y.folder ? x.folder < y.folder : x.walkOrder < y.walkOrder;
        });
    } else {
        // Whole files: largest first, so one big file does not start last and hold the pass alone.
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return entries[which[a]].size > entries[which[b]].size; });
    }
    const size_t chunk = limit ? 32 : 1;
    std::atomic<size_t> next = 0;
    auto work = [&] {
        std::vector<unsigned char> buffer(kBufferBytes);
        FolderCursor cursor(folders);
        int64_t read = 0;
        for (size_t first; (first = next.fetch_add(chunk, std::memory_order_relaxed)) < order.size();) {
            for (size_t k = first; k < std::min(first + chunk, order.size()); ++k) {
                size_t i = order[k];
                const Entry& e = entries[which[i]];
                int dir = cursor.at(e.folder);
                if (dir < 0) continue;
                results[i] = hashFileAt(dir, e.name.c_str(), e.size, limit, buffer);
                if (results[i]) read += limit ? std::min(*limit, e.size) : e.size;
            }
        }
        bytesRead += read;
    };
    int workers = std::max(1, std::min<int>(threads, static_cast<int>(which.size())));
    runOnThreads(static_cast<size_t>(workers), work);

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
        return a.digest.digest < b.digest.digest;
    });
    std::vector<std::vector<size_t>> groups;
    for (size_t i = 0; i < hashed.size();) {
        size_t end = i + 1;
        while (end < hashed.size() && entries[hashed[end].entry].size == entries[hashed[i].entry].size &&
               hashed[end].digest.digest == hashed[i].digest.digest)
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

} // namespace

std::optional<FileDigest> hashFile(const std::string& path, int64_t expectedSize,
                                   std::optional<int64_t> limit, std::vector<unsigned char>& buffer) {
    platform::PathAt at(path);
    return hashFileAt(at.folder(), at.name(), expectedSize, limit, buffer);
}

std::optional<FileDigest> hashFileAt(int folder, const char* name, int64_t expectedSize,
                                     std::optional<int64_t> limit, std::vector<unsigned char>& buffer) {
    if (expectedSize < 0 || buffer.empty()) return std::nullopt;
    // O_NOFOLLOW: a link put in the file's place is not followed. O_NONBLOCK: a pipe put there does not
    // block the open (and is refused below).
    int fd = openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};

    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != expectedSize) return std::nullopt;

    const bool whole = !limit;
    int64_t remaining = whole ? expectedSize : std::min(*limit, expectedSize);
    if (whole) posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    // One digest context per thread, reused for every file it hashes.
    thread_local struct Context {
        EVP_MD_CTX* ctx = EVP_MD_CTX_new();
        ~Context() { EVP_MD_CTX_free(ctx); }
    } context;
    EVP_MD_CTX* ctx = context.ctx;
    if (!ctx || !sha256() || EVP_DigestInit_ex(ctx, sha256(), nullptr) != 1) return std::nullopt;

    while (remaining > 0) {
        size_t want = static_cast<size_t>(std::min<int64_t>(remaining, static_cast<int64_t>(buffer.size())));
        ssize_t n = read(fd, buffer.data(), want); // never past the scanned size
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) return std::nullopt; // shorter than it was: not the scanned content
        if (EVP_DigestUpdate(ctx, buffer.data(), static_cast<size_t>(n)) != 1) return std::nullopt;
        remaining -= n;
    }
    // A file that changed size while it was read is not the file that was scanned. (A prefix read for
    // the first comparison needs no second look: the file is read whole, and checked, if it matters.)
    const bool settlesFile = whole || expectedSize <= *limit;
    struct stat after {};
    if (settlesFile && (fstat(fd, &after) != 0 || after.st_size != expectedSize)) return std::nullopt;
    if (whole) posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED); // drop what a whole-file read brought in

    FileDigest result;
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx, result.digest.data(), &length) != 1 || length != result.digest.size())
        return std::nullopt;
    result.device = static_cast<uint64_t>(st.st_dev);
    result.inode = static_cast<uint64_t>(st.st_ino);
    return result;
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
        std::unordered_map<int64_t, std::vector<std::pair<FileNode*, size_t>>> buckets;
        std::vector<int64_t> sizesInWalkOrder;
        size_t walkOrder = 0;
        folder->forEachNode([&](FileNode* node) {
            ++walkOrder;
            if (node->isDirectory() || node->logicalSize <= 0 || node->sizeOnDisk <= 0 || !node->parent())
                return;
            auto& bucket = buckets[node->logicalSize];
            if (bucket.empty()) sizesInWalkOrder.push_back(node->logicalSize);
            bucket.emplace_back(node, walkOrder);
        });
        std::unordered_map<const FileNode*, uint32_t> folderIndex;
        for (int64_t size : sizesInWalkOrder) {
            const auto& bucket = buckets[size];
            if (bucket.size() < 2) continue;
            for (auto [node, order] : bucket) {
                auto [it, added] =
                    folderIndex.try_emplace(node->parent(), static_cast<uint32_t>(folders.size()));
                if (added) folders.push_back(node->parent()->path());
                entries.push_back({node, size, it->second, order, std::string(node->name())});
            }
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

    // One file reached by two paths (hard links, a folder seen twice) is one file: its first path stays.
    std::unordered_set<std::pair<uint64_t, uint64_t>, FileIdHash> seen;
    seen.reserve(partial.size());
    std::erase_if(partial, [&](const Hashed& h) {
        return !seen.insert({h.digest.device, h.digest.inode}).second;
    });

    std::vector<Group> groups;
    auto makeGroup = [&](const std::vector<size_t>& members) {
        Group g{QUuid::createUuid(), entries[members.front()].size, {}};
        for (size_t i : members)
            g.files.push_back(entries[i].node);
        groups.push_back(std::move(g));
    };
    std::vector<size_t> fullPass;
    for (const auto& members : groupByKey(entries, partial)) {
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
