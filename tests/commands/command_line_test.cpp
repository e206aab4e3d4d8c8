// The command line: which parameters are switches (real absolute paths
// never are), the switch table and its help rows, the kinds of run, and
// switches running their commands on generated clips, once per file.
#include "commands/action_binding.h"
#include "commands/builtin_actions.h"
#include "commands/command_line.h"
#include "commands/command_list.h"
#include "graphs/filter_availability.h"
#include "graphs/graph_holders.h"
#include "media/avi_stream_analysis.h"
#include "settings/preference_table.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/gui_app.h"
#include "support/list_samples.h"
#include "support/recording_list_view.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;

TEST(SwitchParameter, PlusAndSlashSwitchesButNeverAPathThatExists) {
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
  if (!fs::exists("/rdeh")) {
    EXPECT_TRUE(IsSwitchParameter("/rdeh"));
  }
  EXPECT_TRUE(SwitchHas("+RDC", "d"));
  EXPECT_FALSE(SwitchHas("+rc", "d"));
}

TEST(SwitchParameter, RunKindAndVisibleRunPlan) {
  EXPECT_EQ(DecideRunKind({}), RunKind::kNone);
  EXPECT_EQ(DecideRunKind({"+rc", "a.avi", "b.avi"}), RunKind::kVisible);
  EXPECT_EQ(DecideRunKind({"+h", "+d", "a.avi"}), RunKind::kHidden);
  EXPECT_EQ(DecideRunKind({"/mh"}), RunKind::kHidden);
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

// The built-in actions bound as the window binds them, optionally with plug-ins.
struct Commands {
  Tch ch;
  FileActionRegistry registry;
  ActionList actions = MainWindowActions();
  MainMenu menu = MainWindowMenu();
  CommandList list;
  SwitchTable table;

  void Build(const TchServices& services, std::vector<tFileAction*> plugIns = {}) {
    ApplyActionTexts(ch);
    BindBuiltInHandlers(ch, services);
    RegisterBuiltInActions(ch, registry);
    for (tFileAction* plugIn : plugIns) registry.Add(*plugIn);
    BindFileActions(registry, actions, menu);
    list = BuildCommandList(actions);
    table = BuildSwitchTable(actions, list, registry);
  }
};

std::vector<std::string> Switches(const SwitchTable& table) {
  std::vector<std::string> out;
  for (const SwitchEntry& entry : table) out.push_back(entry.switchText);
  return out;
}

TEST(SwitchTableTest, BuiltInSwitchesInActionOrderThenPlugInsAndHelpRowsSortedOnce) {
  tFileAction stabilise("Stabilise");
  stabilise.Caption = "Stabilise";
  stabilise.SetSwitch("K");
  tFileAction twin("Twin");  // same caption and switch: one row
  twin.Caption = "Stabilise";
  twin.SetSwitch("k");
  Commands commands;
  commands.Build({}, {&stabilise, &twin});
  EXPECT_EQ(Switches(commands.table), (std::vector<std::string>{"e", "d", "t", "q", "b", "r", "1", "2", "n", "p", "i",
                                                                "g", "s", "z", "w", "x", "k", "k"}));

  const std::vector<CommandLineRow> rows = CommandLineRows(commands.table, commands.actions);
  std::vector<std::string> texts;
  for (const CommandLineRow& row : rows) texts.push_back(row.function + "= " + row.key);
  EXPECT_EQ(texts.size(), 16u + 1u + 4u);
  EXPECT_EQ(texts.front(), "Add datecode= +d");
  EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end(), [](std::string a, std::string b) {
    std::transform(a.begin(), a.end(), a.begin(), ::tolower);
    std::transform(b.begin(), b.end(), b.begin(), ::tolower);
    return a < b;
  }));
  for (const char* fixed : {"Close after commands= +c", "Hide the window= +h", "No confirmation= +m", "Help= +?",
                            "Stabilise= +k", "Convert to Pal= +p"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), fixed), texts.end()) << fixed;
}

