#include "visualizations/topsizes/TopSizesView.h"

#include "model/FileNode.h"
#include "model/FolderReports.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeRowActions.h"
#include "shell/controls/CardBackground.h"
#include "shell/controls/SegmentStrip.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Motion.h"
#include "visualizations/topsizes/TopSizeRow.h"

#include <QHBoxLayout>
#include <QStackedLayout>
#include <QVBoxLayout>

using top_sizes::Scope;

namespace {

constexpr int kSideMargin = 24, kCountSpacing = 8, kPickerInset = 4;

SegmentStrip::Style scopeStyle() {
    SegmentStrip::Style s;
    s.height = 30;
    s.spacing = 2;
    s.selectionRadius = 8;
    s.titleSize = 13;
    s.padSelected = s.padNormal = 13;
    return s;
}

} // namespace

TopSizesView::TopSizesView(ScanViewModel& viewModel, FileNode* folder, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), tree_(viewModel.tree()), folder_(folder) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(kSideMargin, 13, kSideMargin, 10);
    header->setSpacing(kCountSpacing);
    auto* pickerCard = new CardBackground(12, this);
    auto* pickerRow = new QHBoxLayout(pickerCard);
    pickerRow->setContentsMargins(kPickerInset, kPickerInset, kPickerInset, kPickerInset);
    std::vector<SegmentStrip::Segment> segments;
    for (Scope scope : top_sizes::allScopes)
        segments.push_back({{}, top_sizes::title(scope), {}});
    picker_ = new SegmentStrip(std::move(segments), scopeStyle(), SegmentStrip::Titles::all, pickerCard);
    const motion::Curve slide = motion::spring(0.25, 0.85);
    picker_->setGlideCurve(slide.durationMs, slide.easing);
    pickerRow->addWidget(picker_);
    header->addWidget(pickerCard);
    header->addStretch(1);
    count_ = new ThemedLabel(QString(), fonts::ui(11.5), &Theme::textTertiary, this);
    header->addWidget(count_);
    column->addLayout(header);

    area_ = new QStackedLayout;
    rowLook_ = new TopSizeRow(viewModel_);
    list_ = new ListView(rowLook_, this);
    list_->setPadding({kSideMargin, 0, kSideMargin, 24});
    rows_ = new NodeListModel(list_);
    showNodeRows(*list_, *rows_, viewModel_);
    area_->addWidget(list_);
    auto* busy = new QWidget(this);
    auto* centre = new QVBoxLayout(busy);
    spinner_ = new Spinner(Spinner::kRegular, busy);
    centre->addWidget(spinner_, 0, Qt::AlignCenter);
    area_->addWidget(busy);
    column->addLayout(area_, 1);

    connect(picker_, &SegmentStrip::activated, this,
            [this](int i) { setScope(top_sizes::allScopes[size_t(i)]); });
    connect(&viewModel_, &ScanViewModel::filterChanged, this, &TopSizesView::refresh);
    // A removal changes the children and clears the rankings: list again and ask again.
    connect(&viewModel_, &ScanViewModel::generationChanged, this, [this] {
        refresh();
        requestRankings();
    });
    connect(&viewModel_.reports(), &FolderReports::rankingsChanged, this, [this] {
        if (scope_ != Scope::here) refresh();
    });
    // The ring follows the selection, wherever it was chosen.
    connect(&viewModel_, &ScanViewModel::selectedNodeChanged, list_->viewport(),
            qOverload<>(&QWidget::update));

    refresh();
}

TopSizesView::~TopSizesView() = default;

void TopSizesView::setFolder(FileNode* folder) {
    tree_ = viewModel_.tree();
    folder_ = folder;
    refresh();
    list_->scrollToTop();
    requestRankings();
}

void TopSizesView::setScope(Scope scope) {
    picker_->setSelected(int(std::find(top_sizes::allScopes.begin(), top_sizes::allScopes.end(), scope) -
                             top_sizes::allScopes.begin()));
    if (scope == scope_) return;
    scope_ = scope;
    refresh();
    list_->scrollToTop();
    requestRankings();
}

void TopSizesView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitHeader();
}

void TopSizesView::fitHeader() {
    // Too narrow for the picker and the whole count (the smallest window with the inspector open), the
    // count gives way: the buttons keep their size, and a number is never shown cut.
    const int room = width() - 2 * kSideMargin - picker_->parentWidget()->sizeHint().width() - kCountSpacing;
    count_->setVisible(room >= count_->sizeHint().width());
}

bool TopSizesView::isBusy() const {
    return area_->currentIndex() == 1;
}

void TopSizesView::requestRankings() {
    // The state object computes for its own tree only; a view still showing an older one waits for
    // the Explore tab to hand it a folder of the new tree.
    if (scope_ == Scope::here || !folder_ || !tree_ || tree_ != viewModel_.tree()) return;
    viewModel_.requestRankings(folder_);
}

void TopSizesView::refresh() {
    const FolderReports& reports = viewModel_.reports();
    // Stored rankings describe reports.tree(): of any other tree they are not this folder's.
    const Rankings* rankings = tree_ && reports.tree() == tree_ ? reports.rankingsFor(folder_) : nullptr;
    const auto source = top_sizes::source(scope_, folder_, rankings);
    if (source) {
        visible_ = top_sizes::VisibleList(
            *source, folder_, [this](const FileNode* node) { return viewModel_.matchesFilter(node); });
    } else {
        visible_ = {};
    }
    rowLook_->setList(&visible_, scope_ != Scope::here);
    const auto shown = visible_.rows();
    rows_->setNodes(tree_, std::vector<FileNode*>(shown.begin(), shown.end()));
    count_->setText(formatCount(int64_t(visible_.items().size())) + QStringLiteral(" shown"));
    area_->setCurrentIndex(source ? 0 : 1);
    fitHeader();
}
