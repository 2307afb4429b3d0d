#include "platform/pictures/SyscallFilter.h"

#include <seccomp.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace platform {
namespace {

// Refused outright, whatever their arguments: sockets, processes, programs, signals the filter cannot tie
// to the worker (by a thread's id alone, by a pidfd), tracing, changes of a file's mode, owner, times and
// extended attributes, locks, io_uring, and any change of a folder's names: the worker writes no file, and
// where the kernel has no Landlock nothing else would keep it from the user's files.
// clang-format off
constexpr const char* kRefused[] = {
    "socket", "socketpair", "fork", "vfork", "execve", "execveat", "tkill", "pidfd_send_signal",
    "ptrace", "process_vm_readv", "process_vm_writev", "pidfd_getfd", "process_madvise",
    "chmod", "fchmod", "fchmodat", "chown", "fchown", "lchown", "fchownat",
    "utime", "utimes", "utimensat", "futimesat",
    "setxattr", "lsetxattr", "fsetxattr", "removexattr", "lremovexattr", "fremovexattr",
    "flock", "io_uring_setup", "io_uring_enter", "io_uring_register",
    "creat", "truncate", "unlink", "unlinkat", "rename", "renameat", "renameat2", "mkdir", "mkdirat",
    "rmdir", "link", "linkat", "symlink", "symlinkat", "mknod", "mknodat"};
// clang-format on

// Calls of the same kinds newer than the libseccomp a system may have (Debian 12's knows none of them),
// by their numbers (x86_64's and arm64's alike) where libseccomp has no name for them.
struct NewerCall {
    const char* name;
    int number;
};
constexpr NewerCall kNewerCalls[] = {
    {"fchmodat2", 452}, {"setxattrat", 463}, {"removexattrat", 466}, {"file_setattr", 469}};

// The argument `index` compared by `op` (libseccomp's macros for it are C's, not C++'s).
scmp_arg_cmp argument(unsigned index, scmp_compare op, uint64_t a, uint64_t b = 0) {
    return {.arg = index, .op = op, .datum_a = a, .datum_b = b};
}

// The 32-bit argument `index` equal to `value`: the kernel reads only the low half of an int argument
// (an ioctl's or fcntl's command), so the high half must not hide a refused one.
scmp_arg_cmp int32Is(unsigned index, uint32_t value) {
    return argument(index, SCMP_CMP_MASKED_EQ, 0xffffffffULL, value);
}

class Filter {
  public:
    Filter() : context_(::seccomp_init(SCMP_ACT_ALLOW)) {}
    ~Filter() { ::seccomp_release(context_); }
    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;

    // A call this architecture has not (a negative number) needs no rule.
    void refuse(int call, std::initializer_list<scmp_arg_cmp> when = {}, int error = EPERM) {
        if (call < 0) return;
        const std::vector<scmp_arg_cmp> arguments(when);
        ruled_ = ruled_ && ::seccomp_rule_add_array(context_, SCMP_ACT_ERRNO(error), call,
                                                    unsigned(arguments.size()), arguments.data()) == 0;
    }
    // Loaded for every thread at once; no thread is left unfiltered.
    bool load() {
        return context_ && ruled_ && ::seccomp_attr_set(context_, SCMP_FLTATR_CTL_TSYNC, 1) == 0 &&
               ::seccomp_load(context_) == 0;
    }

  private:
    scmp_filter_ctx context_;
    bool ruled_ = true;
};

} // namespace

bool filterSyscalls() {
    Filter filter;
    for (const char* call : kRefused)
        filter.refuse(::seccomp_syscall_resolve_name(call));
    for (const NewerCall& call : kNewerCalls) {
        const int known = ::seccomp_syscall_resolve_name(call.name);
#if defined(__x86_64__) || defined(__aarch64__)
        filter.refuse(known >= 0 ? known : call.number);
#else
        filter.refuse(known);
#endif
    }
    // Threads only: a thread shares the worker's memory and its end.
    filter.refuse(SCMP_SYS(clone), {argument(0, SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)});
    // clone3's flags lie in memory the filter cannot read.
    filter.refuse(SCMP_SYS(clone3), {}, ENOSYS);
    // Signals to the worker itself only (raise, abort, a thread's signal).
    const auto self = uint64_t(::getpid());
    for (const int call :
         {SCMP_SYS(kill), SCMP_SYS(tgkill), SCMP_SYS(rt_sigqueueinfo), SCMP_SYS(rt_tgsigqueueinfo)})
        filter.refuse(call, {argument(0, SCMP_CMP_NE, self)});
    for (const uint32_t request : {uint32_t(TIOCSTI), uint32_t(FS_IOC_SETFLAGS), uint32_t(FS_IOC_FSSETXATTR)})
        filter.refuse(SCMP_SYS(ioctl), {int32Is(1, request)});
    for (const uint32_t command : {F_SETLK, F_SETLKW, F_OFD_SETLK, F_OFD_SETLKW, F_SETLEASE})
        filter.refuse(SCMP_SYS(fcntl), {int32Is(1, command)});
    // Opened to read only: a file made, emptied or written (/proc/self/fd/N would reopen the request's
    // file for writing) is refused. openat2's flags lie in memory the filter cannot read: ENOSYS, and the
    // C library's callers use openat.
    for (const uint32_t writing :
         {uint32_t(O_WRONLY), uint32_t(O_RDWR), uint32_t(O_CREAT), uint32_t(O_TRUNC)}) {
        filter.refuse(SCMP_SYS(open), {argument(1, SCMP_CMP_MASKED_EQ, writing, writing)});
        filter.refuse(SCMP_SYS(openat), {argument(2, SCMP_CMP_MASKED_EQ, writing, writing)});
    }
    filter.refuse(SCMP_SYS(openat2), {}, ENOSYS);
    return filter.load();
}

} // namespace platform
