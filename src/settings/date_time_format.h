#pragma once
// The date-time format language used for every date and time text the user
// sees or chooses: datecodes, file names, reports, sort keys.
//
//   yy / yyyy     year, two digits / four digits
//   m / mm        month without / with leading zero; minutes when the letter
//                 element before it was an hour (h, hh)
//   mmm / mmmm    short / long month name
//   d / dd        day without / with leading zero
//   ddd / dddd    short / long day name
//   ddddd         the locale's short date form
//   dddddd        the locale's long date form
//   h / hh        hour; 12-hour clock when the format holds an am/pm element
//   n / nn        minutes
//   s / ss        seconds
//   z / zzz       milliseconds (always zero: values have whole seconds)
//   am/pm, a/p    "am"/"pm" or "a"/"p" in the letter case written
//   ampm          the locale's morning / afternoon texts
//   c             short date, then the long time when the time is not midnight
//   t / tt        the locale's short / long time form
//   /  :          the locale's date / time separator
//   '...' "..."   literal text
// Any other character is copied as it stands.

#include <array>
#include <string>
#include <string_view>

namespace korvid::settings {

// A calendar date and a time of day, whole seconds; no time zone.
struct DateTimeValue {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;

  friend bool operator==(const DateTimeValue&, const DateTimeValue&) = default;
};

// What the formatter needs to know about the user's locale. The four
// date/time forms are written in this same format language.
struct LocaleFormats {
  std::string dateSeparator;
  std::string timeSeparator;
  std::string shortDateForm;
  std::string longDateForm;
  std::string shortTimeForm;
  std::string longTimeForm;
  std::array<std::string, 12> shortMonthNames;  // January first
  std::array<std::string, 12> longMonthNames;
  std::array<std::string, 7> shortDayNames;  // Sunday first
  std::array<std::string, 7> longDayNames;
  std::string amText;
  std::string pmText;
};

// English names, "/" and ":" separators; what the C locale gives and what
// tests pin down.
LocaleFormats EnglishLocaleFormats();

// True for a real calendar date (years 1 to 9999) and a time of day.
bool IsValidDateTime(const DateTimeValue& value);

// The local date and time now, whole seconds.
DateTimeValue LocalNow();

// 0 = Sunday ... 6 = Saturday; -1 when the date is not a real one.
int DayOfWeek(int year, int month, int day);

// Never fails: out-of-range fields give numbers as they are and empty names.
std::string FormatDateTime(std::string_view format, const DateTimeValue& value,
                           const LocaleFormats& locale);

}  // namespace korvid::settings
