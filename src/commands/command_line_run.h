#pragma once
// A start of the program with parameters and no window: the files are
// listed, the switches run their commands, and the shutdown saves the
// preferences as they ask; the default playlist, which such a run never
// loads, is left as it is. Needs no display, so it works over SSH and in CI.

#include <ostream>
#include <string>
#include <vector>

#include "commands/command_line.h"
#include "commands/program_faults.h"
#include "settings/preferences_store.h"

namespace korvid::commands {

struct CommandLineEnvironment {
  settings::StoreLocation store;
  std::string documentsFolder;
  // KORVID_MISSING_FILTERS, read by the caller.
  std::string missingFilters;
  // Where the Send To entries go (the user's data folder).
  std::string dataHome;
  // One line per file and command, and per listed path that names nothing.
  std::ostream& out;
  // Messages and the commands' errors.
  std::ostream& err;
};

// Runs the command line as a run without a window: a hidden run ("h") as
// such; a visible run says that the window is not part of this build and
// runs its switches the same way, questions answered No unless "m" is
// given. "?" prints the switches on `out` and runs nothing. Returns the
// exit status: 0 when every command that ran succeeded; 1 when one failed
// or a listed path is missing, too long or no regular file; 2 when a switch
// parameter holds a letter that is no switch (then nothing runs at all);
// kProgramFaultExitStatus when a command failed in a way it does not expect.
int RunCommandLineWithoutWindow(const std::vector<std::string>& parameters, const CommandLineEnvironment& env);

// The message refusing a run whose switch parameters hold a letter that no
// command of `registry` answers to (with or without the window), or empty
// when every letter counts.
std::string RefusedSwitches(const std::vector<std::string>& parameters, const FileActionRegistry& registry);

// The command-line page as text lines "Function<TAB>Key", for the commands
// a run set up as `switches` and `actions` offers.
std::vector<std::string> CommandLineHelpLines(const SwitchTable& switches, const ActionList& actions);

}  // namespace korvid::commands
