#pragma once
// Loads the plug-in libraries ("*.vlk") of the plug-in folders, checks what
// each declares, keeps a listing of every library tried for the About
// panel, and registers the file actions of the accepted ones after the
// built-in actions. A library that answers nonsense is skipped with the
// reason; it never brings the program down. Libraries stay loaded until
// the program ends, since their actions are used until then.

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "commands/file_action_registry.h"
#include "commands/plugin_bridge.h"

namespace korvid::commands {

// One library tried, as the About panel's plug-in page lists it.
struct PluginListing {
  std::filesystem::path file;
  bool accepted = false;
  std::string type;
  std::string version;
  std::string description;
  int actions = 0;      // file actions registered
  std::string skipped;  // why the library was not accepted; empty when it was
  // Skipped for being no whole library or for answering nonsense, not
  // merely for being no plug-in of ours: worth telling even where no panel
  // lists the plug-ins.
  bool faulty = false;
  // What was changed in an accepted library's actions (a switch dropped),
  // each a line for standard error.
  std::vector<std::string> notes;
};

// The plug-in folders of a program whose executable is `executable`:
// "plugins" beside it; for an installed program (its executable in a
// "bin" folder) then its library folder and the user's data folder
// (`xdgDataHome`, else `home`/.local/share) + "/Korvid/plugins".
std::vector<std::filesystem::path> PluginFoldersFor(const std::filesystem::path& executable,
                                                    const std::string& xdgDataHome, const std::string& home);
// The same for the running program and its environment.
std::vector<std::filesystem::path> DefaultPluginFolders();

class PluginSet {
 public:
  explicit PluginSet(PluginServices services) : services_(std::move(services)) {}
  PluginSet(const PluginSet&) = delete;
  PluginSet& operator=(const PluginSet&) = delete;

  // Tries every "*.vlk" of each folder in turn (by name within a folder)
  // and registers the accepted libraries' actions. Missing folders are
  // passed over.
  void Load(const std::vector<std::filesystem::path>& folders, FileActionRegistry& registry);

  const std::vector<PluginListing>& Listings() const { return listings_; }

 private:
  PluginListing LoadLibrary(const std::filesystem::path& file, FileActionRegistry& registry);

  PluginServices services_;
  std::deque<tFileAction> actions_;  // the registry points into it
  std::vector<PluginListing> listings_;
};

// The lines for standard error about the libraries tried: each faulty one
// skipped, with its reason, and the notes of the accepted ones.
std::string PluginStartNotes(const std::vector<PluginListing>& listings);

// The page's lines for the accepted libraries: "Korvid uses the following
// plug-ins:", then per library its title "file (n actions):", version and
// description. Empty when none was accepted, so that the page stays hidden.
std::vector<std::string> PluginPageLines(const std::vector<PluginListing>& listings);

}  // namespace korvid::commands
