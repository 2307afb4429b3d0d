#include "shell/panels/SidebarView.h"

#include "model/FileNode.h"
#include "model/FolderReports.h"
#include "model/QuickWins.h"
#include "model/ScanViewModel.h"
#include "platform/Desktop.h"
#include "platform/UserFolders.h"
#include "shell/actions/NodeActions.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/ColumnScroll.h"
#include "shell/controls/LabelValueRow.h"
#include "shell/controls/SectionCaption.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/panels/QuickWinRow.h"
#include "shell/panels/TypeBreakdown.h"
#include "shell/panels/UsageRing.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/PlainText.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// A recent folder: a clock symbol and the folder's display name; the tooltip is its path.
class RecentRow : public QWidget {
  public:
    RecentRow(ScanViewModel& model, std::string path, QWidget* parent)
        : QWidget(parent), model_(model), path_(std::move(path)),
          name_(fromBytes(displayName(path_, model.disk().name))) {
        setFixedHeight(26);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setToolTip(plain_text::toolTip(fromBytes(path_)));
        setAccessibleName(name_);
        setCursor(Qt::PointingHandCursor);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& t = theme();
        SmoothPainter painter(this);
        const QString symbol = QStringLiteral("clock.arrow.circlepath");
        const double w = symbols::size(symbol, 9.5).width();
        symbols::paint(painter, QRectF(0, 0, w, height()), symbol, 9.5, t.textTertiary);
        ThemedLabel::paintLine(painter, QRectF(w + 7, 0, width() - w - 7, height()), name_, fonts::ui(12),
                               t.textSecondary);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
            model_.showExplore();
            model_.scan(path_);
        }
    }

  private:
    ScanViewModel& model_;
    std::string path_;
    QString name_;
};

} // namespace

SidebarView::SidebarView(ScanViewModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedWidth(kWidth);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(17, 18, 17, 24);
    column->setSpacing(0);

    // 1-2. Scan buttons.
    column->addWidget(
        new InkButton(QStringLiteral("Scan Full Disk"), QStringLiteral("internaldrive.fill"), 41, 14, [this] {
            model_.showExplore();
            model_.scan("/");
        }));
    column->addSpacing(8);
    auto* places = new QHBoxLayout;
    places->setSpacing(9);
    places->addWidget(new OutlineButton(
        {.title = QStringLiteral("Home"), .systemImage = QStringLiteral("house.fill")}, [this] {
            model_.showExplore();
            model_.scan(platform::homeFolder());
        }));
    places->addWidget(new OutlineButton(
        {.title = QStringLiteral("Folder..."), .systemImage = QStringLiteral("folder.fill")}, [this] {
            model_.showExplore();
            model_.chooseFolder();
        }));
    column->addLayout(places);

    // 3. Recent.
    QVBoxLayout* layout = nullptr;
    recent_ = section(column, 20, 5, &layout);
    layout->addWidget(new SectionCaption(QStringLiteral("Recent"), {}));
    recentRows_ = new QVBoxLayout;
    recentRows_->setSpacing(0);
    layout->addLayout(recentRows_);

    // 4. Disk Storage.
    section(column, 26, 12, &layout);
    diskCaption_ = new SectionCaption(QStringLiteral("Disk Storage"), {});
    layout->addWidget(diskCaption_);
    auto* disk = new QHBoxLayout;
    disk->setSpacing(18);
    // The ring sits a little further left than the column's edge.
    disk->setContentsMargins(-5, 0, 0, 0);
    ring_ = new UsageRing(9);
    ring_->setFixedSize(104, 104);
    disk->addWidget(ring_);
    auto* figures = new QVBoxLayout;
    figures->setSpacing(7);
    total_ = new LabelValueRow(QStringLiteral("Total"), {}, 12, 13, 18);
    used_ = new LabelValueRow(QStringLiteral("Used"), {}, 12, 13, 18);
    free_ = new LabelValueRow(QStringLiteral("Free"), {}, 12, 13, 18);
    for (QWidget* row : {total_, used_, free_})
        figures->addWidget(row);
    disk->addLayout(figures, 1);
    layout->addLayout(disk);

    // 5. Current View.
    current_ = section(column, 22, 0, &layout);
    currentCaption_ = new SectionCaption(QStringLiteral("Current View"), {});
    layout->addWidget(currentCaption_);
    layout->addSpacing(12);
    currentName_ = new ThemedLabel({}, fonts::ui(14, QFont::DemiBold), &Theme::text, Qt::ElideRight);
    layout->addWidget(currentName_);
    layout->addSpacing(6);
    currentPath_ = new ThemedLabel({}, fonts::mono(11), &Theme::textTertiary, Qt::ElideMiddle);
    layout->addWidget(currentPath_);
    layout->addSpacing(14);
    auto* currentButtons = new QHBoxLayout;
    currentButtons->setSpacing(9);
    currentButtons->addWidget(new OutlineButton(
        {.title = QStringLiteral("Reveal"), .systemImage = QStringLiteral("arrow.up.forward.square")},
        [this] {
            model_.showExplore();
            node_actions::reveal(model_.currentFolder());
        }));
    currentButtons->addWidget(new OutlineButton({.title = QStringLiteral("Copy Path"),
                                                 .systemImage = QStringLiteral("doc.on.clipboard.fill"),
                                                 .confirmTitle = QStringLiteral("Copied"),
                                                 .confirmImage = QStringLiteral("checkmark")},
                                                [this] {
                                                    model_.showExplore();
                                                    node_actions::copyPath(model_.currentFolder());
                                                }));
    layout->addLayout(currentButtons);

    // 6. Quick Wins.
    wins_ = section(column, 28, 4, &layout);
    winsCaption_ = new SectionCaption(QStringLiteral("Quick Wins"), {});
    layout->addWidget(winsCaption_);
    layout->addSpacing(6 - 4);
    winRows_ = new QVBoxLayout;
    winRows_->setSpacing(4);
    layout->addLayout(winRows_);

    // 7. File Types.
    types_ = section(column, 18, 0, &layout);
    layout->addWidget(new SectionCaption(QStringLiteral("File Types"), {}));
    layout->addSpacing(10);
    typeBar_ = new TypeBreakdownBar;
    layout->addWidget(typeBar_);
    layout->addSpacing(8);
    typeRows_ = new QVBoxLayout;
    typeRows_->setSpacing(0);
    layout->addLayout(typeRows_);

    column->addStretch(1);
    scroll_ = makeColumnScroll(this, content);

    connect(&model_.recentScans(), &RecentScans::recentsChanged, this, &SidebarView::updateRecents);
    connect(&model_, &ScanViewModel::diskChanged, this, [this] {
        updateDisk();
        updateRecents(); // "/" is shown by the volume's name
        updateCurrentView();
    });
    connect(&model_, &ScanViewModel::currentFolderChanged, this, &SidebarView::updateCurrentView);
    connect(&model_, &ScanViewModel::scanDurationChanged, this, &SidebarView::updateCurrentView);
    connect(&model_, &ScanViewModel::generationChanged, this, &SidebarView::updateCurrentView);
    connect(&model_, &ScanViewModel::quickWinsChanged, this, &SidebarView::updateQuickWins);
    connect(&model_, &ScanViewModel::rootChanged, this, &SidebarView::updateTypes);
    connect(&model_, &ScanViewModel::generationChanged, this, &SidebarView::updateTypes);

    updateRecents();
    updateDisk();
    updateCurrentView();
    updateQuickWins();
    updateTypes();
}

