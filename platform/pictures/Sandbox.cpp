#include "platform/pictures/Sandbox.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace platform {
namespace {

// The system's header may be older than the kernel: the attributes as the newest ABI here lays them out
// (the kernel reads as much of them as the size passed says).
struct RulesetAttr {
    uint64_t handledAccessFs = 0;
    uint64_t handledAccessNet = 0; // ABI 4
    uint64_t scoped = 0;           // ABI 6
};

struct [[gnu::packed]] PathBeneathAttr {
    uint64_t allowedAccess = 0;
    int32_t parentFd = -1;
};

constexpr uint64_t kFsRead = 1ULL << 2;                 // LANDLOCK_ACCESS_FS_READ_FILE
constexpr uint64_t kFsReadDir = 1ULL << 3;              // LANDLOCK_ACCESS_FS_READ_DIR
constexpr uint64_t kFsAbi1 = (1ULL << 13) - 1;          // execute ... make a symbolic link
constexpr uint64_t kFsRefer = 1ULL << 13;               // ABI 2
constexpr uint64_t kFsTruncate = 1ULL << 14;            // ABI 3
constexpr uint64_t kFsIoctlDev = 1ULL << 15;            // ABI 5
constexpr uint64_t kNetTcp = (1ULL << 0) | (1ULL << 1); // bind, connect (ABI 4)
constexpr uint64_t kScopes = (1ULL << 0) | (1ULL << 1); // abstract sockets, signals (ABI 6)

long createRuleset(const RulesetAttr* attr, size_t size, uint32_t flags) {
    return ::syscall(SYS_landlock_create_ruleset, attr, size, flags);
}

} // namespace

int landlockAbi() {
    const long abi = createRuleset(nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    return abi > 0 ? int(abi) : 0;
}

Sandboxed sandboxToReading(const std::vector<std::string>& readable, int abi) {
    if (abi <= 0) return Sandboxed::unavailable;
    RulesetAttr attr;
    attr.handledAccessFs =
        kFsAbi1 | (abi >= 2 ? kFsRefer : 0) | (abi >= 3 ? kFsTruncate : 0) | (abi >= 5 ? kFsIoctlDev : 0);
    attr.handledAccessNet = abi >= 4 ? kNetTcp : 0;
    attr.scoped = abi >= 6 ? kScopes : 0;
    const size_t size = abi >= 6   ? sizeof attr
                        : abi >= 4 ? offsetof(RulesetAttr, scoped)
                                   : offsetof(RulesetAttr, handledAccessNet);
    const int ruleset = int(createRuleset(&attr, size, 0));
    if (ruleset < 0) return Sandboxed::failed;
    bool ruled = true;
    for (const std::string& folder : readable) {
        PathBeneathAttr beneath;
        beneath.parentFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (beneath.parentFd < 0) continue; // a folder that is not there needs no rule
        beneath.allowedAccess = kFsRead | kFsReadDir;
        ruled =
            ruled && ::syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &beneath, 0) == 0;
        ::close(beneath.parentFd);
    }
    // Without it the kernel refuses a sandbox to an unprivileged process; it also keeps the sandboxed
    // from gaining privileges through a set-user-ID program.
    const bool restricted = ruled && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                            ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    ::close(ruleset);
    return restricted ? Sandboxed::yes : Sandboxed::failed;
}

std::vector<std::string> pictureWorkerReadable() {
    std::vector<std::string> folders = {"/usr", "/etc/fonts"};
    // A font fontconfig lists and Landlock would not let FreeType open draws as empty boxes. Its cache
    // folders are the system's and the user's ($XDG_CACHE_HOME/fontconfig).
    for (FcStrList* listed : {FcConfigGetFontDirs(nullptr), FcConfigGetCacheDirs(nullptr)}) {
        if (!listed) continue;
        while (const FcChar8* folder = FcStrListNext(listed))
            folders.emplace_back(reinterpret_cast<const char*>(folder));
        FcStrListDone(listed);
    }
    return folders;
}

} // namespace platform
