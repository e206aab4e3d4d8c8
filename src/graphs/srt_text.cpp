#include "graphs/srt_text.h"

#include <cstdio>
#include <optional>

#include "graphs/frame_time.h"
#include "graphs/scene_detector.h"
#include "media/stream_analysis.h"

namespace korvid::graphs {

std::string SrtTime(std::int64_t frame, media::FrameRate rate) {
  const std::int64_t ms = FrameMilliseconds(frame, rate);
  char text[48] = {};
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", static_cast<long long>(ms / 3'600'000),
                static_cast<long long>(ms / 60'000 % 60), static_cast<long long>(ms / 1000 % 60),
                static_cast<long long>(ms % 1000));
  return text;
}

std::string SrtText(const std::vector<DatecodeCue>& cues, media::FrameRate rate, const media::DatecodeFormat& format) {
  std::string text;
  int number = 0;
  for (const DatecodeCue& cue : cues) {
    const std::optional<settings::DateTimeValue> value = RecordingValue(cue.datecode);
    if (!value) continue;
    text += std::to_string(++number) + "\n";
    text += SrtTime(cue.firstFrame, rate) + " --> " + SrtTime(cue.endFrame, rate) + "\n";
    text += media::DatecodeText(*value, format) + "\n\n";
  }
  return text;
}

}  // namespace korvid::graphs
