// The command line: which parameters are switches (real absolute paths
// never are), the switch table and its help rows, the kinds of run, and
// switches running their commands on generated clips, once per file.
#include "commands/command_line.h"
#include "commands/command_set.h"
#include "commands/core_session.h"
#include "list/playlist.h"
#include "settings/preference_session.h"
#include "settings/preference_table.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/gui_app.h"
#include "support/recording_list_view.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"
#include "sample_clip.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;

TEST(SwitchParameter, OnlyPlusStartsSwitchesAndNeverAPathThatExists) {
  test::TempDir dir;
  EXPECT_TRUE(IsSwitchParameter("+rc"));
  EXPECT_TRUE(IsSwitchParameter("+H"));
  EXPECT_TRUE(IsSwitchParameter("/?"));
  EXPECT_FALSE(IsSwitchParameter("/x.avi"));
  EXPECT_FALSE(IsSwitchParameter("+x.avi"));
  EXPECT_FALSE(IsSwitchParameter("a.avi"));
  EXPECT_FALSE(IsSwitchParameter(""));
  // Absolute paths: deeper ones hold a second "/", top-level ones exist.
  EXPECT_FALSE(IsSwitchParameter(dir.path().string()));
  EXPECT_FALSE(IsSwitchParameter((dir / "clips").string()));
  for (const fs::path& top : {fs::path("/tmp"), fs::path("/usr"), fs::path("/etc")}) {
    if (fs::exists(top)) {
      EXPECT_FALSE(IsSwitchParameter(top.string())) << top;
    }
  }
  // A missing top-level folder stays a path: its letters could mean "delete".
  if (!fs::exists("/rdeh")) {
    EXPECT_FALSE(IsSwitchParameter("/rdeh"));
  }
  EXPECT_TRUE(SwitchHas("+RDC", "d"));
  EXPECT_FALSE(SwitchHas("+rc", "d"));
}

TEST(SwitchParameter, RunKindAndVisibleRunPlan) {
  EXPECT_EQ(DecideRunKind({}), RunKind::kNone);
  EXPECT_EQ(DecideRunKind({"+rc", "a.avi", "b.avi"}), RunKind::kVisible);
  EXPECT_EQ(DecideRunKind({"+h", "+d", "a.avi"}), RunKind::kHidden);
  EXPECT_EQ(DecideRunKind({"/mh"}), RunKind::kVisible);
  // A folder whose name holds an "h" hides nothing.
  if (fs::exists("/home")) {
    EXPECT_EQ(DecideRunKind({"/home"}), RunKind::kVisible);
  }

  VisibleRunPlan plan = ExamineVisibleRun({"+rc", "a.avi"});
  EXPECT_FALSE(plan.help);
  EXPECT_TRUE(plan.closeAfterCommands);
  EXPECT_FALSE(plan.noConfirmation);
  plan = ExamineVisibleRun({"/?"});
  EXPECT_TRUE(plan.help);
  EXPECT_FALSE(plan.closeAfterCommands);
  plan = ExamineVisibleRun({"+c", "/?"});
  EXPECT_TRUE(plan.help);
  EXPECT_TRUE(plan.closeAfterCommands);
  plan = ExamineVisibleRun({"/?", "+c"});
  EXPECT_TRUE(plan.help);
  EXPECT_FALSE(plan.closeAfterCommands);
  EXPECT_TRUE(ExamineVisibleRun({"+m", "+r"}).noConfirmation);
}

std::vector<std::string> Switches(const SwitchTable& table) {
  std::vector<std::string> out;
  for (const SwitchEntry& entry : table) out.push_back(entry.switchText);
  return out;
}

