#include "visualizations/bubbles/BubblesLayout.h"

#include "model/FileNode.h"
#include "shell/style/Palette.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace {

using bubbles::Bubble;
using bubbles::Circle;
using bubbles::PackTree;

double distance(const Circle& a, const Circle& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// What every packing must satisfy: no two circles overlap, all lie inside the returned radius around
// the origin, and that circle is tight (some circle touches it).
void expectPacked(std::span<const Circle> c, double radius, const std::string& what) {
    double reach = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        ASSERT_TRUE(std::isfinite(c[i].x) && std::isfinite(c[i].y)) << what;
        const double tolerance = 1e-9 * radius + 1e-6;
        EXPECT_LE(std::hypot(c[i].x, c[i].y) + c[i].r, radius + tolerance) << what << " circle " << i;
        reach = std::max(reach, std::hypot(c[i].x, c[i].y) + c[i].r);
        for (size_t j = 0; j < i; ++j)
            EXPECT_GE(distance(c[i], c[j]), c[i].r + c[j].r - tolerance)
                << what << " circles " << j << ", " << i;
    }
    EXPECT_NEAR(reach, radius, 1e-9 * radius) << what;
}

std::vector<Circle> circlesOf(const std::vector<double>& radii) {
    std::vector<Circle> c;
    for (double r : radii)
        c.push_back({123, -45, r}); // wherever they start, packing places them
    return c;
}

// Sound, and dense: packing always from the pair touching nearest the origin, sets of similar sizes
// fill about 46 % of their enclosing disc on average; a worse choice of pair leaves about a third.
TEST(BubblesPacking, RandomSiblingSetsNeverOverlapStayInsideAndPackDensely) {
    std::mt19937_64 random(7);
    double uniformDensity = 0; // the mean share of the enclosing disc the circles cover
    std::uniform_int_distribution<int> count(1, 60);
    std::uniform_real_distribution<double> uniform(1, 100), exponent(0, 6);
    for (int run = 0; run < 600; ++run) {
        std::vector<double> radii(size_t(count(random)));
        for (double& r : radii)
            r = run % 3 == 0 ? uniform(random) : std::sqrt(std::pow(10.0, 2 * exponent(random)));
        // As a folder hands them over, largest first; a third in random order.
        if (run % 3 != 2) std::sort(radii.rbegin(), radii.rend());
        std::vector<Circle> c = circlesOf(radii);
        const double radius = bubbles::packSiblings(c);
        expectPacked(c, radius, "run " + std::to_string(run));
        if (HasFailure()) return;
        double area = 0;
        for (double r : radii)
            area += r * r;
        if (run % 3 == 0) uniformDensity += area / (radius * radius) / 200;
    }
    EXPECT_GT(uniformDensity, 0.42);
}

TEST(BubblesPacking, OneTwoAndThreeCirclesArePlacedExactly) {
    EXPECT_EQ(bubbles::packSiblings(std::span<Circle>()), 0);

    std::vector<Circle> one = circlesOf({5});
    EXPECT_EQ(bubbles::packSiblings(one), 5);
    EXPECT_EQ(one[0].x, 0);
    EXPECT_EQ(one[0].y, 0);

    // Two: touching on the horizontal line through the origin, the first on the left.
    std::vector<Circle> two = circlesOf({3, 7});
    EXPECT_DOUBLE_EQ(bubbles::packSiblings(two), 10);
    EXPECT_DOUBLE_EQ(two[0].x, -7);
    EXPECT_DOUBLE_EQ(two[1].x, 3);
    EXPECT_EQ(two[0].y, 0);
    EXPECT_EQ(two[1].y, 0);

    // Three: each touches the other two, and the third lies below the line from the first to the second
    // (y grows downwards).
    for (const std::vector<double>& radii : {std::vector<double>{9, 4, 2}, {1, 1, 1}, {2, 5, 30}}) {
        std::vector<Circle> c = circlesOf(radii);
        const double radius = bubbles::packSiblings(c);
        expectPacked(c, radius, "three");
        for (auto [i, j] : {std::pair{0, 1}, {1, 2}, {0, 2}})
            EXPECT_NEAR(distance(c[size_t(i)], c[size_t(j)]), c[size_t(i)].r + c[size_t(j)].r, 1e-9);
        const double cross = (c[1].x - c[0].x) * (c[2].y - c[0].y) - (c[1].y - c[0].y) * (c[2].x - c[0].x);
        EXPECT_GT(cross, 0);
    }
}