// Switches run on copies of generated clips through the real commands.
class SwitchRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    availability_.inlayReady = true;
    availability_.conversionReady = true;
    commands_.Build({.host = &host_, .rename = &rename_, .housekeeping = &housekeeping_, .conversion = &conversion_});
    flags_.NoConfirmation = true;
    view_.Watch(list_);
  }
  // Every test also checks that a view replaying the list's row calls kept its rows.
  void TearDown() override { EXPECT_EQ(view_.mismatches, std::vector<std::string>{}); }
  std::vector<std::string> List(const std::vector<std::string>& clips) {
    std::vector<std::string> parameters;
    for (std::size_t i = 0; i < clips.size(); ++i) {
      const fs::path target = dir_ / (std::string(1, static_cast<char>('a' + i)) + ".avi");
      fs::copy_file(test::StandardSample(clips[i]), target);
      list_.AddFile(target.string());
      parameters.push_back(target.string());
    }
    return parameters;
  }
  void Run(const std::vector<std::string>& parameters) {
    SwitchRun run{commands_.actions, commands_.registry, context_,
                  [this](const SwitchStep& step) { steps_.push_back(step); }};
    RunSwitches(parameters, commands_.table, run);
  }
  std::vector<std::string> FilesOnDisk() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir dir_;
  settings::Preferences prefs_ = settings::DefaultPreferences({}, true);
  test::ScriptedHost host_;
  ProcessFlags flags_;
  RenameServices rename_{prefs_, settings::EnglishLocaleFormats(), host_};
  XdgDesktopLauncher launcher_;
  class : public RiffReportView {
    void BeginReport(const std::string&) override {}
    void EndReport(const media::RiffReport&) override {}
    void CloseReport() override {}
  } riffView_;
  std::vector<fs::path> trashed_;
  HousekeepingServices housekeeping_{host_, launcher_, riffView_, prefs_, {}, [this](const fs::path& p) {
                                       trashed_.push_back(p);
                                       return fs::remove(p);
                                     }};
  graphs::TCdm cdm_;
  graphs::FilterAvailability availability_;
  ConversionServices conversion_{cdm_, prefs_, availability_, host_, flags_};
  Commands commands_;
  test::RecordingListView view_;
  list::VideoList list_{view_,
                        media::AnalyseFile, test::PlainDatecodeFormat(),
                        QLocale::c(), 1, false};
  RunContext context_{list_, host_, flags_, {}};
  std::vector<SwitchStep> steps_;
};

