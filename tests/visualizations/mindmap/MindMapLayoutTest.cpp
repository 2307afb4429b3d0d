#include "visualizations/mindmap/MindMapLayout.h"
#include "visualizations/mindmap/MindMapLabels.h"

#include "shell/style/Palette.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <tuple>

namespace {

using mind_map::Branch;
using mind_map::kPi;

std::vector<Branch> branchesOf(const FileNode* source, QSizeF size = QSizeF(1000, 800),
                               ColorMode mode = ColorMode::folder) {
    return mind_map::computeBranches(source, mode, size, palette::nowStamp());
}

Branch dotAt(FileNode* node, QPointF point, double dot) {
    Branch b;
    b.node = node;
    b.point = point;
    b.dot = dot;
    return b;
}

// The index of each branch's parent branch (-1 for the first level), from the pre-order.
std::vector<int> parentsOf(const std::vector<Branch>& branches) {
    std::vector<int> parents, path;
    for (size_t i = 0; i < branches.size(); ++i) {
        path.resize(size_t(branches[i].depth - 1));
        parents.push_back(path.empty() ? -1 : path.back());
        path.push_back(int(i));
    }
    return parents;
}

// What the layout must keep of a node: the first few children, then those with bytes.
std::vector<FileNode*> keptChildren(const FileNode* node, int depth) {
    std::vector<FileNode*> kept;
    const auto kids = node->children();
    for (size_t i = 0; i < kids.size() && i < size_t(mind_map::kChildLimits[size_t(depth + 1)]); ++i)
        if (kids[i]->sizeOnDisk > 0) kept.push_back(kids[i]);
    return kept;
}

void randomFolder(TestTree& t, FileNode* parent, int level, std::mt19937& random) {
    const int count = int(random() % 13);
    for (int i = 0; i < count; ++i) {
        const std::string name = "n" + std::to_string(i);
        if (level < 4 && random() % 3 == 0) {
            randomFolder(t, t.folder(parent, name), level + 1, random);
        } else {
            // Empty files are common enough to fall among the kept ones.
            const int64_t size = random() % 5 == 0 ? 0 : int64_t(1 + random() % 1'000'000);
            t.file(parent, name, size);
        }
    }
}

// Over random trees: every level is the cut list of its parent, sibling sweeps split the parent's
// range (less the fan gaps) by their leaf counts, and each dot sits on its ring at its range's middle.
TEST(MindMapBranches, SweepsFillTheParentsRangeByLeavesOverRandomTrees) {
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        TestTree t;
        randomFolder(t, t.root(), 0, random);
        t.finish();
        const QSizeF size(300 + random() % 1500, 200 + random() % 1000);
        const auto branches = branchesOf(t.root(), size);
        const auto g = mind_map::Geometry::forSize(size);
        if (t.root()->sizeOnDisk <= 0 || keptChildren(t.root(), 0).empty()) {
            EXPECT_TRUE(branches.empty());
            continue;
        }
        const auto parents = parentsOf(branches);

        // Leaves: a branch without children counts one.
        std::vector<int> leaves(branches.size(), 0);
        for (size_t i = branches.size(); i-- > 0;) {
            leaves[i] = std::max(leaves[i], 1);
            if (parents[i] >= 0) leaves[size_t(parents[i])] += leaves[i];
        }
        for (int p = -1; p < int(branches.size()); ++p) {
            std::vector<size_t> kids;
            for (size_t i = 0; i < branches.size(); ++i)
                if (parents[i] == p) kids.push_back(i);
            const FileNode* node = p < 0 ? t.root() : branches[size_t(p)].node;
            const int depth = p < 0 ? 0 : branches[size_t(p)].depth;
            std::vector<FileNode*> nodes;
            for (size_t k : kids)
                nodes.push_back(branches[k].node);
            EXPECT_EQ(nodes, depth < mind_map::kMaxDepth && node->isDirectory() ? keptChildren(node, depth)
                                                                                : std::vector<FileNode*>());
            if (kids.empty()) continue;

            double start = mind_map::kFirstStart, end = mind_map::kFirstEnd;
            if (p >= 0) {
                const Branch& b = branches[size_t(p)];
                const double sweep = b.end - b.start;
                start = b.start + mind_map::kFanInset * sweep;
                end = b.end - mind_map::kFanInset * sweep;
            }
            const int total = p < 0 ? std::accumulate(kids.begin(), kids.end(), 0,
                                                      [&](int sum, size_t k) { return sum + leaves[k]; })
                                    : leaves[size_t(p)];
            double a = start;
            for (size_t k : kids) {
                const Branch& b = branches[k];
                EXPECT_NEAR(b.start, a, 1e-9);
                EXPECT_NEAR(b.end - b.start, (end - start) * leaves[k] / total, 1e-9);
                a = b.end;
            }
            EXPECT_NEAR(a, end, 1e-9);
        }
        for (size_t i = 0; i < branches.size(); ++i) {
            const Branch& b = branches[i];
            ASSERT_GE(b.depth, 1);
            ASSERT_LE(b.depth, mind_map::kMaxDepth);
            EXPECT_NEAR(b.angle, (b.start + b.end) / 2, 1e-12);
            EXPECT_NEAR(std::hypot(b.point.x() - g.centre.x(), b.point.y() - g.centre.y()),
                        g.rings[size_t(b.depth)], 1e-9);
            EXPECT_EQ(b.parentPoint, parents[i] < 0 ? g.centre : branches[size_t(parents[i])].point);
        }
    }
}

