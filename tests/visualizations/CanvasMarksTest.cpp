#include "visualizations/bubbles/BubblesView.h"
#include "visualizations/flame/FlameGraphView.h"
#include "visualizations/foldergrid/FolderGridView.h"
#include "visualizations/mindmap/MindMapView.h"
#include "visualizations/sunburst/SunburstView.h"
#include "visualizations/treemap/TreemapView.h"

#include "model/FileNode.h"
#include "shell/actions/CanvasWiring.h"
#include "shell/style/Shapes.h"

#include "tests/shell/ScannedHome.h"
#include "tests/support/InkContrast.h"
#include "tests/support/Mouse.h"
#include "tests/visualizations/Pictures.h"

#include <QApplication>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using ink_contrast::wcag;

enum class Canvas { treemap, sunburst, flame, bubbles, mindMap, folderGrid };

// An item a canvas marks: its edge in the pictured widget's coordinates, how far inside the edge its
// fill shows clear of the mark, and where the pointer hovers it (none: the canvas marks no hover).
struct Item {
    FileNode* node = nullptr;
    QPainterPath edge;
    double fillDepth = 3.5;
    std::optional<QPointF> hoverAt;
};

// A canvas as it is pictured, with the items to mark.
struct Subject {
    std::unique_ptr<QWidget> pictured;
    QWidget* pointer = nullptr; // receives the hover
    std::vector<Item> items;
};

QPainterPath roundedRect(const QRectF& rect, double radius) {
    return shapes::continuousRoundedRect(rect, radius);
}