// Without services only the built-ins that need none have a handler; a
// switch that would do nothing (no handler, or its components missing) is
// neither in the table nor in the help.
TEST(SwitchTableTest, BuiltInSwitchesInActionOrderThenPlugInsAndHelpRowsSortedOnce) {
  const auto nothing = [](const TParam&, const media::TAfficherFichier&, std::string&, TchUpdateType&) {};
  tFileAction stabilise("Stabilise");
  stabilise.Caption = "Stabilise";
  stabilise.SetSwitch("K");
  stabilise.OnExecution = nothing;
  tFileAction twin("Twin");  // same caption and switch: one row
  twin.Caption = "Stabilise";
  twin.SetSwitch("k");
  twin.OnExecution = nothing;
  tFileAction missing("Missing");  // its components are not there
  missing.Caption = "Missing";
  missing.SetSwitch("y");
  missing.OnExecution = nothing;
  missing.OnGeneralCondition = [](const TParam&, bool& visible) { visible = false; };
  CommandSet commands;
  commands.RegisterBuiltIns({});
  commands.registry.Add(stabilise);
  commands.registry.Add(twin);
  commands.registry.Add(missing);
  commands.BindToWindow(settings::Preferences{});
  EXPECT_EQ(Switches(commands.switches), (std::vector<std::string>{"t", "q", "k", "k"}));

  const std::vector<CommandLineRow> rows = CommandLineRows(commands.switches, commands.actions);
  std::vector<std::string> texts;
  for (const CommandLineRow& row : rows) texts.push_back(row.function + "= " + row.key);
  EXPECT_EQ(texts.size(), 2u + 1u + 4u);
  EXPECT_EQ(texts.front(), "Add timecode= +t");
  EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end(), [](std::string a, std::string b) {
    std::transform(a.begin(), a.end(), a.begin(), ::tolower);
    std::transform(b.begin(), b.end(), b.begin(), ::tolower);
    return a < b;
  }));
  for (const char* fixed : {"Close after commands= +c", "Hide the window= +h", "No confirmation= +m", "Help= +?",
                            "Stabilise= +k", "Shorten the name= +q"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), fixed), texts.end()) << fixed;
}

// Switches run on copies of generated clips through the real commands of
// a core session whose preferences live in a temporary store.
class SwitchRunTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }
  // A new session over what the store holds now.
  void Start() {
    session_.emplace(CoreSessionSetup{.host = host_,
                                      .listView = view_,
                                      .launcher = launcher_,
                                      .riffView = riffView_,
                                      .store = Store(),
                                      .defaults = {.documentsFolder = home_.path().string()},
                                      .locale = QLocale::c(),
                                      .flags = &flags_,
                                      .trash = [this](const fs::path& p) {
                                        trashed_.push_back(p);
                                        return fs::remove(p);
                                      }});
    flags_.NoConfirmation = true;
    view_.Watch(session_->List());
  }
  settings::StoreLocation Store() const { return {home_ / "config"}; }
  list::VideoList& List() { return session_->List(); }
  // Every test also checks that a view replaying the list's row calls kept its rows.
  void TearDown() override { EXPECT_EQ(view_.mismatches, std::vector<std::string>{}); }
  std::vector<std::string> List(const std::vector<std::string>& clips) {
    std::vector<std::string> parameters;
    for (std::size_t i = 0; i < clips.size(); ++i) {
      const fs::path target = dir_ / (std::string(1, static_cast<char>('a' + i)) + ".avi");
      fs::copy_file(test::StandardSample(clips[i]), target);
      List().AddFile(target.string());
      parameters.push_back(target.string());
    }
    return parameters;
  }
  void Run(const std::vector<std::string>& parameters) {
    // Every listed file counts as named on the command line.
    std::set<std::string> named;
    for (int i = 0; i < List().Count(); ++i) named.insert(List().Entry(i).record->fullName);
    session_->RunSwitches(parameters, named, [this](const SwitchStep& step) { steps_.push_back(step); });
  }
  std::vector<std::string> FilesOnDisk() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir dir_;
  test::TempDir home_;
  test::ScriptedHost host_;
  ProcessFlags flags_;
  XdgDesktopLauncher launcher_;
  class : public RiffReportView {
    void BeginReport(const std::string&) override {}
    void EndReport(const media::RiffReport&) override {}
    void CloseReport() override {}
  } riffView_;
  std::vector<fs::path> trashed_;
  test::RecordingListView view_;
  std::optional<CoreSession> session_;
  std::vector<SwitchStep> steps_;
};

TEST_F(SwitchRunTest, AddDatecodeRunsOncePerFile) {
  for (const int count : {2, 3}) {
    SCOPED_TRACE(count);
    List().ClearList();
    for (const std::string& name : FilesOnDisk()) fs::remove(dir_ / name);
    steps_.clear();
    std::vector<std::string> parameters = List(std::vector<std::string>(static_cast<std::size_t>(count), "pal_type2.avi"));
    parameters.insert(parameters.begin(), "+d");
    Run(parameters);
    std::vector<std::string> expected;
    for (int i = 0; i < count; ++i)
      expected.push_back(std::string(1, static_cast<char>('a' + i)) + "_2005.08.14_03.02.11_pm.avi");
    EXPECT_EQ(FilesOnDisk(), expected);
    EXPECT_EQ(steps_.size(), static_cast<std::size_t>(count));
    EXPECT_TRUE(host_.questions.empty());
  }
}

