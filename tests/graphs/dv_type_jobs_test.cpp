#include "graphs/dv_type_jobs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "graphs/avi_pcm_reader.h"
#include "media/avi_writer.h"
#include "media/dv_audio.h"
#include "media/dv_audio_encoder.h"
#include "media/dv_audio_sample_count.h"
#include "media/dv_packs.h"
#include "support/avi_probe.h"
#include "support/dv_pack_frames.h"
#include "support/mode_change_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using test::StandardSample;
using test::TempDir;

void Convert(ConversionJob& job) {
  JobProgress progress;
  job.Run(progress);
  EXPECT_EQ(progress.Position(), job.Duration());
}

std::vector<std::vector<std::uint8_t>> AllFrames(const std::filesystem::path& path) {
  const DvSource source(path);
  std::vector<std::vector<std::uint8_t>> frames(source.FrameCount());
  for (std::size_t k = 0; k < frames.size(); ++k) EXPECT_TRUE(source.ReadFrame(k, frames[k]));
  return frames;
}

// The sound of every frame, pair by pair, concatenated.
std::vector<std::int16_t> FramesPcm(const std::filesystem::path& path, std::size_t pair = 0) {
  std::vector<std::int16_t> all;
  for (const auto& frame : AllFrames(path)) {
    const media::DvAudioFrame audio = media::DecodeDvAudio(frame);
    all.insert(all.end(), audio.pcm[pair].begin(), audio.pcm[pair].end());
  }
  return all;
}

std::vector<std::int16_t> StreamPcm(const std::filesystem::path& path, std::size_t nth_audio) {
  const DvSource source(path);
  AviPcmReader reader(source.File(), source.Param(), source.Index(), source.AudioStreams().at(nth_audio));
  std::vector<std::int16_t> all;
  while (reader.Read(4096, all) > 0) {
  }
  return all;
}

TEST(Type1To2Job, CopiesFramesAndSplitsTheSoundIntoAPcmStream) {
  TempDir dir;
  const auto source = StandardSample("pal_type1.avi");
  const auto output = dir / "pal_type2.avi";
  Type1To2Job job(source, output);
  EXPECT_EQ(job.Duration(), 2 * kTicksPerSecond);  // 50 frames
  Convert(job);

  EXPECT_EQ(AllFrames(output), AllFrames(source));
  const DvSource converted(output);
  EXPECT_FALSE(converted.Interleaved());
  ASSERT_EQ(converted.AudioStreams().size(), 1u);
  EXPECT_EQ(StreamPcm(output, 0), FramesPcm(source));
}

TEST(Type1To2Job, OutputReadsCleanlyInFfprobeAndMediainfo) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  KORVID_REQUIRE_PROGRAM("mediainfo");
  TempDir dir;
  const auto output = dir / "out.avi";
  Type1To2Job job(StandardSample("pal_wide.avi"), output);
  Convert(job);
  const auto probed = test::ProbeFile(output);
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->streams.size(), 2u);
  EXPECT_EQ(probed->streams[0].codec_name, "dvvideo");
  EXPECT_EQ(probed->streams[0].codec_tag, "dvsd");
  EXPECT_EQ(probed->streams[0].read_frames, 50);
  EXPECT_EQ(probed->streams[0].display_aspect, "16:9");
  EXPECT_EQ(probed->streams[1].codec_name, "pcm_s16le");
  EXPECT_EQ(probed->streams[1].sample_rate, 48000);
  EXPECT_EQ(probed->streams[1].channels, 2);
  EXPECT_EQ(test::MediaInfoField(output, "Standard"), "PAL");
  EXPECT_EQ(test::MediaInfoField(output, "Recorded_Date").substr(0, 10), "2010-02-16");
}

TEST(Type1To2Job, TwoAudioPairsGiveTwoAudioStreams) {
  TempDir dir;
  const auto source = StandardSample("pal_32k_12bit.avi");
  const auto output = dir / "four.avi";
  Type1To2Job job(source, output);
  Convert(job);
  const DvSource converted(output);
  ASSERT_EQ(converted.AudioStreams().size(), 2u);
  const auto format = ReadPcmFormat(converted.Param().streams[converted.AudioStreams()[1]].format);
  ASSERT_TRUE(format);
  EXPECT_EQ(format->sample_rate, 32000);
  EXPECT_EQ(StreamPcm(output, 0), FramesPcm(source, 0));
  EXPECT_EQ(StreamPcm(output, 1), FramesPcm(source, 1));
}

