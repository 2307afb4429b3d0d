#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A bump allocator for trivially destructible objects (nodes, names, child arrays).
// Nothing is freed one by one; everything goes when the arena dies.
class Arena {
  public:
    explicit Arena(size_t blockSize = 1 << 20) : blockSize_(blockSize) {}
    Arena(Arena&&) noexcept = default;
    Arena& operator=(Arena&&) noexcept = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    void* allocate(size_t bytes, size_t align = alignof(std::max_align_t)) {
        size_t pad = (align - (reinterpret_cast<uintptr_t>(cursor_) & (align - 1))) & (align - 1);
        if (pad + bytes > left_) {
            grow(bytes + align);
            pad = (align - (reinterpret_cast<uintptr_t>(cursor_) & (align - 1))) & (align - 1);
        }
        std::byte* p = cursor_ + pad;
        cursor_ = p + bytes;
        left_ -= pad + bytes;
        return p;
    }

    template <typename T> T* allocateArray(size_t count) {
        return static_cast<T*>(allocate(sizeof(T) * count, alignof(T)));
    }

    // Takes over the other arena's blocks; pointers into them stay valid.
    void adopt(Arena&& other) {
        for (auto& b : other.blocks_)
            blocks_.push_back(std::move(b));
        reserved_ += other.reserved_;
        other.blocks_.clear();
        other.cursor_ = nullptr;
        other.left_ = 0;
        other.reserved_ = 0;
    }

    size_t bytesReserved() const { return reserved_; }

  private:
    void grow(size_t atLeast) {
        size_t size = atLeast > blockSize_ ? atLeast : blockSize_;
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
        cursor_ = blocks_.back().get();
        left_ = size;
        reserved_ += size;
    }

    size_t blockSize_;
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    std::byte* cursor_ = nullptr;
    size_t left_ = 0;
    size_t reserved_ = 0;
};
