#pragma once
// The duration and audio-format texts shown in the list and the player.
// Durations are in 100-nanosecond units, as stream lengths are kept.

#include <cstdint>
#include <string>

namespace korvid::media {

inline constexpr std::int64_t kUnitsPerSecond = 10'000'000;

// "1h 02mn 05s 12fr", "5s 03fr", "15fr". A period of 0 or less counts no frames.
std::string FramesDurationText(std::int64_t frame_period, std::int64_t duration);

// "1h 02mn 05s 480ms", "5s 003ms", "480milliseconds".
std::string MillisecondsDurationText(std::int64_t duration);

// The name of a WAVE format tag ("PCM" for 1), "Unknown" for tags we do not know.
std::string AudioFormatName(std::uint32_t format_tag);

}  // namespace korvid::media
