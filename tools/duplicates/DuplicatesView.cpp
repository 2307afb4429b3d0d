#include "tools/duplicates/DuplicatesView.h"

#include "model/BackgroundTask.h"
#include "model/DuplicateSearch.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "model/ScanViewModel.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/ContentSwitch.h"
#include "shell/controls/ScreenHeader.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"
#include "tools/duplicates/KeepOneCopy.h"

#include <QPainter>
#include <QSet>
#include <QThreadPool>
#include <QVBoxLayout>

namespace {

constexpr int kPadding = 20;

} // namespace

DuplicatesView::DuplicatesView(ScanViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ScreenHeader::Style look;
    look.margins = {kPadding, kPadding, kPadding, kPadding};
    look.height = 28;
    header_ = new ScreenHeader(QStringLiteral("Duplicate Files"), look, this);
    search_ = header_->addButton(QStringLiteral("Scan for Duplicates"), 28,
                                 [this] { viewModel_.findDuplicates(); });
    layout->addWidget(header_);

    // The groups: the summary over their list.
    auto* groups = new QWidget;
    auto* column = new QVBoxLayout(groups);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    summary_ = new ThemedLabel({}, fonts::ui(12), &Theme::textSecondary, Qt::ElideRight, groups);
    summary_->setContentsMargins(kPadding, 0, kPadding, 8);
    column->addWidget(summary_);
    list_ = new ListView(new DuplicateRows, groups);
    list_->setOutline(true, 22);
    list_->setPadding({kPadding - 8, 0, kPadding, kPadding});
    model_ = new DuplicateListModel(
        [](const DuplicateFinder::Group& group) { return std::span<FileNode* const>(group.files); },
        [](const DuplicateFinder::Group& group) { return duplicates_content::groupLabel(group); },
        [](FileNode* const& file) { return nodeName(*file); }, list_);
    list_->setModel(model_);
    column->addWidget(list_, 1);
    ContentSwitch::Style content;
    content.messageMargins = {kPadding, 0, kPadding, kPadding};
    content_ = new ContentSwitch(groups, content, this);
    layout->addWidget(content_, 1);

    // A click on a group's row opens or closes it, as on its chevron.
    connect(list_, &ListView::tapped, this, [this](const QModelIndex& index) {
        if (DuplicateListModel::isSection(index)) list_->setExpanded(index, !list_->isExpanded(index));
    });
    connect(list_, &ListView::rowButtonClicked, this, [this](const QModelIndex& index, int button) {
        if (button == DuplicateRows::kKeep) keepAndStageRest(index);
    });
    DuplicateSearch& search = viewModel_.duplicates();
    connect(&search, &DuplicateSearch::groupsChanged, this, &DuplicatesView::refreshGroups);
    connect(&search, &DuplicateSearch::isSearchingChanged, this, [this] {
        refreshHeader();
        refreshContent();
    });
    connect(&viewModel_, &ScanViewModel::rootChanged, this, [this] {
        refreshHeader();
        refreshContent();
    });
    refreshHeader();
    refreshGroups();
}

DuplicatesView::~DuplicatesView() {
    releaseInBackground(*QThreadPool::globalInstance(), std::move(tree_));
}

void DuplicatesView::refreshHeader() {
    const bool searching = viewModel_.duplicates().isSearching();
    header_->setBusy(searching);
    search_->setVisible(!searching);
    search_->setEnabled(viewModel_.root() != nullptr);
}

void DuplicatesView::refreshGroups() {
    const DuplicateSearch& search = viewModel_.duplicates();
    // The rows are new; a group still listed (after a move to the Trash, or found again) stays open.
    QSet<QUuid> open;
    for (int i = 0; i < model_->rowCount(); ++i) {
        const QModelIndex section = model_->index(i, 0);
        if (list_->isExpanded(section)) open.insert(DuplicateListModel::section(section).id);
    }
    model_->setSections(search.groups());
    for (int i = 0; i < model_->rowCount(); ++i) {
        const QModelIndex section = model_->index(i, 0);
        if (open.contains(DuplicateListModel::section(section).id)) list_->expand(section);
    }
    // Should this be the last hold on a replaced tree, it is freed away from the window thread.
    releaseInBackground(*QThreadPool::globalInstance(), std::exchange(tree_, search.tree()));
    refreshContent();
}

void DuplicatesView::refreshContent() {
    using duplicates_content::Content;
    const std::vector<DuplicateFinder::Group>& groups = model_->sections();
    shown_ = duplicates_content::choose(viewModel_.root() != nullptr, !groups.empty(),
                                        viewModel_.duplicates().isSearching());
    summary_->setText(duplicates_content::summary(groups));
    if (shown_ == Content::groups)
        content_->showContent();
    else
        content_->showMessage(shown_ == Content::needsScan
                                  ? QStringLiteral("Run a scan first.")
                                  : QStringLiteral("No duplicate scan yet, or none found."));
}

void DuplicatesView::keepAndStageRest(const QModelIndex& fileRow) {
    if (!fileRow.isValid() || DuplicateListModel::isSection(fileRow)) return;
    const DuplicateFinder::Group& group = DuplicateListModel::section(fileRow);
    ::keepAndStageRest(viewModel_.cleanupQueue(), group, DuplicateListModel::row(fileRow));
}

bool DuplicatesView::isSearchingShown() const {
    return header_->isBusyShown();
}

QString DuplicatesView::summaryText() const {
    return shown_ == duplicates_content::Content::groups ? summary_->text() : QString();
}

void DuplicatesView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().background);
}
