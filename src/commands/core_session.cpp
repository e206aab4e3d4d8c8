#include "commands/core_session.h"

#include <filesystem>
#include <utility>

#include "commands/merge_commands.h"
#include "list/playlist.h"
#include "media/avi_stream_analysis.h"
#include "resources/product.h"
#include "resources/string_table.h"
#include "resources/user_error.h"
#include "settings/system_locale.h"
#include "resources/program_files.h"

namespace korvid::commands {
namespace {

settings::PreferenceSession LoadedPreferences(settings::StoreLocation store,
                                              const settings::DefaultEnvironment& defaults) {
  settings::PreferenceSession session(std::move(store));
  session.Load(defaults);
  return session;
}

graphs::FilterAvailability CheckFilters(std::string missingFilters,
                                       std::function<bool(graphs::Backing)> libraryPresent) {
  graphs::AvailabilityOptions options;
  options.missingFilters = std::move(missingFilters);
  options.probes.libraryPresent = std::move(libraryPresent);
  return graphs::CheckFilterAvailability(options);
}

}  // namespace

// Members are built in declaration order, which is the start-up order:
// texts, preferences, filter check, the list, then the commands.
CoreSession::CoreSession(CoreSessionSetup setup)
    : flags_(setup.flags != nullptr ? *setup.flags : Flags()),
      host_(setup.host),
      preferences_(LoadedPreferences(std::move(setup.store), setup.defaults)),
      localeFormats_(settings::LocaleFormatsOf(setup.locale)),
      datecodeFormat_{preferences_.values().displayDatecodeFormat, localeFormats_},
      availability_(CheckFilters(std::move(setup.missingFilters), std::move(setup.libraryPresent))),
      list_(setup.listView, media::AnalyseFile, datecodeFormat_, setup.locale, preferences_.values().listOrder,
            preferences_.values().selectOnOpen, flags_),
      rename_{preferences_.values(), localeFormats_, host_},
      housekeeping_{host_,          setup.launcher,          setup.riffView,
                    preferences_.values(), media::CurrentRiffReportStamp, std::move(setup.trash)},
      conversion_{convertTimer_, preferences_.values(), availability_, host_, flags_},
      scenes_{host_, flags_.AbortCommand, detector_, datecodeFormat_, {}, {}},
      frameExport_{scenes_, preferences_.values()},
      plugins_(PluginServices{host_, flags_, preferences_.values(), localeFormats_}),
      context_{list_, host_, flags_, {}, {}, &convertTimer_} {
  flags_.NoConfirmation = false;
  if (setup.frameRateChooser != nullptr && setup.codecChooser != nullptr)
    headerFix_.emplace(HeaderFixServices{host_, *setup.frameRateChooser, *setup.codecChooser, frameRate_, codec_});
  if (setup.clockOffsetChooser != nullptr)
    clockCorrection_.emplace(ClockCorrectionServices{conversion_, *setup.clockOffsetChooser, clockCorrectionState_});
  commands_.RegisterBuiltIns({.host = &host_,
                              .rename = &rename_,
                              .housekeeping = &housekeeping_,
                              .conversion = &conversion_,
                              .scenes = &scenes_,
                              .headerFix = headerFix_ ? &*headerFix_ : nullptr,
                              .frameExport = &frameExport_,
                              .clockCorrection = clockCorrection_ ? &*clockCorrection_ : nullptr});
  // After the built-in actions, whose names they cannot take, and before
  // the binding that gives them commands and switches.
  plugins_.Load(setup.pluginFolders ? *setup.pluginFolders : DefaultPluginFolders(), commands_.registry);
  commands_.BindToWindow(preferences_.values());
  sendTo_ = {std::move(setup.dataHome), resources::FrontProgram()};
  SetSendTo(preferences_.values().sendTo);
  flags_.ClearAborts();
}

void CoreSession::RunSwitches(const std::vector<std::string>& parameters, std::set<std::string> named,
                              std::function<void(const SwitchStep&)> report) {
  SwitchRun run{commands_.actions, commands_.registry, context_, std::move(report), std::move(named)};
  commands::RunSwitches(parameters, commands_.switches, run);
}

void CoreSession::SetDisplayDatecodeFormat(const std::string& format) {
  preferences_.values().displayDatecodeFormat = format;
  datecodeFormat_ = media::DatecodeFormat{format, localeFormats_};
  list_.SetDatecodeFormat(datecodeFormat_);
  scenes_.datecodeFormat = datecodeFormat_;
}

void CoreSession::SetSendTo(bool on) {
  preferences_.values().sendTo = on;
  // The desktop would drop such an entry without a word; the user hears why.
  if (const std::string fault = DesktopEntryFault(sendTo_.executable); on && !fault.empty()) {
    host_.Ask(MessageKind::kWarning, resources::Fill(resources::Text::kSendToNotWritten, {fault}), Buttons::kOk);
    return;
  }
  ApplySendTo(on, sendTo_);
}

std::string CoreSession::Shutdown(DefaultPlaylist playlist) {
  if (shutDown_) return {};
  shutDown_ = true;
  flags_.AbortCommand = true;
  flags_.AbortAll = true;

  settings::Preferences& values = preferences_.values();
  if (preferences_.WillSaveAtExit()) {
    values.actions = CollectCommandChoices(commands_.actions, commands_.commandList);
    preferences_.SaveAtExitIfWanted(settings::CurrentSaveStamp(std::string(resources::kProductVersion)));
  }
  if (!values.saveListOnQuit || playlist == DefaultPlaylist::kLeaveAlone) return {};
  try {
    list::SavePlaylist(list_, list::DefaultPlaylistPath(values.playlistFolder),
                       list::CurrentPlaylistStamp(values.displayDatecodeFormat));
  } catch (const UserError& e) {
    return resources::Fill(resources::Text::kDefaultPlaylistNotSaved, {e.what()});
  }
  return {};
}

void CoreSession::MergeSelection() { MergeSelectedEntries(context_, conversion_); }

}  // namespace korvid::commands
