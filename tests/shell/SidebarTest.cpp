#include "model/CleanupQueue.h"
#include "model/DiskInfo.h"
#include "platform/VolumeSpace.h"
#include "shell/controls/Buttons.h"
#include "shell/panels/QuickWinRow.h"
#include "shell/panels/SidebarView.h"
#include "shell/panels/TypeBreakdown.h"
#include "shell/panels/UsageRing.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"
#include "tests/shell/ScannedHome.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TreeBuilder.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(UsageRing, FiguresAsDfGivesThemAndAnArcFromTwelveClockwise) {
    // 1000 blocks of 4 KiB, 300 of them free, 50 of those reserved for the system: the reserved blocks
    // count as neither used nor free.
    struct statvfs fs {};
    fs.f_frsize = 4096;
    fs.f_blocks = 1000;
    fs.f_bfree = 300;
    fs.f_bavail = 250;
    const platform::VolumeSpace space = platform::spaceFromStatvfs(fs);
    const DiskInfo disk{"Disk", space.total, space.free, space.used};
    EXPECT_EQ(disk.total, 1000 * 4096);
    EXPECT_EQ(disk.free, 250 * 4096);
    EXPECT_EQ(disk.usedBytes(), 700 * 4096);
    EXPECT_DOUBLE_EQ(disk.usedFraction(), 700.0 / 950.0);
    fs.f_bfree = 1001; // more free than there are blocks: nothing used
    EXPECT_EQ(platform::spaceFromStatvfs(fs).used, 0);

    // Nothing used or free is 0 %; negative figures count as 0; large volumes do not overflow.
    const struct {
        int64_t used, free;
        double fraction;
    } cases[] = {{750, 250, 0.75}, {0, 0, 0},    {1000, 0, 1},
                 {0, 500, 0},      {-5, -10, 0}, {INT64_MAX / 2, INT64_MAX / 2, 0.5}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(DiskInfo({"Disk", 0, c.free, c.used}).usedFraction(), c.fraction)
            << c.used << "/" << c.free;

    // A quarter, on the ring's middle line around (52, 52): half way to 3 o'clock is covered; left of
    // 12 o'clock, past 3 o'clock and 6 o'clock are not.
    UsageRing ring(9);
    ring.resize(104, 104);
    ring.setFraction(0.25);
    const QImage image = ring.grab().toImage();
    auto isTrack = [&](int x, int y) { return image.pixelColor(x, y).rgb() == theme().track.rgb(); };
    EXPECT_EQ((std::vector{isTrack(86, 18), isTrack(18, 18), isTrack(86, 86), isTrack(52, 99)}),
              (std::vector{false, true, true, true}));
}

TEST(TypeBreakdownBar, SegmentsShareTheWidthLeftAfterTheGapsAndKeepAMinimum) {
    const TypeBytes three = {
        {FileCategory::video, 500}, {FileCategory::image, 300}, {FileCategory::other, 200}};
    const auto widths = TypeBreakdownBar::segmentWidths(three, 304); // 300 after two gaps
    EXPECT_EQ(widths, (std::vector<double>{150, 90, 60}));
    // All zero: no division by zero, every segment at its minimum.
    EXPECT_EQ(TypeBreakdownBar::segmentWidths({{FileCategory::video, 0}, {FileCategory::audio, 0}}, 100),
              (std::vector<double>{2, 2}));
}

TEST(QuickWinRow, OpenStageAllAndRevealTheLargestMatch) {
    struct {
        TreeBuilder builder{"/home/u"};
        FileNode* downloads = builder.fileAt("Downloads/setup.deb", 1000)->parent();
        FileNode* movie = builder.fileAt("Movies/big.mp4", 50'000'000);
        FileNode* clip = builder.fileAt("Movies/clip.mov", 20'000'000);
        FileNode* other = builder.fileAt("Music/live.mkv", 50'000'000);
        std::shared_ptr<ScanTree> tree = builder.finish();
    } t;
    ScanViewModel model;
    model.settings().setTab(AppTab::duplicates);
    // A folder match becomes the current folder and the selection.
    QuickWinRow::open(model, {QuickWins::Kind::downloads, {t.downloads}, 1});
    EXPECT_EQ(model.settings().tab(), AppTab::explore);
    EXPECT_EQ(model.currentFolder(), t.downloads);
    EXPECT_EQ(model.selectedNode(), t.downloads);
    // A file, clicked on the row widget: selected, shown in its folder. Equal sizes: the earlier match wins.
    QuickWinRow row(model, {QuickWins::Kind::largeMedia, {t.clip, t.movie, t.other}, 3});
    row.resize(306, QuickWinRow::kHeight);
    row.show();
    QTest::mouseClick(&row, Qt::LeftButton);
    EXPECT_EQ(model.selectedNode(), t.movie);
    EXPECT_EQ(model.currentFolder(), t.movie->parent());
    // No matches: only the tab changes.
    model.settings().setTab(AppTab::monitor);
    QuickWinRow::open(model, {QuickWins::Kind::caches, {}, 0});
    EXPECT_EQ(model.settings().tab(), AppTab::explore);
    EXPECT_EQ(model.selectedNode(), t.movie);
    // A match inside another listed match counts again in the total.
    EXPECT_EQ(SidebarView::quickWinsTotal({{QuickWins::Kind::largeMedia, {t.movie, t.clip}, 2},
                                           {QuickWins::Kind::downloads, {t.downloads}, 1},
                                           {QuickWins::Kind::caches, {t.movie->parent()}, 1}}),
              70'000'000 + 1000 + 70'000'000);
    // Staging all skips what is staged already; revealing shows the largest match.
    ScopedFakeDesktop desktop;
    CleanupQueue& queue = model.cleanupQueue();
    queue.add(t.clip, "Staged from Explore");
    const QuickWins::Category wins{QuickWins::Kind::largeMedia, {t.movie, t.other, t.clip}, 3};
    model.settings().setTab(AppTab::snapshots);
    for (int twice = 0; twice < 2; ++twice)
        QuickWinRow::stageAll(model, wins);
    EXPECT_EQ(model.settings().tab(), AppTab::explore);
    ASSERT_EQ(queue.items().size(), 3u);
    EXPECT_EQ(queue.items()[0].reason, "Staged from Explore");
    EXPECT_EQ(queue.items()[1].path, "/home/u/Movies/big.mp4");
    EXPECT_EQ(queue.items()[1].size, 50'000'000);
    // The menu counts the listed matches, not the analysis' item count.
    EXPECT_EQ(QuickWinRow::stageAllTitle({QuickWins::Kind::largeMedia, {t.movie, t.other, t.clip}, 17}),
              "Add all 3 to Cleanup");
    QuickWinRow::revealLargest(model, wins);
    EXPECT_EQ(desktop->revealed, std::vector<std::string>{"/home/u/Movies/big.mp4"});
    QuickWinRow::revealLargest(model, {QuickWins::Kind::caches, {}, 0});
    EXPECT_EQ(desktop->revealed.size(), 1u);
}

