#include "tools/applications/AppUninstallerView.h"

#include "model/AppUninstaller.h"
#include "model/InstalledApps.h"
#include "model/ScanViewModel.h"
#include "model/UninstallFlow.h"
#include "platform/Desktop.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/CardColumn.h"
#include "shell/controls/ContentSwitch.h"
#include "shell/controls/ScreenHeader.h"
#include "shell/controls/Spinner.h"
#include "shell/lists/ListView.h"
#include "shell/style/Formatters.h"
#include "shell/style/Motion.h"
#include "shell/style/PlainText.h"
#include "tools/applications/AppIconCache.h"
#include "tools/applications/AppRow.h"
#include "tools/applications/AppStaging.h"
#include "tools/applications/AppUninstallerTexts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kColumnWidth = 880;

} // namespace

AppUninstallerView::AppUninstallerView(ScanViewModel& viewModel, QWidget* parent, AppIconCache* icons)
    : QWidget(parent), viewModel_(viewModel), icons_(icons ? *icons : AppIconCache::shared()),
      column_(new CardColumn(kColumnWidth, this)), spinnerTimer_(new QTimer(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(column_);
    column_->column()->setSpacing(0);

    ScreenHeader::Style look;
    look.titleSize = 22.5;
    look.margins = {0, 0, 0, 16};
    look.spacing = 12;
    look.summaryBesideTitle = true;
    header_ = new ScreenHeader(QStringLiteral("Applications"), look);
    refresh_ = header_->addButton(QStringLiteral("Refresh"), 26, [this] { refresh(); });
    column_->column()->addWidget(header_);

    AppRow::Source source;
    source.openness = [this](const QUuid& id) { return openness(id); };
    source.isUninstalling = [this](const std::string& path) {
        return viewModel_.uninstallFlow().isUninstalling(path);
    };
    source.spinnerStep = [this] { return spinnerStep_; };
    row_ = new AppRow(icons_, std::move(source));
    list_ = new ListView(row_);
    list_->setUniformRowHeights(false);
    list_->setFitsRows(true);
    list_->setSelectionMode(ListView::NoSelection);
    rows_ = new RowListModel<App>([](const App& app) { return fromBytes(app.displayName); }, list_);
    list_->setModel(rows_);
    ContentSwitch::Style content;
    content.messageSize = 13;
    content.messageMargins = {0, 60, 0, 0};
    content.messageAlignment = Qt::AlignHCenter | Qt::AlignTop;
    content_ = new ContentSwitch(list_, content);
    column_->column()->addWidget(content_);
    column_->column()->addStretch(1);

    connect(list_, &ListView::rowButtonClicked, this, &AppUninstallerView::buttonClicked);
    // Rows paint the generic symbol until their icon has been read.
    connect(&icons_, &AppIconCache::iconLookedUp, list_->viewport(), qOverload<>(&QWidget::update));
    // Enter on a row does what a click on its header does.
    connect(list_, &ListView::activated, this, [this](const QModelIndex& index) {
        if (!AppRow::app(index).leftovers.empty()) toggleExpanded(AppRow::app(index));
    });

    InstalledApps& apps = viewModel_.apps();
    connect(&apps, &InstalledApps::itemsChanged, this, &AppUninstallerView::showApps);
    connect(&apps, &InstalledApps::isLoadingChanged, this, &AppUninstallerView::showLoading);
    connect(&viewModel_.uninstallFlow(), &UninstallFlow::uninstallingChanged, this,
            &AppUninstallerView::uninstallingChanged);

    spinnerTimer_->setInterval(Spinner::kStepMs);
    connect(spinnerTimer_, &QTimer::timeout, this, [this] {
        spinnerStep_ = (spinnerStep_ + 1) % 12;
        list_->viewport()->update();
    });

    showApps();
    showLoading();
    apps.refresh(false);
}

AppUninstallerView::~AppUninstallerView() = default;

// ---- What is shown ------------------------------------------------------------------------------

void AppUninstallerView::showApps() {
    const auto& items = viewModel_.apps().items();
    icons_.newListing();
    rows_->setRows(items);
    header_->setSummary(items.empty() ? QString() : app_texts::summary(items));
    showPlaceholder();
    // A reload gives every application a new id, so no row is open afterwards.
    std::erase_if(openness_, [&](const auto& entry) {
        return std::none_of(items.begin(), items.end(), [&](const App& a) { return a.id == entry.first; });
    });
    relayoutRows();
}

void AppUninstallerView::showLoading() {
    const bool loading = viewModel_.apps().isLoading();
    header_->setBusy(loading);
    refresh_->setEnabled(!loading);
    showPlaceholder();
}

void AppUninstallerView::showPlaceholder() {
    if (!viewModel_.apps().items().empty())
        content_->showContent();
    else
        content_->showMessage(viewModel_.apps().isLoading() ? app_texts::kLoading : app_texts::kEmpty);
}

QMessageBox* AppUninstallerView::confirmation() const {
    return confirmation_;
}

QMessageBox* AppUninstallerView::failureAlert() const {
    return failureAlert_;
}

QString AppUninstallerView::placeholderText() const {
    return content_->messageText();
}

QString AppUninstallerView::summaryText() const {
    return header_->summary();
}

bool AppUninstallerView::isBusyShown() const {
    return header_->isBusyShown();
}

double AppUninstallerView::openness(const QUuid& app) const {
    const auto found = openness_.find(app);
    return found == openness_.end() ? 0.0 : found->second;
}

void AppUninstallerView::relayoutRows() {
    // Row heights follow how far each row is open; the fitted list then asks the column for room.
    list_->doItemsLayout();
    list_->updateGeometry();
    list_->viewport()->update();
}

void AppUninstallerView::uninstallingChanged() {
    const bool any = !viewModel_.uninstallFlow().uninstalling().empty();
    if (any && isVisible() && motion::animationsEnabled())
        spinnerTimer_->start();
    else if (!any)
        spinnerTimer_->stop();
    // Rows trade their button for the spinner and back.
    list_->viewport()->update();
}

void AppUninstallerView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    uninstallingChanged();
}

