// Before any Qt header: a member of the filter catalogue is named like a Qt keyword.
#include "commands/builtin_actions.h"
#include "commands/runners.h"
#include "commands/command_skipped.h"
#include "media/binary_file.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/list_samples.h"
#include "support/recording_list_view.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

using test::ScriptedHost;

// A list of `count` files whose records carry names only: the runners never
// look further.
class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override { view_.Watch(list_); }
  // Every test also checks that a view replaying the list's row calls kept its rows.
  void TearDown() override { EXPECT_EQ(view_.mismatches, std::vector<std::string>{}); }
  void Fill(int count) {
    for (int i = 0; i < count; ++i) {
      const std::string name = std::string(1, static_cast<char>('a' + i)) + ".avi";
      test::PlaceNotAvi(dir_ / name);
      list_.AddFile((dir_ / name).string());
    }
  }
  void SelectAll() {
    for (int i = 0; i < list_.Count(); ++i) list_.SetSelected(i, true);
  }
  std::vector<bool> Selection() const {
    std::vector<bool> out;
    for (int i = 0; i < list_.Count(); ++i) out.push_back(list_.Entry(i).selected);
    return out;
  }
  // An action that records the names it ran on and asks about each file.
  tFileAction Recording(std::string question = "Go?") {
    tFileAction action("Probe");
    action.OnConfirmation = [question](const TParam&, const media::TAfficherFichier&, std::string& msg) {
      msg = question;
    };
    action.OnExecution = [this](const TParam&, const media::TAfficherFichier& e, std::string&, TchUpdateType& u) {
      ran_.push_back(e.name);
      u = utNone;
    };
    return action;
  }

  test::TempDir dir_;
  test::RecordingListView view_;
  ProcessFlags flags_;
  list::VideoList list_{view_,
                        [](const std::filesystem::path& p, const media::DatecodeFormat&) {
                          media::TAfficherFichier r;
                          media::SetNameFields(p, r);
                          return r;
                        },
                        {}, QLocale::c(), 1, false, flags_};
  ScriptedHost host_;
  RunContext context_{list_, host_, flags_, {}, {}, nullptr};
  std::vector<std::string> ran_;
};

TEST_F(RunnerTest, NothingRunsWithoutASelection) {
  Fill(3);
  const tFileAction action = Recording();
  RunOnSelection(&action, context_);
  RunOnSelectionLocked(&action, context_);
  RunOnCurrentEntry(&action, context_);
  EXPECT_TRUE(ran_.empty());
  EXPECT_TRUE(host_.questions.empty());
  EXPECT_TRUE(host_.listEnabled.empty());
}

TEST_F(RunnerTest, BoundEmptyListCommandsRunOnceWithoutEntry) {
  tFileAction action = Recording("");
  action.SetName("Probe");
  FileActionRegistry registry;
  registry.Add(action);
  for (const char* category : {"vide", "permanent"}) RunBoundAction("amProbe", category, registry, context_);
  ASSERT_EQ(ran_.size(), 2u);
  EXPECT_EQ(ran_[0], "");
  // A list command, or a file command with nothing selected, does nothing.
  RunBoundAction("amProbe", "liste", registry, context_);
  RunBoundAction("amProbe", "multi", registry, context_);
  RunBoundAction("afProbe", "vide", registry, context_);
  EXPECT_EQ(ran_.size(), 2u);
}

TEST_F(RunnerTest, OneFileIsAskedYesNoWithoutTheAllLine) {
  Fill(3);
  list_.SetSelected(1, true);
  const tFileAction action = Recording("Go?");
  RunOnSelection(&action, context_);
  ASSERT_EQ(host_.questions.size(), 1u);
  EXPECT_EQ(host_.questions[0].text, "Go?");
  EXPECT_EQ(host_.questions[0].buttons, Buttons::kYesNo);
  EXPECT_EQ(host_.questions[0].kind, MessageKind::kWarning);
  EXPECT_EQ(ran_, (std::vector<std::string>{"b.avi"}));
}

TEST_F(RunnerTest, AllOnTheFirstOfFiveRunsAllFiveAndTheNextRunAsksAgain) {
  Fill(5);
  SelectAll();
  const tFileAction action = Recording("Go?");
  host_.answers = {Answer::kAll};
  RunOnSelection(&action, context_);
  ASSERT_EQ(host_.questions.size(), 1u);
  EXPECT_EQ(host_.questions[0].text, "Go?\r\nIf you type \"All\", no more confimation will be asked for.");
  EXPECT_EQ(host_.questions[0].buttons, Buttons::kYesNoCancelAll);
  EXPECT_EQ(ran_.size(), 5u);
  EXPECT_EQ(host_.listEnabled, (std::vector<bool>{false, true}));

  SelectAll();
  RunOnSelection(&action, context_);
  EXPECT_EQ(host_.questions.size(), 6u);
  EXPECT_EQ(ran_.size(), 10u);
}

