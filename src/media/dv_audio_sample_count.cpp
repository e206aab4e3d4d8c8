#include "media/dv_audio_sample_count.h"

namespace korvid::media {
namespace {

constexpr std::uint64_t kNtscRateNum = 30000;
constexpr std::uint64_t kNtscRateDen = 1001;
constexpr std::uint64_t kPalRate = 25;

constexpr std::uint64_t kCycle48k = 5;   // 8008 samples
constexpr std::uint64_t kCycle32k = 15;  // 16016 samples
constexpr std::uint64_t kSamplesPer48kCycle = 8008;
constexpr std::uint64_t kSamplesPer32kCycle = 16016;

// Locked 48 kHz: the short frame opens the cycle.
std::uint64_t Locked48kBefore(std::uint64_t position) {
  return position == 0 ? 0 : 1600 + 1602 * (position - 1);
}

// Locked 32 kHz: short frames at 0 and 8, spread so the running total stays
// within two samples of the exact one.
std::uint64_t Locked32kBefore(std::uint64_t position) {
  const std::uint64_t short_frames = (position > 0 ? 1 : 0) + (position > 8 ? 1 : 0);
  return 1068 * position - 2 * short_frames;
}

// Exact total floor(count * rate / frame rate) for 525/60.
std::uint64_t ExactNtscBefore(int rate_hz, std::uint64_t count) {
  return count * static_cast<std::uint64_t>(rate_hz) * kNtscRateDen / kNtscRateNum;
}

}  // namespace

std::uint64_t SamplesBeforeFrame(DvSystem system, DvAudioRate rate, std::uint64_t count) {
  if (system == DvSystem::k625_50) {
    return count * static_cast<std::uint64_t>(SampleRateHz(rate)) / kPalRate;
  }
  switch (rate) {
    case DvAudioRate::k48000:
      return count / kCycle48k * kSamplesPer48kCycle + Locked48kBefore(count % kCycle48k);
    case DvAudioRate::k32000:
      return count / kCycle32k * kSamplesPer32kCycle + Locked32kBefore(count % kCycle32k);
    case DvAudioRate::k44100:
      return ExactNtscBefore(SampleRateHz(rate), count);
  }
  return 0;
}

std::size_t SamplesForFrame(DvSystem system, DvAudioRate rate, std::uint64_t index) {
  return static_cast<std::size_t>(SamplesBeforeFrame(system, rate, index + 1) -
                                  SamplesBeforeFrame(system, rate, index));
}

}  // namespace korvid::media
