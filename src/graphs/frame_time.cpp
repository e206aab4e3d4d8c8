#include "graphs/frame_time.h"

#include <cstdio>

namespace korvid::graphs {
namespace {

std::uint64_t WholeSecondsBefore(std::uint64_t frame, media::FrameRate rate) {
  return frame * rate.scale / rate.rate;
}

}  // namespace

media::FrameRate UsableFrameRate(media::FrameRate rate) {
  const std::uint64_t r = rate.rate;
  const std::uint64_t s = rate.scale;
  if (s == 0 || r < s || r > 1000 * s) return {25, 1};
  return rate;
}

std::int64_t FrameMilliseconds(std::int64_t frame, media::FrameRate rate) {
  rate = UsableFrameRate(rate);
  const auto ticks = static_cast<std::uint64_t>(frame < 0 ? 0 : frame) * rate.scale;
  const std::uint64_t seconds = ticks / rate.rate;
  const std::uint64_t rest = ticks % rate.rate;
  return static_cast<std::int64_t>(seconds * 1000 + (rest * 1000 + rate.rate / 2) / rate.rate);
}

std::string FramePositionText(std::int64_t frame, media::FrameRate rate) {
  rate = UsableFrameRate(rate);
  const auto k = static_cast<std::uint64_t>(frame < 0 ? 0 : frame);
  const std::uint64_t seconds = WholeSecondsBefore(k, rate);
  // The first frame that starts at or after the second began.
  const std::uint64_t first = (seconds * rate.rate + rate.scale - 1) / rate.scale;
  char text[48] = {};
  std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
                static_cast<unsigned long long>(seconds / 60 % 60), static_cast<unsigned long long>(seconds % 60),
                static_cast<unsigned long long>(k - first));
  return text;
}

}  // namespace korvid::graphs
