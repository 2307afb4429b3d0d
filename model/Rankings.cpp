#include "model/Rankings.h"

namespace {

// Keeps the `limit` largest nodes seen so far, in the one largest-first order (equal sizes in the
// order they were offered). Sorting happens only when the list overflows 4 × limit.
class TopList {
  public:
    explicit TopList(size_t limit) : limit_(limit) {}

    void offer(FileNode* node) {
        // Once the list has been cut, a node no larger than the last kept one can never enter:
        // equal sizes rank in offering order, so it would sort after all of them.
        if (full_ && node->sizeOnDisk <= floor_) return;
        nodes_.push_back(node);
        if (nodes_.size() > 4 * limit_) cut();
    }

    std::vector<FileNode*> take() {
        cut();
        return std::move(nodes_);
    }

  private:
    void cut() {
        FileNode::sortBySizeOnDisk(nodes_);
        if (nodes_.size() >= limit_ && limit_ > 0) {
            nodes_.resize(limit_);
            full_ = true;
            floor_ = nodes_.back()->sizeOnDisk;
        } else if (limit_ == 0) {
            nodes_.clear();
        }
    }

    size_t limit_;
    std::vector<FileNode*> nodes_;
    bool full_ = false;
    int64_t floor_ = 0;
};

} // namespace

Rankings Rankings::compute(const FileNode* folder, size_t limit) {
    Rankings rankings;
    if (!folder || limit == 0) return rankings;
    TopList files(limit), folders(limit);
    folder->forEachNode([&](FileNode* node) {
        if (node == folder) return;
        (node->isDirectory() ? folders : files).offer(node);
    });
    rankings.files = files.take();
    rankings.folders = folders.take();
    return rankings;
}
