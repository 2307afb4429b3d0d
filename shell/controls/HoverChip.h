#pragma once

#include <QWidget>

#include <cstdint>

class FileNode;

// The floating chip a canvas view shows for the node under the pointer: symbol, name, size on disk,
// share of the scan and, for folders, the file count. It ignores the mouse, so it never takes hover
// or clicks from the canvas below. The texts are taken when the node is set; the chip does not read
// the node again.
class HoverChip : public QWidget {
    Q_OBJECT
  public:
    explicit HoverChip(QWidget* parent = nullptr);

    // Shows the chip for a node (null hides it). `scanSize` is the size on disk of the scan's root.
    void setNode(const FileNode* node, int64_t scanSize);
    const FileNode* node() const { return node_; }

    // What the chip shows.
    QString symbolName() const { return symbol_; }
    QString nameText() const { return name_; }
    QString sizeText() const { return size_; }
    QString shareText() const { return share_; }
    QString countText() const { return count_; } // empty for files

    // Sizes of the chip and of the transparent margin around it (room for its shadow).
    static constexpr int kMargin = 16;
    static constexpr int kChipHeight = 42;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double contentWidth(double nameWidth) const;

    const FileNode* node_ = nullptr;
    QString symbol_, name_, size_, share_, count_;
};
