#pragma once
// Brings interleaved 16-bit sound of whatever rate to one fixed rate. Sound
// already at that rate passes untouched, sample for sample; a stretch at
// another rate (a tape re-recorded at 32 kHz after 48 kHz) goes through a
// resampler, which is drained when the rate changes again so that no
// sound is lost and picture and sound stay together. The resampler comes
// from the codec jobs, so sound that needs none never loads them.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "graphs/sound_resampler.h"

namespace korvid::graphs {

class PcmRateConverter {
 public:
  PcmRateConverter(int out_rate, int channels);

  int Channels() const { return channels_; }

  // Appends `in`, recorded at `in_rate`, to `out` at the output rate.
  void Convert(std::span<const std::int16_t> in, int in_rate, std::vector<std::int16_t>& out);
  // Appends what the resampler still holds.
  void Flush(std::vector<std::int16_t>& out);

 private:
  void Drain(std::vector<std::int16_t>& out);

  int out_rate_;
  int channels_;
  int in_rate_ = 0;  // of the open resampler, 0 without one
  std::unique_ptr<SoundResampler> resampler_;
};

}  // namespace korvid::graphs
