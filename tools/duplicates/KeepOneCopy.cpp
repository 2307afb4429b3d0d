#include "tools/duplicates/KeepOneCopy.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"

int keepAndStageRest(CleanupQueue& queue, const DuplicateFinder::Group& group, const FileNode* kept) {
    int staged = 0;
    for (const FileNode* file : group.files) {
        if (file == kept) continue;
        // add() skips a path already staged, as it refuses one in a Trash folder.
        if (queue.add(file, QStringLiteral("Duplicate"))) ++staged;
    }
    if (kept) queue.remove(kept->path());
    return staged;
}
