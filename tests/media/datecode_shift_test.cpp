#include "media/datecode_shift.h"

#include <gtest/gtest.h>

namespace korvid::media {
namespace {

TDatecode At(std::int32_t y, int mo, int d, int h, int mi = 30, int s = 15) {
  return TDatecode{y, static_cast<std::uint8_t>(mo), static_cast<std::uint8_t>(d),
                   static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(mi),
                   static_cast<std::uint8_t>(s)};
}

TEST(ShiftDatecode, CarriesAcrossMidnightMonthsAndYears) {
  EXPECT_EQ(ShiftDatecode(At(2005, 8, 14, 15), 2), At(2005, 8, 14, 17));
  EXPECT_EQ(ShiftDatecode(At(2005, 8, 14, 23), 1), At(2005, 8, 15, 0));
  EXPECT_EQ(ShiftDatecode(At(2005, 8, 14, 0), -1), At(2005, 8, 13, 23));
  EXPECT_EQ(ShiftDatecode(At(2005, 4, 30, 22), 5), At(2005, 5, 1, 3));
  EXPECT_EQ(ShiftDatecode(At(2005, 5, 1, 3), -5), At(2005, 4, 30, 22));
  EXPECT_EQ(ShiftDatecode(At(2004, 12, 31, 23), 1), At(2005, 1, 1, 0));
  EXPECT_EQ(ShiftDatecode(At(2005, 1, 1, 0), -1), At(2004, 12, 31, 23));
  EXPECT_EQ(ShiftDatecode(At(2005, 1, 1, 5), -23), At(2004, 12, 31, 6));
  EXPECT_EQ(ShiftDatecode(At(2005, 1, 1, 5), 0), At(2005, 1, 1, 5));
}

TEST(ShiftDatecode, FebruaryFollowsTheLeapYearRules) {
  // 2000 and 2004 are leap years, 1900 and 2005 are not.
  EXPECT_EQ(ShiftDatecode(At(2000, 3, 1, 0), -1), At(2000, 2, 29, 23));
  EXPECT_EQ(ShiftDatecode(At(2004, 3, 1, 10), -12), At(2004, 2, 29, 22));
  EXPECT_EQ(ShiftDatecode(At(1900, 3, 1, 0), -1), At(1900, 2, 28, 23));
  EXPECT_EQ(ShiftDatecode(At(2005, 3, 1, 0), -1), At(2005, 2, 28, 23));
  EXPECT_EQ(ShiftDatecode(At(2000, 2, 28, 23), 1), At(2000, 2, 29, 0));
  EXPECT_EQ(ShiftDatecode(At(1900, 2, 28, 23), 1), At(1900, 3, 1, 0));
  EXPECT_EQ(ShiftDatecode(At(2004, 2, 29, 23), 2), At(2004, 3, 1, 1));
}

TEST(ShiftDatecode, LeavesAbsentAndImpossibleDatecodesAlone) {
  const TDatecode none{-1, 2, 3, 4, 5, 6};
  EXPECT_EQ(ShiftDatecode(none, 5), none);
  EXPECT_EQ(ShiftDatecode(At(2005, 25, 1, 5), 5), At(2005, 25, 1, 5));
  EXPECT_EQ(ShiftDatecode(At(2005, 2, 29, 5), 5), At(2005, 2, 29, 5));
  EXPECT_EQ(ShiftDatecode(At(2005, 2, 1, 24), 5), At(2005, 2, 1, 24));
  EXPECT_FALSE(IsCalendarDatecode(At(2005, 4, 31, 0)));
  EXPECT_TRUE(IsCalendarDatecode(At(2000, 2, 29, 23, 59, 59)));
  // Before year 1 there is no datecode to give.
  EXPECT_EQ(ShiftDatecode(At(1, 1, 1, 0), -1), At(1, 1, 1, 0));
}

}  // namespace
}  // namespace korvid::media
