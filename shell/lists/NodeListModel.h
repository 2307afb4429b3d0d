#pragma once

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <span>
#include <vector>

class FileNode;
class ScanTree;

// Rows of scanned nodes for a ListView: a flat list (Top Sizes, untouched files), or, given a rule
// for a row's children, an outline whose rows are made only when their parent is first opened. One
// column; the display text is the node's name (type-ahead finds rows by it).
//
// The model keeps the tree alive while its nodes are listed. Nodes removed from the tree after a move
// to the Trash stay allocated, but the screen sets the rows again when the scan's generation changes.
class NodeListModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    // The role that carries a row's FileNode* (as void*), for code that knows only the index.
    static constexpr int kNodeRole = Qt::UserRole + 1;
    // A row's children, in order; empty for a row that does not open.
    using Children = std::function<std::span<FileNode* const>(const FileNode*)>;

    explicit NodeListModel(QObject* parent = nullptr);
    ~NodeListModel() override;

    // Replaces every row. Without `children` the list is flat.
    void setNodes(std::shared_ptr<ScanTree> tree, std::vector<FileNode*> nodes, Children children = {});
    void clear();

    // The node of a row (of this model or any model that answers kNodeRole), or null.
    static FileNode* node(const QModelIndex& index);
    // The row of a node among the rows made so far (closed rows' children are not searched).
    QModelIndex indexOf(const FileNode* node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    struct Row;
    Row* rowOf(const QModelIndex& index) const;
    // The children of a row (or the top level), made on first use.
    std::vector<Row>& childrenOf(Row* row) const;

    std::shared_ptr<ScanTree> tree_;
    std::unique_ptr<Row> top_; // a parent for the top-level rows; holds no node
    Children children_;
};
