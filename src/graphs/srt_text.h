#pragma once
// Datecode cues as a SubRip subtitle file, the form players load by
// themselves when it sits beside the video under the same name.

#include <string>
#include <vector>

#include "graphs/datecode_cues.h"
#include "media/avi_stream.h"
#include "media/video_record.h"

namespace korvid::graphs {

// "HH:MM:SS,mmm" of a frame's start.
std::string SrtTime(std::int64_t frame, media::FrameRate rate);

// The whole file: the cues numbered from 1, each shown from its first
// frame's start to the start of the frame after it, its text the datecode
// in `format`. Cues whose date is no real date (a damaged pack) are left out.
std::string SrtText(const std::vector<DatecodeCue>& cues, media::FrameRate rate, const media::DatecodeFormat& format);

}  // namespace korvid::graphs
