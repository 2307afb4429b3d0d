#include "visualizations/foldergrid/FolderGridView.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeContextMenu.h"
#include "shell/canvas/PointerGestures.h"
#include "shell/controls/FileTile.h"
#include "shell/controls/ThemedScrollBar.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Motion.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"
#include "visualizations/foldergrid/FolderCard.h"
#include <QThreadPool>

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QThreadPool>

#include <algorithm>
#include <cmath>

using folder_grid::Item;
using folder_grid::ItemKind;

namespace {

constexpr int kScrollStep = 24;
// Painted beyond the viewport's edges, so a lifted card's shadow is not cut at the border.
constexpr double kPaintMargin = 24;
constexpr double kHeaderSpacing = 14, kBadgePadding = 9, kBadgeHeight = 24;

QFont titleFont() {
    return fonts::ui(22.5, QFont::DemiBold);
}
QFont badgeFont() {
    return fonts::ui(11.5, QFont::DemiBold);
}
QFont emptyFont() {
    return fonts::ui(13);
}

} // namespace

FolderGridView::FolderGridView(ScanViewModel& viewModel, FileNode* folder, QWidget* parent)
    : QAbstractScrollArea(parent), viewModel_(viewModel), tree_(viewModel.tree()), folder_(folder) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(kScrollStep);
    (new PointerGestures(viewport()))
        ->onHover([this](QPointF point) { updateHover(point); })
        .onLeave([this] { updateHover(std::nullopt); })
        .onTap([this](QPointF point) { return tap(point); })
        .onDoubleTap([this](QPointF point) { return doubleTap(point); })
        .onContextMenu([this](QPointF point, QPoint globalPos) { return contextMenu(point, globalPos); });
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);

    setVerticalScrollBar(new ThemedScrollBar(Qt::Vertical));
    auto repaint = [this] { viewport()->update(); };
    connect(&viewModel_, &ScanViewModel::filterChanged, this, &FolderGridView::rebuild);
    // Trashed children leave the folder shown.
    connect(&viewModel_, &ScanViewModel::generationChanged, this, &FolderGridView::rebuild);
    connect(&viewModel_.settings(), &ViewSettings::colorModeChanged, this, repaint);
    connect(&viewModel_, &ScanViewModel::selectedNodeChanged, this, repaint);
    // Laid out when it gets its size, which comes before it is first painted.
    repartition();
}

FolderGridView::~FolderGridView() = default;

void FolderGridView::setFolder(FileNode* folder) {
    tree_ = viewModel_.tree();
    folder_ = folder;
    // Back to the top before the cells change, so that no cell of the old folder is hovered on the way.
    verticalScrollBar()->setValue(0);
    rebuild();
}

void FolderGridView::rebuild() {
    repartition();
    layoutValid_ = false;
    relayout();
}

void FolderGridView::repartition() {
    partition_ = {};
    if (folder_) {
        partition_ = folder_grid::partition(
            folder_->children(), [this](const FileNode* child) { return viewModel_.matchesFilter(child); });
    }
    // The hover state names cells that may be gone or elsewhere now.
    hovered_ = nullptr;
    hover_.clear();
    for (auto& [node, owner] : hoverAnimations_)
        delete owner.data();
    hoverAnimations_.clear();
}

void FolderGridView::relayout() {
    // Resizes come twice (the view, then its viewport): lay out once per width.
    if (!layoutValid_ || layout_.width != viewport()->width() ||
        layout_.columns != folder_grid::columnCount(width())) {
        layout_ = folder_grid::layout(partition_.folders.size(), partition_.files.size(), width(),
                                      viewport()->width());
        layoutValid_ = true;
    }
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, int(std::ceil(layout_.height)) - viewport()->height()));
    viewport()->update();
}

QColor FolderGridView::tintAt(size_t index) const {
    return palette::cardColor(*partition_.folders.at(index), viewModel_.settings().colorMode(), int(index));
}

FileNode* FolderGridView::nodeOf(const Item& item) const {
    switch (item.kind) {
    case ItemKind::folderCard:
        return partition_.folders[item.index];
    case ItemKind::fileTile:
        return partition_.files[item.index];
    default:
        return nullptr;
    }
}

