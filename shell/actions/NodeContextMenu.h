#pragma once

#include <QPoint>
#include <QString>

#include <vector>

class CleanupQueue;
class FileNode;
class QMenu;
class QWidget;
class ScanViewModel;

// The context menu of every view that shows nodes (folder cards, file tiles, outline rows, untouched
// files): "Open" (folders only), "Preview", "Reveal in File Manager", "Copy Path", a divider and
// "Add to Cleanup". Everything but "Open" needs a real place on disk and is disabled for group nodes.
class NodeContextMenu {
  public:
    enum class Action { open, preview, reveal, copyPath, stage };

    struct Entry {
        Action action;
        QString title;
        bool enabled = true;
        bool separatorBefore = false;
    };

    // The entries for a node, in menu order, with their enabled state. None for a null node.
    // Staging is judged by `queue`, which knows the Trash folders.
    static std::vector<Entry> entries(const CleanupQueue& queue, const FileNode* node);
    // Runs one entry's action.
    static void trigger(ScanViewModel& model, FileNode* node, Action action);

    // A menu for the node (null for a null node); the caller owns it. Its actions do nothing once the
    // model has published another tree, so a menu left open across a scan never touches a dead node.
    static QMenu* create(ScanViewModel& model, FileNode* node, QWidget* parent = nullptr);
    // Shows the menu at a screen position and returns at once; the menu deletes itself when closed.
    static void popup(ScanViewModel& model, FileNode* node, const QPoint& globalPos);
    // The same, but waits until the menu closes (QMenu::exec).
    static void exec(ScanViewModel& model, FileNode* node, const QPoint& globalPos);
};
