#include "model/SnapshotStore.h"

#include "model/BackgroundTask.h"
#include "platform/FileIO.h"
#include "platform/UserFolders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <shared_mutex>
#include <unordered_set>

namespace {

double secondsSinceReferenceDate() {
    double unix = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return unix - Snapshot::kReferenceDateOffset;
}

bool isSnapshotFileName(std::string_view name) {
    // "<36-character UUID>.json"
    if (name.size() != 41 || !name.ends_with(".json")) return false;
    for (size_t i = 0; i < 36; ++i) {
        char c = name[i];
        bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (hyphen ? c != '-' : !hex) return false;
    }
    return true;
}

QString idText(const QUuid& id) {
    return id.toString();
}

// Summaries of the snapshot files in the folder whose ids are not `known`, oldest first.
std::vector<Snapshot::Summary> summariesFromFiles(const std::string& directory,
                                                  const std::unordered_set<QString>& known) {
    std::vector<Snapshot::Summary> found;
    DIR* dir = opendir(directory.c_str());
    if (!dir) return found;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (isSnapshotFileName(entry->d_name) &&
            !known.count(idText(QUuid::fromString(QLatin1StringView(entry->d_name, 36)))))
            names.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        if (auto snapshot = SnapshotStore::readSnapshot(directory + "/" + name))
            found.push_back(snapshot->summary());
    std::stable_sort(found.begin(), found.end(), [](const Snapshot::Summary& a, const Snapshot::Summary& b) {
        return a.takenAt < b.takenAt;
    });
    return found;
}

} // namespace

struct SnapshotStore::Written {
    std::mutex mutex;
    std::vector<Snapshot::Summary> summaries;
};

namespace {

struct LegacyResult {
    std::vector<Snapshot::Summary> written;
    bool allWritten = false;
};

} // namespace

SnapshotStore::SnapshotStore(QObject* parent) : SnapshotStore(platform::dataHome() + "/Brenwick", parent) {}

SnapshotStore::SnapshotStore(const std::string& baseFolder, QObject* parent)
    : QObject(parent), baseFolder_(baseFolder), directory_(baseFolder + "/Snapshots"),
      written_(std::make_shared<Written>()) {
    pool_.setMaxThreadCount(4);
    open();
}

SnapshotStore::~SnapshotStore() {
    stop_.request_stop();
    pool_.waitForDone();
    if (listWritten()) writeIndex();
}

bool SnapshotStore::waitForBackgroundWork(int msecs) {
    return pool_.waitForDone(msecs);
}

std::string SnapshotStore::snapshotFile(const QUuid& id) const {
    return directory_ + "/" + Snapshot::uuidText(id) + ".json";
}

void SnapshotStore::open() {
    platform::makeFolders(directory_, 0755);
    const std::string index = directory_ + "/" + kIndexFileName;
    struct stat st {};
    bool present = lstat(index.c_str(), &st) == 0 || errno != ENOENT;
    bool rebuild = false;
    if (present) {
        auto text = platform::readRegularFile(index, kMaxFileBytes);
        auto decoded = text ? Snapshot::decodeSummaries(*text) : std::nullopt;
        if (decoded) {
            summaries_ = std::move(*decoded);
        } else {
            // Never write over an index we could not understand: keep it beside, and rebuild the
            // list from the snapshot files themselves. If it cannot be moved, leave it untouched.
            indexWritable_ = platform::moveAside(index, "damaged").has_value();
            rebuild = true;
        }
    }
    // A snapshot whose file was written but not listed (a quit or a crash came between) is listed too.
    listUnindexedInBackground(rebuild);
    migrateLegacyList();
}

bool SnapshotStore::writeIndex() {
    if (!indexWritable_) return false;
    return platform::writeFileAtomically(directory_ + "/" + kIndexFileName,
                                         Snapshot::encodeSummaries(summaries_));
}

bool SnapshotStore::list(const Snapshot::Summary& summary) {
    if (removed_.count(idText(summary.id)) ||
        std::any_of(summaries_.begin(), summaries_.end(),
                    [&](const Snapshot::Summary& s) { return s.id == summary.id; }))
        return false;
    summaries_.push_back(summary);
    return true;
}

bool SnapshotStore::listWritten() {
    std::vector<Snapshot::Summary> written;
    {
        std::lock_guard lock(written_->mutex);
        written.swap(written_->summaries);
    }
    bool listed = false;
    for (const auto& summary : written)
        listed = list(summary) || listed;
    return listed;
}

bool SnapshotStore::mergeSummaries(const std::vector<Snapshot::Summary>& found) {
    for (const auto& s : found)
        list(s);
    std::stable_sort(
        summaries_.begin(), summaries_.end(),
        [](const Snapshot::Summary& a, const Snapshot::Summary& b) { return a.takenAt < b.takenAt; });
    bool written = writeIndex();
    emit summariesChanged();
    return written;
}

void SnapshotStore::listUnindexedInBackground(bool rebuild) {
    std::unordered_set<QString> known;
    for (const auto& s : summaries_)
        known.insert(idText(s.id));
    runInBackground(
        &pool_, this,
        [directory = directory_, known = std::move(known)] { return summariesFromFiles(directory, known); },
        [this, rebuild](std::vector<Snapshot::Summary> found) {
            if (rebuild || !found.empty()) mergeSummaries(found);
        });
}

