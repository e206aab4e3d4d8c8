#include "media/avi_index.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "media/le_bytes.h"

namespace korvid::media {
namespace {

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

TEST(AviIndex, StandardIndexReachesPastFourGiB) {
  // A part that starts at 5 GiB: offsets stay 32-bit, relative to a 64-bit base.
  const std::uint64_t base = 5 * kGiB + 12;
  const IndexedChunk chunks[] = {{base + 24 + 8, 144000, true}, {base + 3 * kGiB, 7680, false}};
  const auto ix = BuildStandardIndex(0, ChunkCode(0, {'d', 'c'}), base, chunks);
  ASSERT_EQ(ix.size(), StandardIndexBytes(2));
  EXPECT_EQ(FourCCText(LoadLE32(ix.data())), "ix00");
  EXPECT_EQ(LoadLE32(ix.data() + 4), ix.size() - 8);
  EXPECT_EQ(LoadLE16(ix.data() + 8), 2);  // longs per entry
  EXPECT_EQ(ix[11], 1);                   // index of chunks
  EXPECT_EQ(LoadLE32(ix.data() + 12), 2u);
  EXPECT_EQ(FourCCText(LoadLE32(ix.data() + 16)), "00dc");
  EXPECT_EQ(LoadLE64(ix.data() + 20), base);
  EXPECT_EQ(LoadLE32(ix.data() + 32), 32u);
  EXPECT_EQ(LoadLE32(ix.data() + 36), 144000u);
  EXPECT_EQ(LoadLE32(ix.data() + 40), 3 * kGiB);
  EXPECT_EQ(LoadLE32(ix.data() + 44), 7680u | 0x80000000u);
}

TEST(AviIndex, StandardIndexRefusesChunksOutOfReach) {
  const std::uint64_t base = 6 * kGiB;
  const IndexedChunk before[] = {{base - 100, 10, true}};
  const IndexedChunk too_far[] = {{base + 4 * kGiB, 10, true}};
  EXPECT_THROW(BuildStandardIndex(0, ChunkCode(0, {'d', 'c'}), base, before), std::invalid_argument);
  EXPECT_THROW(BuildStandardIndex(0, ChunkCode(0, {'d', 'c'}), base, too_far), std::invalid_argument);
}

TEST(AviIndex, SuperIndexKeepsItsSizeAndSixtyFourBitOffsets) {
  const SuperIndexEntry entries[] = {{1000, 432, 50}, {9 * kGiB + 6, 832, 7000}};
  const auto empty = BuildSuperIndex(ChunkCode(1, {'w', 'b'}), 8, {});
  const auto full = BuildSuperIndex(ChunkCode(1, {'w', 'b'}), 8, entries);
  EXPECT_EQ(empty.size(), full.size());
  EXPECT_EQ(full.size(), SuperIndexBytes(8));
  EXPECT_EQ(FourCCText(LoadLE32(full.data())), "indx");
  EXPECT_EQ(LoadLE16(full.data() + 8), 4);
  EXPECT_EQ(full[11], 0);  // index of indexes
  EXPECT_EQ(LoadLE32(full.data() + 12), 2u);
  EXPECT_EQ(FourCCText(LoadLE32(full.data() + 16)), "01wb");
  EXPECT_EQ(LoadLE64(full.data() + 32 + 16), 9 * kGiB + 6);
  EXPECT_EQ(LoadLE32(full.data() + 32 + 16 + 8), 832u);
  EXPECT_EQ(LoadLE32(full.data() + 32 + 16 + 12), 7000u);
  EXPECT_THROW(BuildSuperIndex(ChunkCode(0, {'d', 'c'}), 1, entries), std::invalid_argument);
}

TEST(AviIndex, LegacyIndexAndCodes) {
  const LegacyIndexEntry entries[] = {{ChunkCode(0, {'_', '_'}), 4, 144000, true}};
  const auto idx1 = BuildLegacyIndex(entries);
  ASSERT_EQ(idx1.size(), 24u);
  EXPECT_EQ(FourCCText(LoadLE32(idx1.data())), "idx1");
  EXPECT_EQ(FourCCText(LoadLE32(idx1.data() + 8)), "00__");
  EXPECT_EQ(LoadLE32(idx1.data() + 12), 0x10u);
  EXPECT_EQ(LoadLE32(idx1.data() + 16), 4u);
  EXPECT_EQ(FourCCText(StandardIndexCode(12)), "ix12");
  EXPECT_THROW(StandardIndexCode(100), std::invalid_argument);
}

}  // namespace
}  // namespace korvid::media
