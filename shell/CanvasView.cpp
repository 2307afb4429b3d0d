#include "shell/CanvasView.h"

#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/HoverChip.h"
#include "shell/Palette.h"
#include "shell/Theme.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

CanvasView::CanvasView(QWidget* parent) : QWidget(parent), chip_(new HoverChip(this)) {
    setMouseTracking(true);
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
}

CanvasView::~CanvasView() = default;

void CanvasView::setState(State state) {
    // Hovered nodes of another tree must not outlive it.
    if (state.tree != state_.tree) setHovered(nullptr);
    state_ = std::move(state);
    update();
}

void CanvasView::setFolder(FileNode* folder) {
    // The hovered node stays until the next hover event, as the pointer has not moved.
    state_.folder = folder;
    update();
}

void CanvasView::setSelected(FileNode* node) {
    state_.selected = node;
    update();
}

void CanvasView::setColorMode(ColorMode mode) {
    state_.colorMode = mode;
    update();
}

void CanvasView::setDepth(int depth) {
    state_.depth = depth;
    update();
}

void CanvasView::setAbbreviateLabels(bool on) {
    state_.abbreviateLabels = on;
    update();
}

FileNode* CanvasView::layoutRoot() const {
    if (!state_.folder || !state_.tree) return state_.folder;
    // The tree hands out its regroupings as const; views never change nodes, but selecting one goes
    // through the state object, which takes mutable nodes.
    switch (state_.colorMode) {
    case ColorMode::type: return const_cast<FileNode*>(state_.tree->categoryGroups(state_.folder));
    case ColorMode::age: return const_cast<FileNode*>(state_.tree->ageGroups(state_.folder, palette::nowStamp()));
    case ColorMode::folder: break;
    }
    return state_.folder;
}

VizKey CanvasView::vizKey() const {
    const QSize size = layoutSize();
    return {state_.generation, state_.folder, size.width(), size.height(), layoutDepth(), state_.colorMode};
}

CanvasKey CanvasView::canvasKey() const {
    return {vizKey(), width(), height(), state_.selected, theme().colorScheme, state_.abbreviateLabels};
}

LayoutInput CanvasView::layoutInput() const {
    const VizKey key = vizKey();
    return {layoutRoot(), key.width, key.height, key.depth, key.mode, palette::nowStamp()};
}

bool CanvasView::showsChipFor(const FileNode* node) const { return node != nullptr; }

void CanvasView::paintOverlay(QPainter&) {}

void CanvasView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (cachesDrawing()) {
        // The selection is drawn over the picture with the hover: a new selection costs an outline,
        // not the whole picture.
        CanvasKey key = canvasKey();
        key.selected = nullptr;
        cached_.paint(painter, key, size(), [this](QPainter& p, QSizeF s) { paintCanvas(p, s); });
    } else {
        paintCanvas(painter, size());
    }
    paintOverlay(painter);
}

// ---- Gestures -----------------------------------------------------------------------------------

void CanvasView::handleHover(std::optional<QPointF> point) {
    if (!point) {
        setHovered(nullptr);
        return;
    }
    // Writes only when the pointer crosses into another node, onto empty canvas or off the view.
    FileNode* node = hitTest(*point);
    if (node != hovered_) setHovered(node);
}

void CanvasView::handleTap(QPointF point) {
    if (FileNode* node = hitTest(point)) emit selectRequested(node);
}

void CanvasView::handleDoubleTap(QPointF point) {
    if (FileNode* node = hitTest(point)) emit openRequested(node);
}

void CanvasView::setHovered(FileNode* node) {
    if (node == hovered_) return;
    hovered_ = node;
    const FileNode* root = state_.tree ? state_.tree->root() : nullptr;
    chip_->setNode(showsChipFor(node) ? node : nullptr, root ? root->sizeOnDisk : 0);
    placeChip();
    update(); // the overlay shows the new hover
    emit hoveredChanged(node);
}

void CanvasView::placeChip() { chip_->move(0, height() - chip_->height()); }

void CanvasView::mouseMoveEvent(QMouseEvent* event) {
    handleHover(event->position());
    QWidget::mouseMoveEvent(event);
}

void CanvasView::leaveEvent(QEvent* event) {
    handleHover(std::nullopt);
    QWidget::leaveEvent(event);
}

void CanvasView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) taps_.press(event->position());
    QWidget::mousePressEvent(event);
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    // The first click of the pair has already selected; the second opens.
    taps_.doubleClick();
    handleDoubleTap(event->position());
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    if (taps_.release(event->position())) handleTap(event->position());
}

void CanvasView::resizeEvent(QResizeEvent* event) {
    if (chip_->node()) chip_->resize(chip_->sizeHint());
    placeChip();
    QWidget::resizeEvent(event);
}
