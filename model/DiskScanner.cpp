#include "model/DiskScanner.h"

#include "model/EntryBatch.h"
#include "model/FolderOpener.h"
#include "model/FreeStorage.h"
#include "model/Saturating.h"
#include "model/TreeRollUp.h"
#include "platform/DirectoryReader.h"
#include "platform/DiskReadWatch.h"
#include "platform/MountTable.h"
#include "platform/TrashFolders.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <span>
#include <thread>
#include <unistd.h>
#include <unordered_set>
#include <utility>

namespace {

using platform::DirectoryReader;
using platform::EntryStatus;

// A folder with more entries than this has its statx work shared out in chunks among idle workers.
constexpr size_t kShareThreshold = 2048;
constexpr size_t kChunkEntries = 1024;
// The same once the workers wait on the disk: then each statx may wait for a read, and a folder of a
// thousand subfolders read by one worker would hold back the whole walk below it.
constexpr size_t kDiskShareThreshold = 128;
constexpr size_t kDiskChunkEntries = 64;
// The least a getdents64 record takes: its 19-byte head, a one-byte name and its NUL, padded to 8.
constexpr size_t kLeastRecordBytes = 24;
// Batches of a large folder read ahead of the statx work before the reader takes chunks itself: read
// much further, the names wait in memory (a 200,000-file folder read through is 5 MB of them).
constexpr size_t kBatchesAhead = 4;
constexpr size_t kArenaBlock = 4 << 20;
// Workers a scan grows to while its workers wait on the disk: one request in flight per worker, and a
// disk answers a long queue far faster than one request at a time (a cold scan here: 8 workers 3.1 s,
// 32 1.6 s, 64 1.27 s, 128 1.27 s). A warm scan keeps one worker per processor: more only contend, so
// the extra ones retire as soon as their calls stop waiting.
constexpr int kDiskWorkers = 64;

using Clock = std::chrono::steady_clock;
// A worker adds its counts to the scan's progress once per this many folders (or chunks) it reads.
constexpr int kProgressEvery = 16;
double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool endsWithApp(std::string_view s) {
    if (s.size() < 4) return false;
    s = s.substr(s.size() - 4);
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return s[0] == '.' && lower(s[1]) == 'a' && lower(s[2]) == 'p' && lower(s[3]) == 'p';
}

// A folder that cannot be opened or read, for whatever reason, is counted; only a scanned path that is
// missing or no folder at all is not.
bool countsAsUnreadable(int error, bool isRoot) {
    return error != 0 && !(isRoot && (error == ENOENT || error == ENOTDIR));
}

struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using PathSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;

// The folders a scan never descends, in the scan's own spelling of paths: when the scanned path
// reaches its folder through a symbolic link, the real paths below it are rewritten onto it.
PathSet skipSetFor(const std::string& root, const std::vector<platform::MountEntry>& mounts) {
    std::vector<std::string> paths = platform::undescendedPaths(mounts);
    PathSet set(paths.begin(), paths.end());
    std::error_code ec;
    std::string real = std::filesystem::canonical(root, ec).string();
    if (ec || real == root) return set;
    for (const std::string& p : paths) {
        std::string_view rest;
        if (real == "/")
            rest = p;
        else if (p.size() > real.size() && p.starts_with(real) && p[real.size()] == '/')
            rest = std::string_view(p).substr(real.size());
        else
            continue;
        set.insert(root == "/" ? std::string(rest) : root + std::string(rest));
    }
    return set;
}

struct LinkRecord {
    uint64_t device;
    uint64_t inode;
    FileNode* node;
};

// Among the nodes of one (device, inode), the smallest full path keeps the blocks; the others count 0.
void settleHardLinks(std::vector<LinkRecord>& links) {
    std::sort(links.begin(), links.end(), [](const LinkRecord& a, const LinkRecord& b) {
        return a.device != b.device ? a.device < b.device : a.inode < b.inode;
    });
    for (size_t start = 0; start < links.size();) {
        size_t end = start + 1;
        while (end < links.size() && links[end].device == links[start].device &&
               links[end].inode == links[start].inode)
            ++end;
        if (end - start > 1) {
            size_t keeper = start;
            std::string best = links[start].node->path();
            for (size_t i = start + 1; i < end; ++i) {
                std::string p = links[i].node->path();
                if (p < best) {
                    best = std::move(p);
                    keeper = i;
                }
            }
            for (size_t i = start; i < end; ++i)
                if (i != keeper) links[i].node->sizeOnDisk = 0;
        }
        start = end;
    }
}

struct BigFolder;

// Without a path of its own (the node gives it). Three kinds: reading a folder; statx'ing one chunk of
// a large folder's entries (`big` set); and the folders directly below a read folder (`folders` above
// 0), which wait as one job and are handed out one by one from the top of the stack, so a walk through
// many wide folders keeps one job per folder read, not one per folder still to read.
struct Job {
    FileNode* node = nullptr; // the folder read, or whose chunk or subfolders these are
    // Where the folder (or the subfolders) is opened from.
    FolderOpener::Base base;
    std::shared_ptr<BigFolder> big;
    EntryBatch* batch = nullptr;
    // Of a subfolders job: the subfolders, listed when their parent was read, so that handing one out
    // under the stack's lock touches no node.
    std::unique_ptr<FileNode*[]> pending;
    uint32_t next = 0;    // the next one in `pending` handed out
    uint32_t folders = 0; // subfolders not handed out yet
    // Below an app bundle. A reading job's own folder is checked when it is read (the root excepted:
    // its job says it for it).
    bool insideApp = false;

