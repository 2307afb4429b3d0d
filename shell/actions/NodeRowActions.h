#pragma once

class ListView;
class NodeListModel;
class ScanViewModel;

// What a list of scanned nodes does, as every node view does it: a click (or the arrow keys) selects
// the row's node, a double click or Enter opens it (ScanViewModel::select), a secondary click or the
// menu key selects it and shows the node context menu, and the list's selected row follows the state object's
// selected node, whichever view chose it. Gives the list its rows: set them with rows.setNodes().
void showNodeRows(ListView& list, NodeListModel& rows, ScanViewModel& viewModel);
