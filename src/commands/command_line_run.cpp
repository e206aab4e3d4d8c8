#include "commands/command_line_run.h"

#include <exception>
#include <set>
#include <utility>

#include "commands/command_line.h"
#include "commands/command_set.h"
#include "commands/core_session.h"
#include "commands/desktop_launcher.h"
#include "commands/headless_host.h"
#include "commands/stop_signals.h"
#include "list/file_sources.h"
#include "resources/printable_text.h"
#include "resources/product.h"
#include "resources/string_table.h"
#include "resources/user_error.h"

namespace korvid::commands {
namespace {

// The structure report needs a window; no switch runs it.
class NoRiffReportView final : public RiffReportView {
 public:
  void BeginReport(const std::string&) override {}
  void EndReport(const media::RiffReport&) override {}
  void CloseReport() override {}
};

// An error's text may run over several lines; the report keeps one per
// step, and whatever else it holds of a file name is shown escaped.
std::string OneLine(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\n' || text[i] == '\r' ? ' ' : text[i];
  }
  return resources::Printable(out);
}

// Every name a report line shows passes here.
std::string ShownName(const std::string& path) { return resources::Printable(path); }

void PrintStep(std::ostream& out, const SwitchStep& step) {
  using resources::Text;
  out << resources::Printable(step.caption) << ": " << ShownName(step.file);
  switch (step.outcome) {
    case SwitchStep::Outcome::kDone:
      if (step.written.empty()) {
        out << resources::Str(Text::kStepDone);
        break;
      }
      for (std::size_t i = 0; i < step.written.size(); ++i)
        out << (i == 0 ? ": " : ", ")
            << resources::Fill(step.written[i].replaced ? Text::kStepReplaced : Text::kStepMade,
                               {ShownName(step.written[i].path)});
      break;
    case SwitchStep::Outcome::kSkipped: out << resources::Fill(Text::kStepSkipped, {OneLine(step.detail)}); break;
    case SwitchStep::Outcome::kRenamed: out << resources::Fill(Text::kStepRenamed, {ShownName(step.detail)}); break;
    case SwitchStep::Outcome::kRemoved: out << resources::Str(Text::kStepRemoved); break;
    case SwitchStep::Outcome::kTrashed: out << resources::Str(Text::kStepTrashed); break;
    case SwitchStep::Outcome::kFailed: out << resources::Fill(Text::kStepFailed, {OneLine(step.detail)}); break;
  }
  out << '\n';
}

}  // namespace

std::string RefusedSwitches(const std::vector<std::string>& parameters, const FileActionRegistry& registry) {
  // A letter whose command cannot run on this machine is still no typing
  // mistake: every registered command's letter counts, plug-ins' included.
  SwitchTable known;
  for (int i = 0; i < registry.Count(); ++i) known.push_back({registry.At(i).Switch(), {}});
  for (const std::string& parameter : parameters) {
    if (!IsSwitchParameter(parameter)) continue;
    const std::string letter = UnknownSwitchLetter(parameter, known);
    if (!letter.empty())
      return resources::Fill(resources::Text::kUnknownSwitch,
                             {resources::Printable(letter), resources::Printable(parameter)});
  }
  return {};
}

std::vector<std::string> CommandLineHelpLines(const SwitchTable& switches, const ActionList& actions) {
  std::vector<std::string> lines;
  for (const CommandLineRow& row : CommandLineRows(switches, actions))
    lines.push_back(resources::Printable(row.function) + "\t" + resources::Printable(row.key));
  return lines;
}

int RunCommandLineWithoutWindow(const std::vector<std::string>& parameters, const CommandLineEnvironment& env) {
  const RunKind kind = DecideRunKind(parameters);
  HeadlessHost host(env.err, kind == RunKind::kHidden);
  list::VideoListView view;
  XdgDesktopLauncher launcher;
  NoRiffReportView riffView;
  settings::DefaultEnvironment defaults;
  defaults.documentsFolder = env.documentsFolder;
  CoreSession session({.host = host,
                       .listView = view,
                       .launcher = launcher,
                       .riffView = riffView,
                       .store = env.store,
                       .defaults = defaults,
                       .missingFilters = env.missingFilters,
                       .dataHome = env.dataHome});
  env.err << PluginStartNotes(session.Plugins());
  // Checked once the plug-ins are loaded; nothing has run or been saved yet.
  const std::string refused = RefusedSwitches(parameters, session.Commands().registry);
  if (!refused.empty()) {
    env.err << refused;
    return 2;
  }
  VisibleRunPlan plan;
  if (kind == RunKind::kVisible) {
    plan = ExamineVisibleRun(parameters);
    env.err << resources::Str(resources::Text::kNoWindowInThisBuild);
  }
  session.Context().flags.NoConfirmation = kind == RunKind::kHidden || plan.noConfirmation;

  if (plan.help) {
    // Only what this run could do is offered.
    env.out << resources::Str(resources::Text::kCommandLineTitle) << '\n';
    for (const std::string& line : CommandLineHelpLines(session.Commands().switches, session.Commands().actions))
      env.out << line << '\n';
    return 0;
  }

  ListedParameters listed = ListParameters(session.List(), parameters, [&env](const std::string& parameter, const std::string& why) {
    env.err << resources::FileErrorLine(parameter, why);
  });
  bool failed = listed.unusable;
  bool fault = false;
  try {
    session.RunSwitches(parameters, std::move(listed.named), [&env, &failed](const SwitchStep& step) {
      if (step.outcome == SwitchStep::Outcome::kFailed) failed = true;
      PrintStep(env.out, step);
    });
  } catch (const UserError& e) {
    env.err << "korvid: " << e.what() << '\n';
    failed = true;
  } catch (...) {
    // Still shut down below: the preferences and the run's outputs are
    // settled as after any failure.
    env.err << "korvid: " << DescribeCaughtException().text << '\n';
    fault = true;
  }
  const std::string unsaved = session.Shutdown(CoreSession::DefaultPlaylist::kLeaveAlone);
  if (!unsaved.empty()) {
    env.err << unsaved;
    failed = true;
  }
  if (const int signal = session.Context().flags.StopSignal.load(); signal != 0) {
    env.err << StoppedMessage(signal);
    return StoppedExitStatus(signal);
  }
  if (fault) return kProgramFaultExitStatus;
  return failed ? 1 : 0;
}

}  // namespace korvid::commands
