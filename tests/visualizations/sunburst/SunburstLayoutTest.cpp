#include "visualizations/sunburst/SunburstLayout.h"

#include "shell/style/Palette.h"

#include "tests/support/TestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

using sunburst::SunArc;
constexpr double kPi = sunburst::kTwoPi / 2;

std::vector<SunArc> arcsOf(const FileNode* source, int rings = 7) {
    return sunburst::buildArcs(source, rings, ColorMode::folder, palette::nowStamp());
}

const SunArc* arcOf(const std::vector<SunArc>& arcs, const FileNode* node) {
    auto it = std::find_if(arcs.begin(), arcs.end(), [node](const SunArc& a) { return a.node == node; });
    return it == arcs.end() ? nullptr : &*it;
}

TEST(SunburstArcs, ChildAnglesAddUpToTheParentsAndEveryMidpointHitsItsArc) {
    TestTree t;
    for (int a = 0; a < 4; ++a) {
        FileNode* top = t.folder(t.root(), "top" + std::to_string(a));
        for (int b = 0; b < 3; ++b) {
            FileNode* mid = t.folder(top, "mid" + std::to_string(b));
            for (int c = 0; c < 5; ++c)
                t.file(mid, "f" + std::to_string(c), 1000 * (a + 1) * (c + 2) + 37 * b);
        }
        t.file(top, "loose", 4000 + 500 * a);
    }
    t.finish();
    const auto arcs = arcsOf(t.root());
    ASSERT_FALSE(arcs.empty());
    std::map<const FileNode*, double> childSpans;
    for (const SunArc& a : arcs) {
        EXPECT_LT(a.start, a.end);
        childSpans[a.node->parent()] += a.end - a.start;
    }
    // Nothing here is below the minimum span and sizes add up, so children fill their parent exactly.
    EXPECT_NEAR(childSpans[t.root()], sunburst::kTwoPi, 1e-9);
    for (const SunArc& a : arcs) {
        EXPECT_NEAR(a.node->isDirectory() ? childSpans[a.node] : a.end - a.start, a.end - a.start, 1e-9)
            << a.node->path();
        if (a.node->parent() == t.root()) continue;
        const SunArc* parent = arcOf(arcs, a.node->parent());
        ASSERT_NE(parent, nullptr);
        EXPECT_EQ(a.ring, parent->ring + 1);
        EXPECT_GE(a.start, parent->start - 1e-12);
        EXPECT_LE(a.end, parent->end + 1e-12);
    }

    // The pointer and the drawn sector agree on every arc's middle, and not on the point opposite.
    const auto g = sunburst::Geometry::forSize(QSizeF(1000, 800), 7);
    for (const SunArc& a : arcs) {
        const double mid = (a.start + a.end) / 2, radius = g.inner + (a.ring + 0.5) * g.ringWidth;
        EXPECT_EQ(sunburst::hitTest(g, arcs, sunburst::pointAt(g.centre, radius, mid), t.root()), a.node);
        const QPainterPath path = sunburst::sectorPath(g, a);
        EXPECT_TRUE(path.contains(sunburst::pointAt(g.centre, radius, mid))) << a.node->path();
        EXPECT_TRUE(a.end - a.start >= kPi || !path.contains(sunburst::pointAt(g.centre, radius, mid + kPi)));
    }

    // Two rings: nothing below the second.
    const auto shallow = arcsOf(t.root(), 2);
    EXPECT_TRUE(std::all_of(shallow.begin(), shallow.end(), [](const SunArc& a) { return a.ring <= 1; }));
    EXPECT_EQ(arcOf(shallow, t.root()->children()[0]->children()[0]->children()[0]), nullptr);
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

    TestTree e;
    FileNode* empty = e.folder(e.root(), "empty");
    e.finish();
    EXPECT_TRUE(arcsOf(empty).empty());
    EXPECT_TRUE(arcsOf(e.root()).empty()); // size 0
}

// A recent section too thin to draw comes first, yet hides none after it.
TEST(SunburstArcs, ByAgeATinyRecentSectionHidesNoOlderOne) {
    const double now = palette::nowStamp();
    TestTree t;
    t.file(t.root(), "fresh", 1, FileCategory::document, now - 60);
    FileNode* old = t.file(t.root(), "old", 10'000'000, FileCategory::video, now - 1000 * 86400.0);
    t.finish();
    const auto arcs = sunburst::buildArcs(t.tree->ageGroups(t.root(), now), 7, ColorMode::age, now);
    ASSERT_FALSE(arcs.empty());
    EXPECT_EQ(arcs[0].node->name(), "Older");
    EXPECT_NE(arcOf(arcs, old), nullptr);
}

TEST(SunburstGeometry, HitTestFromTwelveClockwiseWithGaps) {
    TestTree t;
    FileNode* a = t.file(t.root(), "a", 3);
    FileNode* b = t.file(t.root(), "b", 1);
    t.finish();
    t.root()->sizeOnDisk = 5; // a fifth of the circle stays uncovered
    const auto arcs = arcsOf(t.root(), 3);
    const auto g = sunburst::Geometry::forSize(QSizeF(600, 600), 3);
    const QPointF c = g.centre;
    auto at = [&](double radius, double turn) {
        return sunburst::pointAt(c, radius, turn * sunburst::kTwoPi);
    };
    EXPECT_EQ(sunburst::hitTest(g, arcs, c + QPointF(3, 3), t.root()), t.root());    // the disc
    EXPECT_EQ(sunburst::hitTest(g, arcs, c - QPointF(0, g.inner + 5), t.root()), a); // straight up
    EXPECT_EQ(sunburst::hitTest(g, arcs, c + QPointF(g.inner + 5, 0), t.root()), a); // 3 o'clock
    EXPECT_EQ(sunburst::hitTest(g, arcs, at(g.inner + 5, 0.7), t.root()), b);
    EXPECT_EQ(sunburst::hitTest(g, arcs, at(g.inner + 5, 0.9), t.root()), nullptr); // the uncovered gap
    EXPECT_EQ(sunburst::hitTest(g, arcs, at(g.ringOuter(2) + 1, 0.1), t.root()), nullptr);
}

TEST(SunburstLabels, TurnedToReadShortenedOrNone) {
    sunburst::Geometry g;
    g.centre = QPointF(0, 0);
    g.inner = 0;
    g.maxRings = 1;
    g.ringWidth = 66;
    const QString ten = QStringLiteral("abcdefghij");
    auto label = [&](double start, double end) {
        return sunburst::labelFor(g, SunArc{nullptr, 0, start, end, QColor()}, ten, false);
    };
    // Radial text on the left half is turned over by half a turn so it never reads upside down.
    const auto right = label(0.5, 1.5), left = label(4.2, 5.2);
    ASSERT_TRUE(right && left);
    EXPECT_EQ(right->text, ten);
    EXPECT_NEAR(std::remainder(left->rotation - right->rotation - 3.7 * 180 / kPi - 180, 360), 0, 1e-9);
    g.ringWidth = 45;
    const auto shortened = label(0, 1);
    ASSERT_TRUE(shortened);
    EXPECT_TRUE(shortened->text.endsWith(QChar(0x2026)) && ten.startsWith(shortened->text.chopped(1)));
    g.ringWidth = 30;
    EXPECT_FALSE(label(0, 12.9 / 15));
}

} // namespace
