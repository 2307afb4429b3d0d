#include "platform/LongPath.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string_view>

namespace platform {

int openAnyLength(int dirFd, const char* path, int flags, mode_t mode) {
    std::string_view rest(path);
    int folder = dirFd;
    bool own = false;
    auto done = [&](int result) {
        int saved = errno;
        if (own) close(folder);
        errno = saved;
        return result;
    };
    while (rest.size() >= PATH_MAX) {
        // The longest leading piece that ends at a separator and stays below the limit.
        size_t cut = rest.rfind('/', PATH_MAX - 1);
        if (cut == std::string_view::npos || cut == 0) {
            errno = ENAMETOOLONG;
            return done(-1);
        }
        std::string piece(rest.substr(0, cut));
        int next;
        do {
            next = openat(folder, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        } while (next < 0 && errno == EINTR);
        if (next < 0) return done(-1);
        if (own) close(folder);
        folder = next;
        own = true;
        rest.remove_prefix(cut);
        while (!rest.empty() && rest.front() == '/')
            rest.remove_prefix(1);
    }
    int fd;
    do {
        fd = rest.data() == path ? openat(folder, path, flags, mode)
                                 : openat(folder, std::string(rest).c_str(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return done(fd);
}

PathAt::PathAt(std::string path) : folder_(AT_FDCWD), name_(std::move(path)) {
    if (name_.size() < PATH_MAX) return;
    size_t slash = name_.rfind('/');
    if (slash == std::string::npos) return; // one name too long: the call itself says so
    std::string parent = slash == 0 ? std::string("/") : name_.substr(0, slash);
    folder_ = openAnyLength(AT_FDCWD, parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) folderError_ = errno;
    name_.erase(0, slash + 1);
}

PathAt::~PathAt() {
    if (folder_ >= 0) close(folder_);
}

} // namespace platform
