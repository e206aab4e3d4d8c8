#pragma once
// The player's arithmetic: where a step lands, and the texts of the
// position and of the packs of the frame on screen. Positions are frame
// numbers; offsets are in 100-nanosecond units, as the step commands give
// them. A file with sound only is counted in stretches of 40 ms.

#include <cstdint>
#include <string>
#include <vector>

#include "graphs/playback_source.h"
#include "media/dv_packs.h"
#include "settings/date_time_format.h"

namespace korvid::graphs {

inline constexpr std::int64_t kOneSecondUnits = 10'000'000;
inline constexpr std::int64_t kOneMinuteUnits = 600'000'000;

// "h:mm:ss:ff" of frame `frame` at `fps` frames a second; fps above 0.
std::string FramePositionText(std::int64_t frame, double fps);
// "h:mm:ss:mmm" of a position in 100-nanosecond units (sound only).
std::string SoundPositionText(std::int64_t units);

// One frame as an offset, to the nearest unit; 0 when the rate is 0.
std::int64_t OneFrameUnits(double fps);

std::int64_t UnitsOfFrame(std::int64_t frame, FrameRate rate);
// The frame nearest to a time, so that a step of one frame's length lands
// on the next frame whichever way the rounding of the length went.
std::int64_t FrameAtUnits(std::int64_t units, FrameRate rate);

// The frame `delta` units away from `frame`, kept within the file: its
// first frame at the start, its last one at the end.
std::int64_t StepTarget(std::int64_t frame, std::int64_t delta, FrameRate rate, std::int64_t frame_count);

// Scene steps over the scenes' first frames (in order): forward to the
// first start after `frame`, else the last frame; back to the last start
// before `frame`, else frame 0.
std::int64_t SceneForwardTarget(const std::vector<std::int64_t>& starts, std::int64_t frame,
                                std::int64_t frame_count);
std::int64_t SceneBackwardTarget(const std::vector<std::int64_t>& starts, std::int64_t frame);

// The label texts of a frame's packs: "N/A" when the frame has none (or
// its date is no real date).
std::string DatecodeLabelText(const media::TDatecode& dc, const std::string& format,
                              const settings::LocaleFormats& locale);
std::string TimecodeLabelText(const media::TTimecode& tc);

}  // namespace korvid::graphs
