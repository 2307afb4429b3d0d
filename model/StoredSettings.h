#pragma once

#include "model/ThemeName.h"

#include <optional>
#include <string>
#include <vector>

// What Brenwick keeps between runs, in QSettings("Brenwick", "Brenwick"): the recent scans ("recentScans",
// paths newest first) and the chosen theme ("theme"). Reads never fail: what is missing or unknown
// reads as nothing.
namespace stored_settings {

std::vector<std::string> recents();
void setRecents(const std::vector<std::string>& paths);
// Only "Light" and "Dark", exactly.
std::optional<ThemeName> theme();
void setTheme(ThemeName theme);

// `recents` with `path` in front, other spellings of the same folder dropped, at most five entries.
std::vector<std::string> withRecent(std::vector<std::string> recents, const std::string& path);

} // namespace stored_settings
