#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "graphs/audio_extraction_job.h"
#include "graphs/mp4_export_job.h"
#include "media/avi_writer.h"
#include "media/dv_audio.h"
#include "media/dv_audio_layout.h"
#include "media/dv_sound_drift.h"
#include "click_times.h"
#include "sample_clip.h"
#include "support/avi_probe.h"
#include "support/mode_change_clip.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

using media::DvAudioMode;
using media::DvSystem;

// Camcorder-like unlocked counts for 625/50 at 48 kHz: 0.57 samples a frame
// too many on average, jittering by a few.
const std::vector<std::size_t> kUnlockedCounts{1921, 1919, 1922, 1920, 1923, 1918, 1921};

samples::DvClipSpec ClickSpec(double seconds, DvAudioMode audio = DvAudioMode::k48k16Bit2Ch,
                              std::vector<std::size_t> counts = {}) {
  samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.audio = audio;
  spec.frames = static_cast<int>(seconds * 25);
  spec.distinct_pictures = 5;
  spec.clicks = true;
  spec.unlocked_counts = std::move(counts);
  return spec;
}

// The first sound of a file as ffmpeg decodes it, interleaved 16-bit.
std::vector<std::int16_t> Decoded(const std::filesystem::path& path, int channels, int rate) {
  const test::TempDir dir;
  const auto raw = dir / "sound.raw";
  const auto r = test::RunShell("ffmpeg -nostdin -v error -y -i " + test::Quoted(path) + " -map 0:a:0 -ac " +
                                std::to_string(channels) + " -ar " + std::to_string(rate) + " -f s16le " +
                                test::Quoted(raw));
  EXPECT_EQ(r.exit_code, 0) << r.output;
  const auto bytes = test::ReadWholeFile(raw);
  std::vector<std::int16_t> pcm(bytes.size() / 2);
  for (std::size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return pcm;
}

// The samples of a WAV this program wrote, read straight from its data
// chunk (the files are below the RIFF limit).
std::vector<std::int16_t> WavSamples(const std::filesystem::path& path) {
  const auto bytes = test::ReadWholeFile(path);
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::uint32_t size = bytes[at + 4] | (bytes[at + 5] << 8) | (bytes[at + 6] << 16) |
                               (static_cast<std::uint32_t>(bytes[at + 7]) << 24);
    if (std::equal(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + 4), "data")) {
      std::vector<std::int16_t> pcm(std::min<std::size_t>(size, bytes.size() - at - 8) / 2);
      for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<std::int16_t>(bytes[at + 8 + 2 * i] | (bytes[at + 9 + 2 * i] << 8));
      return pcm;
    }
    at += 8 + size + (size & 1);
  }
  ADD_FAILURE() << "no data chunk in " << path;
  return {};
}

using samples::Click;

std::vector<Click> Clicks(const std::vector<std::int16_t>& pcm, int channels, int rate, int channel = 0) {
  return samples::FindClicks(pcm, channels, rate, channel);
}

// How far the clicks stray from the seconds of the picture, at worst, in
// milliseconds; fails when one is missing or extra.
double WorstMs(const std::vector<Click>& clicks, std::size_t expected, const std::string& what) {
  EXPECT_EQ(clicks.size(), expected) << what;
  const double worst = samples::WorstClickOffsetMs(clicks);
  std::printf("[ measured ] %s: %zu clicks, worst %.3f ms from the picture\n", what.c_str(), clicks.size(), worst);
  return worst;
}

std::filesystem::path ExtractWav(const std::filesystem::path& source, const std::filesystem::path& wav,
                                 DvSoundLayout layout) {
  AudioExtractionJob job(source, wav, {}, layout);
  JobProgress progress;
  job.Run(progress);
  return wav;
}

std::filesystem::path ExportMp4(const std::filesystem::path& source, const std::filesystem::path& mp4,
                                bool mix_pairs = false) {
  Mp4ExportOptions options{51, "yyyy/mm/dd hh:nn:ss", settings::EnglishLocaleFormats(), std::nullopt, {}};
  options.mixPairs = mix_pairs;
  Mp4ExportJob job(source, mp4, options);
  JobProgress progress;
  job.Run(progress);
  return mp4;
}

