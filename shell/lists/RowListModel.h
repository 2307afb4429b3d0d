#pragma once

#include <QAbstractListModel>

#include <functional>
#include <vector>

// A flat list of values for a ListView: snapshots, folder changes, processes, staged items, a
// folder's entries. The screen sets the rows; its delegate reads a row's value with at(index). The
// optional text of a row is its display text (type-ahead and accessibility).
template <typename T> class RowListModel : public QAbstractListModel {
  public:
    using Text = std::function<QString(const T&)>;

    explicit RowListModel(Text text = {}, QObject* parent = nullptr)
        : QAbstractListModel(parent), text_(std::move(text)) {}

    // Replaces every row.
    void setRows(std::vector<T> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    const std::vector<T>& rows() const { return rows_; }

    // The value of a row of a RowListModel<T>.
    static const T& at(const QModelIndex& index) { return *static_cast<const T*>(index.internalPointer()); }

    QModelIndex index(int row, int column = 0, const QModelIndex& parent = {}) const override {
        if (parent.isValid() || column != 0 || row < 0 || size_t(row) >= rows_.size()) return {};
        return createIndex(row, 0, const_cast<T*>(&rows_[size_t(row)]));
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows_.size());
    }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (!index.isValid() || role != Qt::DisplayRole || !text_) return {};
        return text_(at(index));
    }

  private:
    std::vector<T> rows_;
    Text text_;
};
