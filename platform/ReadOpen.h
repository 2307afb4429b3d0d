#pragma once

namespace platform {

// Opens the entry `name` of the open folder `folder` for reading one file after another: read-only,
// close-on-exec, never through a link (a link there fails to open) and never blocking (a pipe opens and
// reads nothing). The access time is left alone where the system allows it (files the caller owns, or any
// for an administrator): a search through every file would otherwise write a new access time to each,
// once a day under relatime. Where it refuses, the thread opens the next files as usual and asks again
// only after a while, so a tree of another owner costs few refused opens. Returns the descriptor, or -1
// with errno set.
int openToRead(int folder, const char* name);

} // namespace platform
