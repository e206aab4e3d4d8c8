#pragma once
// The sound of a DV stream frame after frame, as every reader of it wants
// it: each frame's own samples when it carries readable sound, else the
// silence of the frame's length at the rate of the sound before it, so
// that a damaged frame never moves the sound after it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "media/dv_audio.h"
#include "media/dv_audio_format.h"
#include "media/dv_frame.h"

namespace korvid::media {

// The DV sample-rate code for a rate in Hz; 48 kHz for any rate DV lacks.
DvAudioRate DvAudioRateOfHz(int hz);

class DvFrameSound {
 public:
  // `rate`: the rate silence has until a frame's own sound is read.
  DvFrameSound(DvSystem system, int rate) : system_(system), rate_(rate) {}

  // Frame `index` of the stream; an empty buffer stands for a frame that
  // could not be read. True when the frame's own sound was decoded.
  bool Read(std::span<const std::uint8_t> frame, std::uint64_t index);

  // The frame's samples of stereo pair `pair`, interleaved; silence of the
  // frame's length when it has no such pair or no readable sound.
  std::span<const std::int16_t> Pair(std::size_t pair);
  int Rate() const { return rate_; }
  bool Decoded() const { return decoded_; }
  // The frame's own description; meaningful only when Decoded().
  const DvAudioInfo& Info() const { return audio_.info; }

 private:
  DvSystem system_;
  int rate_;
  bool decoded_ = false;
  std::size_t samples_ = 0;
  DvAudioFrame audio_;
  std::vector<std::int16_t> silence_;
};

}  // namespace korvid::media
