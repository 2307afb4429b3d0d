#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

// openat(2) for a path of any length. A path shorter than PATH_MAX is opened as it stands; a longer one
// is walked in pieces below that limit, each opened (O_PATH) relative to the one before, and only its
// final component is opened with `flags`. Returns the descriptor, or -1 with errno set.
int openAnyLength(int dirFd, const char* path, int flags, mode_t mode = 0);

// A path made usable by the *at system calls whatever its length: a path shorter than PATH_MAX stays as
// it is (relative to AT_FDCWD); a longer one becomes its parent folder, opened O_PATH, and its last
// component.
class PathAt {
  public:
    explicit PathAt(std::string path);
    ~PathAt();
    PathAt(const PathAt&) = delete;
    PathAt& operator=(const PathAt&) = delete;

    // The folder to pass as dirfd: AT_FDCWD, an open folder, or -1 when the parent of a long path could
    // not be opened (the *at call then fails with EBADF).
    int folder() const { return folder_; }
    const char* name() const { return name_.c_str(); }
    // Why the parent could not be opened (folder() is -1); 0 otherwise.
    int folderError() const { return folderError_; }

  private:
    int folder_;
    int folderError_ = 0;
    std::string name_;
};

} // namespace platform
