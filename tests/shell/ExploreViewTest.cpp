#include "shell/panels/ExploreView.h"
#include "app/RegisterViews.h"
#include "model/FileNode.h"
#include "shell/actions/CanvasWiring.h"
#include "shell/canvas/CanvasView.h"
#include "shell/canvas/FolderView.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/DepthSlider.h"
#include "shell/controls/PressableButton.h"
#include "shell/controls/SymbolButton.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/panels/EmptyScanView.h"
#include "shell/panels/ModeBar.h"
#include "shell/panels/TitleLine.h"
#include "shell/panels/UnreadableFoldersNotice.h"
#include "shell/panels/ViewRegistry.h"
#include "shell/style/Theme.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Animations.h"
#include "tests/support/DrawnText.h"
#include "tests/support/FakeDesktop.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPointer>

#include <cmath>

namespace {

int indexOf(VisualizationMode mode) {
    return int(std::ranges::find(visualization_mode::allCases, mode) - visualization_mode::allCases.begin());
}

class ExploreViewTest : public ShellTest {};

// A registered view: its title, and every folder it was built with or handed.
class FakeView : public QLabel, public FolderView {
  public:
    FakeView(const QString& title, FileNode* folder, QWidget* parent)
        : QLabel(title, parent), folders{folder} {}
    void setFolder(FileNode* folder) override { folders.push_back(folder); }
    std::vector<FileNode*> folders;
};

TEST_F(ExploreViewTest, StartScreenScanningScreenThenExplorer) {
    const std::string fixture = makeFixture();
    dir.writeFile("fixture/slow/waiting.bin", 10);
    auto vm = makeViewModel();
    auto view = shown<ExploreView>(QSize(956, 900), *vm);
    auto* start = qobject_cast<EmptyScanView*>(view->screenWidget());
    ASSERT_TRUE(start);
    QTest::mouseClick(start->chooseFolderButton(), Qt::LeftButton); // cancelled: nothing starts
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_EQ(view->screen(), ExploreView::Screen::start);

    chosenFolder = fixture;
    QTest::mouseClick(start->chooseFolderButton(), Qt::LeftButton);
    ASSERT_EQ(view->screen(), ExploreView::Screen::scanning);
    EXPECT_EQ(view->modeBar(), nullptr); // no header while scanning
    gate->release();
    WAIT_FOR(view->screen() == ExploreView::Screen::explorer);
    EXPECT_TRUE(view->modeBar() && view->visualization());
    vm->setCurrentFolder(nullptr); // a finished scan without a current folder: the start screen again
    EXPECT_EQ(view->screen(), ExploreView::Screen::start);
}

// When a scan starts, the view of the selected mode prepares its first paint at the tab's size.
TEST_F(ExploreViewTest, TheScanningScreenWarmsUpTheSelectedModeOnce) {
    std::vector<std::pair<VisualizationMode, QSize>> warmed;
    for (VisualizationMode mode : {VisualizationMode::folders, VisualizationMode::treemap})
        ViewRegistry::registerMode(
            ModeDescription(mode, {}, {}).warmedBy([&warmed, mode](const ScanViewModel&, QSize size, double) {
                warmed.emplace_back(mode, size);
            }));
    const std::string fixture = makeFixture();
    dir.writeFile("fixture/slow/waiting.bin", 10);
    auto vm = makeViewModel();
    vm->settings().setMode(VisualizationMode::treemap);
    auto view = shown<ExploreView>(QSize(956, 900), *vm);
    vm->scan(fixture);
    ASSERT_EQ(view->screen(), ExploreView::Screen::scanning);
    EXPECT_EQ(warmed.size(), 1u);
    gate->release();
    WAIT_FOR(view->screen() == ExploreView::Screen::explorer);
    QApplication::processEvents();
    EXPECT_EQ(warmed, (std::vector<std::pair<VisualizationMode, QSize>>{
                          {VisualizationMode::treemap, QSize(956, 900)}}));
}

TEST_F(ExploreViewTest, ModeBarWritesTheStateObjectAndPicksTheFirstArrangementThatFits) {
    registerViews();
    auto vm = makeViewModel();
    vm->settings().setMode(VisualizationMode::treemap);
    auto bar = shown<ModeBar>(QSize(1300, 40), *vm);
    clickSegment(bar->colorPicker(), 2);
    EXPECT_EQ(vm->settings().colorMode(), ColorMode::age);
    DepthSlider* slider = bar->depthSlider();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 1, slider->height() / 2));
    EXPECT_EQ(vm->settings().depth(), 10.0);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(0, slider->height() / 2));
    EXPECT_EQ(vm->settings().depth(), 2.0);
    vm->settings().setDepth(7.6);
    EXPECT_EQ(slider->value(), 7);
    const bool abbreviated = vm->settings().abbreviateLabels();
    QTest::mouseClick(bar->abbreviateToggle(), Qt::LeftButton);
    EXPECT_EQ(vm->settings().abbreviateLabels(), !abbreviated);
    SegmentStrip* modes = bar->modeStrip();
    clickSegment(modes, indexOf(VisualizationMode::outline));
    EXPECT_EQ(vm->settings().mode(), VisualizationMode::outline);
    EXPECT_TRUE(modes->showsTitle(indexOf(VisualizationMode::outline)));
    EXPECT_FALSE(modes->showsTitle(indexOf(VisualizationMode::treemap)));
    clickSegment(modes, indexOf(VisualizationMode::treemap));
    EXPECT_TRUE(bar->caption()->isVisible());
    EXPECT_GT(bar->caption()->geometry().left(), bar->modeStrip()->geometry().right());
    // Narrowing: the caption goes, then the colour titles, then two rows, then compact again.
    using enum ModeBar::Arrangement;
    std::vector<ModeBar::Arrangement> seen;
    for (int w = 1300; w >= 300; w -= 5)
        if (seen.empty() || seen.back() != bar->arrangementFor(w)) seen.push_back(bar->arrangementFor(w));
    EXPECT_EQ(seen, (std::vector{oneRowCaption, oneRow, oneRowCompact, twoRows, twoRowsCompact}));
    bar->resize(480, bar->heightForWidth(480));
    EXPECT_FALSE(bar->caption()->isVisible());
    EXPECT_EQ(bar->colorPicker()->titles(), SegmentStrip::Titles::none);
    EXPECT_GT(bar->colorPicker()->geometry().top(), bar->modeStrip()->geometry().bottom());
    // A mode without a colour picker keeps its caption even in two rows.
    vm->settings().setMode(VisualizationMode::topSizes);
    EXPECT_TRUE(bar->caption()->isVisible());
    EXPECT_FALSE(bar->colorPicker()->isVisible());
    EXPECT_FALSE(bar->abbreviateToggle()->isVisible());
}

