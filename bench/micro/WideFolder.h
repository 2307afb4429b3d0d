#pragma once

#include "bench/micro/SyntheticTree.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"

#include <cmath>
#include <memory>
#include <random>

// One folder of 100,000 files. "Varied" sizes spread over six orders of magnitude, as in a real
// large folder; "equal" sizes are the worst case for a layout that keeps every child big enough.
struct WideFolder {
    explicit WideFolder(bool equal) : tree(std::make_shared<ScanTree>("/data", "data")) {
        std::mt19937_64 random(5);
        std::uniform_real_distribution<double> exponent(2, 8);
        FileNode* root = tree->root();
        const size_t count = 100'000;
        FileNode** kids = tree->arena().allocateArray<FileNode*>(count);
        for (size_t i = 0; i < count; ++i) {
            FileNode* f = FileNode::make(tree->arena(), "file.bin", false);
            f->setParent(root);
            f->sizeOnDisk = equal ? 4096 : int64_t(std::pow(10.0, exponent(random)));
            root->sizeOnDisk += f->sizeOnDisk;
            kids[i] = f;
        }
        root->setChildren(kids, uint32_t(count));
        FileNode::sortBySizeOnDisk(root->mutableChildren());
    }
    std::shared_ptr<ScanTree> tree;
};

// Made once per process, shared by every suite.
inline WideFolder& wideFolder(bool equal) {
    static WideFolder varied(false), same(true);
    return equal ? same : varied;
}

inline SyntheticTree& million() {
    static SyntheticTree tree;
    return tree;
}
