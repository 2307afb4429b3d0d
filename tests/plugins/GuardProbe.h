#pragma once

#include <cerrno>

// A picture format of the tests' own, standing in for a decoder's bug inside the real worker: a file that
// starts with kGuardProbeMagic, then holds a line each for a path-named socket, a UDP port and a TCP port
// on 127.0.0.1 (all listened on by the test) and another process's id, makes its reader try each of
// kGuardProbeCalls, in order, and draw each call's errno (0 when it went through) as one pixel's red.
// Each call is harmless when it goes through.
inline constexpr char kGuardProbeMagic[] = "brenwick-guard-probe\n";

struct GuardProbeCall {
    const char* what;
    int refused = EPERM; // the errno a guarded worker gets; 0: Landlock's to refuse (EACCES), where it is
};

inline constexpr GuardProbeCall kGuardProbeCalls[] = {
    {"list the socket's folder", 0},
    {"connect to the path-named socket"},
    {"send UDP"},
    {"connect over TCP"},
    {"socketpair"},
    {"fork"},
    {"clone3", ENOSYS},
    {"execve"},
    {"ptrace the other process"},
    {"process_vm_readv of the other process"},
    {"pidfd_getfd of the other process"},
    {"kill the other process"},
    {"tgkill the other process"},
    {"fchmod the file"},
    {"fchmodat2 the file"},
    {"futimens the file"},
    {"fremovexattr of the file"},
    {"removexattrat of the file"},
    {"flock the file"},
    {"lease the file"},
    {"ioctl TIOCSTI"},
    {"ioctl TIOCSTI, high bits set"},
    {"io_uring_setup"},
    {"reopen the file for writing"},
    {"remove a name in the socket's folder"},
};
