#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The duplicate search's first, cheap look at a candidate: a 64-bit fingerprint of its first bytes.
// Equal files always get equal fingerprints, so the fingerprint only rules files out; the files it lets
// through are still compared by SHA-256. Most files that merely share a size differ in their first
// 4 KiB, and reading and fingerprinting those costs a fraction of hashing 64 KiB of each.
namespace DuplicatePrefilter {

// Bytes fingerprinted per file; files no longer than this are fingerprinted whole.
constexpr int64_t kBytes = 4096;

// A fast non-cryptographic 64-bit hash: every input byte affects the result, and a change of any one
// byte changes it.
uint64_t fingerprint(const unsigned char* data, size_t length);

// Fingerprint of the first min(kBytes, expectedSize) bytes of the entry `name` of the open folder
// `folder`, opened as the hashing reads open it (no link followed, no blocking on a pipe). A file no
// longer than kBytes is read with one byte more than `expectedSize`, so nothing comes back when it grew
// or shrank since the scan, or is no longer a regular file; a longer one is read only up to kBytes. The
// read leaves the page cache as it found it.
// `buffer` is scratch space of at least kBytes + 1 bytes.
std::optional<uint64_t> readAt(int folder, const char* name, int64_t expectedSize,
                               std::vector<unsigned char>& buffer);

} // namespace DuplicatePrefilter