// Five equal circles: the fourth and fifth go where they touch nearest the origin, which gives this
// enclosing circle (a worse pair puts it near 3.386).
TEST(BubblesPacking, FiveEqualCirclesHaveTheirTightestEnclosure) {
    std::vector<Circle> c = circlesOf({1, 1, 1, 1, 1});
    const double radius = bubbles::packSiblings(c);
    expectPacked(c, radius, "five");
    EXPECT_NEAR(radius, 3.31074703305266, 1e-9);
}

TEST(BubblesPacking, AdversarialSizesEnd) {
    // Sizes a front chain handles worst: ratios far beyond any real folder, exact repeats, alternation.
    std::vector<std::vector<double>> sets;
    sets.push_back(std::vector<double>(60, 1.0));
    std::vector<double> alternating, geometric, fibonacci, spikes;
    for (int i = 0; i < 60; ++i) {
        alternating.push_back(i % 2 ? 1.0 : 3e9);
        geometric.push_back(std::pow(1.5, 59 - i));
        fibonacci.push_back(i < 2 ? 1.0 : fibonacci[size_t(i - 1)] + fibonacci[size_t(i - 2)]);
        spikes.push_back(i % 7 == 0 ? 1e6 : 1 + 1e-12 * i);
    }
    std::reverse(fibonacci.begin(), fibonacci.end());
    sets.insert(sets.end(),
                {alternating, geometric, fibonacci, spikes, {3e9, 1, 1, 1, 1, 1, 1, 1, 3e9, 3e9}});
    for (const auto& radii : sets) {
        std::vector<Circle> c = circlesOf(radii);
        const double radius = bubbles::packSiblings(c);
        expectPacked(c, radius, "adversarial");
    }

    // Sizes up to the largest a file can have, out of order: at these ratios circles that touch are
    // beyond the overlap test's precision, and the chain would be repaired forever. Past the cap on
    // repairs the rest go in as placed: it ends, with every circle somewhere finite.
    const std::vector<double> radii{
        27103157.536982283, 70280.356989873413, 2100.4315595510543, 46591430.766845286,
        13089.036019008392, 2080181516.5946147, 604.68448177716209, 1.3863966982569798,
        1852187456.4609418, 2455.675186541363,  1509.4177943499517, 6140685.6726593617,
        382034731.79132569, 45099.3887947287,   52.703226861829812, 1.4722938865107142};
    std::vector<Circle> c = circlesOf(radii);
    ASSERT_TRUE(std::isfinite(bubbles::packSiblings(c)));
    for (const Circle& circle : c)
        ASSERT_TRUE(std::isfinite(circle.x) && std::isfinite(circle.y));
}

TEST(BubblesPacking, PlaceScoreAndEnclose) {
    // c touches a and b, on the side of (-dy, dx), whichever of a and b is larger.
    for (auto [ra, rb] : {std::pair{2.0, 5.0}, {5.0, 2.0}, {3.0, 3.0}}) {
        const Circle a{1, 1, ra}, b{1 + ra + rb, 1, rb};
        Circle c{0, 0, 4};
        bubbles::place(b, a, c);
        EXPECT_NEAR(distance(a, c), ra + 4, 1e-9);
        EXPECT_NEAR(distance(b, c), rb + 4, 1e-9);
        EXPECT_GT(c.y, 1);
    }
    Circle c{0, 0, 4};
    bubbles::place(Circle{2, 3, 1}, Circle{2, 3, 2}, c); // coincident centres
    EXPECT_EQ(c.x, 6);
    EXPECT_EQ(c.y, 3);

    // The pair's rating is where the two touch, squared from the origin.
    const std::vector<Circle> pair{{0, 4, 1}, {3, 4, 2}};
    const std::vector<int> next{1, 0};
    EXPECT_DOUBLE_EQ(bubbles::score(0, pair, next), 1 + 16);

    // A circle inside another leaves it as it is; one holding the rest replaces it; every sibling is
    // moved, on the chain or not.
    std::vector<Circle> circles{{10, 0, 1}, {10, 0, 5}, {0, 0, 100}};
    const std::vector<int> chain{1, 0};
    EXPECT_EQ(bubbles::enclose(circles, chain), 5);
    EXPECT_EQ(circles[0].x, 0);
    EXPECT_EQ(circles[2].x, -10);
}

