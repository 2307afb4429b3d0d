#include "tools/monitor/SystemCards.h"

#include "shell/controls/SectionCaption.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"
#include "tools/monitor/MonitorFigures.h"
#include "tools/monitor/SamplingLoop.h"
#include "tools/monitor/SegmentedBar.h"
#include "tools/monitor/Sparkline.h"
#include "tools/monitor/StatCell.h"

#include <QHBoxLayout>

namespace {

constexpr int kSparklineHeight = 32;

QString percentText(double percent) {
    return QString::asprintf("%.1f%%", percent);
}

Sparkline* sparkline(QColor Theme::*color, std::optional<double> maxValue, QWidget* parent) {
    auto* line = new Sparkline(color, maxValue, parent);
    line->setFixedHeight(kSparklineHeight);
    return line;
}

QColor usedColor(const Theme& t) {
    return t.used;
}
QColor amber(const Theme&) {
    return MemoryCard::compressedColor();
}
QColor otherUsedColor(const Theme& t) {
    QColor c = t.ink;
    c.setAlphaF(0.55f);
    return c;
}
QColor trackColor(const Theme& t) {
    return t.track;
}

// A row of stat cells, 20 apart, at the leading edge.
QWidget* statRow(std::initializer_list<StatCell*> cells, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    for (StatCell* cell : cells)
        layout->addWidget(cell);
    layout->addStretch(1);
    return row;
}

} // namespace

CpuCard::CpuCard(QWidget* parent) : MonitorCard(parent) {
    header_ = new CardHeader(QStringLiteral("cpu"), QStringLiteral("CPU"), 22, this);
    history_ = sparkline(&Theme::ink, 100, this);
    user_ = new StatCell(QStringLiteral("USER"), nullptr, this);
    system_ = new StatCell(QStringLiteral("SYSTEM"), nullptr, this);
    load_ = new StatCell(QStringLiteral("LOAD"), nullptr, this);
    add(header_);
    add(history_);
    add(statRow({user_, system_, load_}, this));
}

void CpuCard::showFigures(const SamplingLoop& loop) {
    const SystemMonitor::CPUStats& cpu = loop.snapshot().cpu;
    header_->setHeadline(percentText(cpu.user + cpu.system));
    history_->setValues(loop.cpuHistory());
    user_->setValue(percentText(cpu.user));
    system_->setValue(percentText(cpu.system));
    load_->setValue(QString::asprintf("%.2f", cpu.loadAverage));
}

QColor MemoryCard::compressedColor() {
    return QColor(201, 162, 39);
}

MemoryCard::MemoryCard(QWidget* parent) : MonitorCard(parent) {
    header_ = new CardHeader(QStringLiteral("memorychip"), QStringLiteral("Memory"), 22, this);
    bar_ = new SegmentedBar(this);
    bar_->setFixedHeight(8);
    wired_ = new StatCell(QStringLiteral("WIRED"), usedColor, this);
    compressed_ = new StatCell(QStringLiteral("COMPRESSED"), amber, this);
    total_ = new StatCell(QStringLiteral("TOTAL"), nullptr, this);
    caption_ = new SectionCaption(QStringLiteral("Pressure over time"), {}, this);
    history_ = sparkline(&Theme::ink, 100, this);
    add(header_);
    add(bar_);
    add(statRow({wired_, compressed_, total_}, this));
    add(withTopPadding(caption_, 4, this));
    add(history_);
}

void MemoryCard::showFigures(const SamplingLoop& loop) {
    const SystemMonitor::MemoryStats& memory = loop.snapshot().memory;
    const monitor_figures::MemoryParts parts = monitor_figures::memoryParts(memory);
    header_->setHeadline(formatBytes(parts.used));
    bar_->setSegments({{double(parts.wired), usedColor},
                       {double(parts.compressed), amber},
                       {double(parts.otherUsed), otherUsedColor},
                       {double(parts.free), trackColor}},
                      double(std::max<int64_t>(memory.total, 1)));
    wired_->setValue(formatBytes(parts.wired));
    compressed_->setValue(formatBytes(parts.compressed));
    total_->setValue(formatBytes(memory.total));
    const auto& history = loop.memoryHistory();
    caption_->setTrailing(history.empty() ? QString() : percentText(history.back()));
    history_->setValues(history);
}

NetworkCard::NetworkCard(QWidget* parent) : MonitorCard(parent) {
    header_ = new CardHeader(QStringLiteral("wifi"), QStringLiteral("Network"), 18, this);
    rates_ = sparkline(&Theme::ink, std::nullopt, this);
    down_ = new StatCell(QStringLiteral("DOWN"), nullptr, this);
    up_ = new StatCell(QStringLiteral("UP"), nullptr, this);
    session_ = new StatCell(QStringLiteral("SESSION IN"), nullptr, this);
    add(header_);
    add(rates_);
    add(statRow({down_, up_, session_}, this));
}

void NetworkCard::showFigures(const SamplingLoop& loop) {
    const SystemMonitor::NetworkStats& net = loop.snapshot().network;
    const QString down = monitor_figures::rateText(net.downBytesPerSec);
    header_->setHeadline(down + QStringLiteral(" ↓"));
    // Whole bytes, as the texts show them.
    rates_->setValues({double(monitor_figures::wholeBytes(net.downBytesPerSec)),
                       double(monitor_figures::wholeBytes(net.upBytesPerSec))});
    down_->setValue(down);
    up_->setValue(monitor_figures::rateText(net.upBytesPerSec));
    session_->setValue(formatBytes(net.sessionDown));
}
