#pragma once
// The geometry of a DV frame (IEC 61834-2, SMPTE 314M for 25 Mbit/s):
// a run of DIF sequences of 150 DIF blocks of 80 bytes each. Within a
// sequence: block 0 is the header, 1-2 subcode, 3-5 VAUX, and the rest
// 135 video blocks with an audio block before every 15 of them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace korvid::media {

inline constexpr std::size_t kDifBlockBytes = 80;
inline constexpr std::size_t kDifBlocksPerSequence = 150;
inline constexpr std::size_t kDifSequenceBytes = kDifBlockBytes * kDifBlocksPerSequence;  // 12,000
inline constexpr std::size_t kAudioBlocksPerSequence = 9;

enum class DvSystem {
  k525_60 = 1,  // NTSC: 10 sequences, 120,000 bytes, 30000/1001 frames a second
  k625_50 = 2,  // PAL: 12 sequences, 144,000 bytes, 25 frames a second
};

constexpr std::size_t SequencesPerFrame(DvSystem system) {
  return system == DvSystem::k625_50 ? 12 : 10;
}

constexpr std::size_t FrameBytes(DvSystem system) {
  return SequencesPerFrame(system) * kDifSequenceBytes;
}

// Block index, within a sequence, of audio block a (0-8).
constexpr std::size_t AudioBlockIndex(std::size_t a) { return 6 + 16 * a; }

// Byte offset within the frame of block `block` of sequence `sequence`.
constexpr std::size_t DifBlockOffset(std::size_t sequence, std::size_t block) {
  return sequence * kDifSequenceBytes + block * kDifBlockBytes;
}

// The TV system a frame's header block declares (DSF bit, byte 3 bit 7),
// or nothing when the buffer does not start with a DIF header block.
inline std::optional<DvSystem> DetectDvSystem(std::span<const std::uint8_t> frame) {
  if (frame.size() < kDifBlockBytes) return std::nullopt;
  if ((frame[0] & 0xE0) != 0x00) return std::nullopt;  // section type 0 = header
  return (frame[3] & 0x80) != 0 ? DvSystem::k625_50 : DvSystem::k525_60;
}

}  // namespace korvid::media
