#pragma once

#include <array>
#include <optional>
#include <string_view>

// The two themes; the raw value is the title stored under the "theme" setting.
enum class ThemeName { light, dark };

namespace theme_name {

constexpr std::array<ThemeName, 2> allCases = {ThemeName::light, ThemeName::dark};

constexpr std::string_view rawValue(ThemeName t) {
    return t == ThemeName::dark ? "Dark" : "Light";
}

// Exact, case-sensitive match of "Light" or "Dark".
constexpr std::optional<ThemeName> fromRawValue(std::string_view raw) {
    if (raw == "Light") return ThemeName::light;
    if (raw == "Dark") return ThemeName::dark;
    return std::nullopt;
}

} // namespace theme_name
