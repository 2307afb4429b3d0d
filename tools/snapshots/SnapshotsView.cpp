#include "tools/snapshots/SnapshotsView.h"

#include "model/ScanViewModel.h"
#include "model/SnapshotStore.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/ContentSwitch.h"
#include "shell/controls/Divider.h"
#include "shell/controls/ScreenHeader.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"
#include "tools/snapshots/SnapshotComparison.h"
#include "tools/snapshots/SnapshotSource.h"
#include "tools/snapshots/SnapshotTexts.h"

#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kPadding = 20, kSpacing = 16, kListHeight = 220;

// A column of widgets kSpacing apart, as the screen's own.
QVBoxLayout* column(QWidget* widget) {
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    return layout;
}

} // namespace

SnapshotsView::SnapshotsView(ScanViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel),
      source_(std::make_unique<StoreSnapshotSource>(viewModel.snapshotStore())),
      comparison_(new SnapshotComparison(*source_, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);

    header_ = new ScreenHeader(QStringLiteral("Snapshots"), {}, this);
    take_ = header_->addButton(QStringLiteral("Take Snapshot Now"), 28, [this] {
        if (viewModel_.root()) viewModel_.snapshotStore().save(viewModel_.tree());
    });
    layout->addWidget(header_);

    // The stored snapshots, or a message while there are none.
    auto* stored = new QWidget;
    auto* storedColumn = column(stored);
    list_ = new ListView(new SnapshotRows(*comparison_), stored);
    rows_ = new SnapshotListModel([](const Snapshot::Summary& s) { return fromBytes(s.rootPath); }, list_);
    list_->setModel(rows_);
    list_->setFitsRows(true, kListHeight);
    storedColumn->addWidget(list_);
    storedColumn->addWidget(new Divider(Qt::Horizontal, stored));
    snapshots_ = new ContentSwitch(stored, {}, this);
    layout->addWidget(snapshots_);

    // The comparison: a message, the busy row, or the heading over the changes.
    auto* compared = new QWidget;
    auto* comparedColumn = column(compared);
    heading_ = new ThemedLabel({}, fonts::ui(12.5, QFont::Bold), &Theme::text, Qt::ElideRight, compared);
    comparedColumn->addWidget(heading_);
    noChange_ = new ThemedLabel(QStringLiteral("No folder changed size."), fonts::ui(12.5),
                                &Theme::textSecondary, compared);
    noChange_->setWordWrap(true);
    comparedColumn->addWidget(noChange_);
    changes_ = new ListView(new DeltaRows, compared);
    changeRows_ = new DeltaListModel([](const Snapshot::Delta& d) { return fromBytes(d.path); }, changes_);
    changes_->setModel(changeRows_);
    comparedColumn->addWidget(changes_, 1);
    pane_ = new ContentSwitch(compared, {}, this);
    layout->addWidget(pane_, 1);

    connect(list_, &ListView::rowButtonClicked, this,
            [this](const QModelIndex& index, int button) { buttonClicked(index.row(), button); });
    SnapshotStore& store = viewModel_.snapshotStore();
    connect(&store, &SnapshotStore::summariesChanged, this, &SnapshotsView::refreshList);
    connect(&store, &SnapshotStore::isSavingChanged, this, &SnapshotsView::refreshHeader);
    connect(&viewModel_, &ScanViewModel::rootChanged, this, &SnapshotsView::refreshHeader);
    connect(&viewModel_, &ScanViewModel::statusChanged, this, &SnapshotsView::refreshHeader);
    connect(comparison_, &SnapshotComparison::picksChanged, list_->viewport(), qOverload<>(&QWidget::update));
    connect(comparison_, &SnapshotComparison::stateChanged, this, &SnapshotsView::refreshPane);
    refreshHeader();
    refreshList();
    refreshPane();
}

SnapshotsView::~SnapshotsView() = default;

void SnapshotsView::refreshHeader() {
    const bool saving = viewModel_.snapshotStore().isSaving();
    take_->setTitle(saving ? QStringLiteral("Saving…") : QStringLiteral("Take Snapshot Now"));
    take_->setEnabled(viewModel_.root() && !viewModel_.status().isScanning() && !saving);
    header_->setBusy(saving);
}

void SnapshotsView::refreshList() {
    const std::vector<Snapshot::Summary>& summaries = viewModel_.snapshotStore().summaries();
    rows_->setRows(summaries);
    if (summaries.empty())
        snapshots_->showMessage(
            QStringLiteral("No snapshots yet. Take one after a scan, then compare it to a later scan."));
    else
        snapshots_->showContent(false);
    refreshPane();
}

void SnapshotsView::refreshPane() {
    using Kind = ComparisonState::Kind;
    const ComparisonState& state = comparison_->state();
    // Nothing to compare without snapshots.
    pane_->setVisible(!viewModel_.snapshotStore().summaries().empty());
    switch (state.kind) {
    case Kind::none:
        pane_->showMessage(QStringLiteral("Pick a Before and an After snapshot to see what grew."));
        break;
    case Kind::failed:
        pane_->showMessage(QStringLiteral("Couldn't read one of these snapshots."));
        break;
    case Kind::differentRoots:
        pane_->showMessage(
            QStringLiteral("These snapshots are of different folders. Pick two of the same folder."));
        break;
    case Kind::loading:
        pane_->showBusy(QStringLiteral("Comparing…"));
        break;
    case Kind::ready:
        heading_->setText(snapshot_texts::heading(state.from, state.to));
        noChange_->setVisible(state.deltas.empty());
        changes_->setVisible(!state.deltas.empty());
        pane_->showContent(!state.deltas.empty());
        break;
    }
    if (changeRows_->rows() != state.deltas) changeRows_->setRows(state.deltas);
}

void SnapshotsView::buttonClicked(int row, int button) {
    const std::vector<Snapshot::Summary>& summaries = rows_->rows();
    if (row < 0 || size_t(row) >= summaries.size()) return;
    const QUuid id = summaries[size_t(row)].id;
    switch (button) {
    case SnapshotRows::kBefore:
        comparison_->setBefore(comparison_->before() == id ? std::nullopt : std::optional(id));
        break;
    case SnapshotRows::kAfter:
        comparison_->setAfter(comparison_->after() == id ? std::nullopt : std::optional(id));
        break;
    case SnapshotRows::kDelete:
        comparison_->deleteSnapshot(id);
        break;
    }
}

bool SnapshotsView::isSavingIndicatorShown() const {
    return header_->isBusyShown();
}

QString SnapshotsView::emptyText() const {
    return snapshots_->messageText();
}

QString SnapshotsView::paneText() const {
    if (!pane_->isVisibleTo(this)) return {};
    if (pane_->shown() == ContentSwitch::Shown::content)
        return noChange_->isVisibleTo(this) ? noChange_->text() : QString();
    return pane_->messageText();
}

bool SnapshotsView::isComparingShown() const {
    return pane_->isVisibleTo(this) && pane_->shown() == ContentSwitch::Shown::busy;
}

QString SnapshotsView::headingText() const {
    return pane_->isVisibleTo(this) && pane_->shown() == ContentSwitch::Shown::content ? heading_->text()
                                                                                       : QString();
}

void SnapshotsView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().background);
}
