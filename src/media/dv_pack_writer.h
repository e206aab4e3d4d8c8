#pragma once
// Writes packs into a DV frame the way a camcorder lays them out
// (IEC 61834-4), so that this program and other readers see the same values:
//  - subcode: the timecode in all twelve sync-block slots of the first half
//    of the sequences; in the second half the timecode in slots 0, 3, 6, 9,
//    the recording date in 1, 4, 7, 10 and the time in 2, 5, 8, 11;
//  - VAUX: video source, video control, date and time in packs 39-42 of
//    every sequence (39-42 is the main area of even sequences; in odd ones
//    they are filled only when free) and in packs 0-3 of odd sequences.
// Any other slot already holding a pack of the same kind is overwritten as
// well, so no stale copy survives. Flag bits of a pack already in the frame
// are kept; only the digits or the flag being set change.

#include <cstdint>
#include <optional>
#include <span>

#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::media {

// Pack encoders. `base` supplies the bits that are not digits (time zone,
// colour-frame flags and the like; a weekday it holds is replaced by that of
// the new date). Nothing when a value cannot be
// recorded: a timecode beyond 23:59:59:29, a date outside 1940-2039 (two-digit
// years read back as 1940-2039) or an impossible month, day or time.
std::optional<DvPack> EncodeTimecodePack(const TTimecode& tc, const DvPack& base);
std::optional<DvPack> EncodeDatePack(const TDatecode& dc, const DvPack& base);
std::optional<DvPack> EncodeTimePack(const TDatecode& dc, const DvPack& base);
DvPack EncodeVideoSourcePack(DvSystem system, const DvPack& base);
DvPack EncodeVideoControlPack(bool wide, const DvPack& base);
// A fresh pack with its header and the usual filler bits.
DvPack DefaultPack(std::uint8_t header);

// Each writer returns false and leaves the frame unchanged when the buffer
// does not start with a DIF header block or the value cannot be recorded.
bool WritePack(std::span<std::uint8_t> frame, const DvPack& pack);
// Blanks (0xFF) every copy of packs with `header`.
void ErasePacks(std::span<std::uint8_t> frame, std::uint8_t header);

// A timecode without hours (HasTimecode false) erases the timecode packs.
bool WriteTimecode(std::span<std::uint8_t> frame, const TTimecode& tc);
// A datecode without a year (HasDatecode false) erases date and time packs.
bool WriteDatecode(std::span<std::uint8_t> frame, const TDatecode& dc);
void ClearDatecode(std::span<std::uint8_t> frame);
// Display select mode 2 (16:9, read so whatever the AP3) or 0 (4:3).
bool WriteWideScreen(std::span<std::uint8_t> frame, bool wide);
bool WriteVideoSource(std::span<std::uint8_t> frame, DvSystem system);

}  // namespace korvid::media
