#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class FileNode;

// The entries of one read of a large folder (getdents64 records), copied out of the reader's buffer
// and cut into chunks of statx work. Each chunk is taken once, by whoever asks first: a worker's job
// or the folder's own reader. The node made for an entry goes into its slot; when the last chunk is
// done the names are freed, since the nodes hold them.
class EntryBatch {
  public:
    struct Range {
        size_t begin;
        size_t end;
    };

    EntryBatch(std::span<const std::byte> records, size_t chunkEntries);
    EntryBatch(const EntryBatch&) = delete;
    EntryBatch& operator=(const EntryBatch&) = delete;

    size_t size() const { return slots_.size(); }
    size_t chunkCount() const { return chunks_; }
    // Valid until the last chunk is done.
    std::string_view name(size_t i) const;
    uint8_t type(size_t i) const { return types_[i]; }

    // One per entry; null where the entry was left out (or its chunk has not run).
    std::span<FileNode* const> slots() const { return slots_; }
    void setSlot(size_t i, FileNode* node) { slots_[i] = node; }

    // The entries of the next chunk nobody has taken, if any.
    std::optional<Range> takeChunk();
    // Leaves no chunk to take: for a batch whose jobs could not be handed out.
    void takeNone();
    // Ends a taken chunk. True for the last one, which has freed the names.
    bool finishChunk();

    // Heap bytes held by the names, their starts, types and slots.
    size_t bytesHeld() const;

  private:
    std::string names_; // NUL-terminated, back to back
    std::vector<uint32_t> nameStarts_;
    std::vector<uint8_t> types_;
    std::vector<FileNode*> slots_;
    size_t chunkEntries_;
    size_t chunks_;
    std::atomic<size_t> nextChunk_ = 0;
    std::atomic<size_t> chunksLeft_;
};
