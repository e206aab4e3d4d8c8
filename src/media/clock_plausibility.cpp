#include "media/clock_plausibility.h"

#include <sys/stat.h>

#include <tuple>

namespace korvid::media {
namespace {

auto Ordered(const settings::DateTimeValue& v) { return std::tie(v.year, v.month, v.day, v.hour, v.minute, v.second); }

}  // namespace

std::string ClockSuspicion(const settings::DateTimeValue& datecode, const ClockFacts& facts,
                           const settings::RecordingZone& zone) {
  if (datecode.year < kFirstPlausibleYear)
    return "recorded before " + std::to_string(kFirstPlausibleYear) + ": the camera's clock was probably never set";
  if (facts.modifiedUtc) {
    const auto instant = zone.ToUtc(datecode);
    if (instant && instant->utcSeconds > *facts.modifiedUtc + kFutureSlackSeconds)
      return "recorded after the file was last changed (" + settings::UtcText(*facts.modifiedUtc) +
             "): the camera's clock was ahead";
  }
  const bool resetTime = datecode.month == 1 && datecode.day == 1 && datecode.hour == 0 &&
                         datecode.minute < kResetWindowMinutes;
  const bool jumpedBack = !facts.earlierScene || Ordered(*facts.earlierScene) > Ordered(datecode);
  if (resetTime && jumpedBack)
    return "the first minutes of 1 January " + std::to_string(datecode.year) +
           " with no scene before: a camera's clock after a reset";
  return {};
}

std::optional<std::int64_t> FileModifiedUtc(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return static_cast<std::int64_t>(status.st_mtim.tv_sec);
}

}  // namespace korvid::media
