#pragma once

class FileNode;

// A visualisation of one folder. The Explore tab builds one for each choice of mode and hands it every
// new current folder instead of building it again, so the view keeps its widget, the keyboard focus and
// whatever of its state should outlive a folder (its caches keyed by folder). Whatever belongs to the
// folder shown (a scroll position, the hovered node and its chip) the view resets itself.
class FolderView {
  public:
    virtual ~FolderView() = default;

    // Shows `folder` (a node of the state object's current tree) from now on.
    virtual void setFolder(FileNode* folder) = 0;
};
