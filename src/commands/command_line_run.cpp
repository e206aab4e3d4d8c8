#include "commands/command_line_run.h"

#include <sys/stat.h>

#include <QLocale>

#include <filesystem>
#include <set>

#include "commands/action_binding.h"
#include "commands/builtin_actions.h"
#include "commands/command_line.h"
#include "commands/command_list.h"
#include "commands/desktop_launcher.h"
#include "commands/headless_host.h"
#include "commands/process_flags.h"
#include "graphs/filter_availability.h"
#include "graphs/graph_holders.h"
#include "graphs/scene_detector.h"
#include "list/file_sources.h"
#include "list/playlist.h"
#include "media/avi_stream_analysis.h"
#include "settings/preference_session.h"
#include "settings/system_locale.h"
#include "resources/string_table.h"

namespace korvid::commands {
namespace {

constexpr const char* kSaveVersion = "5.3.6";

// The structure report needs a window; no switch runs it.
class NoRiffReportView final : public RiffReportView {
 public:
  void BeginReport(const std::string&) override {}
  void EndReport(const media::RiffReport&) override {}
  void CloseReport() override {}
};

// Everything the window would hold for its commands.
struct CommandSetup {
  Tch ch;
  FileActionRegistry registry;
  ActionList actions = MainWindowActions();
  MainMenu menu = MainWindowMenu();
  CommandList commandList;
  SwitchTable switches;
};

// Registration, binding, the command list and the switch table, in the
// order the window follows: the table is built before the saved choices
// are restored, so an unchecked command still answers to its switch.
void BuildCommands(CommandSetup& setup, const TchServices& services, const settings::Preferences& preferences) {
  ApplyActionTexts(setup.ch);
  BindBuiltInHandlers(setup.ch, services);
  RegisterBuiltInActions(setup.ch, setup.registry);
  BindFileActions(setup.registry, setup.actions, setup.menu);
  setup.commandList = BuildCommandList(setup.actions);
  setup.switches = BuildSwitchTable(setup.actions, setup.commandList, setup.registry);
  RestoreCommandChoices(preferences.actions, setup.actions, setup.commandList);
  ApplyFrameGrabber(preferences.frameGrabProgram, setup.actions, setup.commandList);
}

// The files named on the command line itself, and whether one of them was missing.
struct Listed {
  std::set<std::string> named;
  bool missing = false;
};

// Folders are scanned for AVI files as "Open a folder..." does; every
// other parameter is offered to the list as it stands. A path that names
// nothing is reported on `out`.
Listed ListParameters(list::VideoList& list, const std::vector<std::string>& parameters, std::ostream& out) {
  Listed listed;
  list.BeginBatch(std::string(resources::Str(resources::Text::kLoadingFiles)));
  for (const std::string& parameter : parameters) {
    if (IsSwitchParameter(parameter)) continue;
    struct stat facts {};
    if (::lstat(parameter.c_str(), &facts) != 0) {
      out << resources::Fill(resources::Text::kPathNotFound, {parameter}) << '\n';
      listed.missing = true;
    } else if (::stat(parameter.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode)) {
      if (!list::ScanInBatch(list, parameter, false)) break;
    } else {
      const int index = list.AddFile(parameter);
      if (index >= 0) listed.named.insert(list.Entry(index).record->fullName);
    }
  }
  list.EndBatch();
  return listed;
}

// An error's text may run over several lines; the report keeps one per step.
std::string OneLine(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\n' || text[i] == '\r' ? ' ' : text[i];
  }
  return out;
}

void PrintStep(std::ostream& out, const SwitchStep& step) {
  using resources::Text;
  out << step.caption << ": " << step.file;
  switch (step.outcome) {
    case SwitchStep::Outcome::kDone:
      out << (step.detail.empty() ? std::string(resources::Str(Text::kStepDone))
                                  : resources::Fill(Text::kStepMade, {step.detail}));
      break;
    case SwitchStep::Outcome::kSkipped: out << resources::Fill(Text::kStepSkipped, {OneLine(step.detail)}); break;
    case SwitchStep::Outcome::kRenamed: out << resources::Fill(Text::kStepRenamed, {step.detail}); break;
    case SwitchStep::Outcome::kRemoved: out << resources::Str(Text::kStepRemoved); break;
    case SwitchStep::Outcome::kTrashed: out << resources::Str(Text::kStepTrashed); break;
    case SwitchStep::Outcome::kFailed: out << resources::Fill(Text::kStepFailed, {OneLine(step.detail)}); break;
  }
  out << '\n';
}

// The message refusing the run, or empty when every switch letter counts.
std::string RefusedSwitches(const std::vector<std::string>& parameters) {
  CommandSetup setup;
  BuildCommands(setup, {}, settings::Preferences{});
  for (const std::string& parameter : parameters) {
    if (!IsSwitchParameter(parameter)) continue;
    const std::string letter = UnknownSwitchLetter(parameter, setup.switches);
    if (!letter.empty()) return resources::Fill(resources::Text::kUnknownSwitch, {letter, parameter});
  }
  return {};
}

// False when the default playlist was wanted and could not be saved.
bool SaveAtExit(settings::PreferenceSession& session, CommandSetup& setup, list::VideoList& list,
                std::ostream& err) {
  settings::Preferences& preferences = session.values();
  if (session.WillSaveAtExit()) {
    preferences.actions = CollectCommandChoices(setup.actions, setup.commandList);
    session.SaveAtExitIfWanted(settings::CurrentSaveStamp(kSaveVersion));
  }
  if (!preferences.saveListOnQuit) return true;
  try {
    list::SavePlaylist(list, list::DefaultPlaylistPath(preferences.playlistFolder),
                       list::CurrentPlaylistStamp(preferences.displayDatecodeFormat));
  } catch (const std::exception& e) {
    err << resources::Fill(resources::Text::kDefaultPlaylistNotSaved, {e.what()});
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> CommandLineHelpLines() {
  CommandSetup setup;
  BuildCommands(setup, {}, settings::Preferences{});
  std::vector<std::string> lines;
  for (const CommandLineRow& row : CommandLineRows(setup.switches, setup.actions))
    lines.push_back(row.function + "\t" + row.key);
  return lines;
}

int RunCommandLineWithoutWindow(const std::vector<std::string>& parameters, const CommandLineEnvironment& env) {
  const std::string refused = RefusedSwitches(parameters);
  if (!refused.empty()) {
    env.err << refused;
    return 2;
  }
  const RunKind kind = DecideRunKind(parameters);
  VisibleRunPlan plan;
  if (kind == RunKind::kVisible) {
    plan = ExamineVisibleRun(parameters);
    env.err << resources::Str(resources::Text::kNoWindowInThisBuild);
    if (plan.help) {
      env.out << resources::Str(resources::Text::kCommandLineTitle) << '\n';
      for (const std::string& line : CommandLineHelpLines()) env.out << line << '\n';
      return 0;
    }
  }

  ProcessFlags& flags = Flags();
  flags.ClearAborts();
  flags.NoConfirmation = kind == RunKind::kHidden || plan.noConfirmation;

  settings::PreferenceSession session(env.store);
  settings::DefaultEnvironment defaults;
  defaults.documentsFolder = env.documentsFolder;
  session.Load(defaults);
  const settings::Preferences& preferences = session.values();
  const media::DatecodeFormat format{preferences.displayDatecodeFormat, settings::SystemLocaleFormats()};

  graphs::GraphHolderSet holders;
  graphs::SystemDeviceOptions deviceOptions;
  deviceOptions.missingFilters = env.missingFilters;
  const graphs::FilterAvailability availability = graphs::CheckFilterAvailability(holders, deviceOptions);

  HeadlessHost host(env.err, kind == RunKind::kHidden);
  XdgDesktopLauncher launcher;
  NoRiffReportView riffView;
  graphs::SceneDetector detector;
  const RenameServices rename{preferences, settings::SystemLocaleFormats(), host};
  HousekeepingServices housekeeping{host, launcher, riffView, preferences, CurrentRiffReportStamp, {}};
  ConversionServices conversion{holders.conversion, preferences, availability, host, flags};
  SceneScanServices scenes{host, flags.AbortCommand, detector, format, {}, {}};

  CommandSetup setup;
  BuildCommands(setup,
                {.host = &host,
                 .rename = &rename,
                 .housekeeping = &housekeeping,
                 .conversion = &conversion,
                 .scenes = &scenes,
                 .headerFix = nullptr},
                preferences);

  list::VideoListView view;
  list::VideoList list(
      view, [&format](const std::filesystem::path& path) { return media::AnalyseFile(path, format); },
      QLocale::system(), preferences.listOrder, preferences.selectOnOpen);
  Listed listed = ListParameters(list, parameters, env.out);

  bool failed = listed.missing;
  RunContext context{list, host, flags, {}, {}};
  SwitchRun run{setup.actions, setup.registry, context, {}, std::move(listed.named)};
  run.report = [&env, &failed](const SwitchStep& step) {
    if (step.outcome == SwitchStep::Outcome::kFailed) failed = true;
    PrintStep(env.out, step);
  };
  try {
    RunSwitches(parameters, setup.switches, run);
  } catch (const std::exception& e) {
    env.err << "korvid: " << e.what() << '\n';
    failed = true;
  }
  flags.NoConfirmation = false;
  if (!SaveAtExit(session, setup, list, env.err)) failed = true;
  return failed ? 1 : 0;
}

}  // namespace korvid::commands
