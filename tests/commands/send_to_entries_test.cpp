// The desktop entries that offer Korvid for AVI files: the program's path
// survives the Exec quoting, and only the two entry files are ever touched.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// Every entry the program writes is one the desktop takes: checked by
// desktop-file-validate, the freedesktop tool. Paths the format cannot
// carry (not UTF-8, a tab) give no entry at all and a reason naming them.
TEST(SendToEntries, EveryEntryWrittenPassesTheValidatorAndUnwritablePathsSayWhy) {
  KORVID_REQUIRE_PROGRAM("desktop-file-validate");
  test::TempDir data;
  const std::vector<std::string> programs{"/usr/bin/korvid",
                                          "/opt/My Apps/korvid",
                                          "/opt/a\"b`c$d\\e%f/korvid",
                                          "/home/zoë/Vidéos/bin/korvid",
                                          "/opt/k;o#r=v[i]d~&'x'/korvid"};
  for (const std::string& program : programs) {
    SCOPED_TRACE(program);
    EXPECT_EQ(DesktopEntryFault(program), "");
    ASSERT_TRUE(ApplySendTo(true, {data.path(), program}));
    for (const fs::path& entry : {OpenWithEntryPath(data.path()), SendToEntryPath(data.path())}) {
      const test::CommandResult checked = test::RunCommand({"desktop-file-validate", entry.string()});
      EXPECT_EQ(checked.exit_code, 0) << checked.output;
      EXPECT_EQ(checked.output, "");
    }
  }
  ASSERT_TRUE(ApplySendTo(false, {data.path(), "/usr/bin/korvid"}));

  for (const std::string program : {"/opt/a\tb/korvid", "/opt/a\xFF\xFE" "b/korvid", "/opt/\xC3(/korvid"}) {
    SCOPED_TRACE(program);
    EXPECT_NE(DesktopEntryFault(program).find("the program's path"), std::string::npos);
    EXPECT_EQ(DesktopEntryText(program), "");
    EXPECT_FALSE(ApplySendTo(true, {data.path(), program}));
    EXPECT_FALSE(fs::exists(OpenWithEntryPath(data.path())));
    EXPECT_FALSE(fs::exists(SendToEntryPath(data.path())));
  }
  EXPECT_NE(DesktopEntryFault("/opt/a\tb/korvid").find("tab"), std::string::npos);
  EXPECT_NE(DesktopEntryFault("/opt/a\xFF" "b/korvid").find("not UTF-8"), std::string::npos);
}

}  // namespace
}  // namespace korvid::commands
