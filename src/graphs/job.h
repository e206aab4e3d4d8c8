#pragma once
// Long work (a conversion, a scene scan) is a job run on a worker thread.
// The thread that waits for it sees only what the job publishes through
// its progress: how far it got and whether it has finished; it asks the
// job to stop through the same object.

#include <atomic>
#include <cstdint>
#include <functional>
#include <utility>

namespace korvid::graphs {

// Shared between the job's thread (the writer of position and finished)
// and the waiting thread (the writer of the stop request).
class JobProgress {
 public:
  // `watch`, when given, sees every position on the job's thread as it is
  // published: a seam for wrapping jobs, not for the waiting thread.
  explicit JobProgress(std::function<void(std::int64_t)> watch = {}) : watch_(std::move(watch)) {}

  std::int64_t Position() const { return position_.load(std::memory_order_relaxed); }
  void SetPosition(std::int64_t ticks) {
    position_.store(ticks, std::memory_order_relaxed);
    if (watch_) watch_(ticks);
  }

  bool StopRequested() const { return stop_.load(std::memory_order_acquire); }
  void RequestStop() { stop_.store(true, std::memory_order_release); }

  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  void SetFinished() { finished_.store(true, std::memory_order_release); }

 private:
  std::function<void(std::int64_t)> watch_;
  std::atomic<std::int64_t> position_{0};
  std::atomic<bool> stop_{false};
  std::atomic<bool> finished_{false};
};

class Job {
 public:
  virtual ~Job() = default;
  // Works until done or until `progress` asks it to stop, publishing its
  // position as it goes. Throws on failure.
  virtual void Run(JobProgress& progress) = 0;
};

}  // namespace korvid::graphs
