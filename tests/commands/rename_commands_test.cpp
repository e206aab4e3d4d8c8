#include "commands/rename_commands.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "commands/command_skipped.h"
#include "media/avi_stream_analysis.h"
#include "settings/preference_table.h"
#include "support/list_samples.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

settings::Preferences Defaults() { return settings::DefaultPreferences({}, true); }

// A generated clip recorded on 14 August 2005 at 15:02:11, timecode 01:02:03:04.
media::TAfficherFichier PlacedClip(const fs::path& where) {
  fs::create_directories(where.parent_path());
  fs::copy_file(test::StandardSample("pal_type2.avi"), where);
  return media::AnalyseFile(where, test::PlainDatecodeFormat());
}

class RenameTest : public ::testing::Test {
 protected:
  TempDir dir_;
  settings::Preferences prefs_ = Defaults();
  test::ScriptedHost host_;
  RenameServices services_{prefs_, settings::EnglishLocaleFormats(), host_};
};

TEST_F(RenameTest, DatecodeAndRenameFollowTheDefaultFormatsAndTakeTheSceneFileAlong) {
  const media::TAfficherFichier clip = PlacedClip(dir_ / "clip.avi");
  ASSERT_EQ(clip.datecodeText, "2005-08-14 15:02:11");
  test::WriteWholeFile(dir_ / "clip.scn", {1, 2, 3});

  EXPECT_EQ(AjouterDateCodeConfirmation(clip, services_),
            "Do you want to add a datecode to 'clip.avi'\r\nand rename it to 'clip_2005.08.14_03.02.11_pm.avi'?");
  std::string newfichier;
  ASSERT_EQ(AjouterDateCodeExecution(clip, newfichier, services_), utRename);
  EXPECT_EQ(newfichier, (dir_ / "clip_2005.08.14_03.02.11_pm.avi").string());
  EXPECT_TRUE(fs::exists(newfichier));
  EXPECT_TRUE(fs::exists(dir_ / "clip_2005.08.14_03.02.11_pm.scn"));
  EXPECT_FALSE(fs::exists(dir_ / "clip.avi"));
  EXPECT_FALSE(fs::exists(dir_ / "clip.scn"));

  const media::TAfficherFichier a = PlacedClip(dir_ / "a.avi");
  const media::TAfficherFichier b = PlacedClip(dir_ / "b.avi");
  ASSERT_EQ(RenameScAnExecution(a, newfichier, services_), utRename);
  EXPECT_EQ(newfichier, (dir_ / "ClipDV_20050814_03.02.11_pm.avi").string());
  EXPECT_EQ(RenameScAnConfirmation(b, services_),
            "Do you want to rename the file  'b.avi' in 'ClipDV_20050814_03.02.11_pm(1).avi'?");
  ASSERT_EQ(RenameScAnExecution(b, newfichier, services_), utRename);
  EXPECT_EQ(newfichier, (dir_ / "ClipDV_20050814_03.02.11_pm(1).avi").string());
}

TEST_F(RenameTest, SeparatorsInTheDatecodeFormatBecomeDots) {
  prefs_.addDatecodeFormat = "yyyy/mm/dd hh:nn";
  const media::TAfficherFichier clip = PlacedClip(dir_ / "clip.avi");
  std::string newfichier;
  ASSERT_EQ(AjouterDateCodeExecution(clip, newfichier, services_), utRename);
  EXPECT_EQ(fs::path(newfichier).filename(), "clip_2005.08.14 15.02.avi");
}

TEST_F(RenameTest, RenameFormatThatWouldLeaveTheFolderIsRefused) {
  prefs_.renameFormat = "yyyy/mm";
  fs::create_directories(dir_ / "ClipDV_2005");
  const media::TAfficherFichier clip = PlacedClip(dir_ / "clip.avi");
  std::string newfichier;
  EXPECT_THROW(RenameScAnExecution(clip, newfichier, services_), media::FileError);
  EXPECT_TRUE(fs::exists(dir_ / "clip.avi"));
  EXPECT_TRUE(fs::is_empty(dir_ / "ClipDV_2005"));
}

