#pragma once

#include "model/ScanTree.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

namespace platform {
class DirectoryReader;
}

// Walks a folder with one worker per online processor (more while they wait on the disk) into a
// rolled-up ScanTree. Every folder is opened
// relative to an open ancestor, so depth is unlimited; one that cannot be opened or read is counted and
// sampled.
// One scanner serves one scan; the owner polls progress() while scan() runs on another thread and
// may call cancel() at any time. scan() always returns a tree (partial after cancellation).
class DiskScanner {
  public:
    struct Progress {
        int64_t filesScanned = 0;
        int64_t bytesScanned = 0;
        std::string currentPath;
    };

    // Wall time of each phase of the last scan, for benchmarks.
    struct Timings {
        double walkSeconds = 0;
        double hardLinkSeconds = 0;
        double rollUpSeconds = 0;
        int workers = 0; // the most that ran at once
    };

    // `reader` stands in for the file system in tests; null means the real one.
    explicit DiskScanner(std::shared_ptr<platform::DirectoryReader> reader = nullptr);
    ~DiskScanner();
    DiskScanner(const DiskScanner&) = delete;
    DiskScanner& operator=(const DiskScanner&) = delete;

    // Worker count; 0 (the default) means one per online processor at first, more (up to 64) while the
    // workers wait on the disk, as they do on a cold cache.
    void setThreadCount(int threads);
    // Folder descriptors kept open at once for opening the folders below them; 0 (the default) means
    // FolderOpener::defaultLimit(). Past it, folders open by their path from the nearest kept ancestor.
    void setOpenFolderLimit(int folders);

    // Blocking: walks, settles hard links, rolls up and sorts. Never fails.
    std::shared_ptr<ScanTree> scan(const std::string& rootPath);

    Progress progress() const;
    void cancel();
    bool isCancelled() const;
    int64_t unreadableCount() const;
    std::vector<std::string> unreadableSamples() const;
    Timings timings() const;

    // Bytes on disk of a path: a file's blocks, a folder's files at any depth; links and missing paths 0.
    // Once `stop` is requested it reads no further folder and gives what it has counted.
    static int64_t sizeOfItem(const std::string& path, std::stop_token stop = {});

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
