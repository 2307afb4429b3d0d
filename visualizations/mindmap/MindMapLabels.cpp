#include "visualizations/mindmap/MindMapLabels.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"

#include <algorithm>
#include <cmath>

namespace mind_map {

QString labelText(const QString& name, bool abbreviate) {
    return canvas_labels::nameLine(name, 31, abbreviate);
}

QString centreText(const QString& name, bool abbreviate) {
    return canvas_labels::nameLine(name, 14, abbreviate);
}

double estimatedWidth(const QString& text) {
    const int characters = canvas_labels::characterCount(text);
    return characters <= 8 ? 56.0 : 7.0 * characters;
}

std::vector<Label> placeLabels(std::span<const Branch> branches, const FileNode* hovered, bool abbreviate) {
    std::vector<size_t> candidates;
    for (size_t i = 0; i < branches.size(); ++i)
        if (branches[i].showsLabel || (hovered && branches[i].node == hovered)) candidates.push_back(i);
    std::stable_sort(candidates.begin(), candidates.end(), [&](size_t a, size_t b) {
        const Branch &x = branches[a], &y = branches[b];
        const bool xHovered = x.node == hovered, yHovered = y.node == hovered;
        if (xHovered != yHovered) return xHovered;
        return x.node->sizeOnDisk > y.node->sizeOnDisk;
    });

    std::vector<Label> placed;
    for (size_t i : candidates) {
        const Branch& b = branches[i];
        const bool leading = std::cos(b.angle) >= 0;
        const double offset = b.dot / 2 + 6;
        const QPointF anchor(b.point.x() + (leading ? offset : -offset), b.point.y());
        QString text = labelText(nodeName(*b.node), abbreviate);
        const double width = estimatedWidth(text);
        const QRectF rect(leading ? anchor.x() : anchor.x() - width, b.point.y() - 14, width, 28);
        if (std::any_of(placed.begin(), placed.end(),
                        [&](const Label& l) { return l.rect.intersects(rect); }))
            continue;
        placed.push_back({i, std::move(text), rect, anchor, leading});
    }
    return placed;
}

} // namespace mind_map
