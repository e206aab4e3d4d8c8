#pragma once
// SIGINT, SIGTERM and SIGHUP end a run the way Escape and Shift+Escape do:
// the running job stops at its next poll and removes its temporary (a
// stopped conversion keeps its shorter output), no further file is
// started, and the program then exits with 128 + the signal's number.
// The handler only stores to lock-free atomics and writes one byte to a
// pipe, which is all a signal handler may do.

#include <string>

#include "commands/process_flags.h"

namespace korvid::commands {

// Installs the handlers; they raise the aborts of `flags`, which must
// live until the process ends. Once per process.
void InstallStopSignals(ProcessFlags& flags);

// Readable once a stop signal has arrived, for an event loop to watch;
// -1 before InstallStopSignals or when no pipe could be made.
int StopSignalDescriptor();

// The exit status of a process stopped by `signal`: 128 + its number.
int StoppedExitStatus(int signal);

// The line for standard error saying what stopped the run.
std::string StoppedMessage(int signal);

}  // namespace korvid::commands