    static Job readFolder(FileNode* folder, FolderOpener::Base base, bool insideApp) {
        return {folder, std::move(base), nullptr, nullptr, nullptr, 0, 0, insideApp};
    }
    // Statx'es the next chunk of the batch not taken yet, if any.
    static Job statChunk(const std::shared_ptr<BigFolder>& big, EntryBatch* batch);
    // The `count` folders among `children` (the folder's, attached already) wait as one job.
    static Job subfolders(FileNode* folder, std::span<FileNode* const> children, uint32_t count,
                          FolderOpener::Base base, bool insideApp) {
        auto pending = std::make_unique_for_overwrite<FileNode*[]>(count);
        uint32_t listed = 0;
        for (FileNode* child : children)
            if (child->isDirectory()) pending[listed++] = child;
        return {folder, std::move(base), nullptr, nullptr, std::move(pending), 0, count, insideApp};
    }

    // The work a job stands for, in jobs a worker takes.
    size_t work() const { return folders > 0 ? folders : 1; }

    // Of a subfolders job: the next subfolder's reading job. The base goes with the last one.
    Job takeSubfolder() {
        FileNode* folder = pending[next++];
        if (--folders == 0) return readFolder(folder, std::move(base), insideApp);
        return readFolder(folder, base, insideApp);
    }
};

// A folder too large for one worker: while one worker goes on reading it, each batch of entries it
// has read is cut into chunks whose statx work any free worker takes as a job; when the reader gets
// more than a few batches ahead, it takes their chunks itself. Whoever completes the last piece of
// work (the reading or a chunk) attaches the children, in reading order.
struct BigFolder {
    DirectoryReader* reader = nullptr;
    int fd = -1;
    FileNode* node = nullptr;
    std::string path;
    std::string prefix;
    bool insideApp = false;
    std::vector<FileNode*> head; // children read before the folder turned out to be large
    std::vector<std::unique_ptr<EntryBatch>> batches; // appended by the reading worker only
    FolderOpener::Base base;                          // where the folder was opened from
    std::atomic<size_t> outstanding = 1;              // chunks not done, plus one until the reading ends
    std::atomic<bool> hasLinks = false;               // a file of it has other names

    ~BigFolder() {
        if (fd >= 0) reader->closeDirectory(fd);
    }
};

Job Job::statChunk(const std::shared_ptr<BigFolder>& big, EntryBatch* batch) {
    return {big->node, {}, big, batch, nullptr, 0, 0, big->insideApp};
}

// Last in, first out, so the walk runs depth first and the stack stays short. A worker counts as
// active from pop() until finish(); waiting workers end only when no job is left and none is active.
class JobStack {
  public:
    explicit JobStack(Job first) { jobs_.push_back(std::move(first)); }

    // `idled` tells whether the caller had to wait for a job.
    std::optional<Job> pop(bool& idled) {
        std::unique_lock lock(mutex_);
        return take(lock, idled);
    }

