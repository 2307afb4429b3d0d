#include "platform/DesktopEntry.h"

#include "platform/FileIO.h"
#include "platform/Paths.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <filesystem>

namespace platform {
namespace {

// The string escapes of a value: \s \n \t \r \\. Others stay as they are, for Exec's own quoting.
std::string unescapeValue(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            out += raw[i];
            continue;
        }
        char next = raw[i + 1];
        switch (next) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += next;
            break;
        }
        ++i;
    }
    return out;
}

// Drops field codes from one argument; "%%" stands for a literal '%'.
std::string expandFieldCodes(const std::string& arg) {
    std::string out;
    for (size_t i = 0; i < arg.size(); ++i) {
        if (arg[i] != '%') {
            out += arg[i];
        } else if (i + 1 < arg.size()) {
            if (arg[i + 1] == '%') out += '%';
            ++i;
        }
    }
    return out;
}

bool isFieldCode(const std::string& arg) {
    return arg.size() == 2 && arg[0] == '%' && arg[1] != '%';
}

EntryProgram resolvedProgram(std::string program) {
    if (program.empty() || program[0] != '/') return {};
    std::string resolved = resolvedPath(program);
    return {std::move(program), std::move(resolved)};
}

} // namespace

std::string DesktopEntry::value(const std::string& key) const {
    auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
}

std::string DesktopEntry::trimmedValue(const std::string& key) const {
    auto it = values.find(key);
    std::string_view v = it == values.end() ? std::string_view() : std::string_view(it->second);
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
        v.remove_suffix(1);
    return std::string(v);
}

std::vector<std::string> DesktopEntry::execArguments() const {
    std::string exec = value("Exec");
    std::vector<std::string> args;
    std::string current;
    bool inArg = false, quoted = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                current += exec[++i];
            } else {
                current += c;
            }
        } else if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg) args.push_back(std::move(current));
            current.clear();
            inArg = false;
        } else if (c == '"') {
            quoted = inArg = true;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(std::move(current));

    std::vector<std::string> out;
    for (auto& arg : args) {
        if (isFieldCode(arg)) continue;
        out.push_back(expandFieldCodes(arg));
    }
    return out;
}

std::string DesktopEntry::execProgram() const {
    auto args = execArguments();
    size_t i = 0;
    if (i < args.size() && (args[i] == "env" || args[i] == "/usr/bin/env" || args[i] == "/bin/env")) {
        ++i;
        while (i < args.size() && args[i].find('=') != std::string::npos && args[i][0] != '/')
            ++i;
    }
    return i < args.size() ? args[i] : std::string();
}

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text) {
    DesktopEntry entry;
    bool found = false, inGroup = false;
    forEachLine(text, [&](std::string_view raw) {
        std::string_view line = trimmed(raw);
        if (line.empty() || line[0] == '#') return;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            found = found || inGroup;
            return;
        }
        if (!inGroup) return;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) return;
        std::string key(trimmed(line.substr(0, eq)));
        if (key.empty()) return;
        entry.values.try_emplace(std::move(key), unescapeValue(trimmed(line.substr(eq + 1))));
    });
    if (!found) return std::nullopt;
    return entry;
}

std::vector<DesktopEntry> readDesktopFiles(const std::string& folder, std::stop_token stop) {
    namespace fs = std::filesystem;
    std::vector<DesktopEntry> entries;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator() && !stop.stop_requested(); it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() != ".desktop") continue;
        // Links to entries elsewhere are common; anything but a regular file of sane size is no entry.
        auto text = readRegularFile(p.string(), kEntryLimit, Links::follow);
        if (!text) continue;
        auto entry = parseDesktopEntry(*text);
        if (!entry) continue;
        std::string id = p.lexically_relative(folder).replace_extension().string();
        std::replace(id.begin(), id.end(), '/', '-');
        entry->id = std::move(id);
        entry->path = p.string();
        entry->exec = resolvedProgram(entry->execProgram());
        entry->tryExec = resolvedProgram(entry->trimmedValue("TryExec"));
        entries.push_back(std::move(*entry));
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    return entries;
}

bool isShownApplication(const DesktopEntry& entry) {
    return entry.value("Type") == "Application" && entry.value("Hidden") != "true";
}

bool isListedApplication(const DesktopEntry& entry) {
    return isShownApplication(entry) && entry.value("NoDisplay") != "true";
}

std::vector<DesktopEntry> readDesktopEntries(const std::string& folder) {
    auto entries = readDesktopFiles(folder);
    std::erase_if(entries, [](const DesktopEntry& entry) { return !isShownApplication(entry); });
    return entries;
}

} // namespace platform
