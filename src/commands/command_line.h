#pragma once
// The command line: files to list and switch parameters ("+rd", "/m")
// whose letters name commands to run on every listed file. The switch
// table maps switch texts to window actions; the fixed letters h (hidden
// run), m (no confirmation), c (close after the commands) and ? (help) are
// not in it.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_list.h"
#include "commands/file_action_registry.h"
#include "commands/runners.h"
#include "commands/window_actions.h"

namespace korvid::commands {

// A parameter is a switch parameter when it begins with "+" and holds no
// ".", or when it begins with "/", holds no "." and no second "/", and
// names nothing that exists (so /tmp or /home/me/clips are paths).
bool IsSwitchParameter(std::string_view parameter);

// Whether a switch parameter holds `text` (compared in lower case).
bool SwitchHas(std::string_view parameter, std::string_view text);

struct SwitchEntry {
  std::string switchText;  // lower case
  std::string actionName;
};
using SwitchTable = std::vector<SwitchEntry>;

// In action order: every listed and checked action bound to a file action
// that has a Switch, a handler and its components (a switch that would do
// nothing is not offered). Built-in switches thus come first, plug-in ones
// after.
SwitchTable BuildSwitchTable(const ActionList& actions, const CommandList& list,
                             const FileActionRegistry& registry);

struct CommandLineRow {
  std::string function;  // the caption
  std::string key;       // "+" and the switch text
};
// The About panel's rows: one per table entry whose action has a caption,
// and the four fixed switches, sorted without regard to case, each once.
std::vector<CommandLineRow> CommandLineRows(const SwitchTable& table, const ActionList& actions);

enum class RunKind { kNone, kVisible, kHidden };
// No parameter: none; a switch parameter with "h": hidden; else visible.
RunKind DecideRunKind(const std::vector<std::string>& parameters);

// What the switch parameters of a visible run ask for, examined in order
// up to a "?" (help: open the About panel's command-line page, run nothing).
struct VisibleRunPlan {
  bool help = false;
  bool noConfirmation = false;
  bool closeAfterCommands = false;
};
VisibleRunPlan ExamineVisibleRun(const std::vector<std::string>& parameters);

// Runs a window action's command the way the menu would.
void TriggerAction(const WindowAction& action, const FileActionRegistry& registry, RunContext& context);

// What became of one file under one switch.
struct SwitchStep {
  std::string caption;  // the command's
  std::string file;     // the entry's full path when its turn came
  enum class Outcome { kDone, kSkipped, kRenamed, kRemoved } outcome = Outcome::kDone;
  std::string detail;  // the new path (renamed) or the files added
};

struct SwitchRun {
  const ActionList& actions;
  const FileActionRegistry& registry;
  RunContext& context;
  // Told about every file of every switch; may be empty.
  std::function<void(const SwitchStep&)> report;
};

// For each switch parameter in order and each table entry it holds, in
// table order: the command runs once on each file that was listed when the
// switch began and passes its condition, in list order. Files the command
// added, renamed or removed are not run again by that switch.
void RunSwitches(const std::vector<std::string>& parameters, const SwitchTable& table, SwitchRun& run);

}  // namespace korvid::commands
