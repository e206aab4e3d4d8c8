// Plug-in libraries built by the tests, one per case, loaded together into
// a core session: the well-formed ones are listed and their actions get
// commands and switches; the others are listed as skipped, with the
// reason, and add nothing.
#include "commands/plugin_loader.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "commands/core_session.h"
#include "support/recording_list_view.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;

class PluginSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session_.emplace(CoreSessionSetup{.host = host_,
                                      .listView = view_,
                                      .launcher = launcher_,
                                      .riffView = riffView_,
                                      .store = {home_ / "config"},
                                      .defaults = {.documentsFolder = home_.path().string()},
                                      .locale = QLocale::c(),
                                      .flags = &flags_,
                                      .pluginFolders = std::vector<fs::path>{home_ / "none", KORVID_TEST_PLUGIN_DIR}});
    for (const PluginListing& listing : session_->Plugins()) listings_[listing.file.filename().string()] = listing;
  }

  test::TempDir home_;
  test::ScriptedHost host_;
  ProcessFlags flags_;
  XdgDesktopLauncher launcher_;
  class : public RiffReportView {
    void BeginReport(const std::string&) override {}
    void EndReport(const media::RiffReport&) override {}
    void CloseReport() override {}
  } riffView_;
  test::RecordingListView view_;
  std::optional<CoreSession> session_;
  std::map<std::string, PluginListing> listings_;
};

TEST_F(PluginSessionTest, WellFormedLibrariesAreListedAndTheRestSkippedWithTheirReason) {
  ASSERT_EQ(listings_.size(), 16u);
  const std::map<std::string, int> accepted{{"accepted.vlk", 1},      {"capitals.vlk", 1},
                                            {"zero_actions.vlk", 0},  {"builtin_name.vlk", 1},
                                            {"switch_hidden.vlk", 1}, {"switch_rename.vlk", 1},
                                            {"old_style.vlk", 1},     {"asks.vlk", 1}};
  for (const auto& [file, listing] : listings_) {
    SCOPED_TRACE(file);
    const auto it = accepted.find(file);
    EXPECT_EQ(listing.accepted, it != accepted.end()) << listing.skipped;
    EXPECT_EQ(listing.skipped.empty(), listing.accepted);
    // Only libraries that claim to be ours and then answer nonsense are faults.
    EXPECT_EQ(listing.faulty, file == "unterminated.vlk" || file == "huge_count.vlk" || file == "no_handlers.vlk" ||
                                  file == "abi_later.vlk" || file == "abi_unset.vlk");
    EXPECT_EQ(listing.actions, it != accepted.end() ? it->second : 0);
  }
  EXPECT_EQ(listings_["capitals.vlk"].type, "KORVID_0005");
  EXPECT_EQ(listings_["accepted.vlk"].version, "test 1.0");
  // The type is cut to 255 characters, so the long one never matches.
  EXPECT_EQ(listings_["long_type.vlk"].type.size(), 255u);
  EXPECT_NE(listings_["wrong_type.vlk"].skipped.find("korvid_0004"), std::string::npos);
  EXPECT_NE(listings_["no_exports.vlk"].skipped.find("\"\""), std::string::npos);
  EXPECT_NE(listings_["unterminated.vlk"].skipped.find("GETPLUGIN_VERSION"), std::string::npos);
  EXPECT_NE(listings_["huge_count.vlk"].skipped.find("2000000000"), std::string::npos);
  EXPECT_NE(listings_["no_handlers.vlk"].skipped.find("handler"), std::string::npos);
  EXPECT_EQ(listings_["abi_later.vlk"].skipped,
            "it is built for plug-in interface version " + std::to_string(KORVID_PLUGIN_ABI_VERSION + 1) +
                "; this Korvid loads versions 1 to " + std::to_string(KORVID_PLUGIN_ABI_VERSION));
  EXPECT_EQ(listings_["abi_unset.vlk"].skipped, "it reports no plug-in interface version (0)");
  // Refused before anything else is asked: the type is read, the version text not.
  EXPECT_EQ(listings_["abi_later.vlk"].type, KORVID_PLUGIN_TYPE);
  EXPECT_EQ(listings_["abi_later.vlk"].version, "");
  const std::string notes = PluginStartNotes(session_->Plugins());
  EXPECT_NE(notes.find("abi_later.vlk was skipped: it is built for plug-in interface version"), std::string::npos)
      << notes;

  const std::vector<std::string> page = PluginPageLines(session_->Plugins());
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(page.front(), "Korvid uses the following plug-ins:");
  for (const char* title : {"accepted.vlk (1 actions):", "zero_actions.vlk (0 actions):"})
    EXPECT_NE(std::find(page.begin(), page.end(), title), page.end()) << title;
  EXPECT_EQ(std::find(page.begin(), page.end(), "wrong_type.vlk (0 actions):"), page.end());
}