std::optional<QRectF> FolderGridView::cellOf(const FileNode* node) const {
    if (!node) return std::nullopt;
    // Cards follow their header, tiles follow theirs: an item's place follows from its list position.
    const auto& folders = partition_.folders;
    const auto& files = partition_.files;
    size_t item = 0;
    if (auto found = std::find(folders.begin(), folders.end(), node); found != folders.end()) {
        item = 1 + size_t(found - folders.begin());
    } else if (auto tile = std::find(files.begin(), files.end(), node);
               tile != files.end() && size_t(tile - files.begin()) < folder_grid::kMaxFileTiles) {
        item = (folders.empty() ? 0 : 1 + folders.size()) + 1 + size_t(tile - files.begin());
    } else {
        return std::nullopt;
    }
    return layout_.items.at(item).rect.translated(0, -verticalScrollBar()->value());
}

FileNode* FolderGridView::nodeAt(QPointF viewportPoint) const {
    const QPointF point = viewportPoint + QPointF(0, verticalScrollBar()->value());
    const Item* item = folder_grid::itemAt(layout_, point);
    if (!item) return nullptr;
    if (item->kind == ItemKind::folderCard && !FolderCard::hits(item->rect, point)) return nullptr;
    return nodeOf(*item);
}

double FolderGridView::hoverAmount(const FileNode* node) const {
    const auto found = hover_.find(node);
    return found == hover_.end() ? 0.0 : found->second;
}

QString FolderGridView::emptyText(const QString& filter) {
    if (filter.isEmpty()) return QStringLiteral("This folder is empty.");
    return QStringLiteral("Nothing here matches \u201C") + filter + QStringLiteral("\u201D.");
}

// ---- Painting -----------------------------------------------------------------------------------

void FolderGridView::warmUp(const ScanViewModel& viewModel, QSize size, double pixelRatio) {
    struct Body {
        QSizeF size;
        QColor tint;
    };
    std::vector<Body> bodies;
    // Whether the folder will need the scroll bar is not known yet.
    for (int scrollBar : {0, ThemedScrollBar::kThickness}) {
        const folder_grid::Layout one = folder_grid::layout(1, 0, size.width(), size.width() - scrollBar);
        for (const Item& item : one.items)
            if (item.kind == ItemKind::folderCard)
                for (const QColor& tint : palette::cardTints(viewModel.settings().colorMode()))
                    bodies.push_back({item.rect.size(), tint});
    }
    const QColor background = theme().background;
    std::erase_if(bodies, [&](const Body& b) {
        return FolderCardBodies::shared().holds(b.size, b.tint, false, background, pixelRatio);
    });
    if (bodies.empty()) return;
    QThreadPool::globalInstance()->start([bodies = std::move(bodies), background, pixelRatio] {
        for (const Body& b : bodies)
            FolderCardBodies::shared().add(
                b.size, b.tint, false, background, pixelRatio,
                FolderCardBodies::draw(b.size, b.tint, false, background, pixelRatio));
    });
}

void FolderGridView::paintEvent(QPaintEvent* event) {
    const Theme& t = theme();
    QPainter painter(viewport());
    // Scrolling moves what is already drawn and asks only for the uncovered strip.
    const QRect dirty = event->rect();
    painter.fillRect(dirty, t.background);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double top = verticalScrollBar()->value();
    painter.translate(0, -top);

    const auto [first, last] = folder_grid::visibleRange(layout_, top + dirty.top() - kPaintMargin,
                                                         top + dirty.bottom() + 1 + kPaintMargin);
    const FileNode* selected = viewModel_.selectedNode();
    for (size_t i = first; i < last; ++i) {
        const Item& item = layout_.items[i];
        switch (item.kind) {
        case ItemKind::folderHeader:
        case ItemKind::fileHeader:
            paintHeader(painter, item);
            break;
        case ItemKind::folderCard: {
            const FileNode* node = partition_.folders[item.index];
            FolderCard(*node, tintAt(item.index), node == selected)
                .paint(painter, item.rect, hoverAmount(node), t, &FolderCardBodies::shared());
            break;
        }
        case ItemKind::fileTile: {
            const FileNode* node = partition_.files[item.index];
            FileTile::paint(painter, item.rect, *node, node == selected, t);
            break;
        }
        case ItemKind::emptyState:
            paintEmptyState(painter, item);
            break;
        }
    }
}

