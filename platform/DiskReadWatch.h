#pragma once

#include <chrono>
#include <cstdint>

namespace platform {

// Tells a thread whether it keeps waiting on the disk. A look, at most one per millisecond, finds the
// thread waiting when reads from storage were accounted to it and it spent more than half of the time
// blocked: neither on a processor nor waiting for one (the scheduler's own figures, so a busy machine
// whose threads queue for processors does not pass for a slow disk). Three waiting looks in a row make
// it waiting; three looks in a row with no reads or with less than a quarter of the time blocked make
// it calm. Made and used on the thread it watches; not shared.
class DiskReadWatch {
  public:
    enum class State { unknown, waiting, calm };

    DiskReadWatch();
    ~DiskReadWatch();
    DiskReadWatch(const DiskReadWatch&) = delete;
    DiskReadWatch& operator=(const DiskReadWatch&) = delete;

    // A system call or two at most once per millisecond; `unknown` in between.
    State look();
    bool waitedOnDisk() { return look() == State::waiting; }
    // Starts the next look afresh, so that time spent idle (waiting for work) is not taken for a wait.
    void restart();

  private:
    struct Sample {
        long blocksRead = 0;              // read from storage on the thread's behalf
        std::chrono::nanoseconds busy{0}; // on a processor or queued for one
    };
    Sample sample() const;

    int schedFd_ = -1; // the thread's scheduler figures; -1 when the kernel gives none
    std::chrono::steady_clock::time_point lastLook_;
    Sample last_;
    int waitingLooks_ = 0; // in a row
    int calmLooks_ = 0;
};

} // namespace platform
