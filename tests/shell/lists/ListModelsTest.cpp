// The list models under Qt's model tester, and what a delegate reads back from their indexes.
#include "shell/lists/NodeListModel.h"
#include "shell/lists/RowListModel.h"
#include "shell/lists/SectionedListModel.h"
#include "tests/support/ModelChecks.h"
#include "tests/support/TreeBuilder.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(NodeListModel, FlatOrOpeningByItsRuleKeepsTheTreeAliveAndFindsMadeRows) {
    ModelComplaints complaints;
    FileNode *media = nullptr, *empty = nullptr, *readme = nullptr;
    std::weak_ptr<ScanTree> weak;
    NodeListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    {
        TreeBuilder builder("/data");
        media = builder.folderAt("media");
        for (int i = 0; i < 4; ++i)
            builder.file(media, "clip" + std::to_string(i) + ".mov", 1000 - i);
        empty = builder.folderAt("empty");
        readme = builder.fileAt("readme.md", 10);
        auto tree = builder.finish();
        weak = tree;
        // The outline's rule: at most the two largest children.
        model.setNodes(tree, {media, empty, readme}, [](const FileNode* node) {
            auto kids = node->children();
            return kids.first(std::min<size_t>(kids.size(), 2));
        });
    }
    EXPECT_FALSE(weak.expired()) << "the listed nodes' tree lives while they are listed";
    EXPECT_EQ(rowNames(model), (std::vector<std::string>{"media", "empty", "readme.md"}));
    const QModelIndex mediaRow = model.index(0, 0);
    EXPECT_TRUE(model.hasChildren(mediaRow));
    EXPECT_FALSE(model.hasChildren(model.index(1, 0))) << "an empty folder does not open";
    EXPECT_FALSE(model.hasChildren(model.index(2, 0)));
    EXPECT_EQ(rowNames(model, mediaRow), (std::vector<std::string>{"clip0.mov", "clip1.mov"}));
    const QModelIndex clip = model.indexOf(media->children()[1]);
    ASSERT_TRUE(clip.isValid());
    EXPECT_EQ(clip.parent(), mediaRow);
    EXPECT_EQ(NodeListModel::node(clip), media->children()[1]);
    EXPECT_FALSE(model.indexOf(media->children()[3]).isValid()) << "beyond the rule";
    EXPECT_FALSE(model.indexOf(nullptr).isValid());
    EXPECT_EQ(model.indexOf(readme).row(), 2);

    // Flat: the same nodes, no row opens.
    model.setNodes(weak.lock(), {media, readme});
    EXPECT_FALSE(model.hasChildren(model.index(0, 0)));
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
    EXPECT_FALSE(model.indexOf(media->children()[0]).isValid());

    model.clear();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(ModelComplaints::complaints(), std::vector<std::string>{});
}

// A row shows a control character of a name as U+FFFD: a line break would join the halves.
TEST(NodeListModel, RowsShowControlCharactersOfANameAsReplacementCharacters) {
    TreeBuilder builder("/data");
    FileNode* file = builder.fileAt("two\nlines\t.txt", 10);
    auto tree = builder.finish();
    NodeListModel model;
    model.setNodes(tree, {file});
    const QString r(QChar::ReplacementCharacter);
    EXPECT_EQ(model.index(0, 0).data(Qt::DisplayRole).toString(), "two" + r + "lines" + r + ".txt");
}

TEST(RowModels, FlatAndSectionedRowsHandBackTheirValues) {
    ModelComplaints complaints;
    struct Snapshot {
        std::string path;
        int64_t size;
    };
    RowListModel<Snapshot> rows([](const Snapshot& s) { return QString::fromStdString(s.path); });
    QAbstractItemModelTester rowTester(&rows, QAbstractItemModelTester::FailureReportingMode::Warning);
    rows.setRows({{"/home", 10}, {"/srv", 20}});
    EXPECT_EQ(rowNames(rows), (std::vector<std::string>{"/home", "/srv"}));
    EXPECT_EQ(RowListModel<Snapshot>::at(rows.index(1)).size, 20);
    rows.setRows({});
    EXPECT_EQ(rows.rowCount(), 0);

    struct Group {
        std::string title;
        std::vector<std::string> files;
    };
    using Sections = SectionedListModel<Group, std::string>;
    Sections sections([](const Group& g) { return std::span<const std::string>(g.files); },
                      [](const Group& g) { return QString::fromStdString(g.title); },
                      [](const std::string& file) { return QString::fromStdString(file); });
    QAbstractItemModelTester sectionTester(&sections,
                                           QAbstractItemModelTester::FailureReportingMode::Warning);
    sections.setSections(
        {{"two copies", {"/a/x", "/b/x"}}, {"none", {}}, {"three copies", {"/1", "/2", "/3"}}});
    EXPECT_EQ(rowNames(sections), (std::vector<std::string>{"two copies", "none", "three copies"}));
    const QModelIndex third = sections.index(2, 0);
    EXPECT_TRUE(Sections::isSection(third));
    EXPECT_FALSE(sections.hasChildren(sections.index(1, 0)));
    EXPECT_EQ(rowNames(sections, third), (std::vector<std::string>{"/1", "/2", "/3"}));
    const QModelIndex copy = sections.index(1, 0, third);
    EXPECT_FALSE(Sections::isSection(copy));
    EXPECT_EQ(copy.parent(), third);
    EXPECT_EQ(Sections::section(copy).title, "three copies");
    EXPECT_EQ(Sections::row(copy), "/2");
    EXPECT_FALSE(sections.index(3, 0, third).isValid());
    EXPECT_EQ(ModelComplaints::complaints(), std::vector<std::string>{});
}

} // namespace
