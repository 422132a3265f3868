#include "ByteScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tus2wf::scan {
namespace {

TEST(ByteScanTest, MatchBitsMarksEveryTargetAndNothingPastTheEnd) {
    std::mt19937 random(77);
    std::string bytes(2 * kBlock, '\0');
    for (char& c : bytes) {
        c = "\r\nab["[random() % 5];
    }
    for (std::size_t size : {2 * kBlock, 2 * kBlock - 1, kBlock + 1, kBlock}) {
        for (std::size_t block : {std::size_t{0}, kBlock}) {
            if (block >= size) {
                continue;
            }
            const auto [cr, bracket] = matchBits<2>(bytes.data(), block, size, {'\r', '['});
            for (std::size_t i = 0; i < kBlock; ++i) {
                const bool inside = block + i < size;
                ASSERT_EQ((cr >> i) & 1, inside && bytes[block + i] == '\r') << size << " " << i;
                ASSERT_EQ((bracket >> i) & 1, inside && bytes[block + i] == '[')
                    << size << " " << i;
            }
        }
    }
}

TEST(ByteScanTest, ChunkCountCountsEveryMatchOfTheChunk) {
    std::string bytes(kChunk, 'x');
    EXPECT_EQ(chunkCount<'\r'>(bytes.data()), 0);
    bytes.front() = '\r';
    bytes.back() = '\r';
    bytes[1] = '\n';
    EXPECT_EQ(chunkCount<'\r'>(bytes.data()), 2);
    EXPECT_EQ(chunkCount<'\n'>(bytes.data()), 1);
    // Every byte a match fills each counting lane as far as it can go.
    EXPECT_EQ(chunkCount<'\n'>(std::string(kChunk, '\n').data()),
              static_cast<std::int64_t>(kChunk));
}

TEST(ByteScanTest, BitHelpersCoverTheWholeWord) {
    EXPECT_EQ(bitsBelow(0), 0u);
    EXPECT_EQ(bitsBelow(1), 1u);
    EXPECT_EQ(bitsBelow(kBlock), ~std::uint64_t{0});
    EXPECT_EQ(bitsFrom(0), ~std::uint64_t{0});
    EXPECT_EQ(bitsFrom(63), std::uint64_t{1} << 63);
    EXPECT_EQ(nthBit(0b1011000, 0), 3u);
    EXPECT_EQ(nthBit(0b1011000, 2), 6u);
    EXPECT_EQ(nthBit(std::uint64_t{1} << 63, 0), 63u);
    EXPECT_EQ(lowestBit(std::uint64_t{1} << 40 | std::uint64_t{1} << 50), 40u);
}

}  // namespace
}  // namespace tus2wf::scan