// ---- The packed tree -------------------------------------------------------------------------------

const bubbles::PackNode* packed(const PackTree& tree, const FileNode* node) {
    auto it = std::find_if(tree.begin(), tree.end(), [node](const auto& p) { return p.node == node; });
    return it == tree.end() ? nullptr : &*it;
}

PackTree packOf(const FileNode* source, ColorMode mode = ColorMode::folder) {
    return bubbles::buildPackTree(source, mode, palette::nowStamp());
}

// The children of the circle at `index`, by position.
std::vector<size_t> childrenOf(const PackTree& tree, size_t index) {
    std::vector<size_t> kids;
    for (size_t i = index + 1; i < tree[index].end; i = tree[i].end)
        kids.push_back(i);
    return kids;
}

TEST(BubblesTree, EveryGroupHoldsItsChildrenWithTheMarginAndNoneOverlap) {
    TestTree t;
    std::mt19937_64 random(3);
    std::uniform_int_distribution<int64_t> size(1, 50'000'000);
    for (int a = 0; a < 7; ++a) {
        FileNode* top = t.folder(t.root(), "top" + std::to_string(a));
        for (int b = 0; b < 5; ++b) {
            FileNode* mid = t.folder(top, "mid" + std::to_string(b));
            for (int c = 0; c < 4 + a; ++c)
                t.file(t.folder(mid, "deep" + std::to_string(c)), "f", size(random));
            t.file(mid, "loose", size(random));
        }
    }
    t.finish();
    const PackTree tree = packOf(t.root());
    ASSERT_EQ(tree.front().node, t.root());
    EXPECT_EQ(tree.front().x, 0);
    EXPECT_EQ(tree.front().y, 0);
    EXPECT_DOUBLE_EQ(tree.front().r, std::sqrt(double(t.root()->sizeOnDisk)));
    for (size_t i = 0; i < tree.size(); ++i) {
        const auto& p = tree[i];
        const std::vector<size_t> kids = childrenOf(tree, i);
        EXPECT_EQ(p.isGroup(i), !kids.empty());
        if (kids.empty()) continue;
        // Offsets are from the root: the children's enclosing circle is centred on their parent's
        // centre, and the parent's outline lies 4.5 % outside it.
        double reach = 0;
        for (size_t k : kids) {
            EXPECT_EQ(tree[k].depth, p.depth + 1);
            reach = std::max(reach, std::hypot(tree[k].x - p.x, tree[k].y - p.y) + tree[k].r);
            for (size_t l : kids)
                if (l < k) {
                    EXPECT_GE(std::hypot(tree[k].x - tree[l].x, tree[k].y - tree[l].y),
                              tree[k].r + tree[l].r - 1e-6 * p.r);
                }
        }
        EXPECT_NEAR(p.r, 1.045 * reach, 1e-9 * p.r) << p.node->path();
    }
    // Four levels below the folder: a folder at the fourth is a leaf sized by its own bytes.
    const FileNode* deep = t.root()->children()[0]->children()[0]->children()[0];
    const auto* leaf = packed(tree, deep->children()[0]);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->depth, 4);
    EXPECT_FALSE(leaf->isGroup(size_t(leaf - tree.data())));
    EXPECT_EQ(packed(bubbles::buildPackTree(t.root(), ColorMode::folder, 0, 3), deep->children()[0]),
              nullptr);
}

