#include "shell/panels/inspector/InspectorView.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeActions.h"
#include "shell/canvas/PointerGestures.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/CardBackground.h"
#include "shell/controls/ColumnScroll.h"
#include "shell/controls/LabelValueRow.h"
#include "shell/controls/SectionCaption.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/panels/inspector/InspectorFacts.h"
#include "shell/panels/inspector/KindChip.h"
#include "shell/panels/inspector/LargestRow.h"
#include "shell/panels/inspector/PathLabel.h"
#include "shell/panels/inspector/SizeLine.h"
#include "shell/panels/inspector/SymbolTile.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

using namespace inspector;

namespace {

// A part of the column: a box whose layout has no margins and no spacing.
QWidget* part(QVBoxLayout** layout) {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    *layout = column;
    return box;
}

QWidget* card(QVBoxLayout** layout) {
    auto* box = new CardBackground(14);
    auto* inner = new QVBoxLayout(box);
    inner->setContentsMargins(14, 13, 14, 13);
    inner->setSpacing(0);
    *layout = inner;
    return box;
}

} // namespace

InspectorView::InspectorView(ScanViewModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedWidth(kWidth);
    auto* holder = new QWidget;
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    makeColumnScroll(this, holder);
    // The second click of a double click on a row lands on the row's page, wherever it falls.
    pageGestures_ = new PointerGestures(this);
    pageGestures_->onDoubleTap([this](QPointF) { return openClickedRow(); });
    placeholder_ = buildPlaceholder();
    content_ = buildContent();
    holderLayout->addWidget(placeholder_);
    holderLayout->addWidget(content_);

    connect(&model_, &ScanViewModel::selectedNodeChanged, this, &InspectorView::refresh);
    connect(&model_, &ScanViewModel::currentFolderChanged, this, &InspectorView::refresh);
    connect(&model_, &ScanViewModel::generationChanged, this, &InspectorView::refresh);
    connect(&model_, &ScanViewModel::rootChanged, this, &InspectorView::present);
    connect(&model_, &ScanViewModel::diskChanged, this, &InspectorView::present);
    connect(&model_.cleanupQueue(), &CleanupQueue::itemsChanged, this, &InspectorView::updateStaging);
    present();
}

FileNode* InspectorView::shownNode(const ScanViewModel& model) {
    return model.selectedNode() ? model.selectedNode() : model.currentFolder();
}

void InspectorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme().panel);
}

QWidget* InspectorView::buildPlaceholder() {
    auto* box = new QWidget; // fills the column (the scroll area stretches its widget), so this centres
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(10);
    layout->addStretch(1);
    auto* symbol = new ThemedLabel(symbols::glyph(QStringLiteral("sidebar.right")), fonts::symbol(26),
                                   &Theme::textTertiary, Qt::ElideRight);
    symbol->setAlignment(Qt::AlignHCenter);
    layout->addWidget(symbol);
    auto* text = new ThemedLabel(QStringLiteral("Select an item to inspect it."), fonts::ui(12),
                                 &Theme::textSecondary, Qt::ElideRight);
    text->setAlignment(Qt::AlignHCenter);
    layout->addWidget(text);
    layout->addStretch(1);
    return box;
}

QWidget* InspectorView::buildContent() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(17, 18, 17, 24);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addSpacing(20);
    column->addWidget(buildDetails());
    column->addWidget(buildLargest());
    column->addSpacing(20);
    column->addWidget(buildActions());
    column->addStretch(1);
    for (QWidget* w : content->findChildren<QWidget*>())
        pageGestures_->watch(w);
    return content;
}

// The symbol tile, name and kind, then the path and the size.
QWidget* InspectorView::buildHeader() {
    QVBoxLayout* column = nullptr;
    QWidget* box = part(&column);
    auto* header = new QHBoxLayout;
    header->setSpacing(14);
    tile_ = new SymbolTile;
    header->addWidget(tile_);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(6);
    titles->addStretch(1);
    name_ = new ThemedLabel({}, fonts::ui(16.5, QFont::DemiBold), &Theme::text, Qt::ElideRight);
    titles->addWidget(name_);
    auto* chipRow = new QHBoxLayout;
    kind_ = new KindChip;
    chipRow->addWidget(kind_);
    chipRow->addStretch(1);
    titles->addLayout(chipRow);
    titles->addStretch(1);
    header->addLayout(titles, 1);
    column->addLayout(header);

    column->addSpacing(16);
    path_ = new PathLabel;
    column->addWidget(path_);
    column->addSpacing(12);
    size_ = new SizeLine;
    column->addWidget(size_);
    return box;
}

QWidget* InspectorView::buildDetails() {
    QWidget* details = card(&detailRows_);
    detailRows_->addWidget(new SectionCaption(QStringLiteral("Details"), {}));
    detailRows_->addSpacing(8);
    return details;
}

// "Largest Inside", with the gap above it, so that both go when a node holds nothing.
QWidget* InspectorView::buildLargest() {
    QVBoxLayout* outer = nullptr;
    largest_ = part(&outer);
    outer->setContentsMargins(0, 20, 0, 0);
    QVBoxLayout* layout = nullptr;
    outer->addWidget(card(&layout));
    largestCaption_ = new SectionCaption(QStringLiteral("Largest Inside"), {});
    layout->addWidget(largestCaption_);
    layout->addSpacing(6);
    for (size_t i = 0; i < InspectorFacts::kLargestCount; ++i) {
        largestRows_.push_back(new LargestRow([this](FileNode* node) { rowClicked(node); }));
        layout->addWidget(largestRows_.back());
    }
    return largest_;
}

