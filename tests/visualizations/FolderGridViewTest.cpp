// The folder grid over a folder scanned from disk: filtering, tints, clicks, the context menu, hover,
// removal of trashed children, a folder of 100,000 children, and screenshots in both themes.
#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/Palette.h"
#include "shell/PreviewWindow.h"
#include "shell/Theme.h"
#include "visualizations/FolderGridView.h"

#include "tests/support/TempDir.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestTree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> namesOf(const std::vector<FileNode*>& nodes) {
    std::vector<std::string> names;
    for (const FileNode* node : nodes) names.emplace_back(node->name());
    return names;
}

// A double click as the window system delivers it: press, release, double click, release.
void doubleClick(QWidget* widget, QPoint point) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
}

class FolderGridViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.writeFile("Archive/backup.zip", 2'000'000);
        dir.writeFile("Music/song.mp3", 600'000);
        dir.writeFile("Music/clip.mov", 300'000);
        dir.writeFile("Music/score.pdf", 100'000);
        dir.writeFile("Music/tool.cpp", 30'000);
        dir.writeFile("Photos/a.jpg", 400'000);
        dir.writeFile("Photos/b.png", 200'000);
        dir.writeFile("Photos/inner/deep-photo.png", 50'000);
        dir.writeFile("Projects/src/main.cpp", 20'000);
        dir.writeFile("Projects/CMakeLists.txt", 5'000);
        dir.writeFile("Projects/README.md", 4'000);
        dir.makeDir("empty");
        dir.writeFile("movie.mp4", 800'000);
        dir.writeFile("MyPHOTO.jpg", 150'000);
        dir.writeFile("setup.sh", 10'000);
        dir.writeFile("notes.txt", 3'000);
        vm.scan(dir.str());
        ASSERT_TRUE(QTest::qWaitFor([&] { return vm.status().kind == ScanViewModel::Status::Kind::done && vm.root(); },
                                    30'000));
        ThemeManager::instance().setThemeName(ThemeName::light);
    }

    FileNode* child(std::string_view name, FileNode* parent = nullptr) const {
        for (FileNode* node : (parent ? parent : vm.root())->children())
            if (node->name() == name) return node;
        ADD_FAILURE() << "no child " << name;
        return nullptr;
    }

    // A grid of the scan root, shown at a size with three columns.
    std::unique_ptr<FolderGridView> makeView(FileNode* folder = nullptr, QSize size = {1000, 900}) {
        auto view = std::make_unique<FolderGridView>(vm, folder ? folder : vm.root());
        view->resize(size);
        view->show();
        return view;
    }

    QPoint centreOf(const FolderGridView& view, const FileNode* node) const {
        const auto cell = view.cellOf(node);
        EXPECT_TRUE(cell.has_value()) << node->name();
        return cell ? cell->center().toPoint() : QPoint();
    }

    TempDir dir;
    ScanViewModel vm;
};

TEST_F(FolderGridViewTest, DirectChildrenInStoredOrderNarrowedByTheFilter) {
    auto view = makeView();
    EXPECT_EQ(namesOf(view->partition().folders),
              (std::vector<std::string>{"Archive", "Music", "Photos", "Projects", "empty"}));
    EXPECT_EQ(namesOf(view->partition().files),
              (std::vector<std::string>{"movie.mp4", "MyPHOTO.jpg", "setup.sh", "notes.txt"}));

    // Trimmed, any case, direct children only: "deep-photo.png" lies deeper.
    vm.setFilter(" Photo ");
    EXPECT_EQ(namesOf(view->partition().folders), std::vector<std::string>{"Photos"});
    EXPECT_EQ(namesOf(view->partition().files), std::vector<std::string>{"MyPHOTO.jpg"});
    EXPECT_EQ(view->gridLayout().items.size(), 4u); // two headers, one card, one tile

    vm.setFilter("report");
    EXPECT_TRUE(view->partition().folders.empty());
    EXPECT_TRUE(view->partition().files.empty());
    ASSERT_EQ(view->gridLayout().items.size(), 1u);
    EXPECT_EQ(view->gridLayout().items[0].kind, folder_grid::ItemKind::emptyState);
    EXPECT_EQ(FolderGridView::emptyText(vm.filter()), QStringLiteral("Nothing here matches \u201Creport\u201D."));

    vm.setFilter("   "); // spaces filter nothing
    EXPECT_EQ(view->partition().folders.size() + view->partition().files.size(), 9u);

    // An empty folder: the message depends on the filter as typed, spaces included.
    auto emptyView = makeView(child("empty"));
    EXPECT_EQ(emptyView->gridLayout().items.size(), 1u);
    EXPECT_EQ(FolderGridView::emptyText(vm.filter()), QStringLiteral("Nothing here matches \u201C   \u201D."));
    vm.setFilter("");
    EXPECT_EQ(FolderGridView::emptyText(vm.filter()), QStringLiteral("This folder is empty."));
}

TEST_F(FolderGridViewTest, TintsFollowTheColourModeAndThePositionInTheFilteredList) {
    auto view = makeView();
    vm.setColorMode(ColorMode::folder);
    for (size_t i = 0; i < view->partition().folders.size(); ++i) EXPECT_EQ(view->tintAt(i), palette::cardPalette()[i]);
    const QPoint musicBody = centreOf(*view, child("Music")) + QPoint(0, 40);
    const QColor folderPixel = view->grab().toImage().pixelColor(musicBody);

    // Narrowing the filter moves "Music" to the front, and its tint with it.
    vm.setFilter("s");
    EXPECT_EQ(namesOf(view->partition().folders), (std::vector<std::string>{"Music", "Photos", "Projects"}));
    EXPECT_EQ(view->tintAt(0), palette::cardPalette()[0]);
    vm.setFilter("");

    vm.setColorMode(ColorMode::type);
    EXPECT_EQ(view->tintAt(0).rgb(), palette::categoryColor(FileCategory::archive).rgb());
    EXPECT_EQ(view->tintAt(1).rgb(), palette::categoryColor(FileCategory::audio).rgb()); // Music: mostly audio
    EXPECT_NE(view->grab().toImage().pixelColor(musicBody), folderPixel); // repainted with the new tint
}

TEST_F(FolderGridViewTest, ClickSelectsDoubleClickOpens) {
    auto view = makeView();
    FileNode* music = child("Music");
    QWidget* surface = view->viewport();

    QTest::mouseClick(surface, Qt::LeftButton, {}, centreOf(*view, music));
    EXPECT_EQ(vm.selectedNode(), music);
    EXPECT_EQ(vm.currentFolder(), vm.root());

    // The strip right of the tab is not part of the card.
    vm.setSelectedNode(nullptr);
    const QRectF cell = *view->cellOf(music);
    QTest::mouseClick(surface, Qt::LeftButton, {}, (cell.topLeft() + QPointF(cell.width() * 0.8, 8)).toPoint());
    EXPECT_EQ(vm.selectedNode(), nullptr);

    FileNode* movie = child("movie.mp4");
    QTest::mouseClick(surface, Qt::LeftButton, {}, centreOf(*view, movie));
    EXPECT_EQ(vm.selectedNode(), movie);

    // A double click on an empty folder only selects it.
    FileNode* empty = child("empty");
    doubleClick(surface, centreOf(*view, empty));
    EXPECT_EQ(vm.selectedNode(), empty);
    EXPECT_EQ(vm.currentFolder(), vm.root());

    doubleClick(surface, centreOf(*view, music));
    EXPECT_EQ(vm.currentFolder(), music);
    EXPECT_EQ(vm.selectedNode(), music);

    // A click on empty space changes nothing.
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(vm.selectedNode(), music);

    // A double click on a file selects it and previews it.
    doubleClick(surface, centreOf(*view, movie));
    EXPECT_EQ(vm.selectedNode(), movie);
    EXPECT_EQ(vm.currentFolder(), music);
    EXPECT_EQ(PreviewWindow::instance().path(), movie->path());
    EXPECT_TRUE(QTest::qWaitFor([] { return PreviewWindow::instance().page().has_value(); }, 10'000));
    PreviewWindow::instance().close();
}

TEST_F(FolderGridViewTest, SelectionFromElsewhereIsDrawn) {
    auto view = makeView();
    FileNode* photos = child("Photos");
    const QRectF cell = *view->cellOf(photos);
    const QPoint leftEdge(int(cell.left()), int(cell.center().y()));
    const QColor before = view->grab().toImage().pixelColor(leftEdge);
    vm.setSelectedNode(photos);
    const QColor selected = view->grab().toImage().pixelColor(leftEdge);
    EXPECT_LT(selected.lightness(), before.lightness() - 60);
    // A node below the shown folder marks nothing here.
    vm.setSelectedNode(child("inner", photos));
    EXPECT_EQ(view->grab().toImage().pixelColor(leftEdge), before);
}

QMenu* openMenuAt(FolderGridView& view, QPoint point) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, view.viewport()->mapToGlobal(point));
    QApplication::sendEvent(view.viewport(), &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

std::vector<QString> titlesOf(const QMenu& menu) {
    std::vector<QString> titles;
    for (QAction* action : menu.actions()) titles.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    return titles;
}

TEST_F(FolderGridViewTest, EveryCardAndTileHasTheNodeMenu) {
    auto view = makeView();
    FileNode* photos = child("Photos");
    QMenu* menu = openMenuAt(*view, centreOf(*view, photos));
    ASSERT_NE(menu, nullptr);
    const auto folderTitles = titlesOf(*menu);
    ASSERT_GE(folderTitles.size(), 5u);
    EXPECT_EQ(folderTitles.front(), "Open");
    EXPECT_EQ(folderTitles.back(), "Add to Cleanup");
    menu->actions().back()->trigger();
    menu->close();
    EXPECT_TRUE(vm.cleanupQueue().contains(photos->path()));

    FileNode* notes = child("notes.txt");
    menu = openMenuAt(*view, centreOf(*view, notes));
    ASSERT_NE(menu, nullptr);
    const auto fileTitles = titlesOf(*menu);
    EXPECT_EQ(fileTitles.size(), folderTitles.size() - 1); // no "Open" for a file
    EXPECT_EQ(std::vector<QString>(folderTitles.begin() + 1, folderTitles.end()), fileTitles);
    menu->close();
    QApplication::processEvents();

    // Empty space and the strip beside a tab have no menu.
    EXPECT_EQ(openMenuAt(*view, QPoint(5, 5)), nullptr);
    const QRectF cell = *view->cellOf(photos);
    EXPECT_EQ(openMenuAt(*view, (cell.topLeft() + QPointF(cell.width() * 0.8, 8)).toPoint()), nullptr);
}

TEST_F(FolderGridViewTest, CardsLiftUnderThePointerInsideTheSilhouetteOnly) {
    auto view = makeView();
    FileNode* archive = child("Archive");
    const QRectF cell = *view->cellOf(archive);
    QTest::mouseMove(view->viewport(), cell.center().toPoint());
    EXPECT_EQ(view->hovered(), archive);
    EXPECT_DOUBLE_EQ(view->hoverAmount(archive), 1.0);

    QTest::mouseMove(view->viewport(), (cell.topLeft() + QPointF(cell.width() * 0.8, 8)).toPoint());
    EXPECT_EQ(view->hovered(), nullptr);
    EXPECT_DOUBLE_EQ(view->hoverAmount(archive), 0.0);

    QTest::mouseMove(view->viewport(), centreOf(*view, child("movie.mp4"))); // tiles do not lift
    EXPECT_EQ(view->hovered(), nullptr);
}

TEST_F(FolderGridViewTest, TrashedChildrenLeaveTheGrid) {
    auto view = makeView();
    FileNode* notes = child("notes.txt");
    FileNode* projects = child("Projects");
    vm.applyTrashed({notes->path(), projects->path()});
    EXPECT_EQ(namesOf(view->partition().files), (std::vector<std::string>{"movie.mp4", "MyPHOTO.jpg", "setup.sh"}));
    EXPECT_EQ(namesOf(view->partition().folders), (std::vector<std::string>{"Archive", "Music", "Photos", "empty"}));
    EXPECT_FALSE(view->cellOf(notes).has_value());
}

TEST(FolderGridLarge, HundredThousandChildrenNeedNoWidgetPerCell) {
    TestTree t;
    FileNode* big = t.folder(t.root(), "big");
    for (int i = 0; i < 100'000; ++i) t.folder(big, "sub-" + std::to_string(i));
    for (int i = 0; i < 601; ++i) t.file(big, "file-" + std::to_string(i), 10, FileCategory::document);
    t.finish();
    ScanViewModel vm;

    FolderGridView view(vm, big);
    view.resize(1300, 900);
    view.show();
    EXPECT_EQ(view.partition().folders.size(), 100'000u);
    // The scroll area, its viewport, two scroll bars and their containers: nothing per cell.
    EXPECT_LT(view.findChildren<QWidget*>().size(), 12);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), int(std::ceil(view.gridLayout().height)) - view.viewport()->height());

    // Scrolled to the end, the last card and the last tile are where the layout says.
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    EXPECT_EQ(view.partition().folders.back()->name(), "sub-99999");
    const auto lastCard = view.cellOf(view.partition().folders.back());
    ASSERT_TRUE(lastCard.has_value());
    EXPECT_LT(lastCard->bottom(), 0); // far above, the tiles fill the screen
    const auto& items = view.gridLayout().items;
    const QRectF lastTile = items.back().rect.translated(0, -view.verticalScrollBar()->value());
    EXPECT_TRUE(view.viewport()->rect().contains(lastTile.toRect()));
    EXPECT_EQ(view.nodeAt(lastTile.center())->name(), "file-599"); // equal sizes keep their order
    (void)view.grab();
    EXPECT_LT(view.findChildren<QWidget*>().size(), 12);
}

TEST_F(FolderGridViewTest, Screenshots) {
    for (ThemeName name : theme_name::allCases) {
        ThemeManager::instance().setThemeName(name);
        const Theme& th = Theme::forName(name);
        for (auto [mode, width] : {std::pair{ColorMode::type, 958}, std::pair{ColorMode::folder, 1300}}) {
            vm.setColorMode(mode);
            auto view = makeView(nullptr, QSize(width, 820));
            vm.setSelectedNode(child("Music"));
            QApplication::processEvents(); // the scroll bar hides once the layout settles
            EXPECT_FALSE(view->verticalScrollBar()->isVisible()); // everything fits
            const QImage image = view->grab().toImage();
            ASSERT_TRUE(saveScreenshot(image, QStringLiteral("foldergrid-%1").arg(width), name));
            EXPECT_EQ(image.pixelColor(3, 3).rgb(), th.background.rgb());
            // A file tile is drawn on the theme's card colour.
            const QRectF tile = *view->cellOf(child("notes.txt"));
            EXPECT_EQ(image.pixelColor((tile.topLeft() + QPointF(tile.width() * 0.6, 4)).toPoint()).rgb(), th.card.rgb());
        }
        // Too short for everything: scrolled half way, with the scroll bar.
        auto view = makeView(nullptr, QSize(700, 420));
        QApplication::processEvents();
        ASSERT_TRUE(view->verticalScrollBar()->isVisible());
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
        ASSERT_TRUE(saveScreenshot(view->grab().toImage(), "foldergrid-scrolled", name));
    }
    ThemeManager::instance().setThemeName(ThemeName::light);
}

} // namespace
