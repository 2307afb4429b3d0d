#pragma once

#include <cstdint>
#include <string>
#include <utility>

// Where the scanning stands: nothing scanned yet, a scan running with its live counters, or the last
// scan finished and published. The state object's `status`.
struct ScanStatus {
    enum class Kind { idle, scanning, done };
    Kind kind = Kind::idle;
    // Live counters; meaningful while scanning only (zero and empty otherwise).
    int64_t filesScanned = 0;
    int64_t bytes = 0;
    std::string currentPath;

    static ScanStatus idle() { return {}; }
    static ScanStatus done() { return {Kind::done, 0, 0, {}}; }
    static ScanStatus scanning(int64_t files, int64_t bytes, std::string path) {
        return {Kind::scanning, files, bytes, std::move(path)};
    }
    bool isScanning() const { return kind == Kind::scanning; }
    friend bool operator==(const ScanStatus&, const ScanStatus&) = default;
};
