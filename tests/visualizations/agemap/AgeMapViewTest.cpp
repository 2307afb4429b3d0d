// The age map over folders scanned from disk: the loading state until the folder's report is there,
// the cards' two layouts, a report that must never show for a tree that has been replaced, and a
// picture of both layouts in both themes.
#include "visualizations/agemap/AgeMapView.h"
#include "model/AgeReport.h"
#include "model/CleanupQueue.h"
#include "model/FolderReports.h"
#include "model/ScanTree.h"
#include "shell/lists/ListView.h"
#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/InkContrast.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeHold.h"
#include "tests/visualizations/Pictures.h"
#include "visualizations/agemap/AgeBucketsCard.h"
#include "visualizations/agemap/AgeMapLayout.h"
#include "visualizations/agemap/MonthHeatmap.h"
#include "visualizations/agemap/MonthHeatmapCard.h"
#include "visualizations/agemap/UntouchedCard.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QThreadPool>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>

namespace {

constexpr double kDay = 86400;

class AgeMapViewTest : public ShellTest {
  protected:
    // A file last modified `daysAgo` days ago; `allocated` ones really take their size on disk.
    void writeAged(const std::string& relative, size_t size, double daysAgo, bool allocated = false) {
        const std::filesystem::path path = dir.path() / relative;
        if (allocated) {
            std::filesystem::create_directories(path.parent_path());
            const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(posix_fallocate(fd, 0, off_t(size)), 0);
            ::close(fd);
        } else {
            dir.writeFile(relative, size);
        }
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        const time_t when =
            time_t(std::chrono::duration_cast<std::chrono::seconds>(now).count() - daysAgo * kDay);
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    // Three big files untouched for more than a year, and small files of every age over ten years.
    std::string makeAgedFolder(const std::string& name) {
        writeAged(name + "/Archive/disk-image.dmg", 60'000'000, 2400, true);
        writeAged(name + "/Archive/old backup.dmg", 45'000'000, 800, true);
        writeAged(name + "/Videos/trip.mov", 41'000'000, 420, true);
        for (int month = 0; month < 120; month += 5)
            writeAged(name + "/Years/f" + std::to_string(month), 4'000 + size_t(month) * 300,
                      month * 30.5 + 1);
        writeAged(name + "/Years/busy", 400'000, 75);
        for (int days : {0, 3, 20, 60, 200})
            writeAged(name + "/Recent/r" + std::to_string(days), 50'000, days);
        return (dir.path() / name).string();
    }
    static std::unique_ptr<AgeMapView> viewOf(ScanViewModel& vm, FileNode* folder, QSize size) {
        auto view = std::make_unique<AgeMapView>(vm, folder);
        view->resize(size);
        view->show();
        return view;
    }
};

// The picture's point of a card's point.
QPoint inView(const QWidget* view, const QWidget* card, QPointF point) {
    return card->mapTo(view, point.toPoint());
}

} // namespace

TEST(AgeMapLayoutTest, TwoColumnsFrom980PointsOneScrollingColumnBelow) {
    const age_map::CardHeights heights{213, 300, 200};
    EXPECT_TRUE(age_map::layout({980, 700}, 980, heights).wide);
    EXPECT_FALSE(age_map::layout({979.5, 700}, 979.5, heights).wide);

    const auto wide = age_map::layout({1200, 800}, 1200, heights);
    EXPECT_NEAR(wide.untouched.width(), 446.94, 1e-9); // 39 % of what the columns share
    EXPECT_NEAR(wide.buckets.width() + wide.untouched.width() + 2 * 17 + 20, 1200, 1e-9);
    // Both columns fill the height; the heat map takes what the buckets card leaves.
    EXPECT_EQ(wide.heatmap.bottom(), wide.untouched.bottom());
    EXPECT_EQ(wide.height, 800);
    EXPECT_EQ(wide.buckets.height(), 213);
    // Too low for the cards: they keep their least heights and the area scrolls.
    EXPECT_EQ(age_map::layout({1200, 300}, 1200, heights).heatmap.height(), 300);

    const auto narrow = age_map::layout({900, 800}, 890, heights);
    EXPECT_EQ(narrow.heatmap.height(), 460);
    EXPECT_EQ(narrow.untouched.height(), 520);
    EXPECT_EQ(narrow.untouched.width(), 890 - 34);
    EXPECT_GT(narrow.height, 800);
    EXPECT_EQ(narrow.height, narrow.untouched.bottom() + 20);
}

// A bucket's bar: its share of the largest bucket, at least 4 points when it holds anything, and
// never longer than its track.
TEST(AgeBucketsCardTest, FillIsTheShareOfTheLargestWithAFloorAndTheTrackAsCeiling) {
    EXPECT_DOUBLE_EQ(AgeBucketsCard::fillWidth(500, 1000, 200), 100);
    EXPECT_DOUBLE_EQ(AgeBucketsCard::fillWidth(1000, 1000, 200), 200);
    EXPECT_EQ(AgeBucketsCard::fillWidth(0, 1000, 200), 0) << "an empty bucket has no bar";

    // The floor: a bucket too small for its share to show still shows.
    EXPECT_DOUBLE_EQ(AgeBucketsCard::fillWidth(1, 1'000'000'000, 200), 4);
    EXPECT_DOUBLE_EQ(AgeBucketsCard::fillWidth(15, 1000, 200), 4); // 3 points by its share
    EXPECT_DOUBLE_EQ(AgeBucketsCard::fillWidth(25, 1000, 200), 5) << "above the floor, the share";

    // The ceiling: the track, over a largest that is smaller or none, and over the floor itself.
    EXPECT_DOUBLE_EQ(AgeBucketsCard::fillWidth(3000, 1000, 200), 200);
    EXPECT_DOUBLE_EQ(AgeBucketsCard::fillWidth(7, 0, 200), 200);
    EXPECT_DOUBLE_EQ(AgeBucketsCard::fillWidth(1, 1000, 3), 3);
}

TEST_F(AgeMapViewTest, LoadsTheFoldersReportShowsStoredOnesAtOnceAndReloadsAfterARemoval) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeAgedFolder("aged"));
    FileNode* root = vm->root();
    auto view = viewOf(*vm, root, {1200, 800});
    EXPECT_TRUE(view->isLoading());
    EXPECT_TRUE(view->loadingState()->isVisible());
    WAIT_FOR(!view->isLoading());
    EXPECT_FALSE(view->loadingState()->isVisible());
    ASSERT_EQ(view->report(), vm->reports().ageReport(root));
    EXPECT_EQ(view->untouchedCard()->shown().size(), 3u);
    EXPECT_EQ(view->heatmapCard()->grid().years.size(), size_t(month_heatmap::kShownYears));

    // Another folder loads its own; back to the first, its stored report shows at once.
    FileNode* archive = nodeAt(root, "Archive");
    view->setFolder(archive);
    EXPECT_TRUE(view->isLoading());
    WAIT_FOR(!view->isLoading());
    EXPECT_EQ(view->untouchedCard()->shown().size(), 2u);
    view->setFolder(root);
    EXPECT_FALSE(view->isLoading());
    EXPECT_EQ(view->untouchedCard()->shown().size(), 3u);

    // Moving an item to the Trash drops every report: loading, then the report of what is left.
    const int64_t before = view->report()->total;
    FileNode* backup = nodeAt(root, "Archive/old backup.dmg");
    const int64_t trashed = backup->sizeOnDisk;
    vm->applyTrashed({backup->path()});
    EXPECT_TRUE(view->isLoading());
    WAIT_FOR(!view->isLoading());
    EXPECT_EQ(view->untouchedCard()->shown().size(), 2u);
    EXPECT_EQ(view->report()->total, before - trashed);
}

// A report finishing after a new scan has started and before that scan is published is dropped: the
// view keeps loading through the scan, and for the new tree shows the new tree's report only.
TEST_F(AgeMapViewTest, AReportOfAReplacedTreeNeverShows) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeAgedFolder("first"));
    dir.writeFile("second/slow/held.bin", 10); // the second scan waits here until released
    dir.writeFile("second/only.bin", 70'000);
    std::weak_ptr<ScanTree> first = vm->tree();
    const int64_t firstTotal = AgeReport::compute(vm->root()).total;

    TreeHold hold(vm->tree()); // the report's walk waits for this
    auto view = viewOf(*vm, vm->root(), {1200, 800});
    vm->scan((dir.path() / "second").string());
    WAIT_FOR(gate->reached() > 0);
    hold.release(); // the first tree's report is computed now, while the second scan runs
    // Only the view holds the first tree once the report has come back.
    WAIT_FOR(first.use_count() == 1);
    EXPECT_TRUE(view->isLoading());
    EXPECT_TRUE(vm->reports().ageReports().empty());

    gate->release();
    WAIT_FOR(vm->status().kind == ScanViewModel::Status::Kind::done);
    EXPECT_TRUE(view->isLoading()); // still on the first tree's folder
    view->setFolder(vm->root());
    WAIT_FOR(!view->isLoading());
    const int64_t secondTotal = AgeReport::compute(vm->root()).total;
    ASSERT_NE(secondTotal, firstTotal);
    EXPECT_EQ(view->report()->total, secondTotal);
}

// Two trees sharing a node: a report stored for one tree is not the other tree's, though the node's
// address is the same.
TEST(AgeMapReportTest, StoredReportsBelongToTheirTree) {
    TreeBuilder builder("/data");
    builder.fileAt("inner/file.bin", 5'000, 1'600'000'000);
    auto first = builder.finish();
    FileNode* shared = first->root()->children()[0];
    auto second = std::make_shared<ScanTree>("/data", "data");
    FileNode** top = second->arena().allocateArray<FileNode*>(1);
    top[0] = shared;
    second->root()->setChildren(top, 1);

    QThreadPool pool;
    FolderReports reports(pool);
    reports.requestAgeReport(second, shared);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.ageReport(shared) != nullptr; }, 30'000));
    EXPECT_EQ(AgeMapView::reportFor(reports, second, shared)->total, 5'000);
    EXPECT_EQ(AgeMapView::reportFor(reports, first, shared), nullptr);
    EXPECT_EQ(AgeMapView::reportFor(reports, nullptr, shared), nullptr);
    pool.waitForDone();
}

TEST_F(AgeMapViewTest, PictureOfBothLayoutsInBothThemes) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeAgedFolder("aged"));
    vm->cleanupQueue().add(nodeAt(vm->root(), "Videos/trip.mov"), "Staged from Explore");
    for (const auto& [size, stem] : {std::pair{QSize(1240, 820), QString("agemap-wide")},
                                     std::pair{QSize(900, 820), QString("agemap-narrow")}}) {
        auto view = viewOf(*vm, vm->root(), size);
        WAIT_FOR(!view->isLoading());
        const age_map::Layout& layout = view->cardLayout();
        EXPECT_EQ(layout.wide, size.width() >= 980);
        const MonthHeatmapCard* heatmap = view->heatmapCard();
        const QRect untouched = view->untouchedCard()->geometry();
        if (layout.wide) {
            EXPECT_GT(untouched.left(), view->bucketsCard()->geometry().right());
            EXPECT_EQ(untouched.bottom(), heatmap->geometry().bottom());
        } else {
            EXPECT_GT(heatmap->geometry().top(), view->bucketsCard()->geometry().bottom());
            EXPECT_GT(untouched.top(), heatmap->geometry().bottom());
            EXPECT_GT(view->findChild<QScrollArea*>()->verticalScrollBar()->maximum(), 0);
        }
        // The busiest month in the darkest shade; an empty month on the faded track.
        std::optional<QPoint> busiest, empty;
        for (int row = 0; row < int(heatmap->grid().years.size()); ++row)
            for (int month = 0; month < 12; ++month) {
                const int level = month_heatmap::level(heatmap->bytesAt(row, month), heatmap->grid().scale);
                const QPoint at = inView(view.get(), heatmap, heatmap->cellRect(row, month).center());
                if (level == month_heatmap::kLevels - 1 && !busiest) busiest = at;
                if (level < 0 && !empty) empty = at;
            }
        ASSERT_TRUE(busiest && empty);
        for (ThemeName name : theme_name::allCases) {
            vm->settings().setThemeName(name);
            const Theme& t = Theme::forName(name);
            const QImage image = view->grab().toImage();
            ASSERT_TRUE(saveScreenshot(image, stem, name));
            EXPECT_EQ(image.pixelColor(3, 3), t.background);
            EXPECT_EQ(image.pixelColor(*busiest), month_heatmap::ramp().back());
            const QColor cell = image.pixelColor(*empty);
            const auto blend = [](const QColor& under, const QColor& over, double a) {
                return QColor(int(std::lround(under.red() * (1 - a) + over.red() * a)),
                              int(std::lround(under.green() * (1 - a) + over.green() * a)),
                              int(std::lround(under.blue() * (1 - a) + over.blue() * a)));
            };
            const QColor expected = blend(t.card, t.track, 0.6);
            EXPECT_NEAR(cell.red(), expected.red(), 2);
            EXPECT_NEAR(cell.green(), expected.green(), 2);
            EXPECT_NEAR(cell.blue(), expected.blue(), 2);
        }
        vm->settings().setThemeName(ThemeName::light);
    }

