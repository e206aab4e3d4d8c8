// The directory-entry part of the record: names, sizes, times, the
// read-only test and the keys built from them.

#include "media/video_record.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace korvid::media {
namespace {

namespace fs = std::filesystem;

TEST(RecordNamesTest, AbsoluteNormalisedPathAndAsciiOnlyKey) {
  test::TempDir dir;
  TBaseFichier r;
  SetNameFields(dir.path() / "Sub" / ".." / "ÉTÉ Clip.AVI", r);
  EXPECT_EQ(r.fullName, (dir.path() / "ÉTÉ Clip.AVI").string());
  EXPECT_EQ(r.name, "ÉTÉ Clip.AVI");
  // Only A-Z fold: the accented capitals stay as they are.
  EXPECT_EQ(r.nameKey, "ÉtÉ clip.avi" + AsciiLower((dir.path() / "ÉTÉ Clip.AVI").string()));
}

TEST(RecordNamesTest, RelativePathIsMadeAbsolute) {
  TBaseFichier r;
  SetNameFields("some/./clip.avi", r);
  EXPECT_EQ(r.fullName, (fs::current_path() / "some" / "clip.avi").string());
  EXPECT_EQ(r.name, "clip.avi");
}

TEST(RecordKeysTest, SizeKeyIsTwoUpperCaseHexFieldsThenPath) {
  EXPECT_EQ(SizeKey(0x1, 0xABCDEF01, "/X/Y.avi"), "0000000000000001" "00000000ABCDEF01" "/x/y.avi");
  // Keys of files above 4 GiB sort after smaller ones.
  EXPECT_LT(SizeKey(0, 0xFFFFFFFF, "/b"), SizeKey(1, 0, "/a"));
}

TEST(RecordKeysTest, DateKeyDigits) {
  EXPECT_EQ(DateKey({2003, 4, 5, 6, 7, 8}, "/A.avi"), "20030405060708/a.avi");
}

TEST(RecordFactsTest, SizeTimesAndAttributesOfAFile) {
  test::TempDir dir;
  const fs::path file = dir / "Clip.avi";
  test::WriteWholeFile(file, std::vector<std::uint8_t>(1234, 7));
  // 2021-03-04 05:06:07 local time as the modification time.
  std::tm local{};
  local.tm_year = 121;
  local.tm_mon = 2;
  local.tm_mday = 4;
  local.tm_hour = 5;
  local.tm_min = 6;
  local.tm_sec = 7;
  local.tm_isdst = -1;
  const std::time_t when = std::mktime(&local);
  const struct timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);

  TSRFichier r;
  SetNameFields(file, r);
  SetFileFacts(r);
  EXPECT_TRUE(r.exists);
  EXPECT_EQ(r.Size(), 1234u);
  EXPECT_EQ(r.sizeHigh, 0u);
  EXPECT_EQ(r.modified, (settings::DateTimeValue{2021, 3, 4, 5, 6, 7}));
  EXPECT_EQ(r.accessed, r.modified);
  EXPECT_GE(r.created.year, 2021);
  EXPECT_TRUE(S_ISREG(r.attributes));
  EXPECT_TRUE(r.IsReadOnly());
  EXPECT_EQ(r.dateKey, "20210304050607" + AsciiLower(file.string()));
  EXPECT_EQ(r.sizeKey, "000000000000000000000000000004D2" + AsciiLower(file.string()));

  ASSERT_EQ(chmod(file.c_str(), 0644), 0);
  SetFileFacts(r);
  EXPECT_FALSE(r.IsReadOnly());
}

TEST(RecordFactsTest, MissingFileLeavesFactsEmpty) {
  test::TempDir dir;
  TSRFichier r;
  SetNameFields(dir / "gone.avi", r);
  SetFileFacts(r);
  EXPECT_FALSE(r.exists);
  EXPECT_EQ(r.Size(), 0u);
  EXPECT_EQ(r.sizeKey, "");
  EXPECT_EQ(r.dateKey, "");
  EXPECT_EQ(r.modified, settings::DateTimeValue{});
  EXPECT_FALSE(r.IsReadOnly());
  EXPECT_EQ(r.name, "gone.avi");
}

}  // namespace
}  // namespace korvid::media
