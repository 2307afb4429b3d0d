#include "shell/canvas/CanvasView.h"

#include "model/BackgroundTask.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/canvas/PointerGestures.h"
#include "shell/controls/HoverChip.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Theme.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <chrono>
#include <cmath>
#include <future>
#include <shared_mutex>
#include <utility>

CanvasView::CanvasView(QWidget* parent) : QWidget(parent), chip_(new HoverChip(this)) {
    (new PointerGestures(this))
        ->onHover([this](QPointF point) { handleHover(point); })
        .onLeave([this] { handleHover(std::nullopt); })
        .onTap([this](QPointF point) { return handleTap(point); })
        .onDoubleTap([this](QPointF point) { return handleDoubleTap(point); })
        .onContextMenu(
            [this](QPointF point, QPoint globalPos) { return handleContextMenu(point, globalPos); });
}

CanvasView::~CanvasView() = default;

void CanvasView::setState(State state) {
    // Hovered nodes of another tree must not outlive it, nor describe another folder.
    if (state.tree != state_.tree || state.folder != state_.folder) setHovered(nullptr);
    state_ = std::move(state);
    changed();
}

void CanvasView::setFolder(FileNode* folder) {
    // The hovered node was a node of the folder left, often the one now opened: no chip describes the
    // folder shown. The next move of the pointer finds what lies under it now.
    if (folder != state_.folder) setHovered(nullptr);
    state_.folder = folder;
    changed();
}

void CanvasView::setSelected(FileNode* node) {
    state_.selected = node;
    changed();
}

void CanvasView::setColorMode(ColorMode mode) {
    if (mode != state_.colorMode) fadeFromShown(motion::colorModeChange());
    state_.colorMode = mode;
    changed();
}

void CanvasView::setDepth(int depth) {
    state_.depth = depth;
    changed();
}

void CanvasView::setAbbreviateLabels(bool on) {
    if (on != state_.abbreviateLabels) fadeFromShown(motion::labelAbbreviation());
    state_.abbreviateLabels = on;
    changed();
}

void CanvasView::fadeFromShown(const motion::Curve& curve) {
    if (!motion::animationsEnabled() || !isVisible() || size().isEmpty()) {
        fade_.stop();
        return;
    }
    // What is on screen: the cached picture as last painted (blended with the one before while a fade
    // runs), or for a view that draws on every paint, a drawing of it now.
    QImage shown = cachesDrawing() ? fade_.current(cached_.picture()) : fade_.current(drawnPicture());
    if (shown.isNull() || shown.size() != size() * devicePixelRatioF()) {
        fade_.stop();
        return;
    }
    fade_.start(std::move(shown), this, curve);
}