void AppUninstallerView::hideEvent(QHideEvent* event) {
    spinnerTimer_->stop();
    QWidget::hideEvent(event);
}

// ---- Actions ------------------------------------------------------------------------------------

void AppUninstallerView::refresh() {
    viewModel_.apps().refresh(true);
}

void AppUninstallerView::buttonClicked(const QModelIndex& index, int button) {
    const App& app = AppRow::app(index);
    if (button == AppRow::kHeader) return toggleExpanded(app);
    if (button == AppRow::kUninstall) return requestUninstall(app);
    const int line = button - AppRow::kRevealFirst;
    const AppRowLayout l = row_->layout(index, list_->rowRect(index));
    if (line >= 0 && size_t(line) < l.details.size() && !l.details[size_t(line)].paths.empty())
        platform::desktop().revealItems(l.details[size_t(line)].paths);
}

void AppUninstallerView::toggleExpanded(const App& app) {
    if (!expanded_.erase(app.id)) expanded_.insert(app.id);
    // Every row still moving goes on from where it is towards its own end.
    struct Move {
        double from, to;
    };
    std::map<QUuid, Move> moves;
    for (const auto& [id, open] : openness_)
        moves[id] = {open, expanded_.contains(id) ? 1.0 : 0.0};
    moves[app.id] = {openness(app.id), expanded_.contains(app.id) ? 1.0 : 0.0};
    std::erase_if(moves, [](const auto& m) { return m.second.from == m.second.to; });
    motion::animate(
        this, "rows", 0.0, 1.0, motion::spring(0.2, 0.85),
        [this, moves](const QVariant& value) {
            const double t = value.toDouble();
            for (const auto& [id, move] : moves)
                openness_[id] = std::clamp(move.from + (move.to - move.from) * t, 0.0, 1.0);
            relayoutRows();
        },
        [this, moves] {
            for (const auto& [id, move] : moves) {
                if (move.to > 0)
                    openness_[id] = move.to;
                else
                    openness_.erase(id);
            }
            relayoutRows();
        });
}

namespace {

// An alert over the window: a title and a message, shown as plain text (names and paths may hold '<').
QMessageBox* makeAlert(QWidget* parent, const QString& title, const QString& message) {
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(title);
    plain_text::setMessage(*box, title, message);
    return box;
}

} // namespace

void AppUninstallerView::requestUninstall(const App& app) {
    if (confirmation_) confirmation_->close();
    QMessageBox* box =
        makeAlert(this, app_texts::confirmationTitle(app), app_texts::confirmationMessage(app));
    QPushButton* move = box->addButton(QStringLiteral("Move to Trash"), QMessageBox::DestructiveRole);
    QPushButton* stage = box->addButton(QStringLiteral("Add to Cleanup Queue"), QMessageBox::ActionRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    // The answer acts on the application the alert presented, whatever happens to the list meanwhile.
    connect(box, &QMessageBox::buttonClicked, this, [this, app, move, stage](QAbstractButton* clicked) {
        if (clicked == move) uninstall(app);
        if (clicked == stage) addToCleanupQueue(app);
    });
    confirmation_ = box;
    box->open();
}

void AppUninstallerView::uninstall(const App& app) {
    QPointer<AppUninstallerView> self(this);
    viewModel_.uninstallFlow().uninstall(
        app, [self, name = fromBytes(app.displayName)](std::vector<std::string> failed) {
            if (self && !failed.empty()) self->showFailure(name, failed);
        });
}

void AppUninstallerView::addToCleanupQueue(const App& app) {
    stageForCleanup(viewModel_.cleanupQueue(), app);
}

void AppUninstallerView::showFailure(const QString& appName, const std::vector<std::string>& failed) {
    // A later failure replaces the one shown.
    if (failureAlert_) failureAlert_->close();
    QMessageBox* box = makeAlert(this, app_texts::failureTitle(appName), app_texts::failureMessage(failed));
    box->setEscapeButton(box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    failureAlert_ = box;
    box->open();
}
