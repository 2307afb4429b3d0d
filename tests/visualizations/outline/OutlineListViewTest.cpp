// The outline list: its rows under Qt's model tester (the cap on opened folders, the filter on the
// top level only, leaves), clicks and keys, open rows that outlast changes, and its picture.
#include "visualizations/outline/OutlineListView.h"

#include "model/ScanTree.h"
#include "shell/lists/NodeListModel.h"
#include "shell/style/Palette.h"
#include "shell/style/Theme.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ModelChecks.h"
#include "tests/support/Mouse.h"
#include "tests/support/PaintedText.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TreeBuilder.h"
#include "tests/visualizations/Pictures.h"
#include "tests/visualizations/SizeColumn.h"
#include "visualizations/outline/OutlineRow.h"

#include <QAbstractItemModelTester>
#include <QScrollBar>

namespace {

class OutlineListViewTest : public ShellTest {};

TEST_F(OutlineListViewTest, OpenedFoldersShowTheirLargest500AndOnlyTheTopLevelIsFiltered) {
    ModelComplaints complaints;
    TreeBuilder b("/data");
    FileNode* wide = b.folderAt("wide");
    for (int i = 0; i < 750; ++i)
        b.file(wide, "item" + std::to_string(i) + ".bin", 10'000 + i);
    b.fileAt("docs/notes.txt", 500);
    FileNode* empty = b.folderAt("empty");
    FileNode* readme = b.fileAt("readme.md", 20);
    auto tree = b.finish();
    FileNode* root = tree->root();

    auto vm = makeViewModel();
    OutlineListView view(*vm, root);
    QAbstractItemModelTester tester(view.rows(), QAbstractItemModelTester::FailureReportingMode::Warning);
    view.resize(800, 600);
    view.show();
    NodeListModel& rows = *view.rows();
    EXPECT_EQ(rowNames(rows), (std::vector<std::string>{"wide", "docs", "readme.md", "empty"}));

    const QModelIndex wideRow = rows.indexOf(wide);
    view.expand(wideRow);
    ASSERT_EQ(rows.rowCount(wideRow), 500);
    EXPECT_EQ(NodeListModel::node(rows.index(0, 0, wideRow))->name(), "item749.bin");
    EXPECT_EQ(NodeListModel::node(rows.index(499, 0, wideRow)), wide->children()[499]);
    EXPECT_FALSE(rows.hasChildren(rows.indexOf(empty))) << "an empty folder is a leaf";
    EXPECT_FALSE(rows.hasChildren(rows.indexOf(readme)));
    EXPECT_EQ(rows.rowCount(rows.indexOf(empty)), 0);

    // The folder itself lists every one of its children.
    OutlineListView wideView(*vm, wide);
    EXPECT_EQ(wideView.rows()->rowCount(), 750);

    // Filtered at the top only: an opened row shows its children whatever their names, and a name
    // matched only deeper down lists nothing.
    vm->setFilter(QStringLiteral(" WIDE "));
    EXPECT_EQ(rowNames(rows), std::vector<std::string>{"wide"});
    EXPECT_TRUE(view.isExpanded(rows.index(0, 0))) << "the open row stays open";
    EXPECT_EQ(rows.rowCount(rows.index(0, 0)), 500);
    vm->setFilter(QStringLiteral("notes"));
    EXPECT_EQ(rows.rowCount(), 0);
    vm->setFilter({});
    EXPECT_EQ(complaints.complaints(), std::vector<std::string>{});
}

TEST_F(OutlineListViewTest, AClickSelectsADoubleClickOpensAndOpenRowsOutlastChanges) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FileNode* root = vm->root();
    auto view = shown<OutlineListView>(QSize(900, 600), *vm, root);
    NodeListModel& rows = *view->rows();
    auto centre = [&](std::string_view name) {
        return view->visualRect(rows.indexOf(nodeAt(root, name))).center();
    };

    mouse::click(*view->viewport(), centre("Documents"));
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "Documents"));
    EXPECT_EQ(vm->currentFolder(), root) << "a single click does not open";
    mouse::doubleClick(*view->viewport(), centre("readme.md"));
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "readme.md"));
    EXPECT_EQ(vm->currentFolder(), root) << "a file does not open";

    // Keys: Right opens the keyboard's row, Down walks into it; each row reached is the selection.
    view->setFocus();
    vm->setSelectedNode(nodeAt(root, "Movies"));
    QTest::keyClick(view.get(), Qt::Key_Right);
    ASSERT_TRUE(view->isExpanded(rows.indexOf(nodeAt(root, "Movies"))));
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "Movies")->children()[0]);

    // The open row outlasts a new selection, a filter and a removal elsewhere.
    vm->setSelectedNode(nodeAt(root, "Music"));
    EXPECT_TRUE(view->isExpanded(rows.indexOf(nodeAt(root, "Movies"))));
    vm->setFilter(QStringLiteral("m"));
    EXPECT_TRUE(view->isExpanded(rows.indexOf(nodeAt(root, "Movies"))));
    vm->setFilter({});
    vm->applyTrashed({nodeAt(root, "readme.md")->path()});
    EXPECT_TRUE(view->isExpanded(rows.indexOf(nodeAt(root, "Movies"))));
    EXPECT_FALSE(rows.indexOf(nodeAt(root, "readme.md")).isValid());

    mouse::doubleClick(*view->viewport(), centre("Documents"));
    EXPECT_EQ(vm->currentFolder(), nodeAt(root, "Documents"));
    view->setFolder(vm->currentFolder()); // as the Explore tab hands it
    EXPECT_EQ(rowNames(rows), (std::vector<std::string>{"archive", "report.pdf", "notes.txt"}));
}

