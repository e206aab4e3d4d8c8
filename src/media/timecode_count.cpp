#include "media/timecode_count.h"

namespace korvid::media {
namespace {

constexpr std::int64_t kDropPerMinute = 2;
constexpr std::int64_t kDropFramesPerMinute = 30 * 60 - kDropPerMinute;  // 1798
constexpr std::int64_t kDropFramesPerTenMinutes = 10 * 30 * 60 - 9 * kDropPerMinute;  // 17982

std::int64_t Nominal(DvSystem system) { return system == DvSystem::k625_50 ? 25 : 30; }

bool Drops(DvSystem system, bool dropFrame) { return dropFrame && system == DvSystem::k525_60; }

}  // namespace

std::int64_t TimecodeFramesPerDay(DvSystem system, bool dropFrame) {
  return Drops(system, dropFrame) ? 24 * 6 * kDropFramesPerTenMinutes : 24 * 3600 * Nominal(system);
}

std::int64_t TimecodeFrameNumber(const TTimecode& tc, DvSystem system, bool dropFrame) {
  const std::int64_t minutes = std::int64_t{tc.hours} * 60 + tc.minutes;
  std::int64_t number = (minutes * 60 + tc.seconds) * Nominal(system) + tc.frames;
  if (Drops(system, dropFrame)) number -= kDropPerMinute * (minutes - minutes / 10);
  return number;
}

TTimecode TimecodeAtFrameNumber(std::int64_t number, DvSystem system, bool dropFrame) {
  const std::int64_t day = TimecodeFramesPerDay(system, dropFrame);
  number = ((number % day) + day) % day;
  if (Drops(system, dropFrame)) {
    // Put back the labels skipped before this frame: 18 per whole ten
    // minutes, 2 per started minute after the first of the ten.
    const std::int64_t tens = number / kDropFramesPerTenMinutes;
    const std::int64_t rest = number % kDropFramesPerTenMinutes;
    number += 9 * kDropPerMinute * tens;
    if (rest >= kDropPerMinute) number += kDropPerMinute * ((rest - kDropPerMinute) / kDropFramesPerMinute);
  }
  const std::int64_t fps = Nominal(system);
  const std::int64_t seconds = number / fps;
  return TTimecode{static_cast<std::uint8_t>(seconds / 3600 % 24), static_cast<std::uint8_t>(seconds / 60 % 60),
                   static_cast<std::uint8_t>(seconds % 60), static_cast<std::uint8_t>(number % fps)};
}

}  // namespace korvid::media
