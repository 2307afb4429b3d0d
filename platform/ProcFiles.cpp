#include "platform/ProcFiles.h"

#include "platform/FileIO.h"
#include "platform/TextLines.h"

#include <dirent.h>

#include <algorithm>
#include <charconv>
#include <climits>

namespace platform {

std::optional<ProcStat> parseProcStat(std::string_view text) {
    size_t open = text.find('(');
    size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    ProcStat st;
    auto pidText = text.substr(0, open);
    while (!pidText.empty() && pidText.back() == ' ')
        pidText.remove_suffix(1);
    if (std::from_chars(pidText.data(), pidText.data() + pidText.size(), st.pid).ec != std::errc{})
        return std::nullopt;
    st.comm = std::string(text.substr(open + 1, close - open - 1));

    // Fields after the name, numbered as in proc(5): 3 is the state.
    std::string_view rest = text.substr(close + 1);
    while (!rest.empty() && rest.back() == '\n')
        rest.remove_suffix(1);
    std::vector<std::string_view> fields = splitWords(rest);
    if (fields.size() < 20) return std::nullopt; // up to field 22, the start time
    auto number = [&](int field, auto& value) {
        std::string_view f = fields[static_cast<size_t>(field - 3)];
        return std::from_chars(f.data(), f.data() + f.size(), value).ec == std::errc{};
    };
    if (fields[0].size() != 1) return std::nullopt;
    st.state = fields[0][0];
    if (!number(4, st.ppid) || !number(9, st.flags) || !number(14, st.utime) || !number(15, st.stime) ||
        !number(22, st.startTime))
        return std::nullopt;
    if (fields.size() >= 22 && !number(24, st.rss)) return std::nullopt;
    return st;
}

std::optional<ProcStat> readProcStat(const std::string& procRoot, int pid) {
    auto text = readTextFile(procRoot + "/" + std::to_string(pid) + "/stat", 4096);
    if (!text) return std::nullopt;
    auto st = parseProcStat(*text);
    if (!st || st->pid != pid) return std::nullopt;
    return st;
}

std::vector<int> listPids(const std::string& procRoot) {
    std::vector<int> pids;
    DIR* dir = ::opendir(procRoot.c_str());
    if (!dir) return pids;
    while (dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        int pid = 0;
        auto end = name + std::char_traits<char>::length(name);
        auto [ptr, ec] = std::from_chars(name, end, pid);
        if (ec == std::errc{} && ptr == end && pid > 0) pids.push_back(pid);
    }
    ::closedir(dir);
    std::sort(pids.begin(), pids.end());
    return pids;
}

} // namespace platform