void SnapshotStore::migrateLegacyList() {
    const std::string legacy = baseFolder_ + "/" + kLegacyFileName;
    struct stat st {};
    if (lstat(legacy.c_str(), &st) != 0) return;
    runInBackground(
        &pool_, this,
        [legacy, directory = directory_]() -> std::optional<LegacyResult> {
            auto text = platform::readRegularFile(legacy, kMaxFileBytes);
            if (!text) return std::nullopt;
            auto list = Snapshot::decodeList(*text);
            if (!list) return std::nullopt;
            LegacyResult result;
            result.allWritten = true;
            for (Snapshot& snapshot : *list) {
                std::erase_if(snapshot.folderSizes, [&](const auto& entry) {
                    return entry.first != snapshot.rootPath && entry.second < Snapshot::kMinimumFolderBytes;
                });
                if (writeSnapshot(snapshot, directory))
                    result.written.push_back(snapshot.summary());
                else
                    result.allWritten = false;
            }
            return result;
        },
        [this, legacy](std::optional<LegacyResult> result) {
            if (!result) return; // unreadable: the legacy list stays where it is
            bool indexed = mergeSummaries(result->written);
            // Removing the list is only safe once every snapshot in it lives in its own file and is listed.
            if (result->allWritten && indexed) unlink(legacy.c_str());
        });
}

std::map<std::string, int64_t> SnapshotStore::collectFolderSizes(const FileNode* root, std::stop_token stop) {
    std::map<std::string, int64_t> sizes;
    if (!root) return sizes;
    struct Step {
        const FileNode* node;
        std::string path;
    };
    std::vector<Step> stack{{root, root->path()}};
    while (!stack.empty() && !stop.stop_requested()) {
        Step step = std::move(stack.back());
        stack.pop_back();
        sizes[step.path] = step.node->logicalSize;
        auto kids = step.node->children();
        for (size_t i = kids.size(); i-- > 0;) {
            const FileNode* child = kids[i];
            if (!child->isDirectory() || child->logicalSize < Snapshot::kMinimumFolderBytes) continue;
            std::string childPath = step.path == "/" ? "/" : step.path + "/";
            childPath += child->name();
            stack.push_back({child, std::move(childPath)});
        }
    }
    return sizes;
}

bool SnapshotStore::writeSnapshot(const Snapshot& snapshot, const std::string& folder) {
    return platform::writeFileAtomically(folder + "/" + Snapshot::uuidText(snapshot.id) + ".json",
                                         snapshot.encode());
}

std::optional<Snapshot> SnapshotStore::readSnapshot(const std::string& file) {
    auto text = platform::readRegularFile(file, kMaxFileBytes);
    if (!text) return std::nullopt;
    return Snapshot::decode(*text);
}

void SnapshotStore::save(std::shared_ptr<ScanTree> tree, const FileNode* root) {
    if (isSaving_ || !tree) return;
    if (!root) root = tree->root();
    isSaving_ = true;
    emit isSavingChanged();
    runInBackground(
        &pool_, this,
        [tree = std::move(tree), root, directory = directory_, stop = stop_.get_token(), written = written_] {
            Snapshot snapshot;
            {
                // The walk only; the file is written after the lock is released.
                std::shared_lock lock(tree->mutex());
                snapshot.rootPath = root->path();
                snapshot.folderSizes = collectFolderSizes(root, stop);
            }
            // The store is going: a cut walk must not be written.
            if (stop.stop_requested()) return false;
            snapshot.id = QUuid::createUuid();
            snapshot.takenAt = secondsSinceReferenceDate();
            // The summary must count what the file holds.
            snapshot = snapshot.written();
            if (!writeSnapshot(snapshot, directory)) return false;
            // Listed by whichever comes first: the result on the main thread, or the store's end.
            std::lock_guard lock(written->mutex);
            written->summaries.push_back(snapshot.summary());
            return true;
        },
        [this](bool) {
            if (listWritten()) {
                writeIndex();
                emit summariesChanged();
            }
            isSaving_ = false;
            emit isSavingChanged();
        });
}

void SnapshotStore::load(const QUuid& id, QObject* context,
                         std::function<void(std::optional<Snapshot>)> done) {
    runInBackground(
        &pool_, context, [file = snapshotFile(id)] { return readSnapshot(file); },
        [done = std::move(done)](std::optional<Snapshot> snapshot) {
            if (done) done(std::move(snapshot));
        });
}

void SnapshotStore::compare(Snapshot earlier, Snapshot later, size_t limit, QObject* context,
                            std::function<void(std::vector<Snapshot::Delta>)> done) {
    runInBackground(
        &pool_, context,
        [earlier = std::move(earlier), later = std::move(later), limit] {
            // Cut here: the changes left out are freed off the window thread too.
            std::vector<Snapshot::Delta> deltas = Snapshot::deltas(earlier, later);
            if (deltas.size() > limit) deltas.resize(limit);
            return deltas;
        },
        [done = std::move(done)](std::vector<Snapshot::Delta> deltas) {
            if (done) done(std::move(deltas));
        });
}

void SnapshotStore::remove(const QUuid& id) {
    removed_.insert(idText(id));
    std::erase_if(summaries_, [&](const Snapshot::Summary& s) { return s.id == id; });
    writeIndex();
    emit summariesChanged();
    unlink(snapshotFile(id).c_str());
}
