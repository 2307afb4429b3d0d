#pragma once

#include <cstddef>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {
struct DesktopEntry;
}

namespace AppUninstaller {

// True when `program` (an Exec program or a TryExec, as written) starts the AppImage at `appImagePath`.
// `resolvedProgram` and `resolvedAppImage` are their paths with links resolved, empty when unknown.
bool launches(const std::string& program, const std::string& resolvedProgram, const std::string& appImagePath,
              const std::string& resolvedAppImage);

// The desktop entries that start an AppImage, as `launches` judges each of their programs, found through
// maps built once per listing: thousands of AppImages compared with thousands of entries one by one cost
// their product. Built on one thread; `of` only reads, so worker threads may share it.
class LaunchingEntries {
  public:
    enum class Programs { exec, execAndTryExec };

    // Once `stop` is requested no further entry is taken in, and `of` finds fewer.
    LaunchingEntries(const std::vector<platform::DesktopEntry>& entries, Programs programs,
                     std::stop_token stop = {});

    // The positions in `entries`, ascending, of those with a program that starts the AppImage at `path`,
    // whose links resolve to `resolved` (empty when unknown).
    std::vector<size_t> of(const std::string& path, const std::string& resolved) const;

  private:
    // By a program as written, and by where its links lead.
    std::unordered_map<std::string, std::vector<size_t>> written_, resolved_;
};

} // namespace AppUninstaller
