#include "model/EntryBatch.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// getdents64 records for `count` names, as one read hands them over.
std::vector<std::byte> records(size_t count) {
    std::vector<std::byte> out;
    for (size_t i = 0; i < count; ++i) {
        const std::string name = "entry" + std::to_string(i) + ".txt";
        const size_t length = (19 + name.size() + 1 + 7) / 8 * 8;
        std::vector<std::byte> record(length);
        const uint64_t inode = i + 1;
        const auto reclen = static_cast<uint16_t>(length);
        std::memcpy(record.data(), &inode, sizeof inode);
        std::memcpy(record.data() + 16, &reclen, sizeof reclen);
        record[18] = static_cast<std::byte>(i % 2 ? DT_DIR : DT_REG);
        std::memcpy(record.data() + 19, name.c_str(), name.size() + 1);
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

TEST(EntryBatch, CopiesTheNamesAndTypesAndFreesTheNamesWithTheLastChunk) {
    const std::vector<std::byte> read = records(1000);
    EntryBatch batch(read, 64);
    ASSERT_EQ(batch.size(), 1000u);
    EXPECT_EQ(batch.chunkCount(), 16u); // the last one short
    EXPECT_EQ(batch.name(0), "entry0.txt");
    EXPECT_EQ(batch.name(999), "entry999.txt");
    EXPECT_EQ(batch.type(0), DT_REG);
    EXPECT_EQ(batch.type(999), DT_DIR);

    size_t entries = 0;
    while (auto chunk = batch.takeChunk()) {
        entries += chunk->end - chunk->begin;
        EXPECT_EQ(batch.finishChunk(), entries == 1000) << "chunk ending at " << chunk->end;
    }
    EXPECT_EQ(entries, 1000u);
    // What stays is a slot per entry: the names, their starts and types are given back.
    EXPECT_EQ(batch.bytesHeld(), 1000 * sizeof(FileNode*) + std::string().capacity());
}

TEST(EntryBatch, EachChunkIsTakenOnceAmongManyTakers) {
    const std::vector<std::byte> read = records(5000);
    EntryBatch batch(read, 7);
    std::vector<std::vector<EntryBatch::Range>> taken(8);
    std::vector<std::thread> takers;
    for (auto& mine : taken)
        takers.emplace_back([&batch, &mine] {
            while (auto chunk = batch.takeChunk())
                mine.push_back(*chunk);
        });
    for (std::thread& t : takers)
        t.join();
    std::set<size_t> begins;
    size_t entries = 0;
    for (const auto& mine : taken)
        for (const EntryBatch::Range& r : mine) {
            EXPECT_TRUE(begins.insert(r.begin).second) << "chunk at " << r.begin << " taken twice";
            entries += r.end - r.begin;
        }
    EXPECT_EQ(entries, 5000u);
    EXPECT_EQ(begins.size(), batch.chunkCount());
}

TEST(EntryBatch, ABatchWhoseJobsWereNeverHandedOutHasNoChunkToTake) {
    const std::vector<std::byte> read = records(10);
    EntryBatch batch(read, 4);
    batch.takeNone();
    EXPECT_FALSE(batch.takeChunk().has_value());
    EXPECT_EQ(batch.slots().size(), 10u);
}

} // namespace
