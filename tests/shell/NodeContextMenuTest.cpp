#include "shell/NodeContextMenu.h"
#include "shell/FileTile.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "shell/PreviewWindow.h"
#include "shell/Theme.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TreeBuilder.h"

#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <ctime>

namespace {

using Action = NodeContextMenu::Action;

struct Tree {
    TreeBuilder builder{"/"};
    FileNode* folder = builder.folderAt("srv/media");
    FileNode* empty = builder.folderAt("srv/empty");
    FileNode* file = builder.fileAt("srv/media/song.mp3", 4000);
    std::shared_ptr<ScanTree> tree = builder.finish();
};

QStringList titles(const std::vector<NodeContextMenu::Entry>& entries) {
    QStringList list;
    for (const auto& e : entries)
        list << e.title;
    return list;
}

TEST(NodeContextMenu, EntriesAndTheirEnabledState) {
    Tree t;
    const auto file = NodeContextMenu::entries(t.file);
    EXPECT_EQ(titles(file), (QStringList{"Preview", "Reveal in File Manager", "Copy Path", "Add to Cleanup"}));
    for (const auto& e : file) EXPECT_TRUE(e.enabled) << e.title.toStdString();
    EXPECT_TRUE(file.back().separatorBefore);
    EXPECT_EQ(titles(NodeContextMenu::entries(t.folder)),
              (QStringList{"Open", "Preview", "Reveal in File Manager", "Copy Path", "Add to Cleanup"}));
    EXPECT_TRUE(NodeContextMenu::entries(nullptr).empty());

    // The menu of a regrouped folder and of one of its groups: no place, so only "Open" stays.
    ScanViewModel model;
    const FileNode* regrouped = t.tree->categoryGroups(t.folder);
    for (const FileNode* node : {regrouped, static_cast<const FileNode*>(regrouped->children()[0])}) {
        std::unique_ptr<QMenu> menu(NodeContextMenu::create(model, const_cast<FileNode*>(node)));
        QStringList shown;
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) shown << a->text() + (a->isEnabled() ? "" : " (off)");
        EXPECT_EQ(shown, (QStringList{"Open", "Preview (off)", "Reveal in File Manager (off)", "Copy Path (off)",
                                      "Add to Cleanup (off)"}));
    }

    // Its actions act on its node.
    ScopedFakeDesktop desktop;
    std::unique_ptr<QMenu> fileMenu(NodeContextMenu::create(model, t.file));
    for (QAction* a : fileMenu->actions())
        if (a->text() == "Copy Path") a->trigger();
    EXPECT_EQ(desktop->copied, std::vector<std::string>{"/srv/media/song.mp3"});
}

TEST(NodeContextMenu, Actions) {
    Tree t;
    ScanViewModel model;
    ScopedFakeDesktop desktop;

    NodeContextMenu::trigger(model, t.tree->root(), Action::copyPath);
    EXPECT_EQ(desktop->copied, std::vector<std::string>{"/"});
    NodeContextMenu::trigger(model, t.file, Action::reveal);
    EXPECT_EQ(desktop->revealed, std::vector<std::string>{"/srv/media/song.mp3"});

    // Staging twice stages once.
    NodeContextMenu::trigger(model, t.file, Action::stage);
    NodeContextMenu::trigger(model, t.file, Action::stage);
    ASSERT_EQ(model.cleanupQueue().items().size(), 1u);
    EXPECT_EQ(model.cleanupQueue().items()[0].reason, "Staged from Explore");

    // "Open" on an empty folder only selects it; on a folder with children it is entered.
    model.setCurrentFolder(t.tree->root());
    NodeContextMenu::trigger(model, t.empty, Action::open);
    EXPECT_EQ(model.selectedNode(), t.empty);
    EXPECT_EQ(model.currentFolder(), t.tree->root());
    NodeContextMenu::trigger(model, t.folder, Action::open);
    EXPECT_EQ(model.currentFolder(), t.folder);

    // Nothing acts on a group node, even when asked directly.
    FileNode* group = t.tree->categoryGroups(t.folder)->children()[0];
    NodeContextMenu::trigger(model, group, Action::copyPath);
    NodeContextMenu::trigger(model, group, Action::reveal);
    NodeContextMenu::trigger(model, group, Action::stage);
    EXPECT_EQ(desktop->copied.size(), 1u);
    EXPECT_EQ(desktop->revealed.size(), 1u);
    EXPECT_EQ(model.cleanupQueue().items().size(), 1u);

    NodeContextMenu::trigger(model, t.file, Action::preview);
    EXPECT_EQ(PreviewWindow::instance().path(), "/srv/media/song.mp3");
    PreviewWindow::instance().close();
}

// ---- File tile ----------------------------------------------------------------------------------

TEST(FileTile, SubtitleClicksAndTheSelectedBorder) {
    ThemeManager::instance().setThemeName(ThemeName::light);
    TreeBuilder builder{"/data"};
    FileNode* unknown = builder.fileAt("old.mp4", 1000, 0);
    FileNode* fresh = builder.fileAt("new.pdf", 1000, double(time(nullptr)) - 5);
    auto tree = builder.finish();
    EXPECT_EQ(FileTile::subtitle(*unknown), "Video · Unknown");
    EXPECT_EQ(FileTile::subtitle(*fresh), "Document · Just now");

    ScanViewModel model;
    FileTile tile(model, fresh);
    tile.resize(280, FileTile::kHeight);
    tile.show();
    EXPECT_FALSE(tile.isSelected());
    const QRgb plain = tile.grab().toImage().pixelColor(140, 0).rgb();
    EXPECT_EQ(plain, theme().border.rgb());
    QTest::mouseClick(&tile, Qt::LeftButton);
    EXPECT_EQ(model.selectedNode(), fresh);
    EXPECT_TRUE(tile.isSelected());
    // Selected: a stronger border, wider than one pixel.
    const QImage selected = tile.grab().toImage();
    EXPECT_NE(selected.pixelColor(140, 0).rgb(), plain);
    EXPECT_NE(selected.pixelColor(140, 1).rgb(), theme().card.rgb());
    QTest::mouseDClick(&tile, Qt::LeftButton);
    EXPECT_EQ(PreviewWindow::instance().path(), "/data/new.pdf");
    PreviewWindow::instance().close();
}

} // namespace
