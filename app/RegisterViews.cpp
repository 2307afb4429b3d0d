#include "app/RegisterViews.h"

#include "shell/ViewRegistry.h"

// One line per view, e.g.
//   ViewRegistry::registerVisualization(VisualizationMode::treemap, &TreemapView::create);
void registerViews() {}
