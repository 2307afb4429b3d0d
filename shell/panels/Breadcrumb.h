#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

class FileNode;
class ScanViewModel;
class SymbolButton;
class CrumbButton;

// The top bar's back button and the trail of folders above the current folder (at most four, ending
// with it). Rebuilt when the current folder or the tree changes.
class Breadcrumb : public QWidget {
    Q_OBJECT
  public:
    explicit Breadcrumb(ScanViewModel& viewModel, QWidget* parent = nullptr);

    // From the outermost folder shown to `folder`: its ancestors up to `root`, at most four entries.
    static std::vector<FileNode*> crumbTrail(FileNode* folder, const FileNode* root);

    // Width with every crumb at its natural size.
    int idealWidth() const;
    // Fits the row into `width`, shortening the longest crumb names first when it is too narrow.
    void fitTo(int width);

    SymbolButton* backButton() const { return back_; }
    std::vector<CrumbButton*> crumbs() const { return crumbs_; }

  signals:
    // The row's natural width changed (a new folder).
    void contentChanged();

  private:
    void rebuild();

    ScanViewModel& viewModel_;
    SymbolButton* back_ = nullptr;
    std::vector<CrumbButton*> crumbs_;
    std::vector<QWidget*> separators_;
    int available_ = 1 << 20;
};

// One crumb: the folder's display name, the last one emphasised on a chip.
class CrumbButton : public QWidget {
    Q_OBJECT
  public:
    CrumbButton(FileNode* node, const QString& title, bool last, QWidget* parent = nullptr);

    FileNode* node() const { return node_; }
    QString title() const { return title_; }
    bool isLast() const { return last_; }
    int naturalWidth() const;
    QSize sizeHint() const override { return {naturalWidth(), 28}; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    FileNode* node_;
    QString title_;
    bool last_;
    bool pressed_ = false;
};
