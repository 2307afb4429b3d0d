#pragma once

#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace AppUninstaller {

// Which applications' keys a folder entry's name contains, for thousands of apps against thousands of
// entries: one automaton over every key (Aho-Corasick), built once per listing, reads each name once
// instead of searching it for every key. Names and keys are bytes. Built on one thread; `owners` only
// reads, so worker threads may share it.
class LeftoverKeys {
  public:
    // `keys`: (key, owner) pairs; an owner may have several keys, a key several owners. Empty keys are
    // ignored. Once `stop` is requested no further key is taken in.
    explicit LeftoverKeys(const std::vector<std::pair<std::string, size_t>>& keys, std::stop_token stop = {});

    // The owners, ascending and each once, of the keys that occur in `name`.
    std::vector<size_t> owners(std::string_view name) const;

  private:
    struct Node {
        std::vector<std::pair<unsigned char, uint32_t>> next; // the trie's edges
        uint32_t fail = 0;   // the node of the longest proper suffix of this one's text that is in the trie
        uint32_t output = 0; // the nearest node along the fail links that ends a key; 0 when none
        std::vector<size_t> owners; // of the keys ending here
    };
    uint32_t child(uint32_t node, unsigned char c) const; // 0 when there is no such edge

    std::vector<Node> nodes_ = std::vector<Node>(1); // the root first
};

} // namespace AppUninstaller
