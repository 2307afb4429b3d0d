#include "model/DuplicateFinder.h"

#include "model/DuplicateCandidates.h"
#include "model/DuplicatePrefilter.h"
#include "model/FreeStorage.h"
#include "model/Parallel.h"
#include "platform/DiskReadWatch.h"
#include "platform/LongPath.h"
#include "platform/PageCache.h"
#include "platform/ReadOpen.h"
#include "platform/ThreadDescriptors.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <functional>
#include <limits>
#include <mutex>
#include <shared_mutex>
#include <span>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace DuplicateFinder {

namespace {

constexpr size_t kBufferBytes = 256 << 10;
// Readers a pass grows to while they wait on the disk (a cold cache): one read in flight per reader, and
// a virtio or NVMe disk serves many at once.
constexpr size_t kDiskWorkers = 64;

const EVP_MD* sha256() {
    // Fetched once: an implicit fetch per digest would look the provider up on every file.
    static EVP_MD* md = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return md;
}

using Candidates = DuplicateCandidates;

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
    size_t operator()(const FileId& id) const {
        return std::hash<uint64_t>()(id.second * 0x9E3779B97F4A7C15ull ^ id.first);
    }
};

template <typename Key> struct Keyed {
    size_t file; // index into the candidates
    Key key;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs visit(folderFd, k) for every position k of `which` (indices into the candidates) on `threads`
// workers, more while they wait on the disk; each worker makes its own visitor with makeVisitor(). The
// first `singles` positions are taken one at a time, the others a run of 32 at a time (mostly of one
// folder: one folder open for many files). Files whose folder cannot be opened are skipped, and so is
// every file once `stop` is requested.
template <typename MakeVisitor>
void visitFiles(const Candidates& candidates, const std::vector<size_t>& which, size_t singles, int threads,
                const std::stop_token& stop, MakeVisitor makeVisitor) {
    constexpr size_t chunk = 32;
    std::atomic<size_t> nextSingle = 0, nextChunk = singles;
    const std::thread::id caller = std::this_thread::get_id();
    auto work = [&](const std::function<bool()>& grow) {
        // Workers opening and closing files at once would queue on the process's one descriptor table.
        if (std::this_thread::get_id() != caller) platform::useOwnDescriptorTable();
        auto visit = makeVisitor();
        FolderCursor cursor(candidates.folders);
        platform::DiskReadWatch disk;
        auto visitRange = [&](size_t first, size_t end) {
            for (size_t k = first; k < end && !stop.stop_requested(); ++k) {
                int dir = cursor.at(candidates.files[which[k]].folder);
                if (dir >= 0) visit(dir, k);
            }
            if (disk.waitedOnDisk()) grow();
        };
        for (size_t k; (k = nextSingle.fetch_add(1, std::memory_order_relaxed)) < singles;)
            visitRange(k, k + 1);
        for (size_t k; (k = nextChunk.fetch_add(chunk, std::memory_order_relaxed)) < which.size();)
            visitRange(k, std::min(k + chunk, which.size()));
    };
    const size_t workers =
        std::clamp<size_t>(static_cast<size_t>(threads), 1, std::max<size_t>(1, which.size()));
    runOnGrowingThreads(workers, std::max(workers, kDiskWorkers), work);
}

// Reads a key for each of the given files, in the order given (the first `singles` one at a time,
// the others 32 at a time), on `threads` workers; the result holds the files that produced one.
// `readKey(folderFd, k, name, buffer)` gives the key of position k or none and `limitOf(k)` the most bytes
// it reads of that file (for the count of bytes read); `bufferBytes` is each worker's scratch space.
template <typename Key, typename ReadKey, typename LimitOf>
std::vector<Keyed<Key>> readKeys(const Candidates& candidates, const std::vector<size_t>& which,
                                 size_t singles, int threads, size_t bufferBytes,
                                 std::atomic<int64_t>& bytesRead, const std::stop_token& stop,
                                 ReadKey readKey, LimitOf limitOf) {
    std::vector<Keyed<Key>> keyed(which.size());
    std::vector<char> found(which.size()); // not a vector<bool>: workers write neighbouring entries
    // Each worker's buffer, reused for every file it reads; its byte count is added up when it ends.
    struct Reader {
        std::atomic<int64_t>& total;
        std::vector<unsigned char> buffer;
        int64_t read = 0;
        ~Reader() { total += read; }
    };
    visitFiles(candidates, which, singles, threads, stop, [&] {
        return [&, reader = std::make_shared<Reader>(bytesRead, std::vector<unsigned char>(bufferBytes))](
                   int dir, size_t k) {
            const Candidates::File& f = candidates.files[which[k]];
            if (std::optional<Key> key = readKey(dir, k, candidates.nameOf(f), reader->buffer)) {
                keyed[k] = {which[k], *key};
                found[k] = 1;
                reader->read += std::min(limitOf(k), f.size);
            }
        };
    });
    size_t kept = 0;
    for (size_t k = 0; k < which.size(); ++k)
        if (found[k]) keyed[kept++] = keyed[k];
    keyed.resize(kept);
    return keyed;
}

// The screen: a fingerprint of each file's first bytes, folder by folder.
std::vector<Keyed<uint64_t>> screenAll(const Candidates& candidates, const std::vector<size_t>& which,
                                       int threads, std::atomic<int64_t>& bytesRead,
                                       const std::stop_token& stop) {
    return readKeys<uint64_t>(
        candidates, which, 0, threads, DuplicatePrefilter::kBytes + 1, bytesRead, stop,
        [&](int dir, size_t k, const char* name, std::vector<unsigned char>& buffer) {
            return DuplicatePrefilter::readAt(dir, name, candidates.files[which[k]].size, buffer);
        },
        [](size_t) { return DuplicatePrefilter::kBytes; });
}

// SHA-256 digests, in one pass: of the whole of each file of `whole` (largest first, one at a time, so
// that no big file starts last and holds the pass alone) and of the first kPartialBytes of each file of
// `prefixes` (folder by folder, filling in around them). The digests of `whole` come first. The device
// and inode of each file of `prefixes` go to `ids`, at the file's index.
std::vector<Keyed<Digest>> hashAll(const Candidates& candidates, std::vector<size_t> whole,
                                   std::vector<size_t> prefixes, int threads, std::vector<FileId>& ids,
                                   std::atomic<int64_t>& bytesRead, const std::stop_token& stop) {
    std::stable_sort(whole.begin(), whole.end(),
                     [&](size_t a, size_t b) { return candidates.files[a].size > candidates.files[b].size; });
    std::sort(prefixes.begin(), prefixes.end());
    const size_t singles = whole.size();
    std::vector<size_t> which = std::move(whole);
    which.insert(which.end(), prefixes.begin(), prefixes.end());
    auto limitOf = [&](size_t k) {
        return k < singles ? std::numeric_limits<int64_t>::max() : kPartialBytes;
    };
    // A prefix read of a file that ends within the limit asks for one byte more.
    const size_t bufferBytes = singles > 0 ? kBufferBytes : static_cast<size_t>(kPartialBytes) + 4096;
    return readKeys<Digest>(
        candidates, which, singles, threads, bufferBytes, bytesRead, stop,
        [&](int dir, size_t k, const char* name, std::vector<unsigned char>& buffer) {
            return hashFileAt(dir, name, candidates.files[which[k]].size,
                              k < singles ? std::nullopt : std::optional(kPartialBytes), buffer,
                              k < singles ? nullptr : &ids[which[k]], stop);
        },
        limitOf);
}

// Groups keyed files by (size, key): the groups of two or more, each in walk order, ordered by their
// first file. Sorting one array avoids a container per distinct key.
template <typename Key>
std::vector<std::vector<size_t>> groupByKey(const Candidates& candidates, std::span<Keyed<Key>> keyed) {
    const auto& files = candidates.files;
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed<Key>& a, const Keyed<Key>& b) {
        if (files[a.file].size != files[b.file].size) return files[a.file].size < files[b.file].size;
        if (a.key != b.key) return a.key < b.key;
        return files[a.file].walkOrder < files[b.file].walkOrder;
    });
    std::vector<std::vector<size_t>> groups;
    for (size_t i = 0; i < keyed.size();) {
        size_t end = i + 1;
        while (end < keyed.size() && files[keyed[end].file].size == files[keyed[i].file].size &&
               keyed[end].key == keyed[i].key)
            ++end;
        if (end - i >= 2) {
            std::vector<size_t> members;
            for (size_t k = i; k < end; ++k)
                members.push_back(keyed[k].file);
            groups.push_back(std::move(members));
        }
        i = end;
    }
    std::sort(groups.begin(), groups.end(), [&](const auto& a, const auto& b) {
        return files[a.front()].walkOrder < files[b.front()].walkOrder;
    });
    return groups;
}