// Every button acts on the node shown when it is clicked.
QWidget* InspectorView::buildActions() {
    QVBoxLayout* column = nullptr;
    QWidget* box = part(&column);
    auto button = [](const QString& title, const QString& symbol, const QString& confirm,
                     std::function<void()> action) {
        return new OutlineButton(
            {.title = title,
             .systemImage = symbol,
             .fontSize = 13,
             .confirmTitle = confirm,
             .confirmImage = confirm.isEmpty() ? QString() : QStringLiteral("checkmark")},
            std::move(action));
    };
    auto* reveal = button(QStringLiteral("Reveal"), QStringLiteral("arrow.up.forward.square"), {},
                          [this] { node_actions::reveal(node_); });
    auto* preview = button(QStringLiteral("Preview"), QStringLiteral("eye.fill"), {},
                           [this] { node_actions::preview(node_); });
    auto* focus =
        button(QStringLiteral("Focus"), QStringLiteral("scope"), {}, [this] { model_.reveal(node_); });
    auto* copy = button(QStringLiteral("Copy Path"), QStringLiteral("doc.on.clipboard.fill"),
                        QStringLiteral("Copied"), [this] { node_actions::copyPath(node_); });
    placeButtons_ = {reveal, preview, copy};
    auto* row1 = new QHBoxLayout;
    row1->setSpacing(9);
    row1->addWidget(reveal);
    row1->addWidget(preview);
    auto* row2 = new QHBoxLayout;
    row2->setSpacing(9);
    row2->addWidget(focus);
    row2->addWidget(copy);
    column->addLayout(row1);
    column->addSpacing(10);
    column->addLayout(row2);
    column->addSpacing(10 + 2);
    stage_ = new InkButton({}, {}, 42, 14.5, [this] { node_actions::toggleStaged(model_, node_); });
    column->addWidget(stage_);
    return box;
}

void InspectorView::refresh() {
    if (shownNode(model_) != node_ || model_.generation() != generation_) present();
}

void InspectorView::present() {
    node_ = shownNode(model_);
    generation_ = model_.generation();
    if (node_) showFacts(InspectorFacts::of(model_, *node_));
    placeholder_->setVisible(!node_);
    content_->setVisible(node_ != nullptr);
}

void InspectorView::showFacts(const InspectorFacts& f) {
    tile_->setSymbol(f.symbol, f.isFolder, f.category);
    name_->setText(f.name);
    kind_->setKind(f.symbol, f.kind);
    path_->setPath(f.path);
    size_->setSize(f.size, f.share);

    for (size_t i = details_.size(); i < f.details.size(); ++i) {
        details_.push_back(new LabelValueRow({}, {}, 12, 12.5, 26));
        detailRows_->addWidget(details_.back());
        pageGestures_->watch(details_.back());
    }
    for (size_t i = 0; i < details_.size(); ++i) {
        const bool shown = i < f.details.size();
        if (shown) {
            const InspectorFacts::Row& row = f.details[i];
            details_[i]->setLabel(row.label);
            details_[i]->setValue(row.value, row.freeColor ? &Theme::free : &Theme::text);
        }
        details_[i]->setVisible(shown);
    }

    largest_->setVisible(!f.largest.empty());
    largestCaption_->setTrailing(formatCount(f.childCount) + QStringLiteral(" items"));
    for (size_t i = 0; i < largestRows_.size(); ++i) {
        if (i < f.largest.size()) largestRows_[i]->setChild(f.largest[i]);
        largestRows_[i]->setVisible(i < f.largest.size());
    }

    for (OutlineButton* b : placeButtons_) {
        b->endConfirmation(); // "Copied" spoke of the node shown before
        b->setEnabled(f.hasPlace);
    }
    canStage_ = f.canStage;
    updateStaging();
}

void InspectorView::updateStaging() {
    if (!node_) return;
    const bool staged = node_actions::isStaged(model_, node_);
    stage_->setTitle(staged ? QStringLiteral("Staged for Cleanup") : QStringLiteral("Add to Cleanup"));
    stage_->setSystemImage(staged ? QStringLiteral("checkmark") : QStringLiteral("trash.fill"));
    // Something staged may always be taken back; a place in a Trash folder is never staged.
    const QString refusal = staged ? QString() : node_actions::stagingRefusal(model_.cleanupQueue(), node_);
    stage_->setEnabled(canStage_ && refusal.isEmpty());
    stage_->setToolTip(refusal);
}

void InspectorView::rowClicked(FileNode* child) {
    clickedRow_ = child;
    clickedRowTime_.start();
    model_.setSelectedNode(child);
}

bool InspectorView::openClickedRow() {
    if (!clickedRow_ || clickedRow_ != node_ ||
        clickedRowTime_.elapsed() > QApplication::doubleClickInterval())
        return false;
    clickedRow_ = nullptr;
    model_.select(node_);
    return true;
}
