// The built program started from a folder whose name a desktop entry
// cannot carry, with "Shortcut in SendTo..." ticked: it writes no entry and
// says why on every start, instead of leaving one the desktop drops.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "commands/send_to_entries.h"
#include "settings/preference_session.h"
#include "support/program_copy.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

TEST(SendToRun, AProgramPathThatIsNoUtf8OrHoldsATabWritesNoEntryAndSaysWhy) {
  test::TempDir home;
  test::TempDir work;
  {
    settings::PreferenceSession session(settings::StoreLocation{home / ".config"});
    session.Load({.documentsFolder = home.path().string()});
    session.values().sendTo = true;
    session.SaveNow({"5.3.6", "korvid", {2005, 8, 14, 15, 2, 11}, settings::EnglishLocaleFormats()});
  }
  const fs::path clip = test::CopyStandardSample("pal_type2.avi", work.path());
  fs::path folder = work / "with\ttab";
  fs::create_directories(folder);
  test::PlaceKorvidPrograms(folder);

  for (const std::string reason : {"holds a tab", "is not UTF-8 text"}) {
    SCOPED_TRACE(reason);
    const test::CommandResult result = test::RunCommand(
        {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", "HOME=" + home.path().string(),
         "XDG_CONFIG_HOME=" + (home / ".config").string(), "XDG_DATA_HOME=" + (home / "data").string(), "sh", "-c",
         "exec \"$0\" \"$@\" 2>&1", (folder / "korvid").string(), "+h", clip.string()});
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_NE(result.output.find("The desktop entries that offer Korvid for AVI files were not written"),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find(reason), std::string::npos) << result.output;
    EXPECT_FALSE(fs::exists(commands::OpenWithEntryPath(home / "data")));
    EXPECT_FALSE(fs::exists(commands::SendToEntryPath(home / "data")));

    const fs::path next = work / "not\xFF" "utf8";
    fs::rename(folder, next);
    folder = next;
  }
}

}  // namespace
}  // namespace korvid
