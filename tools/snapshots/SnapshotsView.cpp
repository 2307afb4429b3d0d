#include "tools/snapshots/SnapshotsView.h"

#include "model/ScanViewModel.h"
#include "model/SnapshotStore.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/Divider.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"
#include "tools/snapshots/SnapshotComparison.h"
#include "tools/snapshots/SnapshotSource.h"
#include "tools/snapshots/SnapshotTexts.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

constexpr int kPadding = 20, kSpacing = 16, kListHeight = 220;

ThemedLabel* secondaryText(QWidget* parent) {
    auto* label = new ThemedLabel({}, fonts::ui(12.5), &Theme::textSecondary, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

SnapshotsView::SnapshotsView(ScanViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel),
      source_(std::make_unique<StoreSnapshotSource>(viewModel.snapshotStore())),
      comparison_(new SnapshotComparison(*source_, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    title_ = new ThemedLabel(QStringLiteral("Snapshots"), fonts::ui(15, QFont::DemiBold), &Theme::text, this);
    saving_ = new Spinner(Spinner::kSmall, this);
    take_ = new OutlineButton(
        {.title = QStringLiteral("Take Snapshot Now"), .height = 28, .fontSize = 12},
        [this] {
            if (viewModel_.root()) viewModel_.snapshotStore().save(viewModel_.tree());
        },
        this);
    take_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    header->addWidget(title_);
    header->addStretch(1);
    header->addWidget(saving_);
    header->addWidget(take_);
    layout->addLayout(header);

    empty_ = secondaryText(this);
    empty_->setText(
        QStringLiteral("No snapshots yet. Take one after a scan, then compare it to a later scan."));
    layout->addWidget(empty_);

    list_ = new ListView(new SnapshotRows(*comparison_), this);
    rows_ = new SnapshotListModel(
        [](const Snapshot::Summary& s) { return QString::fromStdString(s.rootPath); }, list_);
    list_->setModel(rows_);
    list_->setFitsRows(true, kListHeight);
    layout->addWidget(list_);
    divider_ = new Divider(Qt::Horizontal, this);
    layout->addWidget(divider_);

    // The comparison pane: one of a message, the busy row, or the heading over the changes.
    message_ = secondaryText(this);
    layout->addWidget(message_);
    comparing_ = new QWidget(this);
    auto* busy = new QHBoxLayout(comparing_);
    busy->setContentsMargins(0, 0, 0, 0);
    busy->setSpacing(8);
    busy->addWidget(new Spinner(Spinner::kSmall, comparing_));
    busy->addWidget(new ThemedLabel(QStringLiteral("Comparing…"), fonts::ui(12.5), &Theme::text, comparing_));
    busy->addStretch(1);
    layout->addWidget(comparing_);
    heading_ = new ThemedLabel({}, fonts::ui(12.5, QFont::Bold), &Theme::text, Qt::ElideRight, this);
    layout->addWidget(heading_);
    noChange_ = secondaryText(this);
    noChange_->setText(QStringLiteral("No folder changed size."));
    layout->addWidget(noChange_);
    changes_ = new ListView(new DeltaRows, this);
    changeRows_ =
        new DeltaListModel([](const Snapshot::Delta& d) { return QString::fromStdString(d.path); }, changes_);
    changes_->setModel(changeRows_);
    layout->addWidget(changes_, 1);
    // Holds everything at the top while the changes' list, which takes the height left, is not shown.
    fill_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding);
    layout->addItem(fill_);

    connect(list_, &ListView::rowButtonClicked, this,
            [this](const QModelIndex& index, int button) { buttonClicked(index.row(), button); });
    SnapshotStore& store = viewModel_.snapshotStore();
    connect(&store, &SnapshotStore::summariesChanged, this, &SnapshotsView::refreshList);
    connect(&store, &SnapshotStore::isSavingChanged, this, &SnapshotsView::refreshHeader);
    connect(&viewModel_, &ScanViewModel::rootChanged, this, &SnapshotsView::refreshHeader);
    connect(&viewModel_, &ScanViewModel::statusChanged, this, &SnapshotsView::refreshHeader);
    connect(comparison_, &SnapshotComparison::picksChanged, list_->viewport(), qOverload<>(&QWidget::update));
    connect(comparison_, &SnapshotComparison::stateChanged, this, &SnapshotsView::refreshPane);
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
    refreshHeader();
    refreshList();
    refreshPane();
}

SnapshotsView::~SnapshotsView() = default;

void SnapshotsView::refreshHeader() {
    const bool saving = viewModel_.snapshotStore().isSaving();
    take_->setTitle(saving ? QStringLiteral("Saving…") : QStringLiteral("Take Snapshot Now"));
    take_->setEnabled(viewModel_.root() && !viewModel_.status().isScanning() && !saving);
    saving_->setVisible(saving);
}

void SnapshotsView::refreshList() {
    const std::vector<Snapshot::Summary>& summaries = viewModel_.snapshotStore().summaries();
    rows_->setRows(summaries);
    const bool none = summaries.empty();
    empty_->setVisible(none);
    list_->setVisible(!none);
    divider_->setVisible(!none);
    refreshPane();
}

void SnapshotsView::refreshPane() {
    using Kind = ComparisonState::Kind;
    const ComparisonState& state = comparison_->state();
    const bool shown = !viewModel_.snapshotStore().summaries().empty();
    switch (state.kind) {
    case Kind::none:
        message_->setText(QStringLiteral("Pick a Before and an After snapshot to see what grew."));
        break;
    case Kind::failed:
        message_->setText(QStringLiteral("Couldn't read one of these snapshots."));
        break;
    case Kind::differentRoots:
        message_->setText(
            QStringLiteral("These snapshots are of different folders. Pick two of the same folder."));
        break;
    case Kind::loading:
    case Kind::ready:
        break;
    }
    const bool ready = state.kind == Kind::ready;
    message_->setVisible(shown && !ready && state.kind != Kind::loading);
    comparing_->setVisible(shown && state.kind == Kind::loading);
    heading_->setVisible(shown && ready);
    heading_->setText(ready ? snapshot_texts::heading(state.from, state.to) : QString());
    noChange_->setVisible(shown && ready && state.deltas.empty());
    const bool listed = shown && ready && !state.deltas.empty();
    if (changeRows_->rows() != state.deltas) changeRows_->setRows(state.deltas);
    changes_->setVisible(listed);
    fill_->changeSize(0, 0, QSizePolicy::Minimum, listed ? QSizePolicy::Fixed : QSizePolicy::Expanding);
    layout()->invalidate();
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
    return saving_->isVisibleTo(this);
}

QString SnapshotsView::emptyText() const {
    return empty_->isVisibleTo(this) ? empty_->text() : QString();
}

QString SnapshotsView::paneText() const {
    if (message_->isVisibleTo(this)) return message_->text();
    if (noChange_->isVisibleTo(this)) return noChange_->text();
    return {};
}

bool SnapshotsView::isComparingShown() const {
    return comparing_->isVisibleTo(this);
}

QString SnapshotsView::headingText() const {
    return heading_->isVisibleTo(this) ? heading_->text() : QString();
}

void SnapshotsView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().background);
}
