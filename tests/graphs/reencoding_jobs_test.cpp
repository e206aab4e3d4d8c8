#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>

#include "graphs/dv_type_jobs.h"
#include "graphs/field_resampler.h"
#include "graphs/recompress_job.h"
#include "graphs/standard_conversion_job.h"
#include "media/avi_writer.h"
#include "media/dv_audio.h"
#include "media/dv_pack_writer.h"
#include "media/dv_packs.h"
#include "support/avi_probe.h"
#include "support/dv_pack_frames.h"
#include "support/mode_change_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using media::DvSystem;
using test::StandardSample;
using test::TempDir;

Dixmark StandardRewriter(int hours, bool wide) {
  Dixmark dixmark;
  dixmark.SetEnabled(1);
  dixmark.SetHourOffset(hours);
  dixmark.SetInlaySource(0);
  dixmark.SetApplyShift(1);
  dixmark.SetWideScreen(wide ? 1 : 0);
  return dixmark;
}

void Convert(ConversionJob& job) {
  JobProgress progress;
  job.Run(progress);
}

TEST(FieldResampler, RepeatsOneFieldInSixUpAndDropsOneInSixDown) {
  const FieldRate pal = FieldRateOf(DvSystem::k625_50);
  const FieldRate ntsc = FieldRateOf(DvSystem::k525_60);
  // 60 NTSC fields (about one second) show 50 PAL fields, each at least
  // once, in order, none skipped.
  std::uint64_t previous = 0;
  int repeats = 0;
  for (std::uint64_t j = 1; j < 60; ++j) {
    const std::uint64_t field = SourceFieldAt(j, pal, ntsc);
    ASSERT_LE(field - previous, 1u);
    repeats += field == previous ? 1 : 0;
    previous = field;
  }
  EXPECT_EQ(repeats, 10);
  // Down: every output field is a different source field, 10 in 60 skipped.
  previous = 0;
  int drops = 0;
  for (std::uint64_t j = 1; j < 50; ++j) {
    const std::uint64_t field = SourceFieldAt(j, ntsc, pal);
    ASSERT_GE(field - previous, 1u);
    drops += static_cast<int>(field - previous - 1);
    previous = field;
  }
  EXPECT_EQ(drops, 9);
  EXPECT_EQ(TargetFrameCount(50, DvSystem::k625_50, DvSystem::k525_60), 60u);
  EXPECT_EQ(TargetFrameCount(60, DvSystem::k525_60, DvSystem::k625_50), 50u);
}

TEST(StandardConversionJob, PalType2BecomesNtscType2WithTheSourcesDatecodes) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  TempDir dir;
  const auto output = dir / "clip_ntsc.avi";
  StandardConversionJob job(StandardSample("pal_type2.avi"), output, DvSystem::k525_60, StandardRewriter(2, false));
  Convert(job);

  const auto probed = test::ProbeFile(output);
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->streams.size(), 2u);
  EXPECT_EQ(probed->streams[0].codec_tag, "dvsd");
  EXPECT_EQ(probed->streams[0].height, 480);
  EXPECT_EQ(probed->streams[0].frame_rate, "30000/1001");
  EXPECT_EQ(probed->streams[0].read_frames, 60);
  EXPECT_EQ(probed->streams[1].sample_rate, 48000);

  // Output frame 30 (1.001 s) shows PAL frame 25: one second later, two
  // hours shifted.
  const DvSource converted(output);
  std::vector<std::uint8_t> frame;
  ASSERT_TRUE(converted.ReadFrame(30, frame));
  media::TDatecode datecode;
  datecode = test::FixedDatecode(frame);
  EXPECT_EQ(datecode, (media::TDatecode{2005, 8, 14, 17, 2, 12}));
  EXPECT_FALSE(test::FixedWide(frame));
}

