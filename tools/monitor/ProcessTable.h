#pragma once

#include "model/SystemMonitor.h"
#include "shell/lists/RowListModel.h"
#include "tools/monitor/HeightGlide.h"
#include "tools/monitor/MonitorCard.h"
#include "tools/monitor/ProcessFilter.h"

#include <memory>
#include <vector>

class ListView;
class QLineEdit;
class SegmentStrip;
class TextButton;
class ThemedLabel;

namespace monitor {

// The columns of the table, shared by its header and its rows: the name takes what the three number
// columns (70, 70 and 90 wide, 8 apart) leave.
struct ProcessColumns {
    QRectF name, pid, cpu, memory;
    static ProcessColumns of(const QRectF& row);
};

// The filter field: a magnifying glass and a line edit on a rounded chip, at most 200 wide.
class ProcessFilterField : public QWidget {
    Q_OBJECT
  public:
    explicit ProcessFilterField(QWidget* parent = nullptr);
    QLineEdit* lineEdit() const { return edit_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QLineEdit* edit_;
};

} // namespace monitor

// The busiest processes of the latest sample, by processor share or by memory, filtered by name as
// the user types, at most 16 rows unless the user asks for all (the list glides to its new height, and
// going back to 16 keeps the other rows until it has). Built once; a new sample or a change of order or
// filter replaces the rows.
class ProcessTable : public MonitorCard {
    Q_OBJECT
  public:
    using Model = RowListModel<SystemMonitor::ProcessStat>;

    explicit ProcessTable(QWidget* parent = nullptr);

    void setSnapshot(const SystemMonitor::Snapshot& snapshot);
    void setSort(ProcessSort sort);
    void setSearch(const QString& search);
    void toggleExpanded();

    ProcessSort sort() const { return sort_; }
    bool isExpanded() const { return expanded_; }
    const std::vector<SystemMonitor::ProcessStat>& visible() const { return visible_; }

    ThemedLabel* heading() const { return heading_; }
    ThemedLabel* count() const { return count_; }
    SegmentStrip* sortPicker() const { return picker_; }
    QLineEdit* filterEdit() const { return filter_->lineEdit(); }
    ListView* list() const { return list_; }
    Model* rows() const { return rows_; }
    ThemedLabel* emptyText() const { return empty_; }
    TextButton* toggleButton() const { return toggle_; }

  private:
    void refresh();

    SystemMonitor::Snapshot snapshot_;
    ProcessSort sort_ = ProcessSort::cpu;
    QString search_;
    bool expanded_ = false;
    bool collapsing_ = false; // every row still shows while the list glides back to 16
    std::vector<SystemMonitor::ProcessStat> visible_;

    ThemedLabel* heading_;
    ThemedLabel* count_;
    SegmentStrip* picker_;
    monitor::ProcessFilterField* filter_;
    ListView* list_;
    Model* rows_;
    ThemedLabel* empty_;
    TextButton* toggle_;
    std::unique_ptr<HeightGlide> glide_;
};
