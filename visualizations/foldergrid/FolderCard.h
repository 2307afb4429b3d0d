#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <list>
#include <mutex>
#include <vector>

class FileNode;
class QPainter;
struct Theme;

// The folder silhouette in `rect` (y grows downward): a tab at the top left, 0.46 of the width, whose
// right shoulder slopes down 20 points to the body's top edge; every corner has a radius of 12. The
// strip right of the tab, above the body, lies outside.
QPainterPath folderShape(const QRectF& rect);

// Pictures of card bodies (silhouette, tint, sheen and outline) by size, tint, selection and
// background. A grid repeats a handful of tints, so painting a screen of cards blits a few pictures
// instead of filling four paths per card. Holds the most recently used few. One process-wide cache
// serves every grid, as the Explore tab builds a new grid each time the Folders mode is chosen.
class FolderCardBodies {
  public:
    static FolderCardBodies& shared();

    // The body for a cell of `size`, drawn at kMargin from the picture's top-left corner.
    QImage body(QSizeF size, QColor tint, bool selected, QColor background, double pixelRatio);

    // The picture body() would draw, drawn on any thread.
    static QImage draw(QSizeF size, QColor tint, bool selected, QColor background, double pixelRatio);
    // Takes a picture drawn ahead (by draw()) unless the cache holds that body already. Any thread may
    // add: a picture drawn ahead serves the next paint as soon as it is in, even when that paint comes
    // before the event loop could have delivered it.
    void add(QSizeF size, QColor tint, bool selected, QColor background, double pixelRatio, QImage picture);
    bool holds(QSizeF size, QColor tint, bool selected, QColor background, double pixelRatio) const;

    // How many pictures body() has drawn (lookups that missed).
    size_t drawnCount() const;

    static constexpr double kMargin = 2; // room for the outline outside the silhouette
    // Every tint of one colour mode (at most the card palette's 12) at the two widths a warm-up draws (with
    // and without the scroll bar), and a selected one.
    static constexpr size_t kCapacity = 2 * 12 + 1;

  private:
    struct Entry {
        QSizeF size;
        QRgb tint;
        bool selected;
        QRgb background;
        double pixelRatio;
        QImage picture; // an image, not a pixmap: the cache outlives the application object
    };
    std::list<Entry>::const_iterator find(QSizeF size, QColor tint, bool selected, QColor background,
                                          double pixelRatio) const;
    void addFront(Entry entry);

    mutable std::mutex mutex_; // guards the fields below
    std::list<Entry> entries_; // most recently used first
    size_t drawn_ = 0;
};

// One subfolder's card in the folder grid: the folder silhouette tinted by the colour mode, with the
// folder's name, its file count, up to three category dots and its size on disk. A value drawn by
// the grid into the cell it lays out; it keeps nothing between paints.
class FolderCard {
  public:
    FolderCard(const FileNode& node, QColor tint, bool isSelected);

    // Draws the card in `cell`. `hover` runs from 0 (at rest) to 1 (pointer over the card): the card
    // rises by up to kHoverLift and its shadow fades in.
    // With `bodies`, the body comes from (and goes into) that cache.
    void paint(QPainter& painter, const QRectF& cell, double hover, const Theme& theme,
               FolderCardBodies* bodies = nullptr) const;

    // The colours of the category dots, left to right: the node's top three categories by bytes, or
    // the colour of "other" alone when it has none.
    std::vector<QColor> categoryDots() const;
    // "1,234 items" (the file count with the locale's grouping; " items" for every count).
    QString itemsText() const;

    // Hover, clicks and the context menu respond inside the silhouette only.
    static bool hits(const QRectF& cell, QPointF point);

    static constexpr double kHoverLift = 2;

  private:
    const FileNode& node_;
    QColor tint_;
    bool selected_;
};