TEST(DvTypeJobs, OneToTwoToOneKeepsFramesBitExact) {
  TempDir dir;
  const auto source = StandardSample("pal_type1.avi");
  Type1To2Job there(source, dir / "two.avi");
  Convert(there);
  Type2To1Job back(dir / "two.avi", dir / "one.avi");
  Convert(back);
  const DvSource result(dir / "one.avi");
  EXPECT_TRUE(result.Interleaved());
  EXPECT_TRUE(result.AudioStreams().empty());
  EXPECT_EQ(AllFrames(dir / "one.avi"), AllFrames(source));
}

// A real camcorder frame: 32 kHz 12-bit, second pair unused and marked so,
// its own source-control bytes in each half. Round trip through type 2:
// bit for bit. New sound from a type-2 file: only the samples change, every
// AAUX pack stays (read here from the raw packets ffmpeg hands out).
TEST(Type2To1Job, RealFramesKeepTheirSoundPacks) {
  KORVID_REQUIRE_REAL_FIXTURES();
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  const auto frame = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  const std::size_t bytes = media::FrameBytes(media::DvSystem::k525_60);
  ASSERT_EQ(frame.size(), bytes);
  TempDir dir;
  {
    auto writer = media::AviWriter::CreateType1(dir / "sony.avi", {media::DvSystem::k525_60, false});
    for (int k = 0; k < 4; ++k) writer.WriteVideoFrame(frame);
    writer.Close();
  }
  Type1To2Job there(dir / "sony.avi", dir / "two.avi");
  Convert(there);
  Type2To1Job back(dir / "two.avi", dir / "one.avi");
  Convert(back);
  const auto raw = test::ExtractStream(dir / "one.avi", "v:0", "rawvideo");
  ASSERT_EQ(raw.size(), 4 * bytes);
  for (std::size_t k = 0; k < 4; ++k)
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), raw.begin() + static_cast<std::ptrdiff_t>(k * bytes))) << k;

  const std::size_t samples = media::ReadDvAudioInfo(frame).samples;
  {
    auto writer = media::AviWriter::CreateType2(dir / "tone.avi", {media::DvSystem::k525_60, false}, {{32000, 2, 16}});
    std::vector<std::uint8_t> tone(samples * 4);
    for (std::size_t i = 0; i < samples; ++i) {
      const auto value = static_cast<std::uint16_t>(static_cast<std::int16_t>(i % 64 * 100 - 3200));
      for (std::size_t c = 0; c < 2; ++c) {
        tone[4 * i + 2 * c] = static_cast<std::uint8_t>(value);
        tone[4 * i + 2 * c + 1] = static_cast<std::uint8_t>(value >> 8);
      }
    }
    for (int k = 0; k < 4; ++k) {
      writer.WriteVideoFrame(frame);
      writer.WriteAudio(0, tone);
    }
    writer.Close();
  }
  Type2To1Job embed(dir / "tone.avi", dir / "tone1.avi");
  Convert(embed);
  const auto toned = test::ExtractStream(dir / "tone1.avi", "v:0", "rawvideo");
  ASSERT_EQ(toned.size(), 4 * bytes);
  for (std::size_t k = 0; k < 4; ++k) {
    const auto* out = toned.data() + k * bytes;
    std::size_t samplesChanged = 0;
    for (std::size_t s = 0; s < 10; ++s) {
      for (std::size_t b = 0; b < 150; ++b) {
        const std::size_t at = media::DifBlockOffset(s, b);
        const bool audio = b >= 6 && (b - 6) % 16 == 0;
        // An audio block: 3 ID bytes, the 5-byte AAUX pack, then samples.
        const std::size_t kept = audio ? 8 : 80;
        EXPECT_TRUE(std::equal(frame.begin() + static_cast<std::ptrdiff_t>(at),
                               frame.begin() + static_cast<std::ptrdiff_t>(at + kept), out + at))
            << "frame " << k << " sequence " << s << " block " << b;
        if (audio && !std::equal(frame.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                 frame.begin() + static_cast<std::ptrdiff_t>(at + 80), out + at + 8))
          ++samplesChanged;
      }
    }
    EXPECT_GT(samplesChanged, 40u) << k;
  }
}

TEST(Type1To2Job, KeepsSoundInStepThroughAModeChangeAndUnlockedCounts) {
  TempDir dir;
  const auto source = test::WriteModeChangeClip(dir.path());
  Type1To2Job job(source, dir / "out.avi");
  Convert(job);
  const auto pcm = StreamPcm(dir / "out.avi", 0);
  // 25 unlocked frames of 1910/1930 samples, then one second at 32 kHz
  // brought to 48 kHz: two seconds in all.
  const std::size_t expected = 13 * 1910 + 12 * 1930 + 25 * 1920;
  EXPECT_NEAR(static_cast<double>(pcm.size() / 2), static_cast<double>(expected), 64.0);
  EXPECT_EQ(pcm[2 * 100], -500);
  EXPECT_NEAR(pcm[2 * (expected - 1000)], 1000, 2);
}