// Ten minutes of unlocked sound: as recorded it ends far from the picture;
// locked, every click stays on its second from start to end.
TEST(LockedSound, TenMinutesOfUnlockedSoundStayOnThePicture) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::TempDir dir;
  constexpr int kSeconds = 600;
  const auto spec = ClickSpec(kSeconds, DvAudioMode::k48k16Bit2Ch, kUnlockedCounts);
  const auto source = dir / "unlocked.avi";
  samples::WriteDvClip(source, spec);

  // The drift the file reports is the one its counts make.
  double recorded = 0;
  for (int k = 0; k < spec.frames; ++k) recorded += static_cast<double>(kUnlockedCounts[static_cast<std::size_t>(k) % kUnlockedCounts.size()]);
  const double expected_drift = (recorded / 48000.0 - spec.frames / 25.0) * 1000.0;
  const auto drift = media::ReadDvSoundDrift(source);
  ASSERT_TRUE(drift);
  EXPECT_FALSE(drift->locked);
  EXPECT_NEAR(drift->drift_ms, expected_drift, 1e-6);
  EXPECT_GT(expected_drift, 150.0);

  const auto locked = WavSamples(ExtractWav(source, dir / "locked.wav", {true}));
  EXPECT_EQ(locked.size(), 2u * 1920 * static_cast<std::size_t>(spec.frames));
  EXPECT_LT(WorstMs(Clicks(locked, 2, 48000), kSeconds, "locked WAV"), 1.0);

  // As recorded (the default) the WAV holds the samples the frames hold.
  const auto as_recorded = WavSamples(ExtractWav(source, dir / "recorded.wav", {}));
  EXPECT_EQ(as_recorded.size(), 2 * static_cast<std::size_t>(recorded));
  EXPECT_GT(WorstMs(Clicks(as_recorded, 2, 48000), kSeconds, "as-recorded WAV"), 100.0);
  WorstMs(Clicks(Decoded(source, 2, 48000), 2, 48000), kSeconds, "ffmpeg's WAV");
}

// The picture's encoding makes a long MP4 too slow for the suite: the
// ten-minute MP4 is bench/locked_sound_check, run by hand.
TEST(LockedSound, AnMp4OfUnlockedSoundEndsWithThePicture) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::TempDir dir;
  constexpr int kSeconds = 40;
  const auto source = dir / "unlocked.avi";
  samples::WriteDvClip(source, ClickSpec(kSeconds, DvAudioMode::k48k16Bit2Ch, {1930, 1925, 1932}));
  const auto mp4 = ExportMp4(source, dir / "locked.mp4");
  const auto sound = Decoded(mp4, 2, 48000);
  EXPECT_NEAR(static_cast<double>(sound.size()) / 2, 48000.0 * kSeconds, 48.0);
  EXPECT_LT(WorstMs(Clicks(sound, 2, 48000), kSeconds, "locked MP4"), 1.0);
  WorstMs(Clicks(Decoded(source, 2, 48000), 2, 48000), kSeconds, "ffmpeg's sound");
}

// Type 2 keeps the sound in its own stream; the frames still count it, so
// the stream locks to them as the frames' own sound does.
TEST(LockedSound, AType2StreamLocksToItsFramesCounts) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::TempDir dir;
  constexpr int kSeconds = 20;
  auto spec = ClickSpec(kSeconds, DvAudioMode::k48k16Bit2Ch, kUnlockedCounts);
  spec.dv_type = 2;
  const auto source = dir / "unlocked2.avi";
  samples::WriteDvClip(source, spec);
  const auto locked = WavSamples(ExtractWav(source, dir / "locked.wav", {true}));
  EXPECT_EQ(locked.size(), 2u * 1920 * kSeconds * 25);
  EXPECT_LT(WorstMs(Clicks(locked, 2, 48000), kSeconds, "locked type-2 WAV"), 1.0);
  EXPECT_LT(WorstMs(Clicks(Decoded(ExportMp4(source, dir / "locked.mp4"), 2, 48000), 2, 48000), kSeconds,
                    "locked type-2 MP4"),
            1.0);
}

