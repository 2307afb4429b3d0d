// The month heat map: the shade of a month, which years get a row and what sets the scale, which
// months carry their size, and the tool tips in the user's locale.
#include "visualizations/agemap/MonthHeatmap.h"
#include "model/AgeReport.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"
#include "visualizations/agemap/MonthHeatmapCard.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLocale>
#include <QToolTip>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Pins the locale for one test and gives back the one before.
struct LocaleOverride {
    explicit LocaleOverride(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleOverride() { QLocale::setDefault(previous); }
    QLocale previous;
};

std::array<int64_t, 12> monthsWith(int month, int64_t bytes) {
    std::array<int64_t, 12> months{};
    months[size_t(month)] = bytes;
    return months;
}

} // namespace

TEST(MonthHeatmapTest, LevelsChangeAtTheLogarithmicBoundaries) {
    const int64_t scale = 1'000'000'000;
    // The share of the busiest month where level k begins: (10^(k/5) - 1) / 9.
    for (int k = 1; k < month_heatmap::kLevels; ++k) {
        const double boundary = (std::pow(10.0, k / 5.0) - 1) / 9 * double(scale);
        EXPECT_EQ(month_heatmap::level(int64_t(std::floor(boundary)) - 1, scale), k - 1) << k;
        EXPECT_EQ(month_heatmap::level(int64_t(std::ceil(boundary)) + 1, scale), k) << k;
    }
    const struct {
        int64_t bytes, scale;
        int level;
    } cases[] = {
        {0, scale, -1},           // an empty cell
        {-5, scale, -1},          // never a shade for a negative total
        {1, scale, 0},            // the smallest month still has the lightest shade
        {scale, scale, 4},        // the busiest month
        {60'000'000, scale, 0},   // 6 %
        {200'000'000, scale, 2},  // 20 %
        {500'000'000, scale, 3},  // 50 %
        {1, 0, 4},                // a scale below 1 counts as 1
        {INT64_MAX, INT64_MAX, 4} // no overflow at the largest sizes
    };
    for (const auto& c : cases)
        EXPECT_EQ(month_heatmap::level(c.bytes, c.scale), c.level) << c.bytes << " of " << c.scale;
}

TEST(MonthHeatmapTest, TheEightNewestYearsShowAndEveryYearSetsTheScale) {
    std::map<int, std::array<int64_t, 12>> months;
    for (int year = 2012; year <= 2023; ++year)
        months[year] = monthsWith(year % 12, 1'000 * year);
    // Among the shown years 2023's month would be the busiest, but a year that gets no row has a
    // far busier one.
    EXPECT_EQ(month_heatmap::grid(months).scale, 2'023'000);
    months[2013][4] = 900'000'000;
    const auto grid = month_heatmap::grid(months);
    EXPECT_EQ(grid.years, (std::vector<int>{2023, 2022, 2021, 2020, 2019, 2018, 2017, 2016}));
    EXPECT_EQ(grid.scale, 900'000'000);

    // A report without months: no rows, and the busiest month counts as one byte.
    const auto none = month_heatmap::grid({});
    EXPECT_TRUE(none.years.empty());
    EXPECT_EQ(none.scale, 1);

    MonthHeatmapCard card;
    AgeReport report;
    report.months = months;
    card.setReport(report);
    card.resize(700, 460);
    // Shown cells are shaded against the hidden year's month, and the legend names its size.
    EXPECT_EQ(month_heatmap::level(card.bytesAt(0, 2023 % 12), card.grid().scale), 0);
    EXPECT_EQ(card.busiestText(), "Busiest month: " + formatBytes(900'000'000));
    EXPECT_EQ(card.bytesAt(0, 0), 0); // a month without files of a shown year
}

TEST(MonthHeatmapTest, OnlyBigMonthsWithAGoodShareCarryTheirSizeWhenItFits) {
    const struct {
        int64_t bytes, scale;
        bool shown;
    } cases[] = {
        {900'000'000, 900'000'000, false},     // under a gigabyte, even the busiest
        {2'000'000'000, 8'000'000'000, false}, // a quarter of the busiest
        {2'000'000'000, 6'000'000'000, true},  // a third
        {1'000'000'000, 3'571'428'571, true},  // just over 28 %
        {1'000'000'000, 3'571'428'572, false}, // just under
        {1'000'000'000, 1'000'000'000, true},  // exactly a gigabyte
        {999'999'999, 999'999'999, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(month_heatmap::showsLabel(c.bytes, c.scale), c.shown) << c.bytes << " of " << c.scale;

    // The label is drawn whole or not at all: a narrow card has no room for it.
    MonthHeatmapCard card;
    AgeReport report;
    report.months[2020] = monthsWith(3, 6'000'000'000);
    report.months[2020][4] = 2'000'000'000;
    card.setReport(report);
    card.resize(900, 460);
    EXPECT_EQ(card.cellLabel(0, 3), formatBytes(6'000'000'000));
    EXPECT_EQ(card.cellLabel(0, 4), formatBytes(2'000'000'000));
    EXPECT_EQ(card.cellLabel(0, 5), QString());
    card.resize(260, 460);
    EXPECT_EQ(card.cellLabel(0, 3), QString());
}

TEST(MonthHeatmapTest, ToolTipsNameTheMonthInTheUsersLanguageAndTheYearWithoutGrouping) {
    LocaleOverride german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(month_heatmap::tooltip(2021, 2, 1'500), "M\u00E4rz 2021 \u00B7 " + formatBytes(1'500));

    MonthHeatmapCard card;
    AgeReport report;
    report.months[2021] = monthsWith(2, 1'500);
    report.months[2019] = monthsWith(7, 3'000);
    card.setReport(report);
    card.resize(700, 460);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    auto tipAt = [&](QPointF point) {
        QHelpEvent help(QEvent::ToolTip, point.toPoint(), card.mapToGlobal(point.toPoint()));
        QApplication::sendEvent(&card, &help);
        return help.isAccepted() && QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(card.cellRect(1, 7).center()), "Aug. 2019 \u00B7 " + formatBytes(3'000));
    // An empty month has its tool tip too, with a size of nothing.
    EXPECT_EQ(tipAt(card.cellRect(0, 0).center()), "Jan. 2021 \u00B7 " + formatBytes(0));
    EXPECT_EQ(tipAt(QPointF(4, 4)), QString()); // outside the cells
    QToolTip::hideText();
}
