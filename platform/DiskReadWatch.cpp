#include "platform/DiskReadWatch.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>

namespace platform {

DiskReadWatch::DiskReadWatch() {
    schedFd_ = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
    restart();
}

DiskReadWatch::~DiskReadWatch() {
    if (schedFd_ >= 0) ::close(schedFd_);
}

void DiskReadWatch::restart() {
    lastLook_ = std::chrono::steady_clock::now();
    last_ = sample();
}

DiskReadWatch::Sample DiskReadWatch::sample() const {
    Sample s;
    rusage usage{};
    if (getrusage(RUSAGE_THREAD, &usage) == 0) {
        s.blocksRead = usage.ru_inblock;
        s.busy = std::chrono::seconds(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 std::chrono::microseconds(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    }
    // "time on a processor, time queued for one, time slices", in nanoseconds.
    char text[96];
    if (schedFd_ >= 0) {
        const ssize_t n = ::pread(schedFd_, text, sizeof text, 0);
        unsigned long long onCpu = 0, queued = 0;
        if (n > 0) {
            const char* end = text + n;
            auto first = std::from_chars(text, end, onCpu);
            if (first.ec == std::errc() && first.ptr != end && *first.ptr == ' ' &&
                std::from_chars(first.ptr + 1, end, queued).ec == std::errc())
                s.busy = std::chrono::nanoseconds(onCpu + queued);
        }
    }
    return s;
}

DiskReadWatch::State DiskReadWatch::look() {
    auto now = std::chrono::steady_clock::now();
    auto elapsed = now - lastLook_;
    if (elapsed < std::chrono::milliseconds(1)) return State::unknown;
    Sample s = sample();
    const bool read = s.blocksRead > last_.blocksRead;
    const auto blocked = elapsed - (s.busy - last_.busy);
    lastLook_ = now;
    last_ = s;
    const bool waiting = read && 2 * blocked > elapsed;
    const bool calm = !read || 4 * blocked < elapsed;
    waitingLooks_ = waiting ? waitingLooks_ + 1 : 0;
    calmLooks_ = calm ? calmLooks_ + 1 : 0;
    if (waitingLooks_ >= 3) return State::waiting;
    if (calmLooks_ >= 3) return State::calm;
    return State::unknown;
}

} // namespace platform
