// A portable copy of the program (the executable with a "plugins" folder
// beside it) loads its plug-ins and runs a plug-in's switch unattended,
// whatever faulty libraries lie beside them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

TEST(PluginRun, APortableCopyRunsItsPluginSwitchWithoutDisplay) {
  test::TempDir home;
  test::TempDir copy;
  test::TempDir work;
  fs::copy_file(KORVID_BINARY_DIR "/src/korvid", copy / "korvid");
  fs::create_directories(copy / "plugins");
  fs::copy_file(fs::path(KORVID_TEST_PLUGIN_DIR) / "accepted.vlk", copy / "plugins/accepted.vlk");
  // Libraries that answer nonsense beside it are skipped, each with a
  // message, and change nothing else.
  const std::vector<std::string> nonsense{"huge_count.vlk", "no_handlers.vlk", "unterminated.vlk"};
  for (const std::string& file : nonsense)
    fs::copy_file(fs::path(KORVID_TEST_PLUGIN_DIR) / file, copy / "plugins" / file);
  const fs::path clip = test::CopyStandardSample("pal_type2.avi", work.path());

  // Standard error joins the output through the shell.
  const test::CommandResult result = test::RunCommand(
      {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", "HOME=" + home.path().string(),
       "XDG_CONFIG_HOME=" + (home / ".config").string(), "sh", "-c", "exec \"$0\" \"$@\" 2>&1",
       (copy / "korvid").string(), "+h", "+k", clip.string()});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  for (const std::string& file : nonsense)
    EXPECT_NE(result.output.find("the plug-in " + (copy / "plugins" / file).string() + " was skipped: "),
              std::string::npos)
        << file << "\n"
        << result.output;
  const fs::path mark = clip.string() + ".k";
  ASSERT_TRUE(fs::exists(mark)) << result.output;
  const std::vector<std::uint8_t> key = test::ReadWholeFile(mark);
  EXPECT_EQ(std::string(key.begin(), key.end()), "touch-param");
}

}  // namespace
}  // namespace korvid