TEST(StandardConversionJob, NtscBecomesPalAndKeepsType1And16By9) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  TempDir dir;
  // A wide NTSC type-1 source made from the standard PAL wide clip.
  const auto ntsc = dir / "wide_ntsc.avi";
  {
    Type2To1Job to_type1(StandardSample("pal_wide.avi"), dir / "wide1.avi");
    Convert(to_type1);
    StandardConversionJob to_ntsc(dir / "wide1.avi", ntsc, DvSystem::k525_60, StandardRewriter(0, true));
    Convert(to_ntsc);
  }
  const auto output = dir / "wide_pal.avi";
  StandardConversionJob job(ntsc, output, DvSystem::k625_50, StandardRewriter(0, true));
  Convert(job);
  const DvSource converted(output);
  EXPECT_TRUE(converted.Interleaved());
  EXPECT_EQ(converted.System(), DvSystem::k625_50);
  EXPECT_EQ(converted.FrameCount(), 50u);
  EXPECT_TRUE(converted.Wide());
  const auto probed = test::ProbeFile(output);
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->streams[0].read_frames, 50);
  EXPECT_EQ(probed->streams[0].display_aspect, "16:9");
  EXPECT_EQ(test::MediaInfoField(output, "Standard"), "PAL");
  EXPECT_EQ(test::MediaInfoField(output, "Recorded_Date").substr(0, 10), "2010-02-16");
  // The sound went round both conversions and is still there.
  const auto audio = media::DecodeDvAudio(std::vector<std::uint8_t>([&] {
    std::vector<std::uint8_t> f;
    converted.ReadFrame(10, f);
    return f;
  }()));
  EXPECT_EQ(audio.info.sample_rate, 48000);
  EXPECT_EQ(audio.info.samples, 1920u);
}

// A timecode label read straight from the first subcode slot of a frame.
struct Label {
  int h = -1, m = 0, s = 0, f = 0;
  bool df = false;
  friend bool operator==(const Label&, const Label&) = default;
};

std::ostream& operator<<(std::ostream& out, const Label& l) {
  return out << l.h << ':' << l.m << ':' << l.s << (l.df ? ';' : ':') << l.f;
}

std::vector<Label> LabelsOf(const std::filesystem::path& avi, std::size_t frameBytes) {
  const auto raw = test::ExtractStream(avi, "v:0", "rawvideo");
  std::vector<Label> out;
  for (std::size_t at = 0; at + frameBytes <= raw.size(); at += frameBytes) {
    const std::uint8_t* p = raw.data() + at + 86;
    Label l;
    if (p[0] == 0x13) {
      l = {(p[4] & 0x0F) + 10 * ((p[4] >> 4) & 3), (p[3] & 0x0F) + 10 * ((p[3] >> 4) & 7),
           (p[2] & 0x0F) + 10 * ((p[2] >> 4) & 7), (p[1] & 0x0F) + 10 * ((p[1] >> 4) & 3), (p[1] & 0x40) != 0};
    }
    out.push_back(l);
  }
  return out;
}

// The label after `l`, counted here: drop-frame skips ;00 and ;01 of every
// minute but each tenth.
Label Following(Label l, int fps) {
  if (++l.f == fps) l.f = 0, ++l.s;
  if (l.s == 60) l.s = 0, ++l.m;
  if (l.m == 60) l.m = 0, ++l.h;
  if (l.df && l.f == 0 && l.s == 0 && l.m % 10 != 0) l.f = 2;
  return l;
}

// Where the labels do not count on from the one before.
std::vector<std::size_t> Restarts(const std::vector<Label>& labels, int fps) {
  std::vector<std::size_t> out;
  for (std::size_t j = 1; j < labels.size(); ++j)
    if (!(labels[j] == Following(labels[j - 1], fps))) out.push_back(j);
  return out;
}

// PAL frames from 00:00:58:00, a new recording from 05:00:00:10 at frame 60;
// to NTSC and back. Each output counts at its own rate (NTSC drop-frame,
// through a dropped minute start) and restarts once, at the new recording.
// The packs of sequence 0, read by the test itself: VAUX slots of blocks
// 3-5 (15 packs from byte 3 each) and the AAUX pack of each audio block.
std::map<std::uint8_t, std::vector<std::uint8_t>> FirstSequencePacks(std::span<const std::uint8_t> frame,
                                                                     bool audio) {
  std::map<std::uint8_t, std::vector<std::uint8_t>> packs;
  const auto take = [&](std::size_t at) {
    if (frame[at] != 0xFF) packs.emplace(frame[at], std::vector<std::uint8_t>(frame.begin() + at, frame.begin() + at + 5));
  };
  if (audio) {
    for (std::size_t a = 0; a < 9; ++a) take((6 + 16 * a) * 80 + 3);
  } else {
    for (std::size_t b = 3; b < 6; ++b)
      for (std::size_t p = 0; p < 15; ++p) take(b * 80 + 3 + 5 * p);
  }
  return packs;
}

