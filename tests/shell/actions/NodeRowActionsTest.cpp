// A list of scanned nodes wired to the state object as every node view is.
#include "shell/actions/NodeRowActions.h"
#include "model/CleanupQueue.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeContextMenu.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/lists/RowDelegate.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Mouse.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

namespace {

class PlainRows : public RowDelegate {
  public:
    PlainRows() : RowDelegate(28) {}

  protected:
    void paintRow(QPainter&, const RowState&, const QModelIndex&) const override {}
};

class NodeRowActionsTest : public ShellTest {};

TEST_F(NodeRowActionsTest, SelectionFollowsBothWaysDoubleClickOrEnterOpensAndTheMenuIsTheNodeMenu) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    FileNode* root = vm->root();
    ListView list(new PlainRows);
    NodeListModel rows;
    showNodeRows(list, rows, *vm);
    rows.setNodes(vm->tree(), {root->children().begin(), root->children().end()});
    list.resize(400, 300);
    list.show();
    auto rowOf = [&](std::string_view name) { return rows.indexOf(nodeAt(root, name)); };
    auto centre = [&](std::string_view name) { return list.visualRect(rowOf(name)).center(); };

    mouse::click(*list.viewport(), centre("Documents"));
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "Documents"));
    EXPECT_EQ(vm->currentFolder(), root) << "a click only selects";

    // Chosen elsewhere: the list follows, without scrolling; a node it does not list clears its row.
    vm->setSelectedNode(nodeAt(root, "Music"));
    EXPECT_EQ(list.selectionModel()->selectedRows(), QModelIndexList{rowOf("Music")});
    vm->setSelectedNode(nodeAt(root, "Music/album"));
    EXPECT_TRUE(list.selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "Music/album")) << "clearing the row chooses nothing";
    vm->setSelectedNode(nodeAt(root, "Music"));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(vm->selectedNode(), NodeListModel::node(list.currentIndex()));
    EXPECT_NE(vm->selectedNode(), nodeAt(root, "Music"));

    // Reset rows keep the selection shown.
    rows.setNodes(vm->tree(), {root->children().begin(), root->children().end()});
    EXPECT_EQ(list.selectionModel()->selectedRows(), QModelIndexList{rows.indexOf(vm->selectedNode())});

    mouse::doubleClick(*list.viewport(), centre("readme.md"));
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "readme.md"));
    EXPECT_EQ(vm->currentFolder(), root) << "a file does not open as a folder";
    list.setCurrentIndex(rowOf("Movies"));
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(vm->currentFolder(), nodeAt(root, "Movies"));

    const QPoint at = centre("Pictures");
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    EXPECT_EQ(vm->selectedNode(), nodeAt(root, "Pictures")) << "the menu's node is selected";
    EXPECT_EQ(menu->actions().first()->text(),
              NodeContextMenu::entries(vm->cleanupQueue(), nodeAt(root, "Pictures")).front().title);
    menu->close();
}

} // namespace
