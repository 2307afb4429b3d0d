#include "shell/actions/NodeContextMenu.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeActions.h"

#include <QMenu>

#include <memory>

std::vector<NodeContextMenu::Entry> NodeContextMenu::entries(const CleanupQueue& queue,
                                                             const FileNode* node) {
    if (!node) return {};
    const bool place = node_actions::hasPlace(node);
    std::vector<Entry> list;
    if (node->isDirectory()) list.push_back({Action::open, QStringLiteral("Open"), true, false});
    list.push_back({Action::preview, QStringLiteral("Preview"), place, false});
    list.push_back({Action::reveal, QStringLiteral("Reveal in File Manager"), place, false});
    list.push_back({Action::copyPath, QStringLiteral("Copy Path"), place, false});
    list.push_back(
        {Action::stage, QStringLiteral("Add to Cleanup"), node_actions::canStage(queue, node), true});
    return list;
}

void NodeContextMenu::trigger(ScanViewModel& model, FileNode* node, Action action) {
    if (!node) return;
    switch (action) {
    case Action::open:
        model.select(node);
        break;
    case Action::preview:
        node_actions::preview(node);
        break;
    case Action::reveal:
        node_actions::reveal(node);
        break;
    case Action::copyPath:
        node_actions::copyPath(node);
        break;
    case Action::stage:
        if (node_actions::canStage(model.cleanupQueue(), node))
            model.cleanupQueue().add(node, node_actions::kStagedFromExplore);
        break;
    }
}

QMenu* NodeContextMenu::create(ScanViewModel& model, FileNode* node, QWidget* parent) {
    if (!node) return nullptr;
    auto* menu = new QMenu(parent);
    // The node lives as long as its tree; holding the tree keeps it valid while the menu is open, and
    // comparing trees tells whether the model still shows it.
    std::shared_ptr<ScanTree> tree = model.tree();
    for (const Entry& entry : entries(model.cleanupQueue(), node)) {
        if (entry.separatorBefore) menu->addSeparator();
        QAction* action = menu->addAction(entry.title);
        action->setEnabled(entry.enabled);
        QObject::connect(action, &QAction::triggered, &model, [&model, node, tree, which = entry.action] {
            if (model.tree() == tree) trigger(model, node, which);
        });
    }
    return menu;
}

void NodeContextMenu::popup(ScanViewModel& model, FileNode* node, const QPoint& globalPos) {
    QMenu* menu = create(model, node);
    if (!menu) return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void NodeContextMenu::exec(ScanViewModel& model, FileNode* node, const QPoint& globalPos) {
    std::unique_ptr<QMenu> menu(create(model, node));
    if (menu) menu->exec(globalPos);
}
