// The built program with a display (named, but drawn on the offscreen
// platform): a visible
// command-line run opens the window, lists the files, runs the switches
// and, with "c", closes it again.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

TEST(WindowRunTest, VisibleRunRenamesInTheWindowAndClosesAfterTheCommands) {
  test::TempDir home;
  test::TempDir work;
  const fs::path clip = test::CopyStandardSample("pal_type2.avi", work.path());
  const test::CommandResult result =
      test::RunCommand({"env", "-u", "WAYLAND_DISPLAY", "DISPLAY=:0", "QT_QPA_PLATFORM=offscreen",
                        "HOME=" + home.path().string(), "XDG_CONFIG_HOME=" + (home / ".config").string(), kKorvid,
                        "+mrc", clip.string()});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_TRUE(fs::exists(work / "ClipDV_20050814_03.02.11_pm.avi"));
  EXPECT_FALSE(fs::exists(clip));
  // The window's run reports in the window, not on the terminal.
  EXPECT_EQ(result.output, "");
}

}  // namespace
}  // namespace korvid
