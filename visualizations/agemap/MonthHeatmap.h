#pragma once

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

// What the month heat map shows of an age report's monthly totals, without a window: which years get
// a row, the scale every cell is shaded against, a cell's shade and whether it carries its size.
namespace month_heatmap {

inline constexpr int kShownYears = 8;
inline constexpr int kLevels = 5;

// The five shades, lightest first, the same in both themes.
std::span<const QColor> ramp();

// The shade of a month holding `bytes` against the busiest month `scale` (at least 1): 0 to 4 on a
// logarithmic scale, or -1 for a month without bytes (drawn as an empty cell).
int level(int64_t bytes, int64_t scale);

struct Grid {
    std::vector<int> years; // the newest years with data, newest first, at most kShownYears
    int64_t scale = 1;      // the busiest month of every year, shown or not; at least 1
};
Grid grid(const std::map<int, std::array<int64_t, 12>>& months);

// Only big months that are a good share of the busiest carry their size.
bool showsLabel(int64_t bytes, int64_t scale);

// "Mar 2021 · 1.20 GB": the short month name of the user's locale, the year without grouping, the size.
QString tooltip(int year, int month, int64_t bytes);

} // namespace month_heatmap
