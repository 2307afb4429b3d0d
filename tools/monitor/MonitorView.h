#pragma once

#include "tools/monitor/SamplingLoop.h"

#include <QWidget>

class CardColumn;
class CpuCard;
class MemoryCard;
class NetworkCard;
class ProcessTable;
class ScanViewModel;
class StorageCard;

// The Monitor tab: processor, memory, network and storage cards and the process table, live while
// the screen is shown. The loop samples off the window's thread; each result updates the cards in
// place. The scanned folder keys the loop: a new scan samples at once and keeps the histories.
class MonitorView : public QWidget {
    Q_OBJECT
  public:
    // Samples this machine.
    explicit MonitorView(ScanViewModel& viewModel, QWidget* parent = nullptr);
    // Samples through `sources` on `pool`, every `intervalMs`.
    MonitorView(ScanViewModel& viewModel, SamplingLoop::Sources sources, QThreadPool* pool, int intervalMs,
                QWidget* parent = nullptr);

    SamplingLoop& sampling() const { return *loop_; }
    CardColumn* page() const { return page_; }
    CpuCard* cpuCard() const { return cpu_; }
    MemoryCard* memoryCard() const { return memory_; }
    NetworkCard* networkCard() const { return network_; }
    StorageCard* storageCard() const { return storage_; }
    ProcessTable* processTable() const { return processes_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void followRoot();
    void showSample();
    void showVolumes();

    ScanViewModel& viewModel_;
    SamplingLoop* loop_;
    CardColumn* page_;
    CpuCard* cpu_;
    MemoryCard* memory_;
    NetworkCard* network_;
    StorageCard* storage_;
    ProcessTable* processes_;
};
