#pragma once

#include "model/DuplicateFinder.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <stop_token>
#include <vector>

class QThreadPool;
class ScanTree;
struct TreeRemoval;

// The state of the Duplicates screen: the groups of the last search and whether a search runs.
//
// Threads: main thread; each field changes there and announces it with its own signal. Searches run on
// the pool given. A search's result is dropped when the tree it ran on has since been left (clear(), at
// a new scan) or edited (prune()); such a search is asked to stop at its next read, and so is every
// search when this object is destroyed. The groups' nodes belong to tree(), which this object holds.
class DuplicateSearch : public QObject {
    Q_OBJECT
  public:
    explicit DuplicateSearch(QThreadPool& pool, QObject* parent = nullptr);
    ~DuplicateSearch() override;

    // Largest waste first.
    const std::vector<DuplicateFinder::Group>& groups() const { return groups_; }
    bool isSearching() const { return searching_; }
    // The tree the groups' files belong to; null when there are no groups.
    const std::shared_ptr<ScanTree>& tree() const { return tree_; }

    // Searches the whole tree; nothing without one. A second call starts a second search; every result
    // that is not dropped is published when it arrives, and each arrival ends isSearching().
    void search(std::shared_ptr<ScanTree> tree);
    // The tree is being replaced: the groups go, and a running search stops; what it found is dropped.
    void clear();
    // After a move to the Trash: each group keeps its files outside the removed subtrees, in order, under
    // its id; groups left with fewer than two files go. Published even when nothing changed. A running
    // search stops; what it found is dropped.
    void prune(const TreeRemoval& removal);

  signals:
    void groupsChanged();
    void isSearchingChanged();

  private:
    // The tree the groups describe is left or edited: what runs on it is no longer wanted.
    void leaveEpoch();

    QThreadPool& pool_;
    std::vector<DuplicateFinder::Group> groups_;
    std::shared_ptr<ScanTree> tree_;
    bool searching_ = false;
    uint64_t epoch_ = 0;    // changes whenever the tree the groups describe is left or edited
    std::stop_source stop_; // of the searches started in this epoch
};
