#include "visualizations/agemap/UntouchedCard.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/Saturating.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeActions.h"
#include "shell/actions/NodeRowActions.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/SectionCaption.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/lists/RowDelegate.h"
#include "shell/style/Contrast.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Motion.h"
#include "shell/style/Palette.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kRowHeight = 41;
constexpr int kStageButton = 1;
constexpr double kIconWidth = 24, kSpacing = 10, kMinGap = 8, kButtonSide = 22;

// The warm colour of the summary line, shaded where it would not read on the theme's card.
const QColor kSummaryColor(234, 88, 12);

QFont nameFont() {
    return fonts::ui(12.5);
}
QFont dateFont() {
    return fonts::ui(10.5);
}
QFont sizeFont() {
    return fonts::ui(12.5, QFont::DemiBold);
}

// One untouched file: its category's symbol, its name over its modification date, its size and the
// stage button.
class UntouchedRows : public RowDelegate {
  public:
    // `initials`: how far the names have gone to initials, 0 to 1 (between while they fade).
    UntouchedRows(ScanViewModel& viewModel, const double& initials)
        : RowDelegate(kRowHeight), viewModel_(viewModel), initials_(initials) {}

    static QRectF buttonRect(const QRectF& row) {
        return {row.right() - kButtonSide, row.center().y() - kButtonSide / 2, kButtonSide, kButtonSide};
    }

    std::vector<Button> buttons(const QModelIndex& index, const QRectF& row) const override {
        // A file the queue refuses (one in a Trash folder) is refused there, with its reason.
        const bool staged = node_actions::isStaged(viewModel_, NodeListModel::node(index));
        return {{kStageButton, buttonRect(row), true,
                 staged ? QStringLiteral("Remove from cleanup") : QStringLiteral("Add to cleanup")}};
    }

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override {
        const Theme& t = theme();
        const FileNode* node = NodeListModel::node(index);
        if (!node) return;
        const QRectF r = row.rect;
        // The category's colour, shaded where it would not read on the card (light ones on white).
        symbols::paint(
            painter, QRectF(r.left(), r.top(), kIconWidth, r.height()),
            palette::categorySymbol(node->category), 11.5,
            contrast::shadedFor(palette::categoryColor(node->category), t.card, contrast::kSecondary));

        const QRectF button = buttonRect(r);
        const QString size = formatBytes(node->sizeOnDisk);
        const double sizeWidth = QFontMetricsF(sizeFont()).horizontalAdvance(size);
        const double sizeRight = button.left() - kSpacing;
        ThemedLabel::paintLine(painter, QRectF(sizeRight - sizeWidth, r.top(), sizeWidth, r.height()), size,
                               sizeFont(), t.text, Qt::AlignRight, Qt::ElideNone);

        // The name over the date, centred as one block.
        const double textLeft = r.left() + kIconWidth + kSpacing;
        const double textWidth = std::max(0.0, sizeRight - sizeWidth - 2 * kSpacing - kMinGap - textLeft);
        const QFontMetricsF nameMetrics(nameFont()), dateMetrics(dateFont());
        const double top = r.center().y() - (nameMetrics.height() + 1 + dateMetrics.height()) / 2;
        // The full name and the initials cross-fade while the labels change.
        const QRectF nameRect(textLeft, top, textWidth, nameMetrics.height());
        const double opacity = painter.opacity();
        for (const auto& [name, share] : {std::pair{nodeName(*node), 1 - initials_},
                                          std::pair{palette::initials(nodeName(*node)), initials_}}) {
            if (share <= 0) continue;
            painter.setOpacity(opacity * share);
            ThemedLabel::paintLine(painter, nameRect, name, nameFont(), t.text, Qt::AlignLeft,
                                   Qt::ElideMiddle);
        }
        painter.setOpacity(opacity);
        ThemedLabel::paintLine(
            painter, QRectF(textLeft, top + nameMetrics.height() + 1, textWidth, dateMetrics.height()),
            relativeDateString(dateFromStamp(node->modifiedStamp)), dateFont(), t.textTertiary);

        const bool staged = node_actions::isStaged(viewModel_, node);
        const Button stage{kStageButton, button, true, {}};
        paintSymbolButton(painter, stage, row, staged ? "checkmark.circle.fill" : "plus.circle", 14,
                          staged ? contrast::shadedFor(t.free, t.card, contrast::kSecondary)
                                 : t.textTertiary);
    }

