#include "app/RegisterViews.h"

#include "shell/actions/CanvasWiring.h"
#include "shell/panels/ViewRegistry.h"
#include "tools/applications/AppUninstallerView.h"
#include "tools/duplicates/DuplicatesView.h"
#include "tools/monitor/MonitorView.h"
#include "tools/queue/CleanupQueueView.h"
#include "tools/snapshots/SnapshotsView.h"
#include "visualizations/agemap/AgeMapView.h"
#include "visualizations/bubbles/BubblesView.h"
#include "visualizations/flame/FlameGraphView.h"
#include "visualizations/foldergrid/FolderGridView.h"
#include "visualizations/mindmap/MindMapView.h"
#include "visualizations/outline/OutlineListView.h"
#include "visualizations/sunburst/SunburstView.h"
#include "visualizations/topsizes/TopSizesView.h"
#include "visualizations/treemap/TreemapView.h"

void registerViews() {
    using enum VisualizationMode;
    using enum ModeControl;
    // Every mode: its symbol, caption and controls, and the factory of its view.
    for (const ModeDescription& mode : {
             ModeDescription(treemap, "square.grid.2x2.fill", "Every file as a rectangle, sized by bytes",
                             colorPicker | depth | initials)
                 .builtBy(canvasFactory<TreemapView>()),
             ModeDescription(folders, "folder.fill", "Browse folder by folder, sized as you go")
                 .builtBy(viewFactory<FolderGridView>())
                 .warmedBy(&FolderGridView::warmUp),
             ModeDescription(sunburst, "smallcircle.filled.circle", "Rings radiating out from the scan root",
                             colorPicker | depth | initials)
                 .builtBy(canvasFactory<SunburstView>()),
             ModeDescription(flame, "doc.plaintext.fill", "Depth top to bottom, size left to right",
                             colorPicker | depth | initials)
                 .builtBy(canvasFactory<FlameGraphView>()),
             ModeDescription(bubbles, "circle.hexagongrid.fill", "Nested bubbles, one per folder",
                             colorPicker | initials)
                 .withFixedDepth(4)
                 .builtBy(canvasFactory<BubblesView>()),
             ModeDescription(mindMap, "point.3.filled.connected.trianglepath.dotted",
                             "Branches from the root, sized by weight", colorPicker | initials)
                 .withFixedDepth(3)
                 .builtBy(canvasFactory<MindMapView>()),
             ModeDescription(topSizes, "chart.bar.fill", "The biggest items, ranked")
                 .builtBy(viewFactory<TopSizesView>()),
             ModeDescription(ageMap, "calendar", "Where your bytes sit on a timeline", initials)
                 .builtBy(viewFactory<AgeMapView>()),
             ModeDescription(outline, "list.bullet.rectangle", "Every item as an expandable outline")
                 .builtBy(viewFactory<OutlineListView>()),
         })
        ViewRegistry::registerMode(mode);

    ViewRegistry::registerTool(AppTab::duplicates, [](ScanViewModel& viewModel, QWidget* parent) -> QWidget* {
        return new DuplicatesView(viewModel, parent);
    });
    ViewRegistry::registerTool(AppTab::applications,
                               [](ScanViewModel& viewModel, QWidget* parent) -> QWidget* {
                                   return new AppUninstallerView(viewModel, parent);
                               });
    ViewRegistry::registerTool(AppTab::snapshots, [](ScanViewModel& viewModel, QWidget* parent) -> QWidget* {
        return new SnapshotsView(viewModel, parent);
    });
    ViewRegistry::registerTool(AppTab::monitor, [](ScanViewModel& viewModel, QWidget* parent) -> QWidget* {
        return new MonitorView(viewModel, parent);
    });
    ViewRegistry::registerCleanupQueue([](ScanViewModel& viewModel, QWidget* parent) -> QWidget* {
        return new CleanupQueueView(viewModel, parent);
    });
}