QStringList recentNames(const SidebarView& sidebar) {
    QStringList names;
    for (QWidget* w : sidebar.recentSection()->findChildren<QWidget*>())
        if (!w->accessibleName().isEmpty() && w->isVisibleTo(&sidebar)) names << w->accessibleName();
    return names;
}

// A folder given as "top/a/.." is the folder "top": so it is named in the recents (also when an earlier
// version stored it that way) and in the Explore header, which shows the current folder's display name.
TEST_F(ShellTest, AFolderGivenWithDotDotIsNamedAfterItself) {
    dir.writeFile("top/a/one.bin", 5000);
    const std::string top = dir.str() + "/top";
    QSettings("Brenwick", "Brenwick")
        .setValue("recentScans", QStringList{QString::fromStdString(top + "/a/..")});
    auto vm = makeViewModel();
    SidebarView sidebar(*vm);
    sidebar.resize(SidebarView::kWidth, 900);
    sidebar.show();
    EXPECT_EQ(recentNames(sidebar), QStringList{"top"});

    scanAndWait(*vm, top + "/a/..");
    flushDeletes();
    EXPECT_EQ(recentNames(sidebar), QStringList{"top"});
    EXPECT_EQ(displayName(vm->currentFolder()->path(), vm->disk().name), "top");
}

TEST(SidebarView, SectionsFollowTheModelAndTheButtonsScanAndShowExplore) {
    auto sections = [](const SidebarView& s) {
        return std::vector<bool>{s.currentViewSection()->isVisible(), s.quickWinsSection()->isVisible(),
                                 s.fileTypesSection()->isVisible()};
    };
    ScanViewModel empty;
    SidebarView before(empty);
    before.resize(SidebarView::kWidth, 900);
    before.show();
    EXPECT_EQ(sections(before), std::vector<bool>(3, false));

    ScannedHome home;
    SidebarView sidebar(home.model());
    sidebar.resize(SidebarView::kWidth, 900);
    sidebar.show();
    EXPECT_EQ(sections(sidebar), std::vector<bool>(3, true));
    // The home folder reads "Home" in the recents, the newest (earlier tests may have left more).
    QStringList recents;
    for (QWidget* w : sidebar.recentSection()->findChildren<QWidget*>())
        if (!w->accessibleName().isEmpty() && w->isVisibleTo(&sidebar)) recents << w->accessibleName();
    ASSERT_FALSE(recents.isEmpty());
    EXPECT_EQ(recents.front(), "Home");
    // One quick-win row per category.
    EXPECT_EQ(sidebar.quickWinsSection()->findChildren<QuickWinRow*>().size(),
              qsizetype(home.model().quickWins().size()));

    auto button = [&](const QString& title) -> WideButton* {
        for (auto* b : sidebar.findChildren<WideButton*>())
            if (b->title() == title) return b;
        return nullptr;
    };
    ASSERT_TRUE(button("Home") && button("Folder..."));
    home.model().settings().setTab(
        AppTab::applications); // "Folder..." cancelled: Explore comes forward, no scan
    QTest::mouseClick(button("Folder..."), Qt::LeftButton);
    EXPECT_EQ(home.model().settings().tab(), AppTab::explore);
    EXPECT_FALSE(home.model().status().isScanning());
    // "Home" scans the home folder again.
    home.model().settings().setTab(AppTab::monitor);
    QTest::mouseClick(button("Home"), Qt::LeftButton);
    EXPECT_EQ(home.model().settings().tab(), AppTab::explore);
    EXPECT_TRUE(home.model().status().isScanning());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return home.model().status().kind == ScanViewModel::Status::Kind::done; }, 30000));
    EXPECT_EQ(home.model().root()->path(), home.home());
}

} // namespace
