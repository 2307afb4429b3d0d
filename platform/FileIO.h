#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The whole content of a file, or nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& path);

// Replaces `path` with `data` so that a reader sees either the old or the new content: a temporary
// file in the same folder, fsync, rename over the target, fsync of the folder. False on any failure
// (the target is then untouched and the temporary file removed).
bool writeFileAtomically(const std::string& path, std::string_view data);

// Renames `path` to the first free name "<path>.<suffix>", "<path>.<suffix>-2", ... without ever
// replacing an existing file. Returns the new path, or nothing on failure.
std::optional<std::string> moveAside(const std::string& path, const std::string& suffix);

} // namespace platform