// The files whose (size, fingerprint) another file shares, in the order given. Both are mixed into one
// number and counted in an open-addressing table: cheaper than sorting, and two pairs that happen to mix
// alike only let files through to the hashing.
std::vector<size_t> withSharedKey(const Candidates& candidates, const std::vector<Keyed<uint64_t>>& keyed) {
    const size_t mask = std::bit_ceil(keyed.size() + keyed.size() / 2 + 2) - 1; // at most two thirds full
    std::vector<uint64_t> table(mask + 1);                                      // 0: empty
    std::vector<bool> repeated(mask + 1);
    auto slotOf = [&](const Keyed<uint64_t>& k) {
        const auto size = static_cast<uint64_t>(candidates.files[k.file].size);
        const uint64_t mixed = std::max<uint64_t>(1, k.key ^ std::rotl(size * 0x9E3779B97F4A7C15ull, 29));
        size_t i = (mixed ^ (mixed >> 32)) & mask;
        while (table[i] != 0 && table[i] != mixed)
            i = (i + 1) & mask;
        return std::pair{i, mixed};
    };
    for (const auto& k : keyed) {
        auto [i, mixed] = slotOf(k);
        if (table[i] == mixed) repeated[i] = true;
        table[i] = mixed;
    }
    std::vector<size_t> shared;
    for (const auto& k : keyed)
        if (repeated[slotOf(k).first]) shared.push_back(k.file);
    return shared;
}

