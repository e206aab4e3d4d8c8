#include "graphs/player_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphs/scene_detector.h"
#include "media/video_record.h"

namespace korvid::graphs {

std::string FramePositionText(std::int64_t frame, double fps) {
  const auto s = static_cast<std::int64_t>(static_cast<double>(frame) / fps);
  const auto f = static_cast<std::int64_t>(static_cast<double>(frame) - static_cast<double>(s) * fps);
  char text[64];
  std::snprintf(text, sizeof text, "%lld:%.2lld:%.2lld:%.2lld", static_cast<long long>(s / 3600),
                static_cast<long long>((s / 60) % 60), static_cast<long long>(s % 60), static_cast<long long>(f));
  return text;
}

std::string SoundPositionText(std::int64_t units) {
  const std::int64_t s = units / kOneSecondUnits;
  const std::int64_t ms = (units % kOneSecondUnits) / 10'000;
  char text[64];
  std::snprintf(text, sizeof text, "%lld:%.2lld:%.2lld:%.3lld", static_cast<long long>(s / 3600),
                static_cast<long long>((s / 60) % 60), static_cast<long long>(s % 60), static_cast<long long>(ms));
  return text;
}

std::int64_t OneFrameUnits(double fps) {
  if (!(fps > 0)) return 0;
  return std::llround(static_cast<double>(kOneSecondUnits) / fps);
}

std::int64_t UnitsOfFrame(std::int64_t frame, FrameRate rate) {
  return frame * kOneSecondUnits * rate.den / rate.num;
}

std::int64_t FrameAtUnits(std::int64_t units, FrameRate rate) {
  const std::int64_t scale = kOneSecondUnits * rate.den;
  return (units * rate.num + scale / 2) / scale;
}

std::int64_t StepTarget(std::int64_t frame, std::int64_t delta, FrameRate rate, std::int64_t frame_count) {
  if (frame_count <= 0) return 0;
  const std::int64_t duration = UnitsOfFrame(frame_count, rate);
  const std::int64_t target = std::clamp(UnitsOfFrame(frame, rate) + delta, std::int64_t{0}, duration);
  return std::min(FrameAtUnits(target, rate), frame_count - 1);
}

std::int64_t SceneForwardTarget(const std::vector<std::int64_t>& starts, std::int64_t frame,
                                std::int64_t frame_count) {
  for (const std::int64_t start : starts) {
    if (start > frame && start < frame_count) return start;
  }
  return std::max<std::int64_t>(frame_count - 1, 0);
}

std::int64_t SceneBackwardTarget(const std::vector<std::int64_t>& starts, std::int64_t frame) {
  std::int64_t target = 0;
  for (const std::int64_t start : starts) {
    if (start < frame && start > target) target = start;
  }
  return target;
}

std::string DatecodeLabelText(const media::TDatecode& dc, const std::string& format,
                              const settings::LocaleFormats& locale) {
  const std::optional<settings::DateTimeValue> value = RecordingValue(dc);
  if (!value) return std::string(media::kNotAvailableText);
  return settings::FormatDateTime(format, *value, locale);
}

std::string TimecodeLabelText(const media::TTimecode& tc) {
  if (!media::HasTimecode(tc)) return std::string(media::kNotAvailableText);
  char text[32];
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.2d.%.2d", tc.hours, tc.minutes, tc.seconds, tc.frames);
  return text;
}

}  // namespace korvid::graphs
