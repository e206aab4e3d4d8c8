// Before any Qt header: a member of the filter catalogue is named like a Qt keyword.
#include "commands/builtin_actions.h"
#include "commands/housekeeping_commands.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "commands/runners.h"
#include "media/avi_stream_analysis.h"
#include "settings/preference_table.h"
#include "support/list_samples.h"
#include "support/sample_set.h"
#include "support/recording_list_view.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;

class RecordingLauncher final : public DesktopLauncher {
 public:
  bool Open(const std::string& target) override {
    opened.push_back(target);
    return true;
  }
  bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override {
    started.push_back(program);
    startArguments = arguments;
    return true;
  }
  std::vector<std::string> opened;
  std::vector<std::string> started;
  std::vector<std::string> startArguments;
};

class RecordingReportView final : public RiffReportView {
 public:
  void BeginReport(const std::string& fullName) override { begun.push_back(fullName); }
  void EndReport(const media::RiffReport& report) override { lines = report.lines; }
  void CloseReport() override { ++closed; }
  std::vector<std::string> begun;
  std::vector<std::string> lines;
  int closed = 0;
};

// The trash of a temporary home, so that nothing is ever deleted for good.
class TrashHome {
 public:
  TrashHome() {
    const char* old = std::getenv("XDG_DATA_HOME");
    had_ = old != nullptr;
    if (had_) saved_ = old;
    ::setenv("XDG_DATA_HOME", dir_.path().c_str(), 1);
  }
  ~TrashHome() {
    if (had_)
      ::setenv("XDG_DATA_HOME", saved_.c_str(), 1);
    else
      ::unsetenv("XDG_DATA_HOME");
  }
  fs::path Files() const { return dir_.path() / "Trash" / "files"; }

 private:
  test::TempDir dir_;
  bool had_ = false;
  std::string saved_;
};

class HousekeepingTest : public ::testing::Test {
 protected:
  void SetUp() override { view_.Watch(list_); }
  // Every test also checks that a view replaying the list's row calls kept its rows.
  void TearDown() override { EXPECT_EQ(view_.mismatches, std::vector<std::string>{}); }
  HousekeepingTest() {
    ApplyActionTexts(ch_);
    BindBuiltInHandlers(ch_, TchServices{.host = &host_, .housekeeping = &services_});
    services_.reportStamp = [] {
      media::RiffReportStamp stamp;
      stamp.now = {2024, 3, 5, 9, 7, 8};
      stamp.locale = settings::EnglishLocaleFormats();
      stamp.program = "Korvid";
      return stamp;
    };
  }
  int Add(const std::string& name, bool readOnly = false) {
    // A copy, never a link: permissions belong to the shared sample's inode.
    const fs::path path = dir_ / name;
    fs::copy_file(test::StandardSample("pal_type2.avi"), path);
    if (readOnly) fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                                  fs::perm_options::remove);
    return list_.AddFile(path.string());
  }

  test::TempDir dir_;
  test::RecordingListView view_;
  ProcessFlags flags_;
  list::VideoList list_{view_,
                        media::AnalyseFile, test::PlainDatecodeFormat(),
                        QLocale::c(), 1, false, flags_};
  test::ScriptedHost host_;
  RunContext context_{list_, host_, flags_, {}, {}, nullptr};
  RecordingLauncher launcher_;
  RecordingReportView reportView_;
  settings::Preferences prefs_ = settings::DefaultPreferences({}, true);
  HousekeepingServices services_{host_, launcher_, reportView_, prefs_, {}, {}};
  Tch ch_;
};

TEST_F(HousekeepingTest, DeletingThreeFilesOneReadOnlyTrashesTwoAndKeepsTheThird) {
  TrashHome home;
  Add("a.avi");
  Add("b.avi", true);
  Add("c.avi");
  list_.SelectAll();
  host_.answers = {Answer::kYes, Answer::kYes};
  RunOnSelection(&ch_.Action("SupprimerFichier"), context_);
  ASSERT_EQ(host_.questions.size(), 2u);
  EXPECT_EQ(host_.questions[0].text,
            "Do you really want to delete a.avi ?\r\nIf yes, it will be sent to the Recycle bin.\r\n"
            "If you type \"All\", no more confimation will be asked for.");
  EXPECT_EQ(host_.statusTexts, (std::vector<std::string>{"Deleting...", "Deleting..."}));
  ASSERT_EQ(list_.Count(), 1);
  EXPECT_EQ(list_.Entry(0).name, "b.avi");
  EXPECT_TRUE(fs::exists(dir_ / "b.avi"));
  EXPECT_TRUE(fs::exists(home.Files() / "a.avi"));
  EXPECT_TRUE(fs::exists(home.Files() / "c.avi"));
}

