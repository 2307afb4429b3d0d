#include "model/AccessCheck.h"

#include "model/BackgroundTask.h"
#include "platform/LongPath.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

AccessCheck::AccessCheck(QThreadPool& pool, Probe probe, QObject* parent)
    : QObject(parent), pool_(pool), probe_(probe ? std::move(probe) : Probe(&AccessCheck::folderOpens)) {}

void AccessCheck::check(std::vector<std::string> folders, std::function<void()> opened) {
    if (checking_ || folders.empty()) return;
    checking_ = true;
    runInBackground(
        &pool_, this,
        [probe = probe_, folders = std::move(folders)] {
            try {
                return std::any_of(folders.begin(), folders.end(),
                                   [&](const std::string& f) { return probe(f); });
            } catch (...) {
                return false; // nothing may leave the pool thread; unknown counts as unchanged
            }
        },
        [this, opened = std::move(opened)](bool anyOpens) {
            checking_ = false;
            if (anyOpens) opened();
        });
}

bool AccessCheck::folderOpens(const std::string& folder) {
    const int fd = platform::openAnyLength(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}
