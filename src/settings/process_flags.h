#pragma once
// The process-wide flags every long loop polls. Atomic because media jobs
// on worker threads stop on AbortCommand too.

#include <atomic>

namespace korvid::settings {

struct ProcessFlags {
  // Escape: stop the command running on the current file, and a run before its next file.
  std::atomic<bool> AbortCommand{false};
  // Shift+Escape: stop a run after the current file (sets AbortCommand too).
  std::atomic<bool> AbortAll{false};
  // Command-line runs and the switch "m": no confirmation is asked.
  std::atomic<bool> NoConfirmation{false};
  // A runner is applying a command: one started meanwhile (from the events
  // the run processes) is refused rather than run inside it.
  std::atomic<bool> CommandRunning{false};
  // The number of the signal (SIGINT, SIGTERM, SIGHUP) that asked the
  // process to end, 0 while none did: it raised both aborts, and no loop
  // starts anything more. Never cleared.
  std::atomic<int> StopSignal{0};

  bool Stopping() const { return StopSignal.load() != 0; }

  void ClearAborts() {
    AbortCommand = false;
    AbortAll = false;
  }
};

// The one set of the process.
ProcessFlags& Flags();

}  // namespace korvid::settings