TEST(BubblesTree, WhatIsLeftOut) {
    TestTree t;
    FileNode* many = t.folder(t.root(), "many");
    for (int i = 0; i < 70; ++i)
        t.file(many, "f" + std::to_string(i), 1000 + i);
    FileNode* empty = t.file(many, "empty", 0);
    FileNode* nothing = t.folder(t.root(), "nothing");
    t.file(nothing, "zero", 0);
    t.finish();
    const PackTree tree = packOf(t.root());
    // The first 60 children in stored order (largest first), never those of 0 bytes.
    const std::vector<size_t> kids = childrenOf(tree, size_t(packed(tree, many) - tree.data()));
    EXPECT_EQ(kids.size(), 60u);
    EXPECT_EQ(tree[kids.back()].node, many->children()[59]);
    EXPECT_EQ(packed(tree, empty), nullptr);
    // A folder of nothing but empty files takes no part; shown itself, it is a leaf of the smallest radius.
    EXPECT_EQ(packed(tree, nothing), nullptr);
    const PackTree alone = packOf(nothing);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0].r, 1);
    EXPECT_TRUE(bubbles::buildPackTree(nullptr, ColorMode::folder, 0).empty());
}

// The children past the limit keep their share of the folder: those drawn cover no more of its circle
// than their share of its bytes (here a fifth), rather than filling it.
TEST(BubblesTree, ChildrenPastTheLimitKeepTheirShareOfTheFolder) {
    TestTree t;
    FileNode* cut = t.folder(t.root(), "cut");
    for (int i = 0; i < 10; ++i)
        t.file(cut, "f" + std::to_string(i), 1000);
    t.file(t.root(), "beside", 5000);
    t.finish();
    const PackTree tree = bubbles::buildPackTree(t.root(), ColorMode::folder, 0, bubbles::kDepthLimit, 2);
    ASSERT_EQ(childrenOf(tree, size_t(packed(tree, cut) - tree.data())).size(), 2u);
    for (size_t i = 0; i < tree.size(); ++i) {
        double drawn = 0;
        int64_t bytes = 0;
        for (size_t k : childrenOf(tree, i)) {
            drawn += tree[k].r * tree[k].r;
            bytes += tree[k].node->sizeOnDisk;
        }
        const double share = double(bytes) / double(tree[i].node->sizeOnDisk);
        EXPECT_LE(drawn, share * tree[i].r * tree[i].r * (1 + 1e-9)) << tree[i].node->path();
    }
}

// Among the drawn children of every circle, more bytes never draws a smaller circle.
void expectAreasFollowBytes(const std::vector<Bubble>& drawn, const char* what) {
    for (size_t i = 0; i < drawn.size(); ++i) {
        std::vector<const Bubble*> kids;
        for (size_t j = i + 1; j < drawn.size() && drawn[j].depth > drawn[i].depth; ++j)
            if (drawn[j].depth == drawn[i].depth + 1) kids.push_back(&drawn[j]);
        std::sort(kids.begin(), kids.end(), [](auto* a, auto* b) { return a->radius < b->radius; });
        for (size_t k = 1; k < kids.size(); ++k)
            EXPECT_LE(kids[k - 1]->node->sizeOnDisk, kids[k]->node->sizeOnDisk)
                << what << ": " << kids[k - 1]->node->name() << " drawn smaller than "
                << kids[k]->node->name();
    }
}

