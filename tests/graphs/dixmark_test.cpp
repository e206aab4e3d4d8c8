#include "graphs/dixmark.h"

#include <set>

#include "media/dv_pack_layout.h"
#include "media/dv_frame_facts.h"
#include "media/dv_pack_writer.h"
#include "support/dv_pack_frames.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using media::DvSystem;
using media::TDatecode;
using media::TTimecode;

TDatecode DatecodeOf(std::span<const std::uint8_t> frame) {
  return test::FixedDatecode(frame);
}

std::vector<std::uint8_t> SourceFrame(DvSystem system, const TDatecode& dc, bool wide = false) {
  auto frame = test::BlankDvFrame(system);
  EXPECT_TRUE(media::WriteDatecode(frame, dc));
  EXPECT_TRUE(media::WriteTimecode(frame, TTimecode{1, 2, 3, 4}));
  EXPECT_TRUE(media::WriteWideScreen(frame, wide));
  return frame;
}

// Settings the way each graph hands them over.
Dixmark ForConversion(int hours, bool wide) {
  Dixmark d;
  d.SetEnabled(1);
  d.SetHourOffset(hours);
  d.SetInlaySource(0);
  d.SetApplyShift(1);
  d.SetWideScreen(wide ? 1 : 0);
  return d;
}

Dixmark ForHeaderFix(int hours) {
  Dixmark d;
  d.SetEnabled(1);
  d.SetHourOffset(hours);
  d.SetInlaySource(0);
  d.SetApplyShift(0);
  d.SetInPlace(1);
  return d;
}

TEST(Dixmark, MovesTheDatecodeOnlyWhenItsSettingsAskForIt) {
  const TDatecode dc{2004, 12, 31, 22, 10, 20};
  // The header fix moves the frame's own datecode.
  auto frame = SourceFrame(DvSystem::k625_50, dc);
  ASSERT_TRUE(ForHeaderFix(-5).ProcessInPlace(frame));
  EXPECT_EQ(DatecodeOf(frame), (TDatecode{2004, 12, 31, 17, 10, 20}));

  // An offset alone copies the datecode as it was; the shift moves it.
  Dixmark inlay;
  inlay.SetEnabled(1);
  inlay.SetHourOffset(4);
  inlay.SetInlaySource(1);
  const auto source = SourceFrame(DvSystem::k625_50, dc);
  auto unshifted = test::BlankDvFrame(DvSystem::k625_50);
  ASSERT_TRUE(inlay.Process(unshifted, source));
  EXPECT_EQ(DatecodeOf(unshifted), dc);
  inlay.SetApplyShift(1);
  auto shifted = test::BlankDvFrame(DvSystem::k625_50);
  ASSERT_TRUE(inlay.Process(shifted, source));
  EXPECT_EQ(DatecodeOf(shifted), (TDatecode{2005, 1, 1, 2, 10, 20}));
}

TEST(Dixmark, CopiesAndShiftsPacksOntoAFrameOfTheOtherSystem) {
  const auto source = SourceFrame(DvSystem::k625_50, {2004, 12, 31, 22, 10, 20});
  auto output = test::BlankDvFrame(DvSystem::k525_60);
  ASSERT_TRUE(ForConversion(3, true).Process(output, source));
  EXPECT_EQ(DatecodeOf(output), (TDatecode{2005, 1, 1, 1, 10, 20}));
  EXPECT_EQ(test::FixedTimecode(output), (TTimecode{1, 2, 3, 4}));
  EXPECT_TRUE(test::FixedWide(output));
  // The last sequence of the shorter output got its copy too.
  test::BlankFirstSequencePacks(output);
  const TDatecode last = media::ReadDvFrameFacts(output).datecode;
  EXPECT_EQ(last.year, 2005);
}

