#pragma once

#include "model/ThemeName.h"

#include <optional>
#include <string>
#include <vector>

// What Brenwick keeps between runs, in QSettings("Brenwick", "Brenwick"): the recent scans ("recentScans",
// paths newest first, stored as a list of byte arrays so that every byte of a path comes back; a list
// of text paths written by earlier versions still reads) and the chosen theme ("theme"). Reads never
// fail: what is missing or unknown reads as nothing.
namespace stored_settings {

// Keeps the settings in `<configFolder>/Brenwick/Brenwick.conf` and judges that file before anything
// opens it: QSettings would wait for ever on a FIFO and read a device without end. When the file is
// there but is not a regular file (a link to one is fine) or is larger than kFileLimit, Brenwick runs
// on its defaults for this run and neither reads nor writes it, so the user's file stays as it is.
// Call before the first QSettings of Brenwick's; returns whether the file is used.
bool useFolder(const std::string& configFolder);
constexpr size_t kFileLimit = 1 << 20;

std::vector<std::string> recents();
void setRecents(const std::vector<std::string>& paths);
// Only "Light" and "Dark", exactly.
std::optional<ThemeName> theme();
void setTheme(ThemeName theme);

// `recents` with `path` in front, other spellings of the same folder dropped, at most five entries.
std::vector<std::string> withRecent(std::vector<std::string> recents, const std::string& path);

} // namespace stored_settings
