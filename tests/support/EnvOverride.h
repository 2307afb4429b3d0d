#pragma once

#include <optional>
#include <string>
#include <vector>

// Sets environment variables for one test and restores the previous values when it ends.
class EnvOverride {
public:
    EnvOverride() = default;
    ~EnvOverride();
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

    void set(const std::string& name, const std::string& value);

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// HOME and the XDG base folders inside a temporary folder ("home", "home/.local/share", "home/.config",
// "home/.cache", "home/.local/state"), data and config created, for tests that touch the user's folders.
class ScopedUserFolders {
public:
    explicit ScopedUserFolders(const std::string& base);
    const std::string& home() const { return home_; }
    const std::string& dataHome() const { return data_; }
    const std::string& configHome() const { return config_; }
    // Sets another variable for the same lifetime.
    void set(const std::string& name, const std::string& value) { env_.set(name, value); }

private:
    EnvOverride env_;
    std::string home_, data_, config_;
};
