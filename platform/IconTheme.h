#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Where the desktop's named icons are looked for, as freedesktop.org icon themes lay them out. Plain
// paths, so a search runs on any thread.
struct IconThemeSearch {
    std::vector<std::string> folders;         // the themes' base folders, in order (~/.icons, ...)
    std::vector<std::string> themes;          // the theme in use, then its fallback
    std::vector<std::string> fallbackFolders; // flat folders of pictures, searched last (/usr/share/pixmaps)
};

// The picture file of the icon `name` closest to `size` pixels. Each theme (the themes given, each
// followed by what it inherits, then "hicolor") is searched in the folders its index.theme lists, and the
// first theme that has the icon decides; then the fallback folders. Only regular files count, and none is
// opened here, so a FIFO in a theme is skipped. Empty when nothing is found.
std::string findThemeIcon(std::string_view name, const IconThemeSearch& search, int size);

} // namespace platform
