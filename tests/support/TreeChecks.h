#pragma once

#include "model/FileNode.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// The node at `relative` ("a/b/c") below `folder`, or null.
const FileNode* findNode(const FileNode* folder, std::string_view relative);

// The nodes' names, in order.
std::vector<std::string> namesOf(std::span<FileNode* const> nodes);

// Checks every folder of the subtree after a roll-up: sizes and counts are the children's sums, each
// category slot is the children's bytes of that category and they add up to the size on disk, children
// are largest first.
void expectRolledUp(const FileNode* root);
