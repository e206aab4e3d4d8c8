#pragma once
// Finding a usable copy of a pack in a frame from damaged tape: the fixed
// first-sequence position when it holds one, else every subcode and VAUX
// slot of the frame, since a camcorder repeats its packs in every sequence.
// What the packs mean is read by dv_frame_facts.h alone; writers use this
// to see what a frame already carries.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "media/dv_packs.h"

namespace korvid::media {

// True when `pack` carries `header` and its data look recorded: no blank
// (0xFF) data bytes and, for the timecode, date and time packs, decimal
// digits within their ranges.
bool IsUsablePack(const DvPack& pack, std::uint8_t header);

struct FoundPack {
  DvPack pack{};
  std::size_t sequence = 0;  // DIF sequence it was found in
};

// The first usable pack with `header`: the fixed first-sequence position the
// plain readers use when it holds one, else the first in frame order.
std::optional<FoundPack> FindUsablePack(std::span<const std::uint8_t> frame, std::uint8_t header);

}  // namespace korvid::media
