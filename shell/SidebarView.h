#pragma once

#include <QWidget>

class ScanViewModel;

// The left column: scan buttons, the disk's usage, the current view, quick wins and the scan's types.
class SidebarView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 340;

    explicit SidebarView(ScanViewModel& model, QWidget* parent = nullptr);

private:
    ScanViewModel& model_;
};
