#include "tests/support/EnvOverride.h"

#include <cstdlib>
#include <filesystem>

EnvOverride::~EnvOverride() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
        else unsetenv(it->first.c_str());
    }
}

void EnvOverride::set(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    setenv(name.c_str(), value.c_str(), 1);
}

ScopedUserFolders::ScopedUserFolders(const std::string& base)
    : home_(base + "/home"), data_(base + "/home/.local/share"), config_(base + "/home/.config") {
    std::filesystem::create_directories(data_);
    std::filesystem::create_directories(config_);
    env_.set("HOME", home_);
    env_.set("XDG_DATA_HOME", data_);
    env_.set("XDG_CONFIG_HOME", config_);
    env_.set("XDG_CACHE_HOME", home_ + "/.cache");
    env_.set("XDG_STATE_HOME", home_ + "/.local/state");
}
