#include "platform/FileIO.h"

#include "platform/Paths.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace platform {

namespace {

// Reads `fd` (of status `st`) to its end, at most `limit` bytes, and closes it.
std::optional<std::string> readAndClose(int fd, const struct stat& st, size_t limit) {
    std::string content;
    if (st.st_size > 0) content.reserve(std::min(static_cast<size_t>(st.st_size), limit));
    char buffer[16384];
    bool failed = false;
    while (content.size() < limit) {
        ssize_t n = read(fd, buffer, std::min(sizeof buffer, limit - content.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            failed = true;
            break;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    if (failed) return std::nullopt;
    return content;
}

} // namespace

std::optional<std::string> readTextFile(const std::string& path, size_t limit) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0) st.st_size = 0;
    return readAndClose(fd, st, limit);
}

std::optional<std::string> readRegularFile(const std::string& path, size_t limit, Links links) {
    const int noFollow = links == Links::follow ? 0 : O_NOFOLLOW;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | noFollow);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > limit) {
        close(fd);
        return std::nullopt;
    }
    // One byte past the limit shows a file that grew after fstat.
    auto content = readAndClose(fd, st, limit == SIZE_MAX ? limit : limit + 1);
    if (content && content->size() > limit) return std::nullopt;
    return content;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool writeFileAtomically(const std::string& path, std::string_view data) {
    std::string folder = parentFolder(path);
    std::string pattern = folder + "/.tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(name.data(), path.c_str()) != 0) {
        unlink(name.data());
        return false;
    }
    // Make the rename itself durable.
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return true;
}

std::optional<std::string> moveAside(const std::string& path, const std::string& suffix) {
    for (int attempt = 1; attempt < 1000; ++attempt) {
        std::string target = path;
        target.append(".").append(suffix);
        if (attempt > 1) target.append("-").append(std::to_string(attempt));
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return target;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return std::nullopt;
        // The file system cannot refuse to replace: test first, then rename.
        struct stat st {};
        if (lstat(target.c_str(), &st) == 0) continue;
        if (rename(path.c_str(), target.c_str()) == 0) return target;
        return std::nullopt;
    }
    return std::nullopt;
}

bool makeFolders(const std::string& path, mode_t mode) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            std::string part = path.substr(0, i);
            if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace platform
