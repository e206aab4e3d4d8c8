#pragma once
// Pack readers for frames from damaged tape. They agree with the plain
// readers of dv_packs.h whenever the first DIF sequence holds a usable pack
// at its fixed position; otherwise they look through every subcode and
// VAUX slot of the frame for a usable copy, since a camcorder repeats its
// packs in every sequence.

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

TTimecode ReadFrameTimecode(std::span<const std::uint8_t> frame);
// Like ReadDatecode: without a datecode only `out.year` is written (-1).
// Date and time may come from different copies when one is damaged.
void ReadFrameDatecode(std::span<const std::uint8_t> frame, TDatecode& out);
// Whether ReadFrameDatecode takes the date or the time from a DIF sequence
// after the first, the first one's copies being unusable.
bool DatecodeFromLaterSequence(std::span<const std::uint8_t> frame);
bool IsFrameWideScreen(std::span<const std::uint8_t> frame);

}  // namespace korvid::media
