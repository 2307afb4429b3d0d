#pragma once

#include "model/FileNode.h"

#include <string_view>

// The node at `relative` ("a/b/c") below `folder`, or null.
const FileNode* findNode(const FileNode* folder, std::string_view relative);

// Checks every folder of the subtree after a roll-up: sizes and counts are the children's sums, each
// category slot is the children's bytes of that category and they add up to the size on disk, children
// are largest first.
void expectRolledUp(const FileNode* root);
