#include "commands/plugin_loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <system_error>

#include "commands/command_line.h"
#include "commands/shared_object_check.h"
#include "resources/printable_text.h"
#include "resources/product.h"
#include "resources/string_table.h"
#include "resources/program_files.h"

#ifndef KORVID_PLUGIN_INSTALL_DIR
#error "KORVID_PLUGIN_INSTALL_DIR names the installed plug-in folder under the prefix"
#endif

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;
using resources::Fill;
using resources::Text;

constexpr std::size_t kTextBytes = KORVID_PLUGIN_TEXT_BUFFER_BYTES;

// Never closed: the libraries' actions and texts are used until the program
// ends, and a closed library would take its code with it.
void* OpenLibrary(const fs::path& file, std::string& why) {
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = ::dlerror();
    why = Fill(Text::kPluginLoadFailed, {error != nullptr ? error : ""});
  }
  return handle;
}

template <typename Function>
Function Export(void* handle, const char* name) {
  return reinterpret_cast<Function>(::dlsym(handle, name));
}

// The buffer starts without any zero byte, so an answer that forgot its
// end is seen as such.
std::optional<std::string> TextOf(korvid_get_text_fn function) {
  if (function == nullptr) return std::string();
  std::vector<char> buffer(kTextBytes, '\x7F');
  function(buffer.data(), static_cast<std::int32_t>(kTextBytes));
  return PluginAnswerText(buffer);
}

// Preset to 0 so that an export that writes nothing reports no version.
std::int32_t AbiVersionOf(void* handle) {
  const auto versionOf = Export<korvid_get_version_fn>(handle, "GETPLUGIN_ABIVERSION");
  if (versionOf == nullptr) return kUnversionedPluginAbi;
  std::int32_t version = 0;
  versionOf(&version);
  return version;
}

std::vector<fs::path> LibrariesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() == ".vlk" && !it->is_directory(error)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::vector<fs::path> PluginFoldersFor(const fs::path& executable, const std::string& xdgDataHome,
                                       const std::string& home) {
  const fs::path folder = executable.parent_path();
  std::vector<fs::path> folders{folder / "plugins"};
  if (folder.filename() != "bin") return folders;
  folders.push_back(folder.parent_path() / KORVID_PLUGIN_INSTALL_DIR);
  // The XDG base-directory rules ignore a relative XDG_DATA_HOME.
  if (!xdgDataHome.empty() && fs::path(xdgDataHome).is_absolute())
    folders.push_back(fs::path(xdgDataHome) / resources::kProductName / "plugins");
  else if (!home.empty())
    folders.push_back(fs::path(home) / ".local/share" / resources::kProductName / "plugins");
  return folders;
}

std::vector<fs::path> DefaultPluginFolders() {
  const fs::path executable = resources::FrontProgram();
  if (executable.empty()) return {};
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  return PluginFoldersFor(executable, xdg != nullptr ? xdg : "", home != nullptr ? home : "");
}

void PluginSet::Load(const std::vector<fs::path>& folders, FileActionRegistry& registry) {
  for (const fs::path& folder : folders)
    for (const fs::path& file : LibrariesIn(folder)) listings_.push_back(LoadLibrary(file, registry));
}

PluginListing PluginSet::LoadLibrary(const fs::path& file, FileActionRegistry& registry) {
  PluginListing listing;
  listing.file = file;
  listing.skipped = SharedObjectFault(file);
  if (!listing.skipped.empty()) {
    listing.faulty = true;
    return listing;
  }
  void* const handle = OpenLibrary(file, listing.skipped);
  if (handle == nullptr) return listing;

  struct NamedText {
    const char* name;
    std::string* into;
  };
  for (const NamedText& text : {NamedText{"GETPLUGIN_TYPE", &listing.type},
                                NamedText{"GETPLUGIN_VERSION", &listing.version},
                                NamedText{"GETPLUGIN_DESCRIPTION", &listing.description}}) {
    const std::optional<std::string> answer = TextOf(Export<korvid_get_text_fn>(handle, text.name));
    if (!answer) {
      listing.skipped = Fill(Text::kPluginTextUnterminated, {text.name});
      listing.faulty = true;
      return listing;
    }
    *text.into = *answer;
    // The type decides before anything else of the library is asked.
    if (text.into == &listing.type) {
      listing.skipped = PluginTypeFault(listing.type);
      if (!listing.skipped.empty()) return listing;
      // One of ours, built for an interface this program may not speak:
      // nothing else is asked of it.
      listing.skipped = PluginAbiFault(AbiVersionOf(handle));
      if (!listing.skipped.empty()) {
        listing.faulty = true;
        return listing;
      }
    }
  }

  std::int32_t count = 0;
  if (const auto countOf = Export<korvid_get_count_fn>(handle, "GETPLUGIN_NBFILEACTION")) countOf(&count);
  listing.skipped = PluginCountFault(count);
  if (!listing.skipped.empty()) {
    listing.faulty = true;
    return listing;
  }
  // Every action is checked before any is registered: a library with one
  // unusable action adds none.
  std::vector<const korvid_file_action*> declared;
  if (const auto actionOf = Export<korvid_get_action_fn>(handle, "GETPLUGIN_FILEACTIONFUNCTION")) {
    for (std::int32_t i = 0; i < count; ++i) {
      const korvid_file_action* action = nullptr;
      actionOf(i, &action);
      if (const std::string fault = PluginActionFault(action); !fault.empty()) {
        listing.skipped = Fill(Text::kPluginBadAction, {std::to_string(i), fault});
        listing.faulty = true;
        return listing;
      }
      declared.push_back(action);
    }
  }
  for (const korvid_file_action* action : declared) {
    tFileAction& added = actions_.emplace_back(MakePluginFileAction(*action, services_));
    // The action keeps its menu item; only a switch that would also run
    // another command, or a fixed letter, is taken away.
    if (const std::string taken = SwitchTakenFault(added.Switch(), registry); !taken.empty()) {
      listing.notes.push_back(
          Fill(Text::kPluginSwitchDropped, {resources::Printable(file.string()), resources::Printable(added.Switch()),
                                           resources::Printable(added.Name()), taken}));
      added.SetSwitch("");
    }
    registry.Add(added);
    ++listing.actions;
  }
  listing.accepted = true;
  return listing;
}

std::string PluginStartNotes(const std::vector<PluginListing>& listings) {
  std::string text;
  for (const PluginListing& listing : listings) {
    // Names and reasons come from the plug-in's file and texts: escaped, they
    // cannot forge lines of their own.
    if (listing.faulty)
      text += Fill(Text::kPluginSkipped,
                   {resources::Printable(listing.file.string()), resources::Printable(listing.skipped)});
    for (const std::string& note : listing.notes) text += note;
  }
  return text;
}

std::vector<std::string> PluginPageLines(const std::vector<PluginListing>& listings) {
  std::vector<std::string> lines;
  for (const PluginListing& listing : listings) {
    if (!listing.accepted) continue;
    if (lines.empty()) lines = {Fill(Text::kPluginsUsed, {resources::kProductName}), ""};
    lines.push_back(Fill(Text::kPluginTitle, {listing.file.filename().string(), std::to_string(listing.actions)}));
    lines.push_back(listing.version);
    lines.push_back(listing.description);
    lines.emplace_back();
  }
  return lines;
}

}  // namespace korvid::commands
