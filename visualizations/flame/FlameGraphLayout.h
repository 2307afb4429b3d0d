#pragma once

#include "model/ViewModes.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <span>
#include <vector>

class FileNode;

// The flame graph of a folder: one row per tree level, each block as wide as its share of its
// parent's bytes, children left to right under their parent. Pure functions of the tree, the
// content width, the depth and the colour mode (the view's height plays no part), tested without a
// window. Coordinates are content coordinates: the folder's block spans row 0 from x = 0 to the width.
namespace flame {

constexpr double kRowPitch = 60;         // row r spans y = 60r to 60r + 60
constexpr double kPadding = 14;          // around the content, on every side
constexpr double kMinContentWidth = 200; // a narrower view scrolls nothing sideways: it clips
constexpr double kMinBlockWidth = 1;     // the first child narrower than this ends its parent's run
                                         // (a group narrower than this is only left out)

struct Block {
    FileNode* node = nullptr;
    int row = 0;  // 0 for the folder, one more per level
    double x = 0; // left edge of the block's slot
    double width = 0;
    QColor color; // with its opacity; drawn over the background
};

// The content's size in a view `viewWidth` wide, rows 0 to `depth`.
int contentWidth(int viewWidth);
double contentHeight(int depth);

// The blocks of `source` (the folder, or its regrouping under "By type" and "By age"), `width`
// points wide, in pre-order (a block before its children, children left to right), on rows 0 to
// `depth`. `now` dates the age colours.
std::vector<Block> layout(const FileNode* source, int depth, ColorMode mode, double width, double now);

// The rectangle drawn for a block: its slot inset by one point, never narrower than 0.6 points.
QRectF drawnRect(const Block& block);
double cornerRadius(const QRectF& drawn);

// Whether a block is wide enough for a label: its drawn width is above 44 points.
bool showsLabel(const Block& block);
// The label of a block whose text would be `text` (the folder's path on row 0, else the name): the
// initials of `name` when labels are abbreviated, else the text cut to the block's budget; empty when
// the block is too narrow for one.
QString labelFor(const Block& block, const QString& text, const QString& name, bool abbreviate);

// The node of the block whose slot holds `point`: slots are half-open (x <= px < x + width, and the
// same down the row), so the gap around a drawn block belongs to it. Null elsewhere.
FileNode* hitTest(std::span<const Block> blocks, QPointF point);

} // namespace flame
