#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

// What the window shows: its tab, the Explore tab's visualisation and how visualisations colour their
// items. Each raw value is the title shown; the state object holds the chosen ones.

enum class AppTab { explore, duplicates, applications, monitor, snapshots };

enum class VisualizationMode {
    treemap,
    folders,
    sunburst,
    flame,
    bubbles,
    mindMap,
    topSizes,
    ageMap,
    outline
};

enum class ColorMode { type, folder, age };

namespace view_modes_detail {

template <typename Enum, size_t N>
constexpr std::optional<Enum> caseTitled(const std::array<Enum, N>& cases,
                                         const std::array<std::string_view, N>& titles,
                                         std::string_view raw) {
    for (size_t i = 0; i < N; ++i)
        if (titles[i] == raw) return cases[i];
    return std::nullopt;
}

} // namespace view_modes_detail

namespace app_tab {
constexpr std::array<AppTab, 5> allCases = {AppTab::explore, AppTab::duplicates, AppTab::applications,
                                            AppTab::monitor, AppTab::snapshots};
constexpr std::array<std::string_view, 5> titles = {"Explore", "Duplicates", "Applications", "Monitor",
                                                    "Snapshots"};
constexpr std::string_view rawValue(AppTab tab) {
    return titles[static_cast<size_t>(tab)];
}
// Exact, case-sensitive.
constexpr std::optional<AppTab> fromRawValue(std::string_view raw) {
    return view_modes_detail::caseTitled(allCases, titles, raw);
}
} // namespace app_tab

namespace visualization_mode {
constexpr std::array<VisualizationMode, 9> allCases = {
    VisualizationMode::treemap,  VisualizationMode::folders, VisualizationMode::sunburst,
    VisualizationMode::flame,    VisualizationMode::bubbles, VisualizationMode::mindMap,
    VisualizationMode::topSizes, VisualizationMode::ageMap,  VisualizationMode::outline};
constexpr std::array<std::string_view, 9> titles = {"Treemap",  "Folders",   "Sunburst", "Flame", "Bubbles",
                                                    "Mind Map", "Top Sizes", "Age Map",  "List"};
constexpr std::string_view rawValue(VisualizationMode mode) {
    return titles[static_cast<size_t>(mode)];
}
// Exact, case-sensitive.
constexpr std::optional<VisualizationMode> fromRawValue(std::string_view raw) {
    return view_modes_detail::caseTitled(allCases, titles, raw);
}
} // namespace visualization_mode

namespace color_mode {
constexpr std::array<ColorMode, 3> allCases = {ColorMode::type, ColorMode::folder, ColorMode::age};
constexpr std::array<std::string_view, 3> titles = {"By type", "By folder", "By age"};
constexpr std::string_view rawValue(ColorMode mode) {
    return titles[static_cast<size_t>(mode)];
}
// Exact, case-sensitive.
constexpr std::optional<ColorMode> fromRawValue(std::string_view raw) {
    return view_modes_detail::caseTitled(allCases, titles, raw);
}
} // namespace color_mode