// The colour-mode picker's chip glides from the old mode's button to the new one's, easing out over
// 0.2 s, while the state object has the new mode at once.
TEST_F(ExploreViewTest, ColourPickerChipGlidesToTheNewMode) {
    registerViews();
    auto vm = makeViewModel();
    vm->settings().setMode(VisualizationMode::treemap);
    vm->settings().setColorMode(ColorMode::type);
    auto bar = shown<ModeBar>(QSize(1300, 40), *vm);
    SegmentStrip* picker = bar->colorPicker();
    const QRectF from = picker->segmentRects()[0];
    AnimationsOn animations;
    clickSegment(picker, 2);
    EXPECT_EQ(vm->settings().colorMode(), ColorMode::age);
    const QRectF to = picker->segmentRects()[2];

    QVariantAnimation* glide = runningAnimation(*picker, "glide");
    ASSERT_NE(glide, nullptr);
    EXPECT_EQ(glide->duration(), 200);
    EXPECT_EQ(glide->easingCurve(), QEasingCurve(QEasingCurve::OutQuad));
    holdAt(*glide, 0.5);
    const QRectF halfway = picker->selectionRect();
    EXPECT_GT(halfway.left(), from.left());
    EXPECT_LT(halfway.left(), to.left());
    // A restyle of the bar (its width changes) leaves the glide running.
    bar->resize(1290, 40);
    EXPECT_EQ(picker->selectionRect(), halfway);
    // Passing the middle button, the chip lies under its label.
    holdAt(*glide, 1 - std::sqrt(0.5)); // eased, the chip is half way
    const QRectF middle = picker->segmentRects()[1];
    ASSERT_TRUE(picker->selectionRect().contains(middle.center()));
    const QImage image = picker->grab().toImage();
    int label = 0;
    for (int x = int(middle.left()) + 6; x < int(middle.right()) - 6; ++x)
        for (int y = int(middle.top()) + 6; y < int(middle.bottom()) - 6; ++y)
            label += std::abs(image.pixelColor(x, y).lightness() - theme().chip.lightness()) > 40;
    EXPECT_GT(label, 20);
    finish(*glide);
    EXPECT_EQ(picker->selectionRect(), to);
}

