#include "settings/system_locale.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace korvid::settings {
namespace {

const DateTimeValue kAfternoon{2005, 8, 14, 15, 2, 11};

TEST(QtPatternConversion, FieldsAndLiterals) {
  EXPECT_EQ(FromQtDateTimePattern("M/d/yy"), "m/d/yy");
  EXPECT_EQ(FromQtDateTimePattern("dd.MM.yyyy"), "dd.mm.yyyy");
  EXPECT_EQ(FromQtDateTimePattern("dddd, MMMM d, yyyy"), "dddd, mmmm d, yyyy");
  EXPECT_EQ(FromQtDateTimePattern("dddd, d 'de' MMMM 'de' yyyy"), "dddd, d 'de' mmmm 'de' yyyy");
  EXPECT_EQ(FromQtDateTimePattern("h:mm AP"), "h:nn ampm");
  EXPECT_EQ(FromQtDateTimePattern("HH:mm:ss.zzz"), "hh:nn:ss.zzz");
  // Letters Qt copies would mean something here: they are quoted.
  EXPECT_EQ(FromQtDateTimePattern("HH 'h' mm"), "hh 'h' nn");
  EXPECT_EQ(FromQtDateTimePattern("HH'o''clock'"), "hh\"o'clock\"");
  EXPECT_EQ(FromQtDateTimePattern("HHcmm"), "hh'c'nn");
}

TEST(QtPatternConversion, TimeZoneIsDropped) {
  EXPECT_EQ(FromQtDateTimePattern("HH:mm:ss t"), "hh:nn:ss");
  EXPECT_EQ(FromQtDateTimePattern("H:mm:ss (t)"), "h:nn:ss");
  EXPECT_EQ(FromQtDateTimePattern("h:mm:ss AP t"), "h:nn:ss ampm");
}

TEST(LocaleFormats, CLocaleUsesPlainSeparatorsAndEnglish) {
  const LocaleFormats l = LocaleFormatsOf(QLocale::c());
  EXPECT_EQ(l.dateSeparator, "/");
  EXPECT_EQ(l.timeSeparator, ":");
  EXPECT_EQ(l.longMonthNames[7], "August");
  EXPECT_EQ(l.longDayNames[0], "Sunday");
  EXPECT_EQ(l.shortDayNames[6], "Sat");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss am/pm", kAfternoon, l), "2005/08/14 03:02:11 pm");
  EXPECT_EQ(FormatDateTime("ddddd", kAfternoon, l), "14 Aug 2005");
  EXPECT_EQ(FormatDateTime("tt", kAfternoon, l), "15:02:11");
}

TEST(LocaleFormats, GermanLocale) {
  const LocaleFormats l = LocaleFormatsOf(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(l.dateSeparator, ".");
  EXPECT_EQ(l.timeSeparator, ":");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd", kAfternoon, l), "2005.08.14");
  EXPECT_EQ(FormatDateTime("ddddd", kAfternoon, l), "14.08.05");
  EXPECT_EQ(FormatDateTime("dddd mmmm", kAfternoon, l), "Sonntag August");
}

TEST(LocaleFormats, AmericanLocaleUsesTwelveHourTimes) {
  const LocaleFormats l = LocaleFormatsOf(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(l.dateSeparator, "/");
  EXPECT_EQ(FormatDateTime("ddddd", kAfternoon, l), "8/14/05");
  EXPECT_EQ(FormatDateTime("t", kAfternoon, l), "3:02 PM");
  EXPECT_EQ(FormatDateTime("dddddd", kAfternoon, l), "Sunday, August 14, 2005");
}

}  // namespace
}  // namespace korvid::settings