QString SidebarView::scanTimeText(double seconds) {
    return QString::asprintf("%.1fs", seconds) + QStringLiteral(" scan");
}

int64_t SidebarView::quickWinsTotal(const std::vector<QuickWins::Category>& wins) {
    int64_t total = 0;
    for (const auto& win : wins)
        total += win.totalSize();
    return total;
}

QWidget* SidebarView::section(QVBoxLayout* into, int topPadding, int spacing, QVBoxLayout** layout) {
    auto* widget = new QWidget;
    auto* inner = new QVBoxLayout(widget);
    inner->setContentsMargins(0, topPadding, 0, 0);
    inner->setSpacing(spacing);
    into->addWidget(widget);
    *layout = inner;
    return widget;
}

void SidebarView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme().background);
}

void SidebarView::updateRecents() {
    clearLayoutLater(recentRows_);
    for (const std::string& path : model_.recentScans().recents()) {
        auto* row = new RecentRow(model_, path, recent_);
        recentRows_->addWidget(row);
        row->show();
    }
    recent_->setVisible(!model_.recentScans().recents().empty());
}

void SidebarView::updateDisk() {
    const DiskInfo& disk = model_.disk();
    diskCaption_->setTrailing(fromBytes(disk.name));
    ring_->setFraction(disk.usedFraction());
    total_->setValue(formatBytes(disk.total), &Theme::text);
    used_->setValue(formatBytes(disk.usedBytes()), &Theme::used);
    free_->setValue(formatBytes(disk.free), &Theme::free);
}

void SidebarView::updateCurrentView() {
    const FileNode* folder = model_.currentFolder();
    current_->setVisible(folder != nullptr);
    if (!folder) return;
    const std::string path = folder->path();
    currentCaption_->setTrailing(scanTimeText(model_.scanDuration()));
    currentName_->setText(fromBytes(displayName(path, model_.disk().name)));
    currentPath_->setText(fromBytes(path));
    currentPath_->setToolTip(plain_text::toolTip(fromBytes(path)));
}

void SidebarView::updateQuickWins() {
    clearLayoutLater(winRows_);
    const auto& wins = model_.quickWins();
    for (const auto& win : wins) {
        auto* row = new QuickWinRow(model_, win, wins_);
        winRows_->addWidget(row);
        row->show();
    }
    winsCaption_->setTrailing(formatBytes(quickWinsTotal(wins)));
    wins_->setVisible(!wins.empty());
}

void SidebarView::updateTypes() {
    clearLayoutLater(typeRows_);
    const TypeBytes breakdown = FolderReports::rootTypeBreakdown(model_.root());
    typeBar_->setBreakdown(breakdown);
    for (const auto& [category, bytes] : breakdown) {
        auto* row = new TypeLegendRow(category, bytes, types_);
        typeRows_->addWidget(row);
        row->show();
    }
    types_->setVisible(!breakdown.empty());
}
