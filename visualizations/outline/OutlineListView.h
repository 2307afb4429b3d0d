#pragma once

#include "shell/canvas/FolderView.h"
#include "shell/lists/ListView.h"

#include <cstddef>
#include <memory>
#include <span>
#include <unordered_set>
#include <vector>

class FileNode;
class NodeListModel;
class ScanTree;
class ScanViewModel;

// The "List" mode of the Explore tab: one folder as an expandable outline. The top level is the
// folder's children that pass the search field's filter (neither cut nor sorted again); a folder
// opens onto its largest children, unfiltered, at most kMaxChildren. Rows are made when their parent
// first opens.
//
// A click or the arrow keys select, a double click or Enter opens a folder (Left and Right close and
// open rows), a secondary click shows the node menu. Which rows are open is kept by node while the
// tree lives, so it outlasts a new selection, a new filter, a removal and a visit to another folder.
class OutlineListView : public ListView, public FolderView {
    Q_OBJECT
  public:
    static constexpr size_t kMaxChildren = 500;

    OutlineListView(ScanViewModel& viewModel, FileNode* folder, QWidget* parent = nullptr);
    ~OutlineListView() override;

    void setFolder(FileNode* folder) override;
    FileNode* folder() const { return folder_; }
    NodeListModel* rows() const { return rows_; }

    // What a row opens onto: nothing for a file or an empty folder, else the folder's first
    // kMaxChildren children (the largest).
    static std::span<FileNode* const> outlineChildren(const FileNode* node);

  private:
    void relist();
    void reopen();

    ScanViewModel& viewModel_;
    std::shared_ptr<ScanTree> tree_; // keeps the listed nodes alive
    FileNode* folder_;
    NodeListModel* rows_;
    std::vector<FileNode*> top_;
    std::unordered_set<const FileNode*> open_;
};
