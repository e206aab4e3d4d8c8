#pragma once
// Where a frame sits in a file's time line, from the video stream's exact
// rate (30000/1001 stays exact over hours), in integer arithmetic.

#include <cstdint>
#include <string>

#include "media/avi_stream.h"

namespace korvid::graphs {

// The rate to time by: the given one when it makes 1 to 1000 frames a
// second, else 25/1, so that no product below can overflow.
media::FrameRate UsableFrameRate(media::FrameRate rate);

// Start of frame `frame`, in milliseconds rounded to the nearest.
std::int64_t FrameMilliseconds(std::int64_t frame, media::FrameRate rate);

// "HH:MM:SS:FF": the whole seconds before the frame's start and the frame's
// number within its second.
std::string FramePositionText(std::int64_t frame, media::FrameRate rate);

}  // namespace korvid::graphs
