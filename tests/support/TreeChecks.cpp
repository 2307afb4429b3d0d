#include "tests/support/TreeChecks.h"

#include "model/Saturating.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>

const FileNode* findNode(const FileNode* folder, std::string_view relative) {
    const FileNode* node = folder;
    while (node && !relative.empty()) {
        size_t slash = relative.find('/');
        std::string_view name = relative.substr(0, slash);
        relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
        const FileNode* next = nullptr;
        for (const FileNode* child : node->children())
            if (child->name() == name) next = child;
        node = next;
    }
    return node;
}

void expectRolledUp(const FileNode* root) {
    root->forEachNode([](const FileNode* node) {
        if (!node->isDirectory()) {
            EXPECT_EQ(node->typeSizes(), nullptr);
            return;
        }
        ASSERT_NE(node->typeSizes(), nullptr) << node->path();
        int64_t logical = 0, onDisk = 0, files = 0, folders = 0;
        std::array<int64_t, kFileCategoryCount> bySlot{};
        const FileNode* previous = nullptr;
        for (const FileNode* child : node->children()) {
            EXPECT_EQ(child->parent(), node);
            if (!child->isDirectory()) {
                int64_t& slot = bySlot[size_t(file_category::rawValue(child->category))];
                slot = saturating::add(slot, child->sizeOnDisk);
            } else if (child->typeSizes()) {
                for (size_t i = 0; i < bySlot.size(); ++i)
                    bySlot[i] = saturating::add(bySlot[i], (*child->typeSizes())[i]);
            }
            logical = saturating::add(logical, child->logicalSize);
            onDisk = saturating::add(onDisk, child->sizeOnDisk);
            files += child->isDirectory() ? child->fileCount() : 1;
            folders += child->isDirectory() ? child->folderCount() + 1 : 0;
            if (previous) {
                EXPECT_GE(previous->sizeOnDisk, child->sizeOnDisk) << node->path();
            }
            previous = child;
        }
        EXPECT_EQ(node->logicalSize, logical) << node->path();
        EXPECT_EQ(node->sizeOnDisk, onDisk) << node->path();
        EXPECT_EQ(node->fileCount(), files) << node->path();
        EXPECT_EQ(node->folderCount(), folders) << node->path();
        EXPECT_EQ(*node->typeSizes(), bySlot) << node->path();
        EXPECT_EQ(std::accumulate(bySlot.begin(), bySlot.end(), int64_t{0}, saturating::add),
                  node->sizeOnDisk)
            << node->path();
    });
}

std::vector<std::string> namesOf(std::span<FileNode* const> nodes) {
    std::vector<std::string> names;
    for (const FileNode* node : nodes)
        names.emplace_back(node->name());
    return names;
}
