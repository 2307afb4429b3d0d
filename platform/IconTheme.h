#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct IconThemeIndex; // one theme's index.theme, as a lookup uses it

// Where the desktop's named icons are looked for, as freedesktop.org icon themes lay them out. Plain
// paths, so a search runs on any thread.
struct IconThemeSearch {
    std::vector<std::string> folders;         // the themes' base folders, in order (~/.icons, ...)
    std::vector<std::string> themes;          // the theme in use, then its fallback
    std::vector<std::string> fallbackFolders; // flat folders of pictures, searched last (/usr/share/pixmaps)
};

// The desktop's icon folders for `themes`, in the order Qt's desktop themes search them: ~/.icons, then
// "icons" in $XDG_DATA_HOME and in each of $XDG_DATA_DIRS; the flat pictures of /usr/share/pixmaps last.
// Taken from the environment at each call, whether the folders exist or not (Qt keeps only those that
// existed when it first looked): a first app installed meanwhile may make ~/.local/share/icons.
IconThemeSearch desktopIconSearch(std::vector<std::string> themes);

// True when `path` is a regular file (links followed) of at most `limit` bytes. Only looked at, never
// opened: opening a device resets some devices, and a FIFO may wait. Check this before opening a file
// that someone else names.
bool isSmallRegularFile(const std::string& path, uint64_t limit);

// The named icons of one search. Each theme's index.theme, and which of its folders exist, is read the
// first time a lookup needs it and kept for the object's life, so a listing of many applications reads
// every index once: make one per listing. Lookups may run on several threads at once.
class IconThemes {
  public:
    // Pictures larger than `fileLimit` bytes are passed over.
    IconThemes(IconThemeSearch search, uint64_t fileLimit);
    ~IconThemes();

    // The picture file of the icon `name` closest to `size` pixels. Each theme (the themes given, each
    // followed by what it inherits, then "hicolor") is searched in the folders its index.theme lists, and
    // the first theme that has the icon decides; then the fallback folders. Only regular files count,
    // and none is opened here, so a FIFO in a theme is skipped. Empty when nothing is found.
    std::string find(std::string_view name, int size) const;

    // How many folders the indexes read so far have listed: each folder of a theme once per object,
    // however many times its index names it and however many icons are looked up.
    size_t foldersListed() const { return foldersListed_; }

  private:
    // The theme's index, read once; null when no folder holds a usable one.
    std::shared_ptr<const IconThemeIndex> index(const std::string& themeName) const;
    std::string findIn(std::string_view name, const std::string& themeName, int size,
                       std::vector<std::string>& seen) const;

    IconThemeSearch search_;
    uint64_t fileLimit_;
    mutable std::mutex mutex_; // guards indexes_, and makes one thread read an index the other awaits
    mutable std::map<std::string, std::shared_ptr<const IconThemeIndex>, std::less<>> indexes_;
    mutable std::atomic<size_t> foldersListed_ = 0;
};

} // namespace platform
