#include "model/CleanupQueue.h"

#include "model/BackgroundTask.h"
#include "model/Saturating.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "platform/TrashFolders.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

namespace {

// True when `path` lies inside one of the folders already handled (checked ancestor by ancestor).
bool insideHandled(const std::string& path, const std::unordered_set<std::string>& handled) {
    for (size_t slash = path.rfind('/'); slash != std::string::npos && slash > 0;
         slash = path.rfind('/', slash - 1))
        if (handled.count(path.substr(0, slash))) return true;
    return false;
}

std::optional<QString> trashRefusal(const platform::TrashFolders& trash, std::string_view path) {
    if (trash.isTrashFolder(path)) return QStringLiteral("It is a Trash folder.");
    if (trash.isInTrash(path)) return QStringLiteral("It is already in the Trash.");
    return std::nullopt;
}

} // namespace

CleanupQueue::CleanupQueue(QObject* parent, std::shared_ptr<platform::TrashBackend> backend)
    : QObject(parent), backend_(backend ? std::move(backend) : platform::defaultTrashBackend()),
      trash_(platform::TrashFolders::current()) {}

CleanupQueue::~CleanupQueue() = default;

int64_t CleanupQueue::totalSize() const {
    return std::accumulate(items_.begin(), items_.end(), int64_t{0},
                           [](int64_t sum, const Item& item) { return saturating::add(sum, item.size); });
}

std::optional<QString> CleanupQueue::refusalReason(std::string_view path) const {
    auto normalized = platform::normalizedAbsolutePath(path);
    if (!normalized) return std::nullopt;
    return trashRefusal(trash_, *normalized);
}

bool CleanupQueue::contains(std::string_view path) const {
    auto normalized = platform::normalizedAbsolutePath(path);
    return normalized && staged_.count(*normalized) > 0;
}

CleanupQueue::Staging CleanupQueue::stage(std::string_view path, int64_t size, const QString& reason,
                                          std::vector<Refusal>& refused) {
    auto normalized = platform::normalizedAbsolutePath(path);
    if (!normalized || staged_.count(*normalized)) return Staging::skipped;
    if (auto refusal = trashRefusal(trash_, *normalized)) {
        refused.push_back(Refusal{std::move(*normalized), *refusal});
        return Staging::refused;
    }
    staged_.insert(*normalized);
    items_.push_back(Item{QUuid::createUuid(), std::move(*normalized), size, reason});
    return Staging::added;
}

void CleanupQueue::noteRefusals(std::vector<Refusal> refused) {
    if (refused.empty()) return;
    std::unordered_set<std::string> again;
    for (const Refusal& refusal : refused)
        again.insert(refusal.path);
    std::erase_if(refusals_, [&](const Refusal& r) { return again.count(r.path) > 0; });
    // A path refused twice in one batch is kept once, where it was refused last.
    for (size_t i = refused.size(); i-- > 0;)
        if (again.erase(refused[i].path) == 0) refused.erase(refused.begin() + std::ptrdiff_t(i));
    refusals_.insert(refusals_.end(), std::make_move_iterator(refused.begin()),
                     std::make_move_iterator(refused.end()));
    emit refusalsChanged();
}

bool CleanupQueue::add(const FileNode* node, const QString& reason) {
    // A group node or a node cut from the tree has no real place; its relative path must not be staged.
    if (!node || !node->hasRealLocation()) return false;
    std::vector<Refusal> refused;
    const Staging staged = stage(node->path(), node->sizeOnDisk, reason, refused);
    noteRefusals(std::move(refused));
    if (staged == Staging::added) emit itemsChanged();
    return staged == Staging::added;
}

int CleanupQueue::addNodes(const std::vector<FileNode*>& nodes, const QString& reason, const FileNode* kept) {
    std::vector<std::pair<std::string, int64_t>> entries;
    entries.reserve(nodes.size());
    for (const FileNode* node : nodes)
        if (node != kept && node && node->hasRealLocation())
            entries.emplace_back(node->path(), node->sizeOnDisk);
    return addAll(entries, reason, kept ? kept->path() : std::string());
}

