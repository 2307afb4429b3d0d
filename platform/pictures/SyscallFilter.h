#pragma once

namespace platform {

// Refuses, for good and to every thread of this process (those running and those to come), the system
// calls a picture worker never needs and a bug in a decoder could turn against the user, whatever
// Landlock the kernel has: a new socket (so no connection to the display, the session bus, an agent or
// the network), a process other than a thread, running a program, a signal to another process, tracing
// or reading another process, a file opened to write, made, renamed or removed, a change of a file's mode,
// owner, times or extended attributes, a lock or lease on a file, typing into a terminal (TIOCSTI) and
// io_uring (whose operations the filter would never see). The refused calls fail with EPERM; clone3 fails
// with ENOSYS, so that the C library falls back to clone, whose flags the filter can see, and threads still
// start. Whether the filter is in force.
bool filterSyscalls();

} // namespace platform
