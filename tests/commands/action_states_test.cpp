// Binding of file actions to the window's actions, the command list, and
// the refresh that decides what the window offers: by list size, panels,
// check marks and file conditions, with the menus that follow.
#include "commands/action_binding.h"
#include "commands/action_states.h"
#include "commands/builtin_actions.h"
#include "commands/command_list.h"
#include "settings/preference_table.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <string>
#include <vector>

#include "support/list_samples.h"
#include "support/recording_list_view.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

// Built-in actions with their texts, a few plug-in actions, bound; records
// carry names only, which is all the conditions below look at.
class ActionStatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyActionTexts(ch_);
    RegisterBuiltInActions(ch_, registry_);
  }
  void AddPlugIn(tFileAction& action) { registry_.Add(action); }
  void Bind() {
    BindFileActions(registry_, actions_, menu_);
    commandList_ = BuildCommandList(actions_);
  }
  void Fill(int count) {
    for (int i = 0; i < count; ++i) {
      const std::string name = std::string(1, static_cast<char>('a' + i)) + ".avi";
      test::PlaceNotAvi(dir_ / name);
      list_.AddFile((dir_ / name).string());
    }
  }
  void Refresh(bool listShown = true, bool panel = false, bool listEnabled = true) {
    RefreshInput input;
    input.view = CategoriesOf(list::ChooseViewState(panel, list_.Count()));
    input.listShown = listShown;
    input.listEnabled = listEnabled;
    input.settingsShown = panel;
    input.list = &list_;
    input.registry = &registry_;
    input.commandList = &commandList_;
    RefreshActionStates(actions_, menu_, input);
  }
  std::vector<std::string> VisibleCategories() const {
    std::vector<std::string> out;
    for (const WindowAction& a : actions_)
      if (a.Visible && std::find(out.begin(), out.end(), a.category) == out.end()) out.push_back(a.category);
    return out;
  }
  const WindowAction& Action(const std::string& name) const {
    const WindowAction* action = actions_.Find(name);
    EXPECT_NE(action, nullptr) << name;
    return *action;
  }
  bool MenuShown(const std::string& caption) const {
    for (const TopMenu& top : menu_)
      if (top.caption == caption) return top.Visible;
    ADD_FAILURE() << caption;
    return false;
  }

  Tch ch_;
  FileActionRegistry registry_;
  ActionList actions_ = MainWindowActions();
  MainMenu menu_ = MainWindowMenu();
  CommandList commandList_;
  test::TempDir dir_;
  test::RecordingListView view_;
  ProcessFlags listFlags_;
  list::VideoList list_{view_,
                        [](const std::filesystem::path& p, const media::DatecodeFormat&) {
                          media::TAfficherFichier r;
                          media::SetNameFields(p, r);
                          return r;
                        },
                        {}, QLocale::c(), 1, false, listFlags_};
};

TEST_F(ActionStatesTest, BindingCompletesTheWindowActionsFromTheirFileActions) {
  tFileAction stabilise("Stabilise");
  stabilise.Caption = "Stabilise";
  stabilise.Tag = 3;
  stabilise.SetShortcut("Ctrl+Shift+S");
  stabilise.SetSwitch("K");
  tFileAction orphan("Orphan");
  orphan.Caption = "Orphan";
  orphan.Modele = "creerscenes";  // case counts: names nothing
  tFileAction hidden("Hidden");   // no caption, no "am" action
  AddPlugIn(stabilise);
  AddPlugIn(orphan);
  AddPlugIn(hidden);
  Bind();

  // Shortcuts the window action lacks come from the file action.
  EXPECT_EQ(Action("amPurgerNom").shortcut, "Ctrl+Q");
  EXPECT_EQ(Action("amFileDate").shortcut, "Ctrl+B");
  EXPECT_EQ(Action("amSupprimerScenes").shortcut, "Ctrl+Z");
  EXPECT_EQ(Action("amScenesText").shortcut, "Ctrl+X");
  EXPECT_EQ(Action("amRenameScAn").shortcut, "Ctrl+R");
  EXPECT_EQ(Action("amRenameScAn").caption, "Rename");
  EXPECT_EQ(Action("amRenameScAn").image, kDefaultImage);
  // ScenesText runs with the scan of CreerScenes, through its Modele.
  EXPECT_TRUE(static_cast<bool>(ch_.Action("ScenesText").OnExecution) == static_cast<bool>(ch_.Action("CreerScenes").OnExecution));

  const WindowAction& plugIn = actions_.At(actions_.Count() - 1);
  EXPECT_EQ(plugIn.name, "pmStabilise");
  EXPECT_EQ(plugIn.category, "multi");
  EXPECT_EQ(plugIn.image, kDefaultImage);
  EXPECT_EQ(plugIn.shortcut, "Ctrl+Shift+S");
  EXPECT_EQ(plugIn.handler, ExecuteHandler::kBoundAction);
  EXPECT_EQ(menu_[3].caption, "Convert");
  EXPECT_EQ(menu_[3].items.back().name, "mmStabilise");
  EXPECT_EQ(menu_[3].items.back().actionName, "pmStabilise");
  EXPECT_EQ(actions_.Find("pmOrphan"), nullptr);
  EXPECT_EQ(actions_.Find("pmHidden"), nullptr);
  EXPECT_GE(plugIn.Tag, 0);
}

