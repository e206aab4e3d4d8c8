#pragma once
// The command line: files to list and switch parameters ("+rd", "+m")
// whose letters name commands to run on every listed file. The switch
// table maps switch texts to window actions; the fixed letters h (hidden
// run), m (no confirmation), c (close after the commands) and ? (help) are
// not in it.

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "commands/cli_parameters.h"
#include "commands/command_list.h"
#include "commands/file_action_registry.h"
#include "commands/run_outputs.h"
#include "commands/runners.h"
#include "commands/window_actions.h"

namespace korvid::commands {

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
// The first character of a switch parameter, after its leading "+" or "/",
// that belongs to no switch of the table and is no fixed letter, as a
// one-character text; empty when every character counts. A run with such a
// parameter is refused as a whole: a mistyped path must never turn into
// commands.
std::string UnknownSwitchLetter(std::string_view parameter, const SwitchTable& table);

// Why `switchText` cannot be a plug-in action's switch: it holds a fixed
// letter or a switch prefix, or it holds (or is held by) the switch of a
// command of `registry`. Switch texts count as substrings, so either would
// run the other command too. Empty when it is free.
std::string SwitchTakenFault(std::string_view switchText, const FileActionRegistry& registry);

// The About panel's rows: one per table entry whose action has a caption,
// and the four fixed switches, sorted without regard to case, each once.
std::vector<CommandLineRow> CommandLineRows(const SwitchTable& table, const ActionList& actions);

// Runs a window action's command the way the menu would.
void TriggerAction(const WindowAction& action, const FileActionRegistry& registry, RunContext& context);

// What became of one file under one switch.
struct SwitchStep {
  std::string caption;  // the command's
  std::string file;     // the entry's full path when its turn came
  enum class Outcome { kDone, kSkipped, kRenamed, kRemoved, kTrashed, kFailed } outcome = Outcome::kDone;
  // The new path (renamed), why (skipped) or the error's text (failed).
  std::string detail;
  // Done: the files the command wrote or added to the list, in order.
  std::vector<WrittenOutput> written;
};

struct SwitchRun {
  const ActionList& actions;
  const FileActionRegistry& registry;
  RunContext& context;
  // Told about every file of every switch; may be empty.
  std::function<void(const SwitchStep&)> report;
  // The full paths of the files named on the command line itself (not
  // found by a folder scan), kept up to date across renames. The deleting
  // commands act on these only.
  std::set<std::string> named;
};

// For each switch parameter in order and each table entry it holds, in
// table order: the command runs once on each file that was listed when the
// switch began and passes its condition, in list order. Files the command
// added, renamed or removed are not run again by that switch. The whole is
// one run: none of its outputs replaces another (RunOutputs). A deleting
// command skips the files not named on the command line.
void RunSwitches(const std::vector<std::string>& parameters, const SwitchTable& table, SwitchRun& run);

}  // namespace korvid::commands
