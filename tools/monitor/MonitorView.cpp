#include "tools/monitor/MonitorView.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/controls/CardColumn.h"
#include "shell/controls/ScreenHeader.h"
#include "shell/style/Theme.h"
#include "tools/monitor/ProcessTable.h"
#include "tools/monitor/StorageCard.h"
#include "tools/monitor/SystemCards.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QThreadPool>
#include <QVBoxLayout>

namespace {

// Pools that live as long as the process: a sample or a volume read may still be running when the
// screen goes, and a read stuck on a failing device must never hold up the samples behind it.
QThreadPool* processPool(int threads) {
    auto* pool = new QThreadPool;
    pool->setMaxThreadCount(threads);
    return pool;
}
QThreadPool* samplePool() {
    static QThreadPool* const pool = processPool(1);
    return pool;
}
QThreadPool* volumePool() {
    static QThreadPool* const pool = processPool(4);
    return pool;
}

QWidget* cardRow(QWidget* left, QWidget* right, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(left, 1, Qt::AlignTop);
    layout->addWidget(right, 1, Qt::AlignTop);
    return row;
}

} // namespace

MonitorView::MonitorView(ScanViewModel& viewModel, QWidget* parent)
    : MonitorView(viewModel, {[] { return SystemMonitor::sample(); }, [] { return VolumeInfo::mounted(); }},
                  nullptr, SamplingLoop::kIntervalMs, parent) {}

MonitorView::MonitorView(ScanViewModel& viewModel, SamplingLoop::Sources sources, QThreadPool* pool,
                         int intervalMs, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel),
      loop_(new SamplingLoop(std::move(sources), pool ? pool : samplePool(), pool ? pool : volumePool(),
                             intervalMs, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    page_ = new CardColumn(QWIDGETSIZE_MAX, this);
    page_->column()->setSpacing(16);
    layout->addWidget(page_);

    cpu_ = new CpuCard;
    memory_ = new MemoryCard;
    network_ = new NetworkCard;
    storage_ = new StorageCard(viewModel);
    processes_ = new ProcessTable;
    ScreenHeader::Style look;
    look.titleSize = 31.5;
    page_->column()->addWidget(new ScreenHeader(QStringLiteral("Monitor"), look));
    page_->column()->addWidget(cardRow(cpu_, memory_, nullptr));
    page_->column()->addWidget(cardRow(network_, storage_, nullptr));
    page_->column()->addWidget(processes_);

    connect(loop_, &SamplingLoop::sampled, this, &MonitorView::showSample);
    connect(loop_, &SamplingLoop::volumesChanged, this, &MonitorView::showVolumes);
    connect(&viewModel_, &ScanViewModel::rootChanged, this, &MonitorView::followRoot);
    followRoot();
    showSample();
    showVolumes();
}

void MonitorView::followRoot() {
    const FileNode* root = viewModel_.root();
    loop_->setRoot(root ? root->path() : std::string("/"));
}

void MonitorView::showSample() {
    cpu_->showFigures(*loop_);
    memory_->showFigures(*loop_);
    network_->showFigures(*loop_);
    processes_->setSnapshot(loop_->snapshot());
}

void MonitorView::showVolumes() {
    storage_->showFigures(*loop_);
}

void MonitorView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    loop_->setRunning(true);
}

void MonitorView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    loop_->setRunning(false);
}

void MonitorView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().background);
}