TEST_F(ActionStatesTest, AGeneralConditionFalseAtStartKeepsTheCommandHiddenAndUnlisted) {
  ConvertTimer timer;
  const settings::Preferences prefs = settings::DefaultPreferences({}, true);
  const graphs::FilterAvailability nothing;  // no conversion components
  test::ScriptedHost host;
  ProcessFlags flags;
  ConversionServices conversion{timer, prefs, nothing, host, flags};
  BindBuiltInHandlers(ch_, {.conversion = &conversion});
  Bind();

  for (const char* name : {"amNTSC", "amPal", "amIncrusterDatecode", "amExtraireAudio", "amDecalerHoraire"}) {
    EXPECT_FALSE(Action(name).Visible) << name;
    EXPECT_EQ(Action(name).Tag, -1) << name;
  }
  EXPECT_GE(Action("amDVType1").Tag, 0);
  Fill(2);
  list_.SelectAll();
  Refresh();
  EXPECT_FALSE(Action("amNTSC").Visible);
  EXPECT_TRUE(Action("amOterFichier").Visible);
}

TEST_F(ActionStatesTest, CommandListShowsShortcutsGreysWindowCommandsAndKeepsChoices) {
  Bind();
  ASSERT_GE(Action("afQuitter").Tag, 0);
  const CommandListItem& quit = commandList_.items[static_cast<std::size_t>(Action("afQuitter").Tag)];
  EXPECT_EQ(quit.text, "Quit (Alt+F4)");
  EXPECT_TRUE(quit.greyed);
  const CommandListItem& rename = commandList_.items[static_cast<std::size_t>(Action("amRenameScAn").Tag)];
  EXPECT_EQ(rename.text, "Rename (Ctrl+R)");
  EXPECT_FALSE(rename.greyed);
  EXPECT_EQ(commandList_.items[static_cast<std::size_t>(Action("amDecalerHoraire").Tag)].text,
            "Fix a time difference");
  // afPictrel has a caption ("Open with ") and so is listed.
  EXPECT_GE(Action("afPictrel").Tag, 0);
  // Ctrl+Q quits: the list shows no key where the key does not act.
  EXPECT_EQ(commandList_.items[static_cast<std::size_t>(Action("amPurgerNom").Tag)].text, "Shorten the name");

  RestoreCommandChoices({{"amRenameScAn", 0}, {"afQuitter", 0}, {"amNoSuchThing", 0}, {"amPal", 1}}, actions_,
                        commandList_);
  EXPECT_FALSE(commandList_.Checked(Action("amRenameScAn").Tag));
  EXPECT_TRUE(commandList_.Checked(Action("afQuitter").Tag));  // greyed items stay checked
  const std::vector<settings::ActionChoice> saved = CollectCommandChoices(actions_, commandList_);
  ASSERT_EQ(saved.size(), static_cast<std::size_t>(actions_.Count()));
  const auto state = [&](const std::string& name) {
    for (const settings::ActionChoice& c : saved)
      if (c.name == name) return c.state;
    return -2;
  };
  EXPECT_EQ(state("amRenameScAn"), 0);
  EXPECT_EQ(state("amPal"), 1);

  ApplyFrameGrabber((dir_ / "grabber.exe").string(), actions_, commandList_);
  EXPECT_EQ(Action("afPictrel").caption, "Open with grabber");
  EXPECT_EQ(commandList_.items[static_cast<std::size_t>(Action("afPictrel").Tag)].text, "Open with grabber (F2)");
  EXPECT_FALSE(commandList_.Checked(Action("afPictrel").Tag));
}

TEST_F(ActionStatesTest, ListSizeDecidesWhatIsOfferedAndWhichMenusShow) {
  Bind();
  Refresh(false);
  EXPECT_EQ(VisibleCategories(), (std::vector<std::string>{"permanent", "vide"}));
  EXPECT_TRUE(MenuShown("Files"));
  EXPECT_TRUE(MenuShown("?"));
  for (const char* menu : {"Video", "Rename", "Convert", "Scenes"}) EXPECT_FALSE(MenuShown(menu)) << menu;

  Fill(1);
  list_.SetFocus(0);
  list_.SetSelected(0, true);
  Refresh(true);
  EXPECT_FALSE(Action("afSelectionnerTout").Visible);
  EXPECT_FALSE(Action("afViderListe").Visible);
  EXPECT_FALSE(Action("afSauverListe").Visible);
  EXPECT_TRUE(Action("amRenameScAn").Visible);
  EXPECT_TRUE(MenuShown("Rename"));

  Fill(2);
  Refresh(true);
  EXPECT_TRUE(Action("afSelectionnerTout").Visible);
  EXPECT_TRUE(Action("afOrdreAlpha").Visible);
  // Hidden list: list commands go, whatever the view state.
  Refresh(false);
  EXPECT_FALSE(Action("afSelectionnerTout").Visible);
}

