#pragma once

#include "shell/canvas/CachedCanvas.h"
#include "shell/canvas/CanvasKeys.h"
#include "shell/canvas/FolderView.h"
#include "shell/canvas/LayoutCache.h"
#include "shell/canvas/PictureFade.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FileNode;
class HoverChip;
class ScanTree;

// What a canvas layout is computed from. Layouts are pure functions of this (and the tree below
// `root`), so they are tested without a window.
struct LayoutInput {
    FileNode* root = nullptr; // the folder, or its "By type" / "By age" regrouping; null while that is made
    int width = 0;            // the VizKey's size
    int height = 0;
    int depth = 0;
    ColorMode mode = ColorMode::folder;
    double now = 0; // seconds since 1970, for "By age" colours
};

// The base of the canvas visualisations (treemap, sunburst, flame graph, bubbles, mind map).
//
// The view is told what to show (setState or the single setters) and reports what the user does
// through signals; it never talks to the state object itself. The Explore tab wires them:
//   selectRequested(node) -> ScanViewModel::setSelectedNode(node)   (a click on a node)
//   openRequested(node)   -> ScanViewModel::select(node)            (a double click on a node)
//   menuRequested(node)   -> NodeContextMenu                        (a right click, after selecting)
// A click, double click or right click where no node is drawn emits nothing.
//
// Subclasses derive from LayoutCanvas<Item> (below), which adds the layout cache, and provide
// paintCanvas (drawn into a cached picture, redrawn only when canvasKey() changes other than in its
// selection), optionally paintOverlay (drawn on every paint: the selection and hover outlines), and
// hitTest.
//
// Hover: moving over the canvas updates hovered() (only when the node under the pointer changes) and
// shows the HoverChip at the bottom-left corner; leaving the view, or a new folder, clears it.
class CanvasView : public QWidget, public FolderView {
    Q_OBJECT
  public:
    // The name a view shows for a node in place of its own ("Home" for the home folder and the like).
    using DisplayName = std::function<QString(const FileNode& node)>;

    struct State {
        std::shared_ptr<ScanTree> tree; // owns every node below; held while they are shown
        FileNode* folder = nullptr;     // the folder shown
        int64_t generation = 0;
        ColorMode colorMode = ColorMode::folder;
        int depth = 7; // the levels laid out
        FileNode* selected = nullptr;
        bool abbreviateLabels = false;
    };

    explicit CanvasView(QWidget* parent = nullptr);
    ~CanvasView() override;

    void setState(State state);
    const State& state() const { return state_; }
    // A new folder clears the hover (and its chip) until the pointer moves again.
    void setFolder(FileNode* folder) override;
    void setSelected(FileNode* node);
    // A new colour mode, and labels cut to initials or back, cross-fade from the picture shown to the
    // new one (motion::colorModeChange(), motion::labelAbbreviation()) while the view is shown.
    void setColorMode(ColorMode mode);
    void setDepth(int depth);
    void setAbbreviateLabels(bool on);
    const PictureFade& fade() const { return fade_; }
    void setDisplayName(DisplayName displayName);
    // The node's display name; its own name when none is set.
    QString displayName(const FileNode& node) const;

    FileNode* hovered() const { return hovered_; }
    HoverChip* hoverChip() const { return chip_; }
    // Shows the chip over `host` (a widget around the canvas, such as the scroll area it scrolls in) at
    // the host's bottom-left corner instead of the canvas's, so that it stays in view as the canvas moves.
    void setChipHost(QWidget* host);

    // The node the layout starts from: the folder itself, or its regrouping under "By type" and
    // "By age" (made and kept by the tree). Null without a folder, and while the regrouping of a large
    // folder is still being made on a pool thread: the frame is then drawn without cells, nothing is
    // hit, and the view lays out again when the regrouping arrives.
    FileNode* layoutRoot() const;
    VizKey vizKey() const;
    CanvasKey canvasKey() const;

    // The node drawn at a point in this widget's coordinates, or null.
    virtual FileNode* hitTest(QPointF point) const = 0;

    // Folders holding more files than this (default 20,000) are regrouped on a pool thread; smaller
    // ones at once. For all views of the process; returns the previous limit.
    static int64_t setInlineRegroupLimit(int64_t files);

  signals:
    void selectRequested(FileNode* node);
    void openRequested(FileNode* node);
    void menuRequested(FileNode* node, QPoint globalPos);
    void hoveredChanged(FileNode* node);

  protected:
    // Draws what depends only on canvasKey() but its selection; called only when that changed.
    virtual void paintCanvas(QPainter& painter, QSizeF size) = 0;
    // Drawn over the cached picture on every paint (selection and hover outlines).
    virtual void paintOverlay(QPainter& painter);
    // The size that goes into the VizKey: the widget's size by default (the sunburst lays out angles
    // and passes 0 x 0, the flame graph its width and 0).
    virtual QSize layoutSize() const { return size(); }
    // Whether hovering `node` shows the chip (sunburst, bubbles, mind map: not for the shown folder).
    virtual bool showsChipFor(const FileNode* node) const;
    // False for a view that draws on every paint without the cached picture (the mind map).
    virtual bool cachesDrawing() const { return true; }
    // Called when the state changed (setState and the single setters), before the repaint: a view whose
    // own size follows the state (the flame graph's height follows the depth) sets it here.
    virtual void stateChanged() {}

    LayoutInput layoutInput() const;

    // The shared gesture handlers, called by the view's PointerGestures.
    void handleHover(std::optional<QPointF> point); // nullopt: the pointer left the view
    bool handleTap(QPointF point);
    bool handleDoubleTap(QPointF point);
    bool handleContextMenu(QPointF point, QPoint globalPos);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The regrouping being made off the window thread for this view, if any.
    struct PendingRegroup {
        struct Key {
            const ScanTree* tree = nullptr; // identity only
            const FileNode* folder = nullptr;
            ColorMode mode = ColorMode::folder;
            uint64_t editCount = 0;
            friend bool operator==(const Key&, const Key&) = default;
        } key;
        uint64_t job = 0;
    };

    void changed();
    // Starts a cross-fade from what the view shows now.
    void fadeFromShown(const motion::Curve& curve);
    QImage drawnPicture(); // the picture as it would be drawn now, for a view that does not cache it
    void setHovered(FileNode* node);
    void placeChip();
    void fitChip();
    const FileNode* regroupOffThread() const;

    State state_;
    DisplayName displayName_;
    FileNode* hovered_ = nullptr;
    HoverChip* chip_ = nullptr;
    CachedCanvas cached_;
    PictureFade fade_;
    mutable std::optional<PendingRegroup> pendingRegroup_;
};

// A canvas view with its layout: a list of laid-out items computed by `computeLayout` once per
// VizKey, reused for painting and hit testing until the key changes.
template <typename Item> class LayoutCanvas : public CanvasView {
  public:
    using Items = std::vector<Item>;
    using CanvasView::CanvasView;

    // The current layout; computed here when the key changed.
    const Items& items() const {
        return cache_.value(vizKey(), [this] { return computeLayout(layoutInput()); });
    }

  protected:
    // Pure: the items of `input`, computed without touching the widget (call a free function).
    virtual Items computeLayout(const LayoutInput& input) const = 0;

  private:
    mutable LayoutCache<Items> cache_;
};
