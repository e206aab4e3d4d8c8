#pragma once
// One finished scene as the scene writers receive it, with its texts.

#include <cstdint>
#include <string>

#include "graphs/scene_detector.h"
#include "media/video_record.h"

namespace korvid::commands {

struct TSceneInfo {
  std::int32_t StartFrame = 0;
  std::int32_t EndFrame = 0;  // inclusive
  std::string DatecodeText;   // empty when the scene has no recording date
  std::string TimecodeText;   // empty when none
  std::string StartText;
  std::string EndText;
  std::string DurationText;
};

// "hh.mm.ss.ff" of a frame number at `fps` frames a second; "0:00:00:00"
// when the rate is 0.
std::string FramesToText(std::int64_t frames, double fps);

// The texts of a detected scene: its datecode with the user's display
// format, its timecode unless it marks none, its bounds and duration.
TSceneInfo MakeSceneInfo(const graphs::DetectedScene& scene, double fps, const media::DatecodeFormat& format);

}  // namespace korvid::commands