// The abbreviate toggle eases from its chip to its ink over 0.15 s, as the labels change.
TEST_F(ExploreViewTest, AbbreviateToggleEasesToItsNewLook) {
    registerViews();
    auto vm = makeViewModel();
    vm->settings().setMode(VisualizationMode::treemap);
    vm->settings().setAbbreviateLabels(false);
    auto bar = shown<ModeBar>(QSize(1300, 40), *vm);
    PressableButton* toggle = bar->abbreviateToggle();
    auto fill = [&] { return toggle->grab().toImage().pixelColor(4, 14); };
    const QColor off = fill();
    AnimationsOn animations;
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(vm->settings().abbreviateLabels());
    QVariantAnimation* ease = runningAnimation(*toggle, "toggle");
    ASSERT_NE(ease, nullptr);
    EXPECT_EQ(ease->duration(), 150);
    EXPECT_EQ(ease->easingCurve(), QEasingCurve(QEasingCurve::OutQuad));
    holdAt(*ease, 0.5);
    const QColor halfway = fill();
    finish(*ease);
    const QColor on = fill();
    EXPECT_NE(on, off);
    EXPECT_NE(halfway, off);
    EXPECT_NE(halfway, on);
    for (auto channel : {&QColor::red, &QColor::green, &QColor::blue}) {
        EXPECT_GE((halfway.*channel)(), std::min((off.*channel)(), (on.*channel)()));
        EXPECT_LE((halfway.*channel)(), std::max((off.*channel)(), (on.*channel)()));
    }
}