// A camcorder's frames keep their camera packs and their consumer APT
// through PAL and back: only the system bits and sample counts change.
TEST(StandardConversionJob, RealFramesKeepEveryPackAndTheirApt) {
  KORVID_REQUIRE_REAL_FIXTURES();
  TempDir dir;
  const auto real = test::ReadRealFixture("sony_perfect.dv");
  ASSERT_EQ(real.size(), media::FrameBytes(DvSystem::k525_60));
  const auto source = dir / "sony.avi";
  {
    auto writer = media::AviWriter::CreateType1(source, {DvSystem::k525_60, false});
    for (int k = 0; k < 12; ++k) writer.WriteVideoFrame(real);
    writer.Close();
  }
  const auto vaux = FirstSequencePacks(real, false);
  const auto aaux = FirstSequencePacks(real, true);
  ASSERT_TRUE(vaux.count(0x70));
  ASSERT_EQ(real[4] & 7, 0);

  const auto pal = dir / "pal.avi";
  StandardConversionJob to_pal(source, pal, DvSystem::k625_50, StandardRewriter(0, false));
  Convert(to_pal);
  const auto ntsc = dir / "ntsc.avi";
  StandardConversionJob to_ntsc(pal, ntsc, DvSystem::k525_60, StandardRewriter(0, false));
  Convert(to_ntsc);
  for (const auto& [path, system] : {std::pair{pal, DvSystem::k625_50}, std::pair{ntsc, DvSystem::k525_60}}) {
    SCOPED_TRACE(path.string());
    const DvSource output(path);
    std::vector<std::uint8_t> frame;
    ASSERT_TRUE(output.ReadFrame(5, frame));
    const bool fifty = system == DvSystem::k625_50;
    for (std::size_t b = 4; b < 8; ++b) EXPECT_EQ(frame[b] & 7, real[b] & 7) << "header byte " << b;
    const auto got = FirstSequencePacks(frame, false);
    for (const auto& [header, pack] : vaux) {
      ASSERT_TRUE(got.count(header)) << std::hex << int{header};
      if (header == 0x60) {
        EXPECT_EQ((got.at(header)[3] & 0x20) != 0, fifty);
      } else if (header != 0x61) {  // the aspect is the rewriter's
        EXPECT_EQ(got.at(header), pack) << std::hex << int{header};
      }
    }
    const auto got_audio = FirstSequencePacks(frame, true);
    for (const auto& [header, pack] : aaux) {
      ASSERT_TRUE(got_audio.count(header)) << std::hex << int{header};
      if (header != 0x50) {
        EXPECT_EQ(got_audio.at(header), pack) << std::hex << int{header};
      }
    }
    EXPECT_EQ((got_audio.at(0x50)[3] & 0x20) != 0, fifty);
  }
}

TEST(StandardConversionJob, TimecodeCountsAtTheOutputRateAndRestartsWithTheRecording) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const std::size_t palBytes = media::FrameBytes(DvSystem::k625_50);
  const auto raw = test::MakeFfmpegDv(dir / "pal.dv", DvSystem::k625_50, 100, {});
  ASSERT_EQ(raw.size(), 100 * palBytes);
  const auto source = dir / "pal.avi";
  {
    auto writer = media::AviWriter::CreateType1(source, {DvSystem::k625_50, false});
    for (int k = 0; k < 100; ++k) {
      std::vector<std::uint8_t> frame(raw.begin() + k * static_cast<std::ptrdiff_t>(palBytes),
                                      raw.begin() + (k + 1) * static_cast<std::ptrdiff_t>(palBytes));
      const int n = k < 60 ? 58 * 25 + k : 5 * 90000 + 10 + (k - 60);
      ASSERT_TRUE(media::WriteTimecode(frame, {static_cast<std::uint8_t>(n / 90000),
                                               static_cast<std::uint8_t>(n / 1500 % 60),
                                               static_cast<std::uint8_t>(n / 25 % 60),
                                               static_cast<std::uint8_t>(n % 25)}));
      writer.WriteVideoFrame(frame);
    }
    writer.Close();
  }
  ASSERT_EQ(Restarts(LabelsOf(source, palBytes), 25), std::vector<std::size_t>{60});

  const auto ntsc = dir / "ntsc.avi";
  StandardConversionJob toNtsc(source, ntsc, DvSystem::k525_60, StandardRewriter(0, false));
  Convert(toNtsc);
  const auto ntscLabels = LabelsOf(ntsc, media::FrameBytes(DvSystem::k525_60));
  ASSERT_EQ(ntscLabels.size(), 120u);
  EXPECT_EQ(ntscLabels[0], (Label{0, 0, 58, 0, true}));
  const auto ntscRestarts = Restarts(ntscLabels, 30);
  ASSERT_EQ(ntscRestarts.size(), 1u);
  EXPECT_NEAR(static_cast<double>(ntscRestarts[0]), 72.0, 1.0) << "where PAL frame 60 is shown";
  EXPECT_EQ(ntscLabels[ntscRestarts[0]], (Label{5, 0, 0, 10, true}));
  EXPECT_NE(std::find(ntscLabels.begin(), ntscLabels.end(), Label{0, 1, 0, 2, true}), ntscLabels.end());

  const auto pal = dir / "pal_again.avi";
  StandardConversionJob toPal(ntsc, pal, DvSystem::k625_50, StandardRewriter(0, false));
  Convert(toPal);
  const auto palLabels = LabelsOf(pal, palBytes);
  ASSERT_EQ(palLabels.size(), 100u);
  EXPECT_EQ(palLabels[0], (Label{0, 0, 58, 0, false}));
  const auto palRestarts = Restarts(palLabels, 25);
  ASSERT_EQ(palRestarts.size(), 1u);
  EXPECT_EQ(palLabels[palRestarts[0]].h, 5);
  for (const Label& l : palLabels) EXPECT_LT(l.f, 25) << l;
}

