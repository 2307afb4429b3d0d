#pragma once

#include <QWidget>

class ScanViewModel;

// The right column: facts, largest children and actions of the selection (or the current folder).
class InspectorView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 382;

    explicit InspectorView(ScanViewModel& model, QWidget* parent = nullptr);

private:
    ScanViewModel& model_;
};
