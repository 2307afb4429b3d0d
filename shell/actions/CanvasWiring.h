#pragma once

#include "shell/canvas/ModeDescription.h"

class CanvasView;
class FileNode;
class ScanViewModel;

// Joins a canvas visualisation to the state object: a click selects, a double click opens, a right click
// offers the node menu, and the view follows the tree, colour mode, selection and label setting as they
// change, and the depth slider unless `mode` fixes its depth. Names shown are the state object's display
// names. `folder` is the folder the view shows (the current folder when null); the view keeps it until it is
// handed another (FolderView), as the Explore tab does when the current folder changes. The connections
// end with the view.
void wireCanvas(CanvasView* view, ScanViewModel& viewModel, FileNode* folder = nullptr,
                const ModeDescription& mode = ModeDescription());

// The factory of a canvas view built as `View(parent)` and wired as above. A view that shows its canvas
// inside widgets of its own (a scroll area, say) hands the canvas out through `canvas()`.
template <typename View> VisualizationFactory canvasFactory() {
    return [](const ModeDescription& mode, ScanViewModel& viewModel, FileNode* folder,
              QWidget* parent) -> QWidget* {
        auto* view = new View(parent);
        if constexpr (requires { view->canvas(); })
            wireCanvas(view->canvas(), viewModel, folder, mode);
        else
            wireCanvas(view, viewModel, folder, mode);
        return view;
    };
}
