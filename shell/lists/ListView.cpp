#include "shell/lists/ListView.h"

#include "shell/controls/ThemedScrollBar.h"
#include "shell/lists/RowDelegate.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

ListView::ListView(RowDelegate* delegate, QWidget* parent) : QTreeView(parent), delegate_(delegate) {
    delegate_->setParent(this);
    setItemDelegate(delegate_);
    setHeaderHidden(true);
    // The row's width follows the viewport in updateGeometries(): the header's own stretch misses a
    // scroll bar that comes or goes, and rows would run under it.
    header()->setStretchLastSection(false);
    setOutline(false);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false); // a double click opens the row's item instead
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setFrameShape(NoFrame);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollBar(new ThemedScrollBar(Qt::Vertical));
    setHorizontalScrollBar(new ThemedScrollBar(Qt::Horizontal));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover); // rows learn that the pointer is over them
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    applyPalette();
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        // The release that ends a double click is no tap of its own.
        if (!endsDoubleClick_) emit tapped(index);
    });
}

void ListView::applyPalette() {
    // The delegates draw selection and hover themselves; the style's row highlight stays clear.
    QPalette p = palette();
    p.setColor(QPalette::Highlight, Qt::transparent);
    p.setColor(QPalette::HighlightedText, theme().text);
    setPalette(p);
    if (ground_) {
        QPalette ground = viewport()->palette();
        ground.setColor(viewport()->backgroundRole(), theme().*ground_);
        viewport()->setPalette(ground);
    }
}

void ListView::setGround(QColor Theme::*role) {
    ground_ = role;
    viewport()->setAutoFillBackground(role != nullptr);
    applyPalette();
}

bool ListView::event(QEvent* event) {
    if (event->type() == themeChangeEvent()) applyPalette();
    return QTreeView::event(event);
}

void ListView::setOutline(bool on, int indentation) {
    setRootIsDecorated(on);
    setItemsExpandable(on);
    setIndentation(on ? indentation : 0);
}

void ListView::setFitsRows(bool on, int maxHeight) {
    fitsRows_ = on;
    setSizeAdjustPolicy(on ? AdjustToContents : AdjustIgnored);
    setSizePolicy(QSizePolicy::Preferred, on ? QSizePolicy::Fixed : QSizePolicy::Expanding);
    setMaximumHeight(on ? maxHeight : QWIDGETSIZE_MAX);
    updateGeometry();
}

void ListView::setPadding(const QMargins& padding) {
    padding_ = padding;
    updateGeometries();
    updateGeometry();
}

void ListView::updateGeometries() {
    if (placingPadding_) return;
    // The tree view keeps the viewport's margins for its header; this list has none, and its margins
    // are the padding.
    QTreeView::updateGeometries();
    placingPadding_ = true;
    setViewportMargins(padding_);
    placingPadding_ = false;
    fitRowsToViewport();
}

void ListView::fitRowsToViewport() {
    // Called for every viewport resize, also those the tree view ignores while it lays itself out
    // (the scroll bar it shows or hides there narrows or widens the viewport).
    QHeaderView* columns = header();
    const int last = columns->count() - 1;
    if (last < 0) return;
    const int width = std::max(0, viewport()->width() - columns->sectionPosition(last));
    if (columns->sectionSize(last) != width) columns->resizeSection(last, width);
}

QSize ListView::viewportSizeHint() const {
    if (!model() || model()->rowCount(rootIndex()) == 0) return {0, 0};
    return QTreeView::viewportSizeHint();
}

QSize ListView::sizeHint() const {
    if (!fitsRows_) return QTreeView::sizeHint();
    const QSize content = viewportSizeHint();
    return {content.width() + padding_.left() + padding_.right(),
            content.height() + padding_.top() + padding_.bottom()};
}

QSize ListView::minimumSizeHint() const {
    // A fitted list may be as short as its rows, even none.
    if (fitsRows_) return {QTreeView::minimumSizeHint().width(), 0};
    return QTreeView::minimumSizeHint();
}

QRectF ListView::rowRect(const QModelIndex& index) const {
    return visualRect(index);
}

void ListView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    // Only the disclosure chevron, in the slot next to the row; no lines, no style.
    if (!rootIsDecorated() || !model()->hasChildren(index)) return;
    const QRectF slot(rect.right() + 1 - indentation(), rect.top(), indentation(), rect.height());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    symbols::paint(*painter, slot,
                   isExpanded(index) ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"), 10.5,
                   theme().textTertiary);
    painter->restore();
}

// ---- Pointer ------------------------------------------------------------------------------------

std::pair<QModelIndex, int> ListView::buttonAt(QPointF point) const {
    const QModelIndex index = indexAt(point.toPoint());
    if (!index.isValid()) return {index, -1};
    const auto buttons = delegate_->buttons(index, rowRect(index));
    const RowDelegate::Button* button = delegate_->buttonAt(buttons, point);
    if (!button) return {index, -1};
    return {index, button->enabled ? button->id : -2};
}

void ListView::setPointer(const QModelIndex& index, int hovered, int pressed) {
    if (QModelIndex(pointer_.index) == index && pointer_.hovered == hovered && pointer_.pressed == pressed)
        return;
    const QModelIndex old = pointer_.index;
    pointer_ = {QPersistentModelIndex(index), hovered, pressed};
    viewport()->setCursor(hovered >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    for (const QModelIndex& row : {old, index})
        if (row.isValid()) viewport()->update(visualRect(row));
}

void ListView::mousePressEvent(QMouseEvent* event) {
    const auto [index, button] = buttonAt(event->position());
    if (button == -1 || event->button() != Qt::LeftButton) return QTreeView::mousePressEvent(event);
    // A button takes the click: the row is not selected.
    if (button >= 0) setPointer(index, button, button);
    event->accept();
}

void ListView::mouseMoveEvent(QMouseEvent* event) {
    const auto [index, button] = buttonAt(event->position());
    if (pointer_.pressed >= 0) {
        // Dragging off a pressed button disarms it until the pointer comes back.
        const bool back = index == QModelIndex(pointer_.index) && button == pointer_.pressed;
        setPointer(pointer_.index, back ? button : -1, pointer_.pressed);
        return;
    }
    setPointer(button >= 0 ? index : QModelIndex(), std::max(button, -1), -1);
    QTreeView::mouseMoveEvent(event);
}

void ListView::mouseReleaseEvent(QMouseEvent* event) {
    if (pointer_.pressed >= 0) {
        const QModelIndex index = pointer_.index;
        const int pressed = pointer_.pressed;
        const bool over = pointer_.hovered == pressed;
        setPointer(over ? index : QModelIndex(), over ? pressed : -1, -1);
        if (over && index.isValid()) emit rowButtonClicked(index, pressed);
        return;
    }
    QTreeView::mouseReleaseEvent(event);
    endsDoubleClick_ = false;
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // On a button the second click of a pair is one more press of it.
    if (buttonAt(event->position()).second != -1) return mousePressEvent(event);
    endsDoubleClick_ = true;
    QTreeView::mouseDoubleClickEvent(event);
}

void ListView::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex index = indexAt(event->pos());
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // The menu key opens the menu of the keyboard's row, at that row.
        index = currentIndex();
        global = viewport()->mapToGlobal(visualRect(index).center());
    }
    if (!index.isValid()) return event->ignore();
    emit contextMenuRequested(index, global);
    event->accept();
}

bool ListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave && pointer_.pressed < 0) setPointer({}, -1, -1);
    return QTreeView::viewportEvent(event);
}