// Shaped like /usr: a flat bin of thousands of programs beside folders of many subfolders. A folder
// with more children than the limit was packed from its first ones only, and shrank.
TEST(BubblesTree, AreasFollowBytesOnATreeShapedLikeUsr) {
    TestTree t;
    std::mt19937_64 random(11);
    std::lognormal_distribution<double> bytes(9, 2.2); // a few KB typically, some tens of MB
    auto files = [&](FileNode* folder, int count) {
        for (int i = 0; i < count; ++i)
            t.file(folder, "f" + std::to_string(i), 1 + int64_t(bytes(random)), FileCategory(random() % 9));
    };
    files(t.folder(t.root(), "bin"), 2'500);
    for (const auto& [name, folders] :
         {std::pair{"include", 220}, {"lib", 180}, {"share", 400}, {"src", 3}}) {
        FileNode* top = t.folder(t.root(), name);
        files(top, 150);
        for (int f = 0; f < folders; ++f)
            files(t.folder(t.folder(top, "sub" + std::to_string(f)), "deeper"), int(random() % 90));
    }
    t.finish();
    expectAreasFollowBytes(bubbles::flatten(packOf(t.root()), QSizeF(1680, 1050)), "by folder");
    const FileNode* groups = t.tree->categoryGroups(t.root());
    expectAreasFollowBytes(bubbles::flatten(packOf(groups, ColorMode::type), QSizeF(1680, 1050)), "by type");
}

// A folder of 200,000 files beside folders ten times smaller, each of 2,000 files in 100 subfolders.
TEST(BubblesTree, AreasFollowBytesBesideAFolderOf200000Files) {
    TestTree t;
    FileNode* big = t.folder(t.root(), "big");
    for (int i = 0; i < 200'000; ++i)
        t.file(big, "f" + std::to_string(i), 2'000 + (i * 7919) % 3'600);
    for (int a = 0; a < 12; ++a)
        for (int b = 0; b < 100; ++b)
            for (int c = 0; c < 20; ++c)
                t.fileAt("top" + std::to_string(a) + "/d" + std::to_string(b) + "/f" + std::to_string(c),
                         30'000 + 1'000 * ((a + b + c) % 17));
    t.finish();
    expectAreasFollowBytes(bubbles::flatten(packOf(t.root()), QSizeF(1680, 1050)), "200,000 files");
}

// ---- Fitting into a view ---------------------------------------------------------------------------

TEST(BubblesFit, TheRootIsCentredAndScaledAndChildrenStayInside) {
    TestTree t;
    for (int a = 0; a < 12; ++a) {
        FileNode* top = t.folder(t.root(), "top" + std::to_string(a));
        for (int b = 0; b < 9; ++b)
            t.file(top, "f" + std::to_string(b), 1000 * (a + 1) * (b + 1));
    }
    t.finish();
    const PackTree tree = packOf(t.root());
    for (const QSizeF size : {QSizeF(900, 700), QSizeF(333, 1200), QSizeF(100, 300)}) {
        const std::vector<Bubble> drawn = bubbles::flatten(tree, size);
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.front().node, t.root());
        EXPECT_EQ(drawn.front().center, QPointF(size.width() / 2, size.height() / 2));
        // Too narrow for the margin: the root keeps its smallest radius and overflows.
        EXPECT_DOUBLE_EQ(drawn.front().radius,
                         std::max(std::min(size.width(), size.height()) / 2 - 14, 40.0));
        std::vector<const Bubble*> ancestors;
        for (const Bubble& b : drawn) {
            ancestors.resize(size_t(b.depth));
            if (!ancestors.empty()) {
                const Bubble& parent = *ancestors.back();
                EXPECT_LE(std::hypot(b.center.x() - parent.center.x(), b.center.y() - parent.center.y()) +
                              b.radius,
                          parent.radius / 1.045 * (1 + 1e-9));
            }
            ancestors.push_back(&b);
        }
    }
}

TEST(BubblesFit, SmallCirclesGoWithTheirSubtreesAndAFileIsOneBubble) {
    TestTree t;
    t.file(t.root(), "huge", 4'000'000'000'000);
    FileNode* crowd = t.folder(t.root(), "crowd");
    for (int i = 0; i < 60; ++i)
        t.file(crowd, "f" + std::to_string(i), 40'000'000);
    FileNode* speck = t.folder(t.root(), "speck");
    t.file(speck, "g", 1);
    t.finish();
    const PackTree tree = packOf(t.root());
    const QSizeF size(600, 600);
    const double scale = bubbles::rootRadius(size) / tree.front().r;
    // Sizes chosen so that the crowd's files are under 1.2 points and the crowd itself is not.
    ASSERT_LT(std::sqrt(40'000'000.0) * scale, 1.2);
    ASSERT_GE(packed(tree, crowd)->r * scale, 1.2);
    const std::vector<Bubble> drawn = bubbles::flatten(tree, size);
    const Bubble* c = bubbles::find(drawn, crowd);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->isGroup); // still a group, with none of its children drawn
    EXPECT_EQ(bubbles::find(drawn, crowd->children()[0]), nullptr);
    EXPECT_EQ(bubbles::find(drawn, speck), nullptr);
    EXPECT_EQ(bubbles::find(drawn, speck->children()[0]), nullptr);

    TestTree f;
    FileNode* file = f.file(f.root(), "one", 10);
    f.finish();
    const std::vector<Bubble> one = bubbles::flatten(packOf(file), QSizeF(500, 400));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_DOUBLE_EQ(one[0].radius, 186);
    EXPECT_FALSE(one[0].isGroup);
}