TEST_F(RunnerTest, CancelOnTheThirdOfFiveLeavesTheRestUnprocessedAndDeselected) {
  Fill(5);
  SelectAll();
  const tFileAction action = Recording();
  host_.answers = {Answer::kYes, Answer::kNo, Answer::kCancel};
  RunOnSelection(&action, context_);
  EXPECT_EQ(ran_, (std::vector<std::string>{"a.avi"}));
  EXPECT_EQ(Selection(), (std::vector<bool>{true, true, true, false, false}));
  EXPECT_EQ(list_.Focus(), 2);
  EXPECT_EQ(host_.listEnabled.back(), true);
}

TEST_F(RunnerTest, EscapeStopsBeforeTheNextFileAndShiftEscapeAfterTheCurrentOne) {
  Fill(5);
  SelectAll();
  tFileAction action = Recording("");
  // Escape while the second file's command runs stops only that command.
  action.OnExecution = [&](const TParam&, const media::TAfficherFichier& e, std::string&, TchUpdateType&) {
    ran_.push_back(e.name);
    if (ran_.size() == 2) flags_.AbortCommand = true;
  };
  RunOnSelection(&action, context_);
  EXPECT_EQ(ran_.size(), 5u);

  ran_.clear();
  SelectAll();
  action.OnExecution = [&](const TParam&, const media::TAfficherFichier& e, std::string&, TchUpdateType&) {
    ran_.push_back(e.name);
    if (ran_.size() == 2) flags_.AbortCommand = flags_.AbortAll = true;
  };
  RunOnSelection(&action, context_);
  EXPECT_EQ(ran_.size(), 2u);
  EXPECT_FALSE(flags_.AbortAll);
  EXPECT_FALSE(flags_.AbortCommand);

  // Escape pressed between two files.
  ran_.clear();
  SelectAll();
  action.OnExecution = [&](const TParam&, const media::TAfficherFichier& e, std::string&, TchUpdateType&) {
    ran_.push_back(e.name);
  };
  host_.onEvents = [&] {
    if (ran_.size() == 3) flags_.AbortCommand = true;
  };
  RunOnSelection(&action, context_);
  EXPECT_EQ(ran_.size(), 3u);
}

TEST_F(RunnerTest, ACommandStartedWhileAnotherRunsIsRefused) {
  Fill(3);
  SelectAll();
  list_.SetFocus(0);
  const tFileAction first = Recording("");
  tFileAction second("Second");
  second.OnExecution = [&](const TParam&, const media::TAfficherFichier& e, std::string&, TchUpdateType&) {
    ran_.push_back("second " + e.name);
  };
  FileActionRegistry registry;
  registry.Add(second);
  // A key press during the run starts another command through every runner.
  host_.onEvents = [&] {
    RunOnSelection(&second, context_);
    RunOnSelectionLocked(&second, context_);
    RunOnCurrentEntry(&second, context_);
    RunBoundAction("pmSecond", "multi", registry, context_);
  };
  RunOnSelectionLocked(&first, context_);
  EXPECT_EQ(ran_, (std::vector<std::string>{"a.avi", "b.avi", "c.avi"}));
  EXPECT_EQ(host_.listEnabled, (std::vector<bool>{false, true}));
  EXPECT_EQ(Selection(), (std::vector<bool>{true, true, true}));

  // Once the run is over the next command starts.
  host_.onEvents = nullptr;
  ran_.clear();
  RunOnCurrentEntry(&second, context_);
  EXPECT_EQ(ran_.size(), 1u);
}

TEST_F(RunnerTest, ConfirmationsAreSkippedWhenEmptyOrSwitchedOff) {
  Fill(2);
  SelectAll();
  const tFileAction silent = Recording("");
  RunOnSelection(&silent, context_);
  EXPECT_TRUE(host_.questions.empty());
  EXPECT_EQ(ran_.size(), 2u);

  int asked = 0;
  tFileAction counted = Recording();
  counted.OnConfirmation = [&](const TParam&, const media::TAfficherFichier&, std::string& msg) {
    ++asked;
    msg = "Go?";
  };
  flags_.NoConfirmation = true;
  SelectAll();
  RunOnSelection(&counted, context_);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(ran_.size(), 4u);
}

