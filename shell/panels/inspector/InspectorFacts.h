#pragma once

#include "model/FileCategory.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

class FileNode;
class ScanViewModel;

// Everything the inspector shows for a node, without widgets.
struct InspectorFacts {
    struct Row {
        QString label;
        QString value;
        bool freeColor = false; // the value is drawn in the theme's `free` colour
    };
    struct Child {
        FileNode* node = nullptr;
        QString name;
        QString size;
        FileCategory category = FileCategory::other; // the dot and bar colour
        double fraction = 0;                         // of the inspected node's size
    };
    static constexpr size_t kLargestCount = 8;

    static InspectorFacts of(const ScanViewModel& model, const FileNode& node);

    bool isFolder = false;
    FileCategory category = FileCategory::other; // a file's own
    QString symbol;                              // "folder.fill" or the file category's
    QString name;
    QString kind; // "Folder" or the file category's title
    QString path;
    QString size;
    QString share; // "12.5% of scan"
    std::vector<Row> details;
    std::vector<Child> largest; // at most kLargestCount
    int64_t childCount = 0;
    // Reveal, preview, copy path need a real place; staging also needs the node not to be the root.
    bool hasPlace = false;
    bool canStage =
        false; // a real place other than the scanned folder (a Trash folder's may still be refused)
};