TEST_F(ExploreViewTest, ExplorerBuildsTheViewOfEachModeAndNoticesUnreadableFolders) {
    std::vector<std::pair<VisualizationMode, FileNode*>> built;
    for (VisualizationMode mode :
         {VisualizationMode::treemap, VisualizationMode::sunburst, VisualizationMode::outline})
        ViewRegistry::registerMode(ModeDescription(mode, {}, {})
                                       .builtBy([&built](const ModeDescription& described, ScanViewModel&,
                                                         FileNode* folder, QWidget* parent) {
                                           built.emplace_back(described.mode, folder);
                                           return new FakeView(described.title(), folder, parent);
                                       }));
    const std::string fixture = makeFixture();
    auto vm = makeViewModel();
    vm->settings().setMode(VisualizationMode::treemap);
    auto view = shown<ExploreView>(QSize(956, 900), *vm);
    scanAndWait(*vm, fixture);
    ASSERT_TRUE(view->visualization());
    EXPECT_EQ(built.back(), std::make_pair(VisualizationMode::treemap, vm->currentFolder()));
    EXPECT_EQ(view->notice(), nullptr); // only with unreadable folders

    SegmentStrip* modes = view->modeBar()->modeStrip();
    for (VisualizationMode mode : visualization_mode::allCases) {
        clickSegment(modes, indexOf(mode));
        const QString title = QString::fromUtf8(visualization_mode::rawValue(mode).data());
        QWidget* shown = view->visualization();
        ASSERT_TRUE(shown && shown->isVisible());
        // The registered view, or a placeholder with the mode's title.
        EXPECT_EQ(ViewRegistry::hasVisualization(mode) ? static_cast<QLabel*>(shown)->text()
                                                       : shown->accessibleName(),
                  title);
    }
    // Back to the treemap: a new view, which is kept and handed each new folder.
    clickSegment(modes, indexOf(VisualizationMode::treemap));
    const size_t builds = built.size();
    QPointer<QWidget> first = view->visualization();
    FileNode* movies = nodeAt(vm->root(), "Movies");
    FileNode* clips = nodeAt(movies, "clips");
    vm->select(movies);
    vm->setCurrentFolder(clips);
    vm->setCurrentFolder(clips); // the same folder is not handed again
    vm->goUp();
    flushDeletes();
    ASSERT_EQ(view->visualization(), first.data());
    EXPECT_EQ(built.size(), builds);
    EXPECT_EQ(static_cast<FakeView*>(first.data())->folders,
              (std::vector{vm->root(), movies, clips, movies}));
    // The header's reveal button shows the current folder, whatever is selected in it.
    ScopedFakeDesktop desktop;
    vm->setSelectedNode(movies->children()[0]);
    QTest::mouseClick(view->revealButton(), Qt::LeftButton);
    EXPECT_EQ(desktop->revealed, std::vector<std::string>{movies->path()});
    // Unreadable folders: a notice listing them, closed for this scan only; the count stays.
    deniedFolders[fixture + "/Music/album"] = EACCES;
    scanAndWait(*vm, fixture);
    QPointer<UnreadableFoldersNotice> notice = view->notice();
    ASSERT_TRUE(notice);
    EXPECT_EQ(drawnText(notice->textColumn()->toolTip()), QString::fromStdString(fixture + "/Music/album"));
    QTest::mouseClick(notice->closeButton(), Qt::LeftButton);
    EXPECT_EQ(view->notice(), nullptr);
    flushDeletes();
    EXPECT_TRUE(notice.isNull());
    EXPECT_EQ(vm->unreadableFolderCount(), 1);
    deniedFolders[fixture + "/Movies/clips"] = EACCES;
    scanAndWait(*vm, fixture);
    ASSERT_TRUE(view->notice());
    EXPECT_EQ(drawnText(view->notice()->textColumn()->toolTip()).split('\n').size(), 2);
}

// A canvas that draws nothing and hits nothing.
class FakeCanvas : public CanvasView {
  public:
    FileNode* hitTest(QPointF) const override { return nullptr; }

  protected:
    void paintCanvas(QPainter&, QSizeF) override {}
};

