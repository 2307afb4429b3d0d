#include "shell/actions/NodeActions.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "platform/Desktop.h"
#include "shell/panels/PreviewWindow.h"

namespace node_actions {

bool hasPlace(const FileNode* node) {
    return node && node->hasRealLocation();
}

void reveal(const FileNode* node) {
    if (hasPlace(node)) platform::desktop().reveal(node->path());
}

void preview(const FileNode* node) {
    if (hasPlace(node)) PreviewWindow::preview(node->path());
}

void copyPath(const FileNode* node) {
    if (hasPlace(node)) platform::desktop().copyPath(node->path());
}

void open(const FileNode* node) {
    if (hasPlace(node)) platform::desktop().open(node->path());
}

bool canStage(const CleanupQueue& queue, const FileNode* node) {
    return hasPlace(node) && stagingRefusal(queue, node).isEmpty();
}

QString stagingRefusal(const CleanupQueue& queue, const FileNode* node) {
    if (!hasPlace(node)) return {};
    return queue.refusalReason(node->path()).value_or(QString());
}

bool isStaged(const ScanViewModel& model, const FileNode* node) {
    return hasPlace(node) && model.cleanupQueue().contains(node->path());
}

void toggleStaged(ScanViewModel& model, const FileNode* node) {
    if (!hasPlace(node)) return;
    CleanupQueue& queue = model.cleanupQueue();
    const std::string path = node->path();
    if (queue.contains(path))
        queue.remove(path);
    else
        queue.add(node, kStagedFromExplore);
}

} // namespace node_actions
