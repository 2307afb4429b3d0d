#pragma once

#include "model/FileNode.h"
#include "platform/TrashFolders.h"

#include <cstdint>
#include <string>
#include <vector>

// The files of a subtree that the duplicate search reads: every file of logical size and size on disk
// above 0, outside the Trash folders, whose logical size another such file shares. Listed folder by folder,
// so that readers open each folder once and read its files one after another from memory.
struct DuplicateCandidates {
    struct File {
        FileNode* node;
        int64_t size;       // logical size
        const char* name;   // ended by a NUL, kept in `nameStore`
        uint32_t walkOrder; // rank among the subtree's files in the pre-order walk
        uint32_t folder;    // index into `folders`
    };
    std::vector<File> files;                  // by folder, in walk order within one
    std::vector<std::string> folders;         // full path of each folder holding a candidate
    std::vector<std::vector<char>> nameStore; // the names, in a few blocks

    const char* nameOf(const File& file) const { return file.name; }

    // Walks the subtree of `folder` on up to `threads` threads; the caller holds the tree's lock (shared)
    // for the call.
    static DuplicateCandidates collect(const FileNode* folder, int threads,
                                       const platform::TrashFolders& trash = {});
};