QPainterPath circle(QPointF centre, double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// The largest item that `pick` takes, by the area of its edge.
template <typename T>
void addLargest(std::vector<Item>& items, const std::vector<T>& all,
                const std::function<bool(const T&)>& pick, const std::function<Item(const T&)>& make) {
    std::optional<Item> best;
    double bestArea = 0;
    for (const T& t : all) {
        if (!pick(t)) continue;
        Item item = make(t);
        const QRectF box = item.edge.boundingRect();
        if (box.width() * box.height() > bestArea) {
            bestArea = box.width() * box.height();
            best = std::move(item);
        }
    }
    if (best) items.push_back(std::move(*best));
}

template <typename View> View* canvasIn(Subject& s, ScanViewModel& vm) {
    auto view = std::make_unique<View>();
    view->resize(900, 700);
    wireCanvas(view.get(), vm);
    View* raw = view.get();
    s.pictured = std::move(view);
    s.pointer = raw;
    return raw;
}

Subject subjectFor(Canvas canvas, ScanViewModel& vm) {
    Subject s;
    switch (canvas) {
    case Canvas::treemap: {
        auto* view = canvasIn<TreemapView>(s, vm);
        const QPointF origin = view->frameRect().topLeft();
        const auto make = [&](const treemap::Cell& c) {
            const double radius =
                std::min(c.isGroup ? 5.0 : 4.0, std::min(c.rect.width(), c.rect.height()) / 2);
            const QRectF r = c.rect.translated(origin);
            // A group is hovered at its header strip, away from its name.
            return Item{c.node, roundedRect(r, radius), 3.5,
                        c.isGroup ? r.topRight() + QPointF(-8, 8) : r.center()};
        };
        for (int depth : {1, 2}) {
            for (bool group : {false, true})
                addLargest<treemap::Cell>(
                    s.items, view->items(),
                    [&](auto& c) { return !c.rest && c.depth == depth && c.isGroup == group; }, make);
        }
        break;
    }
    case Canvas::sunburst: {
        auto* view = canvasIn<SunburstView>(s, vm);
        const auto g = view->geometry();
        for (int ring : {0, 1})
            addLargest<sunburst::SunArc>(
                s.items, view->items(), [&](auto& a) { return a.ring == ring; },
                [&](const sunburst::SunArc& a) {
                    return Item{a.node, sunburst::sectorPath(g, a), 3.5,
                                sunburst::pointAt(g.centre, g.inner + (a.ring + 0.5) * g.ringWidth,
                                                  (a.start + a.end) / 2)};
                });
        break;
    }
    case Canvas::flame: {
        auto view = std::make_unique<FlameGraphView>();
        view->resize(900, 700);
        wireCanvas(view->canvas(), vm);
        FlameGraphCanvas* canvas = view->canvas();
        view->show(); // the scroll area sizes the canvas
        QApplication::processEvents();
        const QPointF offset = canvas->mapTo(view.get(), QPoint(0, 0)) + FlameGraphCanvas::contentOrigin();
        for (int row : {1, 2})
            addLargest<flame::Block>(
                s.items, canvas->items(), [&](auto& b) { return b.row == row; },
                [&](const flame::Block& b) {
                    const QRectF r = flame::drawnRect(b);
                    return Item{b.node, roundedRect(r.translated(offset), flame::cornerRadius(r)), 3.5,
                                FlameGraphCanvas::contentOrigin() + r.center()};
                });
        s.pointer = canvas;
        s.pictured = std::move(view);
        break;
    }
    case Canvas::bubbles: {
        auto* view = canvasIn<BubblesView>(s, vm);
        const auto& drawn = view->bubbles();
        for (bool group : {false, true})
            addLargest<bubbles::Bubble>(
                s.items, drawn, [&](auto& b) { return b.depth > 0 && b.isGroup == group; },
                [&](const bubbles::Bubble& b) {
                    // Hovered off its children, on its own fill.
                    std::optional<QPointF> bare;
                    for (int step = 0; step < 360 && !bare; ++step) {
                        const double angle = step * 3.14159 / 180;
                        const QPointF at =
                            b.center + QPointF(std::cos(angle), std::sin(angle)) * b.radius * 0.95;
                        if (bubbles::hitTest(drawn, at) == b.node) bare = at;
                    }
                    return Item{b.node, circle(b.center, b.radius), 3.5, bare};
                });
        break;
    }
    case Canvas::mindMap: {
        auto* view = canvasIn<MindMapView>(s, vm);
        for (int depth : {1, 2})
            addLargest<mind_map::Branch>(
                s.items, view->items(), [&](auto& b) { return b.depth == depth; },
                // The ring stands 3 points out from the dot, on the background on both sides.
                [&](const mind_map::Branch& b) {
                    return Item{b.node, circle(b.point, b.dot / 2 + 3), 2, b.point};
                });
        break;
    }
    case Canvas::folderGrid: {
        auto view = std::make_unique<FolderGridView>(vm, vm.root());
        view->resize(900, 700);
        view->show();
        QApplication::processEvents();
        const QPointF viewport = view->viewport()->mapTo(view.get(), QPoint(0, 0));
        // Hovering a card lifts it; only the selection is marked.
        const auto& folders = view->partition().folders;
        for (size_t i = 0; i < std::min<size_t>(folders.size(), 2); ++i)
            s.items.push_back(
                {folders[i], folderShape(view->cellOf(folders[i])->translated(viewport)), 3.5, {}});
        if (!view->partition().files.empty()) {
            FileNode* file = view->partition().files.front();
            s.items.push_back({file, roundedRect(view->cellOf(file)->translated(viewport), 12), 3.5, {}});
        }
        s.pointer = view->viewport();
        s.pictured = std::move(view);
        break;
    }
    }
    return s;
}

// One point of an item's edge: how its mark stands out there.
struct EdgeReading {
    double againstFill = 1;     // the mark's strongest pixel against the item's fill
    double againstSurround = 1; // and against what lies around the item
    // The strongest pixel of the band against the surround and the fill, mark or not, with the mark and
    // without it.
    double markedOnSurround = 1, plainOnSurround = 1;
    double markedOnFill = 1, plainOnFill = 1;
};

class Readings {
  public:
    Readings(const QImage& plain, const QImage& marked) : plain_(plain), marked_(marked) {}

    // At `samples` points along the item's edge.
    std::vector<EdgeReading> along(const Item& item, int samples = 96) const {
        std::vector<EdgeReading> readings;
        for (int i = 0; i < samples; ++i) {
            const double t = (i + 0.5) / samples;
            const QPointF p = item.edge.pointAtPercent(t);
            const double angle = item.edge.angleAtPercent(t) * M_PI / 180;
            QPointF normal(-std::sin(angle), -std::cos(angle));
            if (item.edge.contains(p + 2 * normal)) normal = -normal;
            readings.push_back(at(p, normal, item.fillDepth));
        }
        return readings;
    }

  private:
    static QColor pixel(const QImage& image, QPointF point) {
        const double ratio = image.devicePixelRatio();
        const QPoint px(int(std::floor(point.x() * ratio)), int(std::floor(point.y() * ratio)));
        return image.rect().contains(px) ? QColor::fromRgb(image.pixel(px)) : QColor();
    }

    EdgeReading at(QPointF p, QPointF normal, double fillDepth) const {
        EdgeReading r;
        // The fill as the mark shows it (a hover tints it), what lies around as it is without a mark.
        const QColor fill = pixel(marked_, p - fillDepth * normal);
        const QColor plainFill = pixel(plain_, p - fillDepth * normal);
        const QColor surround = pixel(plain_, p + 1.0 * normal);
        if (!fill.isValid() || !surround.isValid()) return r;
        // The mark lies within a point of the edge, either side.
        for (double o = -1; o <= 1 + 1e-9; o += 0.25) {
            const QColor before = pixel(plain_, p + o * normal), after = pixel(marked_, p + o * normal);
            if (!before.isValid() || !after.isValid()) continue;
            r.markedOnSurround = std::max(r.markedOnSurround, wcag(after, surround));
            r.plainOnSurround = std::max(r.plainOnSurround, wcag(before, surround));
            r.markedOnFill = std::max(r.markedOnFill, wcag(after, fill));
            r.plainOnFill = std::max(r.plainOnFill, wcag(before, plainFill));
            // Mark pixels: changed by the mark, and not merely the fill under a hover's tint.
            auto distance = [](const QColor& a, const QColor& b) {
                return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                       std::abs(a.blue() - b.blue());
            };
            if (distance(after, before) <= 12 || distance(after, fill) <= 12) continue;
            r.againstFill = std::max(r.againstFill, wcag(after, fill));
            r.againstSurround = std::max(r.againstSurround, wcag(after, surround));
        }
        return r;
    }

    const QImage& plain_;
    const QImage& marked_;
};

using Param = std::tuple<Canvas, ThemeName, ColorMode>;

class CanvasMarks : public ScannedHomeTest, public ::testing::WithParamInterface<Param> {};

// The selected and the hovered item stand out from their own fill and from what lies around them by
// 3:1 on every canvas, in both themes and every colour mode, and a selected item is no less marked than
// it was unselected. Measured from the pixels drawn with and without the mark, along the item's edge;
// a few points of an edge may lie under a label or by a corner.
TEST_P(CanvasMarks, SelectionAndHoverStandOutFromTheItemAndItsSurround) {
    const auto [canvas, themeName, mode] = GetParam();
    applyThemeAndMode(vm(), {themeName, mode});
    vm().setSelectedNode(nullptr);
    Subject s = subjectFor(canvas, vm());
    ASSERT_GE(s.items.size(), 2u);
    QWidget& pictured = *s.pictured;
    const QColor background = theme().background;
    auto hoverAway = [&] { mouse::hover(*s.pointer, QPointF(-50, -50)); };
    auto picture = [&] {
        QApplication::processEvents();
        return ink_contrast::sharpPicture(pictured, background);
    };
    hoverAway();
    const QImage plain = picture();

    constexpr double kMark = 3.0;
    constexpr double kShare = 0.85; // of an edge's points that must show the mark
    auto expectMarked = [&](const QImage& marked, const Item& item, const std::string& what,
                            bool noLessThanBefore) {
        const Readings readings(plain, marked);
        const std::vector<EdgeReading> along = readings.along(item);
        int standsOut = 0, noLess = 0;
        std::vector<double> fills, surrounds;
        for (const EdgeReading& r : along) {
            standsOut += r.againstFill >= kMark && r.againstSurround >= kMark;
            // Within the spread of antialiased edges drawn anew.
            noLess +=
                r.markedOnSurround >= 0.95 * r.plainOnSurround && r.markedOnFill >= 0.95 * r.plainOnFill;
            fills.push_back(r.againstFill);
            surrounds.push_back(r.againstSurround);
        }
        auto median = [](std::vector<double> v) {
            std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
            return v[v.size() / 2];
        };
        EXPECT_GE(standsOut, int(kShare * along.size()))
            << what << " " << item.node->name() << ": against the fill " << median(fills)
            << ", against the surround " << median(surrounds) << " (medians)";
        if (noLessThanBefore) {
            EXPECT_GE(noLess, int(kShare * along.size()))
                << what << " " << item.node->name() << ": less marked than unselected";
        }
    };

    int hovered = 0;
    for (const Item& item : s.items) {
        vm().setSelectedNode(item.node);
        expectMarked(picture(), item, "selected", true);
        vm().setSelectedNode(nullptr);
        if (!item.hoverAt) continue;
        mouse::hover(*s.pointer, *item.hoverAt);
        expectMarked(picture(), item, "hovered", false);
        hoverAway();
        ++hovered;
    }
    if (canvas != Canvas::folderGrid) {
        EXPECT_EQ(hovered, int(s.items.size()));
    }
}

std::string paramName(const ::testing::TestParamInfo<Param>& info) {
    static const char* names[] = {"Treemap", "Sunburst", "Flame", "Bubbles", "MindMap", "FolderGrid"};
    std::string name = std::string(names[int(std::get<0>(info.param))]) + "_" +
                       std::string(theme_name::rawValue(std::get<1>(info.param))) + "_";
    for (char c : color_mode::rawValue(std::get<2>(info.param)))
        if (c != ' ') name += c;
    return name;
}

INSTANTIATE_TEST_SUITE_P(CanvasesThemesAndModes, CanvasMarks,
                         ::testing::Combine(::testing::Values(Canvas::treemap, Canvas::sunburst,
                                                              Canvas::flame, Canvas::bubbles, Canvas::mindMap,
                                                              Canvas::folderGrid),
                                            ::testing::ValuesIn(theme_name::allCases),
                                            ::testing::ValuesIn(color_mode::allCases)),
                         paramName);

} // namespace