TEST_F(SwitchRunTest, RenameRunsOncePerFileAndSkipsFilesWithoutDatecode) {
  std::vector<std::string> parameters = List({"pal_type2.avi", "no_datecode.avi", "pal_type2.avi", "pal_type2.avi"});
  parameters.push_back("+r");
  Run(parameters);
  EXPECT_EQ(FilesOnDisk(), (std::vector<std::string>{"ClipDV_20050814_03.02.11_pm(1).avi",
                                                     "ClipDV_20050814_03.02.11_pm(2).avi",
                                                     "ClipDV_20050814_03.02.11_pm.avi", "b.avi"}));
  ASSERT_EQ(steps_.size(), 4u);
  for (const SwitchStep& step : steps_) {
    const bool undated = step.file == (dir_ / "b.avi").string();
    EXPECT_EQ(step.outcome, undated ? SwitchStep::Outcome::kSkipped : SwitchStep::Outcome::kRenamed) << step.file;
  }
  const auto first = std::find_if(steps_.begin(), steps_.end(),
                                   [](const SwitchStep& step) { return step.outcome == SwitchStep::Outcome::kRenamed; });
  EXPECT_EQ(first->detail, (dir_ / "ClipDV_20050814_03.02.11_pm.avi").string());
  EXPECT_EQ(List().Count(), 4);
}

TEST_F(SwitchRunTest, LettersOfTwoCommandsRunInTableOrder) {
  std::vector<std::string> parameters = List({"pal_type2.avi", "pal_type2.avi"});
  parameters.insert(parameters.begin(), "+rd");  // d comes before r in the table
  Run(parameters);
  EXPECT_EQ(FilesOnDisk(), (std::vector<std::string>{"ClipDV_20050814_03.02.11_pm(1).avi",
                                                     "ClipDV_20050814_03.02.11_pm.avi"}));
}

TEST_F(SwitchRunTest, StoredChoicesComeBackAndShutdownSavesThemWithTheList) {
  {
    settings::PreferenceSession stored(Store());
    stored.Load({.documentsFolder = home_.path().string()});
    stored.values().saveListOnQuit = true;
    stored.values().playlistFolder = home_.path().string();
    stored.values().actions = {{"amAjouterDatecode", settings::ActionChoice::kUnticked}};
    stored.SaveNow({"5.3.6", "korvid", {2005, 8, 14, 15, 2, 11}, settings::EnglishLocaleFormats()});
  }
  Start();
  // An unchecked command still answers to its switch.
  std::vector<std::string> parameters = List({"pal_type2.avi"});
  parameters.push_back("+d");
  Run(parameters);
  const fs::path renamed = dir_ / "a_2005.08.14_03.02.11_pm.avi";
  EXPECT_EQ(FilesOnDisk(), (std::vector<std::string>{renamed.filename().string()}));
  EXPECT_EQ(session_->Shutdown(), "");
  EXPECT_TRUE(flags_.AbortAll);

  settings::PreferenceSession reloaded(Store());
  reloaded.Load({.documentsFolder = home_.path().string()});
  int datecodeChoice = settings::ActionChoice::kNotListed;
  int renameChoice = settings::ActionChoice::kNotListed;
  for (const settings::ActionChoice& choice : reloaded.values().actions) {
    if (choice.name == "amAjouterDatecode") datecodeChoice = choice.state;
    if (choice.name == "amRenameScAn") renameChoice = choice.state;
  }
  EXPECT_EQ(datecodeChoice, settings::ActionChoice::kUnticked);
  EXPECT_EQ(renameChoice, settings::ActionChoice::kTicked);
  const std::vector<std::uint8_t> bytes = test::ReadWholeFile(home_ / "PlayList.txt");
  EXPECT_EQ(list::PlaylistPaths(std::string(bytes.begin(), bytes.end())),
            (std::vector<std::string>{renamed.string()}));
}

TEST_F(SwitchRunTest, DeleteEmptiesTheListAndStopsAtItsEnd) {
  std::vector<std::string> parameters = List({"pal_type2.avi", "pal_type1.avi", "ntsc_type2.avi"});
  parameters.push_back("+e");
  Run(parameters);
  EXPECT_EQ(List().Count(), 0);
  EXPECT_TRUE(FilesOnDisk().empty());
  EXPECT_EQ(trashed_.size(), 3u);
  ASSERT_EQ(steps_.size(), 3u);
  for (const SwitchStep& step : steps_) EXPECT_EQ(step.outcome, SwitchStep::Outcome::kTrashed);
}

