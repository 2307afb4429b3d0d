#include "model/DuplicatePrefilter.h"

#include "platform/PageCache.h"
#include "platform/ReadOpen.h"

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cstring>

namespace DuplicatePrefilter {

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

uint64_t load64(const unsigned char* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Every step below is a bijection of the state for a fixed input and of the input for a fixed state,
// so two inputs of one length that differ anywhere never end in the same state by a single change.
uint64_t round(uint64_t state, uint64_t word) {
    return std::rotl(state + word * kPrime2, 31) * kPrime1;
}

uint64_t mix(uint64_t x) {
    x ^= x >> 33;
    x *= kPrime2;
    x ^= x >> 29;
    x *= kPrime3;
    x ^= x >> 32;
    return x;
}

} // namespace

uint64_t fingerprint(const unsigned char* data, size_t length) {
    const unsigned char* p = data;
    const unsigned char* const end = data + length;
    // Four independent lanes over 32-byte stripes keep the multiplier busy.
    uint64_t lane[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    for (; end - p >= 32; p += 32)
        for (int i = 0; i < 4; ++i)
            lane[i] = round(lane[i], load64(p + 8 * i));
    uint64_t h = mix(static_cast<uint64_t>(length) ^ kPrime5);
    for (uint64_t l : lane)
        h = mix(h ^ l);
    for (; end - p >= 8; p += 8)
        h = mix(h ^ round(0, load64(p)));
    for (; p < end; ++p)
        h = mix(h ^ (*p * kPrime5));
    return h;
}

std::optional<uint64_t> readAt(int folder, const char* name, int64_t expectedSize,
                               std::vector<unsigned char>& buffer) {
    if (expectedSize < 0 || buffer.size() <= static_cast<size_t>(kBytes)) return std::nullopt;
    const bool whole = expectedSize <= kBytes;
    const auto toHash = static_cast<size_t>(whole ? expectedSize : kBytes);
    const size_t toRead = whole ? toHash + 1 : toHash; // one byte more shows a file that grew
    int fd = platform::openToRead(folder, name);
    if (fd < 0) return std::nullopt;
    ssize_t got;
    {
        platform::CacheKeepingReader reader(fd, static_cast<int64_t>(toRead));
        got = reader.read(buffer.data(), toRead);
    }
    close(fd);
    if (got < 0 || static_cast<size_t>(got) != toHash) return std::nullopt;
    return fingerprint(buffer.data(), toHash);
}

} // namespace DuplicatePrefilter
