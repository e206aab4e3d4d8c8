#include "settings/date_time_format.h"

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <vector>

namespace korvid::settings {

namespace {

enum class Kind {
  Literal,
  Year,
  Month,
  Day,
  ShortDate,
  LongDate,
  Hour,
  Minute,
  Second,
  Millisecond,
  AmPmAsWritten,
  AmPmOfLocale,
  DateSeparator,
  TimeSeparator,
  DateAndTime,
  ShortTime,
  LongTime,
};

struct Element {
  Kind kind = Kind::Literal;
  int count = 0;         // how many letters the element had
  std::string text;      // literal text, or the morning form of am/pm
  std::string pmText;    // the afternoon form of am/pm
};

// The locale's own forms may refer to each other (c, ddddd, t); a malformed
// locale must not recurse without end.
constexpr int kMaxNesting = 3;

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsAsciiLetter(char c) {
  const char up = UpperAscii(c);
  return up >= 'A' && up <= 'Z';
}

bool MatchesNoCase(std::string_view text, std::size_t pos, std::string_view word) {
  if (text.size() - pos < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (UpperAscii(text[pos + k]) != UpperAscii(word[k])) return false;
  }
  return true;
}

std::size_t RunLength(std::string_view text, std::size_t pos) {
  const char up = UpperAscii(text[pos]);
  std::size_t end = pos + 1;
  while (end < text.size() && UpperAscii(text[end]) == up) ++end;
  return end - pos;
}

void AddLiteral(std::vector<Element>& out, std::string_view text) {
  if (!out.empty() && out.back().kind == Kind::Literal) {
    out.back().text.append(text);
  } else {
    out.push_back({Kind::Literal, 0, std::string(text), {}});
  }
}

// Reads an element starting with 'a' or 'A'; returns the characters used.
std::size_t ParseAmPm(std::string_view format, std::size_t pos, std::vector<Element>& out) {
  if (MatchesNoCase(format, pos, "am/pm")) {
    out.push_back({Kind::AmPmAsWritten, 0, std::string(format.substr(pos, 2)),
                   std::string(format.substr(pos + 3, 2))});
    return 5;
  }
  if (MatchesNoCase(format, pos, "a/p")) {
    out.push_back({Kind::AmPmAsWritten, 0, std::string(format.substr(pos, 1)),
                   std::string(format.substr(pos + 2, 1))});
    return 3;
  }
  if (MatchesNoCase(format, pos, "ampm")) {
    out.push_back({Kind::AmPmOfLocale, 0, {}, {}});
    return 4;
  }
  AddLiteral(out, format.substr(pos, 1));
  return 1;
}

Kind DayKind(int count) {
  if (count == 5) return Kind::ShortDate;
  if (count >= 6) return Kind::LongDate;
  return Kind::Day;
}

std::vector<Element> Parse(std::string_view format) {
  std::vector<Element> out;
  char lastLetter = 0;  // upper-case first letter of the previous letter element
  std::size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos];
    if (c == '\'' || c == '"') {
      std::size_t close = format.find(c, pos + 1);
      if (close == std::string_view::npos) close = format.size();
      AddLiteral(out, format.substr(pos + 1, close - pos - 1));
      pos = std::min(close + 1, format.size());
      continue;
    }
    if (c == '/' || c == ':') {
      out.push_back({c == '/' ? Kind::DateSeparator : Kind::TimeSeparator, 0, {}, {}});
      ++pos;
      continue;
    }
    if (!IsAsciiLetter(c)) {
      AddLiteral(out, format.substr(pos, 1));
      ++pos;
      continue;
    }
    char up = UpperAscii(c);
    if (up == 'A') {
      pos += ParseAmPm(format, pos, out);
      lastLetter = up;
      continue;
    }
    const std::size_t run = RunLength(format, pos);
    const int count = static_cast<int>(std::min<std::size_t>(run, 16));
    std::size_t used = run;
    switch (up) {
      case 'Y': out.push_back({Kind::Year, count, {}, {}}); break;
      case 'M':
        if (lastLetter == 'H') {
          up = 'N';
          out.push_back({Kind::Minute, count, {}, {}});
        } else {
          out.push_back({Kind::Month, count, {}, {}});
        }
        break;
      case 'D': out.push_back({DayKind(count), count, {}, {}}); break;
      case 'H': out.push_back({Kind::Hour, count, {}, {}}); break;
      case 'N': out.push_back({Kind::Minute, count, {}, {}}); break;
      case 'S': out.push_back({Kind::Second, count, {}, {}}); break;
      case 'Z': out.push_back({Kind::Millisecond, count, {}, {}}); break;
      case 'T': out.push_back({count == 1 ? Kind::ShortTime : Kind::LongTime, count, {}, {}}); break;
      case 'C':
        out.push_back({Kind::DateAndTime, 1, {}, {}});
        used = 1;
        break;
      default:
        // Letters without meaning are copied, but still end an hour context.
        AddLiteral(out, format.substr(pos, 1));
        used = 1;
        break;
    }
    pos += used;
    lastLetter = up;
  }
  return out;
}

void AppendNumber(std::string& out, int value, int minDigits) {
  if (value < 0) out.push_back('-');
  const std::string digits = std::to_string(std::abs(static_cast<long long>(value)));
  if (static_cast<int>(digits.size()) < minDigits) {
    out.append(static_cast<std::size_t>(minDigits) - digits.size(), '0');
  }
  out.append(digits);
}

