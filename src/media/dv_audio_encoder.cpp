#include "media/dv_audio_encoder.h"

#include <string>

#include "media/dv_audio.h"
#include "media/dv_audio_companding.h"
#include "media/dv_audio_layout.h"

namespace korvid::media {
namespace {

// Source control: copying free, original recording, no recording start or
// end in this frame, forward at normal speed (as camcorders write it).
constexpr DvPack kSourceControlPack{kAudioControlPack, 0x03, 0xCF, 0xA0, 0xFF};
constexpr DvPack kEmptyPack{kNoPack, 0xFF, 0xFF, 0xFF, 0xFF};

constexpr std::uint8_t kStereoPairMode = 0x30;  // two channels a block, one pair
constexpr std::uint8_t kNotRecordedMode = 0x3F;  // the same, audio mode "no information"

struct Plan {
  DvSystem system = DvSystem::k525_60;
  DvAudioMode mode = DvAudioMode::k48k16Bit2Ch;
  std::size_t samples = 0;
  bool locked = true;
  bool second_pair = false;
};

Plan CheckInput(std::span<const std::uint8_t> frame, DvAudioMode mode,
                std::span<const std::int16_t> pair0, std::span<const std::int16_t> pair1,
                bool locked) {
  const auto system = DetectDvSystem(frame);
  if (!system) throw DvAudioError("the buffer does not start with a DV header block");
  if (frame.size() < FrameBytes(*system)) {
    throw DvAudioError("the buffer holds " + std::to_string(frame.size()) +
                       " bytes, less than a whole DV frame");
  }
  if (pair0.size() % 2 != 0) throw DvAudioError("stereo samples come in left/right pairs");
  Plan plan{*system, mode, pair0.size() / 2, locked, false};
  const DvSampleLimits limits = SampleLimits(plan.system, RateOf(mode));
  if (plan.samples < limits.min || plan.samples > limits.max) {
    throw DvAudioError(std::to_string(plan.samples) + " samples do not fit a frame at " +
                       std::to_string(SampleRateHz(RateOf(mode))) + " Hz (" +
                       std::to_string(limits.min) + " to " + std::to_string(limits.max) + ")");
  }
  if (!pair1.empty()) {
    if (PairsOf(mode) != 2) throw DvAudioError("this audio mode carries one stereo pair only");
    if (pair1.size() != pair0.size()) {
      throw DvAudioError("both stereo pairs must have the same number of samples");
    }
    plan.second_pair = true;
  }
  if (RateOf(mode) == DvAudioRate::k44100) plan.locked = false;
  return plan;
}

DvPack SourcePack(const Plan& plan, std::size_t half) {
  const DvSampleLimits limits = SampleLimits(plan.system, RateOf(plan.mode));
  const bool twelve = BitsOf(plan.mode) == 12;
  std::uint8_t mode_byte = 0x00;  // one channel a block
  if (twelve) mode_byte = (half == 1 && !plan.second_pair) ? kNotRecordedMode : kStereoPairMode;
  return DvPack{
      kAudioSourcePack,
      static_cast<std::uint8_t>((plan.locked ? 0x00 : 0x80) | 0x40 | (plan.samples - limits.min)),
      mode_byte,
      static_cast<std::uint8_t>(0xC0 | (plan.system == DvSystem::k625_50 ? 0x20 : 0x00)),
      static_cast<std::uint8_t>(0xC0 | (static_cast<int>(RateOf(plan.mode)) << 3) | (twelve ? 1 : 0)),
  };
}

void WritePack(std::span<std::uint8_t> frame, std::size_t offset, const DvPack& pack) {
  for (std::size_t i = 0; i < kPackBytes; ++i) frame[offset + i] = pack[i];
}

void WritePacks(std::span<std::uint8_t> frame, const Plan& plan) {
  // Read before anything is overwritten.
  const DvPack date = FindAauxPack(frame, kAudioRecordingDatePack).value_or(kEmptyPack);
  const DvPack time = FindAauxPack(frame, kAudioRecordingTimePack).value_or(kEmptyPack);
  const std::size_t half = AudioSequencesPerHalf(plan.system);
  const DvPack sources[2] = {SourcePack(plan, 0), SourcePack(plan, 1)};
  for (std::size_t s = 0; s < SequencesPerFrame(plan.system); ++s) {
    for (std::size_t b = 0; b < kAudioBlocksPerSequence; ++b) {
      WritePack(frame, AauxPackOffset(s, b), kEmptyPack);
    }
    WritePack(frame, AauxPackOffset(s, *StandardAauxBlock(kAudioSourcePack, s)), sources[s / half]);
    WritePack(frame, AauxPackOffset(s, *StandardAauxBlock(kAudioControlPack, s)), kSourceControlPack);
    WritePack(frame, AauxPackOffset(s, *StandardAauxBlock(kAudioRecordingDatePack, s)), date);
    WritePack(frame, AauxPackOffset(s, *StandardAauxBlock(kAudioRecordingTimePack, s)), time);
  }
}

void Write16Bit(std::span<std::uint8_t> frame, const Plan& plan,
                std::span<const std::int16_t> pair) {
  const std::span<const std::uint32_t> offsets = FirstHalfSampleOffsets(plan.system, 2);
  for (std::size_t channel = 0; channel < 2; ++channel) {
    const std::size_t shift = channel * SecondHalfShift(plan.system);
    for (std::size_t n = 0; n < offsets.size(); ++n) {
      std::int16_t value = n < plan.samples ? pair[2 * n + channel] : std::int16_t{0};
      if (value == kDv16BitErrorCode) value = kDv16BitErrorCode + 1;
      const auto bits = static_cast<std::uint16_t>(value);
      std::uint8_t* p = &frame[shift + offsets[n]];
      p[0] = static_cast<std::uint8_t>(bits >> 8);
      p[1] = static_cast<std::uint8_t>(bits);
    }
  }
}

void Write12Bit(std::span<std::uint8_t> frame, const Plan& plan, std::size_t pair_index,
                std::span<const std::int16_t> pair) {
  const std::span<const std::uint32_t> offsets = FirstHalfSampleOffsets(plan.system, 3);
  const std::size_t shift = pair_index * SecondHalfShift(plan.system);
  for (std::size_t n = 0; n < offsets.size(); ++n) {
    const bool used = n < plan.samples && !pair.empty();
    const auto left = static_cast<std::uint16_t>(used ? Compress12BitSample(pair[2 * n]) : 0);
    const auto right = static_cast<std::uint16_t>(used ? Compress12BitSample(pair[2 * n + 1]) : 0);
    std::uint8_t* p = &frame[shift + offsets[n]];
    p[0] = static_cast<std::uint8_t>(left >> 4);
    p[1] = static_cast<std::uint8_t>(right >> 4);
    p[2] = static_cast<std::uint8_t>(((left & 0x0F) << 4) | (right & 0x0F));
  }
}

void WriteSamples(std::span<std::uint8_t> frame, const Plan& plan, std::span<const std::int16_t> pair0,
                  std::span<const std::int16_t> pair1) {
  if (BitsOf(plan.mode) == 16) {
    Write16Bit(frame, plan, pair0);
  } else {
    Write12Bit(frame, plan, 0, pair0);
    Write12Bit(frame, plan, 1, pair1);
  }
}

}  // namespace

void EncodeDvAudio(std::span<std::uint8_t> frame, DvAudioMode mode,
                   std::span<const std::int16_t> pair0, std::span<const std::int16_t> pair1,
                   bool locked) {
  const Plan plan = CheckInput(frame, mode, pair0, pair1, locked);
  WritePacks(frame, plan);
  WriteSamples(frame, plan, pair0, pair1);
}

void EncodeDvAudioSamples(std::span<std::uint8_t> frame, DvAudioMode mode, std::span<const std::int16_t> pair0,
                          std::span<const std::int16_t> pair1) {
  WriteSamples(frame, CheckInput(frame, mode, pair0, pair1, true), pair0, pair1);
}

}  // namespace korvid::media
