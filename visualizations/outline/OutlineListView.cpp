#include "visualizations/outline/OutlineListView.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeRowActions.h"
#include "shell/lists/NodeListModel.h"
#include "visualizations/outline/OutlineRow.h"

#include <algorithm>

OutlineListView::OutlineListView(ScanViewModel& viewModel, FileNode* folder, QWidget* parent)
    : ListView(new OutlineRow, parent), viewModel_(viewModel), tree_(viewModel.tree()), folder_(folder) {
    setOutline(true);
    setPadding({12, 6, 12, 12});
    rows_ = new NodeListModel(this);
    showNodeRows(*this, *rows_, viewModel_);

    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (const FileNode* node = NodeListModel::node(index)) open_.insert(node);
    });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { open_.erase(NodeListModel::node(index)); });
    connect(&viewModel_, &ScanViewModel::filterChanged, this, &OutlineListView::relist);
    // Trashed items leave the rows.
    connect(&viewModel_, &ScanViewModel::generationChanged, this, &OutlineListView::relist);
    relist();
}

OutlineListView::~OutlineListView() = default;

std::span<FileNode* const> OutlineListView::outlineChildren(const FileNode* node) {
    if (!node || !node->isDirectory()) return {};
    const auto children = node->children();
    return children.first(std::min(children.size(), kMaxChildren));
}

void OutlineListView::setFolder(FileNode* folder) {
    folder_ = folder;
    relist();
    scrollToTop();
}

void OutlineListView::relist() {
    const auto tree = viewModel_.tree();
    if (tree != tree_) open_.clear(); // the open rows named nodes of the old tree
    tree_ = tree;
    top_.clear();
    if (folder_) {
        for (FileNode* child : folder_->children())
            if (viewModel_.matchesFilter(child)) top_.push_back(child);
    }
    rows_->setNodes(tree_, top_, [](const FileNode* node) { return outlineChildren(node); });
    reopen();
}

// Opens again the rows that were open, where they are still listed: parents before their children,
// each found by its way down from the folder.
void OutlineListView::reopen() {
    if (open_.empty() || !folder_) return;
    struct Way {
        std::vector<const FileNode*> steps; // from the top-level row down to the open one
    };
    std::vector<Way> ways;
    for (const FileNode* node : open_) {
        Way way;
        for (const FileNode* at = node; at && at != folder_; at = at->parent())
            way.steps.push_back(at);
        const FileNode* top = way.steps.empty() ? nullptr : way.steps.back();
        if (!top || top->parent() != folder_) continue; // elsewhere, or cut from the tree
        std::reverse(way.steps.begin(), way.steps.end());
        ways.push_back(std::move(way));
    }
    std::sort(ways.begin(), ways.end(),
              [](const Way& a, const Way& b) { return a.steps.size() < b.steps.size(); });

    for (const Way& way : ways) {
        const auto top = std::find(top_.begin(), top_.end(), way.steps.front());
        if (top == top_.end()) continue; // filtered out
        QModelIndex index = rows_->index(int(top - top_.begin()), 0);
        for (size_t i = 1; i < way.steps.size() && index.isValid(); ++i) {
            const auto shown = outlineChildren(NodeListModel::node(index));
            const auto at = std::find(shown.begin(), shown.end(), way.steps[i]);
            index = at == shown.end() ? QModelIndex() : rows_->index(int(at - shown.begin()), 0, index);
        }
        if (index.isValid()) expand(index);
    }
}
