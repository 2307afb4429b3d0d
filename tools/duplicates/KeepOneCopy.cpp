#include "tools/duplicates/KeepOneCopy.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

int keepAndStageRest(CleanupQueue& queue, const DuplicateFinder::Group& group, const FileNode* kept) {
    std::vector<std::pair<std::string, int64_t>> rest;
    rest.reserve(group.files.size());
    for (const FileNode* file : group.files)
        // A group or detached node has no real place; the queue would refuse its relative path anyway.
        if (file != kept && file->hasRealLocation()) rest.emplace_back(file->path(), file->sizeOnDisk);
    // One change of the queue however large the group: a change per file redraws every observer.
    return queue.addAll(rest, QStringLiteral("Duplicate"), kept ? kept->path() : std::string());
}
