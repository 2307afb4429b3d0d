#include "visualizations/agemap/MonthHeatmap.h"

#include "shell/style/Formatters.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace month_heatmap {

std::span<const QColor> ramp() {
    static const std::array<QColor, kLevels> colors{QColor(219, 234, 254), QColor(191, 219, 254),
                                                    QColor(147, 197, 253), QColor(96, 165, 250),
                                                    QColor(59, 130, 246)};
    return colors;
}

int level(int64_t bytes, int64_t scale) {
    if (bytes <= 0) return -1;
    const double ratio = double(bytes) / double(std::max<int64_t>(scale, 1));
    const double shade = std::trunc(kLevels * std::log10(1 + 9 * ratio));
    return int(std::clamp(shade, 0.0, double(kLevels - 1)));
}

Grid grid(const std::map<int, std::array<int64_t, 12>>& months) {
    Grid out;
    for (auto year = months.rbegin(); year != months.rend(); ++year) {
        if (out.years.size() < size_t(kShownYears)) out.years.push_back(year->first);
        for (int64_t bytes : year->second)
            out.scale = std::max(out.scale, bytes);
    }
    return out;
}

bool showsLabel(int64_t bytes, int64_t scale) {
    return bytes >= 1'000'000'000 && double(bytes) / double(std::max<int64_t>(scale, 1)) >= 0.28;
}

QString tooltip(int year, int month, int64_t bytes) {
    return QStringLiteral("%1 %2 \u00B7 %3")
        .arg(QLocale().monthName(month + 1, QLocale::ShortFormat), QString::number(year), formatBytes(bytes));
}

} // namespace month_heatmap
