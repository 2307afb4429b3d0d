#pragma once

#include <QRectF>
#include <QString>

class FileNode;
class QPainter;
struct Theme;

// The row-shaped tile of one file in the folder grid: the category's symbol on a tinted box, the name,
// "<category> · <age>", and the size on disk. Drawn by the view into the cell it lays out; the view
// handles the pointer over it.
class FileTile {
  public:
    static constexpr int kHeight = 60;

    // The second line: the category's title, " · " and how long ago the file was modified.
    static QString subtitle(const FileNode& node);
    // Draws a tile into `rect`.
    static void paint(QPainter& painter, const QRectF& rect, const FileNode& node, bool selected,
                      const Theme& theme);
};
