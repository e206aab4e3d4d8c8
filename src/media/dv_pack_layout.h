#pragma once
// Where packs live in a DV frame (IEC 61834-2/-4, SMPTE 314M). Each DIF
// sequence has two subcode blocks of six sync blocks (3 ID bytes, then a
// 5-byte pack each: 12 slots) and three VAUX blocks of 15 packs starting
// at byte 3 (45 slots). Slots are visited only where their whole DIF block
// lies inside the buffer, so a truncated frame is safe.

#include <cstddef>
#include <cstdint>
#include <span>

#include "media/dv_frame.h"

namespace korvid::media {

enum class PackArea { kSubcode, kVaux };

inline constexpr std::size_t kSubcodeSlotsPerSequence = 12;
inline constexpr std::size_t kVauxSlotsPerSequence = 45;

struct PackSlot {
  std::size_t offset = 0;    // first byte of the pack within the frame
  std::size_t sequence = 0;  // DIF sequence
  PackArea area = PackArea::kVaux;
  std::size_t index = 0;  // subcode: 6 x block + sync block; VAUX: 15 x block + pack
};

constexpr std::size_t SubcodeSlotOffset(std::size_t sequence, std::size_t index) {
  return DifBlockOffset(sequence, 1 + index / 6) + 3 + 8 * (index % 6) + 3;
}

constexpr std::size_t VauxSlotOffset(std::size_t sequence, std::size_t index) {
  return DifBlockOffset(sequence, 3 + index / 15) + 3 + 5 * (index % 15);
}

// Sequences worth visiting: those the frame's system has, at most those
// that start inside the buffer.
inline std::size_t PackSequenceCount(std::span<const std::uint8_t> frame) {
  const std::size_t started = (frame.size() + kDifSequenceBytes - 1) / kDifSequenceBytes;
  const auto system = DetectDvSystem(frame);
  const std::size_t limit = SequencesPerFrame(system.value_or(DvSystem::k625_50));
  return started < limit ? started : limit;
}

// Calls visit(const PackSlot&) for every slot whose DIF block is wholly
// present: sequence by sequence, subcode before VAUX.
template <typename Visit>
void ForEachPackSlot(std::span<const std::uint8_t> frame, Visit&& visit) {
  const std::size_t sequences = PackSequenceCount(frame);
  const auto blockPresent = [&](std::size_t sequence, std::size_t block) {
    return DifBlockOffset(sequence, block) + kDifBlockBytes <= frame.size();
  };
  for (std::size_t s = 0; s < sequences; ++s) {
    for (std::size_t i = 0; i < kSubcodeSlotsPerSequence; ++i) {
      if (blockPresent(s, 1 + i / 6)) visit(PackSlot{SubcodeSlotOffset(s, i), s, PackArea::kSubcode, i});
    }
    for (std::size_t i = 0; i < kVauxSlotsPerSequence; ++i) {
      if (blockPresent(s, 3 + i / 15)) visit(PackSlot{VauxSlotOffset(s, i), s, PackArea::kVaux, i});
    }
  }
}

}  // namespace korvid::media
