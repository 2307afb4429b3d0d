#include "shell/SidebarView.h"

#include "model/ScanViewModel.h"

SidebarView::SidebarView(ScanViewModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedWidth(kWidth);
}