TEST_F(RunnerTest, FileConditionSkipsWithoutAQuestionAndTheFileStaysSelected) {
  Fill(3);
  SelectAll();
  tFileAction action = Recording();
  action.OnFileCondition = [](const TParam&, const media::TAfficherFichier& e, bool&, bool& enabled) {
    enabled = e.name != "b.avi";
  };
  RunOnSelection(&action, context_);
  EXPECT_EQ(ran_, (std::vector<std::string>{"a.avi", "c.avi"}));
  EXPECT_EQ(host_.questions.size(), 2u);
  EXPECT_EQ(Selection(), (std::vector<bool>{true, true, true}));
}

TEST_F(RunnerTest, StatusMessageIsFormattedOnlyWhereItHoldsAPlaceholder) {
  Fill(1);
  list_.SetSelected(0, true);
  list_.SetFocus(0);
  tFileAction action = Recording("");
  action.MonoMessage = "Deleting...";
  RunOnCurrentEntry(&action, context_);
  action.MonoMessage = "Converting \"%s\" into type 1";
  RunOnSelectionLocked(&action, context_);
  EXPECT_EQ(host_.statusTexts, (std::vector<std::string>{"Deleting...", "Converting \"a.avi\" into type 1"}));
  EXPECT_EQ(host_.gaugeShown, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(host_.gauge, (std::vector<int>{0, 0}));
  EXPECT_EQ(FormatMonoMessage("100%% of %s", "x"), "100% of x");
}

TEST_F(RunnerTest, ResultsReachTheListAndAThrowingHandlerStillEndsTheRun) {
  Fill(3);
  SelectAll();
  tFileAction remove("oterfichier");
  remove.OnExecution = [](const TParam&, const media::TAfficherFichier&, std::string&, TchUpdateType& u) {
    u = utDelete;
  };
  RunOnSelection(&remove, context_);
  EXPECT_EQ(list_.Count(), 0);

  Fill(2);
  SelectAll();
  bool locked = false;
  context_.lockListCommands = [&](bool on) { locked = on; };
  tFileAction failing("Failing");
  failing.OnExecution = [&](const TParam&, const media::TAfficherFichier&, std::string&, TchUpdateType&) {
    EXPECT_TRUE(locked);
    flags_.AbortAll = true;
    throw std::runtime_error("disk on fire");
  };
  EXPECT_THROW(RunOnSelectionLocked(&failing, context_), std::runtime_error);
  EXPECT_FALSE(locked);
  EXPECT_EQ(host_.listEnabled.back(), true);
  EXPECT_FALSE(flags_.AbortAll);
}

TEST_F(RunnerTest, BoundRunOverSeveralFilesReleasesThePlayerAndMonoRunsOnTheCurrentOnly) {
  Fill(3);
  SelectAll();
  list_.SetFocus(2);
  tFileAction action = Recording("");
  FileActionRegistry registry;
  registry.Add(action);
  RunBoundAction("pmprobe", "multi", registry, context_);
  EXPECT_EQ(ran_.size(), 3u);
  EXPECT_EQ(host_.releases, 1);
  EXPECT_EQ(host_.retakes, 1);

  ran_.clear();
  SelectAll();
  list_.SetFocus(1);
  RunBoundAction("amProbe", "mono", registry, context_);
  EXPECT_EQ(ran_, (std::vector<std::string>{"b.avi"}));
}

TEST(FileActionRegistry, APluginNamedLikeABuiltInIsNeverFound) {
  Tch ch;
  ApplyActionTexts(ch);
  FileActionRegistry registry;
  RegisterBuiltInActions(ch, registry);
  tFileAction plugin("AJOUTERDATECODE");
  registry.Add(plugin);
  ASSERT_EQ(registry.Count(), static_cast<int>(BuiltInActions().size()) + 1);
  EXPECT_EQ(registry.Find("ajouterdatecode"), &ch.Action("AjouterDateCode"));
  EXPECT_EQ(FindFileAction("PMAjouterDateCode", registry), &ch.Action("AjouterDateCode"));
  EXPECT_EQ(FindFileAction("ptPurgerNom", registry), &ch.Action("PurgerNom"));
  EXPECT_EQ(FindFileAction("afPurgerNom", registry), nullptr);
  EXPECT_EQ(FindFileAction("am", registry), nullptr);
  EXPECT_EQ(registry.KeyAt(0), "dossierparent");
  EXPECT_EQ(registry.KeyAt(26), "corrigercodec");
}

TEST(FileActionRegistry, BuiltInTextsAndTheSceneExportModel) {
  Tch ch;
  ApplyActionTexts(ch);
  EXPECT_EQ(ch.Action("Ntsc").Switch(), "n");
  EXPECT_EQ(ch.Action("RenameScAn").Caption, "Rename ");
  EXPECT_EQ(ch.Action("RiffHeader").Shortcut(), "Ctrl+H");
  EXPECT_EQ(ch.Action("DefaultPlayer").Shortcut(), "F5");
  EXPECT_EQ(ch.Action("Pictrel").Caption, "");
  EXPECT_EQ(ch.Action("Pictrel").Shortcut(), "F3");
  EXPECT_EQ(ch.Action("SupprimerFichier").MonoMessage, "Deleting...");
  EXPECT_EQ(BuiltInRunner("CreerScenes"), ActionRunner::kSelectionLocked);
  EXPECT_EQ(BuiltInRunner("DossierParent"), ActionRunner::kCurrentEntry);

  // The text export runs the scan's execution with its own parameters.
  ScriptedHost host;
  BindBuiltInHandlers(ch, TchServices{.host = &host});
  FileActionRegistry registry;
  RegisterBuiltInActions(ch, registry);
  EXPECT_FALSE(ch.Action("ScenesText").OnExecution);
  ch.Action("CreerScenes").OnExecution = [](const TParam& p, const media::TAfficherFichier&, std::string& nf,
                                  TchUpdateType&) { nf = p.Key; };
  ASSERT_TRUE(ApplyModele(ch.Action("ScenesText"), registry));
  std::string written;
  TchUpdateType update = utNone;
  ch.Action("ScenesText").OnExecution(ch.Action("ScenesText").Param, media::TAfficherFichier{}, written, update);
  EXPECT_EQ(written, "ScenesText");
  EXPECT_EQ(ch.Action("ScenesText").Param.sceneWriter, &ch.sceneTextWriter);
}

TEST(FileActionTexts, ShortcutsAndSwitchesAreNormalised) {
  EXPECT_EQ(NormaliseShortcut("ctrl+d"), "Ctrl+D");
  EXPECT_EQ(NormaliseShortcut("Shift+Ctrl+Escape"), "Ctrl+Shift+Esc");
  EXPECT_EQ(NormaliseShortcut("f12"), "F12");
  EXPECT_EQ(NormaliseShortcut("F0"), "");
  EXPECT_EQ(NormaliseShortcut("Ctrl+"), "");
  EXPECT_EQ(NormaliseShortcut("Hyper+D"), "");
  EXPECT_EQ(NormaliseShortcut(""), "");
  tFileAction action;
  action.SetSwitch("RQ");
  EXPECT_EQ(action.Switch(), "rq");
  EXPECT_EQ(CutUtf8("ab\xC3\xA9", 3), "ab");
}

}  // namespace
}  // namespace korvid::commands

