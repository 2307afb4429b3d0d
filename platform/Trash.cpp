#include "platform/Trash.h"

#include "platform/FileIO.h"
#include "platform/LongPath.h"
#include "platform/MountTable.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <thread>
#include <vector>

extern char** environ;

namespace platform {

namespace {

// A trash folder (holding files/ and info/), and the item's path as its .trashinfo records it.
struct TrashLocation {
    std::string folder;
    std::string pathInInfo; // absolute for the home trash, relative to the top folder for a volume's
};

bool isOwnDirectory(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

// The folders one move creates, so that a move that does not happen can take them away again: a refused
// or failed move leaves no Trash folder behind.
class CreatedFolders {
  public:
    // Creates the folder with mode 0700 unless it is there; true when it is then a real folder of ours.
    bool ensureOwnDirectory(const std::string& path) {
        if (mkdir(path.c_str(), 0700) == 0)
            created_.push_back(path);
        else if (errno != EEXIST)
            return false;
        return isOwnDirectory(path);
    }
    bool ensureTrashLayout(const std::string& folder) {
        return ensureOwnDirectory(folder) && ensureOwnDirectory(folder + "/files") &&
               ensureOwnDirectory(folder + "/info");
    }
    // Creates `path` and the folders above it that are missing; true when it is then a folder.
    bool ensureFolders(const std::string& path) {
        for (size_t i = 1; i <= path.size(); ++i) {
            if (i != path.size() && path[i] != '/') continue;
            const std::string part = path.substr(0, i);
            if (mkdir(part.c_str(), 0700) == 0)
                created_.push_back(part);
            else if (errno != EEXIST)
                return false;
        }
        struct stat st {};
        return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    bool any() const { return !created_.empty(); }
    // Removes what was created, deepest first; a folder something has been put in meanwhile stays.
    void remove() {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            rmdir(it->c_str());
        created_.clear();
    }

  private:
    std::vector<std::string> created_;
};

// The Trash folders missing before another program's attempt, so that those it makes and leaves empty
// can be taken away again when the item stays: a failed second attempt leaves no Trash folder behind
// either.
class MissingFolders {
  public:
    // `folders` parents first.
    explicit MissingFolders(const std::vector<std::string>& folders) {
        struct stat st {};
        for (const std::string& folder : folders)
            if (lstat(folder.c_str(), &st) != 0 && errno == ENOENT) missing_.push_back(folder);
    }
    // Removes those that are folders now, deepest first; one that holds anything stays.
    void removeEmpty() const {
        for (auto it = missing_.rbegin(); it != missing_.rend(); ++it)
            rmdir(it->c_str());
    }

  private:
    std::vector<std::string> missing_;
};

// Held shared by a move from making its Trash folders to its rename, and exclusively to remove the folders
// a failed move made: another move never has a folder it has just found taken from under it.
std::shared_mutex& createdFoldersLock() {
    static std::shared_mutex lock;
    return lock;
}

// The device `path` is on, or would be on once created: that of its nearest existing folder.
std::optional<dev_t> deviceOf(std::string path) {
    struct stat st {};
    while (stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT || path.empty() || path == "/") return std::nullopt;
        path = parentFolder(path);
    }
    return st.st_dev;
}

// Picks the Trash for the item at `path` on device `itemDevice` and makes its folders where missing.
// Everything that rules a Trash out is decided before the first folder is made: a volume's Trash must be
// on the item's own file system, or the rename could only fail.
std::optional<TrashLocation> locationFor(const std::string& path, dev_t itemDevice, CreatedFolders& created) {
    std::string data = dataHome();
    if (deviceOf(data) == itemDevice) {
        std::string home = data + "/Trash";
        if (!created.ensureFolders(data) || !created.ensureTrashLayout(home)) return std::nullopt;
        return TrashLocation{home, path};
    }
    std::string resolved = resolvedItemPath(path);
    if (resolved.empty()) return std::nullopt;
    auto mount = mountContaining(readMountTable(), parentFolder(resolved));
    std::string topdir = mount ? mount->mountPoint : "/";
    std::string top = topdir == "/" ? "" : topdir;
    struct stat topStat {};
    if (stat(topdir.c_str(), &topStat) != 0 || topStat.st_dev != itemDevice) return std::nullopt;
    if (resolved.size() <= top.size() + 1) return std::nullopt;
    std::string pathInInfo = resolved.substr(top.size() + 1);
    std::string uid = std::to_string(getuid());

    std::string shared = top + "/.Trash";
    struct stat sharedStat {};
    if (lstat(shared.c_str(), &sharedStat) == 0 && S_ISDIR(sharedStat.st_mode) &&
        (sharedStat.st_mode & S_ISVTX)) {
        std::string mine = shared + "/" + uid;
        if (created.ensureTrashLayout(mine)) return TrashLocation{mine, pathInInfo};
    }
    std::string own = top + "/.Trash-" + uid;
    if (created.ensureTrashLayout(own)) return TrashLocation{own, pathInInfo};
    return std::nullopt;
}

// Every folder a Trash for `path` may need, parents first: the home trash with the folders above it, and
// the item's volume's per-user trashes. For noting what another program's attempt makes.
std::vector<std::string> trashFoldersFor(const std::string& path) {
    std::vector<std::string> folders;
    const std::string home = dataHome() + "/Trash";
    for (size_t i = 1; i <= home.size(); ++i)
        if (i == home.size() || home[i] == '/') folders.push_back(home.substr(0, i));
    folders.push_back(home + "/files");
    folders.push_back(home + "/info");
    const std::string uid = std::to_string(getuid());
    const std::string resolved = resolvedItemPath(path);
    if (!resolved.empty()) {
        auto mount = mountContaining(readMountTable(), parentFolder(resolved));
        const std::string top = mount && mount->mountPoint != "/" ? mount->mountPoint : "";
        for (const std::string& trash : {top + "/.Trash/" + uid, top + "/.Trash-" + uid})
            for (const char* part : {"", "/files", "/info"})
                folders.push_back(trash + part);
    }
    return folders;
}

// The device of the folder holding the item (`item` is its PathAt), or none when it cannot be told.
std::optional<dev_t> parentDevice(const PathAt& item, const std::string& path) {
    struct stat st {};
    if (item.folder() >= 0) {
        if (fstat(item.folder(), &st) != 0) return std::nullopt;
    } else if (item.folder() != AT_FDCWD || stat(parentFolder(path).c_str(), &st) != 0) {
        return std::nullopt;
    }
    return st.st_dev;
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Shortens a name so that "<name>.<n>.trashinfo" stays within NAME_MAX. The cut does not split a
// UTF-8 character, but steps back no further than one character reaches (three continuation bytes):
// a name of bytes that are not UTF-8 is cut where it must be, so it never shrinks to nothing, which
// would leave a hidden ".2", and it keeps its first byte.
std::string fittingName(std::string name) {
    constexpr size_t kMax = NAME_MAX - 20;
    if (name.size() <= kMax) return name;
    size_t cut = kMax;
    for (int back = 0; back < 3 && cut > 1 && isContinuationByte(name[cut]); ++back)
        --cut;
    if (isContinuationByte(name[cut])) cut = kMax; // no character boundary near: not UTF-8 there
    return name.substr(0, cut);
}

// "report.tar.gz" -> "report.2.tar.gz"; ".bashrc" -> ".bashrc.2"; the first try keeps the name.
std::string candidateName(const std::string& name, int attempt) {
    if (attempt == 1) return name;
    size_t dot = name.find('.', 1);
    std::string n = std::to_string(attempt);
    if (dot == std::string::npos) return name + "." + n;
    return name.substr(0, dot) + "." + n + name.substr(dot);
}

std::string findInPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (!dir.empty()) {
            std::string candidate = dir + "/" + program;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return {};
}

// Runs `program` with `arguments`, its standard streams on /dev/null, until it ends or a minute has
// passed: a hung network mount must not hold the queue forever.
void runToEnd(const std::string& program, std::vector<std::string> arguments) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string name = program;
    std::vector<char*> argv{name.data()};
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return;

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (true) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Reserves a .trashinfo in the item's Trash, then renames the item into it. On failure the reservation
// is withdrawn; the Trash folders it made are the caller's to remove (`created`).
bool moveInto(const PathAt& item, const std::string& path, dev_t itemDevice, CreatedFolders& created) {
    auto location = locationFor(path, itemDevice, created);
    if (!location) return false;

    const std::string name = fittingName(lastComponent(path));
    const std::string files = location->folder + "/files/";
    const std::string info = location->folder + "/info/";
    for (int attempt = 1; attempt < 100000; ++attempt) {
        std::string trashName = candidateName(name, attempt);
        std::string infoPath = info + trashName + ".trashinfo";
        int fd = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        std::string target = files + trashName;
        struct stat existing {};
        if (lstat(target.c_str(), &existing) == 0) {
            // An entry without its info file: leave it alone and take the next name.
            close(fd);
            unlink(infoPath.c_str());
            continue;
        }
        bool written =
            writeAll(fd, trashInfoText(location->pathInInfo, static_cast<long long>(time(nullptr))));
        written = close(fd) == 0 && written;
        if (!written || renameat(item.folder(), item.name(), AT_FDCWD, target.c_str()) != 0) {
            unlink(infoPath.c_str());
            return false;
        }
        return true;
    }
    return false;
}

} // namespace

std::string percentEncodePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (unsigned char c : path) {
        bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                    c == '.' || c == '_' || c == '~' || c == '/';
        if (keep) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string trashInfoText(const std::string& pathInInfo, long long deletionTime) {
    time_t t = static_cast<time_t>(deletionTime);
    struct tm local {};
    char date[32] = "1970-01-01T00:00:00";
    if (localtime_r(&t, &local)) strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + percentEncodePath(pathInInfo) + "\nDeletionDate=" + date + "\n";
}

bool existsNoFollow(const std::string& path) {
    PathAt item(path); // it may lie deeper than PATH_MAX
    struct stat st {};
    if (item.folder() == -1) return item.folderError() != ENOENT && item.folderError() != ENOTDIR;
    if (fstatat(item.folder(), item.name(), &st, AT_SYMLINK_NOFOLLOW) == 0) return true;
    // Anything but "not there" (a denied parent, say) is not proof that the item is gone.
    return errno != ENOENT && errno != ENOTDIR;
}

std::string FreedesktopTrash::trashFolderFor(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return {};
    CreatedFolders created;
    std::shared_lock lock(createdFoldersLock());
    auto location = locationFor(path, st.st_dev, created);
    return location ? location->folder : std::string();
}

bool FreedesktopTrash::moveToTrash(const std::string& path) {
    if (path.empty() || path.front() != '/') return false;
    PathAt item(path); // it may lie deeper than PATH_MAX
    struct stat st {};
    if (fstatat(item.folder(), item.name(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    // A mount point cannot be renamed: refused before any Trash folder is made for it.
    if (parentDevice(item, path) != st.st_dev) return false;

    CreatedFolders created;
    bool moved;
    {
        std::shared_lock lock(createdFoldersLock());
        moved = moveInto(item, path, st.st_dev, created);
    }
    if (!moved && created.any()) {
        std::unique_lock lock(createdFoldersLock());
        created.remove();
    }
    return moved;
}

void FreedesktopTrash::secondAttempt(const std::string& path) {
    const std::string gio = findInPath("gio");
    if (gio.empty()) return;
    // One at a time: a failed attempt must not take away a folder another has just made for its item.
    static std::mutex oneAtATime;
    std::lock_guard serial(oneAtATime);
    const MissingFolders missing(trashFoldersFor(path));
    runToEnd(gio, {"trash", "--", path});
    if (!existsNoFollow(path)) return;
    // As after a failed first attempt: a move that is making its folders now keeps them.
    std::unique_lock lock(createdFoldersLock());
    missing.removeEmpty();
}

std::shared_ptr<TrashBackend> defaultTrashBackend() {
    static std::shared_ptr<TrashBackend> backend = std::make_shared<FreedesktopTrash>();
    return backend;
}

} // namespace platform
