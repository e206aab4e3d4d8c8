#pragma once
// The one way a command runs a job: on a worker thread, while this thread
// keeps the host's events moving (an abort key, a repaint) and ticks the
// gauge. The wait blocks; it ends at once when the job finishes or an
// abort arrives, and wakes for each tick, so that neither this thread
// spins nor a finished job sits unnoticed.

#include <atomic>
#include <functional>

#include "commands/command_host.h"
#include "graphs/job.h"

namespace korvid::commands {

// The pace of the progress tick while a conversion runs: a first tick
// after 250 ms, then one every 100 ms. The runner enables it for commands
// that show a status message; while it is off the tick leaves the gauge.
struct ConvertTimer {
  static constexpr int kFirstIntervalMs = 250;
  static constexpr int kIntervalMs = 100;
  bool enabled = false;
  int interval_ms = kFirstIntervalMs;

  void Enable() {
    enabled = true;
    interval_ms = kFirstIntervalMs;
  }
  void Disable() { enabled = false; }
};

// Runs on the waiting thread with the job's progress; returns the time in
// milliseconds to its next run.
using JobTick = std::function<int(const graphs::JobProgress&)>;

// Runs `job` and waits for it. `tick` runs `first_tick_ms` after the start
// and then as often as it says. When `abort` rises the job is asked to
// stop at its next step; either way the call returns only once the job
// has returned. What the job threw is thrown again here.
void RunJob(graphs::Job& job, CommandHost& host, const std::atomic<bool>& abort, int first_tick_ms,
            const JobTick& tick);

// The conversions' tick: the gauge follows the position over `duration`
// while `timer` is on.
JobTick ConversionTick(CommandHost& host, ConvertTimer& timer, std::int64_t duration);

}  // namespace korvid::commands
