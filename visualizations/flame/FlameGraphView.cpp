#include "visualizations/flame/FlameGraphView.h"

#include "shell/controls/ThemedScrollBar.h"

#include <QScrollBar>

FlameGraphView::FlameGraphView(QWidget* parent) : QScrollArea(parent), canvas_(new FlameGraphCanvas) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBar(new ThemedScrollBar(Qt::Vertical));
    // The canvas takes the viewport's width and its own height; the window's background shows around it.
    setWidgetResizable(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    viewport()->setAutoFillBackground(false);
    setWidget(canvas_);
    canvas_->setAutoFillBackground(false); // setWidget turns it on
    canvas_->setChipHost(this);
}

void FlameGraphView::setFolder(FileNode* folder) {
    verticalScrollBar()->setValue(0);
    canvas_->setFolder(folder);
}