// One file reached by two paths (hard links, a folder seen twice) is one file: its first path stays. A
// group left with fewer than two goes.
void keepOnePathPerFile(std::vector<std::vector<size_t>>& groups, const std::vector<FileId>& ids) {
    for (auto& g : groups) {
        std::unordered_set<FileId, FileIdHash> seen;
        std::vector<size_t> kept;
        for (size_t file : g)
            if (seen.insert(ids[file]).second) kept.push_back(file);
        g = std::move(kept);
    }
    std::erase_if(groups, [](const auto& g) { return g.size() < 2; });
}

// The digest each group was formed on, by the group's first file.
std::unordered_map<size_t, Digest> digestsOf(const std::vector<std::vector<size_t>>& groups,
                                             std::span<const Keyed<Digest>> keyed) {
    std::unordered_map<size_t, Digest> digests;
    for (const auto& members : groups)
        digests.emplace(members.front(), Digest{});
    for (const Keyed<Digest>& k : keyed)
        if (auto found = digests.find(k.file); found != digests.end()) found->second = k.key;
    return digests;
}

} // namespace

QUuid groupId(int64_t size, const Digest& digest) {
    // Any fixed namespace will do: the ids are only compared with each other.
    static const QUuid space(QStringLiteral("{5f0f7d2e-8c1a-4b7e-9a43-2d8e6c1b0a57}"));
    QByteArray name(reinterpret_cast<const char*>(&size), sizeof size);
    name.append(reinterpret_cast<const char*>(digest.data()), qsizetype(digest.size()));
    return QUuid::createUuidV5(space, name);
}

std::optional<Digest> hashFile(const std::string& path, int64_t expectedSize, std::optional<int64_t> limit,
                               std::vector<unsigned char>& buffer) {
    platform::PathAt at(path);
    return hashFileAt(at.folder(), at.name(), expectedSize, limit, buffer);
}

std::optional<Digest> hashFileAt(int folder, const char* name, int64_t expectedSize,
                                 std::optional<int64_t> limit, std::vector<unsigned char>& buffer,
                                 FileId* identity, std::stop_token stop) {
    if (expectedSize < 0 || expectedSize == std::numeric_limits<int64_t>::max() || buffer.empty())
        return std::nullopt;
    // A link put in the file's place is not followed; a pipe put there does not block, and reads nothing.
    int fd = platform::openToRead(folder, name);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    if (identity) {
        struct stat st {};
        if (fstat(fd, &st) != 0) return std::nullopt;
        *identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    }

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
    platform::CacheKeepingReader reader(fd, toRead);
    int64_t got = 0;
    bool failed = false;
    while (!failed && got < toRead) {
        // Asked before every buffer: quitting must not wait for the rest of a file of many gigabytes.
        if (stop.stop_requested()) {
            failed = true;
            break;
        }
        auto want = static_cast<size_t>(std::min<int64_t>(toRead - got, static_cast<int64_t>(buffer.size())));
        ssize_t n = reader.read(buffer.data(), want);
        if (n < 0) {
            failed = true;
            break;
        }
        int64_t useful = std::clamp<int64_t>(toHash - got, 0, n);
        if (useful > 0 && EVP_DigestUpdate(ctx, buffer.data(), static_cast<size_t>(useful)) != 1)
            failed = true;
        got += n;
        if (static_cast<size_t>(n) < want) break; // the file's end
    }
    if (failed || got != toHash) return std::nullopt;

    Digest digest;
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx, digest.data(), &length) != 1 || length != digest.size()) return std::nullopt;
    return digest;
}

