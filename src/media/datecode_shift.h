#pragma once
// Moving a recording date and time by whole hours, as when a camcorder's
// clock was set to the wrong time zone, or by any span, as when it was wrong.

#include <cstdint>

#include "media/dv_packs.h"

namespace korvid::media {

// True when month, day, hour, minute and second form a real moment of a
// year >= 1 (the day exists in that month of that year).
bool IsCalendarDatecode(const TDatecode& dc);

// Day of the week of a calendar datecode, 0 = Sunday to 6 = Saturday, the
// numbering of the date pack's weekday field.
int WeekdayOf(const TDatecode& dc);

// `dc` moved by `hours` (either sign), carrying over days, months and years
// by the Gregorian calendar. A datecode that is absent or not a real moment
// is returned unchanged: there is nothing sound to move.
TDatecode ShiftDatecode(const TDatecode& dc, int hours);
// The same by any number of seconds.
TDatecode MoveDatecode(const TDatecode& dc, std::int64_t seconds);

}  // namespace korvid::media