// A tape re-recorded in places: 48 kHz, frames that lost their AAUX, then
// 32 kHz. Every click keeps its second, as recorded and locked.
TEST(LockedSound, LostAauxAndAModeChangeKeepEveryClickOnItsSecond) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::TempDir dir;
  constexpr int kHalfSeconds = 6;
  samples::WriteDvClip(dir / "a.avi", ClickSpec(kHalfSeconds));
  samples::WriteDvClip(dir / "b.avi", ClickSpec(kHalfSeconds, DvAudioMode::k32k16Bit2Ch));
  auto frames = test::ReadAllDvFrames(dir / "a.avi");
  // Three seconds of frames without any AAUX pack, bar the clicking ones.
  for (std::size_t k = 26; k < 26 + 3 * 25; ++k)
    if (k % 25 != 0)
      for (std::size_t s = 0; s < media::SequencesPerFrame(DvSystem::k625_50); ++s)
        for (std::size_t b = 0; b < media::kAudioBlocksPerSequence; ++b)
          std::fill_n(frames[k].begin() + static_cast<std::ptrdiff_t>(media::AauxPackOffset(s, b)), media::kPackBytes, 0xFF);
  const auto second = test::ReadAllDvFrames(dir / "b.avi");
  frames.insert(frames.end(), second.begin(), second.end());
  const auto source = dir / "mixed.avi";
  auto writer = media::AviWriter::CreateType1(source, {DvSystem::k625_50, false});
  for (const auto& frame : frames) writer.WriteVideoFrame(frame);
  writer.Close();
  const std::size_t clicks = 2 * kHalfSeconds;

  EXPECT_LT(WorstMs(Clicks(Decoded(ExtractWav(source, dir / "recorded.wav", {}), 2, 48000), 2, 48000), clicks,
                    "as-recorded WAV"),
            1.0);
  EXPECT_LT(WorstMs(Clicks(Decoded(ExtractWav(source, dir / "locked.wav", {true}), 2, 48000), 2, 48000), clicks,
                    "locked WAV"),
            1.0);
  EXPECT_LT(WorstMs(Clicks(Decoded(ExportMp4(source, dir / "locked.mp4"), 2, 48000), 2, 48000), clicks, "MP4"), 1.0);
  const auto theirs = Clicks(Decoded(source, 2, 48000), 2, 48000);
  std::printf("[ measured ] ffmpeg's sound: %zu clicks, the last at %.3f s\n", theirs.size(),
              theirs.empty() ? 0.0 : theirs.back().seconds);
}

// Four channels: 1-2 by default, all four when asked (3-4 click at half
// the level), as recorded or locked; the MP4 keeps 1-2 or mixes the pairs.
// Type 2 keeps a pair in each auds stream, type 1 both in the frames.
TEST(LockedSound, FourChannelRecordingsGiveTheChannelsAsked) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  for (const int type : {1, 2}) {
    SCOPED_TRACE("type " + std::to_string(type));
    test::TempDir dir;
    const auto source = dir / "four.avi";
    auto spec = ClickSpec(3, DvAudioMode::k32k12Bit4Ch, {1282, 1278, 1283});
    spec.dv_type = type;
    samples::WriteDvClip(source, spec);

    const auto probe_channels = [](const std::filesystem::path& path) {
      const auto probed = test::ProbeFile(path);
      return probed && !probed->streams.empty() ? probed->streams[0].channels : 0;
    };
    EXPECT_EQ(probe_channels(ExtractWav(source, dir / "two.wav", {})), 2);
    for (const bool locked : {false, true}) {
      const auto four = ExtractWav(source, dir / "four.wav", {locked, DvPairUse::kAllFour});
      ASSERT_EQ(probe_channels(four), 4);
      const auto pcm = WavSamples(four);
      // As recorded the WAV holds the frames' own counts; locked, 1280 a frame.
      EXPECT_EQ(pcm.size(), 4u * (locked ? 1280u * 75 : (1282u + 1278 + 1283) * 25));
      const auto first = Clicks(pcm, 4, 32000, 0);
      const auto third = Clicks(pcm, 4, 32000, 2);
      ASSERT_EQ(first.size(), 3u);
      ASSERT_EQ(third.size(), 3u);
      for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(first[i].seconds, third[i].seconds);
        EXPECT_NEAR(first[i].peak, samples::kClickLevel, 200);
        EXPECT_NEAR(third[i].peak, samples::kClickLevel / 2, 200);
      }
      if (locked) {
        EXPECT_LT(WorstMs(first, 3, "locked four-channel WAV"), 1.0);
      }
    }

    const auto kept = Clicks(Decoded(ExportMp4(source, dir / "kept.mp4"), 2, 48000), 2, 48000);
    const auto mixed = Clicks(Decoded(ExportMp4(source, dir / "mixed.mp4", true), 2, 48000), 2, 48000);
    ASSERT_EQ(kept.size(), 3u);
    ASSERT_EQ(mixed.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      // (full + half) / 2 against full: three quarters, give or take the codec.
      const double ratio = static_cast<double>(mixed[i].peak) / kept[i].peak;
      EXPECT_GT(ratio, 0.65);
      EXPECT_LT(ratio, 0.85);
      EXPECT_LT(std::abs(mixed[i].seconds - static_cast<double>(i)), 0.001);
    }
  }
}

}  // namespace
}  // namespace korvid::graphs
