// The Top Sizes view over scanned folders: scopes and their rankings, the rows as node rows, the
// count in the user's locale, and its picture in both themes.
#include "visualizations/topsizes/TopSizesView.h"

#include "app/RegisterViews.h"
#include "model/FolderReports.h"
#include "model/ScanTree.h"
#include "shell/controls/SegmentStrip.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/panels/ExploreView.h"
#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/DrawnText.h"
#include "tests/support/ModelChecks.h"
#include "tests/support/Mouse.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeHold.h"
#include "tests/visualizations/Pictures.h"
#include "tests/visualizations/SizeColumn.h"
#include "visualizations/topsizes/TopSizeRow.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLocale>
#include <QScrollBar>
#include <QToolTip>

namespace {

using top_sizes::Scope;

class TopSizesViewTest : public ShellTest {
  protected:
    static void pick(TopSizesView& view, Scope scope) {
        clickSegment(view.scopePicker(),
                     int(std::ranges::find(top_sizes::allScopes, scope) - top_sizes::allScopes.begin()));
    }
};

TEST_F(TopSizesViewTest, AnywhereScopesWaitForRankingsWhichEditsAndNewScansClear) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FileNode* root = vm->root();
    auto view = shown<TopSizesView>(QSize(1100, 700), *vm, root);
    EXPECT_FALSE(view->isBusy()) << "a folder's own children need no computation";
    EXPECT_EQ(rowNames(*view->rows()), namesOf(root->children()));

    pick(*view, Scope::files);
    EXPECT_EQ(view->scope(), Scope::files);
    EXPECT_TRUE(view->isBusy());
    EXPECT_TRUE(view->countLabel()->text().startsWith(QStringLiteral("0 ")));
    WAIT_FOR(!view->isBusy());
    const auto files = root->allFiles();
    ASSERT_EQ(view->rows()->rowCount(), int(files.size()));
    EXPECT_EQ(rowNames(*view->rows()).front(), "holiday.mp4");
    EXPECT_EQ(namesOf(view->visibleList().items()), namesOf(vm->reports().rankingsFor(root)->files));

    // Both "anywhere" lists come from one computation.
    pick(*view, Scope::folders);
    EXPECT_FALSE(view->isBusy());
    EXPECT_EQ(rowNames(*view->rows()).front(), "Movies");

    // The filter narrows every scope; ranks follow the matches.
    pick(*view, Scope::files);
    vm->setFilter(QStringLiteral("TRACK"));
    EXPECT_EQ(rowNames(*view->rows()), (std::vector<std::string>{"track01.mp3", "track02.mp3"}));
    EXPECT_EQ(view->visibleList().rank(1), 2);
    vm->setFilter({});

    // A removal clears the rankings: the spinner returns until the edited tree's arrive.
    FileNode* trashed = nodeAt(root, "Movies/holiday.mp4");
    vm->applyTrashed({trashed->path()});
    EXPECT_TRUE(view->isBusy());
    WAIT_FOR(!view->isBusy());
    EXPECT_EQ(rowNames(*view->rows()).front(), "intro.mov");
    EXPECT_EQ(view->rows()->rowCount(), int(files.size()) - 1);