namespace korvid::commands {
namespace {

// A failure is shown and the run goes on; a deliberate skip says why; a
// programming error is not taken for either.
TEST_F(RunnerTest, FailuresAndSkipsAreToldAndTheRunGoesOn) {
  Fill(3);
  SelectAll();
  flags_.NoConfirmation = true;
  tFileAction action("Probe");
  action.OnExecution = [](const TParam&, const media::TAfficherFichier& e, std::string&, TchUpdateType& u) {
    if (e.name == "a.avi") throw media::FileError("disk full");
    if (e.name == "b.avi") throw CommandSkipped("nothing to do");
    u = utDelete;
  };
  std::vector<FileOutcome> told;
  context_.told = [&told](const FileOutcome& outcome) { told.push_back(outcome); };
  RunOnSelection(&action, context_);
  ASSERT_EQ(host_.questions.size(), 1u);
  EXPECT_EQ(host_.questions[0].kind, MessageKind::kError);
  EXPECT_EQ(host_.questions[0].text, "disk full");
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[0].kind, FileOutcome::Kind::kFailed);
  EXPECT_EQ(told[0].text, "disk full");
  EXPECT_EQ(told[1].kind, FileOutcome::Kind::kSkipped);
  EXPECT_EQ(told[1].text, "nothing to do");
  EXPECT_EQ(told[2].kind, FileOutcome::Kind::kDone);
  EXPECT_EQ(list_.Count(), 2);

  action.OnExecution = [](const TParam&, const media::TAfficherFichier&, std::string&, TchUpdateType&) {
    throw std::logic_error("bug");
  };
  list_.SetSelected(0, true);
  EXPECT_THROW(RunOnSelection(&action, context_), std::logic_error);
}

}  // namespace
}  // namespace korvid::commands