TEST_F(ActionStatesTest, APanelHidesTheMenusAndFileCommandsButNotTheWindowCommands) {
  Bind();
  Fill(3);
  list_.SelectAll();
  list_.SetFocus(0);
  Refresh(true);
  ASSERT_TRUE(Action("amRenameScAn").Visible);
  Refresh(true, true);
  for (const TopMenu& top : menu_) EXPECT_FALSE(top.Visible) << top.caption;
  for (const WindowAction& a : actions_) {
    if (a.Tag < 0) continue;
    if (a.category == "permanent" || a.category == "vide") {
      EXPECT_TRUE(a.Visible && a.Enabled) << a.name;
    } else {
      EXPECT_FALSE(a.Visible || a.Enabled) << a.name;
    }
  }
  Refresh(true, false);
  EXPECT_TRUE(Action("amRenameScAn").Visible);
  EXPECT_TRUE(MenuShown("Rename"));
}

TEST_F(ActionStatesTest, UncheckedCommandsAndRunningListsTurnCommandsOff) {
  Bind();
  Fill(2);
  list_.SelectAll();
  list_.SetFocus(0);
  commandList_.items[static_cast<std::size_t>(Action("amRenameScAn").Tag)].checked = false;
  Refresh();
  EXPECT_FALSE(Action("amRenameScAn").Visible);
  EXPECT_FALSE(Action("amRenameScAn").Enabled);
  EXPECT_TRUE(Action("amAjouterDatecode").Enabled);

  Refresh(true, false, false);  // a command runs over the selection
  EXPECT_FALSE(Action("amAjouterDatecode").Enabled);
  EXPECT_FALSE(Action("afSelectionnerTout").Enabled);
  EXPECT_TRUE(Action("afQuitter").Enabled);
}

TEST_F(ActionStatesTest, MultiConditionIsOredOverTheSelectionAndMonoAsksTheCurrentEntry) {
  // A mono command asks about the current entry only.
  ch_.Action("DossierParent").OnFileCondition = [](const TParam&, const media::TAfficherFichier& e, bool& v, bool& en) {
    v = true;
    en = e.name == "b.avi";
  };
  tFileAction onlyB("OnlyB");
  onlyB.Caption = "Only b";
  onlyB.Tag = 1;
  onlyB.OnFileCondition = [](const TParam&, const media::TAfficherFichier& e, bool& v, bool& en) {
    v = en = e.name == "b.avi";
  };
  AddPlugIn(onlyB);
  Bind();
  Fill(3);
  list_.SelectAll();
  list_.SetFocus(0);
  Refresh();
  EXPECT_TRUE(Action("pmOnlyB").Visible);
  EXPECT_TRUE(Action("pmOnlyB").Enabled);
  EXPECT_TRUE(MenuShown("Video"));

  list_.SetSelected(1, false);
  Refresh();
  EXPECT_FALSE(Action("pmOnlyB").Visible);
  EXPECT_FALSE(Action("pmOnlyB").Enabled);

  EXPECT_TRUE(Action("amDossierParent").Visible);
  EXPECT_FALSE(Action("amDossierParent").Enabled);
  list_.SetFocus(1);
  Refresh();
  EXPECT_TRUE(Action("amDossierParent").Enabled);

  // With nothing selected a multi command stays offered: its condition
  // is asked over the selection only.
  for (int i = 0; i < 3; ++i) list_.SetSelected(i, false);
  list_.SetFocus(2);
  Refresh();
  EXPECT_TRUE(Action("pmOnlyB").Visible);
}

// The window lists the built-in commands by name: each exactly once, and
// nothing under "am" that no built-in action runs.
TEST(BuiltInActionTable, EveryCommandHasOnePlaceInTheWindow) {
  const ActionList actions = MainWindowActions();
  for (const BuiltInAction& row : BuiltInActions()) {
    if (row.command.name.empty()) continue;
    EXPECT_EQ(std::count_if(actions.begin(), actions.end(),
                            [&](const WindowAction& a) { return a.name == row.command.name; }),
              1)
        << row.name;
  }
  for (const WindowAction& action : actions) {
    if (action.name.starts_with("am")) {
      EXPECT_NE(BuiltInActionOfCommand(action.name), nullptr) << action.name;
    }
  }
}

}  // namespace
}  // namespace korvid::commands