    // A new scan clears them too; the new tree's folder brings its own.
    dir.writeFile("other/slow/x.bin", 10);
    dir.writeFile("other/big.iso", 900'000);
    vm->scan(dir.str() + "/other");
    EXPECT_TRUE(view->isBusy());
    EXPECT_EQ(view->rows()->rowCount(), 0);
    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_TRUE(view->isBusy()) << "the view still shows the old tree's folder";
    view->setFolder(vm->root()); // as the Explore tab hands it
    EXPECT_TRUE(view->isBusy());
    WAIT_FOR(!view->isBusy());
    EXPECT_EQ(rowNames(*view->rows()), (std::vector<std::string>{"big.iso", "x.bin"}));
}

// A ranking computed for a tree that a new scan replaces must never show, even when it finishes
// after the scan started and before its tree is published, and a folder of the new tree may sit
// where the old one was.
TEST_F(TopSizesViewTest, ARankingOfAReplacedTreeNeverShows) {
    registerViews();
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    vm->settings().setMode(VisualizationMode::topSizes);
    auto explore = shown<ExploreView>(QSize(1100, 800), *vm);
    auto* view = qobject_cast<TopSizesView*>(explore->visualization());
    ASSERT_TRUE(view);
    std::weak_ptr<ScanTree> oldTree = vm->tree();

    // The rankings cannot be computed while the tree is held for an edit.
    TreeHold hold(vm->tree());
    pick(*view, Scope::files);
    EXPECT_TRUE(view->isBusy());

    dir.writeFile("next/slow/x.bin", 10); // the next scan waits there
    dir.writeFile("next/new.mov", 300'000);
    vm->scan(dir.str() + "/next");
    WAIT_FOR(gate->reached() == 1);
    hold.release();
    flushDeletes();              // the explorer went when the scan started
    WAIT_FOR(oldTree.expired()); // the ranking has come back and been handled
    QCoreApplication::processEvents();
    EXPECT_TRUE(vm->reports().rankings().empty());

    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
    view = qobject_cast<TopSizesView*>(explore->visualization());
    ASSERT_TRUE(view);
    pick(*view, Scope::files);
    EXPECT_TRUE(view->isBusy()) << "nothing stands in for the new tree's rankings";
    WAIT_FOR(!view->isBusy());
    EXPECT_EQ(rowNames(*view->rows()), (std::vector<std::string>{"new.mov", "x.bin"}));
    for (FileNode* node : view->visibleList().items())
        EXPECT_EQ(vm->tree()->findNode(node->path()), node);
}

TEST_F(TopSizesViewTest, RowsSelectOpenAndFollowTheKeyboard) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FileNode* root = vm->root();
    auto view = shown<TopSizesView>(QSize(1100, 700), *vm, root);
    ListView& list = *view->list();
    auto centre = [&](std::string_view name) {
        return list.visualRect(view->rows()->indexOf(nodeAt(root, name))).center();
    };

    mouse::click(*list.viewport(), centre("Documents"));
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "Documents"));
    EXPECT_EQ(vm->currentFolder(), root) << "a click only selects";
    mouse::doubleClick(*list.viewport(), centre("readme.md"));
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "readme.md"));
    EXPECT_EQ(vm->currentFolder(), root) << "a file does not open";

    // The keyboard's row is the shared selection.
    list.setFocus();
    vm->setSelectedNode(nodeAt(root, "Movies"));
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(vm->selectedNode(), root->children()[1]);
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(vm->selectedNode(), root->children().back());

    // The tool tip is the item's full path.
    const QPoint at = centre("Documents");
    QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list.viewport(), &help);
    EXPECT_EQ(drawnText(QToolTip::text()).toStdString(), nodeAt(root, "Documents")->path());
    QToolTip::hideText();

    mouse::doubleClick(*list.viewport(), centre("Documents"));
    EXPECT_EQ(vm->currentFolder(), nodeAt(root, "Documents"));
    view->setFolder(vm->currentFolder()); // as the Explore tab hands it
    EXPECT_EQ(rowNames(*view->rows()), namesOf(nodeAt(root, "Documents")->children()));
}

// Counts and file counts are grouped as the user's locale groups digits; at most 500 rows show.
TEST_F(TopSizesViewTest, CountsFollowTheLocaleAndRowsStopAt500) {
    struct LocaleGuard {
        LocaleGuard() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
        ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
    } german;
    TreeBuilder b("/data");
    FileNode* wide = b.folderAt("wide");
    for (int i = 0; i < 1234; ++i)
        b.file(wide, "f" + std::to_string(i) + ".txt", 1000 + i);
    FileNode* many = b.folderAt("wide/many");
    for (int i = 0; i < 12'500; ++i)
        b.file(many, "m" + std::to_string(i), 1);
    auto tree = b.finish();

    auto vm = makeViewModel();
    auto view = shown<TopSizesView>(QSize(1100, 700), *vm, wide);
    EXPECT_TRUE(view->countLabel()->text().startsWith(QStringLiteral("1.235 ")));
    EXPECT_EQ(view->rows()->rowCount(), 500);
    EXPECT_EQ(view->visibleList().rank(499), 500);
    EXPECT_TRUE(TopSizeRow::kindWord(*many).startsWith(QStringLiteral("12.500 ")));
}

// However narrow the area, each scope button keeps 13 points of padding on both sides of its title and
// the picker holds them whole; in the narrowest (the smallest window with the inspector open) the count
// gives way rather than show a number cut.
TEST_F(TopSizesViewTest, ScopeButtonsKeepTheirPaddingInANarrowArea) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    for (int width : {1100, 556}) {
        // Placed as the window places it, whatever it asks for.
        QWidget area;
        area.resize(width, 500);
        auto* view = new TopSizesView(*vm, vm->root(), &area);
        view->setGeometry(0, 0, width, 500);
        area.show();
        QCoreApplication::processEvents();
        const SegmentStrip& picker = *view->scopePicker();
        const auto rects = picker.segmentRects();
        ASSERT_EQ(rects.size(), top_sizes::allScopes.size());
        for (size_t i = 0; i < rects.size(); ++i) {
            const QFont font = fonts::ui(13, int(i) == picker.selected() ? QFont::DemiBold : QFont::Medium);
            const double title =
                std::ceil(QFontMetricsF(font).horizontalAdvance(top_sizes::title(top_sizes::allScopes[i])));
            EXPECT_DOUBLE_EQ(rects[i].width(), title + 2 * 13) << "width " << width << ", button " << i;
        }
        EXPECT_GE(picker.parentWidget()->width(), picker.geometry().right() + 1)
            << "the picker holds its buttons";
        EXPECT_EQ(view->countLabel()->isVisible(), width == 1100);
    }
}

