// The folder grid as the Explore tab shows it: registered for "Folders", in the window at both
// sizes and themes, and replaced by a new grid when a double click opens a folder.
#include "model/FileNode.h"
#include "shell/AppWindow.h"
#include "shell/ContentView.h"
#include "shell/ViewRegistry.h"
#include "visualizations/FolderGridView.h"
#include "tests/shell/ShellFixture.h"

#include <QDir>
#include <QPointer>
#include <QTest>

namespace {

class FolderGridWindowTest : public ShellTest {};

TEST_F(FolderGridWindowTest, ExploreOpensOnTheGridAndADoubleClickMovesIntoAFolder) {
    ViewRegistry::registerVisualization(VisualizationMode::folders, &FolderGridView::create);
    const std::string fixture = makeFixture();
    auto vm = makeViewModel();
    vm->setMode(VisualizationMode::folders);
    vm->setShowInspector(true);
    AppWindow window;
    window.setContent(new ContentView(*vm));
    window.resize(1680, 1050);
    window.show();
    scanAndWait(*vm, fixture);
    QCoreApplication::processEvents();

    QPointer<FolderGridView> grid = window.findChild<FolderGridView*>();
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->folder(), vm->root());
    EXPECT_TRUE(grid->isVisible());

    QDir().mkpath("screenshots");
    for (ThemeName name : {ThemeName::light, ThemeName::dark}) {
        vm->setThemeName(name);
        for (QSize size : {QSize(1680, 1050), QSize(1280, 760)}) {
            window.resize(size);
            QCoreApplication::processEvents();
            const QString file = QStringLiteral("screenshots/window-foldergrid-%1-%2x%3.png")
                                     .arg(name == ThemeName::light ? "light" : "dark")
                                     .arg(size.width())
                                     .arg(size.height());
            ASSERT_TRUE(window.grab().toImage().save(file)) << file.toStdString();
            // The grid fills the area the Explore tab gives it and lays out for that width.
            EXPECT_EQ(grid->gridLayout().columns, folder_grid::columnCount(grid->width()));
        }
    }
    vm->setThemeName(ThemeName::light);

    // A double click opens "Documents"; the Explore tab builds a new grid for it after this one's
    // event has finished.
    FileNode* documents = nullptr;
    for (FileNode* child : vm->root()->children())
        if (child->name() == "Documents") documents = child;
    ASSERT_NE(documents, nullptr);
    const auto cell = grid->cellOf(documents);
    ASSERT_TRUE(cell.has_value());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell->center().toPoint());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell->center().toPoint());
    EXPECT_EQ(vm->currentFolder(), documents);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(grid.isNull());
    auto* inside = window.findChild<FolderGridView*>();
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(inside->folder(), documents);
    EXPECT_EQ(inside->partition().folders.size() + inside->partition().files.size(), documents->children().size());
}

} // namespace
