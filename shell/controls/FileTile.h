#pragma once

#include <QWidget>

class FileNode;
class QPainter;
class ScanViewModel;
struct Theme;

// The row-shaped tile of one file in the folder grid: the category's symbol on a tinted box, the name,
// "<category> · <age>", and the size on disk. A click selects the file, a double click previews it,
// a secondary click shows NodeContextMenu. The tile is drawn selected while its node is the model's
// selected node.
class FileTile : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 60;

    FileTile(ScanViewModel& model, FileNode* node, QWidget* parent = nullptr);

    FileNode* node() const { return node_; }
    bool isSelected() const;

    // The second line: the category's title, " · " and how long ago the file was modified.
    static QString subtitle(const FileNode& node);
    // Draws a tile into `rect`, for views that draw their tiles themselves.
    static void paint(QPainter& painter, const QRectF& rect, const FileNode& node, bool selected,
                      const Theme& theme);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    ScanViewModel& model_;
    FileNode* node_;
};