TEST_F(RenameTest, TimecodeIsAppendedAsTheAnalysisShowsIt) {
  const media::TAfficherFichier clip = PlacedClip(dir_ / "clip.avi");
  bool visible = false, enabled = false;
  AjouterTimecodeFileCondition(clip, visible, enabled);
  ASSERT_TRUE(enabled);
  std::string newfichier;
  ASSERT_EQ(AjouterTimecodeExecution(clip, newfichier), utRename);
  EXPECT_EQ(newfichier, StemOf(clip.fullName) + "_" + clip.timecodeText + ".avi");
}

TEST_F(RenameTest, FilesWithoutDatecodeAreNotOffered) {
  fs::copy_file(test::StandardSample("no_datecode.avi"), dir_ / "n.avi");
  const media::TAfficherFichier clip = media::AnalyseFile(dir_ / "n.avi", test::PlainDatecodeFormat());
  bool visible = true, enabled = true;
  DatecodeFileCondition(clip, visible, enabled);
  EXPECT_FALSE(visible);
  EXPECT_FALSE(enabled);
}

TEST_F(RenameTest, ATargetThatAppearsBeforeTheMoveIsNeverOverwritten) {
  const media::TAfficherFichier clip = PlacedClip(dir_ / "clip.avi");
  const std::string base = (dir_ / "clip_x").string();
  const std::string chosen = UniqueTargetName(base, ".avi");
  ASSERT_EQ(chosen, base);
  // Another program writes the chosen name after it was checked.
  test::WriteWholeFile(chosen + ".avi", {'m', 'i', 'n', 'e'});
  const RenameOutcome outcome = RenameWithCompanion(clip.fullName, base, chosen);
  ASSERT_EQ(outcome.update, utRename);
  EXPECT_EQ(outcome.newfichier, base + "(1).avi");
  EXPECT_EQ(test::ReadWholeFile(chosen + ".avi"), (std::vector<std::uint8_t>{'m', 'i', 'n', 'e'}));
  EXPECT_EQ(fs::file_size(outcome.newfichier), fs::file_size(test::StandardSample("pal_type2.avi")));

  test::WriteWholeFile(dir_ / "x.avi", {1});
  test::WriteWholeFile(dir_ / "y.avi", {2});
  EXPECT_EQ(MoveNoReplace((dir_ / "x.avi").string(), (dir_ / "y.avi").string()), MoveOutcome::kTargetExists);
  EXPECT_EQ(test::ReadWholeFile(dir_ / "y.avi"), (std::vector<std::uint8_t>{2}));
  EXPECT_EQ(MoveNoReplace((dir_ / "gone.avi").string(), (dir_ / "z.avi").string()), MoveOutcome::kFailed);
}

TEST(PurgerNom, CutsOurSuffixesAndNeverLeavesTheFolder) {
  EXPECT_EQ(PurgedStem("/v/clip_2005.08.14_03.02.11_pm"), "/v/clip");
  EXPECT_EQ(PurgedStem("/v/clip_type1_in"), "/v/clip");
  EXPECT_EQ(PurgedStem("/v/holiday_2005.08.14_15.02.11_pm_type2"), "/v/holiday");
  EXPECT_EQ(PurgedStem("/v/my_clip"), "/v/my_clip");
  EXPECT_EQ(PurgedStem("/v/clip_dv"), "/v/clip_dv");
  EXPECT_EQ(PurgedStem("/v/clip_12a"), "/v/clip_12a");
  EXPECT_EQ(PurgedStem("/v/clip_PAL_(2)"), "/v/clip");
  EXPECT_EQ(PurgedStem("/v/x_2005/123"), "/v/x_2005/123");
  EXPECT_EQ(PurgedStem("/v/a_b/clip_2005"), "/v/a_b/clip");
  EXPECT_EQ(PurgedStem("/v/_2005"), "/v/_2005");
  EXPECT_TRUE(IsRemovableSegment(""));
  EXPECT_TRUE(IsRemovableSegment("NTSC"));
  EXPECT_FALSE(IsRemovableSegment("2005/12"));
}

