#pragma once
// Counting frames in tape timecode. 625/50 counts 25 frames a second; 525/60
// counts 30, and with drop-frame counting (the DF flag of the timecode pack)
// skips frames 0 and 1 of every minute not a multiple of ten, so that the
// count keeps up with 29.97 frames a second.

#include <cstdint>

#include "media/dv_frame.h"
#include "media/dv_packs.h"

namespace korvid::media {

// Bit 6 of the timecode pack's frames byte.
inline constexpr std::uint8_t kDropFrameFlag = 0x40;

// Frames counted from 00:00:00:00 to `tc` (which must have a timecode).
std::int64_t TimecodeFrameNumber(const TTimecode& tc, DvSystem system, bool dropFrame);
// The timecode of frame `number`, wrapping at 24 hours.
TTimecode TimecodeAtFrameNumber(std::int64_t number, DvSystem system, bool dropFrame);
// Frames in 24 hours of the counting.
std::int64_t TimecodeFramesPerDay(DvSystem system, bool dropFrame);

}  // namespace korvid::media