// Sound that changes mode midway (unlocked 48 kHz, then 32 kHz) comes out
// at one rate and still in step with the picture: the change is heard one
// second in, where it is seen.
TEST(StandardConversionJob, SoundModeChangeStaysInStepWithThePicture) {
  TempDir dir;
  const auto source = test::WriteModeChangeClip(dir.path());
  const auto output = dir / "ntsc.avi";
  StandardConversionJob job(source, output, DvSystem::k525_60, StandardRewriter(0, false));
  Convert(job);
  std::vector<std::int16_t> left;
  for (const auto& frame : test::ReadAllDvFrames(output)) {
    const media::DvAudioFrame audio = media::DecodeDvAudio(frame);
    ASSERT_EQ(audio.info.sample_rate, 48000);
    for (std::size_t i = 0; i < audio.pcm[0].size(); i += 2) left.push_back(audio.pcm[0][i]);
  }
  // Two seconds of picture, two seconds of sound.
  EXPECT_NEAR(static_cast<double>(left.size()), 96000.0, 1700.0);
  EXPECT_EQ(left[48000 - 2400], test::kFirstModeLevel);
  EXPECT_NEAR(left[48000 + 2400], test::kSecondModeLevel, 2);
  // The unlocked part holds 47,990 samples, not 48,000: the sound is that
  // much shorter than the picture and ends in a little silence.
  EXPECT_NEAR(left[left.size() - 400], test::kSecondModeLevel, 2);
}

TEST(RecompressJob, MjpegBecomesDvType2InTheChosenStandard) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  TempDir dir;
  const auto output = dir / "mjpeg_dvtype2.avi";
  RecompressJob job(StandardSample("mjpeg_not_dv.avi"), output, DvSystem::k525_60, false, std::nullopt);
  ASSERT_GT(job.Duration(), 0);
  Convert(job);
  const auto probed = test::ProbeFile(output);
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->streams.size(), 2u);
  EXPECT_EQ(probed->streams[0].codec_name, "dvvideo");
  EXPECT_EQ(probed->streams[0].width, 720);
  EXPECT_EQ(probed->streams[0].height, 480);
  EXPECT_GT(probed->streams[0].read_frames, 0);
  EXPECT_EQ(probed->streams[1].sample_rate, 48000);
  EXPECT_EQ(probed->streams[1].channels, 2);
}

TEST(RecompressJob, WidescreenSourceOfOddRateGetsA16By9PalFrame) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("ffprobe");
  TempDir dir;
  const auto source = dir / "wide_mpeg4.avi";
  ASSERT_EQ(test::RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=640x360:rate=15", "-f",
                              "lavfi", "-i", "sine=sample_rate=22050", "-t", "1", "-c:v", "mpeg4", "-c:a",
                              "pcm_s16le", source.string()})
                .exit_code,
            0);
  RecompressJob job(source, dir / "out.avi", DvSystem::k625_50, true, std::nullopt);
  Convert(job);
  const auto probed = test::ProbeFile(dir / "out.avi");
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->streams[0].height, 576);
  EXPECT_EQ(probed->streams[0].display_aspect, "16:9");
  EXPECT_NEAR(static_cast<double>(probed->streams[0].read_frames), 25.0, 1.0);
}

TEST(RecompressJob, RefusesAFileWithoutPicture) {
  EXPECT_THROW(RecompressJob(StandardSample("audio_only.avi"), "/tmp/never.avi", DvSystem::k625_50, false,
                             std::nullopt),
               ConversionError);
}

}  // namespace
}  // namespace korvid::graphs
