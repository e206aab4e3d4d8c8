#include "commands/scene_info.h"

#include <cmath>
#include <cstdio>

namespace korvid::commands {

std::string FramesToText(std::int64_t frames, double fps) {
  if (fps == 0) return "0:00:00:00";
  const double exact = static_cast<double>(frames) / fps;
  const auto seconds = static_cast<std::int64_t>(exact);
  // Halves go to the even neighbour, as the default rounding mode does.
  const auto left = static_cast<std::int64_t>(std::nearbyint(static_cast<double>(frames) - static_cast<double>(seconds) * fps));
  char text[64] = {};
  std::snprintf(text, sizeof text, "%.2lld.%.2lld.%.2lld.%.2lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>((seconds / 60) % 60), static_cast<long long>(seconds % 60),
                static_cast<long long>(left));
  return text;
}

TSceneInfo MakeSceneInfo(const graphs::DetectedScene& scene, double fps, const media::DatecodeFormat& format) {
  TSceneInfo info;
  info.StartFrame = scene.startFrame;
  info.EndFrame = scene.endFrame;
  if (scene.datecode) info.DatecodeText = settings::FormatDateTime(format.format, *scene.datecode, format.locale);
  info.TimecodeText = graphs::ShownTimecodeText(scene);
  info.StartText = FramesToText(scene.startFrame, fps);
  info.EndText = FramesToText(scene.endFrame, fps);
  info.DurationText = FramesToText(std::int64_t{scene.endFrame} - scene.startFrame, fps);
  return info;
}

}  // namespace korvid::commands
