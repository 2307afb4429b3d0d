#include "shell/canvas/CanvasWiring.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/canvas/CanvasView.h"
#include "shell/controls/NodeContextMenu.h"

#include <cmath>

namespace {

// The view model keeps depth as a slider value; layouts use whole levels.
int depthLevels(double depth) {
    return int(std::trunc(depth));
}

} // namespace

void wireCanvas(CanvasView* view, ScanViewModel& viewModel, FileNode* folder) {
    CanvasView::State state;
    state.tree = viewModel.tree();
    state.folder = folder ? folder : viewModel.currentFolder();
    state.generation = viewModel.generation();
    state.colorMode = viewModel.colorMode();
    state.depth = depthLevels(viewModel.depth());
    state.selected = viewModel.selectedNode();
    state.abbreviateLabels = viewModel.abbreviateLabels();
    view->setState(std::move(state));

    ScanViewModel* vm = &viewModel;
    QObject::connect(view, &CanvasView::selectRequested, vm, &ScanViewModel::setSelectedNode);
    QObject::connect(view, &CanvasView::openRequested, vm, &ScanViewModel::select);

    // Every canvas offers the node menu on whatever lies under the pointer.
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, view, [view, vm](const QPoint& pos) {
        if (FileNode* node = view->hitTest(QPointF(pos)))
            NodeContextMenu::popup(*vm, node, view->mapToGlobal(pos));
    });

    // A tree edit (a move to the Trash) bumps the generation; the tree object may be replaced by a scan.
    auto followTree = [view, vm] {
        CanvasView::State next = view->state();
        next.tree = vm->tree();
        next.generation = vm->generation();
        next.selected = vm->selectedNode();
        view->setState(std::move(next));
    };
    QObject::connect(vm, &ScanViewModel::generationChanged, view, followTree);
    QObject::connect(vm, &ScanViewModel::selectedNodeChanged, view,
                     [view, vm] { view->setSelected(vm->selectedNode()); });
    QObject::connect(vm, &ScanViewModel::colorModeChanged, view,
                     [view, vm] { view->setColorMode(vm->colorMode()); });
    QObject::connect(vm, &ScanViewModel::depthChanged, view,
                     [view, vm] { view->setDepth(depthLevels(vm->depth())); });
    QObject::connect(vm, &ScanViewModel::abbreviateLabelsChanged, view,
                     [view, vm] { view->setAbbreviateLabels(vm->abbreviateLabels()); });
}