TEST(BubblesFit, HitTestFindsTheDeepestCircleWithItsBoundary) {
    TestTree t;
    FileNode* folder = t.folder(t.root(), "folder");
    FileNode* inner = t.file(folder, "inner", 9000);
    t.file(folder, "other", 4000);
    FileNode* loose = t.file(t.root(), "loose", 5000);
    t.finish();
    const std::vector<Bubble> drawn = bubbles::flatten(packOf(t.root()), QSizeF(800, 600));
    const Bubble& root = drawn.front();
    ASSERT_EQ(drawn.size(), 5u);
    for (const FileNode* leaf : {inner, folder->children()[1], loose})
        EXPECT_EQ(bubbles::hitTest(drawn, bubbles::find(drawn, leaf)->center), leaf);
    // The root's own outline counts as inside; just beyond it, and in the corners, nothing.
    const QPointF top = root.center - QPointF(0, root.radius);
    EXPECT_EQ(bubbles::hitTest(drawn, top), t.root());
    EXPECT_EQ(bubbles::hitTest(drawn, top - QPointF(0, 0.01)), nullptr);
    EXPECT_EQ(bubbles::hitTest(drawn, QPointF(2, 2)), nullptr);
    // Inside a group but between its children: the group.
    const Bubble* f = bubbles::find(drawn, folder);
    const QPointF rim = f->center + QPointF(0, f->radius * 0.999);
    EXPECT_EQ(bubbles::hitTest(drawn, rim), folder);
    // On a leaf's outline facing away from its siblings: the leaf.
    const Bubble* l = bubbles::find(drawn, loose);
    const QPointF away = l->center - f->center;
    EXPECT_EQ(bubbles::hitTest(drawn, l->center + away / std::hypot(away.x(), away.y()) * l->radius), loose);
}

// ---- Labels ----------------------------------------------------------------------------------------

TEST(BubblesLabels, SizeBudgetAndAbbreviation) {
    const QString twelve = QStringLiteral("twelve chars");
    struct Case {
        bool group;
        double radius;
        bool abbreviate;
        QString text; // empty: no label
    };
    const Case cases[] = {
        {true, 44, false, {}},           // a group needs more than 44 points
        {true, 44, true, {}},            // abbreviated too
        {false, 26, false, {}},          // a leaf more than 26
        {true, 45, false, "twelve ch…"}, // 9.5 points: ten characters, the tenth an ellipsis
        {true, 45, true, "TC"},          // initials, whatever the budget
        {false, 27, false, "twelve …"},  // 9 points: eight characters
        {false, 200, false, twelve},     // room for the whole name
    };
    for (const Case& c : cases) {
        Bubble b{nullptr, QPointF(100, 100), c.radius, 2, c.group, Qt::red};
        const auto label = bubbles::labelFor(b, twelve, c.abbreviate);
        EXPECT_EQ(label ? label->text : QString(), c.text) << c.radius << (c.group ? " group" : " leaf");
        // A group's label sits inside the top of its circle, a leaf's at its centre.
        if (label) {
            EXPECT_EQ(label->anchor.y() < 100, c.group);
        }
    }
    // The root is always named in full.
    Bubble root{nullptr, QPointF(100, 100), 40, 0, true, Qt::transparent};
    EXPECT_EQ(bubbles::labelFor(root, "Macintosh HD", false)->text, "Macintosh HD");
    EXPECT_EQ(bubbles::labelFor(root, "Macintosh HD", true)->text, "MH");
}

} // namespace
