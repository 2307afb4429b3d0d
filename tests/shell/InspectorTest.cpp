#include "shell/InspectorView.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "shell/Buttons.h"
#include "shell/Formatters.h"
#include "shell/PreviewWindow.h"
#include "tests/shell/ScannedHome.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TreeBuilder.h"

#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

using Facts = InspectorView::Facts;

std::map<QString, QString> rows(const Facts& facts) {
    std::map<QString, QString> map;
    for (const auto& row : facts.details)
        map[row.label] = row.value;
    return map;
}

QStringList labels(const Facts& facts) {
    QStringList list;
    for (const auto& row : facts.details)
        list << row.label;
    return list;
}

struct Tree {
    TreeBuilder builder{"/data"};
    FileNode* docs = builder.folderAt("Docs");
    FileNode* report = builder.file(docs, "report.pdf", 3000, 0, 7000); // sparse: 4000 bytes saved
    FileNode* sheet = builder.file(docs, "sheet.csv", 1000, 0, 500);    // allocation above its length
    FileNode* video = builder.fileAt("clip.mp4", 6000);
    std::shared_ptr<ScanTree> tree = builder.finish();
};

TEST(InspectorFacts, File) {
    Tree t;
    t.report->createdStamp = 1'600'000'000;
    ScanViewModel model;
    const Facts f = InspectorView::facts(model, *t.report);
    EXPECT_FALSE(f.isFolder);
    EXPECT_EQ(f.name, "report.pdf");
    EXPECT_EQ(f.path, "/data/Docs/report.pdf");
    EXPECT_EQ(f.size, "3.00 KB");
    EXPECT_EQ(labels(f), (QStringList{"Size on disk", "Logical size", "Compressed by", "Kind",
                                      "Share of folder", "Modified", "Created"}));
    auto r = rows(f);
    EXPECT_EQ(r["Logical size"], "7.00 KB");
    EXPECT_EQ(r["Compressed by"], "4.00 KB");
    EXPECT_TRUE(f.details[2].freeColor);
    EXPECT_EQ(r["Kind"], "Document");
    EXPECT_EQ(r["Share of folder"], "75.0%");
    EXPECT_EQ(r["Modified"], "Unknown"); // stamp 0
    EXPECT_EQ(r["Created"], relativeDateString(dateFromStamp(1'600'000'000)));
    EXPECT_TRUE(f.largest.empty());
    EXPECT_TRUE(f.canStage);

    // Allocation above the length saves nothing; no creation time, no row.
    const Facts s = InspectorView::facts(model, *t.sheet);
    EXPECT_EQ(rows(s)["Compressed by"], "0 B");
    EXPECT_FALSE(labels(s).contains("Created"));
    // Without a scanned root in the model, the share is of the node itself.
    EXPECT_EQ(s.share, "100.0% of scan");
}

TEST(InspectorFacts, FolderAndItsLargestChildren) {
    TreeBuilder builder{"/data"};
    FileNode* big = builder.folderAt("Big");
    for (int i = 0; i < 20; ++i)
        builder.file(big, "f" + std::to_string(i) + ".mp3", 1000 * (i + 1));
    FileNode* empty = builder.folderAt("Empty");
    auto tree = builder.finish();
    ScanViewModel model;

    const Facts f = InspectorView::facts(model, *big);
    EXPECT_TRUE(f.isFolder);
    EXPECT_EQ(f.kind, "Folder");
    EXPECT_EQ(labels(f), (QStringList{"Size on disk", "Logical size", "Compressed by", "Files", "Folders",
                                      "Share of folder", "Modified"}));
    EXPECT_EQ(rows(f)["Files"], "20");
    EXPECT_EQ(rows(f)["Folders"], "0");
    EXPECT_EQ(rows(f)["Share of folder"], "100.0%");
    EXPECT_EQ(f.childCount, 20);
    ASSERT_EQ(f.largest.size(), InspectorView::kLargestCount);
    EXPECT_EQ(f.largest[0].name, "f19.mp3");
    EXPECT_EQ(f.largest[0].size, "20.0 KB");
    EXPECT_EQ(f.largest[0].category, FileCategory::audio);
    EXPECT_DOUBLE_EQ(f.largest[0].fraction, 20000.0 / 210000.0);
    EXPECT_EQ(f.largest[7].name, "f12.mp3");

    // A folder of size 0: bars have no share (they are drawn at their 3-point minimum), and its share
    // of a parent of size 0 reads 0.0%.
    const Facts e = InspectorView::facts(model, *empty);
    EXPECT_TRUE(e.largest.empty());
    EXPECT_EQ(rows(e)["Share of folder"], "0.0%");
}

TEST(InspectorFacts, GroupNodeHasNoPlace) {
    Tree t;
    ScanViewModel model;
    const FileNode* regrouped = t.tree->categoryGroups(t.tree->root());
    ASSERT_NE(regrouped, t.tree->root());
    const FileNode* group = regrouped->children()[0]; // "Video", the largest group
    const Facts g = InspectorView::facts(model, *group);
    EXPECT_EQ(g.name, "Video");
    EXPECT_FALSE(g.hasPlace);
    EXPECT_FALSE(g.canStage);
    EXPECT_FALSE(labels(g).contains("Share of folder")); // a group has no parent folder
    ASSERT_EQ(g.largest.size(), 1u);
    EXPECT_EQ(g.largest[0].node, t.video);
    EXPECT_DOUBLE_EQ(g.largest[0].fraction, 1.0);

    const Facts v = InspectorView::facts(model, *regrouped);
    EXPECT_FALSE(v.hasPlace);
    EXPECT_FALSE(v.canStage);
}

TEST(InspectorFacts, ScanRoot) {
    ScannedHome home;
    ScanViewModel& model = home.model();
    const FileNode* root = model.root();
    const Facts f = InspectorView::facts(model, *root);
    EXPECT_EQ(f.name, "Home");
    EXPECT_EQ(f.path, QString::fromStdString(home.home()));
    EXPECT_EQ(f.share, "100.0% of scan");
    EXPECT_FALSE(labels(f).contains("Share of folder"));
    EXPECT_TRUE(f.hasPlace);
    EXPECT_FALSE(f.canStage);

    EXPECT_TRUE(InspectorView::facts(model, *home.node("Movies")).canStage);
}

// ---- The column ---------------------------------------------------------------------------------

TEST(InspectorView, FollowsSelectionAndStagesThenUnstagesEveryItemOfThePath) {
    ScannedHome home;
    ScanViewModel& model = home.model();
    InspectorView inspector(model);
    EXPECT_EQ(inspector.width(), InspectorView::kWidth);
    inspector.resize(InspectorView::kWidth, 1000);
    inspector.show();
    // Right after the scan the root is selected.
    EXPECT_EQ(inspector.node(), model.root());
    ASSERT_TRUE(inspector.stageButton());
    EXPECT_FALSE(inspector.stageButton()->isEnabled());

    FileNode* movie = home.node("Movies/Holiday 2023.mp4");
    model.setSelectedNode(movie);
    EXPECT_EQ(inspector.node(), movie);
    InkButton* stage = inspector.stageButton();
    EXPECT_TRUE(stage->isEnabled());
    EXPECT_EQ(stage->title(), "Add to Cleanup");

    // Staged elsewhere (a quick win), under another reason: the button follows.
    model.cleanupQueue().add(movie, "Large media");
    EXPECT_EQ(stage->title(), "Staged for Cleanup");
    EXPECT_EQ(stage->systemImage(), "checkmark");
    model.cleanupQueue().add(home.node("Music"), "Staged from Explore");

    QTest::mouseClick(stage, Qt::LeftButton);
    EXPECT_FALSE(model.cleanupQueue().contains(movie->path()));
    EXPECT_EQ(model.cleanupQueue().items().size(), 1u) << "other items stay";
    EXPECT_EQ(stage->title(), "Add to Cleanup");

    QTest::mouseClick(stage, Qt::LeftButton);
    ASSERT_EQ(model.cleanupQueue().items().size(), 2u);
    EXPECT_EQ(model.cleanupQueue().items().back().reason, "Staged from Explore");
    EXPECT_EQ(model.cleanupQueue().items().back().size, movie->sizeOnDisk);

    // Nothing selected: the current folder is shown; with neither, the placeholder.
    model.setSelectedNode(nullptr);
    EXPECT_EQ(inspector.node(), model.currentFolder());
    model.setCurrentFolder(nullptr);
    EXPECT_EQ(inspector.node(), nullptr);
    EXPECT_EQ(inspector.stageButton(), nullptr);
}

TEST(InspectorView, ActionsOnTheNode) {
    ScannedHome home;
    ScanViewModel& model = home.model();
    ScopedFakeDesktop desktop;
    InspectorView inspector(model);
    inspector.resize(InspectorView::kWidth, 1000);
    inspector.show();
    auto button = [&](const QString& title) -> WideButton* {
        for (auto* b : inspector.findChildren<WideButton*>())
            if (b->title() == title && b->isVisibleTo(&inspector)) return b;
        return nullptr;
    };

    FileNode* notes = home.node("Documents/notes.txt");
    model.setSelectedNode(notes);
    QTest::mouseClick(button("Reveal"), Qt::LeftButton);
    QTest::mouseClick(button("Copy Path"), Qt::LeftButton);
    EXPECT_EQ(desktop->revealed, std::vector<std::string>{notes->path()});
    EXPECT_EQ(desktop->copied, std::vector<std::string>{notes->path()});

    QTest::mouseClick(button("Preview"), Qt::LeftButton);
    EXPECT_EQ(PreviewWindow::instance().path(), notes->path());
    ASSERT_TRUE(QTest::qWaitFor([] { return PreviewWindow::instance().page().has_value(); }, 10000));
    EXPECT_EQ(*PreviewWindow::instance().page(), PreviewPage::text);
    PreviewWindow::instance().close();

    // Focus: a file is shown in its folder.
    QTest::mouseClick(button("Focus"), Qt::LeftButton);
    EXPECT_EQ(model.currentFolder(), home.node("Documents"));
    EXPECT_EQ(model.selectedNode(), notes);

    // A group node: everything that needs a place is off; Focus stays.
    auto tree = model.tree();
    const FileNode* group = tree->categoryGroups(model.root())->children()[0];
    model.setSelectedNode(const_cast<FileNode*>(group));
    for (const char* title : {"Reveal", "Preview", "Copy Path"})
        EXPECT_FALSE(button(title)->isEnabled()) << title;
    EXPECT_TRUE(button("Focus")->isEnabled());
    EXPECT_FALSE(inspector.stageButton()->isEnabled());
}

TEST(InspectorView, LargestRowsSelectOnClickAndOpenOnDoubleClick) {
    ScannedHome home;
    ScanViewModel& model = home.model();
    InspectorView inspector(model);
    inspector.resize(InspectorView::kWidth, 1400);
    inspector.show();
    FileNode* projects = home.node("Projects");
    model.setSelectedNode(projects);
    FileNode* web = home.node("Projects/web");

    QWidget* row = nullptr;
    for (QWidget* w : inspector.findChildren<QWidget*>())
        if (w->accessibleName() == "web" && w->isVisibleTo(&inspector)) row = w;
    ASSERT_TRUE(row);
    const QPoint where = row->mapTo(&inspector, row->rect().center());
    QTest::mouseClick(row, Qt::LeftButton);
    EXPECT_EQ(model.selectedNode(), web);
    EXPECT_NE(model.currentFolder(), web);

    // The second click of a double click lands on whatever the child's page has there.
    QTest::qWait(20);
    QWidget* under = inspector.childAt(where);
    ASSERT_TRUE(under);
    QTest::mouseDClick(under, Qt::LeftButton, {}, under->mapFrom(&inspector, where));
    EXPECT_EQ(model.currentFolder(), web);
    EXPECT_EQ(model.selectedNode(), web);
}

} // namespace
