#pragma once

#include "model/DuplicateFinder.h"
#include "shell/lists/RowDelegate.h"
#include "shell/lists/SectionedListModel.h"

class FileNode;

// Groups of identical files, each over its files.
using DuplicateListModel = SectionedListModel<DuplicateFinder::Group, FileNode*>;

// A group row reads "3 copies · 1.2 MB each · wastes 2.4 MB"; under it, when opened, each file's path
// (shortened in the middle) and its "Keep this, stage the rest" button.
class DuplicateRows : public RowDelegate {
    Q_OBJECT
  public:
    static constexpr int kKeep = 0;
    // Groups and files alike, so the list never measures rows it does not show.
    static constexpr int kRowHeight = 32;

    explicit DuplicateRows(QObject* parent = nullptr);

    std::vector<Button> buttons(const QModelIndex& index, const QRectF& row) const override;

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override;
};
