#include "app/RegisterViews.h"

#include "shell/ViewRegistry.h"
#include "visualizations/FolderGridView.h"

// One line per view, e.g.
//   ViewRegistry::registerVisualization(VisualizationMode::treemap, &TreemapView::create);
void registerViews() {
    ViewRegistry::registerVisualization(VisualizationMode::folders, &FolderGridView::create);
}
