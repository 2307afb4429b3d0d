// The Monitor screen over a fixed sample and volume list: what each card shows, the storage and
// process toggles, the filter and the sort, and a picture in both themes.
#include "tools/monitor/MonitorView.h"
#include "shell/controls/SectionCaption.h"
#include "shell/controls/SegmentStrip.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/style/Formatters.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Animations.h"
#include "tests/support/FixedMonitor.h"
#include "tests/support/PaintedText.h"
#include "tests/support/ThemedPictures.h"
#include "tools/monitor/ProcessTable.h"
#include "tools/monitor/Sparkline.h"
#include "tools/monitor/StatCell.h"
#include "tools/monitor/StorageCard.h"
#include "tools/monitor/SystemCards.h"
#include "tools/monitor/TextButton.h"

#include <QLineEdit>
#include <QThreadPool>
#include <QVariantAnimation>

#include <atomic>
#include <cmath>
#include <set>

namespace {

using fixed_monitor::fixedSample;
using fixed_monitor::fixedVolumes;
using fixed_monitor::kGB;

class MonitorViewTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        vm = makeViewModel();
    }
    void TearDown() override {
        view.reset();
        pool.waitForDone();
        ShellTest::TearDown();
    }
    void show(std::function<SystemMonitor::Snapshot()> sample = fixedSample) {
        view = std::make_unique<MonitorView>(
            *vm, SamplingLoop::Sources{std::move(sample), [] { return fixedVolumes(); }}, &pool, 3'600'000);
        view->resize(1100, 1500);
        view->show();
        WAIT_FOR(!view->sampling().cpuHistory().empty() && !view->sampling().volumes().empty());
        QCoreApplication::processEvents();
    }

    std::unique_ptr<ScanViewModel> vm;
    QThreadPool pool;
    std::unique_ptr<MonitorView> view;
};

std::vector<int32_t> rowPids(const ProcessTable& table) {
    std::vector<int32_t> pids;
    for (const auto& p : table.rows()->rows())
        pids.push_back(p.pid);
    return pids;
}