void FolderGridView::paintHeader(QPainter& painter, const Item& item) const {
    const Theme& t = theme();
    const bool folders = item.kind == ItemKind::folderHeader;
    const QString title = folders ? QStringLiteral("Folders") : QStringLiteral("Files");
    const QString count = formatCount(int64_t(folders ? partition_.folders.size() : partition_.files.size()));
    const double centreY = item.rect.center().y();

    const QFontMetricsF titleMetrics(titleFont()), badgeMetrics(badgeFont());
    painter.setFont(titleFont());
    painter.setPen(t.text);
    painter.drawText(
        QPointF(item.rect.left(), centreY + (titleMetrics.ascent() - titleMetrics.descent()) / 2), title);

    const double badgeLeft = item.rect.left() + titleMetrics.horizontalAdvance(title) + kHeaderSpacing;
    const QRectF badge(badgeLeft, centreY - kBadgeHeight / 2,
                       badgeMetrics.horizontalAdvance(count) + 2 * kBadgePadding, kBadgeHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(t.chip);
    painter.drawPath(shapes::capsule(badge));
    painter.setFont(badgeFont());
    painter.setPen(t.textSecondary);
    painter.drawText(
        QPointF(badge.left() + kBadgePadding, centreY + (badgeMetrics.ascent() - badgeMetrics.descent()) / 2),
        count);
}

void FolderGridView::paintEmptyState(QPainter& painter, const Item& item) const {
    // Centred across the whole width, like a line in a frame of unlimited width.
    const QRectF line(0, item.rect.top(), layout_.width, item.rect.height());
    painter.setFont(emptyFont());
    painter.setPen(theme().textSecondary);
    painter.drawText(line, Qt::AlignCenter, emptyText(viewModel_.filter()));
}

// ---- Geometry and scrolling ---------------------------------------------------------------------

void FolderGridView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void FolderGridView::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
    // The content moved under a still pointer.
    const QPoint cursor = viewport()->mapFromGlobal(QCursor::pos());
    updateHover(viewport()->rect().contains(cursor) ? std::optional<QPointF>(cursor) : std::nullopt);
}

// ---- Hover --------------------------------------------------------------------------------------

void FolderGridView::updateHover(std::optional<QPointF> viewportPoint) {
    FileNode* node = viewportPoint ? nodeAt(*viewportPoint) : nullptr;
    if (node && !node->isDirectory()) node = nullptr; // tiles do not lift
    if (node == hovered_) return;
    if (hovered_) animateHover(hovered_, 0);
    hovered_ = node;
    if (hovered_) animateHover(hovered_, 1);
}

void FolderGridView::animateHover(const FileNode* node, double target) {
    QPointer<QObject>& owner = hoverAnimations_[node];
    if (!owner) owner = new QObject(this);
    motion::animate(
        owner, "hover", hoverAmount(node), target, motion::easeOut(0.16),
        [this, node](const QVariant& value) {
            hover_[node] = value.toDouble();
            updateCell(node);
        },
        [this, node, target] {
            if (target > 0) return;
            // At rest again: forget the card.
            hover_.erase(node);
            if (auto found = hoverAnimations_.find(node); found != hoverAnimations_.end()) {
                if (found->second) found->second->deleteLater();
                hoverAnimations_.erase(found);
            }
        });
}

void FolderGridView::updateCell(const FileNode* node) {
    // The card with its lift and its shadow.
    if (const auto cell = cellOf(node))
        viewport()->update(
            cell->adjusted(-kPaintMargin, -kPaintMargin, kPaintMargin, kPaintMargin).toAlignedRect());
}

// ---- Clicks -------------------------------------------------------------------------------------

bool FolderGridView::tap(QPointF viewportPoint) {
    FileNode* node = nodeAt(viewportPoint);
    if (node) viewModel_.setSelectedNode(node);
    return node;
}

bool FolderGridView::doubleTap(QPointF viewportPoint) {
    // The first click of the pair has already selected; the second opens a folder or previews a file.
    FileNode* node = nodeAt(viewportPoint);
    if (!node) return false;
    if (node->isDirectory()) {
        viewModel_.select(node);
    } else {
        NodeContextMenu::trigger(viewModel_, node, NodeContextMenu::Action::preview);
    }
    return true;
}

bool FolderGridView::contextMenu(QPointF viewportPoint, QPoint globalPos) {
    FileNode* node = nodeAt(viewportPoint);
    if (!node) return false;
    // The menu and the inspector speak of the same node.
    viewModel_.setSelectedNode(node);
    NodeContextMenu::popup(viewModel_, node, globalPos);
    return true;
}
