#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The content of a file, at most `limit` bytes; none when it cannot be opened or read. Reads until the
// end rather than trusting the size, since kernel pseudo-files report size 0.
std::optional<std::string> readTextFile(const std::string& path, size_t limit = SIZE_MAX);

// Whether a link at the path itself may lead to the file: the user's configuration may be a link to a
// regular file; Brenwick's own files never are.
enum class Links { refuse, follow };

// The content of a regular file of at most `limit` bytes; none when `path` is anything else (a FIFO,
// a device, a folder, a link unless `links` follows it), cannot be read, or holds more than `limit`
// bytes. Never waits on opening, so a FIFO or a link to /dev/zero planted in its place is harmless.
// Every small file Brenwick reads for itself is read through here.
std::optional<std::string> readRegularFile(const std::string& path, size_t limit,
                                           Links links = Links::refuse);

// Writes the whole of `data`, across short writes and interruptions. False on any failure.
bool writeAll(int fd, std::string_view data);

// Replaces `path` with `data` so that a reader sees either the old or the new content: a temporary
// file in the same folder, fsync, rename over the target, fsync of the folder. False on any failure
// (the target is then untouched and the temporary file removed).
bool writeFileAtomically(const std::string& path, std::string_view data);

// Renames `path` to the first free name "<path>.<suffix>", "<path>.<suffix>-2", ... without ever
// replacing an existing file. Returns the new path, or nothing on failure.
std::optional<std::string> moveAside(const std::string& path, const std::string& suffix);

// Creates `path` and the folders above it that are missing, with `mode`. True when `path` is then a
// folder; its parts may legitimately be links, so only the final result counts.
bool makeFolders(const std::string& path, mode_t mode);

} // namespace platform