QImage CanvasView::drawnPicture() {
    const qreal ratio = devicePixelRatioF();
    QImage picture(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    SmoothPainter painter(&picture);
    paintCanvas(painter, size());
    return picture;
}

void CanvasView::changed() {
    stateChanged();
    update();
}

void CanvasView::setDisplayName(DisplayName displayName) {
    displayName_ = std::move(displayName);
    update();
}

QString CanvasView::displayName(const FileNode& node) const {
    return displayName_ ? displayName_(node) : nodeName(node);
}

namespace {

int64_t inlineRegroupLimit = 20'000;
// How long the window thread waits for a regrouping made off it before drawing the frame without
// cells, so that most folders still show at once, without a flash; and the size above which it does
// not wait at all, as the regrouping would not be there in time (about 0.1 microsecond per file).
constexpr auto kRegroupWait = std::chrono::milliseconds(25);
constexpr int64_t kWaitedRegroupLimit = 200'000;

const FileNode* regroup(ScanTree& tree, const FileNode* folder, ColorMode mode, double now) {
    return mode == ColorMode::type ? tree.categoryGroups(folder) : tree.ageGroups(folder, now);
}

} // namespace

int64_t CanvasView::setInlineRegroupLimit(int64_t files) {
    return std::exchange(inlineRegroupLimit, files);
}

FileNode* CanvasView::layoutRoot() const {
    if (!state_.folder || !state_.tree || state_.colorMode == ColorMode::folder) return state_.folder;
    ScanTree& tree = *state_.tree;
    const FileNode* groups = state_.colorMode == ColorMode::type ? tree.findCategoryGroups(state_.folder)
                                                                 : tree.findAgeGroups(state_.folder);
    if (!groups && state_.folder->fileCount() <= inlineRegroupLimit)
        groups = regroup(tree, state_.folder, state_.colorMode, palette::nowStamp());
    if (!groups) groups = regroupOffThread();
    // The tree hands out its regroupings as const; views never change nodes, but selecting one goes
    // through the state object, which takes mutable nodes.
    return const_cast<FileNode*>(groups);
}

const FileNode* CanvasView::regroupOffThread() const {
    const PendingRegroup::Key key{state_.tree.get(), state_.folder, state_.colorMode,
                                  state_.tree->editCount()};
    if (pendingRegroup_ && pendingRegroup_->key == key) return nullptr; // on its way
    static uint64_t lastJob = 0;
    const uint64_t job = ++lastJob;
    pendingRegroup_ = PendingRegroup{key, job};
    auto* self = const_cast<CanvasView*>(this);
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> made = finished->get_future();
    // The job holds the tree, so it outlives the walk, and reads it under the readers' lock. The view
    // is only told to look again: whatever it shows by then, it asks the tree for.
    runInBackground(
        QThreadPool::globalInstance(), self,
        [tree = state_.tree, folder = state_.folder, mode = state_.colorMode, now = palette::nowStamp(),
         finished] {
            {
                std::shared_lock lock(tree->mutex());
                regroup(*tree, folder, mode, now);
            }
            finished->set_value();
            return true;
        },
        [self, job](bool) {
            if (!self->pendingRegroup_ || self->pendingRegroup_->job != job) return;
            self->pendingRegroup_.reset();
            self->update();
        });
    if (key.folder->fileCount() > kWaitedRegroupLimit) return nullptr;
    if (made.wait_for(kRegroupWait) != std::future_status::ready) return nullptr;
    pendingRegroup_.reset(); // here in time: no need to be told again
    return key.mode == ColorMode::type ? state_.tree->findCategoryGroups(key.folder)
                                       : state_.tree->findAgeGroups(key.folder);
}

VizKey CanvasView::vizKey() const {
    const QSize size = layoutSize();
    return {state_.generation, state_.folder,    size.width(), size.height(),
            state_.depth,      state_.colorMode, layoutRoot()};
}

CanvasKey CanvasView::canvasKey() const {
    return {vizKey(), width(), height(), state_.selected, theme().colorScheme, state_.abbreviateLabels};
}

LayoutInput CanvasView::layoutInput() const {
    const VizKey key = vizKey();
    // The key's source, not a second look: a regrouping arriving in between must not be laid out
    // under the key of its absence.
    return {
        const_cast<FileNode*>(key.source), key.width, key.height, key.depth, key.mode, palette::nowStamp()};
}

bool CanvasView::showsChipFor(const FileNode* node) const {
    return node != nullptr;
}

void CanvasView::paintOverlay(QPainter&) {}

void CanvasView::paintEvent(QPaintEvent* event) {
    SmoothPainter painter(this);
    if (cachesDrawing()) {
        // The selection is drawn over the picture with the hover: a new selection costs an outline,
        // not the whole picture.
        CanvasKey key = canvasKey();
        key.selected = nullptr;
        const auto draw = [this](QPainter& p, QSizeF s) { paintCanvas(p, s); };
        if (fade_.isRunning()) {
            cached_.refresh(key, size(), devicePixelRatioF(), draw);
            if (!fade_.paint(painter, cached_.picture(), event->rect()) && !cached_.picture().isNull())
                painter.drawImage(QPointF(0, 0), cached_.picture());
        } else {
            cached_.paint(painter, key, size(), draw);
        }
    } else if (fade_.isRunning()) {
        const QImage now = drawnPicture();
        if (!fade_.paint(painter, now, event->rect())) painter.drawImage(QPointF(0, 0), now);
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

bool CanvasView::handleTap(QPointF point) {
    FileNode* node = hitTest(point);
    if (node) emit selectRequested(node);
    return node;
}

bool CanvasView::handleDoubleTap(QPointF point) {
    // The first click of the pair has already selected; the second opens.
    FileNode* node = hitTest(point);
    if (node) emit openRequested(node);
    return node;
}

bool CanvasView::handleContextMenu(QPointF point, QPoint globalPos) {
    FileNode* node = hitTest(point);
    if (!node) return false;
    // The menu and the inspector speak of the same node.
    emit selectRequested(node);
    emit menuRequested(node, globalPos);
    return true;
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

void CanvasView::setChipHost(QWidget* host) {
    chip_->setParent(host);
    chip_->setVisible(chip_->node() != nullptr);
    chip_->raise();
    host->installEventFilter(this);
    fitChip();
}

void CanvasView::placeChip() {
    chip_->move(0, chip_->parentWidget()->height() - chip_->height());
}

void CanvasView::fitChip() {
    if (chip_->node()) chip_->resize(chip_->sizeHint()); // never wider than what it floats over
    placeChip();
}

void CanvasView::resizeEvent(QResizeEvent* event) {
    fitChip();
    QWidget::resizeEvent(event);
}

bool CanvasView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chip_->parentWidget() && event->type() == QEvent::Resize) fitChip();
    return QWidget::eventFilter(watched, event);
}