TEST(MindMapBranches, ChildCountsAreCappedPerDepth) {
    // 20 folders of 10 folders of 10 folders of files: 8, then 7 each, then 6 each, nothing deeper.
    TestTree t;
    for (int a = 0; a < 20; ++a) {
        FileNode* first = t.folder(t.root(), "a" + std::to_string(a));
        for (int b = 0; b < 10; ++b) {
            FileNode* second = t.folder(first, "b" + std::to_string(b));
            for (int c = 0; c < 10; ++c) {
                FileNode* third = t.folder(second, "c" + std::to_string(c));
                t.file(third, "f", 1000 + 100 * a + 10 * b + c);
            }
        }
    }
    t.finish();
    const auto branches = branchesOf(t.root());
    int perDepth[4] = {};
    for (const Branch& b : branches)
        ++perDepth[b.depth];
    EXPECT_EQ(perDepth[1], 8);
    EXPECT_EQ(perDepth[2], 8 * 7);
    EXPECT_EQ(perDepth[3], 8 * 7 * 6);
    // The largest first, in pre-order: a first-level branch is followed by its 7 x (1 + 6) descendants.
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(branches[i * (1 + 7 * 7)].node, t.root()->children()[i]);
}

TEST(MindMapBranches, TheCutComesBeforeTheEmptyFilter) {
    // Stored order as given (not sorted): an empty child among the first eight takes its slot, so the
    // ninth is never looked at.
    TestTree t;
    std::vector<FileNode*> kids;
    for (int i = 0; i < 9; ++i)
        kids.push_back(t.file(t.root(), "f" + std::to_string(i), i == 3 ? 0 : 100));
    t.attach();
    t.root()->sizeOnDisk = 800;
    const auto branches = branchesOf(t.root());
    std::vector<FileNode*> shown;
    for (const Branch& b : branches)
        shown.push_back(b.node);
    EXPECT_EQ(shown, (std::vector<FileNode*>{kids[0], kids[1], kids[2], kids[4], kids[5], kids[6], kids[7]}));

    // Nothing with bytes, or no bytes at all: no branches.
    TestTree e;
    FileNode* empty = e.folder(e.root(), "empty");
    e.file(empty, "zero", 0);
    e.finish();
    EXPECT_TRUE(branchesOf(empty).empty());
    EXPECT_TRUE(branchesOf(e.root()).empty());
    EXPECT_TRUE(branchesOf(nullptr).empty());
}

