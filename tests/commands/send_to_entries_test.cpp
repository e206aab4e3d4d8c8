// The desktop entries that offer Korvid for AVI files: the program's path
// survives the Exec quoting, and only the two entry files are ever touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands/send_to_entries.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;

std::string ExecLine(const std::string& entry) {
  const std::size_t start = entry.find("\nExec=");
  if (start == std::string::npos) return {};
  return entry.substr(start + 1, entry.find('\n', start + 1) - start - 1);
}

TEST(SendToEntries, OddProgramPathsAreQuotedAndUnsafeOnesWriteNothing) {
  EXPECT_EQ(ExecLine(DesktopEntryText("/opt/My Apps/korvid")), "Exec=\"/opt/My Apps/korvid\" %F");
  // Inside quotes ", `, $ and \ take a backslash; the file format doubles
  // every backslash once more; a percent sign is doubled.
  EXPECT_EQ(ExecLine(DesktopEntryText("/opt/a\"b`c$d\\e%f/korvid")),
            "Exec=\"/opt/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e%%f/korvid\" %F");

  test::TempDir data;
  EXPECT_FALSE(ApplySendTo(true, {data.path(), "/opt/bad\nExec=rm -rf ~/korvid"}));
  EXPECT_FALSE(fs::exists(OpenWithEntryPath(data.path())));
  EXPECT_FALSE(ApplySendTo(true, {"relative/data", "/usr/bin/korvid"}));
  EXPECT_FALSE(fs::exists("relative"));

  // A folder standing where an entry would be is not the program's to remove.
  fs::create_directories(SendToEntryPath(data.path()) / "keep");
  EXPECT_FALSE(ApplySendTo(false, {data.path(), "/usr/bin/korvid"}));
  EXPECT_TRUE(fs::exists(SendToEntryPath(data.path()) / "keep"));
}

}  // namespace
}  // namespace korvid::commands
