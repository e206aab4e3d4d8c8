#pragma once
// The sound formats a 25 Mbit/s DV frame can carry, and the bounds the
// standard sets on how many samples one frame holds.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "media/dv_frame.h"
#include "resources/user_error.h"

namespace korvid::media {

// Thrown for frames whose sound cannot be read or written; the message
// says what is wrong.
class DvAudioError : public UserError {
 public:
  explicit DvAudioError(const std::string& what) : UserError(what) {}
};

// The values are the SMP field of the AAUX source pack.
enum class DvAudioRate : std::uint8_t { k48000 = 0, k44100 = 1, k32000 = 2 };

// What an encoder can write: three stereo modes with 16-bit samples, and
// two stereo pairs of 12-bit samples at 32 kHz.
enum class DvAudioMode {
  k48k16Bit2Ch,
  k44k16Bit2Ch,
  k32k16Bit2Ch,
  k32k12Bit4Ch,
};

int SampleRateHz(DvAudioRate rate);
DvAudioRate RateOf(DvAudioMode mode);
int BitsOf(DvAudioMode mode);
int PairsOf(DvAudioMode mode);

struct DvSampleLimits {
  std::size_t min = 0;  // the AF_SIZE field counts from here
  std::size_t max = 0;
};

// Samples per channel a frame may carry.
DvSampleLimits SampleLimits(DvSystem system, DvAudioRate rate);

}  // namespace korvid::media
