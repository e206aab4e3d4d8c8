// A portable copy of the program (the executable with a "plugins" folder
// beside it) loads its plug-ins and runs a plug-in's switch unattended.
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
  // Skipped ones beside it change nothing.
  fs::copy_file(fs::path(KORVID_TEST_PLUGIN_DIR) / "huge_count.vlk", copy / "plugins/huge_count.vlk");
  const fs::path clip = test::CopyStandardSample("pal_type2.avi", work.path());

  const test::CommandResult result = test::RunCommand(
      {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", "HOME=" + home.path().string(),
       "XDG_CONFIG_HOME=" + (home / ".config").string(), (copy / "korvid").string(), "+h", "+k", clip.string()});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  const fs::path mark = clip.string() + ".k";
  ASSERT_TRUE(fs::exists(mark)) << result.output;
  const std::vector<std::uint8_t> key = test::ReadWholeFile(mark);
  EXPECT_EQ(std::string(key.begin(), key.end()), "touch-param");
}

}  // namespace
}  // namespace korvid
