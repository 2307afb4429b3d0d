#include "tools/queue/CleanupQueueView.h"

#include "model/CleanupQueue.h"
#include "model/ScanViewModel.h"
#include "platform/Paths.h"
#include "shell/controls/ConfirmationSheet.h"
#include "shell/controls/ContentSwitch.h"
#include "shell/controls/DestructiveButton.h"
#include "shell/controls/Divider.h"
#include "shell/controls/ScreenHeader.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"

#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kPadding = 16;

} // namespace

CleanupQueueView::CleanupQueueView(ScanViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), queue_(viewModel.cleanupQueue()) {
    resize(kSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ScreenHeader::Style look;
    look.titleSize = 13.5;
    look.margins = {kPadding, 14, kPadding, 14};
    header_ = new ScreenHeader(QStringLiteral("Cleanup Queue"), look, this);
    clear_ = header_->addButton(QStringLiteral("Clear"), 28, [this] { clear(); });
    move_ = new DestructiveButton(QStringLiteral("Move to Trash…"), 28, 12, [this] { askToMove(); });
    header_->addControl(move_);
    layout->addWidget(header_);
    layout->addWidget(new Divider(Qt::Horizontal, this));

    list_ = new ListView(new CleanupQueueRows);
    list_->setSelectionMode(ListView::NoSelection);
    rows_ = new QueueItemListModel(&CleanupQueueRows::nameText, list_);
    list_->setModel(rows_);
    ContentSwitch::Style content;
    content.symbol = QStringLiteral("tray");
    content_ = new ContentSwitch(list_, content, this);
    layout->addWidget(content_, 1);

    banner_ = new ThemedLabel({}, fonts::ui(11), &Theme::used, this);
    banner_->setWordWrap(true);
    banner_->setContentsMargins(kPadding, 10, kPadding, 12);
    layout->addWidget(banner_);

    sheet_ = new ConfirmationSheet(
        QStringLiteral("Move to Trash"), [this] { confirmMove(); }, [this] { cancelMove(); }, this);

    connect(list_, &ListView::rowButtonClicked, this, [this](const QModelIndex& index, int button) {
        if (button == CleanupQueueRows::kRemove) removeItem(QueueItemListModel::at(index).id);
    });
    connect(&queue_, &CleanupQueue::itemsChanged, this, &CleanupQueueView::refresh);
    connect(&queue_, &CleanupQueue::refusalsChanged, this, &CleanupQueueView::refresh);
    refresh();
}

CleanupQueueView::~CleanupQueueView() = default;

void CleanupQueueView::refresh() {
    header_->setSummary(stagedText());
    if (rows_->rows() != queue_.items()) rows_->setRows(queue_.items());
    const bool empty = queue_.items().empty();
    // Nothing to clear in an empty queue; refusal notices alone stay until the next clear or move.
    clear_->setEnabled(!empty);
    // A second confirmation while a move runs would only ask to move the same items again.
    move_->setEnabled(!empty && !moving_);
    move_->setTitle(moving_ ? QStringLiteral("Moving…") : QStringLiteral("Move to Trash…"));
    if (empty)
        content_->showMessage(QStringLiteral("Nothing staged yet. Stage items from any visualization, Quick "
                                             "Wins, Duplicates, or App Uninstaller."));
    else
        content_->showContent();
    banner_->setText(bannerText());
    banner_->setVisible(!banner_->text().isEmpty());
    update();
}

QString CleanupQueueView::stagedText() const {
    return formatBytes(queue_.totalSize()) + QStringLiteral(" staged");
}

QString CleanupQueueView::bannerText() const {
    constexpr size_t kNamed = 3;
    QStringList lines;
    const size_t failed = failures_.size() - moveRefusals_.size();
    if (failed > 0)
        lines << QStringLiteral("Couldn't trash %1 item(s) — check permissions.").arg(qlonglong(failed));
    std::vector<CleanupQueue::Refusal> refusals = queue_.refusals();
    refusals.insert(refusals.end(), moveRefusals_.begin(), moveRefusals_.end());
    for (size_t i = 0; i < std::min(refusals.size(), kNamed); ++i)
        lines << QStringLiteral("“%1” can't go to the Trash. %2")
                     .arg(fromBytes(platform::lastComponent(refusals[i].path)), refusals[i].reason);
    if (refusals.size() > kNamed)
        lines << QStringLiteral("%1 more item(s) can't go to the Trash.")
                     .arg(qlonglong(refusals.size() - kNamed));
    return lines.join(QLatin1Char('\n'));
}

bool CleanupQueueView::isEmptyStateShown() const {
    return content_->shown() == ContentSwitch::Shown::message;
}

bool CleanupQueueView::isConfirmationShown() const {
    return sheet_->isVisibleTo(this);
}
QString CleanupQueueView::confirmationTitle() const {
    return sheet_->title();
}
QString CleanupQueueView::confirmationMessage() const {
    return sheet_->message();
}
WideButton* CleanupQueueView::confirmationMoveButton() const {
    return sheet_->confirmButton();
}
WideButton* CleanupQueueView::confirmationCancelButton() const {
    return sheet_->cancelButton();
}

void CleanupQueueView::clear() {
    queue_.clear();
}

void CleanupQueueView::removeItem(const QUuid& id) {
    queue_.remove(id);
}

void CleanupQueueView::askToMove() {
    if (queue_.items().empty() || moving_) return;
    // Count and size as they are now, when the question is asked.
    sheet_->present(
        QStringLiteral("Move %1 items to Trash?").arg(qlonglong(queue_.items().size())),
        QStringLiteral("This frees %1. Items go to the Trash, not permanent deletion — you can still "
                       "recover them from there.")
            .arg(formatBytes(queue_.totalSize())));
}

void CleanupQueueView::cancelMove() {
    sheet_->hide();
}

void CleanupQueueView::confirmMove() {
    sheet_->hide();
    if (moving_ || queue_.items().empty()) return;
    moving_ = true;
    refresh();
    // The move runs on a pool thread; the window stays responsive. What was moved leaves the tree
    // even when the popover has been closed meanwhile.
    QPointer<CleanupQueueView> self(this);
    ScanViewModel* viewModel = &viewModel_;
    queue_.trashStaged([self, viewModel](const CleanupQueue::TrashResult& result) {
        viewModel->applyTrashed(result.done);
        if (self) self->finishMove(result);
    });
}

void CleanupQueueView::finishMove(const CleanupQueue::TrashResult& result) {
    moving_ = false;
    failures_ = result.failed;
    moveRefusals_ = result.refused;
    refresh();
    if (failures_.empty()) emit dismissRequested();
}

void CleanupQueueView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().background);
}

void CleanupQueueView::resizeEvent(QResizeEvent* event) {
    if (sheet_->isVisible()) sheet_->setGeometry(rect());
    QWidget::resizeEvent(event);
}
