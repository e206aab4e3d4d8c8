#pragma once
// Datecodes that cannot be right: a camcorder whose clock was never set,
// was reset by a flat backup battery, or was set in the future. They are
// only pointed out; nothing is changed unless the user corrects the clock.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "settings/date_time_format.h"
#include "settings/recording_zone.h"

namespace korvid::media {

// DV camcorders came after this year.
inline constexpr int kFirstPlausibleYear = 1995;
// A reset clock starts at midnight on 1 January and runs from there.
inline constexpr int kResetWindowMinutes = 10;
// A datecode later than the file's last change by more than this is in the
// future whatever zone the camera was in and however its clock drifted.
inline constexpr std::int64_t kFutureSlackSeconds = 86400;

struct ClockFacts {
  // The datecode of the scene before, nothing for the first scene.
  std::optional<settings::DateTimeValue> earlierScene;
  // When the file was last modified, seconds since the epoch (UTC).
  std::optional<std::int64_t> modifiedUtc;
};

// Why `datecode` looks wrong, empty when nothing is seen: a year before
// kFirstPlausibleYear; a time after the file was last modified; the first
// minutes of 1 January reached with no earlier scene or by a jump back.
std::string ClockSuspicion(const settings::DateTimeValue& datecode, const ClockFacts& facts,
                           const settings::RecordingZone& zone);

// The file's modification time; nothing when it cannot be read.
std::optional<std::int64_t> FileModifiedUtc(const std::filesystem::path& path);

}  // namespace korvid::media
