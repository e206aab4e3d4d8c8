#include "commands/job_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <exception>
#include <thread>

namespace korvid::commands {
namespace {

// Joins the worker however the wait ends; an early end stops the job first.
class WorkerGuard {
 public:
  WorkerGuard(std::thread& worker, graphs::JobProgress& progress) : worker_(worker), progress_(progress) {}
  ~WorkerGuard() {
    if (!worker_.joinable()) return;
    progress_.RequestStop();
    worker_.join();
  }
  WorkerGuard(const WorkerGuard&) = delete;
  WorkerGuard& operator=(const WorkerGuard&) = delete;

 private:
  std::thread& worker_;
  graphs::JobProgress& progress_;
};

}  // namespace

void RunJob(graphs::Job& job, CommandHost& host, const std::atomic<bool>& abort, int first_tick_ms,
            const JobTick& tick) {
  graphs::JobProgress progress;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      job.Run(progress);
    } catch (...) {
      failure = std::current_exception();
    }
    progress.SetFinished();
    host.Wake();
  });
  {
    const WorkerGuard guard(worker, progress);
    using Clock = std::chrono::steady_clock;
    auto next_tick = Clock::now() + std::chrono::milliseconds(first_tick_ms);
    while (!progress.Finished() && !abort.load()) {
      const auto now = Clock::now();
      if (now >= next_tick) {
        next_tick = now + std::chrono::milliseconds(std::max(tick(progress), 1));
        continue;
      }
      // Rounded up: a wait cut short of the tick would come back to wait again.
      const auto until_tick = std::chrono::ceil<std::chrono::milliseconds>(next_tick - now).count();
      host.ProcessEvents(static_cast<int>(until_tick));
    }
    // A finished job is joined as it is; only an abort cuts one short.
  }
  if (failure) std::rethrow_exception(failure);
}

JobTick ConversionTick(CommandHost& host, ConvertTimer& timer, std::int64_t duration) {
  return [&host, &timer, duration](const graphs::JobProgress& progress) {
    if (timer.enabled && duration > 0) {
      host.SetGauge(static_cast<int>(100 * std::min(progress.Position(), duration) / duration));
      timer.interval_ms = ConvertTimer::kIntervalMs;
    }
    return timer.interval_ms;
  };
}

}  // namespace korvid::commands
