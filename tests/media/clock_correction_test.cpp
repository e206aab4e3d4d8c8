// The clock offset as users write it, and its application to one frame:
// carries over midnight, month and year ends and 29 February, the weekday
// following the date, and no byte outside the date and time packs changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/clock_correction.h"
#include "media/datecode_shift.h"
#include "media/dv_pack_layout.h"
#include "media/dv_pack_writer.h"
#include "support/dv_pack_frames.h"

namespace korvid {
namespace {

using media::ParseClockOffset;
using media::TDatecode;

TEST(ClockOffset, ReadsDaysHoursMinutesAndSecondsWithTheirSign) {
  EXPECT_EQ(ParseClockOffset("+1d"), 86400);
  EXPECT_EQ(ParseClockOffset("-0:59:30"), -(59 * 60 + 30));
  EXPECT_EQ(ParseClockOffset("+365d6:00"), 365 * 86400 + 6 * 3600);
  EXPECT_EQ(ParseClockOffset("2"), 7200);
  EXPECT_EQ(ParseClockOffset(" -1d0:00:01 "), -86401);
  EXPECT_EQ(ParseClockOffset("+48:00"), 48 * 3600);
  EXPECT_EQ(media::ClockOffsetText(86400), "+1d");
  EXPECT_EQ(media::ClockOffsetText(-(59 * 60 + 30)), "-59m30s");
  EXPECT_EQ(media::ClockOffsetText(365 * 86400 + 6 * 3600), "+365d6h");

  for (const char* wrong : {"", "+", "1.5", "+1:5", "+1:60", "+0:00:61", "1d2d", "+1h", "--1", "+0", "-0:00:00",
                            "+40000d", "+123456789012"}) {
    SCOPED_TRACE(wrong);
    EXPECT_THROW(ParseClockOffset(wrong), media::ClockOffsetError);
  }
}

// Dated as a camcorder dates it, with the weekday set in every copy.
std::vector<std::uint8_t> DatedFrame(const TDatecode& dc) {
  std::vector<std::uint8_t> frame = test::BlankDvFrame(media::DvSystem::k625_50);
  EXPECT_TRUE(media::WriteDatecode(frame, dc));
  media::ForEachPackSlot(std::span<const std::uint8_t>(frame), [&](const media::PackSlot& slot) {
    if (frame[slot.offset] == media::kRecordingDatePack)
      frame[slot.offset + 3] = static_cast<std::uint8_t>((frame[slot.offset + 3] & 0x1F) | media::WeekdayOf(dc) << 5);
  });
  return frame;
}

struct Move {
  TDatecode from;
  const char* offset;
  TDatecode to;
};

TEST(CorrectFrameClock, CarriesOverMidnightMonthsYearsAndLeapDays) {
  const std::vector<Move> moves = {
      {{2005, 8, 14, 23, 59, 50}, "+0:00:15", {2005, 8, 15, 0, 0, 5}},
      {{2005, 1, 31, 12, 0, 0}, "+1d", {2005, 2, 1, 12, 0, 0}},
      {{2004, 2, 28, 23, 30, 0}, "+1:00", {2004, 2, 29, 0, 30, 0}},
      {{2005, 2, 28, 23, 30, 0}, "+1:00", {2005, 3, 1, 0, 30, 0}},
      {{2004, 3, 1, 0, 0, 10}, "-0:00:20", {2004, 2, 29, 23, 59, 50}},
      {{2004, 12, 31, 22, 0, 0}, "+365d6:00", {2006, 1, 1, 4, 0, 0}},
      {{2000, 1, 1, 0, 2, 0}, "-1d", {1999, 12, 31, 0, 2, 0}},
  };
  for (const Move& move : moves) {
    SCOPED_TRACE(move.offset);
    std::vector<std::uint8_t> frame = DatedFrame(move.from);
    ASSERT_EQ(media::CorrectFrameClock(frame, ParseClockOffset(move.offset)), media::ClockCorrection::kCorrected);
    EXPECT_EQ(test::FixedDatecode(frame), move.to);
    // The weekday field (bits 5-7 of the date pack's month byte) follows.
    EXPECT_EQ(frame[media::kFirstDateOffset + 3] >> 5, media::WeekdayOf(move.to));
  }
}

TEST(CorrectFrameClock, ChangesOnlyTheDateAndTimePacks) {
  std::vector<std::uint8_t> frame = DatedFrame({2005, 8, 14, 15, 2, 11});
  media::WriteTimecode(frame, {1, 2, 3, 4});
  // A flag bit of the date pack's day byte that is no digit.
  frame[media::kFirstDateOffset + 2] |= 0x40;
  const std::vector<std::uint8_t> before = frame;
  ASSERT_EQ(media::CorrectFrameClock(frame, 86400 + 3600), media::ClockCorrection::kCorrected);

  std::vector<bool> inDatePack(frame.size(), false);
  std::size_t copies = 0;
  media::ForEachPackSlot(std::span<const std::uint8_t>(before), [&](const media::PackSlot& slot) {
    if (before[slot.offset] != media::kRecordingDatePack && before[slot.offset] != media::kRecordingTimePack) return;
    ++copies;
    for (std::size_t i = 1; i < media::kPackBytes; ++i) inDatePack[slot.offset + i] = true;
  });
  EXPECT_GT(copies, 4u);
  for (std::size_t i = 0; i < frame.size(); ++i)
    if (!inDatePack[i]) {
      ASSERT_EQ(frame[i], before[i]) << "byte " << i;
    }
  EXPECT_EQ(test::FixedDatecode(frame), (TDatecode{2005, 8, 15, 16, 2, 11}));
  EXPECT_EQ(frame[media::kFirstDateOffset + 2] & 0x40, 0x40);
  EXPECT_EQ(test::FixedTimecode(frame), (media::TTimecode{1, 2, 3, 4}));
}

TEST(CorrectFrameClock, LeavesUndatedFramesAndRefusesDatesDvCannotHold) {
  std::vector<std::uint8_t> undated = test::BlankDvFrame(media::DvSystem::k525_60);
  const std::vector<std::uint8_t> blank = undated;
  EXPECT_EQ(media::CorrectFrameClock(undated, 3600), media::ClockCorrection::kUndated);
  EXPECT_EQ(undated, blank);

  std::vector<std::uint8_t> late = DatedFrame({2039, 12, 31, 23, 0, 0});
  const std::vector<std::uint8_t> kept = late;
  EXPECT_THROW(media::CorrectFrameClock(late, 7200), media::ClockOffsetError);
  EXPECT_EQ(late, kept);
}

}  // namespace
}  // namespace korvid