// Under "By type" the groups come in category order, "Other" always last: of all nine, the eight
// largest are kept, whichever comes ninth, and drawn in category order.
TEST(MindMapBranches, ByTypeKeepsTheLargestGroupsInCategoryOrder) {
    for (const FileCategory smallest : {FileCategory::video, FileCategory::archive, FileCategory::other}) {
        TestTree t;
        std::vector<FileCategory> expected;
        for (const FileCategory c : file_category::allCases) {
            t.file(t.root(), "f", c == smallest ? 1'000 : c == FileCategory::other ? 9'800'000 : 20'000, c);
            if (c != smallest) expected.push_back(c);
        }
        t.finish();
        std::vector<FileCategory> shown;
        for (const Branch& b :
             branchesOf(t.tree->categoryGroups(t.root()), QSizeF(1000, 800), ColorMode::type))
            if (b.depth == 1) shown.push_back(b.node->dominantCategory());
        EXPECT_EQ(shown, expected) << file_category::title(smallest);
    }
}

TEST(MindMapBranches, SweepsFollowLeavesNotBytes) {
    // A big file (one leaf) and a small folder of three files (three leaves).
    TestTree t;
    FileNode* file = t.file(t.root(), "big", 10'000);
    FileNode* folder = t.folder(t.root(), "small");
    for (int i = 0; i < 3; ++i)
        t.file(folder, "f" + std::to_string(i), 10 + i);
    t.finish();
    const auto branches = branchesOf(t.root());
    ASSERT_EQ(branches.size(), 5u);
    EXPECT_EQ(branches[0].node, file);
    EXPECT_NEAR(branches[0].angle, -0.17 * kPi, 1e-12);
    EXPECT_NEAR(branches[1].angle, 0.83 * kPi, 1e-12);
    for (int i = 0; i < 3; ++i) {
        const Branch& b = branches[size_t(2 + i)];
        EXPECT_EQ(b.depth, 2);
        EXPECT_NEAR(b.start, 0.17 * kPi + i * 0.44 * kPi, 1e-12);
        EXPECT_NEAR(b.end - b.start, 0.44 * kPi, 1e-12);
        EXPECT_EQ(b.parentAngle, branches[1].angle);
    }
}

TEST(MindMapGeometry, RingsDotsAndLabelRequests) {
    // A small view keeps rings out to 120 points.
    for (auto [size, r1, r2, r3] : {std::tuple{QSizeF(300, 200), 44.4, 80.4, 114.0},
                                    std::tuple{QSizeF(1000, 800), 129.5, 234.5, 332.5}}) {
        const auto g = mind_map::Geometry::forSize(size);
        EXPECT_NEAR(g.rings[1], r1, 1e-9);
        EXPECT_NEAR(g.rings[2], r2, 1e-9);
        EXPECT_NEAR(g.rings[3], r3, 1e-9);
    }

    // Dot diameters and labels by share: 99 %, 60 %, exactly 2.5 %, just under it and 1 %; a first-level
    // branch is labelled whatever its share.
    TestTree t;
    FileNode* a = t.folder(t.root(), "a");
    FileNode* big = t.file(a, "big", 600'000);
    FileNode* quarter = t.file(a, "quarter", 25'000);
    FileNode* under = t.file(a, "under", 24'900);
    FileNode* small = t.file(t.folder(a, "c"), "small", 10'000);
    t.file(a, "rest", 330'100);
    FileNode* tiny = t.file(t.root(), "tiny", 10'000);
    t.finish();
    ASSERT_EQ(t.root()->sizeOnDisk, 1'000'000);
    auto find = [](const std::vector<Branch>& branches, const FileNode* node) {
        return *std::find_if(branches.begin(), branches.end(),
                             [&](const Branch& x) { return x.node == node; });
    };
    const auto branches = branchesOf(t.root());
    EXPECT_NEAR(find(branches, a).dot, 10 + 34 * std::sqrt(0.99), 1e-9);
    EXPECT_TRUE(find(branches, a).showsLabel);
    EXPECT_NEAR(find(branches, tiny).dot, 13.4, 1e-9);
    EXPECT_EQ(find(branches, tiny).depth, 1);
    EXPECT_TRUE(find(branches, tiny).showsLabel);
    EXPECT_NEAR(find(branches, big).dot, 26, 1e-9); // 6 + 26 x 0.775, capped
    EXPECT_NEAR(find(branches, small).dot, 7.6, 1e-9);
    EXPECT_TRUE(find(branches, quarter).showsLabel);
    EXPECT_FALSE(find(branches, under).showsLabel);
    // Under a second level "By folder", all connectors of one first-level branch share a colour.
    for (const Branch& x : branches)
        if (x.node != tiny) {
            EXPECT_EQ(x.accent, palette::mindMapPalette()[0]);
        }
}

TEST(MindMapHitTest, CentreReachesAndTies) {
    TestTree t;
    FileNode* a = t.file(t.root(), "a", 10);
    FileNode* b = t.file(t.root(), "b", 10);
    t.finish();
    const QPointF c(100, 100);
    // Dots of 30 points: each reaches 20 points from its centre.
    const std::vector<Branch> branches{dotAt(a, QPointF(200, 100), 30), dotAt(b, QPointF(220, 100), 30)};
    auto hit = [&](QPointF p) { return mind_map::hitTest(branches, c, p, t.root()); };
    EXPECT_EQ(hit(c + QPointF(50, 0)), t.root());    // on the boundary
    EXPECT_EQ(hit(c + QPointF(0, -50.01)), nullptr); // just outside, no dot near
    EXPECT_EQ(hit(QPointF(180, 100)), a);            // exactly the reach: radius + 5
    EXPECT_EQ(hit(QPointF(179.99, 100)), nullptr);   // just beyond it
    EXPECT_EQ(hit(QPointF(210, 100)), a);            // equally near both: the earlier
    EXPECT_EQ(hit(QPointF(210.01, 100)), b);         // the nearer
    EXPECT_EQ(mind_map::hitTest({}, c, c, t.root()), t.root());
    EXPECT_EQ(mind_map::hitTest({}, c, c + QPointF(60, 0), t.root()), nullptr);
}

// ---- Labels ---------------------------------------------------------------------------------------

TEST(MindMapLabels, TextsAndWidthEstimates) {
    const QString thirtyOne(31, 'x'), thirtyTwo(32, 'y');
    EXPECT_EQ(mind_map::labelText(thirtyOne, false), thirtyOne);
    EXPECT_EQ(mind_map::labelText(thirtyTwo, false), QString(30, 'y') + QStringLiteral("…"));
    EXPECT_EQ(mind_map::centreText(QString(14, 'c'), false), QString(14, 'c'));
    EXPECT_EQ(mind_map::centreText(QString(15, 'c'), false), QString(13, 'c') + QStringLiteral("…"));
    EXPECT_EQ(mind_map::labelText(QStringLiteral("node_modules and more"), true), QStringLiteral("NMA"));
    EXPECT_EQ(mind_map::estimatedWidth(QString(8, 'w')), 56);
    EXPECT_EQ(mind_map::estimatedWidth(QString(9, 'w')), 63);
    // Characters as the user sees them: a flag is one.
    EXPECT_EQ(mind_map::estimatedWidth(QString(8, 'w') + QStringLiteral("🇫🇷")), 63);
}

struct LabelCase {
    FileNode* node;
    QPointF point;
    double angle;
    bool asks = true;
};

std::vector<Branch> labelBranches(const std::vector<LabelCase>& cases) {
    std::vector<Branch> branches;
    for (const LabelCase& c : cases) {
        Branch b = dotAt(c.node, c.point, 8);
        b.angle = c.angle;
        b.showsLabel = c.asks;
        branches.push_back(b);
    }
    return branches;
}

TEST(MindMapLabels, TouchingRoomsDoNotIntersect) {
    // QRectF::intersects: rectangles sharing only an edge do not intersect.
    EXPECT_FALSE(QRectF(0, 0, 10, 28).intersects(QRectF(10, 0, 10, 28)));
    EXPECT_FALSE(QRectF(0, 0, 10, 28).intersects(QRectF(0, 28, 10, 28)));

    TestTree t;
    FileNode* big = t.file(t.root(), "big", 30);
    FileNode* mid = t.file(t.root(), "mid", 20);
    FileNode* low = t.file(t.root(), "low", 10);
    t.finish();
    // Right of their dots; the second's room starts exactly where the first's ends, 28 points down.
    // The third is 0.1 point too close to the second.
    auto labels = mind_map::placeLabels(
        labelBranches(
            {{big, QPointF(100, 100), 0}, {mid, QPointF(100, 128), 0}, {low, QPointF(100, 155.9), 0}}),
        nullptr, false);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].rect.bottom(), labels[1].rect.top());
    EXPECT_EQ(labels[1].branch, 1u);

    // Side by side: the left label of a dot ends where the right label of another begins.
    labels = mind_map::placeLabels(
        labelBranches({{big, QPointF(100, 100), kPi}, {mid, QPointF(100 - 10 - 56 - 56 - 10, 100), 0}}),
        nullptr, false);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].rect.left(), labels[1].rect.right());
    EXPECT_FALSE(labels[0].leading);
}

TEST(MindMapLabels, TheHoveredLabelComesFirstAndOthersGiveWay) {
    TestTree t;
    FileNode* big = t.file(t.root(), "big", 30);
    FileNode* tiny = t.file(t.root(), "tiny", 1);
    t.finish();
    // A straight-down angle puts the label on the right.
    const auto branches =
        labelBranches({{big, QPointF(100, 100), kPi / 2}, {tiny, QPointF(110, 105), kPi / 2, false}});
    auto labels = mind_map::placeLabels(branches, nullptr, false);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].branch, 0u);
    EXPECT_TRUE(labels[0].leading);
    labels = mind_map::placeLabels(branches, tiny, false);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].branch, 1u);
}

