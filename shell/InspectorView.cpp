#include "shell/InspectorView.h"

#include "model/ScanViewModel.h"

InspectorView::InspectorView(ScanViewModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedWidth(kWidth);
}
