#include "model/LeftoverKeys.h"

#include <algorithm>

namespace AppUninstaller {

LeftoverKeys::LeftoverKeys(const std::vector<std::pair<std::string, size_t>>& keys, std::stop_token stop) {
    for (const auto& [key, owner] : keys) {
        if (stop.stop_requested()) return;
        if (key.empty()) continue;
        uint32_t node = 0;
        for (const unsigned char c : key) {
            uint32_t next = child(node, c);
            if (next == 0) {
                next = static_cast<uint32_t>(nodes_.size());
                nodes_[node].next.emplace_back(c, next);
                nodes_.emplace_back();
            }
            node = next;
        }
        nodes_[node].owners.push_back(owner);
    }

    // Breadth first, so that every shorter suffix is linked before the nodes that fail to it.
    std::vector<uint32_t> queue;
    for (const auto& [c, next] : nodes_[0].next)
        queue.push_back(next);
    for (size_t i = 0; i < queue.size(); ++i) {
        if (stop.stop_requested()) return;
        const uint32_t node = queue[i];
        for (const auto& [c, next] : nodes_[node].next) {
            uint32_t fail = nodes_[node].fail;
            while (fail != 0 && child(fail, c) == 0)
                fail = nodes_[fail].fail;
            nodes_[next].fail = child(fail, c); // never `next` itself: it lies deeper than any suffix
            const Node& suffix = nodes_[nodes_[next].fail];
            nodes_[next].output = suffix.owners.empty() ? suffix.output : nodes_[next].fail;
            queue.push_back(next);
        }
    }
}

uint32_t LeftoverKeys::child(uint32_t node, unsigned char c) const {
    for (const auto& [edge, next] : nodes_[node].next)
        if (edge == c) return next;
    return 0;
}

std::vector<size_t> LeftoverKeys::owners(std::string_view name) const {
    std::vector<size_t> found;
    uint32_t node = 0;
    for (const unsigned char c : name) {
        while (node != 0 && child(node, c) == 0)
            node = nodes_[node].fail;
        node = child(node, c);
        // Every key ending here: this node's own, then those of its suffixes.
        for (uint32_t end = nodes_[node].owners.empty() ? nodes_[node].output : node; end != 0;
             end = nodes_[end].output)
            found.insert(found.end(), nodes_[end].owners.begin(), nodes_[end].owners.end());
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

} // namespace AppUninstaller
