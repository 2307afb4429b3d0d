#pragma once

#include <QUuid>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The logical sizes of a scanned folder and of every folder of at least 1,000,000 bytes inside it,
// taken at one moment. Stored as JSON (see encode()); files from other builds load unchanged.
struct Snapshot {
    // Seconds between 1970-01-01 and 2001-01-01 UTC: `takenAt` is kept as stored, relative to 2001.
    static constexpr double kReferenceDateOffset = 978'307'200.0;
    static constexpr int64_t kMinimumFolderBytes = 1'000'000;

    struct Summary {
        QUuid id;
        std::string rootPath;
        double takenAt = 0; // seconds since 2001-01-01 00:00:00 UTC
        int64_t totalSize = 0;
        int64_t folderCount = 0;
        friend bool operator==(const Summary&, const Summary&) = default;
    };

    struct Delta {
        std::string path;
        int64_t before = 0; // 0 when the folder is not in the earlier snapshot
        int64_t after = 0;  // 0 when it is not in the later one
        // after - before, saturated (sizes read from a file may be anything).
        int64_t change() const {
            int64_t d = 0;
            if (__builtin_sub_overflow(after, before, &d)) return after > before ? INT64_MAX : INT64_MIN;
            return d;
        }
        friend bool operator==(const Delta&, const Delta&) = default;
    };

    QUuid id;
    std::string rootPath;
    double takenAt = 0;                         // seconds since 2001-01-01 00:00:00 UTC
    std::map<std::string, int64_t> folderSizes; // full folder path -> logical size

    double takenAtUnix() const { return takenAt + kReferenceDateOffset; }
    // The snapshot as its file holds it. JSON text is UTF-8, so bytes of a path that are not become
    // replacement characters, and two folders whose paths differ only there ("caf\xE9", "caf\xE8")
    // would be written under one key: they become one entry holding both sizes (saturating), so the
    // file, its summary and a comparison agree and no byte is lost.
    Snapshot written() const;
    // totalSize = the root's entry (0 when absent), folderCount = the number of entries.
    Summary summary() const;

    // Folders that changed between two snapshots, largest absolute change first
    // (equal changes by path). Pure; callable from any thread.
    static std::vector<Delta> deltas(const Snapshot& earlier, const Snapshot& later);

    // Compact JSON: {"id":"UPPER-CASE-UUID","rootPath":..,"takenAt":<seconds since
    // 2001>,"folderSizes":{path:int}}. Paths that are not valid UTF-8 are written with replacement
    // characters; encode written() so that no two paths meet under one key.
    std::string encode() const;
    // Every key required, unknown keys ignored, UUIDs in either case; nothing when it does not decode.
    static std::optional<Snapshot> decode(std::string_view json);
    // A JSON array of snapshots (the legacy single-file list).
    static std::optional<std::vector<Snapshot>> decodeList(std::string_view json);

    // The index: a JSON array of summaries {"id","rootPath","takenAt","totalSize","folderCount"}.
    static std::string encodeSummaries(const std::vector<Summary>& summaries);
    static std::optional<std::vector<Summary>> decodeSummaries(std::string_view json);

    // Canonical text of an id: 36 characters, upper-case hexadecimal.
    static std::string uuidText(const QUuid& id);
};