  private:
    ScanViewModel& viewModel_;
    const double& initials_;
};

} // namespace

const QString& UntouchedCard::reason() {
    static const QString text = QStringLiteral("Big & Untouched");
    return text;
}

UntouchedCard::UntouchedCard(ScanViewModel& viewModel, QWidget* parent)
    : CardBackground(14, parent), viewModel_(viewModel),
      caption_(new SectionCaption("Big & Untouched", "over a year old")), summary_(new QLabel),
      emptyText_(new ThemedLabel("Nothing over 40 MB has sat untouched for a year here.", fonts::ui(12),
                                 &Theme::textSecondary)),
      initials_(viewModel.settings().abbreviateLabels() ? 1 : 0),
      list_(new ListView(new UntouchedRows(viewModel, initials_))), rows_(new NodeListModel(list_)),
      stageButton_(new OutlineButton({.systemImage = "trash", .height = 34}, [this] { stageShown(); })) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 16);
    column->setSpacing(0);
    column->addWidget(caption_);
    column->addSpacing(8);
    summary_->setFont(fonts::ui(12.5, QFont::DemiBold));
    colorSummary();
    column->addWidget(summary_);
    column->addSpacing(10);

    emptyText_->setAlignment(Qt::AlignCenter);
    emptyText_->setWordWrap(true);
    emptyText_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    column->addWidget(emptyText_, 1);

    // The wheel scrolls the rows; no scroll bar shows.
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setMinimumHeight(2 * kRowHeight);
    showNodeRows(*list_, *rows_, viewModel_);
    column->addWidget(list_, 1);
    column->addSpacing(12);
    column->addWidget(stageButton_);

    connect(list_, &ListView::rowButtonClicked, this,
            [this](const QModelIndex& index, int) { toggleStaged(NodeListModel::node(index)); });
    // Staging here or anywhere else, and the abbreviated names, show on the rows.
    auto repaint = [this] { list_->viewport()->update(); };
    connect(&viewModel_.cleanupQueue(), &CleanupQueue::itemsChanged, this, repaint);
    connect(&viewModel_.settings(), &ViewSettings::abbreviateLabelsChanged, this, [this] {
        const double to = viewModel_.settings().abbreviateLabels() ? 1 : 0;
        // Shown, the names fade to their initials or back; hidden, they change at once.
        const motion::Curve curve = isVisible() ? motion::labelAbbreviation() : motion::Curve{};
        motion::animate(this, "labels", initials_, to, curve, [this](const QVariant& value) {
            initials_ = value.toDouble();
            list_->viewport()->update();
        });
    });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFiles(nullptr, {});
}

UntouchedCard::~UntouchedCard() = default;

bool UntouchedCard::event(QEvent* event) {
    if (event->type() == themeChangeEvent()) colorSummary();
    return CardBackground::event(event);
}

void UntouchedCard::colorSummary() {
    QPalette colors = summary_->palette();
    colors.setColor(QPalette::WindowText, contrast::shadedFor(kSummaryColor, theme().card, contrast::kText));
    summary_->setPalette(colors);
}

void UntouchedCard::setFiles(std::shared_ptr<ScanTree> tree, std::span<FileNode* const> files) {
    shown_.assign(files.begin(), files.begin() + std::ptrdiff_t(std::min(files.size(), kShownLimit)));
    total_ = 0;
    for (const FileNode* node : shown_)
        total_ = saturating::add(total_, node->sizeOnDisk);
    summary_->setText(summary());
    const bool empty = shown_.empty();
    emptyText_->setVisible(empty);
    list_->setVisible(!empty);
    stageButton_->setVisible(!empty);
    stageButton_->setTitle(QStringLiteral("Stage top %1 for cleanup").arg(shown_.size()));
    if (tree)
        rows_->setNodes(std::move(tree), shown_);
    else
        rows_->clear();
}

QString UntouchedCard::summary() const {
    return QStringLiteral("%1 across %2 items").arg(formatBytes(total_), formatCount(int64_t(shown_.size())));
}

void UntouchedCard::stageShown() {
    viewModel_.cleanupQueue().addNodes(shown_, reason());
}

void UntouchedCard::toggleStaged(const FileNode* node) {
    if (!node_actions::hasPlace(node)) return;
    CleanupQueue& queue = viewModel_.cleanupQueue();
    const std::string path = node->path();
    if (queue.contains(path))
        queue.remove(path);
    else
        queue.add(node, reason());
}
