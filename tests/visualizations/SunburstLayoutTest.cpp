#include "visualizations/SunburstLayout.h"

#include "shell/Palette.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

using sunburst::SunArc;
constexpr double kPi = sunburst::kTwoPi / 2;

std::vector<SunArc> arcsOf(const FileNode* source, int rings = 7, ColorMode mode = ColorMode::folder) {
    return sunburst::buildArcs(source, rings, mode, palette::nowStamp());
}

const SunArc* arcOf(const std::vector<SunArc>& arcs, const FileNode* node) {
    for (const SunArc& a : arcs)
        if (a.node == node) return &a;
    return nullptr;
}

class SunburstTree : public ::testing::Test {
protected:
    void SetUp() override {
        for (int a = 0; a < 4; ++a) {
            FileNode* top = t.folder(t.root(), "top" + std::to_string(a));
            for (int b = 0; b < 3; ++b) {
                FileNode* mid = t.folder(top, "mid" + std::to_string(b));
                for (int c = 0; c < 5; ++c) t.file(mid, "f" + std::to_string(c), 1000 * (a + 1) * (c + 2) + 37 * b);
            }
            t.file(top, "loose", 4000 + 500 * a);
        }
        t.finish();
    }
    TestTree t;
};

TEST_F(SunburstTree, ChildAnglesAddUpToTheParentsAndEveryMidpointHitsItsArc) {
    const auto arcs = arcsOf(t.root());
    ASSERT_FALSE(arcs.empty());
    std::map<const FileNode*, double> childSpans;
    for (const SunArc& a : arcs) {
        EXPECT_LT(a.start, a.end);
        EXPECT_LE(a.end, sunburst::kTwoPi + 1e-9);
        childSpans[a.node->parent()] += a.end - a.start;
    }
    // Nothing here is below the minimum span, and sizes add up, so children fill their parent exactly.
    EXPECT_NEAR(childSpans[t.root()], sunburst::kTwoPi, 1e-9);
    for (const SunArc& a : arcs) {
        if (!a.node->isDirectory()) continue;
        EXPECT_NEAR(childSpans[a.node], a.end - a.start, 1e-9) << a.node->path();
        // Children lie within the parent's range, one ring further out.
        for (const SunArc& c : arcs)
            if (c.node->parent() == a.node) {
                EXPECT_EQ(c.ring, a.ring + 1);
                EXPECT_GE(c.start, a.start - 1e-12);
                EXPECT_LE(c.end, a.end + 1e-12);
            }
    }

    const auto g = sunburst::Geometry::forSize(QSizeF(1000, 800), 7);
    for (const SunArc& a : arcs) {
        const double mid = (a.start + a.end) / 2;
        const double radius = g.inner + (a.ring + 0.5) * g.ringWidth;
        EXPECT_EQ(sunburst::hitTest(g, arcs, sunburst::pointAt(g.centre, radius, mid), t.root()), a.node)
            << a.node->path();
        // The sector drawn for the arc covers the same point, and not the point opposite.
        const QPainterPath path = sunburst::sectorPath(g, a);
        EXPECT_TRUE(path.contains(sunburst::pointAt(g.centre, radius, mid))) << a.node->path();
        if (a.end - a.start < kPi) {
            EXPECT_FALSE(path.contains(sunburst::pointAt(g.centre, radius, mid + kPi))) << a.node->path();
        }
    }
}

TEST_F(SunburstTree, DepthLimitsTheRingsAndFolderColoursFollowTopBranchAndSibling) {
    const auto shallow = arcsOf(t.root(), 2);
    int deepest = 0;
    for (const SunArc& a : shallow) deepest = std::max(deepest, a.ring);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(arcOf(shallow, t.root()->children()[0]->children()[0]->children()[0]), nullptr);

    const auto arcs = arcsOf(t.root(), 7, ColorMode::folder);
    const FileNode* top1 = t.root()->children()[1];
    EXPECT_EQ(arcOf(arcs, top1)->color, palette::folderColor(1, 1, 1));
    for (size_t i = 0; i < top1->children().size(); ++i)
        EXPECT_EQ(arcOf(arcs, top1->children()[i])->color, palette::folderColor(1, int(i), 2));
}

TEST(SunburstArcs, MinimumSpanStopsTheRing) {
    // Spans of 0.004 exactly and just below, against a total of 2π.
    const double unit = 1e9;
    TestTree t;
    FileNode* big = t.file(t.root(), "big", 0);
    FileNode* exact = t.file(t.root(), "exact", 0);
    FileNode* below = t.file(t.root(), "below", 0);
    FileNode* later = t.file(t.root(), "later", 0);
    t.finish();
    const auto sizeFor = [&](double span) { return int64_t(std::llround(span / sunburst::kTwoPi * unit)); };
    exact->sizeOnDisk = sizeFor(0.004) + 1;
    below->sizeOnDisk = sizeFor(0.004) - 2;
    later->sizeOnDisk = below->sizeOnDisk - 1;
    big->sizeOnDisk = int64_t(unit) - exact->sizeOnDisk - below->sizeOnDisk - later->sizeOnDisk;
    t.root()->sizeOnDisk = int64_t(unit);
    const auto arcs = arcsOf(t.root());
    ASSERT_EQ(arcs.size(), 2u);
    EXPECT_EQ(arcs[1].node, exact);
    EXPECT_GE(arcs[1].end - arcs[1].start, 0.004);
    EXPECT_EQ(arcOf(arcs, later), nullptr);

    // Empty and zero-sized folders have no arcs.
    TestTree e;
    FileNode* empty = e.folder(e.root(), "empty");
    e.finish();
    EXPECT_TRUE(arcsOf(empty).empty());
    EXPECT_TRUE(arcsOf(e.root()).empty()); // size 0
}