TEST(Dixmark, ClearsTheWideFlagOrCopiesItWhenNotTold) {
  const auto source = SourceFrame(DvSystem::k625_50, {2004, 5, 6, 7, 8, 9}, true);
  auto output = source;
  ASSERT_TRUE(ForConversion(0, false).Process(output, source));
  EXPECT_FALSE(test::FixedWide(output));

  Dixmark plain;
  plain.SetEnabled(1);
  auto fresh = test::BlankDvFrame(DvSystem::k625_50);
  ASSERT_TRUE(plain.Process(fresh, source));
  EXPECT_TRUE(test::FixedWide(fresh));
  EXPECT_EQ(DatecodeOf(fresh), (TDatecode{2004, 5, 6, 7, 8, 9}));
}

TEST(Dixmark, UndatedSourceGivesUndatedOutput) {
  auto source = SourceFrame(DvSystem::k625_50, {2004, 5, 6, 7, 8, 9});
  media::ClearDatecode(source);
  auto output = SourceFrame(DvSystem::k625_50, {2010, 1, 1, 1, 1, 1});
  ASSERT_TRUE(ForConversion(5, false).Process(output, source));
  const TDatecode dc = media::ReadDvFrameFacts(output).datecode;
  EXPECT_FALSE(media::HasDatecode(dc));

  // In place, a frame without a datecode is left exactly as it was.
  auto frame = source;
  ASSERT_TRUE(ForHeaderFix(5).ProcessInPlace(frame));
  EXPECT_EQ(frame, source);
}

TEST(Dixmark, KeepsTheDatecodeWhenTheShiftCannotBeRecorded) {
  auto frame = SourceFrame(DvSystem::k625_50, {2039, 12, 31, 23, 30, 0});
  ASSERT_TRUE(ForHeaderFix(1).ProcessInPlace(frame));
  EXPECT_EQ(DatecodeOf(frame), (TDatecode{2039, 12, 31, 23, 30, 0}));
}

TEST(Dixmark, DisabledOrNonDvFramesAreLeftAlone) {
  const auto source = SourceFrame(DvSystem::k625_50, {2004, 5, 6, 7, 8, 9});
  auto output = test::BlankDvFrame(DvSystem::k625_50);
  const auto before = output;
  Dixmark off = ForConversion(2, true);
  off.SetEnabled(0);
  EXPECT_FALSE(off.Process(output, source));
  EXPECT_FALSE(ForConversion(2, true).Process(output, std::span<const std::uint8_t>{}));
  const std::vector<std::uint8_t> junk(1000, 0x42);
  EXPECT_FALSE(ForConversion(2, true).Process(output, junk));
  EXPECT_EQ(output, before);
}

TEST(Dixmark, FixesARealFrameInPlaceTouchingOnlyDateAndTimePacks) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const auto original = test::ReadRealFixture("sony_perfect.dv");
  ASSERT_FALSE(original.empty());
  auto frame = original;
  ASSERT_TRUE(ForHeaderFix(5).ProcessInPlace(frame));
  EXPECT_EQ(DatecodeOf(frame), (TDatecode{2024, 7, 9, 0, 55, 58}));
  EXPECT_EQ(test::FixedTimecode(frame), test::FixedTimecode(original));
  EXPECT_FALSE(test::FixedWide(frame));

  std::vector<bool> inDatePack(frame.size(), false);
  media::ForEachPackSlot(frame, [&](const media::PackSlot& slot) {
    const std::uint8_t h = frame[slot.offset];
    if (h == media::kRecordingDatePack || h == media::kRecordingTimePack) {
      for (std::size_t i = 0; i < media::kPackBytes; ++i) inDatePack[slot.offset + i] = true;
    }
  });
  for (std::size_t i = 0; i < frame.size(); ++i) {
    if (!inDatePack[i]) {
      ASSERT_EQ(frame[i], original[i]) << "byte " << i;
    }
  }
  // The damaged-tape reader finds the moved time in every sequence.
  test::BlankFirstSequencePacks(frame);
  const TDatecode dc = media::ReadDvFrameFacts(frame).datecode;
  EXPECT_EQ(dc, (TDatecode{2024, 7, 9, 0, 55, 58}));
}

