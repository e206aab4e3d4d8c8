#include "settings/system_locale.h"

#include <QLocale>
#include <QString>

namespace korvid::settings {

namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

void AppendQuoted(std::string& out, std::string_view text) {
  if (text.empty()) return;
  if (text.find('\'') == std::string_view::npos) {
    out.append("'").append(text).append("'");
  } else if (text.find('"') == std::string_view::npos) {
    out.append("\"").append(text).append("\"");
  } else {
    for (char c : text) AppendQuoted(out, std::string_view(&c, 1));
  }
}

// Qt quotes with '...' and doubles a quote to write one.
std::size_t CopyQtQuoted(std::string_view pattern, std::size_t pos, std::string& out) {
  if (pos + 1 < pattern.size() && pattern[pos + 1] == '\'') {
    AppendQuoted(out, "'");
    return 2;
  }
  std::string literal;
  std::size_t i = pos + 1;
  while (i < pattern.size()) {
    if (pattern[i] == '\'') {
      if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
        literal.push_back('\'');
        i += 2;
        continue;
      }
      ++i;
      break;
    }
    literal.push_back(pattern[i++]);
  }
  AppendQuoted(out, literal);
  return i - pos;
}

// The zone has no counterpart; take its spacing and brackets with it.
void DropTimeZone(std::string& out) {
  while (!out.empty() && (out.back() == ' ' || out.back() == '(')) out.pop_back();
}

void AppendRun(std::string& out, char letter, std::size_t count) { out.append(count, letter); }

}  // namespace

std::string FromQtDateTimePattern(std::string_view pattern) {
  std::string out;
  bool skipClosingBracket = false;
  std::size_t pos = 0;
  while (pos < pattern.size()) {
    const char c = pattern[pos];
    if (c == '\'') {
      pos += CopyQtQuoted(pattern, pos, out);
      continue;
    }
    if (!IsAsciiLetter(c)) {
      if (c == ')' && skipClosingBracket) {
        skipClosingBracket = false;
      } else if (c == '"') {
        AppendQuoted(out, "\"");
      } else {
        out.push_back(c);
      }
      ++pos;
      continue;
    }
    std::size_t run = 1;
    while (pos + run < pattern.size() && pattern[pos + run] == c) ++run;
    skipClosingBracket = false;
    switch (c) {
      case 'd': AppendRun(out, 'd', run > 4 ? 4 : run); break;
      case 'M': AppendRun(out, 'm', run > 4 ? 4 : run); break;
      case 'y': out.append(run <= 2 ? "yy" : "yyyy"); break;
      case 'h':
      case 'H': AppendRun(out, 'h', run > 2 ? 2 : run); break;
      case 'm': AppendRun(out, 'n', run > 2 ? 2 : run); break;
      case 's': AppendRun(out, 's', run > 2 ? 2 : run); break;
      case 'z': AppendRun(out, 'z', run >= 3 ? 3 : 1); break;
      case 'A':
      case 'a':
        // "AP", "ap", "A" and "a" all name the morning/afternoon marker.
        out.append("ampm");
        if (pos + 1 < pattern.size() && (pattern[pos + 1] == 'P' || pattern[pos + 1] == 'p')) run = 2;
        else run = 1;
        break;
      case 't':
        DropTimeZone(out);
        skipClosingBracket = true;
        break;
      default: AppendQuoted(out, pattern.substr(pos, run)); break;
    }
    pos += run;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

namespace {

// The first character between fields of a Qt pattern, outside quotes.
std::string FirstSeparator(std::string_view pattern, const char* fallback) {
  bool quoted = false;
  bool seenField = false;
  for (char c : pattern) {
    if (c == '\'') {
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    if (IsAsciiLetter(c)) {
      seenField = true;
    } else if (seenField && c != ' ') {
      return std::string(1, c);
    }
  }
  return fallback;
}

}  // namespace

LocaleFormats LocaleFormatsOf(const QLocale& locale) {
  LocaleFormats l;
  const std::string shortDate = Utf8(locale.dateFormat(QLocale::ShortFormat));
  const std::string shortTime = Utf8(locale.timeFormat(QLocale::ShortFormat));
  if (locale.language() == QLocale::C) {
    l.dateSeparator = "/";
    l.timeSeparator = ":";
  } else {
    l.dateSeparator = FirstSeparator(shortDate, "/");
    l.timeSeparator = FirstSeparator(shortTime, ":");
  }
  l.shortDateForm = FromQtDateTimePattern(shortDate);
  l.longDateForm = FromQtDateTimePattern(Utf8(locale.dateFormat(QLocale::LongFormat)));
  l.shortTimeForm = FromQtDateTimePattern(shortTime);
  l.longTimeForm = FromQtDateTimePattern(Utf8(locale.timeFormat(QLocale::LongFormat)));
  for (int month = 1; month <= 12; ++month) {
    const auto index = static_cast<std::size_t>(month - 1);
    l.shortMonthNames[index] = Utf8(locale.monthName(month, QLocale::ShortFormat));
    l.longMonthNames[index] = Utf8(locale.monthName(month, QLocale::LongFormat));
  }
  for (int weekday = 0; weekday < 7; ++weekday) {
    // Qt counts the week from Monday = 1 to Sunday = 7.
    const int qtDay = weekday == 0 ? 7 : weekday;
    const auto index = static_cast<std::size_t>(weekday);
    l.shortDayNames[index] = Utf8(locale.dayName(qtDay, QLocale::ShortFormat));
    l.longDayNames[index] = Utf8(locale.dayName(qtDay, QLocale::LongFormat));
  }
  l.amText = Utf8(locale.amText());
  l.pmText = Utf8(locale.pmText());
  return l;
}

LocaleFormats SystemLocaleFormats() { return LocaleFormatsOf(QLocale::system()); }

}  // namespace korvid::settings
