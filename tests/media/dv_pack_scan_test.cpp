#include "media/dv_pack_scan.h"

#include "media/dv_frame_facts.h"
#include "media/dv_pack_layout.h"
#include "support/dv_pack_frames.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::BlankDvFrame;
using test::PutPack;

constexpr DvPack kDate{0x62, 0xFF, 0xC8, 0xE7, 0x24};  // 2024-07-08
constexpr DvPack kTime{0x63, 0xFF, 0xD8, 0xD5, 0xD9};  // 19:55:58
constexpr DvPack kTimecode{0x13, 0x05, 0x02, 0x01, 0x03};

TEST(DvPackScan, UsablePacksNeedDigitsWithinRange) {
  EXPECT_TRUE(IsUsablePack(kDate, kRecordingDatePack));
  EXPECT_FALSE(IsUsablePack(kDate, kRecordingTimePack));
  EXPECT_FALSE(IsUsablePack({0x62, 0xFF, 0xFF, 0xFF, 0xFF}, kRecordingDatePack));
  EXPECT_FALSE(IsUsablePack({0x62, 0xFF, 0x32, 0x01, 0x05}, kRecordingDatePack));  // day 32
  EXPECT_FALSE(IsUsablePack({0x62, 0xFF, 0x01, 0x1F, 0x05}, kRecordingDatePack));  // month 25
  EXPECT_FALSE(IsUsablePack({0x62, 0xFF, 0x01, 0x01, 0x0A}, kRecordingDatePack));  // year digit
  EXPECT_TRUE(IsUsablePack(kTime, kRecordingTimePack));
  EXPECT_FALSE(IsUsablePack({0x63, 0xFF, 0x00, 0x00, 0x24}, kRecordingTimePack));  // 24 h
  EXPECT_TRUE(IsUsablePack({0x13, 0x29, 0x59, 0x59, 0x23}, kTimecodePack));
  EXPECT_FALSE(IsUsablePack({0x13, 0x30, 0x00, 0x00, 0x00}, kTimecodePack));
  EXPECT_FALSE(IsUsablePack({0x13, 0x00, 0xFF, 0x00, 0x00}, kTimecodePack));
  EXPECT_FALSE(IsUsablePack({0x61, 0x03, 0xFF, 0xFD, 0xFF}, kVideoControlPack));
}

TEST(DvPackScan, LaterSequencesStandInForADamagedFirstOne) {
  auto frame = BlankDvFrame(DvSystem::k525_60, 0);
  // Only sequence 7 carries anything: date and time in its VAUX (odd-sequence
  // slots), the timecode in the subcode's last sync block, 16:9 at pack 40.
  PutPack(frame, VauxSlotOffset(7, 2), kDate);
  PutPack(frame, VauxSlotOffset(7, 3), kTime);
  PutPack(frame, SubcodeSlotOffset(7, 11), kTimecode);
  PutPack(frame, VauxSlotOffset(7, 40), {0x61, 0x03, 0x07, 0xFD, 0xFF});
  TDatecode dc;
  dc = ReadDvFrameFacts(frame).datecode;
  EXPECT_EQ(dc, (TDatecode{2024, 7, 8, 19, 55, 58}));
  EXPECT_EQ(ReadDvFrameFacts(frame).timecode, (TTimecode{3, 1, 2, 5}));
  EXPECT_TRUE(ReadDvFrameFacts(frame).wide);
  // The plain readers see none of it.
  EXPECT_FALSE(HasTimecode(test::FixedTimecode(frame)));
  EXPECT_FALSE(test::FixedWide(frame));
  // AP3 of the sequence where the pack was found decides about mode 7.
  frame[DifBlockOffset(7, 0) + 7] = 0x79;
  EXPECT_FALSE(ReadDvFrameFacts(frame).wide);
}

TEST(DvPackScan, AgreesWithThePlainReadersWhenTheFirstSequenceIsSound) {
  auto frame = BlankDvFrame(DvSystem::k625_50);
  PutPack(frame, kFirstDateOffset, {0x62, 0xFF, 0x01, 0x01, 0x99});
  PutPack(frame, kFirstTimeOffset, {0x63, 0xFF, 0x00, 0x00, 0x00});
  PutPack(frame, VauxSlotOffset(1, 2), kDate);
  PutPack(frame, VauxSlotOffset(1, 3), kTime);
  TDatecode scanned;
  TDatecode plain;
  scanned = ReadDvFrameFacts(frame).datecode;
  plain = test::FixedDatecode(frame);
  EXPECT_EQ(scanned, plain);
  EXPECT_EQ(scanned.year, 1999);
}