TEST_F(PluginSessionTest, PluginActionsBecomeCommandsExceptUnderATakenName) {
  CommandSet& commands = session_->Commands();
  // Tag 1: the last item of the "Video" menu, a command of the list, switch k.
  ASSERT_FALSE(commands.menu.at(1).items.empty());
  EXPECT_EQ(commands.menu.at(1).items.back().name, "mmTouchK");
  EXPECT_EQ(commands.menu.at(1).items.back().actionName, "pmTouchK");
  const WindowAction* touch = commands.actions.Find("pmTouchK");
  ASSERT_NE(touch, nullptr);
  EXPECT_EQ(touch->category, "multi");
  EXPECT_GE(touch->Tag, 0);
  const auto hasSwitch = [&](const std::string& text, const std::string& action) {
    return std::any_of(commands.switches.begin(), commands.switches.end(),
                       [&](const SwitchEntry& e) { return e.switchText == text && e.actionName == action; });
  };
  EXPECT_TRUE(hasSwitch("k", "pmTouchK"));
  // Accepted with its type in capitals: its action is in the "Files" menu.
  EXPECT_EQ(commands.menu.at(0).items.back().actionName, "pmCapitals");

  // Named like a built-in action: registered, but never found by its name.
  EXPECT_EQ(commands.registry.Find("renamescan"), &commands.ch.Action("RenameScAn"));
  EXPECT_EQ(commands.actions.Find("pmRenameScAn"), nullptr);
  EXPECT_FALSE(hasSwitch("y", "pmRenameScAn"));
  // Skipped libraries add nothing.
  EXPECT_EQ(commands.registry.Find("NoHandlers"), nullptr);

  // A switch that a fixed letter or a built-in holds is dropped; the
  // command keeps its menu item.
  for (const char* name : {"pmSwitchHidden", "pmSwitchRename"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(commands.actions.Find(name), nullptr);
    EXPECT_FALSE(std::any_of(commands.switches.begin(), commands.switches.end(),
                             [&](const SwitchEntry& e) { return e.actionName == name; }));
  }
  EXPECT_EQ(listings_["switch_hidden.vlk"].notes.size(), 1u);
  EXPECT_TRUE(listings_["accepted.vlk"].notes.empty());
}

// A library built before the version export still works as it did.
TEST_F(PluginSessionTest, ALibraryWithoutItsInterfaceVersionRunsAsBefore) {
  const tFileAction* old = session_->Commands().registry.Find("OldStyle");
  ASSERT_NE(old, nullptr);
  ASSERT_TRUE(old->OnExecution);
  media::TAfficherFichier entry;
  entry.fullName = (home_ / "clip.avi").string();
  entry.name = "clip.avi";
  std::string renamed;
  TchUpdateType update = utModify;
  old->OnExecution(old->Param, entry, renamed, update);
  EXPECT_EQ(update, utNone);
  EXPECT_TRUE(fs::exists(home_ / "clip.avi.o"));
  EXPECT_TRUE(listings_["old_style.vlk"].notes.empty());
}

// Each handler call gets buffers of its own, empty: one that runs inside
// another (a file condition during a confirmation's progress call) cannot
// overwrite the outer one's answer, and what a longer earlier answer left
// does not trail a shorter one written without its zero byte.
TEST_F(PluginSessionTest, HandlerBuffersAreCleanAndOwnedByOneCall) {
  const tFileAction* asks = session_->Commands().registry.Find("Asks");
  ASSERT_NE(asks, nullptr);
  ASSERT_TRUE(asks->OnConfirmation && asks->OnFileCondition);
  media::TAfficherFichier entry;
  entry.fullName = (home_ / "a_rather_long_name.avi").string();
  entry.name = "a_rather_long_name.avi";
  int nested = 0;
  host_.onEvents = [&] {
    bool visible = true;
    bool enabled = true;
    asks->OnFileCondition(asks->Param, entry, visible, enabled);
    ++nested;
  };
  std::string question;
  asks->OnConfirmation(asks->Param, entry, question);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(question, "Mark a_rather_long_name.avi?");
  entry.name = "b.avi";
  asks->OnConfirmation(asks->Param, entry, question);
  EXPECT_EQ(question, "Mark b.avi?");
}

// A build tree or a portable copy looks beside the executable only; an
// installed program also in its library folder and the user's data folder.
TEST(PluginFolders, BesideTheProgramThenForAnInstalledOneItsLibraryAndDataFolders) {
  EXPECT_EQ(PluginFoldersFor("/home/u/build/src/korvid", "/home/u/.data", "/home/u"),
            std::vector<fs::path>{"/home/u/build/src/plugins"});
  EXPECT_EQ(PluginFoldersFor("/usr/bin/korvid", "/home/u/.data", "/home/u"),
            (std::vector<fs::path>{"/usr/bin/plugins", "/usr/lib/korvid/plugins", "/home/u/.data/Korvid/plugins"}));
  // A relative XDG_DATA_HOME is ignored, as the XDG rules ask.
  EXPECT_EQ(PluginFoldersFor("/opt/k/bin/korvid", "data", "/home/u").back(),
            fs::path("/home/u/.local/share/Korvid/plugins"));
}

}  // namespace
}  // namespace korvid::commands
