#pragma once

#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A program a desktop entry starts, named by an absolute path: as written, and with its links resolved
// (empty when it leads nowhere).
struct EntryProgram {
    std::string path;
    std::string resolved;
};

// The [Desktop Entry] group of a freedesktop.org .desktop file. Only what Brenwick reads: plain
// (unlocalised) keys with their string escapes resolved, and the Exec line split into arguments.
struct DesktopEntry {
    std::string id;   // desktop-file ID without ".desktop": "org.example.Editor", subfolders joined by '-'
    std::string path; // the file it was read from
    std::map<std::string, std::string> values;
    // Exec's program and TryExec when they are absolute paths, resolved once as the file is read
    // (readDesktopFiles): a listing matches every AppImage against every entry, and resolving a path
    // reads every link on its way. Empty otherwise.
    EntryProgram exec, tryExec;

    // The value of `key`, or empty when the entry has none.
    std::string value(const std::string& key) const;
    // The same without spaces and tabs at its ends (an escaped "\s" may leave some after parsing).
    std::string trimmedValue(const std::string& key) const;
    // Exec split by its quoting rules, field codes (%f, %U, ...) dropped and "%%" kept as "%".
    std::vector<std::string> execArguments() const;
    // The program Exec starts: its first argument, after a leading "env VAR=value ..." when present.
    std::string execProgram() const;
};

// Parses the text of a .desktop file; none when it has no [Desktop Entry] group.
std::optional<DesktopEntry> parseDesktopEntry(std::string_view text);

// Every readable desktop file below `folder` (subfolders included), of any type, hidden or not, ordered
// by ID, with its programs resolved. Once `stop` is requested it reads no further file (the listing of
// thousands of entries is what a quit waits for).
std::vector<DesktopEntry> readDesktopFiles(const std::string& folder, std::stop_token stop = {});

// Whether the entry is an application in force: Type=Application and not Hidden=true (the user's mark
// for a deleted entry). A NoDisplay=true one counts: it still starts its program, for files and links.
bool isShownApplication(const DesktopEntry& entry);
// Whether the menu lists it: an application in force without NoDisplay=true.
bool isListedApplication(const DesktopEntry& entry);

// Every readable application entry below `folder` (subfolders included), ordered by ID. Entries marked
// Hidden=true (deleted by the user) and entries whose Type is not Application are left out, and so is
// a .desktop name that is no regular file (a link to one counts) or holds more than kEntryLimit bytes.
std::vector<DesktopEntry> readDesktopEntries(const std::string& folder);
constexpr size_t kEntryLimit = 256 * 1024;

} // namespace platform
