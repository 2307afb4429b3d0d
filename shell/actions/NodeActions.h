#pragma once

#include <QString>

class CleanupQueue;
class FileNode;
class ScanViewModel;

// The actions every view offers on a node of the scan, done one way everywhere. Reveal, preview, copy
// path and staging need a real place on disk: a group of a "By type" or "By age" regrouping and the
// regrouped folder have only a relative name, and a node cut from the tree has none at all, so for
// those they do nothing (and the views disable them).
namespace node_actions {

// The reason given to items staged from the views.
inline const QString kStagedFromExplore = QStringLiteral("Staged from Explore");

// True when the node's parent chain reaches the scan's root.
bool hasPlace(const FileNode* node);

void reveal(const FileNode* node);   // in the file manager
void preview(const FileNode* node);  // in the preview window
void copyPath(const FileNode* node); // to the clipboard
void open(const FileNode* node);     // with the desktop's default application

// Whether the node may be staged: it has a place, and the place is not in a Trash folder.
bool canStage(const CleanupQueue& queue, const FileNode* node);
// Why it may not be staged although it has a place ("It is already in the Trash."), or empty.
QString stagingRefusal(const CleanupQueue& queue, const FileNode* node);

// Whether the node's path is staged in the model's cleanup queue.
bool isStaged(const ScanViewModel& model, const FileNode* node);
// Stages the node ("Staged from Explore"); when its path is staged already, removes every item with
// that path instead, whatever its reason.
void toggleStaged(ScanViewModel& model, const FileNode* node);

} // namespace node_actions