std::vector<Group> find(const std::shared_ptr<ScanTree>& tree, const FileNode* folder, Stats* stats,
                        int threads, std::stop_token stop) {
    const auto start = std::chrono::steady_clock::now();
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    Candidates candidates;
    {
        // The walk and the paths need the lock; the reading below must not hold it.
        std::shared_lock lock(tree->mutex());
        candidates = Candidates::collect(folder ? folder : tree->root(), threads, tree->trashFolders());
    }
    const double walkSeconds = secondsSince(start);

    const auto hashStart = std::chrono::steady_clock::now();
    std::atomic<int64_t> bytesRead = 0;
    std::vector<size_t> all(candidates.files.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    // Only files whose first bytes match another's of the same size go on to be hashed.
    std::vector<size_t> screened =
        withSharedKey(candidates, screenAll(candidates, all, threads, bytesRead, stop));
    const double screenSeconds = secondsSince(hashStart);
    // Files skipped or cut short by a stop would make groups that are wrong, not merely incomplete.
    if (stop.stop_requested()) return {};

    // Files longer than the partial hash go first: those whose first bytes match another's are then read
    // whole, in one pass with the partial hashes of the shorter files, which settle those.
    const auto partialStart = std::chrono::steady_clock::now();
    std::vector<size_t> longer, shorter;
    for (size_t i : screened)
        (candidates.files[i].size > kPartialBytes ? longer : shorter).push_back(i);
    // Paths that are one file count once: every file hashed is looked up on its descriptor.
    std::vector<FileId> ids(candidates.files.size());
    std::vector<Keyed<Digest>> longerDigests = hashAll(candidates, {}, longer, threads, ids, bytesRead, stop);
    if (stop.stop_requested()) return {};
    std::vector<std::vector<size_t>> longerGroups = groupByKey<Digest>(candidates, longerDigests);
    freeStorage(longerDigests);
    keepOnePathPerFile(longerGroups, ids);
    std::vector<size_t> fullPass;
    for (const auto& members : longerGroups)
        fullPass.insert(fullPass.end(), members.begin(), members.end());
    const double partialSeconds = secondsSince(partialStart);

    const auto fullStart = std::chrono::steady_clock::now();
    std::vector<Keyed<Digest>> whole = hashAll(candidates, fullPass, shorter, threads, ids, bytesRead, stop);
    const double fullSeconds = secondsSince(fullStart);
    if (stop.stop_requested()) return {};
    const auto firstShorter = std::partition_point(whole.begin(), whole.end(), [&](const Keyed<Digest>& k) {
        return candidates.files[k.file].size > kPartialBytes;
    });
    std::vector<std::vector<size_t>> wholeGroups =
        groupByKey<Digest>(candidates, {whole.begin(), firstShorter});
    std::vector<std::vector<size_t>> shorterGroups =
        groupByKey<Digest>(candidates, {firstShorter, whole.end()});
    keepOnePathPerFile(shorterGroups, ids);

    std::vector<Group> groups;
    auto addGroups = [&](const std::vector<std::vector<size_t>>& found,
                         std::span<const Keyed<Digest>> keyed) {
        const std::unordered_map<size_t, Digest> digests = digestsOf(found, keyed);
        for (const auto& members : found) {
            const int64_t size = candidates.files[members.front()].size;
            Group g{groupId(size, digests.at(members.front())), size, {}};
            for (size_t i : members)
                g.files.push_back(candidates.files[i].node);
            groups.push_back(std::move(g));
        }
    };
    addGroups(shorterGroups, {firstShorter, whole.end()});
    addGroups(wholeGroups, {whole.begin(), firstShorter});
    const double hashSeconds = secondsSince(hashStart);

    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.wastedBytes() > b.wastedBytes(); });
    if (stats) {
        stats->candidates = static_cast<int64_t>(candidates.files.size());
        stats->partialHashed = static_cast<int64_t>(screened.size());
        stats->fullHashed = static_cast<int64_t>(fullPass.size());
        stats->identityChecked = static_cast<int64_t>(screened.size());
        stats->bytesRead = bytesRead.load();
        stats->walkSeconds = walkSeconds;
        stats->hashSeconds = hashSeconds;
        stats->screenSeconds = screenSeconds;
        stats->partialSeconds = partialSeconds;
        stats->fullSeconds = fullSeconds;
        stats->fullBytes = 0;
        for (auto k = whole.begin(); k != firstShorter; ++k)
            stats->fullBytes += candidates.files[k->file].size;
    }
    return groups;
}

} // namespace DuplicateFinder
