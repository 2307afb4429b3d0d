#pragma once

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

// A FIFO planted where a file is expected. A reader that opens it the ordinary way waits for a writer
// for ever, and a writer for a reader; `finishesWithin` tells such a caller apart and then frees it, so a
// fault fails its test instead of hanging the run.
class PlantedFifo {
  public:
    explicit PlantedFifo(const std::filesystem::path& path) : path_(path) {
        std::filesystem::create_directories(path.parent_path());
        ::mkfifo(path.c_str(), 0600);
    }

    // Runs `call` on a thread of its own; true when it returns within `limit`. Otherwise every reader
    // still waiting on the FIFO is given a writer that closes at once (they read an empty file), every
    // writer a reader that takes what it writes, the thread is awaited and the answer is false.
    template <class F> bool finishesWithin(std::chrono::milliseconds limit, F call) const {
        auto done = std::async(std::launch::async, call);
        if (done.wait_for(limit) == std::future_status::ready) return true;
        int reader = -1;
        char sink[4096];
        while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) ::close(fd);
            struct stat st {};
            if (reader < 0 && ::lstat(path_.c_str(), &st) == 0 && S_ISFIFO(st.st_mode))
                reader = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            while (reader >= 0 && ::read(reader, sink, sizeof sink) > 0) {
            }
        }
        if (reader >= 0) ::close(reader);
        done.get();
        return false;
    }

    // The same for `call` run on the calling thread, for work that belongs to the window's thread (a
    // paint): a helper thread frees the FIFO's waiting readers once `limit` has passed.
    template <class F> bool finishesHereWithin(std::chrono::milliseconds limit, F call) const {
        std::promise<void> finished;
        auto watch = std::async(std::launch::async, [this, limit, done = finished.get_future()] {
            if (done.wait_for(limit) == std::future_status::ready) return true;
            while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
                const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) ::close(fd);
            }
            return false;
        });
        call();
        finished.set_value();
        return watch.get();
    }

  private:
    std::filesystem::path path_;
};

// Tells whether anyone opened a file since the watch began. Looking at it (stat, lstat) is no opening;
// opening a FIFO or a device without waiting still is, and resets some devices.
class OpenWatch {
  public:
    explicit OpenWatch(const std::filesystem::path& path) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        watching_ = fd_ >= 0 && ::inotify_add_watch(fd_, path.c_str(), IN_OPEN) >= 0;
    }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;
    ~OpenWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool watching() const { return watching_; }
    bool opened() const {
        alignas(inotify_event) char events[4096];
        return ::read(fd_, events, sizeof events) > 0;
    }

  private:
    int fd_;
    bool watching_ = false;
};
