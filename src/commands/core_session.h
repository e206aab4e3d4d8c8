#pragma once
// One start of the program's core, the same for every front end (the
// command line without a window, the window, tests): the preferences, the
// media components available, the file actions with the
// window's actions, menu, command list and switch table, the video list,
// and the services the commands are bound to. The constructor builds them
// in start-up order; Shutdown saves what the preferences ask to keep.

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QLocale>

#include "commands/clock_correction_commands.h"
#include "commands/command_host.h"
#include "commands/command_line.h"
#include "commands/command_set.h"
#include "commands/conversion_commands.h"
#include "commands/desktop_launcher.h"
#include "commands/frame_export_commands.h"
#include "commands/header_fix_commands.h"
#include "commands/housekeeping_commands.h"
#include "commands/job_runner.h"
#include "commands/plugin_loader.h"
#include "commands/process_flags.h"
#include "commands/rename_commands.h"
#include "commands/runners.h"
#include "commands/scene_commands.h"
#include "commands/send_to_entries.h"
#include "graphs/filter_availability.h"
#include "graphs/scene_detector.h"
#include "list/video_list.h"
#include "list/video_list_view.h"
#include "media/video_record.h"
#include "settings/preference_session.h"
#include "settings/preference_table.h"
#include "settings/preferences_store.h"

namespace korvid::commands {

// What differs between front ends. The referenced objects outlive the session.
struct CoreSessionSetup {
  CommandHost& host;
  list::VideoListView& listView;
  DesktopLauncher& launcher;
  RiffReportView& riffView;
  settings::StoreLocation store;
  // Read by the caller: the documents folder the default folders start
  // from (the window adds the screen's size), and KORVID_MISSING_FILTERS.
  settings::DefaultEnvironment defaults{};
  std::string missingFilters{};
  // Whether a component of the FFmpeg libraries works; unset, they count
  // as present (the command line, which opens them only when needed).
  std::function<bool(graphs::Backing)> libraryPresent{};
  // The list's collation and the date names and separators.
  QLocale locale = QLocale::system();
  // The flags the commands poll; the process's when null.
  ProcessFlags* flags = nullptr;
  // The dialogs of the two header fixes; without both, those two commands
  // have no handler.
  FrameRateChooser* frameRateChooser = nullptr;
  CodecChooser* codecChooser = nullptr;
  // The dialog of "Correct the clock..."; without it, that command has no handler.
  ClockOffsetChooser* clockOffsetChooser = nullptr;
  // Where deleted files go; empty for the freedesktop trash.
  TrashMover trash{};
  // Where plug-ins are looked for; the running program's folders when unset.
  std::optional<std::vector<std::filesystem::path>> pluginFolders{};
  // The user's data folder, where the Send To entries go; empty (tests):
  // none are written or removed.
  std::filesystem::path dataHome{};
};

class CoreSession {
 public:
  explicit CoreSession(CoreSessionSetup setup);
  CoreSession(const CoreSession&) = delete;
  CoreSession& operator=(const CoreSession&) = delete;

  settings::PreferenceSession& Preferences() { return preferences_; }
  const graphs::FilterAvailability& Availability() const { return availability_; }
  // The conversions' progress tick, on while a command shows its progress.
  const ConvertTimer& ProgressTimer() const { return convertTimer_; }
  list::VideoList& List() { return list_; }
  // The file actions, the window's actions and menu, the command list and
  // the switch table.
  CommandSet& Commands() { return commands_; }
  // The window sets its list-lock and outcome hooks here.
  RunContext& Context() { return context_; }
  // Every plug-in library tried at start-up, accepted or skipped.
  const std::vector<PluginListing>& Plugins() const { return plugins_.Listings(); }

  // Runs the switch parameters over the listed files; `named` holds the
  // files named on the command line itself, `report` (may be empty) is
  // told about every file of every switch.
  void RunSwitches(const std::vector<std::string>& parameters, std::set<std::string> named,
                   std::function<void(const SwitchStep&)> report);

  // A new display format for datecodes (the settings panel): the list's
  // texts and the scene texts follow it at once.
  void SetDisplayDatecodeFormat(const std::string& format);

  // Sets the preference and writes or removes the desktop's entries for
  // Korvid, as every start does with the stored value.
  void SetSendTo(bool on);

  // The window's merge of the selected captures (commands/merge_commands.h).
  void MergeSelection();

  // The player's view of a scene scan: shows each new scene's first frame.
  void SetSceneStartHook(std::function<void(std::int32_t frame)> hook) { scenes_.showSceneStart = std::move(hook); }

  // Closing, which is never refused: a loop still running stops at its next
  // poll, then the preferences (with the command choices) and the default
  // playlist are saved when their preferences say so. A run without the
  // window never loaded the default playlist and so never replaces it.
  // Only the first call does anything. Returns the text for the user when
  // the default playlist could not be saved, else empty.
  enum class DefaultPlaylist { kSaveWhenAsked, kLeaveAlone };
  std::string Shutdown(DefaultPlaylist playlist = DefaultPlaylist::kSaveWhenAsked);

 private:
  ProcessFlags& flags_;
  CommandHost& host_;
  CommandSet commands_;
  settings::PreferenceSession preferences_;
  settings::LocaleFormats localeFormats_;
  media::DatecodeFormat datecodeFormat_;
  ConvertTimer convertTimer_;
  graphs::FilterAvailability availability_;
  list::VideoList list_;
  graphs::SceneDetector detector_;
  FrameRateChoiceState frameRate_;
  CodecChoiceState codec_;
  RenameServices rename_;
  HousekeepingServices housekeeping_;
  ConversionServices conversion_;
  SceneScanServices scenes_;
  FrameExportServices frameExport_;
  std::optional<HeaderFixServices> headerFix_;
  ClockCorrectionState clockCorrectionState_;
  std::optional<ClockCorrectionServices> clockCorrection_;
  PluginSet plugins_;
  RunContext context_;
  SendToPlaces sendTo_;
  bool shutDown_ = false;
};

}  // namespace korvid::commands