TEST_F(SwitchRunTest, InlayMakesOneOutputPerSourceAndNeverInlaysAnOutput) {
  test::EnsureGuiApplication();
  std::vector<std::string> parameters = List({"pal_type2.avi", "pal_type2.avi"});
  parameters.push_back("+i");
  Run(parameters);
  EXPECT_EQ(FilesOnDisk(), (std::vector<std::string>{"a.avi", "a_in.avi", "b.avi", "b_in.avi"}));
  EXPECT_EQ(List().Count(), 4);
  ASSERT_EQ(steps_.size(), 2u);
  EXPECT_EQ(steps_[0].outcome, SwitchStep::Outcome::kDone);
  ASSERT_EQ(steps_[0].written.size(), 1u);
  EXPECT_EQ(steps_[0].written[0].path, (dir_ / "a_in.avi").string());
  EXPECT_FALSE(steps_[0].written[0].replaced);
}

// The runner switches the progress timer on for a command with a status
// message, so the gauge follows a conversion long enough to tick, and off
// again after it.
TEST_F(SwitchRunTest, GaugeFollowsAConversionAndItsTimerStopsAfter) {
  test::EnsureGuiApplication();
  samples::DvClipSpec spec = samples::StandardDvClips().at(1);
  spec.frames = 250;
  const fs::path clip = dir_ / "a.avi";
  samples::WriteDvClip(clip, spec);
  List().AddFile(clip.string());
  Run({clip.string(), "+i"});
  ASSERT_TRUE(fs::exists(dir_ / "a_in.avi"));
  EXPECT_EQ(host_.gauge.front(), 0);
  EXPECT_TRUE(std::any_of(host_.gauge.begin(), host_.gauge.end(), [](int p) { return p > 0 && p <= 100; }));
  EXPECT_TRUE(std::is_sorted(host_.gauge.begin(), host_.gauge.end()));
  EXPECT_FALSE(session_->ProgressTimer().enabled);
}

// What an item model over the list would show: a copy kept from the row
// calls alone stays equal to the list through a run that adds, renames and
// removes files, and entries keep their ids through a rename.
TEST_F(SwitchRunTest, ReplayedRowCallsHoldTheListThroughAddsRenamesAndRemovals) {
  test::EnsureGuiApplication();
  const std::vector<std::string> paths = List({"pal_type2.avi", "no_datecode.avi", "pal_type2.avi"});
  std::vector<list::EntryId> sources;
  for (const std::string& path : paths) sources.push_back(List().Entry(List().FindEntry(path)).id);
  const auto idsNow = [this] {
    std::set<list::EntryId> ids;
    for (int i = 0; i < List().Count(); ++i) ids.insert(List().Entry(i).id);
    return ids;
  };

  const int insertedBefore = view_.inserted;
  Run({"+i"});
  EXPECT_EQ(view_.rows, view_.ListRows());
  EXPECT_EQ(view_.inserted - insertedBefore, List().Count() - 3);
  ASSERT_GE(List().Count(), 5);
  std::set<list::EntryId> added = idsNow();
  for (const list::EntryId id : sources) EXPECT_EQ(added.erase(id), 1u) << "a source kept its entry";
  for (const list::EntryId id : added) EXPECT_GT(id, *std::max_element(sources.begin(), sources.end()));

  const int movedBefore = view_.moved;
  Run({"+r"});
  EXPECT_EQ(view_.rows, view_.ListRows());
  EXPECT_GT(view_.moved, movedBefore);
  const int renamed = List().IndexOfId(sources[0]);
  ASSERT_GE(renamed, 0) << "the renamed file kept its id";
  EXPECT_EQ(List().Entry(renamed).name.rfind("ClipDV_2005", 0), 0u) << List().Entry(renamed).name;
  EXPECT_EQ(List().Entry(List().IndexOfId(sources[1])).record->fullName, paths[1]);

  const int count = List().Count();
  const int removedBefore = view_.removed;
  Run({"+e"});
  EXPECT_EQ(List().Count(), 0);
  EXPECT_EQ(view_.removed - removedBefore, count);
  EXPECT_TRUE(view_.rows.empty());
  EXPECT_EQ(view_.focused, 0u);
}

}  // namespace
}  // namespace korvid::commands
