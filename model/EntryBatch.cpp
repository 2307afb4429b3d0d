#include "model/EntryBatch.h"

#include "model/FreeStorage.h"
#include "platform/DirectoryReader.h"

#include <algorithm>

EntryBatch::EntryBatch(std::span<const std::byte> records, size_t chunkEntries)
    : chunkEntries_(std::max<size_t>(chunkEntries, 1)) {
    // Sized exactly up front: lists grown by doubling leave holes the next batches do not fit.
    size_t count = 0, nameBytes = 0;
    platform::forEachDirEntry(records, [&](platform::DirEntry e) {
        ++count;
        nameBytes += e.name.size() + 1;
    });
    names_.reserve(nameBytes);
    nameStarts_.reserve(count);
    types_.reserve(count);
    platform::forEachDirEntry(records, [&](platform::DirEntry e) {
        nameStarts_.push_back(static_cast<uint32_t>(names_.size()));
        names_.append(e.name).push_back('\0');
        types_.push_back(e.type);
    });
    slots_.assign(count, nullptr);
    chunks_ = (count + chunkEntries_ - 1) / chunkEntries_;
    chunksLeft_.store(chunks_, std::memory_order_relaxed);
}

std::string_view EntryBatch::name(size_t i) const {
    size_t end = i + 1 < nameStarts_.size() ? nameStarts_[i + 1] - 1 : names_.size() - 1;
    return std::string_view(names_).substr(nameStarts_[i], end - nameStarts_[i]);
}

std::optional<EntryBatch::Range> EntryBatch::takeChunk() {
    const size_t chunk = nextChunk_.fetch_add(1, std::memory_order_relaxed);
    if (chunk >= chunks_) return std::nullopt;
    return Range{chunk * chunkEntries_, std::min(slots_.size(), (chunk + 1) * chunkEntries_)};
}

void EntryBatch::takeNone() {
    nextChunk_.store(chunks_, std::memory_order_relaxed);
}

bool EntryBatch::finishChunk() {
    if (chunksLeft_.fetch_sub(1, std::memory_order_acq_rel) != 1) return false;
    freeStorage(names_);
    freeStorage(nameStarts_);
    freeStorage(types_);
    return true;
}

size_t EntryBatch::bytesHeld() const {
    return names_.capacity() + nameStarts_.capacity() * sizeof(uint32_t) + types_.capacity() +
           slots_.capacity() * sizeof(FileNode*);
}