// Short of room, the counts are shortened first, then the name; the counts go only when not one of
// their own characters fits beside the "…". The size stays whole.
TEST(TitleLine, CountsAreShortenedBeforeTheyGo) {
    const QString name = QStringLiteral("Documents"), size = QStringLiteral("12.3 GB"),
                  counts = QStringLiteral("   ·   1,234 files   ·   56 folders");
    const QString ellipsis(QChar(0x2026));
    const TitleLine full = TitleLine::fit(name, size, counts, 2000);
    EXPECT_EQ(full.name, name);
    EXPECT_EQ(full.counts, counts);
    const double needed = full.nameWidth + TitleLine::kSizeGap + full.sizeWidth + full.countsWidth;
    auto fits = [&](const TitleLine& line, double width) {
        return line.nameWidth + TitleLine::kSizeGap + line.sizeWidth + line.countsWidth <= width + 0.01;
    };

    // 50 points short of the counts' width: they are cut, the name stays.
    const TitleLine shorter = TitleLine::fit(name, size, counts, needed - full.countsWidth + 50);
    EXPECT_EQ(shorter.name, name);
    EXPECT_TRUE(shorter.counts.startsWith(QStringLiteral("   ·   1"))) << shorter.counts.toStdString();
    EXPECT_TRUE(shorter.counts.endsWith(ellipsis));
    EXPECT_TRUE(fits(shorter, needed - full.countsWidth + 50));
    // With no room for the counts, the name gives way while the counts keep one character.
    const double tight = needed - full.countsWidth;
    const TitleLine named = TitleLine::fit(name, size, counts, tight);
    EXPECT_EQ(named.counts, QStringLiteral("   ·   1") + ellipsis);
    EXPECT_TRUE(named.name.endsWith(ellipsis));
    EXPECT_EQ(named.size, size);
    EXPECT_TRUE(fits(named, tight));
    // The name at its shortest: the counts go once not one of their characters fits.
    const double least = TitleLine::kMinNameWidth + TitleLine::kSizeGap + full.sizeWidth;
    EXPECT_FALSE(TitleLine::fit(name, size, counts, least + named.countsWidth).counts.isEmpty());
    EXPECT_TRUE(TitleLine::fit(name, size, counts, least + named.countsWidth - 2).counts.isEmpty());
    EXPECT_TRUE(TitleLine::fit(name, size, counts, least).counts.isEmpty());
}

// The header of a scanned folder keeps its counts, shortened, where they lack a little room.
TEST_F(ExploreViewTest, TheHeaderKeepsShortenedCountsWhereTheyLackRoom) {
    const std::string fixture = makeFixture();
    auto vm = makeViewModel();
    auto view = shown<ExploreView>(QSize(956, 900), *vm);
    scanAndWait(*vm, fixture);
    ASSERT_EQ(view->screen(), ExploreView::Screen::explorer);
    const TitleLine full = view->titleLine();
    ASSERT_EQ(full.counts, ExploreView::countsText(*vm->currentFolder()));
    const double used = full.nameWidth + TitleLine::kSizeGap + full.sizeWidth + full.countsWidth;
    const double available = view->titleRow()->width() - view->revealButton()->width() - 12;
    // Leave the counts 50 points.
    view->resize(view->width() - int(std::ceil(available - used + full.countsWidth - 50)), view->height());
    QCoreApplication::processEvents();
    const TitleLine narrow = view->titleLine();
    EXPECT_EQ(narrow.name, full.name);
    EXPECT_FALSE(narrow.counts.isEmpty());
    EXPECT_TRUE(narrow.counts.endsWith(QChar(0x2026))) << narrow.counts.toStdString();
    EXPECT_LE(narrow.nameWidth + TitleLine::kSizeGap + narrow.sizeWidth + narrow.countsWidth,
              view->titleRow()->width() - view->revealButton()->width() - 12 + 0.01);
}

TEST_F(ExploreViewTest, WiredCanvasFollowsTheStateObjectButKeepsItsFolder) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FakeCanvas canvas, fixed;
    wireCanvas(&canvas, *vm);
    wireCanvas(&fixed, *vm, nullptr, ModeDescription(VisualizationMode::bubbles, {}, {}).withFixedDepth(4));
    vm->settings().setDepth(8.9);
    vm->settings().setColorMode(ColorMode::age);
    EXPECT_EQ(canvas.state().depth, 8);
    EXPECT_EQ(fixed.state().depth, 4); // a mode with its own depth ignores the slider
    EXPECT_EQ(canvas.state().colorMode, ColorMode::age);
    vm->setCurrentFolder(nodeAt(vm->root(), "Documents")); // the Explore tab hands it over
    EXPECT_EQ(canvas.state().folder, vm->root());
}

} // namespace