TEST_F(HousekeepingTest, AFileTheTrashRefusesStaysAndIsNamed) {
  Add("a.avi");
  list_.SelectAll();
  services_.trash = [](const fs::path&) { return false; };
  RunOnSelection(&ch_.Action("SupprimerFichier"), context_);
  ASSERT_EQ(host_.questions.size(), 2u);
  EXPECT_EQ(host_.questions[1].kind, MessageKind::kError);
  EXPECT_EQ(host_.questions[1].text,
            "Impossible to delete " + (dir_ / "a.avi").string() + "\r\nIt is perhaps in use or read only");
  EXPECT_EQ(list_.Count(), 1);
  EXPECT_TRUE(fs::exists(dir_ / "a.avi"));
}

TEST_F(HousekeepingTest, RemovingTakesEntriesOutWithoutTouchingTheDisk) {
  Add("a.avi");
  Add("b.avi");
  list_.SelectAll();
  RunOnSelection(&ch_.Action("oterfichier"), context_);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_TRUE(host_.questions.empty());
  EXPECT_TRUE(fs::exists(dir_ / "a.avi"));
}

TEST_F(HousekeepingTest, FolderPlayerAndGrabberGoThroughTheDesktop) {
  const int index = Add("my clip.avi");
  list_.SetFocus(index);
  list_.SetSelected(index, true);
  RunOnCurrentEntry(&ch_.Action("DossierParent"), context_);
  RunOnCurrentEntry(&ch_.Action("DefaultPlayer"), context_);
  const std::string full = (dir_ / "my clip.avi").string();
  EXPECT_EQ(launcher_.opened, (std::vector<std::string>{dir_.path().string() + "/", full}));

  bool visible = true;
  ch_.Action("Pictrel").OnGeneralCondition(ch_.Action("Pictrel").Param, visible);
  EXPECT_FALSE(visible);
  prefs_.frameGrabProgram = (dir_ / "grabber").string();
  test::WriteWholeFile(prefs_.frameGrabProgram, {'#'});
  ch_.Action("Pictrel").OnGeneralCondition(ch_.Action("Pictrel").Param, visible);
  EXPECT_TRUE(visible);
  RunOnCurrentEntry(&ch_.Action("Pictrel"), context_);
  EXPECT_EQ(launcher_.started, (std::vector<std::string>{prefs_.frameGrabProgram}));
  // One argument, unquoted: no shell splits it.
  EXPECT_EQ(launcher_.startArguments, (std::vector<std::string>{full}));
}

// The desktop's programs get a path as the bytes the file system has: a
// name that is not UTF-8 reaches them as itself, not as its twin.
TEST(XdgDesktopLauncher, PassesPathsAsTheirBytes) {
  test::TempDir dir;
  const fs::path latin1 = dir / "\xE9t\xE9.avi";
  XdgDesktopLauncher launcher;
  ASSERT_TRUE(launcher.StartDetached("touch", {latin1.string()}));
  // The program runs detached: give it time to finish.
  for (int i = 0; i < 200 && !fs::exists(latin1); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(fs::exists(latin1));
  EXPECT_FALSE(fs::exists(dir / "\xEF\xBF\xBDt\xEF\xBF\xBD.avi"));
  EXPECT_FALSE(launcher.StartDetached((dir / "no-such-program").string(), {}));
}

TEST_F(HousekeepingTest, RiffHeaderShowsTheReportOrTheBusyMessage) {
  const int index = Add("a.avi");
  list_.SetFocus(index);
  list_.SetSelected(index, true);
  RunOnCurrentEntry(&ch_.Action("RiffHeader"), context_);
  ASSERT_EQ(reportView_.begun.size(), 1u);
  EXPECT_EQ(reportView_.begun[0], (dir_ / "a.avi").string());
  ASSERT_GT(reportView_.lines.size(), 20u);
  EXPECT_EQ(reportView_.lines[4], "         analysed on 2024/03/5 at 9:07:08         ");

  media::TAfficherFichier busy;
  fs::create_directories(dir_ / "busy.avi");
  media::SetNameFields(dir_ / "busy.avi", busy);
  EXPECT_EQ(RiffHeaderExecution(busy, services_), utNone);
  ASSERT_EQ(host_.questions.size(), 1u);
  EXPECT_EQ(host_.questions[0].text, "The file " + busy.fullName +
                                         " is busy. It may be used by another process. Please wait.");
  EXPECT_EQ(reportView_.closed, 1);
}

}  // namespace
}  // namespace korvid::commands
