#include "tools/monitor/StorageCard.h"

#include "model/ScanViewModel.h"
#include "shell/controls/SectionCaption.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Theme.h"
#include "tools/monitor/MonitorCard.h"
#include "tools/monitor/MonitorFigures.h"
#include "tools/monitor/SamplingLoop.h"
#include "tools/monitor/Sparkline.h"
#include "tools/monitor/TextButton.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace monitor {
namespace {

constexpr double kRowSpacing = 8;
constexpr double kBarSpacing = 4;
constexpr double kBarHeight = 5;

QFont nameFont() {
    return fonts::ui(12, QFont::Medium);
}
QFont figuresFont() {
    return fonts::ui(11);
}

} // namespace

VolumeRows::VolumeRows(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    makeOpaqueOnCard(this);
}

void VolumeRows::setVolumes(std::vector<VolumeInfo> volumes) {
    if (volumes == volumes_) return;
    const bool resized = volumes.size() != volumes_.size();
    volumes_ = std::move(volumes);
    if (resized) updateGeometry();
    update();
}

QString VolumeRows::nameText(const DiskInfo& disk) {
    return fromBytes(disk.name);
}

QString VolumeRows::figuresText(const DiskInfo& disk) {
    return formatBytes(disk.usedBytes()) + QStringLiteral(" / ") + formatBytes(disk.total);
}

double VolumeRows::rowHeight() const {
    const double line = std::max(QFontMetricsF(nameFont()).height(), QFontMetricsF(figuresFont()).height());
    return std::ceil(line) + kBarSpacing + kBarHeight;
}

QRectF VolumeRows::barRect(int row) const {
    const double top = row * (rowHeight() + kRowSpacing) + rowHeight() - kBarHeight;
    return {0, top, double(width()), kBarHeight};
}

QRectF VolumeRows::usedRect(int row) const {
    QRectF bar = barRect(row);
    bar.setWidth(monitor_figures::usedBarWidth(volumes_[size_t(row)].disk, bar.width()));
    return bar;
}

int VolumeRows::heightFor(size_t rows) const {
    const double n = double(rows);
    return int(std::ceil(n * rowHeight() + std::max(0.0, n - 1) * kRowSpacing));
}

QSize VolumeRows::sizeHint() const {
    return {0, heightFor(volumes_.size())};
}

QSize VolumeRows::minimumSizeHint() const {
    return sizeHint();
}

void VolumeRows::paintEvent(QPaintEvent*) {
    SmoothPainter painter(this);
    paintCardUnder(painter, this);
    const Theme& t = theme();
    const QFont nf = nameFont(), ff = figuresFont();
    const double line = rowHeight() - kBarSpacing - kBarHeight;
    for (int i = 0; i < int(volumes_.size()); ++i) {
        const DiskInfo& disk = volumes_[size_t(i)].disk;
        const QRectF bar = barRect(i);
        const QRectF text(0, bar.top() - kBarSpacing - line, width(), line);
        const QString figures = figuresText(disk);
        const double figuresWidth = QFontMetricsF(ff).horizontalAdvance(figures);
        ThemedLabel::paintLine(painter, text, figures, ff, t.textTertiary, Qt::AlignRight);
        ThemedLabel::paintLine(painter, text.adjusted(0, 0, -(figuresWidth + 8), 0), nameText(disk), nf,
                               t.text);
        painter.fillPath(shapes::capsule(bar), t.track);
        painter.fillPath(shapes::capsule(usedRect(i)), t.used);
    }
}

} // namespace monitor

StorageCard::StorageCard(const ScanViewModel& viewModel, QWidget* parent)
    : MonitorCard(parent), viewModel_(viewModel) {
    header_ = new CardHeader(QStringLiteral("internaldrive"), QStringLiteral("Storage"), 18, this);
    rows_ = new monitor::VolumeRows(this);
    toggle_ = new TextButton(
        11, 0, [this] { toggle(); }, this);
    auto* caption = new SectionCaption(QStringLiteral("Free space over time"), {}, this);
    history_ = new Sparkline(&Theme::free, std::nullopt, this);
    history_->setFixedHeight(32);
    add(header_);
    add(rows_);
    add(toggle_);
    add(withTopPadding(caption, 4, this));
    add(history_);
    glide_ = std::make_unique<HeightGlide>(rows_);
    refresh();
}

void StorageCard::showFigures(const SamplingLoop& loop) {
    volumes_ = loop.volumes();
    history_->setValues(loop.freeSpaceHistory());
    refresh();
}

void StorageCard::toggle() {
    const int from = rows_->height();
    expanded_ = !expanded_;
    collapsing_ = !expanded_;
    refresh();
    const int to = rows_->heightFor(monitor_figures::shownVolumeCount(volumes_.size(), expanded_));
    glide_->glide(from, to, [this] {
        collapsing_ = false;
        refresh();
    });
}

void StorageCard::refresh() {
    using namespace monitor_figures;
    const int64_t free = volumes_.empty() ? viewModel_.disk().free : volumes_.front().disk.free;
    header_->setHeadline(formatBytes(free) + QStringLiteral(" free"));
    const size_t shown = shownVolumeCount(volumes_.size(), expanded_ || collapsing_);
    rows_->setVolumes(std::vector<VolumeInfo>(volumes_.begin(), volumes_.begin() + std::ptrdiff_t(shown)));
    rows_->setVisible(shown > 0);
    toggle_->setTitle(volumeToggleTitle(volumes_.size(), expanded_));
    toggle_->setVisible(hasVolumeToggle(volumes_.size()));
}
