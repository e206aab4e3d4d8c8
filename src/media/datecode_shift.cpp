#include "media/datecode_shift.h"

#include <cstdint>
#include <limits>

namespace korvid::media {
namespace {

bool IsLeapYear(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(std::int64_t y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's method).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

CivilDate CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2), month, day};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

bool IsCalendarDatecode(const TDatecode& dc) {
  return HasDatecode(dc) && dc.month >= 1 && dc.month <= 12 && dc.day >= 1 &&
         dc.day <= DaysInMonth(dc.year, dc.month) && dc.hour <= 23 && dc.minute <= 59 &&
         dc.second <= 59;
}

int WeekdayOf(const TDatecode& dc) {
  // 1970-01-01 was a Thursday.
  const std::int64_t days = DaysFromCivil(dc.year, dc.month, dc.day);
  return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

TDatecode ShiftDatecode(const TDatecode& dc, int hours) { return MoveDatecode(dc, std::int64_t{hours} * 3600); }

TDatecode MoveDatecode(const TDatecode& dc, std::int64_t seconds) {
  if (!IsCalendarDatecode(dc)) return dc;
  // Offsets are capped by their parser far below what would overflow here.
  const std::int64_t total = DaysFromCivil(dc.year, dc.month, dc.day) * 86400 + dc.hour * 3600 + dc.minute * 60 +
                             dc.second + seconds;
  const std::int64_t days = FloorDiv(total, 86400);
  const CivilDate date = CivilFromDays(days);
  if (date.year < 1 || date.year > std::numeric_limits<std::int32_t>::max()) return dc;
  const std::int64_t rest = total - days * 86400;
  TDatecode out = dc;
  out.year = static_cast<std::int32_t>(date.year);
  out.month = static_cast<std::uint8_t>(date.month);
  out.day = static_cast<std::uint8_t>(date.day);
  out.hour = static_cast<std::uint8_t>(rest / 3600);
  out.minute = static_cast<std::uint8_t>(rest / 60 % 60);
  out.second = static_cast<std::uint8_t>(rest % 60);
  return out;
}

}  // namespace korvid::media
