#pragma once
// Applying a file action to the current entry or to each selected entry of
// the video list, in list order: file condition, confirmation, status text
// and gauge, execution, and the execution's result handed to the list.
// Everything the window must do goes through the command host and the
// list's view; the abort flags are polled between files.
//
// An execution that throws a UserError failed on its file: the host shows
// the error's text (as a note in the status bar when the file is gone from
// the disk) and the run goes on with the next file. One that throws
// CommandSkipped left its file alone on purpose. Anything else thrown is a
// fault of the program and is not caught here.
//
// One run at a time: a runner called while another run is in progress (from
// the events that run processes) does nothing.

#include <functional>
#include <string>
#include <string_view>

#include "commands/command_host.h"
#include "commands/file_action.h"
#include "commands/file_action_registry.h"
#include "commands/job_runner.h"
#include "commands/process_flags.h"
#include "commands/update_type.h"

#include "list/video_list.h"

namespace korvid::commands {

// How a command ended on one file it reached.
struct FileOutcome {
  enum class Kind { kDone, kSkipped, kFailed };
  std::string file;  // the entry's full path
  Kind kind = Kind::kDone;
  std::string text;  // why it was skipped, or the error's own text
  // Done: what the execution told the list to do with the entry, and the
  // full path it named (the renamed or added file), told before the list
  // does it.
  TchUpdateType update = utNone;
  std::string newPath;
};

struct RunContext {
  list::VideoList& list;
  CommandHost& host;
  ProcessFlags& flags;
  // Locked runs disable every "liste" and "multi" command of the window for
  // their length (true) and enable them again (false). May be empty.
  std::function<void(bool locked)> lockListCommands;
  // Told how each file ended: executed, skipped by its condition or by a
  // No, or failed. May be empty.
  std::function<void(const FileOutcome&)> told;
  // Feeds the gauge while a command with a status message runs: switched
  // on for its length. May be null.
  ConvertTimer* progressTimer;
};

inline constexpr std::string_view kAllAnswerLine = "If you type \"All\", no more confimation will be asked for.";

// The status text while the action runs on a file: MonoMessage with its
// one "%s" replaced by the file name; a text without "%s" as it stands.
std::string FormatMonoMessage(std::string_view monoMessage, std::string_view name);

// The last step of every runner for one entry: status text and gauge while
// the execution runs, then its result handed to the list. `entry` may be
// null for commands that run without any file.
void ExecuteOnEntry(const tFileAction& action, const media::TAfficherFichier* entry, RunContext& context);

// Commands about one file: the current entry, asked Yes/No, no file condition.
void RunOnCurrentEntry(const tFileAction* action, RunContext& context);
// Quick commands over the selection.
void RunOnSelection(const tFileAction* action, RunContext& context);
// Long commands over the selection, other list commands locked meanwhile.
void RunOnSelectionLocked(const tFileAction* action, RunContext& context);

// The handler of window actions bound to a file action without one of
// their own: finds the file action behind `windowActionName` and runs it
// as the action's `category` ("permanent", "vide", "liste", "mono",
// "multi", exact case) asks.
void RunBoundAction(std::string_view windowActionName, std::string_view category,
                    const FileActionRegistry& registry, RunContext& context);

}  // namespace korvid::commands
