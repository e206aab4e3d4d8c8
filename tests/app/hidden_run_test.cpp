// The built program run from the command line with no display at all:
// files listed, commands run without questions, the preferences saved as
// they say, the default playlist left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "list/playlist.h"
#include "settings/preference_session.h"
#include "settings/preference_table.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

class HiddenRunTest : public ::testing::Test {
 protected:
  fs::path ConfigRoot() const { return home_ / ".config"; }
  settings::StoreLocation Store() const { return {ConfigRoot()}; }

  // Stored preferences as a user would have left them.
  void StorePreferences(bool saveOnQuit, bool saveListOnQuit) {
    settings::PreferenceSession session(Store());
    session.Load({.documentsFolder = home_.path().string()});
    session.values().saveOnQuit = saveOnQuit;
    session.values().saveListOnQuit = saveListOnQuit;
    fs::create_directories(home_ / "lists");
    session.values().playlistFolder = (home_ / "lists/").string();
    session.SaveNow({"5.3.6", kKorvid, {2005, 8, 14, 15, 2, 11}, settings::EnglishLocaleFormats()});
  }

  // Runs korvid with a clean home and without any display.
  test::CommandResult Korvid(const std::vector<std::string>& parameters) {
    std::vector<std::string> argv{"env",
                                  "-u",
                                  "DISPLAY",
                                  "-u",
                                  "WAYLAND_DISPLAY",
                                  "-u",
                                  "QT_QPA_PLATFORM",
                                  "HOME=" + home_.path().string(),
                                  "XDG_CONFIG_HOME=" + ConfigRoot().string(),
                                  kKorvid};
    argv.insert(argv.end(), parameters.begin(), parameters.end());
    return test::RunCommand(argv);
  }

  std::vector<std::string> Clips(const fs::path& folder, int count) {
    fs::create_directories(folder);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
      const fs::path copy = folder / ("copy" + std::string(1, static_cast<char>('A' + i)) + ".avi");
      fs::copy_file(test::StandardSample("pal_type2.avi"), copy);
      paths.push_back(copy.string());
    }
    return paths;
  }

  test::TempDir home_;
  test::TempDir work_;
};

TEST_F(HiddenRunTest, RenamesWithoutDisplayAndSavesWhatThePreferencesAsk) {
  StorePreferences(true, true);
  // The default playlist a hidden run never loaded is never its to replace.
  const std::vector<std::string> kept = Clips(work_ / "kept", 3);
  const fs::path playlist = home_ / "lists" / "PlayList.txt";
  const std::string text = list::PlaylistText(kept, 0, list::CurrentPlaylistStamp("yyyy"));
  test::WriteWholeFile(playlist, std::vector<std::uint8_t>(text.begin(), text.end()));
  const std::vector<std::string> clips = Clips(work_.path(), 2);
  const test::CommandResult result = Korvid({"+h", "+r", clips[0], clips[1]});
  ASSERT_EQ(result.exit_code, 0);

  const fs::path first = work_ / "ClipDV_20050814_03.02.11_pm.avi";
  const fs::path second = work_ / "ClipDV_20050814_03.02.11_pm(1).avi";
  EXPECT_TRUE(fs::exists(first));
  EXPECT_TRUE(fs::exists(second));
  EXPECT_FALSE(fs::exists(clips[0]));
  EXPECT_FALSE(fs::exists(clips[1]));
  const std::vector<std::uint8_t> bytes = test::ReadWholeFile(playlist);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);

  // A run in the window loads it first and saves it again with its own file.
  const test::CommandResult window =
      test::RunCommand({"env", "-u", "WAYLAND_DISPLAY", "DISPLAY=:0", "QT_QPA_PLATFORM=offscreen",
                        "HOME=" + home_.path().string(), "XDG_CONFIG_HOME=" + ConfigRoot().string(), kKorvid, "+c",
                        first.string()});
  ASSERT_EQ(window.exit_code, 0);
  const std::vector<std::uint8_t> saved = test::ReadWholeFile(playlist);
  std::vector<std::string> listed = list::PlaylistPaths(std::string(saved.begin(), saved.end()));
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> expected = kept;
  expected.push_back(first.string());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);

  settings::PreferenceSession reloaded(Store());
  reloaded.Load({.documentsFolder = home_.path().string()});
  bool renameTicked = false;
  for (const settings::ActionChoice& choice : reloaded.values().actions)
    if (choice.name == "amRenameScAn") renameTicked = choice.state == settings::ActionChoice::kTicked;
  EXPECT_TRUE(renameTicked);
}

TEST_F(HiddenRunTest, FoldersAreScannedAndNothingIsSavedWhenThePreferencesSayNo) {
  StorePreferences(false, false);
  const fs::path settingsFile = Store().ApplicationFile();
  const std::vector<std::uint8_t> before = test::ReadWholeFile(settingsFile);
  Clips(work_ / "2005" / "august", 2);
  const test::CommandResult result = Korvid({"+hd", work_.path().string()});
  ASSERT_EQ(result.exit_code, 0);
  EXPECT_TRUE(fs::exists(work_ / "2005" / "august" / "copyA_2005.08.14_03.02.11_pm.avi"));
  EXPECT_TRUE(fs::exists(work_ / "2005" / "august" / "copyB_2005.08.14_03.02.11_pm.avi"));
  EXPECT_EQ(test::ReadWholeFile(settingsFile), before);
  EXPECT_FALSE(fs::exists(home_ / "lists" / "PlayList.txt"));
}

TEST_F(HiddenRunTest, HelpListsTheSwitchesAndRunsNothing) {
  const std::vector<std::string> clips = Clips(work_.path(), 1);
  const test::CommandResult result = Korvid({"+r", "/?", clips[0]});
  ASSERT_EQ(result.exit_code, 0);
  EXPECT_NE(result.output.find("Rename\t+r\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("Hide the window\t+h\n"), std::string::npos);
  EXPECT_NE(result.output.find("Inlay datecode\t+i\n"), std::string::npos);
  EXPECT_TRUE(fs::exists(clips[0]));

  // Without the overlay filter the inlay would do nothing: it is not offered.
  const std::vector<std::string> argv{"env",
                                      "-u",
                                      "DISPLAY",
                                      "HOME=" + home_.path().string(),
                                      "XDG_CONFIG_HOME=" + ConfigRoot().string(),
                                      "KORVID_MISSING_FILTERS=Marovec Layrin3",
                                      kKorvid,
                                      "/?"};
  const test::CommandResult missing = test::RunCommand(argv);
  ASSERT_EQ(missing.exit_code, 0);
  EXPECT_EQ(missing.output.find("Inlay datecode"), std::string::npos) << missing.output;
  EXPECT_NE(missing.output.find("Rename\t+r\n"), std::string::npos);
}

}  // namespace
}  // namespace korvid