int CleanupQueue::addAll(const std::vector<std::pair<std::string, int64_t>>& entries, const QString& reason,
                         std::string_view unstagePath) {
    int staged = 0;
    std::vector<Refusal> refused;
    for (const auto& [path, size] : entries)
        staged += stage(path, size, reason, refused) == Staging::added;
    bool unstaged = false;
    if (!unstagePath.empty())
        if (auto normalized = platform::normalizedAbsolutePath(unstagePath)) unstaged = unstage(*normalized);
    // One change for the whole batch: a hundred files staged at once redraw every observer once.
    noteRefusals(std::move(refused));
    if (staged || unstaged) emit itemsChanged();
    return staged;
}

bool CleanupQueue::unstage(const std::string& path) {
    if (!staged_.erase(path)) return false;
    std::erase_if(items_, [&](const Item& item) { return item.path == path; });
    return true;
}

void CleanupQueue::remove(std::string_view path) {
    auto normalized = platform::normalizedAbsolutePath(path);
    if (normalized && unstage(*normalized)) emit itemsChanged();
}

void CleanupQueue::remove(const QUuid& id) {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const Item& item) { return item.id == id; });
    if (it == items_.end()) return;
    staged_.erase(it->path);
    items_.erase(it);
    emit itemsChanged();
}

void CleanupQueue::clear() {
    forgetRefusals();
    if (items_.empty()) return;
    items_.clear();
    staged_.clear();
    emit itemsChanged();
}

void CleanupQueue::forgetRefusals() {
    if (refusals_.empty()) return;
    refusals_.clear();
    emit refusalsChanged();
}

void CleanupQueue::trashStaged(TrashCallback done) {
    forgetRefusals(); // the move reports its own
    std::vector<std::string> paths;
    paths.reserve(items_.size());
    for (const Item& item : items_)
        paths.push_back(item.path);
    moveToTrash(
        std::move(paths), this,
        [this, done = std::move(done)](const TrashResult& result) {
            // Only what was moved leaves the queue: items staged while the move ran stay.
            std::unordered_set<std::string> moved(result.done.begin(), result.done.end());
            auto removed =
                std::erase_if(items_, [&](const Item& item) { return moved.count(item.path) > 0; });
            for (const std::string& path : result.done)
                staged_.erase(path);
            if (removed) emit itemsChanged();
            if (done) done(result);
        },
        backend_);
}

void CleanupQueue::moveToTrash(std::vector<std::string> paths, QObject* context, TrashCallback done,
                               std::shared_ptr<platform::TrashBackend> backend) {
    if (!backend) backend = platform::defaultTrashBackend();
    runInBackground(
        QThreadPool::globalInstance(), context,
        [paths = std::move(paths), backend = std::move(backend)] {
            return moveToTrashBlocking(paths, *backend);
        },
        [done = std::move(done)](TrashResult result) {
            if (done) done(result);
        });
}

CleanupQueue::TrashResult CleanupQueue::moveToTrashBlocking(const std::vector<std::string>& paths,
                                                            platform::TrashBackend& backend) {
    TrashResult result;
    std::vector<std::string> accepted;
    const platform::TrashFolders trash = platform::TrashFolders::currentResolved();
    for (const std::string& path : paths) {
        auto normalized = platform::normalizedAbsolutePath(path);
        if (!normalized) {
            result.failed.push_back(path); // never resolved against the working folder
            continue;
        }
        // The same place may be reached through a link: its parent is judged resolved too.
        auto refusal = trashRefusal(trash, *normalized);
        if (!refusal) refusal = trashRefusal(trash, platform::resolvedItemPath(*normalized));
        if (refusal) {
            result.failed.push_back(path);
            result.refused.push_back({*normalized, *refusal});
            continue;
        }
        accepted.push_back(std::move(*normalized));
    }
    // Shortest first, so a folder is handled before anything inside it.
    std::stable_sort(accepted.begin(), accepted.end(),
                     [](const std::string& a, const std::string& b) { return a.size() < b.size(); });

    std::unordered_set<std::string> handled;
    auto settle = [&](const std::string& path) {
        result.done.push_back(path);
        handled.insert(path);
    };

    std::vector<std::string> firstFailures;
    for (const std::string& path : accepted) {
        if (insideHandled(path, handled) || !platform::existsNoFollow(path) || backend.moveToTrash(path))
            settle(path);
        else
            firstFailures.push_back(path);
    }

    for (const std::string& path : firstFailures) {
        if (insideHandled(path, handled)) {
            settle(path);
            continue;
        }
        backend.secondAttempt(path);
        if (platform::existsNoFollow(path))
            result.failed.push_back(path);
        else
            settle(path);
    }
    return result;
}