    // In the window at its least size, beside the inspector: one column, the stored report at once.
    pictureInTheWindow(
        *vm, VisualizationMode::ageMap, "age-map", [&](const QImage& image, QWidget& shown, ThemeName name) {
            auto* view = qobject_cast<AgeMapView*>(&shown);
            ASSERT_TRUE(view);
            EXPECT_EQ(view->folder(), vm->root());
            EXPECT_FALSE(view->isLoading());
            EXPECT_FALSE(view->cardLayout().wide);
            const QPoint inCard =
                view->bucketsCard()->mapTo(view->window(), QPoint(view->bucketsCard()->width() / 2, 8));
            EXPECT_EQ(image.pixelColor(inCard), Theme::forName(name).card);
        });
}

// What the cards draw in colours of their own reads on the card, in both themes: the untouched files'
// summary at 4.5:1, their category symbols and the staged mark at 3:1, and the sizes written on the
// heat map's months at 4.5:1 on every shade.
class AgeMapContrast : public AgeMapViewTest, public ::testing::WithParamInterface<ThemeName> {};

TEST_P(AgeMapContrast, CardTextsAndSymbolsRead) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeAgedFolder("aged"));
    vm->cleanupQueue().add(nodeAt(vm->root(), "Videos/trip.mov"), "Staged from Explore");
    // Made in the light theme, then switched: the cards follow.
    auto view = viewOf(*vm, vm->root(), QSize(1240, 820));
    WAIT_FOR(!view->isLoading());
    vm->settings().setThemeName(GetParam());
    ASSERT_EQ(ThemeManager::instance().name(), GetParam());
    const QImage image = ink_contrast::sharpPicture(*view, theme().background);
    auto expectBox = [](const QImage& picture, QPointF centre, double width, double height, double minimum,
                        const std::string& what) {
        const QRectF box(centre - QPointF(width / 2, height / 2), QSizeF(width, height));
        ink_contrast::expectReads(picture, box, box.adjusted(-8, -8, 8, 8), minimum, what);
    };

    const UntouchedCard* card = view->untouchedCard();
    ASSERT_EQ(card->shown().size(), 3u);
    const auto labels = card->findChildren<QLabel*>();
    const auto summary =
        std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == card->summary(); });
    ASSERT_NE(summary, labels.end());
    const double width = QFontMetricsF((*summary)->font()).horizontalAdvance(card->summary());
    const QPointF left = (*summary)->mapTo(view.get(), QPoint(0, (*summary)->height() / 2));
    expectBox(image, left + QPointF(width / 2, 0), width, 8, 4.5, "summary");
    const ListView& list = *card->list();
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        const QRectF r = list.rowRect(list.model()->index(row, 0))
                             .translated(list.viewport()->mapTo(view.get(), QPoint(0, 0)));
        const std::string name(card->shown()[size_t(row)]->name());
        // The symbol in the 24 points at the row's left, the stage button at its right end.
        expectBox(image, QPointF(r.left() + 12, r.center().y()), 12, 12, 3.0, name + " symbol");
        expectBox(image, QPointF(r.right() - 11, r.center().y()), 12, 12, 3.0, name + " stage mark");
    }

    // The heat map's month sizes, on months of every shade that carries one.
    MonthHeatmapCard heatmap;
    AgeReport report;
    report.months[2023] = {5'000'000'000, 4'000'000'000, 3'000'000'000, 2'300'000'000};
    report.months[2024] = {8'000'000'000};
    heatmap.setReport(report);
    heatmap.resize(900, 300);
    const QImage cells = ink_contrast::sharpPicture(heatmap, theme().background);
    std::set<int> levels;
    for (int row = 0; row < int(heatmap.grid().years.size()); ++row)
        for (int month = 0; month < 12; ++month) {
            if (const QString text = heatmap.cellLabel(row, month); !text.isEmpty()) {
                levels.insert(month_heatmap::level(heatmap.bytesAt(row, month), heatmap.grid().scale));
                expectBox(cells, heatmap.cellRect(row, month).center(),
                          QFontMetricsF(fonts::ui(9, QFont::Bold)).horizontalAdvance(text), 6, 4.5,
                          text.toStdString());
            }
        }
    EXPECT_GE(levels.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Themes, AgeMapContrast, ::testing::ValuesIn(theme_name::allCases),
                         [](const auto& info) { return std::string(theme_name::rawValue(info.param)); });
