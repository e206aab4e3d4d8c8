#pragma once
// A conversion is a job that turns one file into another on a worker
// thread. The thread that waits for it sees only what the job publishes:
// how far it got, how long the whole is, and whether it has finished.
// Positions and durations are in 100-nanosecond units, like media time.

#include <atomic>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "resources/user_error.h"

namespace korvid::graphs {

inline constexpr std::int64_t kTicksPerSecond = 10'000'000;

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

// Thrown by a job for a source it cannot convert; the message says why.
class ConversionError : public UserError {
 public:
  using UserError::UserError;
};

// Thrown when the source holds nothing the job can work on (no frames, no
// DV where DV is needed, no sound): no output is made, and the command
// reports the file as left alone rather than failed.
class NothingToConvert : public ConversionError {
 public:
  using ConversionError::ConversionError;
};

class ConversionJob {
 public:
  virtual ~ConversionJob() = default;

  // The source's length, known once the job is made; 0 when there is
  // nothing to convert.
  virtual std::int64_t Duration() const = 0;
  // Converts until done or until `progress` asks it to stop; either way
  // the output appears under its name as a valid file of what was
  // converted. Throws on failure (a source that shrinks or cannot be read
  // is one); the output's name then keeps what it held before.
  virtual void Run(JobProgress& progress) = 0;
  // Where the job writes.
  virtual const std::filesystem::path& Output() const = 0;
  // Damaged source frames that the frame before them stood in for.
  virtual std::uint64_t FramesReplaced() const { return 0; }
};

// Frame time of `frames` frames at rate/scale frames a second, in ticks.
inline std::int64_t FramesToTicks(std::uint64_t frames, std::uint32_t rate, std::uint32_t scale) {
  if (rate == 0) return 0;
  // Fits 64 bits for any file: 10^8 frames x 1001 x 10^7 < 2^63.
  return static_cast<std::int64_t>(frames * scale * static_cast<std::uint64_t>(kTicksPerSecond) / rate);
}

}  // namespace korvid::graphs
