#pragma once
// Where IEC 61834-2/-4 place the AAUX packs and each audio sample in a
// 25 Mbit/s frame.
//
// Every audio block holds one 5-byte pack after its 3 ID bytes. The source,
// source control, recording date and recording time packs sit in blocks
// 3-6 of even sequences and 0-3 of odd ones; the other slots are free.
//
// Samples: the frame's sequences are split in two halves (5+5 for 525/60,
// 6+6 for 625/50). With 16-bit samples each half carries one channel, 2 bytes a
// sample, big-endian; with 12-bit samples each half carries a stereo pair,
// 3 bytes holding both channels' sample n. Consecutive samples are spread
// over sequences and blocks so that a lost track costs scattered samples,
// not a run of them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "media/dv_frame.h"

namespace korvid::media {

inline constexpr std::size_t kAudioBlockDataOffset = 8;  // 3 ID bytes, then a 5-byte AAUX pack
inline constexpr std::size_t kAudioBlockDataBytes = 72;
inline constexpr std::size_t kAudioBlockPackOffset = 3;

// Byte offset within the frame of the pack of audio block `block` (0-8).
constexpr std::size_t AauxPackOffset(std::size_t sequence, std::size_t block) {
  return DifBlockOffset(sequence, AudioBlockIndex(block)) + kAudioBlockPackOffset;
}

// The audio block the standard gives pack `header` in `sequence`, for the
// four packs 0x50-0x53 that have a fixed place.
constexpr std::optional<std::size_t> StandardAauxBlock(std::uint8_t header, std::size_t sequence) {
  if (header < 0x50 || header > 0x53) return std::nullopt;
  return static_cast<std::size_t>(header - 0x50) + (sequence % 2 == 0 ? 3 : 0);
}

constexpr std::size_t AudioSequencesPerHalf(DvSystem system) {
  return SequencesPerFrame(system) / 2;
}

// Sample positions in one half: 36 (16-bit) or 24 (12-bit) byte groups in
// each of its audio blocks.
constexpr std::size_t AudioHalfCapacity(DvSystem system, std::size_t group_bytes) {
  return AudioSequencesPerHalf(system) * kAudioBlocksPerSequence *
         (kAudioBlockDataBytes / group_bytes);
}

// Byte offset within the frame of the byte group holding sample n of
// `half` (0 or 1); group_bytes is 2 for 16-bit and 3 for 12-bit samples.
// n must be below AudioHalfCapacity(system, group_bytes).
constexpr std::size_t AudioSampleOffset(DvSystem system, std::size_t half, std::size_t n,
                                        std::size_t group_bytes) {
  const std::size_t sequences = AudioSequencesPerHalf(system);
  const std::size_t row = kAudioBlocksPerSequence * sequences;  // samples per group column
  const std::size_t sequence = (n / 3 + 2 * (n % 3)) % sequences + half * sequences;
  const std::size_t block = 3 * (n % 3) + (n % row) / (3 * sequences);
  const std::size_t byte = kAudioBlockDataOffset + group_bytes * (n / row);
  return DifBlockOffset(sequence, AudioBlockIndex(block)) + byte;
}

namespace audio_layout_detail {
template <DvSystem kSystem, std::size_t kGroupBytes>
inline constexpr auto kFirstHalfOffsets = [] {
  std::array<std::uint32_t, AudioHalfCapacity(kSystem, kGroupBytes)> table{};
  for (std::size_t n = 0; n < table.size(); ++n)
    table[n] = static_cast<std::uint32_t>(AudioSampleOffset(kSystem, 0, n, kGroupBytes));
  return table;
}();
}  // namespace audio_layout_detail

// AudioSampleOffset of every sample of the first half, worked out once: the
// shuffle costs several divisions a sample, and a frame holds thousands.
// The second half's samples lie SecondHalfShift bytes further on.
constexpr std::span<const std::uint32_t> FirstHalfSampleOffsets(DvSystem system, std::size_t group_bytes) {
  using audio_layout_detail::kFirstHalfOffsets;
  if (system == DvSystem::k625_50)
    return group_bytes == 2 ? std::span<const std::uint32_t>(kFirstHalfOffsets<DvSystem::k625_50, 2>)
                            : std::span<const std::uint32_t>(kFirstHalfOffsets<DvSystem::k625_50, 3>);
  return group_bytes == 2 ? std::span<const std::uint32_t>(kFirstHalfOffsets<DvSystem::k525_60, 2>)
                          : std::span<const std::uint32_t>(kFirstHalfOffsets<DvSystem::k525_60, 3>);
}

constexpr std::size_t SecondHalfShift(DvSystem system) { return AudioSequencesPerHalf(system) * kDifSequenceBytes; }

}  // namespace korvid::media
