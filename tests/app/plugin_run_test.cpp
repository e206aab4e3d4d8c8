// A portable copy of the program (the executable with a "plugins" folder
// beside it) loads its plug-ins and runs a plug-in's switch unattended,
// whatever faulty libraries lie beside them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/program_copy.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

TEST(PluginRun, APortableCopyRunsItsPluginSwitchWithoutDisplay) {
  test::TempDir home;
  test::TempDir copy;
  test::TempDir work;
  test::PlaceKorvidPrograms(copy.path());
  fs::create_directories(copy / "plugins");
  fs::copy_file(fs::path(KORVID_TEST_PLUGIN_DIR) / "accepted.vlk", copy / "plugins/accepted.vlk");
  // Libraries that answer nonsense, or are built for an interface this
  // program does not know, are skipped beside it, each with a message, and
  // change nothing else.
  const std::vector<std::string> nonsense{"huge_count.vlk", "no_handlers.vlk", "unterminated.vlk", "abi_later.vlk"};
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

// What lies in a plug-in folder cannot take a start down or hijack a
// switch: copies of the built split plug-in cut short (an interrupted
// copy, which the loader would map and fault on), a FIFO named like a
// plug-in (which would block the start for ever), and plug-ins whose
// switches are the fixed letter "h" and the built-in "r". Each is named on
// standard error; the run goes on and no switch runs a command twice.
TEST(PluginRun, DamagedLibrariesFifosAndTakenSwitchesAreSkippedAndNamed) {
  test::TempDir home;
  test::TempDir copy;
  test::TempDir work;
  test::PlaceKorvidPrograms(copy.path());
  const fs::path plugins = copy / "plugins";
  fs::create_directories(plugins);
  for (const char* file : {"accepted.vlk", "switch_hidden.vlk", "switch_rename.vlk"})
    fs::copy_file(fs::path(KORVID_TEST_PLUGIN_DIR) / file, plugins / file);
  const std::vector<std::uint8_t> whole = test::ReadWholeFile(fs::path(KORVID_PLUGIN_OUTPUT_DIR) / "split_scenes.vlk");
  const std::vector<std::size_t> cuts{1200, 5000, 40000, 150000};
  for (const std::size_t cut : cuts) {
    ASSERT_LT(cut, whole.size());
    test::WriteWholeFile(plugins / ("cut" + std::to_string(cut) + ".vlk"),
                         std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
  }
  ASSERT_EQ(::mkfifo((plugins / "x.vlk").c_str(), 0600), 0);
  const fs::path clip = test::CopyStandardSample("pal_type2.avi", work.path());

  // "+kr": Rename, then the accepted plug-in's k; the plug-in that wanted
  // "r" must not run as well, nor the one that wanted "h" on every hidden run.
  const test::CommandResult result = test::RunCommand(
      {"timeout", "300", "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
       "HOME=" + home.path().string(), "XDG_CONFIG_HOME=" + (home / ".config").string(), "sh", "-c",
       "exec \"$0\" \"$@\" 2>&1", (copy / "korvid").string(), "+h", "+kr", clip.string()});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  const auto says = [&](const std::string& text) { return result.output.find(text) != std::string::npos; };
  for (const std::size_t cut : cuts) {
    const std::string file = (plugins / ("cut" + std::to_string(cut) + ".vlk")).string();
    EXPECT_TRUE(says("the plug-in " + file + " was skipped: it is cut short at " + std::to_string(cut) + " bytes"))
        << result.output;
  }
  EXPECT_TRUE(says("the plug-in " + (plugins / "x.vlk").string() + " was skipped: ")) << result.output;
  EXPECT_TRUE(says("not a regular file")) << result.output;
  EXPECT_TRUE(says("the switch \"h\" of its action SwitchHidden was dropped: \"h\" is the fixed letter for \"Hide the window\""))
      << result.output;
  EXPECT_TRUE(says("the switch \"r\" of its action SwitchRename was dropped: the command \"Rename\" answers to \"r\""))
      << result.output;

  const fs::path renamed = work / "ClipDV_20050814_03.02.11_pm.avi";
  EXPECT_TRUE(fs::exists(renamed)) << result.output;
  EXPECT_TRUE(fs::exists(renamed.string() + ".k")) << result.output;
  std::vector<std::string> marks;
  for (const auto& entry : fs::directory_iterator(work.path()))
    if (entry.path().extension() == ".h" || entry.path().extension() == ".r") marks.push_back(entry.path());
  EXPECT_TRUE(marks.empty()) << marks.front();
}

}  // namespace
}  // namespace korvid
