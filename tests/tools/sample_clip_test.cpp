#include "sample_clip.h"

#include <map>

#include "support/avi_probe.h"
#include "support/dv_pack_frames.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::samples {
namespace {

// The standard set is what later tests of the listing, scenes and
// conversions stand on.
class SampleClips : public ::testing::Test {
 protected:
  static std::filesystem::path Clip(const std::string& name) { return test::StandardSample(name); }
};

std::string DateText(const media::TDatecode& dc) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", dc.year, dc.month, dc.day, dc.hour,
                dc.minute, dc.second);
  return text;
}

std::string TimecodeText(const media::TTimecode& tc) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", tc.hours, tc.minutes, tc.seconds, tc.frames);
  return text;
}

TEST_F(SampleClips, FfprobeReadsEveryFrameOfEveryClipWithTheExpectedStreams) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  for (const DvClipSpec& spec : StandardDvClips()) {
    SCOPED_TRACE(spec.file_name);
    const auto probed = test::ProbeFile(Clip(spec.file_name));
    ASSERT_TRUE(probed.has_value());
    const int pairs = media::PairsOf(spec.audio);
    // ffprobe splits a type-1 stream into its picture and its sound pairs.
    ASSERT_EQ(probed->streams.size(), static_cast<std::size_t>(1 + pairs));
    const auto& video = probed->streams[0];
    EXPECT_EQ(video.codec_name, "dvvideo");
    EXPECT_EQ(video.height, spec.system == media::DvSystem::k625_50 ? 576 : 480);
    EXPECT_EQ(video.read_frames, spec.frames);
    EXPECT_EQ(video.display_aspect, spec.wide ? "16:9" : "4:3");
    for (int p = 1; p <= pairs; ++p) {
      EXPECT_EQ(probed->streams[static_cast<std::size_t>(p)].codec_type, "audio");
      EXPECT_EQ(probed->streams[static_cast<std::size_t>(p)].sample_rate,
                media::SampleRateHz(media::RateOf(spec.audio)));
    }
    const auto decoded = test::RunShell("ffmpeg -v error -i " + test::Quoted(Clip(spec.file_name)) + " -f null - 2>&1");
    EXPECT_EQ(decoded.exit_code, 0);
    EXPECT_EQ(decoded.output, "");
  }
}

TEST_F(SampleClips, MediainfoSeesTheDatecodeTimecodeSystemAndAspectWeWrote) {
  KORVID_REQUIRE_PROGRAM("mediainfo");
  for (const DvClipSpec& spec : StandardDvClips()) {
    SCOPED_TRACE(spec.file_name);
    const auto path = Clip(spec.file_name);
    const media::TDatecode first = DatecodeOfFrame(spec, 0);
    const std::string recorded = test::MediaInfoField(path, "Recorded_Date");
    if (media::HasDatecode(first)) {
      EXPECT_EQ(recorded.substr(0, 19), DateText(first));
    } else {
      EXPECT_EQ(recorded, "");
    }
    const media::TTimecode tc = TimecodeOfFrame(spec, 0);
    const std::string timecode = test::MediaInfoField(path, "TimeCode_FirstFrame");
    if (media::HasTimecode(tc)) {
      EXPECT_EQ(timecode, TimecodeText(tc));
    }
    EXPECT_EQ(test::MediaInfoField(path, "Standard"), spec.system == media::DvSystem::k625_50 ? "PAL" : "NTSC");
    EXPECT_EQ(test::MediaInfoField(path, "DisplayAspectRatio"), spec.wide ? "1.778" : "1.333");
  }
}

TEST_F(SampleClips, NonDvAndSoundOnlyClipsAreReadableAvi) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  const auto mjpeg = test::ProbeFile(Clip(kMjpegClipName));
  ASSERT_TRUE(mjpeg.has_value());
  ASSERT_EQ(mjpeg->streams.size(), 2u);
  EXPECT_EQ(mjpeg->streams[0].codec_name, "mjpeg");
  EXPECT_EQ(mjpeg->streams[0].read_frames, 25);
  EXPECT_EQ(mjpeg->streams[1].codec_name, "pcm_s16le");

  const auto sound = test::ProbeFile(Clip(kAudioOnlyClipName));
  ASSERT_TRUE(sound.has_value());
  ASSERT_EQ(sound->streams.size(), 1u);
  EXPECT_EQ(sound->streams[0].codec_type, "audio");
  EXPECT_EQ(sound->format_name, "avi");
}

TEST(SampleClipFrames, DatecodesFollowTheClockJumpsAndGaps) {
  DvClipSpec ntsc;
  ntsc.system = media::DvSystem::k525_60;
  ntsc.start = {2003, 12, 31, 23, 59, 58};
  // 60 frames at 29.97 cross midnight into the new year after two seconds.
  EXPECT_EQ(DatecodeOfFrame(ntsc, 59), (media::TDatecode{2003, 12, 31, 23, 59, 59}));
  EXPECT_EQ(DatecodeOfFrame(ntsc, 60), (media::TDatecode{2004, 1, 1, 0, 0, 0}));

  DvClipSpec jump;
  jump.jump_frame = 40;
  jump.jump_hours = 3;
  jump.undated_from = 10;
  jump.undated_to = 12;
  EXPECT_EQ(DatecodeOfFrame(jump, 39), (media::TDatecode{2005, 8, 14, 15, 2, 12}));
  EXPECT_EQ(DatecodeOfFrame(jump, 40), (media::TDatecode{2005, 8, 14, 18, 2, 12}));
  EXPECT_FALSE(media::HasDatecode(DatecodeOfFrame(jump, 10)));
  EXPECT_TRUE(media::HasDatecode(DatecodeOfFrame(jump, 12)));

  DvClipSpec none;
  none.start = {};
  none.start_timecode = {};
  EXPECT_FALSE(media::HasDatecode(DatecodeOfFrame(none, 0)));
  EXPECT_FALSE(media::HasTimecode(TimecodeOfFrame(none, 0)));
}

TEST(SampleClipFrames, TimecodeCountsNominalFramesAndWrapsAtMidnight) {
  DvClipSpec spec;
  spec.start_timecode = {23, 59, 59, 24};
  EXPECT_EQ(TimecodeOfFrame(spec, 1), (media::TTimecode{0, 0, 0, 0}));
  spec.system = media::DvSystem::k525_60;
  spec.start_timecode = {0, 0, 0, 29};
  EXPECT_EQ(TimecodeOfFrame(spec, 1), (media::TTimecode{0, 0, 1, 0}));
}

}  // namespace
}  // namespace korvid::samples