TEST(Type2To1Job, EmbedsFfmpegsSoundIntoFfmpegsFrames) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const auto source = dir / "ffmpeg_type2.avi";
  const auto made = test::RunCommand({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=720x576:rate=25",
                                      "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t", "1",
                                      "-pix_fmt", "yuv420p", "-c:v", "dvvideo", "-c:a", "pcm_s16le", "-ac", "2",
                                      source.string()});
  ASSERT_EQ(made.exit_code, 0);
  Type2To1Job job(source, dir / "one.avi");
  Convert(job);
  const DvSource result(dir / "one.avi");
  EXPECT_TRUE(result.Interleaved());
  ASSERT_EQ(result.FrameCount(), 25u);
  const auto embedded = FramesPcm(dir / "one.avi");
  const auto original = StreamPcm(source, 0);
  ASSERT_EQ(embedded.size(), 48000u * 2);
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), original.begin()));

  const auto probed = test::ProbeFile(dir / "one.avi");
  ASSERT_TRUE(probed);
  ASSERT_FALSE(probed->streams.empty());
  EXPECT_EQ(probed->streams[0].codec_name, "dvvideo");
  EXPECT_EQ(probed->streams[0].read_frames, 25);
}

TEST(DvSource, RefusesWhatIsNotDv) {
  TempDir dir;
  EXPECT_THROW(DvSource(StandardSample("mjpeg_not_dv.avi")), ConversionError);
  test::WriteWholeFile(dir / "junk.avi", std::vector<std::uint8_t>(1000, 7));
  EXPECT_THROW(DvSource(dir / "junk.avi"), ConversionError);
}

}  // namespace
}  // namespace korvid::graphs

namespace korvid::graphs {
namespace {

// A type-2 file whose sound stream lacks the 1,068 samples of frame 10, a
// frame whose sound holds the error markers of a head clog: the frames keep
// their own sound, byte for byte, and the job says so. With the whole
// stream nothing is said.
TEST(Type2To1Job, FramesKeepTheirOwnSoundWhenTheStreamMisfitsThem) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  const media::DvSystem ntsc = media::DvSystem::k525_60;
  const std::size_t bytes = media::FrameBytes(ntsc);
  std::vector<std::uint8_t> dv = test::MakeFfmpegDv(dir / "clip.dv", ntsc, 30, {});
  ASSERT_EQ(dv.size(), 30 * bytes);
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::size_t k = 0; k < 30; ++k) {
    std::vector<std::uint8_t> frame(dv.begin() + static_cast<std::ptrdiff_t>(k * bytes),
                                    dv.begin() + static_cast<std::ptrdiff_t>((k + 1) * bytes));
    std::vector<std::int16_t> pcm(2 * media::SamplesForFrame(ntsc, media::DvAudioRate::k32000, k));
    for (std::size_t n = 0; n < pcm.size(); ++n) pcm[n] = static_cast<std::int16_t>(100 * k + n % 50);
    media::EncodeDvAudio(frame, media::DvAudioMode::k32k16Bit2Ch, pcm);
    if (k == 10)
      for (std::size_t at = 0; at + 80 <= frame.size(); at += 80)
        if ((frame[at] >> 5) == 3) {
          frame[at + 8] = 0x80;  // the 16-bit error code of a lost sample
          frame[at + 9] = 0x00;
        }
    frames.push_back(std::move(frame));
  }
  for (const bool drop : {true, false}) {
    SCOPED_TRACE(drop ? "frame 10's samples dropped" : "whole stream");
    const auto source = dir / (drop ? "short.avi" : "whole.avi");
    {
      auto writer = media::AviWriter::CreateType2(source, {ntsc, false}, {{32000, 2, 16}});
      for (std::size_t k = 0; k < frames.size(); ++k) {
        writer.WriteVideoFrame(frames[k]);
        if (drop && k == 10) continue;
        const auto pcm = media::DecodeDvAudio(frames[k]).pcm[0];
        writer.WriteAudio(0, {reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size() * 2});
      }
      writer.Close();
    }
    const auto output = dir / (drop ? "short_type1.avi" : "whole_type1.avi");
    Type2To1Job job(source, output);
    Convert(job);
    EXPECT_EQ(job.FramesKeptOwnSound(), drop);
    const auto written = AllFrames(output);
    ASSERT_EQ(written.size(), frames.size());
    if (drop) {
      for (std::size_t k = 0; k < frames.size(); ++k) EXPECT_EQ(written[k], frames[k]) << "frame " << k;
    }
    if (test::UseProgram("ffprobe")) {
      const auto probed = test::ProbeFile(output);
      ASSERT_TRUE(probed);
      EXPECT_EQ(probed->streams.at(0).read_frames, 30);
    }
  }
}

}  // namespace
}  // namespace korvid::graphs