    // Adds jobs while the caller stays active.
    void add(std::vector<Job>& more) {
        std::lock_guard lock(mutex_);
        wake(append(more));
    }

    // Adds the caller's new jobs and marks its job finished. Never throws: a job always finishes.
    void finish(std::vector<Job>& more) noexcept {
        std::lock_guard lock(mutex_);
        wake(settle(more));
    }

    // finish() and pop() under one lock: the lock is the walk's busiest, taken twice per folder otherwise.
    std::optional<Job> finishAndPop(std::vector<Job>& more, bool& idled) {
        std::unique_lock lock(mutex_);
        const size_t added = settle(more);
        // The caller takes the newest job itself, so one fewer waiter needs waking for it.
        wake(added > 0 ? added - 1 : 0);
        return take(lock, idled);
    }

  private:
    std::optional<Job> take(std::unique_lock<std::mutex>& lock, bool& idled) {
        idled = false;
        while (jobs_.empty() && active_ != 0) {
            idled = true;
            ++waiting_;
            ready_.wait(lock);
            --waiting_;
        }
        if (jobs_.empty()) return std::nullopt;
        ++active_;
        Job& top = jobs_.back();
        if (top.folders > 0) {
            Job job = top.takeSubfolder();
            if (top.folders == 0) jobs_.pop_back();
            return job;
        }
        Job job = std::move(top);
        jobs_.pop_back();
        return job;
    }

    // Appends the caller's new jobs and ends its job; returns the work to wake waiters for.
    size_t settle(std::vector<Job>& more) noexcept {
        size_t added = 0;
        try {
            added = append(more);
        } catch (...) {
        }
        --active_;
        if (active_ == 0 && jobs_.empty()) {
            ready_.notify_all();
            return 0;
        }
        return added;
    }

    // Returns the work added.
    size_t append(std::vector<Job>& more) {
        size_t work = 0;
        for (Job& j : more) {
            work += j.work();
            jobs_.push_back(std::move(j));
        }
        return work;
    }
    void wake(size_t added) {
        if (added == 0 || waiting_ == 0) return;
        if (added >= waiting_)
            ready_.notify_all();
        else
            for (size_t i = 0; i < added; ++i)
                ready_.notify_one();
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Job> jobs_; // no doubling copy of a long stack
    size_t active_ = 0;
    size_t waiting_ = 0;
};

struct Counts {
    int64_t files = 0;
    int64_t bytes = 0;
};

// Everything one worker keeps: its arena and hard links for the scan's life; its read buffer and
// scratch lists only while it runs. A retired worker's place is taken by the next worker started.
struct Worker {
    Arena arena{kArenaBlock};
    std::unique_ptr<std::byte[]> buffer;
    std::vector<FileNode*> children;
    std::vector<Job> newJobs;
    std::vector<LinkRecord> links;
    std::string path;       // a subfolder's, while its entry is made
    std::string folderPath; // the folder being read, and the same with its trailing "/"
    std::string prefix;
    Counts unreported;      // progress not yet added to the scan's
    unsigned readsSeen = 0; // folders and chunks read, for reporting one in kProgressEvery
    std::thread thread;     // none for the calling thread

