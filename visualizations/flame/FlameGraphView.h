#pragma once

#include "shell/canvas/FolderView.h"
#include "visualizations/flame/FlameGraphCanvas.h"

#include <QScrollArea>

// The "Flame" visualisation: the folder as a stack of rows of blocks, one row per level, each block as
// wide as its share of its parent's bytes (FlameGraphCanvas), in a vertical scroll area. The hover chip
// floats over the scroll area's bottom-left corner, so it stays in view while the rows scroll.
class FlameGraphView : public QScrollArea, public FolderView {
  public:
    explicit FlameGraphView(QWidget* parent = nullptr);

    FlameGraphCanvas* canvas() const { return canvas_; }
    // Shows the new folder from its top row.
    void setFolder(FileNode* folder) override;

  private:
    FlameGraphCanvas* canvas_;
};