TEST_F(SwitchRunTest, AddDatecodeRunsOncePerFile) {
  for (const int count : {2, 3}) {
    SCOPED_TRACE(count);
    list_.ClearList();
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
  EXPECT_EQ(steps_[1].outcome, SwitchStep::Outcome::kSkipped);
  EXPECT_EQ(steps_[0].outcome, SwitchStep::Outcome::kRenamed);
  EXPECT_EQ(steps_[0].detail, (dir_ / "ClipDV_20050814_03.02.11_pm.avi").string());
  EXPECT_EQ(list_.Count(), 4);
}

TEST_F(SwitchRunTest, LettersOfTwoCommandsRunInTableOrder) {
  std::vector<std::string> parameters = List({"pal_type2.avi", "pal_type2.avi"});
  parameters.insert(parameters.begin(), "+rd");  // d comes before r in the table
  Run(parameters);
  EXPECT_EQ(FilesOnDisk(), (std::vector<std::string>{"ClipDV_20050814_03.02.11_pm(1).avi",
                                                     "ClipDV_20050814_03.02.11_pm.avi"}));
}

TEST_F(SwitchRunTest, AnUncheckedCommandStillAnswersToItsSwitch) {
  RestoreCommandChoices({{"amAjouterDatecode", 0}}, commands_.actions, commands_.list);
  std::vector<std::string> parameters = List({"pal_type2.avi"});
  parameters.push_back("/d");
  Run(parameters);
  EXPECT_EQ(FilesOnDisk(), (std::vector<std::string>{"a_2005.08.14_03.02.11_pm.avi"}));
}

TEST_F(SwitchRunTest, DeleteEmptiesTheListAndStopsAtItsEnd) {
  std::vector<std::string> parameters = List({"pal_type2.avi", "pal_type1.avi", "ntsc_type2.avi"});
  parameters.push_back("+e");
  Run(parameters);
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_TRUE(FilesOnDisk().empty());
  EXPECT_EQ(trashed_.size(), 3u);
  ASSERT_EQ(steps_.size(), 3u);
  for (const SwitchStep& step : steps_) EXPECT_EQ(step.outcome, SwitchStep::Outcome::kRemoved);
}

TEST_F(SwitchRunTest, InlayMakesOneOutputPerSourceAndNeverInlaysAnOutput) {
  test::EnsureGuiApplication();
  std::vector<std::string> parameters = List({"pal_type2.avi", "pal_type2.avi"});
  parameters.push_back("+i");
  Run(parameters);
  EXPECT_EQ(FilesOnDisk(), (std::vector<std::string>{"a.avi", "a_in.avi", "b.avi", "b_in.avi"}));
  EXPECT_EQ(list_.Count(), 4);
  ASSERT_EQ(steps_.size(), 2u);
  EXPECT_EQ(steps_[0].outcome, SwitchStep::Outcome::kDone);
  EXPECT_EQ(steps_[0].detail, (dir_ / "a_in.avi").string());
}

// What an item model over the list would show: a copy kept from the row
// calls alone stays equal to the list through a run that adds, renames and
// removes files, and entries keep their ids through a rename.
TEST_F(SwitchRunTest, ReplayedRowCallsHoldTheListThroughAddsRenamesAndRemovals) {
  test::EnsureGuiApplication();
  const std::vector<std::string> paths = List({"pal_type2.avi", "no_datecode.avi", "pal_type2.avi"});
  std::vector<list::EntryId> sources;
  for (const std::string& path : paths) sources.push_back(list_.Entry(list_.FindEntry(path)).id);
  const auto idsNow = [this] {
    std::set<list::EntryId> ids;
    for (int i = 0; i < list_.Count(); ++i) ids.insert(list_.Entry(i).id);
    return ids;
  };

  const int insertedBefore = view_.inserted;
  Run({"+i"});
  EXPECT_EQ(view_.rows, view_.ListRows());
  EXPECT_EQ(view_.inserted - insertedBefore, list_.Count() - 3);
  ASSERT_GE(list_.Count(), 5);
  std::set<list::EntryId> added = idsNow();
  for (const list::EntryId id : sources) EXPECT_EQ(added.erase(id), 1u) << "a source kept its entry";
  for (const list::EntryId id : added) EXPECT_GT(id, *std::max_element(sources.begin(), sources.end()));

  const int movedBefore = view_.moved;
  Run({"+r"});
  EXPECT_EQ(view_.rows, view_.ListRows());
  EXPECT_GT(view_.moved, movedBefore);
  const int renamed = list_.IndexOfId(sources[0]);
  ASSERT_GE(renamed, 0) << "the renamed file kept its id";
  EXPECT_EQ(list_.Entry(renamed).name.rfind("ClipDV_2005", 0), 0u) << list_.Entry(renamed).name;
  EXPECT_EQ(list_.Entry(list_.IndexOfId(sources[1])).record->fullName, paths[1]);

  const int count = list_.Count();
  const int removedBefore = view_.removed;
  Run({"+e"});
  EXPECT_EQ(list_.Count(), 0);
  EXPECT_EQ(view_.removed - removedBefore, count);
  EXPECT_TRUE(view_.rows.empty());
  EXPECT_EQ(view_.focused, 0u);
}

}  // namespace
}  // namespace korvid::commands
