#pragma once

#include <chrono>

namespace platform {

// Tells a thread whether it keeps waiting on the disk: whether in each of its last three looks, at least
// a millisecond apart, reads from storage were accounted to it and it spent less than half of the time
// on a processor. A mostly cached walk that now and then reads a block is not waiting on the disk. It
// looks (getrusage, a system call) at most once per millisecond and answers false in between, so a
// thread may ask after every piece of work. Made and used on the thread it watches; not shared.
class DiskReadWatch {
  public:
    DiskReadWatch();
    bool waitedOnDisk();

  private:
    std::chrono::steady_clock::time_point lastLook_;
    long blocksRead_ = 0;
    std::chrono::microseconds processorTime_{0};
    int waitingLooks_ = 0; // in a row
};

} // namespace platform
