#pragma once

#include <string>

namespace platform {

// The user's home folder: $HOME, else the password database's entry. No trailing slash (except "/").
std::string homeFolder();
// $XDG_DATA_HOME when set to an absolute path, else ~/.local/share.
std::string dataHome();
// $XDG_CONFIG_HOME when set to an absolute path, else ~/.config.
std::string configHome();
// The name of the XDG download folder when it lies directly in the home folder
// (XDG_DOWNLOAD_DIR in user-dirs.dirs), else "Downloads".
std::string downloadFolderName();

} // namespace platform