template <std::size_t N>
const std::string& NameAt(const std::array<std::string, N>& names, int index) {
  static const std::string kNone;
  if (index < 0 || index >= static_cast<int>(N)) return kNone;
  return names[static_cast<std::size_t>(index)];
}

int TwelveHourClock(int hour) {
  const int h = hour % 12;
  return h == 0 ? 12 : h;
}

void Render(std::string_view format, const DateTimeValue& v, const LocaleFormats& locale,
            int nesting, std::string& out);

void RenderNested(const std::string& form, const DateTimeValue& v, const LocaleFormats& locale,
                  int nesting, std::string& out) {
  if (nesting < kMaxNesting) Render(form, v, locale, nesting + 1, out);
}

void RenderElement(const Element& e, bool twelveHour, const DateTimeValue& v,
                   const LocaleFormats& locale, int nesting, std::string& out) {
  switch (e.kind) {
    case Kind::Literal: out.append(e.text); break;
    case Kind::Year:
      if (e.count <= 2) {
        AppendNumber(out, ((v.year % 100) + 100) % 100, 2);
      } else {
        AppendNumber(out, v.year, 4);
      }
      break;
    case Kind::Month:
      if (e.count <= 2) {
        AppendNumber(out, v.month, e.count);
      } else {
        out.append(NameAt(e.count == 3 ? locale.shortMonthNames : locale.longMonthNames, v.month - 1));
      }
      break;
    case Kind::Day:
      if (e.count <= 2) {
        AppendNumber(out, v.day, e.count);
      } else {
        const int weekday = DayOfWeek(v.year, v.month, v.day);
        out.append(NameAt(e.count == 3 ? locale.shortDayNames : locale.longDayNames, weekday));
      }
      break;
    case Kind::ShortDate: RenderNested(locale.shortDateForm, v, locale, nesting, out); break;
    case Kind::LongDate: RenderNested(locale.longDateForm, v, locale, nesting, out); break;
    case Kind::Hour:
      AppendNumber(out, twelveHour ? TwelveHourClock(v.hour) : v.hour, std::min(e.count, 2));
      break;
    case Kind::Minute: AppendNumber(out, v.minute, std::min(e.count, 2)); break;
    case Kind::Second: AppendNumber(out, v.second, std::min(e.count, 2)); break;
    case Kind::Millisecond: AppendNumber(out, 0, e.count >= 3 ? 3 : 1); break;
    case Kind::AmPmAsWritten: out.append(v.hour < 12 ? e.text : e.pmText); break;
    case Kind::AmPmOfLocale: out.append(v.hour < 12 ? locale.amText : locale.pmText); break;
    case Kind::DateSeparator: out.append(locale.dateSeparator); break;
    case Kind::TimeSeparator: out.append(locale.timeSeparator); break;
    case Kind::DateAndTime:
      RenderNested(locale.shortDateForm, v, locale, nesting, out);
      if (v.hour != 0 || v.minute != 0 || v.second != 0) {
        out.push_back(' ');
        RenderNested(locale.longTimeForm, v, locale, nesting, out);
      }
      break;
    case Kind::ShortTime: RenderNested(locale.shortTimeForm, v, locale, nesting, out); break;
    case Kind::LongTime: RenderNested(locale.longTimeForm, v, locale, nesting, out); break;
  }
}

void Render(std::string_view format, const DateTimeValue& v, const LocaleFormats& locale,
            int nesting, std::string& out) {
  const std::vector<Element> elements = Parse(format);
  const bool twelveHour = std::any_of(elements.begin(), elements.end(), [](const Element& e) {
    return e.kind == Kind::AmPmAsWritten || e.kind == Kind::AmPmOfLocale;
  });
  for (const Element& e : elements) RenderElement(e, twelveHour, v, locale, nesting, out);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[static_cast<std::size_t>(month - 1)];
}

bool IsValidDate(int year, int month, int day) {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

}  // namespace

LocaleFormats EnglishLocaleFormats() {
  LocaleFormats l;
  l.dateSeparator = "/";
  l.timeSeparator = ":";
  l.shortDateForm = "d mmm yyyy";
  l.longDateForm = "dddd, d mmmm yyyy";
  l.shortTimeForm = "hh:nn:ss";
  l.longTimeForm = "hh:nn:ss";
  l.shortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  l.longMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
  l.shortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  l.longDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  l.amText = "AM";
  l.pmText = "PM";
  return l;
}

bool IsValidDateTime(const DateTimeValue& v) {
  return IsValidDate(v.year, v.month, v.day) && v.hour >= 0 && v.hour <= 23 && v.minute >= 0 &&
         v.minute <= 59 && v.second >= 0 && v.second <= 59;
}

int DayOfWeek(int year, int month, int day) {
  if (!IsValidDate(year, month, day)) return -1;
  // Count days from 1 March of year 0 so that the leap day falls last.
  const int y = month <= 2 ? year - 1 : year;
  const int m = month <= 2 ? month + 9 : month - 3;
  const long long days = 365LL * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + day - 1;
  // 1 March of year 0 (proleptic Gregorian) was a Wednesday.
  return static_cast<int>((days + 3) % 7);
}

std::string FormatDateTime(std::string_view format, const DateTimeValue& value,
                           const LocaleFormats& locale) {
  std::string out;
  Render(format, value, locale, 0, out);
  return out;
}

DateTimeValue LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace korvid::settings
