#include "model/LaunchingEntries.h"

#include "platform/DesktopEntry.h"

#include <algorithm>

namespace AppUninstaller {

bool launches(const std::string& program, const std::string& resolvedProgram, const std::string& appImagePath,
              const std::string& resolvedAppImage) {
    if (program.empty() || program[0] != '/') return false;
    if (program == appImagePath) return true;
    return !resolvedAppImage.empty() && (program == resolvedAppImage || resolvedProgram == resolvedAppImage);
}

LaunchingEntries::LaunchingEntries(const std::vector<platform::DesktopEntry>& entries, Programs programs,
                                   std::stop_token stop) {
    for (size_t i = 0; i < entries.size() && !stop.stop_requested(); ++i) {
        auto take = [&](const platform::EntryProgram& program) {
            if (program.path.empty() || program.path[0] != '/') return;
            written_[program.path].push_back(i);
            if (!program.resolved.empty()) resolved_[program.resolved].push_back(i);
        };
        take(entries[i].exec);
        if (programs == Programs::execAndTryExec) take(entries[i].tryExec);
    }
}

std::vector<size_t> LaunchingEntries::of(const std::string& path, const std::string& resolved) const {
    // The keys `launches` compares: the path as written against the program as written, and, when the
    // AppImage's links resolve, where they lead against the program both as written and resolved.
    std::vector<size_t> found;
    auto add = [&](const std::unordered_map<std::string, std::vector<size_t>>& map, const std::string& key) {
        if (auto it = map.find(key); it != map.end())
            found.insert(found.end(), it->second.begin(), it->second.end());
    };
    add(written_, path);
    if (!resolved.empty()) {
        add(written_, resolved);
        add(resolved_, resolved);
    }
    // An entry found by two keys, or by Exec and TryExec, counts once, in the entries' order.
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

} // namespace AppUninstaller
