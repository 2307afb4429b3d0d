#pragma once

#include "model/ViewModes.h"
#include "shell/style/Theme.h" // ColorScheme

#include <cstdint>
#include <functional>

class FileNode;

// The layout key of a canvas view: a layout is computed again only when one of these changes.
// Nodes are held as identities only; the key never keeps a tree alive or reads it.
struct VizKey {
    int64_t generation = 0;         // the scan generation: new scans and tree edits change it
    const FileNode* node = nullptr; // the folder laid out
    int width = 0;                  // whole points (each view rounds its size the same way for both keys)
    int height = 0;
    int depth = 0; // the depth limit the layout honours
    ColorMode mode = ColorMode::folder;
    // What the layout starts from: the folder, its regrouping, or null while that is being made.
    const FileNode* source = nullptr;

    friend bool operator==(const VizKey&, const VizKey&) = default;
};

// The drawing key: a cached drawing is redrawn only when it changes. Hover is not part of it.
struct CanvasKey {
    VizKey layout;
    int width = 0;
    int height = 0;
    const FileNode* selected = nullptr; // none when nothing is selected
    ColorScheme scheme = ColorScheme::light;
    bool abbreviateLabels = false;

    friend bool operator==(const CanvasKey&, const CanvasKey&) = default;
};

namespace canvas_keys {
inline void combine(size_t& seed, size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}
} // namespace canvas_keys

template <> struct std::hash<VizKey> {
    size_t operator()(const VizKey& k) const noexcept {
        size_t seed = std::hash<int64_t>()(k.generation);
        canvas_keys::combine(seed, std::hash<const void*>()(k.node));
        canvas_keys::combine(seed, std::hash<int>()(k.width));
        canvas_keys::combine(seed, std::hash<int>()(k.height));
        canvas_keys::combine(seed, std::hash<int>()(k.depth));
        canvas_keys::combine(seed, std::hash<int>()(int(k.mode)));
        canvas_keys::combine(seed, std::hash<const void*>()(k.source));
        return seed;
    }
};

template <> struct std::hash<CanvasKey> {
    size_t operator()(const CanvasKey& k) const noexcept {
        size_t seed = std::hash<VizKey>()(k.layout);
        canvas_keys::combine(seed, std::hash<int>()(k.width));
        canvas_keys::combine(seed, std::hash<int>()(k.height));
        canvas_keys::combine(seed, k.selected ? 1 : 0);
        if (k.selected) canvas_keys::combine(seed, std::hash<const void*>()(k.selected));
        canvas_keys::combine(seed, std::hash<int>()(int(k.scheme)));
        canvas_keys::combine(seed, k.abbreviateLabels ? 1 : 0);
        return seed;
    }
};