TEST_F(RenameTest, PurgerNomOnRealFiles) {
  const media::TAfficherFichier nested = PlacedClip(dir_ / "x_2005" / "123.avi");
  bool visible = true, enabled = true;
  PurgerNomFileCondition(nested, visible, enabled);
  EXPECT_FALSE(enabled);
  std::string newfichier;
  EXPECT_THROW(PurgerNomExecution(nested, newfichier), CommandSkipped);
  EXPECT_TRUE(fs::exists(dir_ / "x_2005" / "123.avi"));
  EXPECT_FALSE(fs::exists(dir_ / "x.avi"));

  const media::TAfficherFichier clip = PlacedClip(dir_ / "clip_type1_in.avi");
  test::WriteWholeFile(dir_ / "clip.avi", {0});
  test::WriteWholeFile(dir_ / "clip_type1_in.scn", {9});
  EXPECT_EQ(PurgerNomConfirmation(clip),
            "Do you want to shorten the name of 'clip_type1_in.avi'\r\nand rename it to 'clip(1).avi'?");
  ASSERT_EQ(PurgerNomExecution(clip, newfichier), utRename);
  EXPECT_EQ(newfichier, (dir_ / "clip(1).avi").string());
  EXPECT_TRUE(fs::exists(dir_ / "clip(1).scn"));
}

TEST_F(RenameTest, LongNamesFallBackToShorterQuestions) {
  const std::string longName(200, 'k');
  const media::TAfficherFichier clip = PlacedClip(dir_ / (longName + ".avi"));
  EXPECT_EQ(AjouterDateCodeConfirmation(clip, services_), "Do you want to add a datecode to this file?");
  EXPECT_EQ(RenameScAnConfirmation(clip, services_),
            "Do you want to rename this file in 'ClipDV_20050814_03.02.11_pm.avi'?");
  const std::string question = FileDateConfirmation(clip, settings::EnglishLocaleFormats());
  EXPECT_TRUE(question.starts_with("Do you really want to modify the dates of this file?\r\n\r\nOld creation date: "));
  EXPECT_LE(question.size(), 255u);
}

// The datecode is local time with the offset of its own date, not today's.
TEST(FileDate, LocalTimeUsesTheOffsetInForceAtTheDatecode) {
  const char* old = std::getenv("TZ");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("TZ", "Europe/Paris", 1);
  ::tzset();
  long long winter = 0, summer = 0;
  const bool ok = LocalToEpoch({2005, 1, 14, 15, 2, 11}, winter) && LocalToEpoch({2005, 8, 14, 15, 2, 11}, summer);
  if (old != nullptr)
    ::setenv("TZ", saved.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
  ASSERT_TRUE(ok);
  EXPECT_EQ(winter, 1105711331);  // 14:02:11 UTC
  EXPECT_EQ(summer, 1124024531);  // 13:02:11 UTC
}

TEST_F(RenameTest, FileDateSetsTheLastWriteTimeAndKeepsTheLastAccess) {
  const media::TAfficherFichier clip = PlacedClip(dir_ / "clip.avi");
  struct timespec times[2]{};
  times[0].tv_sec = 1000000000;
  times[1].tv_sec = 1500000000;
  ASSERT_EQ(::utimensat(AT_FDCWD, clip.fullName.c_str(), times, 0), 0);
  std::string newfichier;
  EXPECT_EQ(FileDateExecution(clip, newfichier, services_), utModify);
  EXPECT_EQ(newfichier, clip.fullName);
  struct stat info {};
  ASSERT_EQ(::stat(clip.fullName.c_str(), &info), 0);
  long long expected = 0;
  ASSERT_TRUE(LocalToEpoch(*clip.datecode, expected));
  EXPECT_EQ(info.st_mtim.tv_sec, expected);
  EXPECT_EQ(info.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(host_.releases, 1);
  EXPECT_EQ(host_.retakes, 1);

  const media::TAfficherFichier again = media::AnalyseFile(clip.fullName, test::PlainDatecodeFormat());
  EXPECT_EQ(again.modified, *clip.datecode);
}

}  // namespace
}  // namespace korvid::commands