    void start() {
        if (!buffer) buffer = std::make_unique_for_overwrite<std::byte[]>(DirectoryReader::kBufferSize);
    }
    // Lists grown for one large folder go back at once: kept, they would cost every worker as much.
    void trim() {
        if (newJobs.capacity() > 64) freeStorage(newJobs);
        if (children.capacity() > 1024) freeStorage(children);
    }
    void release() {
        buffer.reset();
        freeStorage(children);
        freeStorage(newJobs);
        freeStorage(path);
        freeStorage(folderPath);
        freeStorage(prefix);
    }
};

// Closes a folder descriptor unless handed on.
struct FdGuard {
    DirectoryReader* reader;
    int fd;
    ~FdGuard() {
        if (fd >= 0) reader->closeDirectory(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

} // namespace

struct DiskScanner::Impl {
    std::shared_ptr<DirectoryReader> reader;
    int threadCount = 0;
    int openFolderLimit = 0;

    mutable std::mutex lock; // guards the fields below
    Progress progress;       // its counts stay 0: they are the two below
    int64_t unreadableCount = 0;
    std::vector<std::string> unreadableSamples;
    Timings timings;

    std::atomic<bool> cancelled = false;
    // Outside the lock, which every folder read would take otherwise.
    std::atomic<int64_t> filesScanned = 0;
    std::atomic<int64_t> bytesScanned = 0;

    // Per scan, read-only while the workers run.
    PathSet skip;
    JobStack* stack = nullptr;
    FolderOpener* opener = nullptr;
    std::atomic<int> workerCount = 1;        // workers running; grows while they wait on the disk
    std::atomic<bool> waitingOnDisk = false; // more workers run than processors: share work finer
    int workerLimit = 1;                     // under growLock
    int baseWorkers = 1;                     // the count the extra workers retire back to
    std::mutex growLock;                     // guards the fields below
    std::deque<Worker> workers;              // every worker that ran, for the scan's life
    std::vector<Worker*> retired;            // places free for the next worker started
    bool walkOver = false;

    void startWorker();
    bool retire(Worker& w);

    void workerLoop(Worker& w, bool mayRetire);
    void readFolder(Job& job, Worker& w);
    void publishBatch(const std::shared_ptr<BigFolder>& big, std::span<const std::byte> records);
    bool statChunk(BigFolder& big, EntryBatch& batch, Worker& w);
    void completeBigFolderWork(BigFolder& big, Worker& w) noexcept;
    FileNode* makeNode(int dirFd, platform::DirEntry entry, FileNode* parent, bool insideApp, Worker& w,
                       Counts& counts, std::string_view prefix);
    void recordUnreadable(const std::string& path);
    void addProgress(const Counts& counts, const std::string& path, Worker& w);
    void reportProgress(Worker& w);
};

void DiskScanner::Impl::recordUnreadable(const std::string& path) {
    std::lock_guard guard(lock);
    ++unreadableCount;
    if (unreadableSamples.size() < 8) unreadableSamples.push_back(path);
}

// Every folder's counts added at once would have all workers writing the same few bytes; a worker's first
// folder is reported at once, so that the walk shows from its start.
void DiskScanner::Impl::addProgress(const Counts& counts, const std::string& path, Worker& w) {
    w.unreported.files += counts.files;
    w.unreported.bytes = saturating::add(w.unreported.bytes, counts.bytes);
    if (w.readsSeen++ % kProgressEvery != 0) return;
    reportProgress(w);
    // The path only shows where the walk is: when another worker holds the lock, its path will do.
    std::unique_lock guard(lock, std::try_to_lock);
    if (guard.owns_lock()) progress.currentPath = path;
}

void DiskScanner::Impl::reportProgress(Worker& w) {
    const Counts counts = std::exchange(w.unreported, {});
    if (counts.files != 0) filesScanned.fetch_add(counts.files, std::memory_order_relaxed);
    if (counts.bytes != 0) {
        int64_t seen = bytesScanned.load(std::memory_order_relaxed);
        while (!bytesScanned.compare_exchange_weak(seen, saturating::add(seen, counts.bytes),
                                                   std::memory_order_relaxed))
            ;
    }
}

FileNode* DiskScanner::Impl::makeNode(int dirFd, platform::DirEntry entry, FileNode* parent, bool insideApp,
                                      Worker& w, Counts& counts, std::string_view prefix) {
    if (entry.type == DT_LNK) return nullptr;
    EntryStatus st;
    if (reader->statEntry(dirFd, entry.name.data(), st) != 0) return nullptr; // vanished or unreadable entry
    if (st.isSymlink()) return nullptr;
    FileNode* node;
    if (st.isDirectory()) {
        w.path.assign(prefix).append(entry.name);
        if (skip.contains(std::string_view(w.path))) return nullptr;
        node = FileNode::make(w.arena, entry.name, true);
        node->setTotals(new (w.arena.allocateArray<FolderTotals>(1)) FolderTotals{}, false);
    } else {
        node = FileNode::make(w.arena, entry.name, false);
        node->logicalSize = st.size;
        node->sizeOnDisk = st.blocks * 512;
        node->category = insideApp ? FileCategory::application : file_category::forFileName(entry.name);
        if (st.linkCount > 1) w.links.push_back({st.device, st.inode, node});
        counts.files += 1;
        counts.bytes = saturating::add(counts.bytes, node->sizeOnDisk);
    }
    node->setParent(parent);
    node->modifiedStamp = st.modified;
    node->createdStamp = st.created;
    return node;
}

void DiskScanner::Impl::readFolder(Job& job, Worker& w) {
    Counts counts;
    int fd = -1;
    const bool isRoot = job.node->isRoot();
    const bool insideApp = job.insideApp || (!isRoot && endsWithApp(job.node->name()));
    std::string& path = w.folderPath;
    path.clear();
    job.node->appendPath(path);
    int error = opener->open(job.base, path, isRoot, fd);
    // Past the open, the parent's descriptor is needed only if this folder's is not kept for its children.
    FolderOpener::Base own = std::move(job.base);
    if (error != 0) {
        if (countsAsUnreadable(error, isRoot)) recordUnreadable(path);
        addProgress(counts, path, w);
        return;
    }
    FdGuard guard{reader.get(), fd};
    std::string& prefix = w.prefix;
    prefix.assign(path);
    if (path != "/") prefix += '/';
    w.children.clear();
    std::shared_ptr<BigFolder> big;
    // Ends the reading's share of a large folder's work, however this function is left.
    struct ReadingDone {
        Impl* impl;
        Worker& w;
        std::shared_ptr<BigFolder>& big;
        ~ReadingDone() {
            if (big) impl->completeBigFolderWork(*big, w);
        }
    } readingDone{this, w, big};

    size_t seen = 0;
    const size_t linksBefore = w.links.size();
    uint32_t subfolders = 0;
    size_t helped = 0;
    while (!cancelled.load(std::memory_order_relaxed)) {
        long n = reader->readEntries(fd, {w.buffer.get(), DirectoryReader::kBufferSize});
        if (n <= 0) {
            error = static_cast<int>(-n);
            break;
        }
        std::span<const std::byte> records(w.buffer.get(), static_cast<size_t>(n));
        const size_t shareAbove =
            waitingOnDisk.load(std::memory_order_relaxed) ? kDiskShareThreshold : kShareThreshold;
        // Counted ahead only when this read could take the folder past the threshold (most folders are
        // small); otherwise while its entries are made.
        size_t count = 0;
        const bool mayShare = !big && seen + records.size() / kLeastRecordBytes > shareAbove &&
                              workerCount.load(std::memory_order_relaxed) > 1;
        if (mayShare) platform::forEachDirEntry(records, [&](platform::DirEntry) { ++count; });
        if (mayShare && seen + count > shareAbove) {
            big = std::make_shared<BigFolder>();
            big->reader = reader.get();
            big->node = job.node;
            big->path = path;
            big->prefix = prefix;
            big->insideApp = insideApp;
            big->head = w.children;
            big->base = std::move(own);
            big->fd = guard.release();
            big->hasLinks = w.links.size() != linksBefore;
        }
        if (big) {
            publishBatch(big, records);
            // Every batch before `helped` has had all its chunks taken.
            while (big->batches.size() - helped > kBatchesAhead && !cancelled.load(std::memory_order_relaxed))
                if (!statChunk(*big, *big->batches[helped], w)) ++helped;
            continue;
        }
        platform::forEachDirEntry(records, [&](platform::DirEntry e) {
            ++seen;
            FileNode* node = makeNode(fd, e, job.node, insideApp, w, counts, prefix);
            if (!node) return;
            subfolders += node->isDirectory();
            w.children.push_back(node);
        });
    }
    if (countsAsUnreadable(error, isRoot)) recordUnreadable(path); // what was read before stays
    addProgress(counts, path, w);
    if (big) return; // the last of its work attaches the children

    FileNode** array = w.arena.allocateArray<FileNode*>(w.children.size());
    std::copy(w.children.begin(), w.children.end(), array);
    job.node->setChildren(array, static_cast<uint32_t>(w.children.size()));
    // A folder of files only is rolled up now, while its nodes are in this processor's cache, unless a
    // file of it has other names: settling hard links after the walk may still change its sizes.
    if (subfolders == 0 && w.links.size() == linksBefore && !cancelled.load(std::memory_order_relaxed))
        rollUpFolder(job.node);
    if (subfolders > 0)
        w.newJobs.push_back(Job::subfolders(job.node, w.children, subfolders,
                                            opener->baseForChildren(guard.fd, prefix.size(), std::move(own)),
                                            insideApp));
}

void DiskScanner::Impl::publishBatch(const std::shared_ptr<BigFolder>& big,
                                     std::span<const std::byte> records) {
    auto batch = std::make_unique<EntryBatch>(
        records, waitingOnDisk.load(std::memory_order_relaxed) ? kDiskChunkEntries : kChunkEntries);
    if (batch->size() == 0) return;
    const size_t chunks = batch->chunkCount();
    std::vector<Job> jobs;
    jobs.reserve(chunks);
    for (size_t c = 0; c < chunks; ++c)
        jobs.push_back(Job::statChunk(big, batch.get()));
    EntryBatch& added = *batch;
    big->batches.push_back(std::move(batch));
    // Counted before the jobs can run and finish.
    big->outstanding.fetch_add(chunks, std::memory_order_relaxed);
    try {
        stack->add(jobs);
    } catch (...) {
        added.takeNone(); // its entries are left out
        big->outstanding.fetch_sub(chunks, std::memory_order_relaxed);
        throw;
    }
}

bool DiskScanner::Impl::statChunk(BigFolder& big, EntryBatch& batch, Worker& w) {
    const std::optional<EntryBatch::Range> chunk = batch.takeChunk();
    if (!chunk) return false;
    if (!cancelled.load(std::memory_order_relaxed)) {
        Counts counts;
        const size_t linksBefore = w.links.size();
        // A descriptor of its own: threads sharing one would all bump the same file's reference count.
        int ownFd = -1;
        if (reader->openDirectory(big.fd, ".", false, ownFd) != 0) ownFd = -1;
        FdGuard ownGuard{reader.get(), ownFd};
        const int fd = ownFd >= 0 ? ownFd : big.fd;
        try {
            for (size_t i = chunk->begin; i < chunk->end; ++i)
                batch.setSlot(i, makeNode(fd, {batch.name(i), batch.type(i)}, big.node, big.insideApp, w,
                                          counts, big.prefix));
        } catch (...) {
            // The chunk's remaining entries are left out; the folder still completes.
        }
        addProgress(counts, big.path, w);
        if (w.links.size() != linksBefore) big.hasLinks.store(true, std::memory_order_relaxed);
    }
    batch.finishChunk();
    completeBigFolderWork(big, w);
    return true;
}

void DiskScanner::Impl::completeBigFolderWork(BigFolder& big, Worker& w) noexcept {
    if (big.outstanding.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    FdGuard guard{reader.get(), std::exchange(big.fd, -1)};
    try {
        size_t count = big.head.size();
        for (const auto& batch : big.batches)
            for (FileNode* node : batch->slots())
                count += node != nullptr;
        FileNode** array = w.arena.allocateArray<FileNode*>(count);
        FileNode** out = std::copy(big.head.begin(), big.head.end(), array);
        for (const auto& batch : big.batches)
            for (FileNode* node : batch->slots())
                if (node) *out++ = node;
        uint32_t subfolders = 0;
        for (size_t i = 0; i < count; ++i)
            subfolders += array[i]->isDirectory();
        big.node->setChildren(array, static_cast<uint32_t>(count));
        // The acquiring decrement above has made every chunk's nodes and flag visible here.
        if (subfolders == 0 && !big.hasLinks.load(std::memory_order_relaxed) &&
            !cancelled.load(std::memory_order_relaxed))
            rollUpFolder(big.node);
        if (subfolders > 0)
            w.newJobs.push_back(Job::subfolders(
                big.node, big.node->children(), subfolders,
                opener->baseForChildren(guard.fd, big.prefix.size(), std::move(big.base)), big.insideApp));
    } catch (...) {
        // Out of memory: the folder stays without children.
    }
}

void DiskScanner::Impl::startWorker() {
    std::lock_guard guard(growLock);
    const int count = workerCount.load(std::memory_order_relaxed);
    if (walkOver || count >= workerLimit) return;
    Worker* w;
    if (!retired.empty()) {
        w = retired.back();
        retired.pop_back();
        if (w->thread.joinable()) w->thread.join(); // it has left its loop already
    } else {
        w = &workers.emplace_back();
    }
    try {
        w->start();
        w->thread = std::thread([this, w] { workerLoop(*w, true); });
    } catch (const std::exception&) {
        w->release();
        retired.push_back(w);
        workerLimit = count; // the system has no more threads or memory to give
        return;
    }
    workerCount.store(count + 1, std::memory_order_relaxed);
    waitingOnDisk.store(count + 1 > baseWorkers, std::memory_order_relaxed);
}

bool DiskScanner::Impl::retire(Worker& w) {
    std::lock_guard guard(growLock);
    const int count = workerCount.load(std::memory_order_relaxed);
    if (count <= baseWorkers) return false;
    workerCount.store(count - 1, std::memory_order_relaxed);
    waitingOnDisk.store(count - 1 > baseWorkers, std::memory_order_relaxed);
    w.release();
    retired.push_back(&w); // from here on the place is another worker's
    return true;
}

void DiskScanner::Impl::workerLoop(Worker& w, bool mayRetire) {
    platform::DiskReadWatch disk;
    bool idled = false;
    std::optional<Job> job = stack->pop(idled);
    while (job) {
        if (idled) disk.restart();
        w.newJobs.clear();
        try {
            if (job->big)
                statChunk(*job->big, *job->batch, w);
            else if (!cancelled.load(std::memory_order_relaxed))
                readFolder(*job, w);
        } catch (...) {
            // Out of memory or the like: the folder keeps what it has, and its jobs are dropped so no
            // unattached folder is read.
            w.newJobs.clear();
        }
        // While its job is not finished, so that no worker starts after the walk is over.
        const platform::DiskReadWatch::State state = disk.look();
        if (state == platform::DiskReadWatch::State::waiting) {
            try {
                startWorker();
            } catch (...) {
            }
        }
        job.reset();
        if (state == platform::DiskReadWatch::State::calm && mayRetire) {
            stack->finish(w.newJobs);
            w.trim();
            reportProgress(w);
            if (retire(w)) return;
            job = stack->pop(idled);
        } else {
            job = stack->finishAndPop(w.newJobs, idled);
            w.trim();
        }
    }
    reportProgress(w);
}

DiskScanner::DiskScanner(std::shared_ptr<platform::DirectoryReader> reader)
    : impl_(std::make_unique<Impl>()) {
    impl_->reader = reader ? std::move(reader) : platform::systemDirectoryReader();
}

DiskScanner::~DiskScanner() = default;

void DiskScanner::setThreadCount(int threads) {
    impl_->threadCount = std::max(0, threads);
}

void DiskScanner::setOpenFolderLimit(int folders) {
    impl_->openFolderLimit = std::max(0, folders);
}

std::shared_ptr<ScanTree> DiskScanner::scan(const std::string& rootPath) {
    Impl& d = *impl_;
    std::string root = rootPath;
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();

    auto tree = std::make_shared<ScanTree>(root, rootDisplayName(root));
    tree->setTrashFolders(platform::TrashFolders::forScan(root));
    FileNode* rootNode = tree->root();
    EntryStatus st;
    if (d.reader->statPath(root.c_str(), true, st) == 0) {
        rootNode->modifiedStamp = st.modified;
        rootNode->createdStamp = st.created;
    }

    auto walkStart = Clock::now();
    d.skip = skipSetFor(root, d.reader->mounts());
    const int processors = std::max(1, static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN)));
    const int workers = d.threadCount > 0 ? d.threadCount : processors;
    FolderOpener opener(*d.reader, d.openFolderLimit > 0 ? d.openFolderLimit : FolderOpener::defaultLimit());
    d.opener = &opener;
    JobStack stack(Job::readFolder(rootNode, {}, endsWithApp(root)));
    d.stack = &stack;
    Worker* first;
    {
        std::lock_guard guard(d.growLock);
        d.walkOver = false;
        d.waitingOnDisk = false;
        d.workerCount = 1; // the calling thread
        d.workerLimit = workers;
        d.baseWorkers = workers;
        first = &d.workers.emplace_back();
        first->start();
    }
    for (int i = 1; i < workers; ++i)
        d.startWorker();
    {
        // An explicit thread count stays as it is.
        std::lock_guard guard(d.growLock);
        d.baseWorkers = d.workerCount.load();
        d.workerLimit =
            d.threadCount > 0 ? d.workerCount.load() : std::max(d.workerCount.load(), kDiskWorkers);
    }
    d.workerLoop(*first, false);
    {
        std::lock_guard guard(d.growLock);
        d.walkOver = true;
    }
    for (Worker& w : d.workers)
        if (w.thread.joinable()) w.thread.join();
    std::deque<Worker> state = std::move(d.workers);
    d.workers.clear();
    d.retired.clear();
    const int workersUsed = static_cast<int>(state.size());
    d.stack = nullptr;
    d.opener = nullptr;
    double walkSeconds = secondsSince(walkStart);

    auto linkStart = Clock::now();
    std::vector<LinkRecord> links;
    for (Worker& w : state) {
        links.insert(links.end(), w.links.begin(), w.links.end());
        freeStorage(w.links);
    }
    settleHardLinks(links);
    freeStorage(links);
    double linkSeconds = secondsSince(linkStart);

    for (Worker& w : state)
        tree->adoptArena(std::move(w.arena));
    state.clear();

    auto rollUpStart = Clock::now();
    rollUpTree(rootNode, std::min(workersUsed, processors));
    double rollUpSeconds = secondsSince(rollUpStart);

    std::lock_guard guard(d.lock);
    d.timings = {walkSeconds, linkSeconds, rollUpSeconds, workersUsed};
    return tree;
}

DiskScanner::Progress DiskScanner::progress() const {
    std::lock_guard guard(impl_->lock);
    Progress p = impl_->progress;
    p.filesScanned = impl_->filesScanned.load(std::memory_order_relaxed);
    p.bytesScanned = impl_->bytesScanned.load(std::memory_order_relaxed);
    return p;
}

void DiskScanner::cancel() {
    impl_->cancelled.store(true);
}
bool DiskScanner::isCancelled() const {
    return impl_->cancelled.load();
}

int64_t DiskScanner::unreadableCount() const {
    std::lock_guard guard(impl_->lock);
    return impl_->unreadableCount;
}

std::vector<std::string> DiskScanner::unreadableSamples() const {
    std::lock_guard guard(impl_->lock);
    return impl_->unreadableSamples;
}

DiskScanner::Timings DiskScanner::timings() const {
    std::lock_guard guard(impl_->lock);
    return impl_->timings;
}

int64_t DiskScanner::sizeOfItem(const std::string& path, std::stop_token stop) {
    DirectoryReader& reader = *platform::systemDirectoryReader();
    EntryStatus st;
    if (reader.statPath(path.c_str(), false, st) != 0 || st.isSymlink()) return 0;
    if (!st.isDirectory()) return st.blocks * 512;
    auto buffer = std::make_unique_for_overwrite<std::byte[]>(DirectoryReader::kBufferSize);
    FolderOpener opener(reader, FolderOpener::defaultLimit());
    struct Pending {
        std::string path;
        FolderOpener::Base base;
    };
    std::vector<Pending> pending;
    pending.push_back({path, {}});
    std::vector<std::string> below;
    int64_t total = 0;
    while (!pending.empty() && !stop.stop_requested()) {
        Pending folder = std::move(pending.back());
        pending.pop_back();
        int fd = -1;
        if (opener.open(folder.base, folder.path, false, fd) != 0) continue; // unreadable folders add nothing
        FdGuard guard{&reader, fd};
        const std::string prefix = folder.path == "/" ? std::string("/") : folder.path + "/";
        below.clear();
        long n;
        while ((n = reader.readEntries(fd, {buffer.get(), DirectoryReader::kBufferSize})) > 0) {
            platform::forEachDirEntry({buffer.get(), static_cast<size_t>(n)}, [&](platform::DirEntry e) {
                if (e.type == DT_LNK) return;
                EntryStatus entry;
                if (reader.statEntry(fd, e.name.data(), entry) != 0 || entry.isSymlink()) return;
                if (entry.isDirectory())
                    below.push_back(prefix + std::string(e.name));
                else
                    total = saturating::add(total, entry.blocks * 512);
            });
        }
        if (below.empty()) continue;
        FolderOpener::Base base = opener.baseForChildren(guard.fd, prefix.size(), std::move(folder.base));
        for (std::string& p : below)
            pending.push_back({std::move(p), base});
    }
    return total;
}
