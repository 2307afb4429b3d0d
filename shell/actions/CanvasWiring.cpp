#include "shell/actions/CanvasWiring.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeContextMenu.h"
#include "shell/canvas/CanvasView.h"
#include "shell/style/Formatters.h"

void wireCanvas(CanvasView* view, ScanViewModel& viewModel, FileNode* folder, const ModeDescription& mode) {
    CanvasView::State state;
    state.tree = viewModel.tree();
    state.folder = folder ? folder : viewModel.currentFolder();
    state.generation = viewModel.generation();
    state.colorMode = viewModel.settings().colorMode();
    state.depth = mode.layoutDepth(viewModel.settings().depth());
    state.selected = viewModel.selectedNode();
    state.abbreviateLabels = viewModel.settings().abbreviateLabels();
    view->setState(std::move(state));

    ScanViewModel* vm = &viewModel;
    view->setDisplayName(
        [vm](const FileNode& node) { return fromBytes(displayName(node.path(), vm->disk().name)); });
    QObject::connect(view, &CanvasView::selectRequested, vm, &ScanViewModel::setSelectedNode);
    QObject::connect(view, &CanvasView::openRequested, vm, &ScanViewModel::select);

    // Every canvas offers the node menu on whatever lies under the pointer.
    QObject::connect(view, &CanvasView::menuRequested, vm, [vm](FileNode* node, QPoint globalPos) {
        NodeContextMenu::popup(*vm, node, globalPos);
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
    QObject::connect(&vm->settings(), &ViewSettings::colorModeChanged, view,
                     [view, vm] { view->setColorMode(vm->settings().colorMode()); });
    if (!mode.fixedDepth)
        QObject::connect(&vm->settings(), &ViewSettings::depthChanged, view,
                         [view, vm, mode] { view->setDepth(mode.layoutDepth(vm->settings().depth())); });
    QObject::connect(&vm->settings(), &ViewSettings::abbreviateLabelsChanged, view,
                     [view, vm] { view->setAbbreviateLabels(vm->settings().abbreviateLabels()); });
}