TEST(SunburstArcs, ByAgeSectionsAreTakenLargestFirst) {
    const double now = palette::nowStamp();
    TestTree t;
    t.file(t.root(), "fresh", 1, FileCategory::document, now - 60);
    FileNode* old = t.file(t.root(), "old", 10'000'000, FileCategory::video, now - 1000 * 86400.0);
    t.finish();
    const FileNode* groups = t.tree->ageGroups(t.root(), now);
    const auto arcs = sunburst::buildArcs(groups, 7, ColorMode::age, now);
    ASSERT_FALSE(arcs.empty());
    EXPECT_EQ(arcs[0].node->name(), "Older");
    EXPECT_NE(arcOf(arcs, old), nullptr);
}

TEST(SunburstGeometry, AnglesRunClockwiseFromTwelve) {
    const QPointF c(100, 100);
    EXPECT_NEAR(sunburst::angleOf(c, QPointF(100, 50)), 0, 1e-12);          // straight up
    EXPECT_NEAR(sunburst::angleOf(c, QPointF(150, 100)), kPi / 2, 1e-12);   // 3 o'clock
    EXPECT_NEAR(sunburst::angleOf(c, QPointF(100, 150)), kPi, 1e-12);       // 6 o'clock
    EXPECT_NEAR(sunburst::angleOf(c, QPointF(50, 100)), 1.5 * kPi, 1e-12);  // 9 o'clock
    EXPECT_DOUBLE_EQ(sunburst::qtDegrees(0), 90);
    EXPECT_DOUBLE_EQ(sunburst::qtDegrees(kPi / 2), 0);
    const QPointF p = sunburst::pointAt(c, 50, kPi / 2);
    EXPECT_NEAR(p.x(), 150, 1e-9);
    EXPECT_NEAR(p.y(), 100, 1e-9);
}

TEST(SunburstGeometry, HitTestEdges) {
    TestTree t;
    FileNode* a = t.file(t.root(), "a", 3);
    FileNode* b = t.file(t.root(), "b", 1);
    t.finish();
    t.root()->sizeOnDisk = 5; // a fifth of the circle stays uncovered
    const auto arcs = arcsOf(t.root(), 3);
    const auto g = sunburst::Geometry::forSize(QSizeF(600, 600), 3);
    const QPointF c = g.centre;
    EXPECT_EQ(sunburst::hitTest(g, arcs, c + QPointF(3, 3), t.root()), t.root());              // the disc
    EXPECT_EQ(sunburst::hitTest(g, arcs, c - QPointF(0, g.inner), t.root()), a);               // ring 0, angle 0
    EXPECT_EQ(sunburst::hitTest(g, arcs, sunburst::pointAt(c, g.inner + 5, 0.7 * sunburst::kTwoPi), t.root()), b);
    EXPECT_EQ(sunburst::hitTest(g, arcs, sunburst::pointAt(c, g.inner + 5, 0.9 * sunburst::kTwoPi), t.root()),
              nullptr); // the uncovered gap
    EXPECT_EQ(sunburst::hitTest(g, arcs, sunburst::pointAt(c, g.ringOuter(2) + 1, 0.1), t.root()), nullptr);
}

TEST(SunburstLabels, RadialTangentialShortenedOrNone) {
    sunburst::Geometry g;
    g.centre = QPointF(0, 0);
    g.inner = 0;
    g.maxRings = 1;
    const QString ten = QStringLiteral("abcdefghij");
    auto arc = [](double start, double end) { return SunArc{nullptr, 0, start, end, QColor()}; };

    g.ringWidth = 66; // mid radius 33: 55 <= 56, radial
    auto label = sunburst::labelFor(g, arc(0.5, 1.5), ten, false);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, ten);
    EXPECT_NEAR(label->rotation, (1.0 - kPi / 2) * 180 / kPi, 1e-9); // right half: no flip
    // On the left half the radial text is turned by π.
    label = sunburst::labelFor(g, arc(4.2, 5.2), ten, false);
    ASSERT_TRUE(label);
    EXPECT_NEAR(label->rotation, (4.7 - kPi / 2 + kPi) * 180 / kPi, 1e-9);

    g.ringWidth = 30; // mid radius 15: an arc of 67 points needs a span of 67 / 15
    label = sunburst::labelFor(g, arc(0, 67.0 / 15), ten, false);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, ten);
    const double theta = 67.0 / 30 - kPi / 2;
    EXPECT_NEAR(label->rotation, (theta + kPi / 2 - (std::sin(theta) > 0 ? kPi : 0)) * 180 / kPi, 1e-9);

    g.ringWidth = 45; // too short for tangential text: shortened to 5 characters and "…"
    label = sunburst::labelFor(g, arc(0, 1), ten, false);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, QStringLiteral("abcde…"));

    g.ringWidth = 30; // arc length 12.9: no label at all
    EXPECT_FALSE(sunburst::labelFor(g, arc(0, 12.9 / 15), ten, false));
    // Abbreviated labels: initials, unrotated.
    label = sunburst::labelFor(g, arc(0, 2), QStringLiteral("Application Support"), true);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text, QStringLiteral("AS"));
    EXPECT_EQ(label->rotation, 0);
}

} // namespace
