#include "shell/panels/inspector/InspectorFacts.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "platform/Desktop.h"
#include "shell/actions/NodeActions.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"

#include <algorithm>
#include <string_view>

InspectorFacts InspectorFacts::of(const ScanViewModel& model, const FileNode& node) {
    InspectorFacts f;
    f.isFolder = node.isDirectory();
    f.category = node.category;
    f.symbol = palette::nodeSymbol(node);
    f.kind = f.isFolder ? QStringLiteral("Folder") : fromBytes(file_category::title(node.category));
    f.hasPlace = node_actions::hasPlace(&node);
    const std::string path = node.path();
    // A group's "path" is only its own name; the home folder and "/" read as "Home" and the volume.
    f.name = f.hasPlace ? fromBytes(displayName(path, model.disk().name)) : nodeName(node);
    f.path = platform::pathText(path);
    f.size = formatBytes(node.sizeOnDisk);
    const FileNode* root = model.root();
    f.share = formatPercent(node.sizeOnDisk, root ? root->sizeOnDisk : node.sizeOnDisk) +
              QStringLiteral(" of scan");

    f.details.push_back({QStringLiteral("Size on disk"), formatBytes(node.sizeOnDisk)});
    f.details.push_back({QStringLiteral("Logical size"), formatBytes(node.logicalSize)});
    f.details.push_back({QStringLiteral("Compressed by"),
                         formatBytes(std::max<int64_t>(node.logicalSize - node.sizeOnDisk, 0)), true});
    if (f.isFolder) {
        f.details.push_back({QStringLiteral("Files"), formatCount(node.fileCount())});
        f.details.push_back({QStringLiteral("Folders"), formatCount(node.folderCount())});
    } else {
        f.details.push_back({QStringLiteral("Kind"), f.kind});
    }
    if (const FileNode* parent = node.parent()) {
        const double share =
            parent->sizeOnDisk > 0 ? double(node.sizeOnDisk) / double(parent->sizeOnDisk) : 0.0;
        f.details.push_back({QStringLiteral("Share of folder"), formatPercent(share)});
    }
    f.details.push_back({QStringLiteral("Modified"), relativeDateString(dateFromStamp(node.modifiedStamp))});
    if (node.createdStamp != 0)
        f.details.push_back(
            {QStringLiteral("Created"), relativeDateString(dateFromStamp(node.createdStamp))});

    const auto children = node.children();
    f.childCount = int64_t(children.size());
    for (size_t i = 0; i < std::min(children.size(), kLargestCount); ++i) {
        FileNode* child = children[i];
        // The inspected node is the children's parent (a group holds files of many folders, so its own
        // size is the measure there too).
        const double fraction =
            node.sizeOnDisk > 0 ? double(child->sizeOnDisk) / double(node.sizeOnDisk) : 0.0;
        f.largest.push_back(
            {child, nodeName(*child), formatBytes(child->sizeOnDisk), child->dominantCategory(), fraction});
    }

    f.canStage = f.hasPlace && &node != root;
    return f;
}
