#pragma once

#include <optional>
#include <string>
#include <string_view>

// Path text, as raw bytes. Nothing here touches the file system except resolvedPath (and absolutePath,
// which reads the working folder).
namespace platform {

// The one spelling of a path that may be staged or moved to the Trash: absolute, no empty or "."
// components, no trailing slash. Paths with ".." components are refused rather than resolved, since
// resolving them by text alone is wrong through symbolic links; relative paths (a group node's, a
// detached node's) would resolve against the working folder and are refused too, as is "/" itself.
std::optional<std::string> normalizedAbsolutePath(std::string_view path);

// A path with "." and ".." resolved by text, repeated and trailing separators dropped ("." for nothing),
// for comparing paths that name the same place.
std::string standardizedPath(std::string_view path);

// True when `path` lies strictly below `folder` (both normalised): "/x/a/b" is below "/x/a", "/x/ab" is not.
bool isBelow(std::string_view path, std::string_view folder);

// `path` without trailing separators, except the one of "/" itself.
std::string_view withoutTrailingSlashes(std::string_view path);

// The spelling a scan starts from: a relative `path` taken against the working folder, then
// standardised as text ("a/../b" is "<working folder>/b", "/x//y/" is "/x/y", "/" stays "/"). Links are
// kept, not resolved, so every path built below it is normalised and can be staged. Empty when `path`
// is relative and the working folder cannot be named (it was deleted): such a path names no folder.
std::string absolutePath(std::string_view path);

// The folder holding `path`: "/" for items directly in it, "." for a bare name.
std::string parentFolder(std::string_view path);

// The last component, trailing separators ignored: "/a/b/" gives "b"; "/" stays "/".
std::string lastComponent(std::string_view path);

// The path with every link resolved (realpath), or empty when it cannot be resolved.
std::string resolvedPath(const std::string& path);
// The item's parent resolved through links, with the item's own name (the item itself is never
// followed), or empty when the parent cannot be resolved.
std::string resolvedItemPath(const std::string& path);

} // namespace platform
