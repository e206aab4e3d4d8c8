// The record's analysis fields from hand-made analysis results: sizes and
// systems, rates, sound texts, datecode and timecode forms, and the keys of
// files that have no datecode or failed.

#include "media/stream_analysis.h"

#include <gtest/gtest.h>

#include "media/video_record.h"

namespace korvid::media {
namespace {

DatecodeFormat IsoFormat() { return {"yyyy-mm-dd hh:nn:ss", settings::EnglishLocaleFormats()}; }

TaviFichier Named() {
  TaviFichier record;
  record.name = "Clip.AVI";
  record.fullName = "/Videos/Clip.AVI";
  return record;
}

StreamAnalysis PalType2() {
  StreamAnalysis a;
  a.succeeded = true;
  a.video = VideoFormatResult{720, 576, 400000, 28800000};
  a.audio = AudioFormatResult{1, 2, 48000, 192000, 4, 16};
  a.video_duration = 37254800000;  // 3725.48 s
  a.audio_duration = a.video_duration;
  a.stream_count = 2;
  a.first_timecode = {1, 2, 3, 4};
  a.first_datecode = {2024, 7, 8, 19, 55, 58};
  return a;
}

TaviFichier Build(const StreamAnalysis& a, const std::string& codec = "dvsd",
                  AviVerdict verdict = AviVerdict::kValid) {
  TaviFichier record = Named();
  FillAnalysisFields(verdict, codec, a, IsoFormat(), record);
  return record;
}

TEST(RecordFieldsTest, PalType2FourByThree) {
  const TaviFichier r = Build(PalType2());
  EXPECT_EQ(r.imageText, "720 x 576 (Pal 4x3)");
  EXPECT_EQ(r.width, 720);
  EXPECT_EQ(r.height, 540);
  EXPECT_DOUBLE_EQ(r.fps, 25);
  EXPECT_EQ(r.tvSystem, TvSystem::kPal);
  EXPECT_EQ(r.dvType, 2);
  EXPECT_TRUE(r.isDV);
  EXPECT_EQ(r.codec, "dvsd");
  EXPECT_EQ(r.durationText, "1h 02mn 05s 12fr");
  EXPECT_EQ(r.audioDurationText, "1h 02mn 05s 12fr");
  EXPECT_EQ(r.audioText, "48000Hz 16 bits  stereo");
  EXPECT_EQ(r.audioFormatText, "PCM 192000 bytes/s");
  EXPECT_EQ(r.videoBitRate, 28800000u);
  EXPECT_EQ(r.datecodeText, "2024-07-08 19:55:58");
  ASSERT_TRUE(r.datecode.has_value());
  EXPECT_EQ(*r.datecode, (settings::DateTimeValue{2024, 7, 8, 19, 55, 58}));
  EXPECT_EQ(r.timecodeText, "01.02.03.04");
  EXPECT_EQ(r.datecodeKey, "20240708195558");
  EXPECT_EQ(r.datecodeNameKey, "20240708195558clip.avi/videos/clip.avi");
}

TEST(RecordFieldsTest, NtscSizeAndRateWithoutDvFormat) {
  StreamAnalysis a = PalType2();
  a.video = VideoFormatResult{720, 480, 333667, 0};
  a.video_duration = 333667 * 45;  // 45 frames: 1.5 s
  const TaviFichier r = Build(a);
  EXPECT_EQ(r.imageText, "720 x 480 (NTSC 4x3)");
  EXPECT_DOUBLE_EQ(r.fps, 29.97);
  EXPECT_EQ(r.tvSystem, TvSystem::kNtsc);
  EXPECT_EQ(r.durationText, "1s 15fr");
}

TEST(RecordFieldsTest, WideScreenDisplayHeight) {
  StreamAnalysis a = PalType2();
  a.first_wide = true;
  const TaviFichier r = Build(a);
  EXPECT_EQ(r.imageText, "720 x 576 (Pal 16x9)");
  EXPECT_EQ(r.height, 405);
  EXPECT_TRUE(r.wideScreen);
}

// A width from a damaged header (found by fuzzing) must not overflow
// the display-height arithmetic.
TEST(RecordFieldsTest, HugeWidthFromAFileGivesAHeightWithoutOverflow) {
  StreamAnalysis a = PalType2();
  a.video->width = 1795162832;
  EXPECT_EQ(Build(a).height, 1346372124);
  a.first_wide = true;
  EXPECT_EQ(Build(a).height, 1009779093);
}

TEST(RecordFieldsTest, DvFormatDecidesTypeAndSystem) {
  StreamAnalysis a = PalType2();
  a.dv = DvFormatResult{0x00200000 | 0xFF};
  a.stream_count = 1;
  // The picture size says NTSC, the source pack says 625/50: the pack wins.
  a.video = VideoFormatResult{720, 480, 400000, 0};
  TaviFichier r = Build(a);
  EXPECT_EQ(r.dvType, 1);
  EXPECT_EQ(r.tvSystem, TvSystem::kPal);
  EXPECT_EQ(r.dvVideoSource, 0x002000FFu);
  EXPECT_EQ(r.imageText, "720 x 480 (Pal 4x3)");

  a.stream_count = 2;  // an added sound stream makes it type 2
  a.dv->video_source = 0;
  r = Build(a);
  EXPECT_EQ(r.dvType, 2);
  EXPECT_EQ(r.tvSystem, TvSystem::kNtsc);
}

TEST(RecordFieldsTest, ThirtyTwoKilohertzSoundOnlyMarkedTwelveBitForDv) {
  StreamAnalysis a = PalType2();
  a.audio = AudioFormatResult{1, 2, 32000, 128000, 4, 16};
  EXPECT_EQ(Build(a).audioText, "32000Hz 12(16) bits  stereo");
  EXPECT_EQ(Build(a, "MJPG").audioText, "32000Hz 16 bits  stereo");
  a.audio->bits_per_sample = 8;
  EXPECT_EQ(Build(a).audioText, "32000Hz 8 bits  stereo");
}

TEST(RecordFieldsTest, ChannelTexts) {
  StreamAnalysis a = PalType2();
  const std::pair<std::uint16_t, const char*> cases[] = {
      {0, "48000Hz 16 bits no channel"},
      {1, "48000Hz 16 bits  mono"},
      {2, "48000Hz 16 bits  stereo"},
      {6, "48000Hz 16 bits  stereo (6)"}};
  for (const auto& [channels, text] : cases) {
    a.audio->channels = channels;
    EXPECT_EQ(Build(a, "MJPG").audioText, text) << channels;
  }
  a.audio->bits_per_sample = 0;
  a.audio->channels = 2;
  EXPECT_EQ(Build(a, "MJPG").audioText, "48000Hz  stereo");
}

TEST(RecordFieldsTest, NoAudio) {
  StreamAnalysis a = PalType2();
  a.audio.reset();
  const TaviFichier r = Build(a);
  EXPECT_EQ(r.audioText, "N/A");
  EXPECT_EQ(r.audioDurationText, "");
  EXPECT_EQ(r.audioFormatText, "");
  EXPECT_EQ(r.sampleRate, 0);
}

TEST(RecordFieldsTest, NoVideo) {
  StreamAnalysis a = PalType2();
  a.video.reset();
  a.audio_duration = 14800000;  // 1.48 s
  const TaviFichier r = Build(a, "####");
  EXPECT_EQ(r.codec, "");
  EXPECT_EQ(r.imageText, "N/A");
  EXPECT_EQ(r.fps, 0);
  EXPECT_FALSE(r.isDV);
  EXPECT_EQ(r.dvType, 0);
  EXPECT_EQ(r.audioDurationText, "1s 480ms");
  EXPECT_EQ(r.durationText, "");
  EXPECT_EQ(r.datecodeText, "N/A");
  EXPECT_EQ(r.timecodeText, "N/A");
  EXPECT_EQ(r.datecodeKey, "\xFA");
}

TEST(RecordFieldsTest, ZeroFramePeriodIsNoRate) {
  StreamAnalysis a = PalType2();
  a.video->frame_period = 0;
  a.audio_duration = 20000000;
  const TaviFichier r = Build(a);
  EXPECT_EQ(r.fps, 0);
  EXPECT_EQ(r.audioDurationText, "2s 000ms");
  EXPECT_EQ(r.durationText, "1h 02mn 05s 00fr");
}

TEST(RecordFieldsTest, NonDvFileSkipsDvFields) {
  StreamAnalysis a = PalType2();
  a.video = VideoFormatResult{320, 240, 400000, 0};
  const TaviFichier r = Build(a, "MJPG");
  EXPECT_FALSE(r.isDV);
  EXPECT_EQ(r.dvType, 0);
  EXPECT_EQ(r.imageText, "320 x 240");
  EXPECT_EQ(r.height, 240);
  EXPECT_EQ(r.tvSystem, TvSystem::kUnknown);
  EXPECT_EQ(r.datecodeText, "N/A");
  EXPECT_EQ(r.timecodeText, "N/A");
  EXPECT_EQ(r.datecodeKey, "\xFA");
}

TEST(RecordFieldsTest, DvCodecCaseAndSpellings) {
  for (const char* codec : {"dvsd", "DVSD", "dsvd", "CDVC"}) EXPECT_TRUE(Build(PalType2(), codec).isDV) << codec;
  EXPECT_EQ(Build(PalType2(), "DVSD").codec, "DVSD");
  EXPECT_FALSE(Build(PalType2(), "dv25").isDV);
}

TEST(RecordFieldsTest, TwoDigitYearAndImpossibleDates) {
  StreamAnalysis a = PalType2();
  a.first_datecode = {2003, 1, 2, 3, 4, 5};
  TaviFichier r = Build(a);
  EXPECT_EQ(r.datecodeKey.substr(0, 4), "2003");

  a.first_datecode = {2003, 0, 2, 3, 4, 5};  // month 0
  r = Build(a);
  EXPECT_EQ(r.datecodeText, "N/A");
  EXPECT_FALSE(r.datecode.has_value());
  EXPECT_EQ(r.datecodeKey, "20030002030405");

  for (TDatecode bad : {TDatecode{2003, 13, 1, 0, 0, 0}, TDatecode{2003, 2, 30, 0, 0, 0},
                        TDatecode{2003, 1, 1, 24, 0, 0}, TDatecode{2003, 1, 1, 0, 60, 0}}) {
    a.first_datecode = bad;
    EXPECT_EQ(Build(a).datecodeText, "N/A");
  }
}

TEST(RecordFieldsTest, NoDatecodeNoTimecode) {
  StreamAnalysis a = PalType2();
  a.first_datecode.year = kNoDatecodeYear;
  a.first_timecode.hours = 128;
  const TaviFichier r = Build(a);
  EXPECT_EQ(r.datecodeText, "N/A");
  EXPECT_EQ(r.timecodeText, "N/A");
  EXPECT_EQ(r.datecodeKey, "\xFA");
  EXPECT_EQ(r.datecodeNameKey, "\xFA" "clip.avi/videos/clip.avi");
}

TEST(RecordFieldsTest, FailuresShowErrorAndSortLast) {
  // Not AVI: nothing found at all.
  TaviFichier r = Build(StreamAnalysis{}, "", AviVerdict::kNotAvi);
  EXPECT_EQ(r.datecodeText, "Error");
  EXPECT_EQ(r.timecodeText, "Error");
  EXPECT_EQ(r.datecodeKey, "\xFF");
  EXPECT_EQ(r.imageText, "N/A");
  EXPECT_EQ(r.audioText, "N/A");

  // Read error: the codec goes too.
  r = Build(PalType2(), "dvsd", AviVerdict::kReadError);
  EXPECT_EQ(r.datecodeKey, "\xFF");
  EXPECT_EQ(r.codec, "");

  // A valid AVI whose analysis failed part-way keeps "Error" even though a
  // datecode was found before the failure.
  StreamAnalysis partial = PalType2();
  partial.succeeded = false;
  r = Build(partial);
  EXPECT_EQ(r.datecodeText, "Error");
  EXPECT_EQ(r.timecodeText, "Error");
  EXPECT_EQ(r.datecodeKey, "\xFF");
  EXPECT_EQ(r.datecodeNameKey.front(), '\xFF');
}

TEST(RecordFieldsTest, KeysOrderDatedThenUndatedThenFailed) {
  StreamAnalysis undated = PalType2();
  undated.first_datecode.year = kNoDatecodeYear;
  StreamAnalysis failed;
  const std::string dated = Build(PalType2()).datecodeNameKey;
  const std::string none = Build(undated).datecodeNameKey;
  const std::string error = Build(failed, "", AviVerdict::kNotAvi).datecodeNameKey;
  EXPECT_LT(dated, none);
  EXPECT_LT(none, error);
}

TEST(RecordFieldsTest, DatecodeDisplayFormatIsApplied) {
  TaviFichier r = Named();
  FillAnalysisFields(AviVerdict::kValid, "dvsd", PalType2(),
                     {"dd/mm/yyyy hh:nn am/pm", settings::EnglishLocaleFormats()}, r);
  EXPECT_EQ(r.datecodeText, "08/07/2024 07:55 pm");
}

TEST(RecordFieldsTest, FramesPerSecondRounding) {
  EXPECT_DOUBLE_EQ(FramesPerSecond(400000), 25);
  EXPECT_DOUBLE_EQ(FramesPerSecond(333667), 29.97);
  EXPECT_DOUBLE_EQ(FramesPerSecond(333666), 29.97);
  EXPECT_DOUBLE_EQ(FramesPerSecond(417083), 23.98);
  EXPECT_EQ(FramesPerSecond(0), 0);
  EXPECT_EQ(FramesPerSecond(-5), 0);
}

}  // namespace
}  // namespace korvid::media
