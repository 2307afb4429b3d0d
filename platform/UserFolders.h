#pragma once

#include <string>
#include <vector>

namespace platform {

// The user's home folder: $HOME, else the password database's entry. No trailing slash (except "/").
std::string homeFolder();
// The XDG base folders: the variable when set to an absolute path (trailing slashes dropped), else the
// default below the home folder.
std::string dataHome();   // $XDG_DATA_HOME, ~/.local/share
std::string configHome(); // $XDG_CONFIG_HOME, ~/.config
std::string cacheHome();  // $XDG_CACHE_HOME, ~/.cache
std::string stateHome();  // $XDG_STATE_HOME, ~/.local/state
// $XDG_DATA_DIRS: its absolute folders, standardised, each once, in order; /usr/local/share and
// /usr/share when it is unset or empty.
std::vector<std::string> dataDirs();
// The name of the XDG download folder when it lies directly in the home folder
// (XDG_DOWNLOAD_DIR in user-dirs.dirs), else "Downloads".
std::string downloadFolderName();

} // namespace platform
