#include "settings/file_replacement.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_env.h"

namespace korvid::settings {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct stat StatOf(const fs::path& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st;
}

TEST(FileReplacement, SameBytesLeaveTheFileOtherBytesReplaceItThroughALink) {
  test::TempDir dir;
  const fs::path file = dir.path() / "Korvid.conf";
  const fs::path link = dir.path() / "link.conf";
  ASSERT_EQ(ReplaceFile(file, "[General]\na=1\n"), 0);
  fs::create_symlink(file.filename(), link);
  ::chmod(file.c_str(), 0600);
  const struct stat before = StatOf(file);

  // The same bytes: not rewritten, so the file keeps its inode and times.
  ASSERT_EQ(ReplaceFile(link, "[General]\na=1\n"), 0);
  const struct stat same = StatOf(file);
  EXPECT_EQ(same.st_ino, before.st_ino);
  EXPECT_EQ(same.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(same.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

  // Other bytes of the same length, then another length: replaced whole,
  // through the link, keeping the file's own permissions.
  ASSERT_EQ(ReplaceFile(link, "[General]\na=2\n"), 0);
  EXPECT_EQ(Contents(file), "[General]\na=2\n");
  EXPECT_NE(StatOf(file).st_ino, before.st_ino);
  ASSERT_EQ(ReplaceFile(link, "[General]\n"), 0);
  EXPECT_EQ(Contents(file), "[General]\n");
  EXPECT_EQ(StatOf(file).st_mode & 07777, 0600u);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace korvid::settings
