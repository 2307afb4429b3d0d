#pragma once

// Gives a container's storage back to the allocator. `c = {}` does not: it picks the
// initializer-list assignment, which empties the container and keeps its capacity.
template <typename Container> void freeStorage(Container& c) noexcept {
    Container().swap(c);
}
