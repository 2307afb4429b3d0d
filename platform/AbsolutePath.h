#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The one spelling of a path that may be staged or moved to the Trash: absolute, no empty or "."
// components, no trailing slash. Paths with ".." components are refused rather than resolved, since
// resolving them by text alone is wrong through symbolic links; relative paths (a group node's, a
// detached node's) would resolve against the working folder and are refused too, as is "/" itself.
std::optional<std::string> normalizedAbsolutePath(std::string_view path);

// True when `path` lies strictly below `folder` (both normalised): "/x/a/b" is below "/x/a", "/x/ab" is not.
bool isBelow(std::string_view path, std::string_view folder);

} // namespace platform
