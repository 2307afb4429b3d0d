#pragma once

class CanvasView;
class FileNode;
class ScanViewModel;

// Joins a canvas visualisation to the state object: a click selects, a double click opens, a right click
// offers the node menu, and the view follows the tree, colour mode, depth, selection and label setting as
// they change. `folder` is the folder the view shows (the current folder when null); the Explore tab builds a
// new view when the current folder changes, so the view keeps its folder. The connections end with the view.
void wireCanvas(CanvasView* view, ScanViewModel& viewModel, FileNode* folder = nullptr);