// Over random branch sets: placed labels never intersect, the hovered one is always placed, and every
// candidate left out meets a label placed before it.
TEST(MindMapLabels, PlacedLabelsNeverIntersectOverRandomBranches) {
    std::mt19937 random(7);
    for (int round = 0; round < 100; ++round) {
        TestTree t;
        const int count = 1 + int(random() % 120);
        for (int i = 0; i < count; ++i)
            t.file(t.root(), std::string(1 + random() % 40, 'a' + char(i % 26)), int64_t(random() % 50));
        t.finish();
        std::vector<LabelCase> cases;
        for (FileNode* node : t.root()->children())
            cases.push_back(
                {node, QPointF(random() % 800, random() % 600), (random() % 628) / 100.0, random() % 3 != 0});
        const auto branches = labelBranches(cases);
        const FileNode* hovered = t.root()->children()[random() % size_t(count)];
        const auto labels = mind_map::placeLabels(branches, hovered, random() % 2 == 0);
        ASSERT_FALSE(labels.empty());
        EXPECT_EQ(branches[labels[0].branch].node, hovered);
        for (size_t i = 0; i < labels.size(); ++i)
            for (size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(labels[i].rect.intersects(labels[j].rect));
        for (size_t k = 0; k < branches.size(); ++k) {
            if (!branches[k].showsLabel) continue;
            const bool placed =
                std::any_of(labels.begin(), labels.end(), [&](const auto& l) { return l.branch == k; });
            if (placed) continue;
            // Its room, as it would have been: meets a placed label of a larger (or hovered) node.
            const QPointF anchor = branches[k].point;
            const bool blocked = std::any_of(labels.begin(), labels.end(), [&](const auto& l) {
                const Branch& other = branches[l.branch];
                return (other.node == hovered || other.node->sizeOnDisk >= branches[k].node->sizeOnDisk) &&
                       std::abs(l.rect.center().y() - anchor.y()) < 28;
            });
            EXPECT_TRUE(blocked) << k;
        }
    }
}

} // namespace
