// Preloaded (LD_PRELOAD) into the real application by the tests that run it: each rename into a Trash's
// "files" folder takes 0.15 s, as on a slow volume, so that a test can signal the application in the
// middle of a move. Built without the sanitizers: it must not bring their runtime in ahead of the
// application's.
#include <dlfcn.h>

#include <cerrno>
#include <cstring>
#include <ctime>

extern "C" int renameat(int oldFolder, const char* oldPath, int newFolder, const char* newPath) {
    using Rename = int (*)(int, const char*, int, const char*);
    static const Rename next = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "renameat"));
    if (newPath && std::strstr(newPath, "/Trash/files/")) {
        const int saved = errno;
        timespec pause{0, 150'000'000};
        while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
        }
        errno = saved;
    }
    return next(oldFolder, oldPath, newFolder, newPath);
}
