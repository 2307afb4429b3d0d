// What the Top Sizes view lists: the scopes' sources, the filtered matches and their row values.
#include "visualizations/topsizes/TopSizesList.h"

#include "model/Rankings.h"
#include "tests/support/TreeBuilder.h"
#include "tests/support/TreeChecks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using top_sizes::Scope;
using top_sizes::VisibleList;

auto everything = [](const FileNode*) { return true; };

TEST(TopSizesList, FilteringRenumbersTheMatchesAndScalesBarsByTheLargestMatch) {
    TreeBuilder b("/r");
    FileNode* folder = b.folderAt("wide");
    for (int i = 0; i < 1234; ++i)
        b.file(folder, "f" + std::to_string(i), int64_t(1234 - i) * 1000);
    b.fileAt("outside", 1);
    auto tree = b.finish();

    const VisibleList all(folder->children(), folder, everything);
    EXPECT_EQ(all.items().size(), 1234u) << "the count is taken before the row cap";
    ASSERT_EQ(all.rows().size(), top_sizes::kMaxRows);
    EXPECT_EQ(all.rows().back(), folder->children()[499]);
    EXPECT_EQ(all.rank(499), 500);
    EXPECT_EQ(all.scale(), 1'234'000);
    EXPECT_DOUBLE_EQ(all.fraction(0), 1.0);

    // "f7", "f17", "f27", ...: ranks run over the matches only, and the largest match fills its bar.
    const VisibleList sevens(folder->children(), folder, [](const FileNode* node) {
        return node->name().find('7') != std::string_view::npos;
    });
    ASSERT_GE(sevens.items().size(), 3u);
    EXPECT_EQ(namesOf(sevens.rows()).front(), "f7");
    EXPECT_EQ(sevens.rank(1), 2);
    EXPECT_EQ(sevens.items()[1]->name(), "f17");
    EXPECT_EQ(sevens.scale(), sevens.items()[0]->sizeOnDisk);
    EXPECT_DOUBLE_EQ(sevens.fraction(0), 1.0);
    EXPECT_DOUBLE_EQ(sevens.fraction(1), double(1234 - 17) / double(1234 - 7));
    // Shares are of the listed folder, not of the largest item nor of the scan.
    EXPECT_EQ(sevens.share(0).toStdString(),
              QString::asprintf("%.1f%%", 1227000.0 / double(folder->sizeOnDisk) * 100).toStdString());

    const VisibleList none(folder->children(), folder, [](const FileNode*) { return false; });
    EXPECT_TRUE(none.rows().empty());
    EXPECT_EQ(none.scale(), 1);
}

TEST(TopSizesList, ScaleAndSharesAtTheirEdges) {
    struct Case {
        std::vector<int64_t> sizes; // largest first
        int64_t scale;
        std::vector<std::string> shares;
    };
    const Case cases[] = {
        {{0, 0}, 1, {"0%", "0%"}},                              // a folder of size 0
        {{1, 0}, 1, {"100.0%", "0.0%"}},                        // a largest match of 1 byte
        {{2, 1}, 2, {"66.7%", "33.3%"}},                        //
        {{1'000'000, 999}, 1'000'000, {"99.9%", "<0.1%"}},      // a tiny share
        {{5'000, 5'000, 0}, 5'000, {"50.0%", "50.0%", "0.0%"}}, // equal sizes keep their order
    };
    for (const Case& c : cases) {
        TreeBuilder b("/r");
        FileNode* folder = b.folderAt("d");
        for (size_t i = 0; i < c.sizes.size(); ++i)
            b.file(folder, "f" + std::to_string(i), c.sizes[i]);
        auto tree = b.finish();
        const VisibleList list(folder->children(), folder, everything);
        EXPECT_EQ(list.scale(), c.scale) << c.sizes[0];
        for (size_t i = 0; i < c.shares.size(); ++i) {
            EXPECT_EQ(list.share(i).toStdString(), c.shares[i]) << c.sizes[0] << " row " << i;
            EXPECT_DOUBLE_EQ(list.fraction(i), double(c.sizes[i]) / double(c.scale));
        }
    }
}

TEST(TopSizesList, AnywhereScopesWaitForTheirRankings) {
    TreeBuilder b("/r");
    b.fileAt("a/deep/big.mov", 9000);
    b.fileAt("a/small.txt", 10);
    b.fileAt("b/mid.zip", 500);
    auto tree = b.finish();
    FileNode* root = tree->root();

    EXPECT_EQ(namesOf(*top_sizes::source(Scope::here, root, nullptr)), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(top_sizes::source(Scope::files, root, nullptr));
    EXPECT_FALSE(top_sizes::source(Scope::folders, root, nullptr));

    const Rankings rankings = Rankings::compute(root);
    EXPECT_EQ(namesOf(*top_sizes::source(Scope::files, root, &rankings)),
              (std::vector<std::string>{"big.mov", "mid.zip", "small.txt"}));
    EXPECT_EQ(namesOf(*top_sizes::source(Scope::folders, root, &rankings)),
              (std::vector<std::string>{"a", "deep", "b"}));
}

} // namespace
