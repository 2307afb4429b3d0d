#pragma once

#include <QAbstractItemModel>

#include <functional>
#include <span>
#include <vector>

// Rows under section rows, two levels deep, for a ListView in outline mode: duplicate groups and their
// files, an application and its leftovers. The screen sets the sections and says where a section's
// rows are; its delegate tells the two kinds apart with isSection(index) and reads them with
// section(index) and row(index). Optional texts are the rows' display texts.
template <typename S, typename R> class SectionedListModel : public QAbstractItemModel {
  public:
    using RowsOf = std::function<std::span<const R>(const S&)>;
    using SectionText = std::function<QString(const S&)>;
    using RowText = std::function<QString(const R&)>;

    explicit SectionedListModel(RowsOf rowsOf, SectionText sectionText = {}, RowText rowText = {},
                                QObject* parent = nullptr)
        : QAbstractItemModel(parent), rowsOf_(std::move(rowsOf)), sectionText_(std::move(sectionText)),
          rowText_(std::move(rowText)) {}

    // Replaces every section (and so every row).
    void setSections(std::vector<S> sections) {
        beginResetModel();
        sections_ = std::move(sections);
        endResetModel();
    }
    const std::vector<S>& sections() const { return sections_; }

    static bool isSection(const QModelIndex& index) { return index.isValid() && index.internalId() == 0; }
    // The section of a section row, or the section a row stands under.
    static const S& section(const QModelIndex& index) {
        const auto* model = static_cast<const SectionedListModel*>(index.model());
        return model->sections_[isSection(index) ? size_t(index.row()) : size_t(index.internalId() - 1)];
    }
    // The value of a row that is not a section.
    static const R& row(const QModelIndex& index) {
        const auto* model = static_cast<const SectionedListModel*>(index.model());
        return model->rowsOf_(section(index))[size_t(index.row())];
    }

    // Section rows carry id 0; a row under section s carries s + 1.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override {
        if (column != 0 || row < 0) return {};
        if (!parent.isValid())
            return size_t(row) < sections_.size() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
        if (!isSection(parent) || size_t(row) >= rowsOf_(section(parent)).size()) return {};
        return createIndex(row, 0, quintptr(parent.row()) + 1);
    }
    QModelIndex parent(const QModelIndex& child) const override {
        if (!child.isValid() || isSection(child)) return {};
        return createIndex(int(child.internalId() - 1), 0, quintptr(0));
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        if (!parent.isValid()) return int(sections_.size());
        if (parent.column() > 0 || !isSection(parent)) return 0;
        return int(rowsOf_(section(parent)).size());
    }
    int columnCount(const QModelIndex& = {}) const override { return 1; }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
        if (!index.isValid() || role != Qt::DisplayRole) return {};
        if (isSection(index)) return sectionText_ ? QVariant(sectionText_(section(index))) : QVariant();
        return rowText_ ? QVariant(rowText_(row(index))) : QVariant();
    }

  private:
    std::vector<S> sections_;
    RowsOf rowsOf_;
    SectionText sectionText_;
    RowText rowText_;
};
