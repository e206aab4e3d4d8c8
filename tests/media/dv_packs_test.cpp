#include "media/dv_frame_facts.h"

#include "support/dv_pack_frames.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::BlankDvFrame;
using test::PutPack;

std::vector<std::uint8_t> DatedFrame(std::uint8_t yearByte, std::uint8_t monthByte = 0x08) {
  auto frame = BlankDvFrame(DvSystem::k625_50);
  PutPack(frame, kFirstDateOffset, {0x62, 0xFF, 0xD4, monthByte, yearByte});
  PutPack(frame, kFirstTimeOffset, {0x63, 0xFF, 0x91, 0x82, 0xD5});
  return frame;
}

TEST(DvPackReaders, TimecodeDigitsIncludingTheLastFrameOfADay) {
  auto frame = BlankDvFrame(DvSystem::k625_50);
  PutPack(frame, kFirstTimecodeOffset, {0x13, 0x24, 0x59, 0x59, 0x23});
  EXPECT_EQ(ReadDvFrameFacts(frame).timecode, (TTimecode{23, 59, 59, 24}));
  // Flag bits above the tens are not digits.
  PutPack(frame, kFirstTimecodeOffset, {0x13, 0xE0, 0x82, 0x80, 0xC0});
  EXPECT_EQ(ReadDvFrameFacts(frame).timecode, (TTimecode{0, 0, 2, 20}));
}

TEST(DvPackReaders, MissingOrBlankTimecodePackGivesNone) {
  auto frame = BlankDvFrame(DvSystem::k525_60);
  EXPECT_FALSE(HasTimecode(ReadDvFrameFacts(frame).timecode));
  PutPack(frame, kFirstTimecodeOffset, {0x13, 0x10, 0xFF, 0x10, 0x10});
  EXPECT_EQ(ReadDvFrameFacts(frame).timecode.hours, kNoTimecodeHours);
  PutPack(frame, kFirstTimecodeOffset, {0x14, 0x10, 0x10, 0x10, 0x10});
  EXPECT_EQ(ReadDvFrameFacts(frame).timecode.hours, kNoTimecodeHours);
}

TEST(DvPackReaders, TwoDigitYearsSplitAt1940AndUseAllTensBits) {
  const std::pair<std::uint8_t, std::int32_t> cases[] = {
      {0x39, 2039}, {0x40, 1940}, {0x04, 2004}, {0x99, 1999}, {0xFF, 2065}};
  for (const auto& [byte, year] : cases) {
    TDatecode dc;
    dc = ReadDvFrameFacts(DatedFrame(byte)).datecode;
    EXPECT_EQ(dc.year, year) << std::hex << int{byte};
  }
  TDatecode dc;
  dc = ReadDvFrameFacts(DatedFrame(0x05, 0x1F)).datecode;
  EXPECT_EQ(dc.month, 25);  // the caller's calendar check rejects it
  dc = ReadDvFrameFacts(DatedFrame(0x05)).datecode;
  EXPECT_EQ(dc, (TDatecode{2005, 8, 14, 15, 2, 11}));
}

TEST(DvPackReaders, DatePackWithoutTimePackGivesNoDatecode) {
  auto frame = DatedFrame(0x05);
  frame[kFirstTimeOffset] = 0xFF;
  EXPECT_FALSE(HasDatecode(ReadDvFrameFacts(frame).datecode));
}

TEST(DvPackReaders, DisplayModeSevenIsWideOnlyInConsumerFrames) {
  for (const std::uint8_t ap3 : {std::uint8_t{0}, std::uint8_t{1}}) {
    auto frame = BlankDvFrame(DvSystem::k625_50, ap3);
    EXPECT_FALSE(ReadDvFrameFacts(frame).wide);
    PutPack(frame, kFirstControlOffset, {0x61, 0x03, 0x07, 0xFD, 0xFF});
    EXPECT_EQ(ReadDvFrameFacts(frame).wide, ap3 == 0);
    PutPack(frame, kFirstControlOffset, {0x61, 0x03, 0x02, 0xFD, 0xFF});
    EXPECT_TRUE(ReadDvFrameFacts(frame).wide);
    PutPack(frame, kFirstControlOffset, {0x61, 0x03, 0x80, 0xFD, 0xFF});
    EXPECT_FALSE(ReadDvFrameFacts(frame).wide);
  }
}

TEST(DvPackReaders, ShortBuffersGiveNothingWithoutReadingPastTheEnd) {
  const auto whole = DatedFrame(0x05);
  const std::span<const std::uint8_t> cut(whole.data(), kMinPackFrameBytes - 1);
  TDatecode dc = ReadDvFrameFacts(cut).datecode;
  EXPECT_EQ(dc.year, -1);
  EXPECT_FALSE(HasTimecode(ReadDvFrameFacts(cut).timecode));
  EXPECT_FALSE(ReadDvFrameFacts(cut).wide);
  EXPECT_FALSE(ReadDvFrameFacts({}).wide);
  dc = ReadDvFrameFacts(std::span<const std::uint8_t>(whole.data(), kMinPackFrameBytes)).datecode;
  EXPECT_EQ(dc.year, 2005);
}

TEST(DvPackReaders, RealCamcorderFrames) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const auto sony = test::ReadRealFixture("sony_perfect.dv");
  const auto errors = test::ReadRealFixture("sony_subcode_errors.dv");
  const auto wide = test::ReadRealFixture("pal_wide_32k_truncated.dv");
  ASSERT_FALSE(sony.empty() || errors.empty() || wide.empty());

  TDatecode dc;
  dc = ReadDvFrameFacts(sony).datecode;
  EXPECT_EQ(dc, (TDatecode{2024, 7, 8, 19, 55, 58}));
  EXPECT_EQ(ReadDvFrameFacts(sony).timecode, (TTimecode{0, 0, 2, 20}));
  EXPECT_FALSE(ReadDvFrameFacts(sony).wide);

  dc = ReadDvFrameFacts(errors).datecode;
  EXPECT_EQ(dc, (TDatecode{2000, 12, 3, 10, 15, 59}));

  dc = ReadDvFrameFacts(wide).datecode;
  EXPECT_EQ(dc, (TDatecode{2010, 2, 16, 21, 36, 28}));
  EXPECT_TRUE(ReadDvFrameFacts(wide).wide);
}

}  // namespace
}  // namespace korvid::media
