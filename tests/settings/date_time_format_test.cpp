#include "settings/date_time_format.h"

#include <gtest/gtest.h>

namespace korvid::settings {
namespace {

const DateTimeValue kAfternoon{2005, 8, 14, 15, 2, 11};  // a Sunday

std::string Fmt(std::string_view format, const DateTimeValue& value = kAfternoon) {
  return FormatDateTime(format, value, EnglishLocaleFormats());
}

LocaleFormats DottedLocale() {
  LocaleFormats l = EnglishLocaleFormats();
  l.dateSeparator = ".";
  l.timeSeparator = "-";
  l.amText = "vorm.";
  l.pmText = "nachm.";
  return l;
}

TEST(DateTimeFormat, StoredFormatsOfTheProgram) {
  EXPECT_EQ(Fmt("yyyy.mm.dd_hh.nn.ss_am/pm"), "2005.08.14_03.02.11_pm");
  EXPECT_EQ(Fmt("yyyy/mm/dd hh:nn:ss am/pm"), "2005/08/14 03:02:11 pm");
  EXPECT_EQ(Fmt("yyyymmdd_hh.nn.ss_am/pm"), "20050814_03.02.11_pm");
  // Sort key of file dates: 24-hour digits only.
  EXPECT_EQ(Fmt("yyyymmddhhnnss"), "20050814150211");
  EXPECT_EQ(Fmt("yyyymmddhhnnss", {2003, 1, 2, 3, 4, 5}), "20030102030405");
}

TEST(DateTimeFormat, ReportBannerForms) {
  const DateTimeValue morning{2005, 1, 3, 9, 5, 7};
  EXPECT_EQ(Fmt("yyyy/mm/d", morning), "2005/01/3");
  EXPECT_EQ(Fmt("h:mm:ss", morning), "9:05:07");
  EXPECT_EQ(Fmt("ddddd hh:nn:ss"), "14 Aug 2005 15:02:11");
  EXPECT_EQ(Fmt("dddddd 'at' hh:mm:ss"), "Sunday, 14 August 2005 at 15:02:11");
}

TEST(DateTimeFormat, SeparatorsComeFromTheLocale) {
  const LocaleFormats dotted = DottedLocale();
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss", kAfternoon, dotted), "2005.08.14 15-02-11");
  // Quoted separators are text, not placeholders.
  EXPECT_EQ(FormatDateTime("'/' \":\"", kAfternoon, dotted), "/ :");
}

TEST(DateTimeFormat, MonthOrMinutesDependsOnThePrecedingLetter) {
  const DateTimeValue v{2005, 1, 3, 15, 2, 11};
  EXPECT_EQ(Fmt("m", v), "1");
  EXPECT_EQ(Fmt("mm", v), "01");
  EXPECT_EQ(Fmt("hh:m", v), "15:2");
  EXPECT_EQ(Fmt("hh.mm", v), "15.02");
  EXPECT_EQ(Fmt("hh'h'mm", v), "15h02");  // quoted text does not end the hour context
  EXPECT_EQ(Fmt("hh dd mm", v), "15 03 01");
  EXPECT_EQ(Fmt("hh x mm", v), "15 x 01");  // any letter ends it
  EXPECT_EQ(Fmt("mm hh", v), "01 15");
}

TEST(DateTimeFormat, NumberWidths) {
  const DateTimeValue v{987, 3, 4, 5, 6, 7};
  EXPECT_EQ(Fmt("yyyy", v), "0987");
  EXPECT_EQ(Fmt("yy", v), "87");
  EXPECT_EQ(Fmt("y", {2005, 1, 1, 0, 0, 0}), "05");
  EXPECT_EQ(Fmt("d/m/yyyy h:n:s", v), "4/3/0987 5:6:7");
  EXPECT_EQ(Fmt("dd/mm hhh:nnn:sss", v), "04/03 05:06:07");  // runs longer than two cap at two
  EXPECT_EQ(Fmt("z zzz", v), "0 000");
}

TEST(DateTimeFormat, TwelveHourClock) {
  auto at = [](int hour) { return DateTimeValue{2005, 8, 14, hour, 0, 0}; };
  EXPECT_EQ(Fmt("hh am/pm", at(0)), "12 am");
  EXPECT_EQ(Fmt("hh am/pm", at(11)), "11 am");
  EXPECT_EQ(Fmt("hh am/pm", at(12)), "12 pm");
  EXPECT_EQ(Fmt("h am/pm", at(23)), "11 pm");
  EXPECT_EQ(Fmt("hh AM/PM", at(13)), "01 PM");
  EXPECT_EQ(Fmt("h Am/pM", at(13)), "1 pM");  // the case is the one written
  EXPECT_EQ(Fmt("h a/p", at(0)), "12 a");
  EXPECT_EQ(Fmt("h A/P", at(12)), "12 P");
  EXPECT_EQ(Fmt("hh", at(0)), "00");
  EXPECT_EQ(Fmt("hh", at(23)), "23");
  EXPECT_EQ(FormatDateTime("h ampm", at(9), DottedLocale()), "9 vorm.");
  EXPECT_EQ(FormatDateTime("h ampm", at(21), DottedLocale()), "9 nachm.");
}

TEST(DateTimeFormat, LiteralTextAndUnknownLetters) {
  EXPECT_EQ(Fmt("'yyyy mm' \"hh:nn\" yyyy"), "yyyy mm hh:nn 2005");
  EXPECT_EQ(Fmt("\"it's\" yy"), "it's 05");
  EXPECT_EQ(Fmt("'open ended"), "open ended");  // an unclosed quote runs to the end
  EXPECT_EQ(Fmt("''yy"), "05");
  EXPECT_EQ(Fmt("Qbx-yy_ #.é"), "Qbx-05_ #.é");
  EXPECT_EQ(Fmt("a b"), "a b");  // a lone a is no am/pm marker
  EXPECT_EQ(Fmt(""), "");
}

TEST(DateTimeFormat, NamesAndLocaleForms) {
  EXPECT_EQ(Fmt("mmm mmmm"), "Aug August");
  EXPECT_EQ(Fmt("ddd dddd"), "Sun Sunday");
  EXPECT_EQ(Fmt("yyyy mmmm ddddd hh:nn:ss"), "2005 August 14 Aug 2005 15:02:11");
  EXPECT_EQ(Fmt("c"), "14 Aug 2005 15:02:11");
  EXPECT_EQ(Fmt("c", {2005, 8, 14, 0, 0, 0}), "14 Aug 2005");
  LocaleFormats l = EnglishLocaleFormats();
  l.shortTimeForm = "h:nn ampm";
  l.longTimeForm = "hh:nn:ss";
  EXPECT_EQ(FormatDateTime("t", kAfternoon, l), "3:02 PM");
  EXPECT_EQ(FormatDateTime("tt", kAfternoon, l), "15:02:11");
}

TEST(DateTimeFormat, ImpossibleValuesNeverCrash) {
  const DateTimeValue bad{2005, 13, 32, 24, 60, 61};
  EXPECT_EQ(Fmt("yyyy/mm/dd hh:nn:ss", bad), "2005/13/32 24:60:61");
  EXPECT_EQ(Fmt("[mmm][mmmm][ddd][dddd]", bad), "[][][][]");
  EXPECT_EQ(Fmt("mmmm", {2005, 0, 1, 0, 0, 0}), "");
  EXPECT_EQ(Fmt("yyyy", {-5, 1, 1, 0, 0, 0}), "-0005");
}

TEST(DateTimeFormat, SelfReferringLocaleFormsStop) {
  LocaleFormats l = EnglishLocaleFormats();
  l.shortDateForm = "x ddddd";
  l.longTimeForm = "c";
  EXPECT_EQ(FormatDateTime("ddddd", kAfternoon, l), "x x x ");
  EXPECT_FALSE(FormatDateTime("c", kAfternoon, l).empty());
}

TEST(DateTimeCalendar, DayOfWeekAndValidity) {
  EXPECT_EQ(DayOfWeek(2005, 8, 14), 0);
  EXPECT_EQ(DayOfWeek(2000, 1, 1), 6);
  EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);
  EXPECT_EQ(DayOfWeek(1900, 3, 1), 4);
  EXPECT_EQ(DayOfWeek(1, 1, 1), 1);
  EXPECT_EQ(DayOfWeek(2001, 2, 29), -1);
  EXPECT_EQ(DayOfWeek(1900, 2, 29), -1);

  EXPECT_TRUE(IsValidDateTime({2004, 2, 29, 23, 59, 59}));
  EXPECT_FALSE(IsValidDateTime({2005, 13, 1, 0, 0, 0}));
  EXPECT_FALSE(IsValidDateTime({2005, 4, 31, 0, 0, 0}));
  EXPECT_FALSE(IsValidDateTime({2005, 1, 32, 0, 0, 0}));
  EXPECT_FALSE(IsValidDateTime({2005, 1, 1, 24, 0, 0}));
  EXPECT_FALSE(IsValidDateTime({2005, 1, 1, 0, 60, 0}));
  EXPECT_FALSE(IsValidDateTime({2005, 1, 1, 0, 0, 60}));
  EXPECT_FALSE(IsValidDateTime({0, 1, 1, 0, 0, 0}));
  EXPECT_FALSE(IsValidDateTime({2005, 0, 1, 0, 0, 0}));
}

}  // namespace
}  // namespace korvid::settings
