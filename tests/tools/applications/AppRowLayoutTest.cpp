// The application row's layout, read without a window: what the header says and offers, and the detail
// lines of an open row.
#include "tools/applications/AppRowLayout.h"
#include "model/AppUninstaller.h"
#include "shell/style/Formatters.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

using AppUninstaller::InstalledApp;
using AppUninstaller::LeftoverGroup;

InstalledApp app(std::optional<std::string> version, std::vector<LeftoverGroup> leftovers,
                 std::optional<double> lastUsed = std::nullopt) {
    InstalledApp a;
    a.id = QUuid::createUuid();
    a.bundleURL = "/home/u/Applications/Editor.AppImage";
    a.bundleIdentifier = "org.example.Editor";
    a.displayName = "Editor";
    a.version = std::move(version);
    a.lastUsedDate = lastUsed;
    a.bundleSize = 120'000'000;
    a.leftovers = std::move(leftovers);
    return a;
}

LeftoverGroup group(const std::string& category, std::vector<std::string> paths, int64_t size) {
    return {QUuid::createUuid(), category, std::move(paths), size};
}

const QRectF kCard(0, 0, 832, AppRowLayout::kHeaderHeight);

TEST(AppRowLayout, TheHeaderOpensOnlyWithLeftoversAndShowsOnlyWhatIsKnown) {
    const double justNow = double(QDateTime::currentSecsSinceEpoch()) - 10;
    const std::pair<const char*, InstalledApp> cases[] = {
        {"nothing but the AppImage", app(std::nullopt, {})},
        {"a group of 0 bytes still counts", app(std::nullopt, {group("Caches", {"/c/editor"}, 0)})},
        {"version and last use", app("1.2.3", {group("Caches", {"/c/editor"}, 2'500'000)}, justNow)},
    };
    for (const auto& [what, a] : cases) {
        SCOPED_TRACE(what);
        const AppRowLayout l = AppRowLayout::make(a, kCard, 0, false);
        const bool leftovers = !a.leftovers.empty();
        EXPECT_EQ(l.toggles, leftovers);
        EXPECT_EQ(l.leftovers.isEmpty(), !leftovers);
        EXPECT_TRUE(l.leftovers.contains(leftovers ? formatBytes(a.totalSize() - a.bundleSize) : ""));
        EXPECT_EQ(l.version.isEmpty(), !a.version);
        EXPECT_TRUE(l.version.contains(QString::fromStdString(a.version.value_or(""))));
        EXPECT_EQ(l.lastUsed.isEmpty(), !a.lastUsedDate);
        // No version, no chip and no room kept for one: the last use follows the identifier.
        EXPECT_EQ(l.versionChip.isEmpty(), l.version.isEmpty());
        if (a.version) {
            EXPECT_GE(l.versionChip.left(), l.identifierRect.right());
            EXPECT_LE(l.versionChip.right(), l.lastUsedRect.left());
        }
        // The second line stays clear of the sizes, and the sizes of the button.
        EXPECT_LT(std::max(l.identifierRect.right(), l.lastUsedRect.right()), l.totalRect.left());
        EXPECT_LT(l.totalRect.right(), l.action.left());
        EXPECT_TRUE(l.details.empty());
    }
}

TEST(AppRowLayout, AnOpenRowListsTheAppImageThenEachGroupWithARevealButton) {
    const InstalledApp a = app("2", {group("Caches", {"/c/a", "/c/b"}, 4000), group("Logs", {}, 0)});
    EXPECT_EQ(AppRowLayout::cardHeight(a, 0), AppRowLayout::kHeaderHeight);
    const double open = AppRowLayout::cardHeight(a, 1);
    EXPECT_EQ(AppRowLayout::cardHeight(a, 1.2), open); // a spring's overshoot stays inside the card
    EXPECT_GT(AppRowLayout::cardHeight(a, 0.5), AppRowLayout::kHeaderHeight);
    EXPECT_LT(AppRowLayout::cardHeight(a, 0.5), open);

    const AppRowLayout l = AppRowLayout::make(a, QRectF(0, 0, 832, open), 1, false);
    ASSERT_EQ(l.details.size(), 3u);
    EXPECT_EQ(l.details[0].size, formatBytes(a.bundleSize));
    EXPECT_EQ(l.details[0].paths, std::vector<std::string>{a.bundleURL});
    EXPECT_EQ(l.details[1].title, "Caches");
    EXPECT_EQ(l.details[1].size, formatBytes(4000));
    EXPECT_EQ(l.details[1].paths, a.leftovers[0].urls);
    EXPECT_TRUE(l.details[2].paths.empty()); // its reveal button is disabled
    for (const auto& d : l.details) {
        EXPECT_GE(d.line.top(), l.header.bottom());
        EXPECT_LE(d.line.bottom(), l.card.bottom());
        EXPECT_LT(d.titleRect.right(), d.sizeRect.left());
        EXPECT_LT(d.sizeRect.right(), d.reveal.left());
    }
    // While uninstalling, the spinner stands where the button was, no wider.
    const AppRowLayout busy = AppRowLayout::make(a, kCard, 0, true);
    EXPECT_TRUE(busy.uninstalling);
    EXPECT_EQ(busy.action.right(), l.action.right());
    EXPECT_LT(busy.action.width(), l.action.width());
}

} // namespace
