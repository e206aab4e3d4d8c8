#pragma once
// A conversion is a job that turns one file into another on a worker
// thread. The thread that waits for it sees only what the job publishes:
// how far it got, how long the whole is, and whether it has finished.
// Positions and durations are in 100-nanosecond units, like media time.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "graphs/job.h"
#include "resources/user_error.h"

namespace korvid::graphs {

inline constexpr std::int64_t kTicksPerSecond = 10'000'000;

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

class ConversionJob : public Job {
 public:
  // The source's length, known once the job is made; 0 when there is
  // nothing to convert.
  virtual std::int64_t Duration() const = 0;
  // Converts until done or until `progress` asks it to stop; either way
  // the output appears under its name as a valid file of what was
  // converted. Throws on failure (a source that shrinks or cannot be read
  // is one); the output's name then keeps what it held before.
  void Run(JobProgress& progress) override = 0;
  // Where the job writes.
  virtual const std::filesystem::path& Output() const = 0;
  // Damaged source frames that the frame before them stood in for.
  virtual std::uint64_t FramesReplaced() const { return 0; }
  // The frames went out with the sound they carried, not the source's
  // sound stream, which did not fit them.
  virtual bool FramesKeptOwnSound() const { return false; }
};

// Frame time of `frames` frames at rate/scale frames a second, in ticks.
inline std::int64_t FramesToTicks(std::uint64_t frames, std::uint32_t rate, std::uint32_t scale) {
  if (rate == 0) return 0;
  // Fits 64 bits for any file: 10^8 frames x 1001 x 10^7 < 2^63.
  return static_cast<std::int64_t>(frames * scale * static_cast<std::uint64_t>(kTicksPerSecond) / rate);
}

}  // namespace korvid::graphs
