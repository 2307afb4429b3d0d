#include "shell/QuickWinRow.h"
#include "shell/SidebarView.h"
#include "shell/TypeBreakdown.h"
#include "shell/UsageRing.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/Buttons.h"
#include "shell/Theme.h"
#include "tests/shell/ScannedHome.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TreeBuilder.h"

#include <QDir>
#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

#include <numeric>

namespace {

// ---- Usage ring and disk figures ----------------------------------------------------------------

TEST(UsageRing, FractionAndUsedBytesAtTheEdges) {
    // Free above total uses nothing; no total is 0 %, whatever free says; large volumes do not overflow.
    const struct {
        int64_t total, free, used;
        double fraction;
    } cases[] = {{1000, 250, 750, 0.75}, {1000, 4000, 0, 0}, {0, 0, 0, 0},         {0, 500, 0, 0},
                 {1000, 0, 1000, 1}, {INT64_MAX, INT64_MAX / 2 + 1, INT64_MAX / 2, 0.5}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(UsageRing::usedFraction({"Disk", c.total, c.free}), c.fraction) << c.total << "/" << c.free;
        EXPECT_EQ(UsageRing::usedBytes({"Disk", c.total, c.free}), c.used) << c.total << "/" << c.free;
    }
    EXPECT_DOUBLE_EQ(UsageRing::usedFraction({"Disk", -5, -10}), 0.0);
    EXPECT_EQ(UsageRing::percentText(0), "0.0%");
    EXPECT_EQ(UsageRing::percentText(1), "100.0%");
    EXPECT_EQ(UsageRing::percentText(0.4567), "45.7%");
}

TEST(UsageRing, ArcStartsAtTwelveAndGrowsClockwise) {
    ThemeManager::instance().setThemeName(ThemeName::light);
    UsageRing ring(9);
    ring.resize(104, 104);
    ring.setFraction(0.25);
    const QImage quarter = ring.grab().toImage();
    const QColor track = theme().track;
    auto isTrack = [&](const QImage& image, int x, int y) {
        return image.pixelColor(x, y).rgb() == track.rgb();
    };
    // The ring's middle line runs at radius 52 - 4.5 around (52, 52).
    EXPECT_FALSE(isTrack(quarter, 86, 18)) << "half way to 3 o'clock is covered";
    EXPECT_TRUE(isTrack(quarter, 18, 18)) << "left of 12 o'clock is not";
    EXPECT_TRUE(isTrack(quarter, 86, 86)) << "past 3 o'clock is not";
    EXPECT_TRUE(isTrack(quarter, 52, 99)) << "6 o'clock is not";

    ring.setFraction(0);
    const QImage empty = ring.grab().toImage();
    EXPECT_TRUE(isTrack(empty, 86, 18));
    EXPECT_TRUE(isTrack(empty, 52, 99));
}

// ---- Type breakdown -----------------------------------------------------------------------------

TEST(TypeBreakdownBar, SegmentsShareTheWidthLeftAfterTheGaps) {
    const TypeBytes one = {{FileCategory::video, 5000}};
    EXPECT_EQ(TypeBreakdownBar::segmentWidths(one, 306), std::vector<double>{306});

    const TypeBytes three = {
        {FileCategory::video, 500}, {FileCategory::image, 300}, {FileCategory::other, 200}};
    const auto widths = TypeBreakdownBar::segmentWidths(three, 304); // 300 after two gaps
    ASSERT_EQ(widths.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(widths[i], (std::array{150.0, 90.0, 60.0})[i]);

    // Eight tiny entries get 2 points each; the row then runs past the bar's end (the bar clips it).
    TypeBytes nine = {{FileCategory::video, 1'000'000'000}};
    for (FileCategory c :
         {FileCategory::audio, FileCategory::image, FileCategory::document, FileCategory::developer,
          FileCategory::archive, FileCategory::application, FileCategory::system, FileCategory::other})
        nine.push_back({c, 1});
    const auto many = TypeBreakdownBar::segmentWidths(nine, 306);
    for (size_t i = 1; i < many.size(); ++i)
        EXPECT_DOUBLE_EQ(many[i], 2);
    EXPECT_NEAR(many[0], 306 - 16, 0.001);
    EXPECT_GT(std::accumulate(many.begin(), many.end(), 0.0) + 16, 306);

    // All zero: no division by zero, every segment at its minimum.
    const auto zero =
        TypeBreakdownBar::segmentWidths({{FileCategory::video, 0}, {FileCategory::audio, 0}}, 100);
    EXPECT_EQ(zero, (std::vector<double>{2, 2}));
}

// ---- Quick-win rows -----------------------------------------------------------------------------

struct QuickWinTree {
    TreeBuilder builder{"/home/u"};
    FileNode* downloads = builder.folderAt("Downloads");
    FileNode* movie = builder.fileAt("Movies/big.mp4", 50'000'000);
    FileNode* clip = builder.fileAt("Movies/clip.mov", 20'000'000);
    FileNode* other = builder.fileAt("Music/live.mkv", 50'000'000);
    std::shared_ptr<ScanTree> tree = [this] {
        builder.fileAt("Downloads/setup.deb", 1000);
        return builder.finish();
    }();
};

TEST(QuickWinRow, ClickShowsTheLargestMatch) {
    QuickWinTree t;
    ScanViewModel model;
    model.setTab(AppTab::duplicates);

    // One folder match: it becomes the current folder and the selection.
    QuickWinRow::open(model, {QuickWins::Kind::downloads, {t.downloads}, 1});
    EXPECT_EQ(model.tab(), AppTab::explore);
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
    model.setTab(AppTab::monitor);
    QuickWinRow::open(model, {QuickWins::Kind::caches, {}, 0});
    EXPECT_EQ(model.tab(), AppTab::explore);
    EXPECT_EQ(model.selectedNode(), t.movie);
}

TEST(QuickWinRow, StageAllSkipsStagedMatchesAndRevealShowsTheFirstWithCounts) {
    QuickWinTree t;
    ScanViewModel model;
    ScopedFakeDesktop desktop;
    CleanupQueue& queue = model.cleanupQueue();
    queue.add(t.clip, "Staged from Explore");
    int changes = 0;
    QObject::connect(&queue, &CleanupQueue::itemsChanged, [&] { ++changes; });

    const QuickWins::Category wins{QuickWins::Kind::largeMedia, {t.movie, t.other, t.clip}, 3};
    model.setTab(AppTab::snapshots);
    QuickWinRow::stageAll(model, wins);
    EXPECT_EQ(model.tab(), AppTab::explore);
    ASSERT_EQ(queue.items().size(), 3u);
    EXPECT_EQ(queue.items()[0].reason, "Staged from Explore");
    EXPECT_EQ(queue.items()[1].path, "/home/u/Movies/big.mp4");
    EXPECT_EQ(queue.items()[1].reason, "Large media");
    EXPECT_EQ(queue.items()[1].size, 50'000'000);
    EXPECT_EQ(queue.items()[2].path, "/home/u/Music/live.mkv");
    EXPECT_EQ(changes, 2) << "one change per item staged";

    QuickWinRow::stageAll(model, wins);
    EXPECT_EQ(queue.items().size(), 3u);
    EXPECT_EQ(changes, 2);
    // The menu counts the listed matches; the row shows the analysis' item count.
    EXPECT_EQ(QuickWinRow::stageAllTitle({QuickWins::Kind::largeMedia, {t.movie, t.other, t.clip}, 17}),
              "Add all 3 to Cleanup");
    EXPECT_EQ(QuickWinRow::countText(1), "1 item");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(QuickWinRow::countText(1234), "1,234 items");
    QLocale::setDefault(QLocale::c());

    QuickWinRow::revealLargest(model, wins);
    EXPECT_EQ(desktop->revealed, std::vector<std::string>{"/home/u/Movies/big.mp4"});
    QuickWinRow::revealLargest(model, {QuickWins::Kind::caches, {}, 0});
    EXPECT_EQ(desktop->revealed.size(), 1u);
}

// ---- The sidebar over a scanned home ------------------------------------------------------------

TEST(SidebarView, SectionsFollowTheModel) {
    ScanViewModel empty;
    SidebarView before(empty);
    EXPECT_EQ(before.width(), SidebarView::kWidth);
    before.resize(SidebarView::kWidth, 900);
    before.show();
    EXPECT_FALSE(before.currentViewSection()->isVisible());
    EXPECT_FALSE(before.quickWinsSection()->isVisible());
    EXPECT_FALSE(before.fileTypesSection()->isVisible());
    EXPECT_EQ(before.recentSection()->isVisible(), !empty.recents().empty());

    ScannedHome home;
    SidebarView sidebar(home.model());
    sidebar.resize(SidebarView::kWidth, 900);
    sidebar.show();
    EXPECT_TRUE(sidebar.recentSection()->isVisible());
    EXPECT_TRUE(sidebar.currentViewSection()->isVisible());
    EXPECT_TRUE(sidebar.quickWinsSection()->isVisible());
    EXPECT_TRUE(sidebar.fileTypesSection()->isVisible());

    // The home folder reads "Home" in the recents and the current view.
    auto recentNames = [&] {
        QStringList names;
        for (QWidget* w : sidebar.recentSection()->findChildren<QWidget*>())
            if (!w->accessibleName().isEmpty() && w->isVisibleTo(&sidebar)) names << w->accessibleName();
        return names;
    };
    ASSERT_FALSE(recentNames().isEmpty());
    EXPECT_EQ(recentNames().front(), "Home"); // the newest; earlier tests of this process may have left more

    // One quick-win row per category, in the model's order.
    const auto rows = sidebar.quickWinsSection()->findChildren<QuickWinRow*>();
    ASSERT_EQ(rows.size(), qsizetype(home.model().quickWins().size()));
    for (qsizetype i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i]->category().kind, home.model().quickWins()[size_t(i)].kind);

    // Going into a folder updates the current view; quick wins stay.
    home.model().select(home.node("Music"));
    EXPECT_EQ(home.model().currentFolder(), home.node("Music"));
    EXPECT_TRUE(sidebar.currentViewSection()->isVisible());
}

TEST(SidebarView, ScanButtonsScanAndShowExplore) {
    ScannedHome home;
    SidebarView sidebar(home.model());
    sidebar.resize(SidebarView::kWidth, 900);
    sidebar.show();
    auto button = [&](const QString& title) -> WideButton* {
        for (auto* b : sidebar.findChildren<WideButton*>())
            if (b->title() == title) return b;
        return nullptr;
    };
    ASSERT_TRUE(button("Scan Full Disk"));
    ASSERT_TRUE(button("Home"));
    ASSERT_TRUE(button("Folder..."));

    // "Folder..." with a cancelled chooser: Explore comes forward, nothing is scanned.
    home.model().setTab(AppTab::applications);
    QTest::mouseClick(button("Folder..."), Qt::LeftButton);
    EXPECT_EQ(home.model().tab(), AppTab::explore);
    EXPECT_FALSE(home.model().status().isScanning());

    // "Copy Path" copies the current folder's path.
    ScopedFakeDesktop desktop;
    home.model().select(home.node("Documents"));
    QTest::mouseClick(button("Copy Path"), Qt::LeftButton);
    EXPECT_EQ(desktop->copied, std::vector<std::string>{home.home() + "/Documents"});
    QTest::mouseClick(button("Reveal"), Qt::LeftButton);
    EXPECT_EQ(desktop->revealed, std::vector<std::string>{home.home() + "/Documents"});

    // "Home" scans the home folder again.
    home.model().setTab(AppTab::monitor);
    QTest::mouseClick(button("Home"), Qt::LeftButton);
    EXPECT_EQ(home.model().tab(), AppTab::explore);
    EXPECT_TRUE(home.model().status().isScanning());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return home.model().status().kind == ScanViewModel::Status::Kind::done; }, 30000));
    EXPECT_EQ(home.model().root()->path(), home.home());
}

TEST(SidebarView, QuickWinsTotal) {
    QuickWinTree t;
    // A match inside another listed match counts again.
    const std::vector<QuickWins::Category> wins = {
        {QuickWins::Kind::largeMedia, {t.movie, t.clip}, 2},
        {QuickWins::Kind::downloads, {t.downloads}, 1},
        {QuickWins::Kind::caches, {t.movie->parent()}, 1},
    };
    EXPECT_EQ(SidebarView::quickWinsTotal(wins), 70'000'000 + 1000 + 70'000'000);
}

} // namespace
