// Reading a file in place through a small moving window: the bytes must be
// the file's wherever a range falls, and pages the cache lost must be left
// to ordinary reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "media/binary_file.h"
#include "media/cached_file_window.h"
#include "support/test_env.h"

namespace korvid {
namespace {

constexpr std::size_t kWindow = 64 * 1024;

std::vector<std::uint8_t> Noise(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  std::uint32_t state = 12345;
  for (std::uint8_t& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(state >> 16);
  }
  return bytes;
}

bool SameBytes(std::optional<std::span<const std::uint8_t>> found, const std::vector<std::uint8_t>& file,
               std::size_t offset, std::size_t length) {
  return found && found->size() == length &&
         std::equal(found->begin(), found->end(), file.begin() + static_cast<std::ptrdiff_t>(offset));
}

TEST(CachedFileWindowTest, GivesTheFilesBytesWhereverARangeFalls) {
  const test::TempDir dir;
  const std::vector<std::uint8_t> bytes = Noise(300'001);
  test::WriteWholeFile(dir / "noise.bin", bytes);
  const media::BinaryFile file(dir / "noise.bin", media::BinaryFile::Mode::kRead);
  media::CachedFileWindow window(file, kWindow);

  // In order, across window edges, backwards, and up to the last byte.
  const std::pair<std::size_t, std::size_t> ranges[] = {
      {0, 1000}, {kWindow - 100, 200}, {100, 20}, {200'000, 60'000}, {150'000, 1}, {300'001 - 4000, 4000}, {7, 9}};
  for (const auto& [offset, length] : ranges)
    EXPECT_TRUE(SameBytes(window.Find(offset, length), bytes, offset, length)) << offset << "+" << length;
  media::CachedFileWindow moved = std::move(window);
  EXPECT_TRUE(SameBytes(moved.Find(250'000, 30'000), bytes, 250'000, 30'000));

  // Past the end, empty, or too large for a window: left to reads.
  EXPECT_FALSE(moved.Find(300'001 - 10, 11));
  EXPECT_FALSE(moved.Find(300'002, 1));
  EXPECT_FALSE(moved.Find(1000, 0));
  EXPECT_FALSE(moved.Find(0, kWindow));
}

TEST(CachedFileWindowTest, LeavesPagesTheCacheLostToReads) {
  const test::TempDir dir;
  const std::vector<std::uint8_t> bytes = Noise(256 * 1024);
  test::WriteWholeFile(dir / "noise.bin", bytes);
  if (!test::DropFromCache(dir / "noise.bin", 64 * 1024, 64 * 1024))
    GTEST_SKIP() << "the temporary folder's file system keeps every page in memory";
  const media::BinaryFile file(dir / "noise.bin", media::BinaryFile::Mode::kRead);
  media::CachedFileWindow window(file, kWindow);

  EXPECT_TRUE(SameBytes(window.Find(0, 60'000), bytes, 0, 60'000));
  EXPECT_FALSE(window.Find(60'000, 8000));  // its end lies on a lost page
  EXPECT_FALSE(window.Find(70'000, 100));
  EXPECT_TRUE(SameBytes(window.Find(140'000, 50'000), bytes, 140'000, 50'000));
}

}  // namespace
}  // namespace korvid
