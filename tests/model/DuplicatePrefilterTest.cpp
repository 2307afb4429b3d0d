#include "model/DuplicatePrefilter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> randomBytes(size_t length, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<unsigned char> bytes(length);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(random());
    return bytes;
}

} // namespace

// The screen may only rule files out when they differ: a byte changed anywhere, in the 32-byte stripes,
// the 8-byte words after them or the last few bytes, must change the fingerprint.
TEST(DuplicatePrefilterTest, AnyOneChangedByteChangesTheFingerprint) {
    for (size_t length : {1u, 7u, 8u, 9u, 31u, 32u, 33u, 45u, 100u, 4095u, 4096u}) {
        const std::vector<unsigned char> base = randomBytes(length, static_cast<unsigned>(length));
        const uint64_t print = DuplicatePrefilter::fingerprint(base.data(), base.size());
        std::vector<unsigned char> same = base;
        EXPECT_EQ(DuplicatePrefilter::fingerprint(same.data(), same.size()), print) << length;
        for (size_t at = 0; at < length; ++at) {
            for (unsigned char flip : {0x01, 0x80}) {
                std::vector<unsigned char> changed = base;
                changed[at] ^= flip;
                ASSERT_NE(DuplicatePrefilter::fingerprint(changed.data(), changed.size()), print)
                    << "length " << length << ", byte " << at;
            }
        }
    }
    // Zeros of different lengths differ too.
    const std::vector<unsigned char> zeros(64, 0);
    for (size_t length = 0; length < zeros.size(); ++length)
        EXPECT_NE(DuplicatePrefilter::fingerprint(zeros.data(), length),
                  DuplicatePrefilter::fingerprint(zeros.data(), length + 1))
            << length;
}

// Files up to the screened length are read with one byte to spare, so a changed length shows; longer ones
// are read only up to it. Nothing that is not a regular file gives a fingerprint, and nothing blocks.
TEST(DuplicatePrefilterTest, ReadsTheScannedLengthAndNoMore) {
    TempDir temp;
    const auto small = randomBytes(3000, 1), edge = randomBytes(4096, 2), large = randomBytes(10'000, 3);
    auto write = [&](const char* name, const std::vector<unsigned char>& bytes) {
        std::ofstream(temp.path() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    write("small", small);
    write("edge", edge);
    write("large", large);
    fs::create_symlink(temp.path() / "small", temp.path() / "link");
    fs::create_directory(temp.path() / "folder");
    ASSERT_EQ(mkfifo((temp.path() / "pipe").c_str(), 0600), 0);

    auto print = [](const std::vector<unsigned char>& bytes, size_t length) {
        return std::optional(DuplicatePrefilter::fingerprint(bytes.data(), length));
    };
    const struct {
        const char* name;
        int64_t scannedSize;
        std::optional<uint64_t> expected;
    } cases[] = {
        {"small", 3000, print(small, 3000)},
        {"small", 2999, std::nullopt}, // grew since the scan
        {"small", 3001, std::nullopt}, // shrank
        {"edge", 4096, print(edge, 4096)},
        {"edge", 4095, std::nullopt},
        {"large", 10'000, print(large, DuplicatePrefilter::kBytes)},
        {"large", 9000,
         print(large, DuplicatePrefilter::kBytes)}, // past the screened bytes: left to the hashing
        {"large", 4000, std::nullopt},              // scanned as short, read whole: it grew
        {"link", 3000, std::nullopt},
        {"folder", 4096, std::nullopt},
        {"pipe", 10, std::nullopt},
        {"missing", 10, std::nullopt},
    };
    int folder = open(temp.str().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    std::vector<unsigned char> buffer(DuplicatePrefilter::kBytes + 1);
    for (const auto& c : cases)
        EXPECT_EQ(DuplicatePrefilter::readAt(folder, c.name, c.scannedSize, buffer), c.expected)
            << c.name << " scanned at " << c.scannedSize;
    close(folder);
}
