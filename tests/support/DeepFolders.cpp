#include "tests/support/DeepFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Deletes the files of the open folder and returns its first subfolder, if any; nothing on a failure.
std::optional<std::optional<std::string>> clearFilesUntilFolder(int fd) {
    int copy = dup(fd);
    DIR* dir = copy < 0 ? nullptr : fdopendir(copy);
    if (!dir) {
        if (copy >= 0) close(copy);
        return std::nullopt;
    }
    std::optional<std::string> folder;
    bool ok = true;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        bool isFolder = e->d_type == DT_DIR ||
                        (e->d_type == DT_UNKNOWN && fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                         S_ISDIR(st.st_mode));
        if (isFolder) {
            folder = name;
            break;
        }
        if (unlinkat(fd, e->d_name, 0) != 0) {
            ok = false;
            break;
        }
    }
    closedir(dir);
    if (!ok) return std::nullopt;
    return folder;
}

} // namespace

std::string makeFolderChain(const std::string& top, int levels, const std::string& name,
                            const std::function<void(int fd, int level)>& fill) {
    int fd = open(top.c_str(), kFolderFlags);
    if (fd < 0) throw std::runtime_error("cannot open " + top);
    std::string path = top;
    for (int level = 1; level <= levels; ++level) {
        if (mkdirat(fd, name.c_str(), 0755) != 0 && errno != EEXIST) {
            close(fd);
            throw std::runtime_error("mkdirat failed at level " + std::to_string(level));
        }
        int next = openat(fd, name.c_str(), kFolderFlags);
        close(fd);
        if (next < 0) throw std::runtime_error("openat failed at level " + std::to_string(level));
        fd = next;
        path += "/" + name;
        if (fill) fill(fd, level);
    }
    close(fd);
    return path;
}

void writeFileAt(int dirFd, const std::string& name, size_t size, char fill) {
    int fd = openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + name);
    std::string data(size, fill);
    bool ok = write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
    close(fd);
    if (!ok) throw std::runtime_error("cannot write " + name);
}

bool removeTree(const std::string& path) {
    int fd = open(path.c_str(), kFolderFlags);
    if (fd < 0) return unlink(path.c_str()) == 0 || errno == ENOENT;
    // Goes down to a folder without subfolders, empties it, goes up by ".." and removes it; the names
    // taken on the way down say what to remove on the way up.
    std::vector<std::string> down;
    while (true) {
        auto folder = clearFilesUntilFolder(fd);
        if (!folder) break;
        if (*folder) {
            int child = openat(fd, (*folder)->c_str(), kFolderFlags);
            if (child < 0) break;
            close(fd);
            fd = child;
            down.push_back(**folder);
            continue;
        }
        if (down.empty()) {
            close(fd);
            return rmdir(path.c_str()) == 0;
        }
        int parent = openat(fd, "..", kFolderFlags);
        if (parent < 0) break;
        close(fd);
        fd = parent;
        if (unlinkat(fd, down.back().c_str(), AT_REMOVEDIR) != 0) break;
        down.pop_back();
    }
    close(fd);
    return false;
}
