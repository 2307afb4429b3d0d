#pragma once

#include "model/AgeReport.h"
#include "model/FileCategory.h"
#include "model/Rankings.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

class QThreadPool;
class FileNode;
class ScanTree;

// The per-folder reports of one tree (age reports and rankings), each computed once in the background.
//
// Threads: main thread; each map changes there and announces it with its own signal. Computations run
// on the pool given, under the tree's shared lock.
//
// Keys: a stored report is keyed by its folder node, and every stored report belongs to tree(), which
// this object holds, so no key can name a node of another tree. A report still being computed when
// reset() comes (a scan starts, the tree is edited) or when a request names another tree is dropped on
// arrival.
class FolderReports : public QObject {
    Q_OBJECT
  public:
    explicit FolderReports(QThreadPool& pool, QObject* parent = nullptr);
    ~FolderReports() override;

    const std::unordered_map<const FileNode*, AgeReport>& ageReports() const { return ageReports_; }
    const std::unordered_map<const FileNode*, Rankings>& rankings() const { return rankings_; }
    // The folder's report, or null while it is not (yet) computed.
    const AgeReport* ageReport(const FileNode* folder) const;
    const Rankings* rankingsFor(const FileNode* folder) const;
    // The tree the stored reports describe; null when there are none.
    const std::shared_ptr<ScanTree>& tree() const { return tree_; }

    // Computes the report of `folder`, a node of `tree`, unless it is stored or being computed already.
    void requestAgeReport(const std::shared_ptr<ScanTree>& tree, FileNode* folder);
    void requestRankings(const std::shared_ptr<ScanTree>& tree, FileNode* folder);
    // Every report goes; those still being computed are dropped when they arrive.
    void reset();

    // The scan root's (or any folder's) bytes per category, in category order, non-zero only; empty for
    // null or a file. Read from the sums the scan keeps, so it costs no walk.
    static std::vector<std::pair<FileCategory, int64_t>> rootTypeBreakdown(const FileNode* root);

  signals:
    void ageReportsChanged();
    void rankingsChanged();

  private:
    template <typename Report, typename Compute>
    void request(int kind, const std::shared_ptr<ScanTree>& tree, FileNode* folder,
                 std::unordered_map<const FileNode*, Report>& reports, void (FolderReports::*changed)(),
                 Compute compute);

    QThreadPool& pool_;
    std::shared_ptr<ScanTree> tree_;
    std::unordered_map<const FileNode*, AgeReport> ageReports_;
    std::unordered_map<const FileNode*, Rankings> rankings_;
    std::set<std::pair<int, const FileNode*>> pending_; // (kind, folder) being computed
    uint64_t epoch_ = 0;                                // changes with every reset()
};
