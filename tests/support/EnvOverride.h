#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Sets environment variables for one test and restores the previous values when it ends.
class EnvOverride {
  public:
    EnvOverride() = default;
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;
    ~EnvOverride() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }
    void set(const std::string& name, const std::string& value) {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name.c_str(), value.c_str(), 1);
    }

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// HOME and the XDG base folders inside `base` ("home", "home/.local/share", "home/.config", ...).
class ScopedUserFolders {
  public:
    explicit ScopedUserFolders(const std::string& base)
        : home_(base + "/home"), data_(home_ + "/.local/share"), config_(home_ + "/.config") {
        std::filesystem::create_directories(data_);
        std::filesystem::create_directories(config_);
        for (auto [name, value] : {std::pair{"HOME", home_},
                                   {"XDG_DATA_HOME", data_},
                                   {"XDG_CONFIG_HOME", config_},
                                   {"XDG_CACHE_HOME", home_ + "/.cache"},
                                   {"XDG_STATE_HOME", home_ + "/.local/state"}})
            env_.set(name, value);
    }
    const std::string& home() const { return home_; }
    const std::string& dataHome() const { return data_; }
    const std::string& configHome() const { return config_; }
    void set(const std::string& name, const std::string& value) { env_.set(name, value); }

  private:
    EnvOverride env_;
    std::string home_, data_, config_;
};
