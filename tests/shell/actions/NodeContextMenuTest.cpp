#include "shell/actions/NodeContextMenu.h"
#include "model/CleanupQueue.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeActions.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TreeBuilder.h"

#include <QMenu>

#include <gtest/gtest.h>

namespace {

using Action = NodeContextMenu::Action;

struct Tree {
    TreeBuilder builder{"/"};
    FileNode* folder = builder.folderAt("srv/media");
    FileNode* empty = builder.folderAt("srv/empty");
    FileNode* file = builder.fileAt("srv/media/song.mp3", 4000);
    std::shared_ptr<ScanTree> tree = builder.finish();
};

// The menu's entries as shown, "(off)" after those disabled.
QStringList shown(ScanViewModel& model, const FileNode* node) {
    std::unique_ptr<QMenu> menu(NodeContextMenu::create(model, const_cast<FileNode*>(node)));
    QStringList list;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) list << a->text() + (a->isEnabled() ? "" : " (off)");
    return list;
}

TEST(NodeContextMenu, EntriesAndActions) {
    Tree t;
    ScanViewModel model;
    ScopedFakeDesktop desktop;
    // "Open" only for folders; a regrouped folder and its groups have no place, so only "Open" stays.
    EXPECT_EQ(shown(model, t.file),
              (QStringList{"Preview", "Reveal in File Manager", "Copy Path", "Add to Cleanup"}));
    const FileNode* regrouped = t.tree->categoryGroups(t.folder);
    FileNode* group = regrouped->children()[0];
    for (const FileNode* node : {regrouped, static_cast<const FileNode*>(group)})
        EXPECT_EQ(shown(model, node), (QStringList{"Open", "Preview (off)", "Reveal in File Manager (off)",
                                                   "Copy Path (off)", "Add to Cleanup (off)"}));

    std::unique_ptr<QMenu> menu(NodeContextMenu::create(model, t.tree->root()));
    for (QAction* a : menu->actions())
        if (a->text() == "Copy Path") a->trigger();
    EXPECT_EQ(desktop->copied, std::vector<std::string>{"/"});
    NodeContextMenu::trigger(model, t.file, Action::reveal);
    EXPECT_EQ(desktop->revealed, std::vector<std::string>{"/srv/media/song.mp3"});
    NodeContextMenu::trigger(model, t.file, Action::stage); // twice stages once
    NodeContextMenu::trigger(model, t.file, Action::stage);
    EXPECT_EQ(model.cleanupQueue().items().size(), 1u);
    // "Open" on an empty folder only selects it; on a folder with children it is entered.
    model.setCurrentFolder(t.tree->root());
    NodeContextMenu::trigger(model, t.empty, Action::open);
    EXPECT_EQ(model.selectedNode(), t.empty);
    EXPECT_EQ(model.currentFolder(), t.tree->root());
    NodeContextMenu::trigger(model, t.folder, Action::open);
    EXPECT_EQ(model.currentFolder(), t.folder);
    // Nothing acts on a group node, even when asked directly.
    for (Action action : {Action::copyPath, Action::reveal, Action::stage})
        NodeContextMenu::trigger(model, group, action);
    EXPECT_EQ(desktop->copied.size(), 1u);
    EXPECT_EQ(desktop->revealed.size(), 1u);
    EXPECT_EQ(model.cleanupQueue().items().size(), 1u);
}

// A place inside the Trash is shown like any other, but never offered for cleanup.
TEST(NodeContextMenu, NothingInTheTrashIsOfferedForCleanup) {
    EnvOverride env;
    env.set("XDG_DATA_HOME", "/home/u/.local/share");
    TreeBuilder builder{"/"};
    FileNode* trashed = builder.fileAt("home/u/.local/share/Trash/files/old.iso", 4000);
    FileNode* trash = builder.folderAt("home/u/.local/share/Trash");
    FileNode* kept = builder.fileAt("home/u/kept.iso", 4000);
    auto tree = builder.finish();
    ScanViewModel model;
    for (const FileNode* node : {trashed, trash}) {
        EXPECT_EQ(shown(model, node).last(), "Add to Cleanup (off)") << node->path();
        EXPECT_FALSE(node_actions::stagingRefusal(model.cleanupQueue(), node).isEmpty());
        NodeContextMenu::trigger(model, const_cast<FileNode*>(node), Action::stage);
    }
    EXPECT_TRUE(model.cleanupQueue().items().empty());
    EXPECT_EQ(shown(model, kept).last(), "Add to Cleanup");
}

} // namespace
