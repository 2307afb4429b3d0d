#pragma once

#include "shell/canvas/FolderView.h"
#include "visualizations/topsizes/TopSizesList.h"

#include <QWidget>

#include <memory>

class FileNode;
class ListView;
class NodeListModel;
class QStackedLayout;
class ScanTree;
class ScanViewModel;
class SegmentStrip;
class Spinner;
class ThemedLabel;
class TopSizeRow;

// The "Top Sizes" mode of the Explore tab: the biggest items of one folder, ranked. A sliding picker
// chooses the scope (the folder's own children, or its biggest files or folders anywhere below it);
// the count of matches stands beside it, and the rows (at most 500) fill the area below. The
// "anywhere" lists are the folder's rankings, computed in the background by the state object's
// reports once per folder and state of the tree: until they are there, a spinner stands in for the
// rows. Rankings are read only while they belong to the tree the view shows, so a ranking of a replaced
// tree never shows. The search field's filter applies to every scope.
//
// The rows are a ListView: a click or the arrow keys select, a double click or Enter opens, a secondary
// click shows the node menu.
class TopSizesView : public QWidget, public FolderView {
    Q_OBJECT
  public:
    TopSizesView(ScanViewModel& viewModel, FileNode* folder, QWidget* parent = nullptr);
    ~TopSizesView() override;

    // Lists the new folder from the top, in the same scope.
    void setFolder(FileNode* folder) override;
    FileNode* folder() const { return folder_; }

    top_sizes::Scope scope() const { return scope_; }
    // As pressing the scope's button does.
    void setScope(top_sizes::Scope scope);

    // Whether the spinner stands in for the rows (an "anywhere" scope before its rankings arrive).
    bool isBusy() const;
    const top_sizes::VisibleList& visibleList() const { return visible_; }

    SegmentStrip* scopePicker() const { return picker_; }
    ThemedLabel* countLabel() const { return count_; }
    ListView* list() const { return list_; }
    NodeListModel* rows() const { return rows_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void refresh();
    void fitHeader();
    void requestRankings();

    ScanViewModel& viewModel_;
    std::shared_ptr<ScanTree> tree_; // keeps the listed nodes alive
    FileNode* folder_;
    top_sizes::Scope scope_ = top_sizes::Scope::here;
    top_sizes::VisibleList visible_;

    SegmentStrip* picker_;
    ThemedLabel* count_;
    QStackedLayout* area_;
    ListView* list_;
    TopSizeRow* rowLook_;
    NodeListModel* rows_;
    Spinner* spinner_;
};
