// The folder grid over a folder scanned from disk.
#include "visualizations/foldergrid/FolderGridView.h"
#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/panels/PreviewWindow.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Theme.h"

#include "tests/support/InkContrast.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestTree.h"
#include "tests/visualizations/Pictures.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

Names namesOf(const std::vector<FileNode*>& nodes) {
    Names names;
    for (const FileNode* node : nodes)
        names.emplace_back(node->name());
    return names;
}

// As the window system delivers it: press, release, double click, release.
void doubleClick(QWidget* widget, QPoint point) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, point);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, point);
}

QMenu* openMenuAt(QWidget* viewport, QPoint point) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, viewport->mapToGlobal(point));
    QApplication::sendEvent(viewport, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

class FolderGridViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (auto [path, size] : {std::pair{"Archive/backup.zip", 2'000'000},
                                  {"Music/song.mp3", 600'000},
                                  {"Music/clip.mov", 300'000},
                                  {"Music/score.pdf", 100'000},
                                  {"Photos/a.jpg", 400'000},
                                  {"Photos/inner/deep-photo.png", 50'000},
                                  {"Projects/src/main.cpp", 20'000},
                                  {"movie.mp4", 800'000},
                                  {"MyPHOTO.jpg", 150'000},
                                  {"setup.sh", 10'000},
                                  {"notes.txt", 3'000}})
            dir.writeFile(path, size);
        dir.makeDir("empty");
        vm.scan(dir.str());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return vm.status().kind == ScanViewModel::Status::Kind::done && vm.root(); }, 30'000));
        ThemeManager::instance().setThemeName(ThemeName::light);
        view = std::make_unique<FolderGridView>(vm, vm.root());
        view->resize(1000, 900);
        view->show();
    }

    FileNode* child(std::string_view name, FileNode* parent = nullptr) const {
        for (FileNode* node : (parent ? parent : vm.root())->children())
            if (node->name() == name) return node;
        ADD_FAILURE() << "no child " << name;
        return nullptr;
    }
    QPoint centreOf(const FileNode* node) const { return view->cellOf(node).value().center().toPoint(); }
    // The strip right of a card's tab, which is not part of the card.
    QPoint besideTab(const FileNode* node) const {
        const QRectF cell = view->cellOf(node).value();
        return (cell.topLeft() + QPointF(cell.width() * 0.8, 8)).toPoint();
    }
    QColor pixel(QPoint at) const { return view->grab().toImage().pixelColor(at); }

    TempDir dir;
    ScanViewModel vm;
    std::unique_ptr<FolderGridView> view;
};

TEST_F(FolderGridViewTest, DirectChildrenNarrowedByTheFilterTintedByPosition) {
    EXPECT_EQ(namesOf(view->partition().folders), (Names{"Archive", "Music", "Photos", "Projects", "empty"}));
    EXPECT_EQ(namesOf(view->partition().files), (Names{"movie.mp4", "MyPHOTO.jpg", "setup.sh", "notes.txt"}));
    // Trimmed, any case, direct children only: "deep-photo.png" lies deeper.
    vm.setFilter(" Photo ");
    EXPECT_EQ(namesOf(view->partition().folders), Names{"Photos"});
    EXPECT_EQ(namesOf(view->partition().files), Names{"MyPHOTO.jpg"});
    vm.setFilter("report");
    ASSERT_EQ(view->gridLayout().items.size(), 1u);
    EXPECT_EQ(view->gridLayout().items[0].kind, folder_grid::ItemKind::emptyState);
    vm.setFilter("   ");
    EXPECT_EQ(view->partition().folders.size() + view->partition().files.size(), 9u);

    // By folder the tint follows the position in the filtered list; by type, the folder's content.
    vm.settings().setColorMode(ColorMode::folder);
    const QPoint musicBody = centreOf(child("Music")) + QPoint(0, 40);
    const QColor folderPixel = pixel(musicBody);
    vm.setFilter("s");
    EXPECT_EQ(namesOf(view->partition().folders), (Names{"Music", "Photos", "Projects"}));
    EXPECT_EQ(view->tintAt(0), palette::cardPalette()[0]);
    vm.setFilter("");
    vm.settings().setColorMode(ColorMode::type);
    EXPECT_EQ(view->tintAt(1).rgb(), palette::categoryColor(FileCategory::audio).rgb()); // Music
    EXPECT_NE(pixel(musicBody), folderPixel);

    // Trashed children leave the grid.
    vm.applyTrashed({child("notes.txt")->path(), child("Projects")->path()});
    EXPECT_EQ(namesOf(view->partition().files), (Names{"movie.mp4", "MyPHOTO.jpg", "setup.sh"}));
    EXPECT_EQ(namesOf(view->partition().folders), (Names{"Archive", "Music", "Photos", "empty"}));
}

TEST_F(FolderGridViewTest, PointerSelectsOpensAndLiftsInsideTheSilhouetteOnly) {
    FileNode* music = child("Music");
    FileNode* movie = child("movie.mp4");
    QWidget* surface = view->viewport();
    vm.setSelectedNode(nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {}, besideTab(music));
    EXPECT_EQ(vm.selectedNode(), nullptr);
    QTest::mouseMove(surface, besideTab(music));
    EXPECT_EQ(view->hovered(), nullptr);
    QTest::mouseMove(surface, centreOf(music));
    EXPECT_EQ(view->hovered(), music);
    view->setFolder(music); // a new folder: nothing of the old one stays hovered
    EXPECT_EQ(view->hovered(), nullptr);
    EXPECT_EQ(view->hoverAmount(music), 0.0);
    view->setFolder(vm.root());
    QTest::mouseMove(surface, centreOf(music) + QPoint(1, 1));
    EXPECT_EQ(view->hovered(), music);
    QTest::mouseMove(surface, centreOf(movie)); // tiles do not lift
    EXPECT_EQ(view->hovered(), nullptr);

    // A selection made anywhere is outlined; one below the shown folder marks nothing here.
    FileNode* photos = child("Photos");
    const QPoint leftEdge(int(view->cellOf(photos)->left()), centreOf(photos).y());
    const QColor unselected = pixel(leftEdge);
    vm.setSelectedNode(photos);
    EXPECT_LT(pixel(leftEdge).lightness(), unselected.lightness() - 60);
    vm.setSelectedNode(child("inner", photos));
    EXPECT_EQ(pixel(leftEdge), unselected);

    // A double click on an empty folder only selects it; on a folder it opens it.
    doubleClick(surface, centreOf(child("empty")));
    EXPECT_EQ(vm.selectedNode(), child("empty"));
    EXPECT_EQ(vm.currentFolder(), vm.root());
    doubleClick(surface, centreOf(music));
    EXPECT_EQ(vm.currentFolder(), music);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(5, 5)); // empty space changes nothing
    EXPECT_EQ(vm.selectedNode(), music);
    // On a file it selects and previews it.
    doubleClick(surface, centreOf(movie));
    EXPECT_EQ(vm.selectedNode(), movie);
    EXPECT_EQ(vm.currentFolder(), music);
    EXPECT_EQ(PreviewWindow::instance().path(), movie->path());
    EXPECT_TRUE(QTest::qWaitFor([] { return PreviewWindow::instance().page().has_value(); }, 10'000));
    PreviewWindow::instance().close();
}

TEST_F(FolderGridViewTest, CardsAndTilesHaveTheNodeMenuButNotTheSpaceAround) {
    FileNode* photos = child("Photos");
    for (FileNode* node : {photos, child("notes.txt")}) {
        QMenu* menu = openMenuAt(view->viewport(), centreOf(node));
        ASSERT_NE(menu, nullptr) << node->name();
        EXPECT_EQ(vm.selectedNode(), node); // the menu and the inspector speak of the same node
        menu->actions().back()->trigger();  // "Add to Cleanup"
        menu->close();
        EXPECT_TRUE(vm.cleanupQueue().contains(node->path()));
    }
    QApplication::processEvents();
    EXPECT_EQ(openMenuAt(view->viewport(), QPoint(5, 5)), nullptr);
    EXPECT_EQ(openMenuAt(view->viewport(), besideTab(photos)), nullptr);
    EXPECT_EQ(vm.selectedNode(), child("notes.txt"));
}

// One picture per colour mode and theme, with a selection; a file tile sits on the theme's card colour.
TEST_F(FolderGridViewTest, RenderInEveryModeAndTheme) {
    vm.setSelectedNode(child("Music"));
    for (ThemeName name : theme_name::allCases) {
        ThemeManager::instance().setThemeName(name);
        for (ColorMode mode : color_mode::allCases) {
            vm.settings().setColorMode(mode);
            QApplication::processEvents();
            const QImage image = view->grab().toImage();
            const QString modeName =
                QString::fromUtf8(color_mode::rawValue(mode).data()).replace(' ', '-').toLower();
            ASSERT_TRUE(saveScreenshot(image, "foldergrid-" + modeName, name));
            EXPECT_EQ(image.pixelColor(3, 3).rgb(), Theme::forName(name).background.rgb());
            const QRectF tile = *view->cellOf(child("notes.txt"));
            EXPECT_EQ(image.pixelColor((tile.topLeft() + QPointF(tile.width() * 0.6, 4)).toPoint()).rgb(),
                      Theme::forName(name).card.rgb());
        }
    }
    ThemeManager::instance().setThemeName(ThemeName::light);
}

// A folder card's lines and a file tile's symbol read on what lies under them, in both themes and every
// colour mode: names and sizes at 4.5:1, the item count and the symbol at 3:1.
class FolderGridContrast : public FolderGridViewTest, public ::testing::WithParamInterface<ThemeAndMode> {
    void TearDown() override { ThemeManager::instance().setThemeName(ThemeName::light); }
};

TEST_P(FolderGridContrast, CardLinesAndTileSymbolsRead) {
    applyThemeAndMode(vm, GetParam());
    QApplication::processEvents();
    const QImage image = ink_contrast::sharpPicture(*view, theme().background);
    const QPointF viewport = view->viewport()->mapTo(view.get(), QPoint(0, 0));
    auto expectLine = [&](double left, double centre, double width, double minimum, const std::string& what) {
        const QRectF line(left, centre - 4, width, 8);
        ink_contrast::expectReads(image, line, line.adjusted(-6, -7, 6, 7), minimum, what);
    };
    // A card's text column 20 points in: its lower row 16 above the card's bottom, the name 12 above
    // the hairline that lies 13 above that row.
    const QFontMetricsF name(fonts::ui(15, QFont::Medium)), items(fonts::ui(12)),
        size(fonts::ui(13, QFont::DemiBold));
    const double rowHeight = std::max({13.0, items.height(), size.height()});
    for (size_t i = 0; i < view->partition().folders.size(); ++i) {
        const FileNode* folder = view->partition().folders[i];
        const QRectF cell = view->cellOf(folder)->translated(viewport);
        const FolderCard card(*folder, view->tintAt(i), false);
        const double row = cell.bottom() - 16 - rowHeight / 2, left = cell.left() + 20;
        const std::string what(folder->name());
        expectLine(left, row - rowHeight / 2 - 26 - name.height() / 2,
                   name.horizontalAdvance(QString::fromStdString(what)), 4.5, what);
        const double bytes = size.horizontalAdvance(formatBytes(folder->sizeOnDisk));
        expectLine(cell.right() - 20 - bytes, row, bytes, 4.5, what + " size");
        // After the category dots, each 10 further than the one before.
        const double dots = left + 10.0 * double(card.categoryDots().size()) + 13;
        expectLine(dots, row, items.horizontalAdvance(card.itemsText()), 3.0, what + " items");
    }
    // A tile's symbol in the middle of its tinted box, 12 points in.
    for (const FileNode* file : view->partition().files) {
        const QRectF cell = view->cellOf(file)->translated(viewport);
        expectLine(cell.left() + 20, cell.center().y(), 22, 3.0, std::string(file->name()) + " symbol");
    }
}

INSTANTIATE_TEST_SUITE_P(ThemesAndModes, FolderGridContrast, everyThemeAndMode(), themeAndModeName);

// Warmed for its size (as the Explore tab does while a scan runs), the grid's first paint draws no card
// body of its own: in every colour mode, with and without the scroll bar, and without waiting for the
// event loop (a short scan's result can come before it runs).
TEST(FolderGridWarmUp, TheFirstPaintDrawsNoCardBody) {
    TestTree t;
    FileNode* few = t.folder(t.root(), "few");
    FileNode* many = t.folder(t.root(), "many");
    const double now = palette::nowStamp(), day = 86400;
    for (int i = 0; i < 40; ++i) {
        const double stamp = i == 0 ? 0 : now - i * 20 * day;
        FileNode* sub = t.folder(i < 6 ? few : many, "sub-" + std::to_string(i), stamp);
        t.file(sub, "x", 100 + i, FileCategory(i % kFileCategoryCount), stamp);
    }
    t.finish();
    ScanViewModel vm;
    const QSize size(1300, 700);
    for (ColorMode mode : color_mode::allCases) {
        vm.settings().setColorMode(mode);
        for (FileNode* folder : {few, many}) {
            FolderGridView view(vm, folder);
            view.resize(size);
            FolderGridView::warmUp(vm, size, view.devicePixelRatioF());
            QThreadPool::globalInstance()->waitForDone();
            const size_t drawn = FolderCardBodies::shared().drawnCount();
            view.show();
            (void)view.grab(); // before the event loop runs again
            EXPECT_EQ(FolderCardBodies::shared().drawnCount(), drawn) << folder->name();
            QApplication::processEvents(); // the scroll bar shows once the range is known
            (void)view.grab();
            EXPECT_EQ(FolderCardBodies::shared().drawnCount(), drawn) << folder->name();
            // Cells as wide as the view, or narrower by the scroll bar.
            EXPECT_EQ(view.gridLayout().width < size.width(), folder == many);
        }
    }
}

TEST(FolderGridLarge, HundredThousandChildrenNeedNoWidgetPerCell) {
    TestTree t;
    FileNode* big = t.folder(t.root(), "big");
    for (int i = 0; i < 100'000; ++i)
        t.folder(big, "sub-" + std::to_string(i));
    for (int i = 0; i < 601; ++i)
        t.file(big, "file-" + std::to_string(i), 10, FileCategory::document);
    t.finish();
    ScanViewModel vm;
    FolderGridView view(vm, big);
    view.resize(1300, 900);
    view.show();
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    const QRectF lastTile =
        view.gridLayout().items.back().rect.translated(0, -view.verticalScrollBar()->value());
    EXPECT_EQ(view.nodeAt(lastTile.center())->name(),
              "file-599"); // the end is reachable; equal sizes keep order
    (void)view.grab();
    EXPECT_LT(view.findChildren<QWidget*>().size(), 12); // the scroll area's own widgets, nothing per cell
    // Handed another folder, the same view lists it from the top.
    view.setFolder(t.root());
    EXPECT_EQ(view.verticalScrollBar()->value(), 0);
    EXPECT_EQ(view.partition().folders, std::vector<FileNode*>{big});
    EXPECT_EQ(view.nodeAt(view.cellOf(big)->center()), big);
}

} // namespace