TEST(DvPackScan, FindsNothingInAnEmptyFrame) {
  const auto frame = BlankDvFrame(DvSystem::k625_50);
  EXPECT_FALSE(HasDatecode(ReadDvFrameFacts(frame).datecode));
  EXPECT_FALSE(ReadDvFrameFacts(frame).sound);
  EXPECT_FALSE(HasTimecode(ReadDvFrameFacts(frame).timecode));
  EXPECT_FALSE(ReadDvFrameFacts(frame).wide);
}

TEST(DvPackScan, BuffersOfEveryLengthAreSafe) {
  // Packs only in the last sequence: every cut before its VAUX must miss
  // them, and no cut may read past the end (the sanitizer build checks).
  auto frame = BlankDvFrame(DvSystem::k625_50);
  PutPack(frame, VauxSlotOffset(11, 41), kDate);
  PutPack(frame, VauxSlotOffset(11, 42), kTime);
  const std::size_t needed = DifBlockOffset(11, 6);
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{80}, std::size_t{467},
                           std::size_t{4400}, std::size_t{12001}, needed - 1, needed,
                           frame.size()}) {
    TDatecode dc;
    dc = ReadDvFrameFacts(std::span<const std::uint8_t>(frame.data(), size)).datecode;
    EXPECT_EQ(HasDatecode(dc), size >= needed) << size;
    ReadDvFrameFacts(std::span<const std::uint8_t>(frame.data(), size)).timecode;
    ReadDvFrameFacts(std::span<const std::uint8_t>(frame.data(), size)).wide;
  }
}

TEST(DvPackScan, RealFramesWithTheFirstSequenceBlanked) {
  KORVID_REQUIRE_REAL_FIXTURES();
  auto sony = test::ReadRealFixture("sony_perfect.dv");
  ASSERT_EQ(sony.size(), 120000u);
  test::BlankFirstSequencePacks(sony);
  TDatecode dc;
  dc = test::FixedDatecode(sony);
  EXPECT_FALSE(HasDatecode(dc));
  dc = ReadDvFrameFacts(sony).datecode;
  EXPECT_EQ(dc, (TDatecode{2024, 7, 8, 19, 55, 58}));
  EXPECT_EQ(ReadDvFrameFacts(sony).timecode, (TTimecode{0, 0, 2, 20}));
}

TEST(DvPackScan, RealFrameWithSubcodeErrors) {
  KORVID_REQUIRE_REAL_FIXTURES();
  auto frame = test::ReadRealFixture("sony_subcode_errors.dv");
  ASSERT_FALSE(frame.empty());
  TDatecode dc;
  dc = ReadDvFrameFacts(frame).datecode;
  EXPECT_EQ(dc, (TDatecode{2000, 12, 3, 10, 15, 59}));
  // Sequence 0's timecode slot is sound, so it wins exactly as the plain
  // reader reads it; without it the next sound copy reads frame 6.
  EXPECT_EQ(ReadDvFrameFacts(frame).timecode, test::FixedTimecode(frame));
  test::BlankFirstSequencePacks(frame);
  EXPECT_EQ(ReadDvFrameFacts(frame).timecode, (TTimecode{0, 0, 2, 6}));
  dc = ReadDvFrameFacts(frame).datecode;
  EXPECT_EQ(dc, (TDatecode{2000, 12, 3, 10, 15, 59}));
}

TEST(DvPackScan, RealTruncatedWideFrame) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const auto frame = test::ReadRealFixture("pal_wide_32k_truncated.dv");
  ASSERT_EQ(frame.size(), 4400u);
  TDatecode dc;
  dc = ReadDvFrameFacts(frame).datecode;
  EXPECT_EQ(dc, (TDatecode{2010, 2, 16, 21, 36, 28}));
  EXPECT_TRUE(ReadDvFrameFacts(frame).wide);
  EXPECT_EQ(ReadDvFrameFacts(frame).timecode, test::FixedTimecode(frame));
}

}  // namespace
}  // namespace korvid::media
