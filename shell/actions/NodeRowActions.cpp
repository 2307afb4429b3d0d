#include "shell/actions/NodeRowActions.h"

#include "model/ScanViewModel.h"
#include "shell/actions/NodeContextMenu.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"

#include <QItemSelectionModel>
#include <memory>

void showNodeRows(ListView& list, NodeListModel& rows, ScanViewModel& viewModel) {
    list.setModel(&rows);
    NodeListModel* model = &rows;
    // Set while the list follows the state object, so that following is not taken for a choice.
    auto following = std::make_shared<bool>(false);

    auto follow = [&list, &viewModel, model, following] {
        *following = true;
        const QModelIndex index = model->indexOf(viewModel.selectedNode());
        if (index.isValid()) {
            // The keyboard goes on from here, but the list does not scroll to a row chosen elsewhere.
            const bool scrolls = list.hasAutoScroll();
            list.setAutoScroll(false);
            list.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
            list.setAutoScroll(scrolls);
        } else {
            list.selectionModel()->clear();
        }
        *following = false;
    };
    QObject::connect(&viewModel, &ScanViewModel::selectedNodeChanged, &list, follow);
    QObject::connect(model, &QAbstractItemModel::modelReset, &list, follow);
    QObject::connect(&list, &QTreeView::expanded, &list, follow); // the node may be in the opened rows
    follow();

    QObject::connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, &list,
                     [&list, &viewModel, following] {
                         if (*following) return;
                         const QModelIndexList chosen = list.selectionModel()->selectedIndexes();
                         // A click beside the rows changes nothing.
                         if (chosen.isEmpty()) return;
                         if (FileNode* node = NodeListModel::node(chosen.first()))
                             viewModel.setSelectedNode(node);
                     });
    QObject::connect(&list, &QAbstractItemView::activated, &list, [&viewModel](const QModelIndex& index) {
        // Opening a folder may make the Explore tab replace the list: nothing here runs after it.
        if (FileNode* node = NodeListModel::node(index)) viewModel.select(node);
    });
    QObject::connect(&list, &ListView::contextMenuRequested, &list,
                     [&viewModel](const QModelIndex& index, const QPoint& globalPos) {
                         FileNode* node = NodeListModel::node(index);
                         if (!node) return;
                         // As on every node view: the menu's node is the selected one.
                         viewModel.setSelectedNode(node);
                         NodeContextMenu::popup(viewModel, node, globalPos);
                     });
}