// A longer scope brings the scroll bar: the sizes move left of it, whole, and back when it goes.
TEST_F(TopSizesViewTest, SizesStayWholeAsTheScrollBarComesAndGoes) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    auto view = shown<TopSizesView>(QSize(1000, 420), *vm, vm->root());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    ListView& list = *view->list();
    const auto sizeRect = [](const QRectF& row) { return TopSizeRow::sizeRect(row); };
    ASSERT_FALSE(list.verticalScrollBar()->isVisible());
    expectSizesShowWhole(list, sizeRect, TopSizeRow::sizeFont());

    pick(*view, Scope::files);
    WAIT_FOR(!view->isBusy());
    QCoreApplication::processEvents();
    ASSERT_TRUE(list.verticalScrollBar()->isVisible());
    expectSizesShowWhole(list, sizeRect, TopSizeRow::sizeFont());

    pick(*view, Scope::here);
    QCoreApplication::processEvents();
    ASSERT_FALSE(list.verticalScrollBar()->isVisible());
    expectSizesShowWhole(list, sizeRect, TopSizeRow::sizeFont());
}

// Ranked rows in both themes: the largest match's bar fills its cell, a small one's barely starts,
// the selected bar carries the ring, and names read on the track as on the bar.
TEST_F(TopSizesViewTest, PictureInBothThemes) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FileNode* root = vm->root();
    auto view = shown<TopSizesView>(QSize(1100, 620), *vm, root);
    pick(*view, Scope::files);
    WAIT_FOR(!view->isBusy());
    vm->setSelectedNode(view->visibleList().items()[1]);
    ListView& list = *view->list();
    const int last = view->rows()->rowCount() - 1;
    ASSERT_GE(last, 8);
    auto cellOf = [&](int row) {
        return TopSizeRow::barCell(list.rowRect(view->rows()->index(row, 0)))
            .translated(list.viewport()->mapTo(view.get(), QPoint(0, 0)));
    };

    for (ThemeName name : theme_name::allCases) {
        vm->settings().setThemeName(name);
        const Theme& t = Theme::forName(name);
        const QImage image = onBackground(*view, name);
        ASSERT_TRUE(saveScreenshot(image, "top-sizes", name));
        auto at = [&](QPointF point) { return image.pixelColor(point.toPoint()); };
        const QRectF first = cellOf(0), small = cellOf(8);
        const QPointF nearEnd(first.right() - 8, first.bottom() - 6);
        EXPECT_EQ(at(nearEnd), TopSizeRow::barColor(*view->visibleList().items()[0]));
        EXPECT_EQ(at(QPointF(nearEnd.x(), small.bottom() - 6)), t.track);
        // The ring: the selected bar's edge differs from its neighbours'.
        auto edge = [&](int row) { return at(QPointF(cellOf(row).right() - 1, cellOf(row).center().y())); };
        EXPECT_NE(edge(1), edge(2));
        EXPECT_EQ(edge(2), edge(3));
        // The small row's name lies on the track and stands out from it.
        int contrast = 0;
        for (int x = int(small.left()) + 30; x < int(small.left()) + 90; ++x)
            for (int y = int(small.center().y()) - 5; y <= int(small.center().y()) + 5; ++y)
                contrast =
                    std::max(contrast, std::abs(image.pixelColor(x, y).lightness() - t.track.lightness()));
        EXPECT_GT(contrast, 110) << (name == ThemeName::dark ? "dark" : "light");
    }
}

} // namespace

namespace {

// In the window: the picker, the count and the rows sit on the Explore tab's background.
TEST_F(TopSizesViewTest, InTheWindow) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    pictureInTheWindow(*vm, VisualizationMode::topSizes, "top-sizes",
                       [&](const QImage& image, QWidget& shown, ThemeName name) {
                           auto* view = qobject_cast<TopSizesView*>(&shown);
                           ASSERT_TRUE(view);
                           EXPECT_EQ(view->folder(), vm->root());
                           EXPECT_EQ(view->rows()->rowCount(), int(vm->root()->children().size()));
                           // Beside the rows lies the window's background.
                           const QPoint gap = view->list()->viewport()->mapTo(view->window(), QPoint(4, 4));
                           EXPECT_EQ(image.pixelColor(gap), Theme::forName(name).background);
                       });
}

} // namespace
