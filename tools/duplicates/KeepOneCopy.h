#pragma once

#include "model/DuplicateFinder.h"

class CleanupQueue;
class FileNode;

// "Keep this, stage the rest": stages every other file of the group for the Trash (reason "Duplicate",
// the file's size on disk), in the group's order, skipping paths already staged; and takes the kept
// file out of the queue, where an earlier press may have put it, so that one copy always survives a
// move to the Trash. The kept file is recognised by identity. One change of the queue. Returns how many
// files were staged.
int keepAndStageRest(CleanupQueue& queue, const DuplicateFinder::Group& group, const FileNode* kept);
