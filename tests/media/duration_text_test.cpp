#include "media/duration_text.h"

#include <gtest/gtest.h>

namespace korvid::media {
namespace {

constexpr std::int64_t kPal = 400'000;  // 25 frames a second

TEST(DurationText, FramesFormCascadesFromHoursToFrames) {
  EXPECT_EQ(FramesDurationText(kPal, 37'254'800'000), "1h 02mn 05s 12fr");
  EXPECT_EQ(FramesDurationText(kPal, 6'000'000), "15fr");
  EXPECT_EQ(FramesDurationText(kPal, 650'000'000), "1mn 05s 00fr");
  EXPECT_EQ(FramesDurationText(kPal, 51'200'000), "5s 03fr");
  EXPECT_EQ(FramesDurationText(333'667, 10'010'000), "1s 00fr");
}

TEST(DurationText, ZeroPeriodOrNegativeDurationNeverDivides) {
  EXPECT_EQ(FramesDurationText(0, 51'200'000), "5s 00fr");
  EXPECT_EQ(FramesDurationText(kPal, -5), "0fr");
}

TEST(DurationText, MillisecondsForm) {
  EXPECT_EQ(MillisecondsDurationText(37'254'800'000), "1h 02mn 05s 480ms");
  EXPECT_EQ(MillisecondsDurationText(50'030'000), "5s 003ms");
  EXPECT_EQ(MillisecondsDurationText(4'800'000), "480milliseconds");
}

TEST(DurationText, AudioFormatNames) {
  EXPECT_EQ(AudioFormatName(1), "PCM");
  EXPECT_EQ(AudioFormatName(85), "MP3");
  EXPECT_EQ(AudioFormatName(117), "VOXWARE");
  EXPECT_EQ(AudioFormatName(5120), "NORRIS");
  EXPECT_EQ(AudioFormatName(0xFFFE), "Unknown");
  EXPECT_EQ(AudioFormatName(4), "Unknown");
}

}  // namespace
}  // namespace korvid::media
