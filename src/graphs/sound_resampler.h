#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace korvid::graphs {

// Interleaved 16-bit sound from one rate to another, for the stretches of a
// recording that are not at the rate of the rest.
class SoundResampler {
 public:
  virtual ~SoundResampler() = default;
  // Appends `in` (whole sample frames), converted, to `out`.
  virtual void Convert(std::span<const std::int16_t> in, std::vector<std::int16_t>& out) = 0;
  // Appends what the resampler still holds.
  virtual void Drain(std::vector<std::int16_t>& out) = 0;
};

}  // namespace korvid::graphs
