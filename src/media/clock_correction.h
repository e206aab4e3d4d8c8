#pragma once
// Mending a camcorder clock that was wrong by any span: an offset of days,
// hours, minutes and seconds as the user writes it, and its application to
// the recording date and time packs of one frame. Only those packs change,
// each copy keeping its own flag bits; the weekday follows the new date.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "media/dv_packs.h"
#include "resources/user_error.h"

namespace korvid::media {

class ClockOffsetError : public UserError {
 public:
  using UserError::UserError;
};

// The largest offset taken, either way: a century.
inline constexpr std::int64_t kMaxClockOffsetSeconds = 36525LL * 86400;

// "+1d", "-0:59:30", "+365d6:00", "+2" (hours): an optional sign, days
// followed by "d", then hours with optional ":MM" and ":SS" (two digits
// each, below 60). Returns seconds; throws ClockOffsetError for anything
// else, a zero offset or one beyond kMaxClockOffsetSeconds.
std::int64_t ParseClockOffset(std::string_view text);

// The offset as output names carry it: the sign, then the parts that are
// not zero, "+1d", "-59m30s", "+365d6h".
std::string ClockOffsetText(std::int64_t seconds);

enum class ClockCorrection {
  kCorrected,  // the date and time packs now hold the corrected time
  kUndated,    // no date and time that form a real moment: left as it is
};

// Moves the recording date and time of `frame` by `seconds`. Throws
// ClockOffsetError, the frame untouched, when the corrected date cannot be
// recorded (DV years run from 1940 to 2039).
ClockCorrection CorrectFrameClock(std::span<std::uint8_t> frame, std::int64_t seconds);

}  // namespace korvid::media
