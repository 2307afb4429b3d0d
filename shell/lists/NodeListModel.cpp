#include "shell/lists/NodeListModel.h"

#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/style/Formatters.h"

// One made row. Children are made once, when first asked for, into a vector that never grows again,
// so a Row* (an index's internal pointer) stays valid until the rows are set anew.
struct NodeListModel::Row {
    FileNode* node = nullptr;
    Row* parent = nullptr;
    int row = 0;
    bool made = false;
    std::vector<Row> children;
};

NodeListModel::NodeListModel(QObject* parent) : QAbstractItemModel(parent), top_(std::make_unique<Row>()) {
    top_->made = true;
}

NodeListModel::~NodeListModel() = default;

void NodeListModel::setNodes(std::shared_ptr<ScanTree> tree, std::vector<FileNode*> nodes,
                             Children children) {
    beginResetModel();
    auto top = std::make_unique<Row>();
    top->made = true;
    top->children.resize(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        top->children[i] = {nodes[i], top.get(), int(i), false, {}};
    top_ = std::move(top);
    children_ = std::move(children);
    tree_ = std::move(tree); // after the rows: the old tree outlives the old rows
    endResetModel();
}

void NodeListModel::clear() {
    setNodes({}, {});
}

FileNode* NodeListModel::node(const QModelIndex& index) {
    return static_cast<FileNode*>(index.data(kNodeRole).value<void*>());
}

NodeListModel::Row* NodeListModel::rowOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Row*>(index.internalPointer()) : top_.get();
}

std::vector<NodeListModel::Row>& NodeListModel::childrenOf(Row* row) const {
    if (!row->made) {
        row->made = true;
        if (children_) {
            const auto kids = children_(row->node);
            row->children.resize(kids.size());
            for (size_t i = 0; i < kids.size(); ++i)
                row->children[i] = {kids[i], row, int(i), false, {}};
        }
    }
    return row->children;
}

QModelIndex NodeListModel::indexOf(const FileNode* node) const {
    if (!node) return {};
    // Depth first through the rows made so far: cheap next to painting, and true for any rule.
    std::vector<Row*> stack{top_.get()};
    while (!stack.empty()) {
        Row* row = stack.back();
        stack.pop_back();
        if (row->node == node) return createIndex(row->row, 0, row);
        if (row->made)
            for (Row& child : row->children)
                stack.push_back(&child);
    }
    return {};
}

QModelIndex NodeListModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    auto& rows = childrenOf(rowOf(parent));
    if (size_t(row) >= rows.size()) return {};
    return createIndex(row, 0, &rows[size_t(row)]);
}

QModelIndex NodeListModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    Row* parent = rowOf(child)->parent;
    if (!parent || parent == top_.get()) return {};
    return createIndex(parent->row, 0, parent);
}

int NodeListModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return int(childrenOf(rowOf(parent)).size());
}

int NodeListModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool NodeListModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return !top_->children.empty();
    if (parent.column() > 0) return false;
    // Asked for every painted row: answered without making the rows.
    Row* row = rowOf(parent);
    if (row->made) return !row->children.empty();
    return children_ && !children_(row->node).empty();
}

QVariant NodeListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    FileNode* node = rowOf(index)->node;
    if (role == kNodeRole) return QVariant::fromValue(static_cast<void*>(node));
    if (role == Qt::DisplayRole) return nodeName(*node);
    return {};
}
