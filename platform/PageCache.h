#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Which pages of [offset, offset + length) of the open file are in the page cache, one flag per page
// (bit 0 set: resident); empty when that cannot be told (the file cannot be mapped). `offset` must be a
// multiple of the page size.
std::vector<unsigned char> residentPages(int fd, int64_t offset, int64_t length);

// Drops from the page cache the pages of [offset, offset + length) that `before` (as residentPages gave
// it for the same range) does not mark resident: what a read brought in, and nothing another program had
// cached. An empty `before` drops nothing.
void dropPagesNotIn(int fd, int64_t offset, int64_t length, const std::vector<unsigned char>& before);

} // namespace platform
