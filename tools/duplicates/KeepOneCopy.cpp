#include "tools/duplicates/KeepOneCopy.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

int keepAndStageRest(CleanupQueue& queue, const DuplicateFinder::Group& group, const FileNode* kept) {
    // One change of the queue however large the group: a change per file redraws every observer.
    return queue.addNodes(group.files, QStringLiteral("Duplicate"), kept);
}
