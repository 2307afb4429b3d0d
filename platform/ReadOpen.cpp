#include "platform/ReadOpen.h"

#include <fcntl.h>

#include <cerrno>

namespace platform {

int openToRead(int folder, const char* name) {
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    constexpr unsigned kSkipAfterRefusal = 64;
    thread_local unsigned skip = 0;
    if (skip == 0) {
        int fd = openat(folder, name, kFlags | O_NOATIME);
        if (fd >= 0 || errno != EPERM) return fd;
        skip = kSkipAfterRefusal;
    } else {
        --skip;
    }
    return openat(folder, name, kFlags);
}

} // namespace platform
