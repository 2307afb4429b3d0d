#pragma once

#include "model/FileNode.h"

// The roll-up that ends a scan: every folder gets the sums of its children's sizes, counts and
// per-category bytes, the newest of their modification times (when above 0; else it keeps its own),
// and its children ordered by size on disk, largest first, ties in reading order. Sums of sizes stop
// at the largest int64 rather than wrap negative.
// Every folder must carry a FolderTotals block. A folder already rolled up (it carries per-category
// sizes) is taken as it is, with everything below it: the scan rolls up folders of files as it reads them.

// One folder from its children, which must be rolled up already.
void rollUpFolder(FileNode* folder);
// A whole subtree, children before parents, on the calling thread.
void rollUpSubtree(FileNode* folder);
// A whole tree: the folders two levels below the root are rolled up in parallel over `threads`
// threads, then the level between, then the root.
void rollUpTree(FileNode* root, int threads);
