#pragma once

#include "visualizations/mindmap/MindMapLayout.h"

#include <QRectF>
#include <QString>

#include <span>
#include <vector>

// Which branches of the mind map get a label, and where: placed greedily, the hovered branch first and
// then the largest, each only where it meets no label placed before it. Widths are estimated from
// character counts, never measured, so placement does not depend on the font at hand.
namespace mind_map {

struct Label {
    size_t branch = 0;   // index into the branches
    QString text;        // the name line (the size line is drawn below it)
    QRectF rect;         // the room it claims
    QPointF anchor;      // where the text's line meets the dot's side, at the dot's height
    bool leading = true; // right of the dot, the text starting at the anchor; else ending at it
};

// A branch's name line: initials, or the name cut to 31 characters.
QString labelText(const QString& name, bool abbreviate);
// The folder's name in the centre disc: initials, or the name cut to 14 characters.
QString centreText(const QString& name, bool abbreviate);
// 56 points for a text of up to 8 characters, else 7 points per character.
double estimatedWidth(const QString& text);

// The labels drawn, in placement order. Candidates are the branches that ask for a label and the
// hovered node's; a candidate whose room intersects a placed label's (QRectF::intersects: rooms that
// only touch do not) is left without one. Dots, connectors and the centre disc never block a label.
std::vector<Label> placeLabels(std::span<const Branch> branches, const FileNode* hovered, bool abbreviate);

} // namespace mind_map