// Rows that come back from the filter overflow the list and bring the scroll bar; the sizes move
// left of it, whole, and back when it goes.
TEST_F(OutlineListViewTest, SizesStayWholeAsTheScrollBarComesAndGoes) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FileNode* root = vm->root();
    auto view = shown<OutlineListView>(QSize(700, 250), *vm, root);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    NodeListModel& rows = *view->rows();
    const auto sizeRect = [](const QRectF& row) { return OutlineRow::sizeRect(row); };
    const auto expectWhole = [&](bool scrolls) {
        QCoreApplication::processEvents();
        ASSERT_EQ(view->verticalScrollBar()->isVisible(), scrolls);
        expectSizesShowWhole(*view, sizeRect, OutlineRow::sizeFont());
        EXPECT_EQ(view->rowRect(rows.index(0, 0)).right(), view->viewport()->width())
            << "rows reach the edge";
    };
    expectWhole(false);

    // Opened one at a time, each alone in the filtered list.
    for (const char* folder : {"Movies", "Music", "Documents"}) {
        vm->setFilter(QString::fromLatin1(folder));
        view->expand(rows.indexOf(nodeAt(root, folder)));
        expectWhole(false);
    }
    vm->setFilter({});
    expectWhole(true);
    view->collapseAll();
    expectWhole(false);
    // Opened in sight.
    for (const char* folder : {"Movies", "Music", "Documents"})
        view->expand(rows.indexOf(nodeAt(root, folder)));
    expectWhole(true);
}

// A name that begins with a byte-order mark reads apart from the same name without it: the row shows
// the mark.
TEST_F(OutlineListViewTest, ANameBeginningWithAByteOrderMarkReadsApartFromThePlainName) {
    TreeBuilder b("/data");
    b.fileAt("\xef\xbb\xbfreport.pdf", 2000);
    b.fileAt("report.pdf", 1000);
    auto tree = b.finish();
    auto vm = makeViewModel();
    auto view = shown<OutlineListView>(QSize(700, 200), *vm, tree->root());
    const QStringList painted = paintedTexts(*view->viewport());
    EXPECT_TRUE(painted.contains(QStringLiteral("\uFFFDreport.pdf"))) << painted.join(" | ").toStdString();
    EXPECT_TRUE(painted.contains(QStringLiteral("report.pdf"))) << painted.join(" | ").toStdString();
}

// The outline in both themes: bars as long as each row's share of its parent, the selected row on the
// chip colour.
TEST_F(OutlineListViewTest, PictureInBothThemes) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FileNode* root = vm->root();
    auto view = shown<OutlineListView>(QSize(900, 520), *vm, root);
    NodeListModel& rows = *view->rows();
    FileNode* movies = nodeAt(root, "Movies");
    view->expand(rows.indexOf(movies));
    view->expand(rows.indexOf(nodeAt(root, "Music")));
    vm->setSelectedNode(nodeAt(root, "Documents"));
    auto rectOf = [&](const FileNode* node) {
        return view->rowRect(rows.indexOf(node)).translated(view->viewport()->pos());
    };

    for (ThemeName name : theme_name::allCases) {
        vm->settings().setThemeName(name);
        const Theme& t = Theme::forName(name);
        const QImage image = onBackground(*view, name);
        ASSERT_TRUE(saveScreenshot(image, "outline", name));
        auto at = [&](double x, double y) { return image.pixelColor(QPointF(x, y).toPoint()); };
        // Movies' bar ends at its share of the scan; its first child's at its share of Movies.
        for (const FileNode* node : {movies, movies->children()[0]}) {
            const QRectF bar = OutlineRow::barRect(rectOf(node));
            const double end =
                bar.left() + bar.width() * double(node->sizeOnDisk) / double(node->parent()->sizeOnDisk);
            EXPECT_EQ(at(end - 4, bar.center().y()), palette::categoryColor(node->dominantCategory()))
                << node->name();
            EXPECT_EQ(at(end + 4, bar.center().y()), t.track) << node->name();
        }
        EXPECT_EQ(
            at(rectOf(nodeAt(root, "Documents")).left() + 40, rectOf(nodeAt(root, "Documents")).top() + 3),
            t.chip);
        EXPECT_NE(at(rectOf(nodeAt(root, "Code")).left() + 40, rectOf(nodeAt(root, "Code")).top() + 3),
                  t.chip);
    }
}

} // namespace

namespace {

TEST_F(OutlineListViewTest, InTheWindow) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    pictureInTheWindow(*vm, VisualizationMode::outline, "list",
                       [&](const QImage& image, QWidget& shown, ThemeName name) {
                           auto* view = qobject_cast<OutlineListView*>(&shown);
                           ASSERT_TRUE(view);
                           EXPECT_EQ(view->folder(), vm->root());
                           EXPECT_EQ(view->rows()->rowCount(), int(vm->root()->children().size()));
                           const QPoint gap = view->viewport()->mapTo(view->window(), QPoint(4, 2));
                           EXPECT_EQ(image.pixelColor(gap), Theme::forName(name).background);
                       });
}

} // namespace
