#include "media/dv_block_errors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "media/dv_audio.h"
#include "media/dv_audio_layout.h"
#include "media/dv_frame_facts.h"

namespace korvid::media {
namespace {

constexpr std::size_t kAudioBlockSpacing = 16;  // an audio block, then 15 video blocks

bool IsErrorSample(const std::uint8_t* p, std::size_t groupBytes) {
  if (groupBytes == 2) return p[0] == 0x80 && p[1] == 0x00;
  // Two 12-bit samples: the high bytes first, then their low nibbles.
  const int first = (p[0] << 4) | (p[2] >> 4);
  const int second = (p[1] << 4) | (p[2] & 0x0F);
  return first == 0x800 || second == 0x800;
}

// Which bytes of an audio block's sample area start a sample: every other
// one for 16-bit groups, the first two of three for 12-bit ones. Bit 7 of
// each such byte, eight bytes to a word in the machine's own byte order.
constexpr std::array<std::uint64_t, kAudioBlockDataBytes / 8> SampleHighBytes(std::size_t groupBytes) {
  std::array<std::uint64_t, kAudioBlockDataBytes / 8> words{};
  for (std::size_t w = 0; w < words.size(); ++w) {
    std::array<std::uint8_t, 8> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const std::size_t at = 8 * w + i;
      bytes[i] = (groupBytes == 2 ? at % 2 == 0 : at % 3 != 2) ? 0x80 : 0x00;
    }
    words[w] = std::bit_cast<std::uint64_t>(bytes);
  }
  return words;
}
constexpr auto kHighBytes16 = SampleHighBytes(2);
constexpr auto kHighBytes12 = SampleHighBytes(3);

// An error sample has 0x80 in its high byte. When no high byte of any
// audio block holds it, the frame has no error sample and the walk over
// its samples is spared; a word test that also flags a few other bytes
// only sends more frames to the walk, which decides.
bool MayHoldErrorSample(std::span<const std::uint8_t> frame, DvSystem system, std::size_t groupBytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kTops = 0x8080808080808080;
  const auto& high = groupBytes == 2 ? kHighBytes16 : kHighBytes12;
  std::uint64_t found = 0;
  for (std::size_t sequence = 0; sequence < SequencesPerFrame(system); ++sequence) {
    for (std::size_t block = 0; block < kAudioBlocksPerSequence; ++block) {
      const std::uint8_t* data =
          frame.data() + DifBlockOffset(sequence, AudioBlockIndex(block)) + kAudioBlockDataOffset;
      for (std::size_t w = 0; w < high.size(); ++w) {
        std::uint64_t word = 0;
        std::memcpy(&word, data + 8 * w, sizeof word);
        const std::uint64_t x = word ^ kTops;  // bytes that were 0x80 are now 0
        found |= (x - kOnes) & ~x & high[w];
      }
    }
  }
  return found != 0;
}

}  // namespace

std::optional<std::size_t> DifBlockErrorCounter::CountAudio(std::span<const std::uint8_t> frame, DvSystem system,
                                                            const std::optional<DvAudioInfo>& file_sound) {
  if (frame.size() < FrameBytes(system)) return std::nullopt;
  std::optional<DvAudioInfo> sound = ReadDvFrameSound(frame);
  if (!sound && file_sound && file_sound->system == system) sound = file_sound;
  if (!sound) return std::nullopt;
  const DvAudioInfo& info = *sound;
  const std::size_t groupBytes = info.bits == 16 ? 2 : 3;
  marked_.assign(FrameBytes(system) / kDifBlockBytes, 0);
  if (!MayHoldErrorSample(frame, system, groupBytes)) return 0;
  const std::span<const std::uint32_t> offsets = FirstHalfSampleOffsets(system, groupBytes);
  const std::size_t samples = std::min(info.samples, offsets.size());
  // Each half carries its own channel (16-bit) or stereo pair (12-bit).
  for (std::size_t half = 0; half < 2; ++half) {
    const std::size_t shift = half * SecondHalfShift(system);
    for (std::size_t n = 0; n < samples; ++n) {
      const std::size_t at = shift + offsets[n];
      if (IsErrorSample(&frame[at], groupBytes)) marked_[at / kDifBlockBytes] = 1;
    }
  }
  return static_cast<std::size_t>(std::count(marked_.begin(), marked_.end(), std::uint8_t{1}));
}

DifBlockErrors DifBlockErrorCounter::Count(std::span<const std::uint8_t> frame,
                                           const std::optional<DvAudioInfo>& file_sound) {
  DifBlockErrors errors;
  marked_.clear();
  const std::optional<DvSystem> system = DetectDvSystem(frame);
  if (!system) return errors;
  const std::size_t blocks =
      std::min(frame.size() / kDifBlockBytes, SequencesPerFrame(*system) * kDifBlocksPerSequence);
  // Each sequence's video blocks come in runs of 15, one after each audio
  // block; only blocks wholly in the buffer are looked at.
  for (std::size_t first = 0; first < blocks; first += kDifBlocksPerSequence) {
    const std::size_t present = std::min(kDifBlocksPerSequence, blocks - first);
    const std::uint8_t* sequence = frame.data() + first * kDifBlockBytes;
    for (std::size_t audio = 0; audio < kAudioBlocksPerSequence; ++audio) {
      const std::size_t end = std::min(AudioBlockIndex(audio) + kAudioBlockSpacing, present);
      for (std::size_t b = AudioBlockIndex(audio) + 1; b < end; ++b)
        errors.videoBlocksMarked += (sequence[b * kDifBlockBytes + 3] & 0xF0) != 0 ? 1 : 0;
    }
  }
  errors.audioBlocksWithErrors = CountAudio(frame, *system, file_sound);
  return errors;
}

}  // namespace korvid::media