// The weekday field (bits 5-7 of the date pack's month byte, 0 = Sunday, 7 =
// none) of every date pack in the frame, when they all agree; -1 otherwise.
int Weekday(const std::vector<std::uint8_t>& frame) {
  std::set<int> seen;
  media::ForEachPackSlot(frame, [&](const media::PackSlot& slot) {
    if (frame[slot.offset] == media::kRecordingDatePack) seen.insert(frame[slot.offset + 3] >> 5);
  });
  return seen.size() == 1 ? *seen.begin() : -1;
}

TEST(Dixmark, ShiftAcrossMidnightWritesTheNewWeekdayOrKeepsNone) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const auto original = test::ReadRealFixture("sony_perfect.dv");
  ASSERT_FALSE(original.empty());
  ASSERT_EQ(Weekday(original), 7) << "this camcorder records no weekday";
  auto none = original;
  ASSERT_TRUE(ForHeaderFix(5).ProcessInPlace(none));
  EXPECT_EQ(Weekday(none), 7);

  // Monday 2024-07-08 19:55, marked so in every copy.
  auto monday = original;
  media::ForEachPackSlot(monday, [&](const media::PackSlot& slot) {
    if (monday[slot.offset] == media::kRecordingDatePack) monday[slot.offset + 3] = 0x27;
  });
  auto tuesday = monday;
  ASSERT_TRUE(ForHeaderFix(5).ProcessInPlace(tuesday));
  EXPECT_EQ(Weekday(tuesday), 2);
  auto sunday = monday;
  ASSERT_TRUE(ForHeaderFix(-20).ProcessInPlace(sunday));
  EXPECT_EQ(DatecodeOf(sunday), (TDatecode{2024, 7, 7, 23, 55, 58}));
  EXPECT_EQ(Weekday(sunday), 0);
}

TEST(Dixmark, RealSourcesOntoFfmpegFramesAgreeWithMediainfo) {
  KORVID_REQUIRE_REAL_FIXTURES();
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  test::TempDir dir;
  // NTSC camcorder frame into a PAL encoding, 20 hours back across midnight.
  const auto sony = test::ReadRealFixture("sony_perfect.dv");
  auto pal = test::MakeFfmpegDv(dir / "pal.dv", DvSystem::k625_50, 1,
                                {"-metadata", "creation_time=2011-01-01T00:00:00"});
  ASSERT_FALSE(sony.empty() || pal.empty());
  ASSERT_TRUE(ForConversion(-20, false).Process(pal, sony));
  EXPECT_EQ(DatecodeOf(pal), (TDatecode{2024, 7, 7, 23, 55, 58}));
  test::WriteWholeFile(dir / "out.dv", pal);
  EXPECT_EQ(test::MediaInfoField(dir / "out.dv", "Recorded_Date").substr(0, 19),
            "2024-07-07 23:55:58");
  EXPECT_EQ(test::MediaInfoField(dir / "out.dv", "TimeCode_FirstFrame").substr(0, 8), "00:00:02");

  // The truncated 16:9 frame is a whole-enough source: its wide flag and
  // datecode reach an NTSC encoding when no wide setting is given.
  const auto wide = test::ReadRealFixture("pal_wide_32k_truncated.dv");
  auto ntsc = test::MakeFfmpegDv(dir / "ntsc.dv", DvSystem::k525_60, 1, {});
  ASSERT_FALSE(wide.empty() || ntsc.empty());
  Dixmark copy;
  copy.SetEnabled(1);
  ASSERT_TRUE(copy.Process(ntsc, wide));
  EXPECT_EQ(DatecodeOf(ntsc), (TDatecode{2010, 2, 16, 21, 36, 28}));
  test::WriteWholeFile(dir / "out2.dv", ntsc);
  EXPECT_EQ(test::MediaInfoField(dir / "out2.dv", "DisplayAspectRatio"), "1.778");
  EXPECT_EQ(test::MediaInfoField(dir / "out2.dv", "Recorded_Date").substr(0, 19),
            "2010-02-16 21:36:28");
}

}  // namespace
}  // namespace korvid::graphs