TEST_F(MonitorViewTest, CardsShowTheLatestSampleAndTheLargestThreeVolumesUntilToggled) {
    show();
    MonitorView& v = *view;
    const CpuCard& cpu = *v.cpuCard();
    EXPECT_EQ(cpu.header()->headline(), "37.5%"); // user + system
    EXPECT_EQ(cpu.load()->value(), "1.25");
    EXPECT_EQ(cpu.history()->values(), std::vector<double>{37.5});

    // Used is total - available; the history is its share of the total.
    const MemoryCard& memory = *v.memoryCard();
    EXPECT_EQ(memory.header()->headline(), formatBytes(10 * kGB));
    EXPECT_EQ(memory.caption()->trailing(), "62.5%");
    EXPECT_EQ(memory.total()->value(), formatBytes(16 * kGB));

    const NetworkCard& network = *v.networkCard();
    EXPECT_EQ(network.header()->headline(), formatBytes(1'500'000) + "/s ↓");
    EXPECT_EQ(network.rates()->values(), (std::vector<double>{1'500'000, 200'000}));
    EXPECT_EQ(network.session()->value(), formatBytes(3 * kGB));

    StorageCard& storage = *v.storageCard();
    EXPECT_EQ(storage.header()->headline(), formatBytes(200 * kGB) + " free"); // the largest volume's
    EXPECT_EQ(storage.history()->values(), std::vector<double>{200.0 * kGB});
    const std::vector<VolumeInfo> volumes = fixedVolumes();
    EXPECT_EQ(storage.rows()->volumes(), std::vector<VolumeInfo>(volumes.begin(), volumes.begin() + 3));
    ASSERT_TRUE(storage.toggleButton()->isVisible());
    const QString showMore = storage.toggleButton()->title();
    QTest::mouseClick(storage.toggleButton(), Qt::LeftButton);
    EXPECT_EQ(storage.rows()->volumes(), volumes);
    EXPECT_NE(storage.toggleButton()->title(), showMore);
    EXPECT_EQ(monitor::VolumeRows::figuresText(volumes[0].disk),
              formatBytes(300 * kGB) + " / " + formatBytes(512 * kGB)); // df's used, not total - free
    // A label that would reorder, break or hide shows a mark for what does, as its row draws it: "Backup
    // Drive" after a byte-order mark reads apart from the real one.
    std::vector<VolumeInfo> disguised = volumes;
    disguised[0].disk.name = "Back\u202Eup\x1b\n";
    disguised[1].disk.name = "\xef\xbb\xbf" + disguised[2].disk.name;
    storage.rows()->setVolumes(disguised);
    const QStringList painted = paintedTexts(*storage.rows());
    for (const QString& label :
         {QStringLiteral("Back\uFFFDup\uFFFD\uFFFD"),
          QString(QChar::ReplacementCharacter) + QString::fromStdString(volumes[2].disk.name)})
        EXPECT_TRUE(painted.contains(label))
            << label.toStdString() << " in " << painted.join(" | ").toStdString();
}

TEST_F(MonitorViewTest, ProcessTableFiltersSortsAndShowsAllOnRequest) {
    // A program named to pass for a picture, with an escape sequence and a line break in its name.
    show([] {
        SystemMonitor::Snapshot s = fixedSample();
        s.topProcessesByCPU.back().name = s.topProcessesByMemory.front().name = "p\u202Egpj.exe\x1b[31m\nx";
        return s;
    });
    MonitorView& v = *view;
    ProcessTable& table = *v.processTable();
    const QString count = table.count()->text();
    EXPECT_TRUE(count.contains("75")) << count.toStdString(); // the sample's count, not the rows'
    EXPECT_EQ(table.rows()->rowCount(), 16);
    const QString showAll = table.toggleButton()->title(), byCpu = table.heading()->text();
    QTest::mouseClick(table.toggleButton(), Qt::LeftButton);
    EXPECT_EQ(table.rows()->rowCount(), 20);
    EXPECT_NE(table.toggleButton()->title(), showAll);

    QTest::keyClicks(table.filterEdit(), "HELPER");
    EXPECT_EQ(rowPids(table), (std::vector<int32_t>{1000, 1003, 1006}));
    EXPECT_FALSE(table.toggleButton()->isVisible());
    EXPECT_FALSE(table.emptyText()->isVisible());
    EXPECT_EQ(table.count()->text(), count);

    // The order changes; the filter and the expanded state stay.
    clickSegment(table.sortPicker(), 1);
    EXPECT_NE(table.heading()->text(), byCpu);
    EXPECT_EQ(rowPids(table), (std::vector<int32_t>{1006, 1003, 1000}));
    EXPECT_EQ(table.filterEdit()->text(), "HELPER");
    EXPECT_TRUE(table.isExpanded());

    QTest::keyClicks(table.filterEdit(), "zzz");
    EXPECT_EQ(table.rows()->rowCount(), 0);
    EXPECT_TRUE(table.emptyText()->isVisible());
    EXPECT_FALSE(table.list()->isVisible());

    // Its row shows the hidden characters, and the filter finds it by what the row shows and by its name.
    for (const QString& search :
         {QStringLiteral("P\uFFFDGPJ.EXE\uFFFD[31M\uFFFDX"), QStringLiteral("p\u202Egpj")}) {
        table.filterEdit()->setText(search);
        ASSERT_EQ(rowPids(table), std::vector<int32_t>{1019}) << search.toStdString();
        EXPECT_EQ(table.rows()->data(table.rows()->index(0)).toString(),
                  QStringLiteral("p\uFFFDgpj.exe\uFFFD[31m\uFFFDx"));
    }
}

// "Show 2 more volumes" and "Show all 20" ease the list out to its new height over 0.15 s, and back:
// half way it stands between its two heights, and a list going back keeps its rows until it is there.
TEST_F(MonitorViewTest, ShowMoreTogglesGlideTheListsToTheirNewHeight) {
    show();
    StorageCard& storage = *view->storageCard();
    monitor::VolumeRows& volumes = *storage.rows();
    ProcessTable& table = *view->processTable();
    ListView& processes = *table.list();
    const int threeVolumes = volumes.height(), sixteenRows = processes.height();
    ASSERT_EQ(threeVolumes, volumes.heightFor(3));
    AnimationsOn animations;

    struct Step {
        std::function<void()> press;
        QWidget* list;
        std::function<size_t()> rows; // the rows the list holds
        size_t rowsHalfway, rowsAfter;
    };
    const Step steps[] = {
        {[&] { storage.toggle(); }, &volumes, [&] { return volumes.volumes().size(); }, 5, 5},
        {[&] { storage.toggle(); }, &volumes, [&] { return volumes.volumes().size(); }, 5, 3},
        {[&] { table.toggleExpanded(); }, &processes, [&] { return size_t(table.rows()->rowCount()); }, 20,
         20},
        {[&] { table.toggleExpanded(); }, &processes, [&] { return size_t(table.rows()->rowCount()); }, 20,
         16},
    };
    for (const Step& step : steps) {
        const int from = step.list->height();
        step.press();
        QVariantAnimation* glide = runningAnimation(*step.list, "height");
        ASSERT_NE(glide, nullptr);
        EXPECT_EQ(glide->duration(), 150);
        EXPECT_EQ(glide->easingCurve(), QEasingCurve(QEasingCurve::OutQuad));
        holdAt(*glide, 0.5);
        const int to = glide->endValue().toInt(), halfway = glide->currentValue().toInt();
        EXPECT_GT(halfway, std::min(from, to));
        EXPECT_LT(halfway, std::max(from, to));
        WAIT_FOR(step.list->height() == halfway); // once the card's layouts have run
        EXPECT_EQ(step.rows(), step.rowsHalfway);
        finish(*glide);
        WAIT_FOR(step.list->height() == to);
        EXPECT_EQ(step.rows(), step.rowsAfter);
        EXPECT_EQ(step.list->height(), step.list->sizeHint().height()) << "the list's own height again";
    }
    EXPECT_EQ(volumes.height(), threeVolumes);
    EXPECT_EQ(processes.height(), sixteenRows);
}

// The filter's text takes the new theme's colours, whichever theme the table was built in.
TEST_F(MonitorViewTest, ProcessFilterTextFollowsTheTheme) {
    for (ThemeName first : theme_name::allCases) {
        ThemeManager::instance().setThemeName(first);
        ProcessTable table;
        const ThemeName second = first == ThemeName::light ? ThemeName::dark : ThemeName::light;
        for (ThemeName name : {second, first}) {
            ThemeManager::instance().setThemeName(name);
            EXPECT_EQ(table.filterEdit()->palette().color(QPalette::Text), Theme::forName(name).text);
            EXPECT_EQ(table.filterEdit()->palette().color(QPalette::PlaceholderText),
                      Theme::forName(name).textTertiary);
        }
    }
}

// New samples change texts and values only: every widget of the screen stays the one it was.
TEST_F(MonitorViewTest, SamplesUpdateTheCardsInPlaceAndStopWhileHidden) {
    show();
    MonitorView& v = *view;
    const QList<QWidget*> before = v.findChildren<QWidget*>();
    for (const char* root : {"/a", "/b", "/c"}) {
        v.sampling().setRoot(root); // a new root samples at once
        WAIT_FOR(v.sampling().cpuHistory().size() == size_t(2 + (root[1] - 'a')));
    }
    QCoreApplication::processEvents();
    const QList<QWidget*> after = v.findChildren<QWidget*>();
    EXPECT_EQ(std::set<QWidget*>(before.begin(), before.end()),
              std::set<QWidget*>(after.begin(), after.end()));
    EXPECT_EQ(v.cpuCard()->history()->values().size(), 4u);

    v.hide();
    EXPECT_FALSE(v.sampling().isRunning());
    v.show();
    EXPECT_TRUE(v.sampling().isRunning());
}

// The whole screen in both themes (screenshots/monitor-*.png): the page on the background, the
// cards on their fill, the volumes' used parts on their track.
TEST_F(MonitorViewTest, PictureInBothThemes) {
    // Histories that move: the load and the memory in use wander from sample to sample.
    auto count = std::make_shared<std::atomic<int>>(0);
    show([count] {
        SystemMonitor::Snapshot s = fixedSample();
        const int n = ++*count;
        s.cpu.user = 20 + 15 * std::sin(n * 0.9) + (n % 3) * 6;
        s.memory.free = (5 + n % 4) * kGB;
        return s;
    });
    MonitorView& v = *view;
    for (int i = 1; i <= 12; ++i) {
        v.sampling().setRoot("/" + std::to_string(i));
        WAIT_FOR(v.sampling().cpuHistory().size() == size_t(1 + i));
    }
    picturesInBothThemes(*vm, v, "monitor", [&](const QImage& image, const Theme& t) {
        auto at = [&](QWidget* w, QPointF p) { return image.pixelColor(w->mapTo(&v, p.toPoint())); };

        EXPECT_EQ(image.pixelColor(4, 4), t.background);
        EXPECT_EQ(at(v.cpuCard(), {8, 100}), t.card);
        monitor::VolumeRows* rows = v.storageCard()->rows();
        const QRectF used = rows->usedRect(0), bar = rows->barRect(0);
        EXPECT_NEAR(used.width(), bar.width() * 300.0 / 500.0, 0.01);
        EXPECT_EQ(at(rows, used.center()), t.used);
        EXPECT_EQ(at(rows, QPointF(bar.right() - 6, bar.center().y())), t.track);
    });
}

} // namespace
