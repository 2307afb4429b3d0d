#include "app/RegisterViews.h"

#include "model/ScanViewModel.h"
#include "shell/canvas/CanvasWiring.h"
#include "shell/panels/ViewRegistry.h"
#include "tools/CleanupQueueView.h"
#include "visualizations/FolderGridView.h"
#include "visualizations/SunburstView.h"
#include "visualizations/TreemapView.h"

namespace {

template <typename Canvas> QWidget* makeCanvas(ScanViewModel& viewModel, FileNode* folder, QWidget* parent) {
    auto* view = new Canvas(parent);
    wireCanvas(view, viewModel, folder);
    return view;
}

QWidget* makeSunburst(ScanViewModel& viewModel, FileNode* folder, QWidget* parent) {
    auto* view = new SunburstView(parent);
    ScanViewModel* vm = &viewModel;
    view->setDisplayName(
        [vm](const FileNode& node) { return QString::fromStdString(vm->displayName(node.path())); });
    wireCanvas(view, viewModel, folder);
    return view;
}

} // namespace

void registerViews() {
    ViewRegistry::registerVisualization(VisualizationMode::treemap, &makeCanvas<TreemapView>);
    ViewRegistry::registerVisualization(VisualizationMode::folders, &FolderGridView::create);
    ViewRegistry::registerVisualization(VisualizationMode::sunburst, &makeSunburst);
    ViewRegistry::registerCleanupQueue([](ScanViewModel& viewModel, QWidget* parent) -> QWidget* {
        return new CleanupQueueView(viewModel, parent);
    });
}
