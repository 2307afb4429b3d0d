#include "visualizations/flame/FlameGraphCanvas.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/canvas/ParallelPaint.h"
#include "shell/canvas/RectRaster.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Contrast.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/ItemMark.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QPainter>

#include <algorithm>

namespace {

using color_blend::over;

// The mark of a block, over `tint`: blocks lie apart on the bare background, so the rim reads on the
// block's fill inside and the background around it.
void mark(QPainter& painter, const flame::Block& block, const QColor& tint, const Theme& t) {
    const QRectF rect = flame::drawnRect(block);
    ItemMark::paintTinted(painter, shapes::continuousRoundedRect(rect, flame::cornerRadius(rect)), tint,
                          over(block.color, t.background), std::span(&t.background, 1), t);
}

} // namespace

FlameGraphCanvas::FlameGraphCanvas(QWidget* parent) : LayoutCanvas(parent) {
    stateChanged();
}

QSize FlameGraphCanvas::layoutSize() const {
    // The height plays no part: the rows are as high as they are, and the view scrolls them.
    return {flame::contentWidth(width()), 0};
}

FlameGraphCanvas::Items FlameGraphCanvas::computeLayout(const LayoutInput& input) const {
    return flame::layout(input.root, input.depth, input.mode, input.width, input.now);
}

FileNode* FlameGraphCanvas::hitTest(QPointF point) const {
    return flame::hitTest(items(), point - contentOrigin());
}

void FlameGraphCanvas::stateChanged() {
    const double padding = 2 * flame::kPadding;
    setMinimumWidth(int(flame::kMinContentWidth + padding));
    setFixedHeight(int(flame::contentHeight(state().depth) + padding));
}

void FlameGraphCanvas::paintCanvas(QPainter& painter, QSizeF) {
    const Items& blocks = items();
    const FileNode* folder = state().folder;
    const QString path = folder ? fromBytes(folder->path()) : QString();
    const std::vector<flame::Label> labels = flame::labelsOf(blocks, path, state().abbreviateLabels);
    painter.translate(contentOrigin());
    const QSizeF content(layoutSize().width(), flame::contentHeight(state().depth));
    flame::paintPicture(painter, content, theme(), blocks, labels, scratch_);
}

void FlameGraphCanvas::paintOverlay(QPainter& painter) {
    if (!hovered() && !state().selected) return;
    painter.save();
    painter.translate(contentOrigin());
    flame::paintOutlines(painter, items(), theme(), state().selected, hovered());
    painter.restore();
}

namespace flame {

std::vector<Label> labelsOf(std::span<const Block> blocks, const QString& folderPath, bool abbreviate) {
    std::vector<Label> labels;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        if (!showsLabel(block)) continue; // most blocks: no name is decoded for them
        const QString name = nodeName(*block.node);
        QString text = labelFor(block, block.row == 0 ? folderPath : name, name, abbreviate);
        if (text.isEmpty()) continue;
        const QRectF drawn = drawnRect(block);
        labels.push_back({QPointF(drawn.left() + 6, drawn.center().y()), std::move(text), i});
    }
    return labels;
}

void paintPicture(QPainter& painter, QSizeF content, const Theme& t, std::span<const Block> blocks,
                  std::span<const Label> labels, QImage& scratch) {
    // Blocks straight into the pixels. Each lies on the bare background, so a translucent colour is
    // filled opaque as it shows there, and its label takes the ink that reads on that.
    std::vector<QColor> inks;
    inks.reserve(labels.size());
    for (const Label& label : labels)
        inks.push_back(contrast::textInk(over(blocks[label.block].color, t.background)));
    rect_raster::rasterInto(painter, content, scratch, [&](QImage& image, QPointF origin, double ratio) {
        rect_raster::Batch batch;
        batch.reserve(blocks.size());
        for (const Block& block : blocks) {
            const QRectF drawn = drawnRect(block);
            batch.fillRoundedRect(QRectF(origin + drawn.topLeft() * ratio, drawn.size() * ratio),
                                  cornerRadius(drawn) * ratio, over(block.color, t.background).rgb());
        }
        batch.draw(image);
        paintBandsInParallel(image, origin, ratio, [&](QPainter& band, const QRectF& visible) {
            band.setFont(fonts::ui(13));
            for (size_t i = 0; i < labels.size(); ++i)
                if (labels[i].anchor.y() + 12 > visible.top() &&
                    labels[i].anchor.y() - 12 < visible.bottom()) {
                    band.setPen(inks[i]);
                    canvas_labels::drawLeading(band, labels[i].anchor, labels[i].text);
                }
        });
    });
}

void paintOutlines(QPainter& painter, std::span<const Block> blocks, const Theme& t, const FileNode* selected,
                   const FileNode* hovered) {
    if (selected) {
        for (const Block& block : blocks)
            if (block.row > 0 && block.node == selected) mark(painter, block, Qt::transparent, t);
    }
    if (!hovered) return;
    const auto found =
        std::find_if(blocks.begin(), blocks.end(), [&](const Block& b) { return b.node == hovered; });
    if (found != blocks.end()) mark(painter, *found, QColor(0, 0, 0, int(255 * 0.12 + 0.5)), t);
}

} // namespace flame
