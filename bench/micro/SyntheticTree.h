#pragma once

#include "model/FileCategory.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"

#include <algorithm>
#include <memory>
#include <new>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

// A tree shaped like a home folder: nested project folders with node_modules and build folders,
// caches, downloads and media, about 1,000,000 nodes, rolled up and sorted like a scan leaves it.
class SyntheticTree {
  public:
    SyntheticTree() : tree(std::make_shared<ScanTree>("/home/ann", "ann")), random(1) {
        std::vector<std::pair<FileNode*, std::vector<FileNode*>>> pending;
        FileNode* root = tree->root();
        std::vector<FileNode*> top;
        const char* topNames[] = {"Downloads", ".cache", "Music", "Pictures", "src", "Documents"};
        for (const char* name : topNames)
            top.push_back(folder(name, root));
        for (FileNode* t : top)
            fill(t, 0);
        attach(root, top);
        rollUp(root);
    }
    std::shared_ptr<ScanTree> tree;
    size_t nodes = 1;

  private:
    FileNode* folder(std::string_view name, FileNode* parent) {
        FileNode* n = FileNode::make(tree->arena(), name, true);
        n->setParent(parent);
        ++nodes;
        return n;
    }
    void fill(FileNode* parent, int depth) {
        static const char* folderNames[] = {"node_modules", "build",   "lib",    "src",
                                            "assets",       "Library", "Caches", "x"};
        static const char* fileNames[] = {"a.js", "b.png", "c.mp4", "d.txt", "e.o", "f.flac", "g.zip", "h.c"};
        std::vector<FileNode*> kids;
        int files = 6 + static_cast<int>(random() % 10);
        for (int i = 0; i < files; ++i) {
            FileNode* f = FileNode::make(tree->arena(), fileNames[random() % 8], false);
            f->setParent(parent);
            f->sizeOnDisk = f->logicalSize = static_cast<int64_t>(random() % 30'000'000);
            f->modifiedStamp = 1.2e9 + static_cast<double>(random() % 500'000'000);
            f->category = file_category::forFileName(f->name());
            kids.push_back(f);
            ++nodes;
        }
        if (depth < 7) {
            int folders = depth < 2 ? 8 : 2 + static_cast<int>(random() % 3);
            for (int i = 0; i < folders && nodes < 1'000'000; ++i) {
                FileNode* sub = folder(folderNames[random() % 8], parent);
                fill(sub, depth + 1);
                kids.push_back(sub);
            }
        }
        attach(parent, kids);
    }
    void attach(FileNode* parent, const std::vector<FileNode*>& kids) {
        FileNode** array = tree->arena().allocateArray<FileNode*>(kids.size() + 1);
        std::copy(kids.begin(), kids.end(), array);
        parent->setChildren(array, static_cast<uint32_t>(kids.size()));
    }
    void rollUp(FileNode* node) {
        FolderTotals* totals = node->totals();
        if (!totals) totals = new (tree->arena().allocateArray<FolderTotals>(1)) FolderTotals{};
        for (FileNode* c : node->children()) {
            if (c->isDirectory()) {
                rollUp(c);
                totals->fileCount += c->fileCount();
                totals->folderCount += c->folderCount() + 1;
                for (int i = 0; i < kFileCategoryCount; ++i)
                    totals->typeSizes[i] += (*c->typeSizes())[i];
            } else {
                totals->fileCount += 1;
                totals->typeSizes[file_category::rawValue(c->category)] += c->sizeOnDisk;
            }
            node->sizeOnDisk += c->sizeOnDisk;
            node->logicalSize += c->logicalSize;
            node->modifiedStamp = std::max(node->modifiedStamp, c->modifiedStamp);
        }
        node->setTotals(totals, true);
        FileNode::sortBySizeOnDisk(node->mutableChildren());
    }
    std::mt19937_64 random;
};
