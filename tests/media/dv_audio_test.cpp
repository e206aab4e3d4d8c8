// Reading the sound of DV frames, checked against ffmpeg's reading of the
// same files and against real camcorder frames.

#include "media/dv_audio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "media/dv_audio_layout.h"
#include "dv_audio_test_support.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::FfmpegPcm;
using test::MakeDvWithFfmpeg;
using test::SplitFrames;
using test::TempDir;

struct MadeFile {
  DvSystem system;
  int rate;
  std::size_t first_frame_samples;
};

std::string MadeName(const ::testing::TestParamInfo<MadeFile>& param) {
  return std::string(param.param.system == DvSystem::k625_50 ? "Pal" : "Ntsc") +
         std::to_string(param.param.rate);
}

class DvAudioFromFfmpeg : public ::testing::TestWithParam<MadeFile> {};

// Our reading of every frame, put end to end, is ffmpeg's reading of the file.
TEST_P(DvAudioFromFfmpeg, DecodesTheSameSamplesAsFfmpeg) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  const MadeFile made = GetParam();
  TempDir dir;
  auto bytes = MakeDvWithFfmpeg(dir, made.system, made.rate);
  ASSERT_FALSE(bytes.empty());
  const auto path = dir / "file.dv";
  test::WriteWholeFile(path, bytes);
  const auto expected = FfmpegPcm(path);
  ASSERT_FALSE(expected.empty());

  std::vector<std::int16_t> ours;
  DvAudioFrame decoded;
  const auto frames = SplitFrames(bytes, made.system);
  ASSERT_GE(frames.size(), 4u);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    DecodeDvAudio(frames[i], decoded);
    EXPECT_EQ(decoded.info.system, made.system);
    EXPECT_EQ(decoded.info.sample_rate, made.rate);
    EXPECT_EQ(decoded.info.bits, 16);
    EXPECT_EQ(decoded.info.channels, 2);
    EXPECT_EQ(decoded.info.pairs, 1);
    EXPECT_TRUE(decoded.pcm[1].empty());
    ASSERT_EQ(decoded.pcm[0].size(), 2 * decoded.info.samples);
    if (i == 0) {
      EXPECT_EQ(decoded.info.samples, made.first_frame_samples);
    }
    ours.insert(ours.end(), decoded.pcm[0].begin(), decoded.pcm[0].end());
  }
  ASSERT_EQ(ours.size(), expected.size());
  EXPECT_TRUE(ours == expected);
  // The two channels carry different tones: a swap would not go unnoticed.
  EXPECT_NE(ours[200], ours[201]);
}

INSTANTIATE_TEST_SUITE_P(Made, DvAudioFromFfmpeg,
                         ::testing::Values(MadeFile{DvSystem::k625_50, 48000, 1920},
                                           MadeFile{DvSystem::k625_50, 44100, 1764},
                                           MadeFile{DvSystem::k625_50, 32000, 1280},
                                           MadeFile{DvSystem::k525_60, 48000, 1600}),
                         MadeName);

TEST(DvAudioRealFrames, CamcorderFrameMatchesFfprobeAndFfmpeg) {
  KORVID_REQUIRE_REAL_FIXTURES();
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("ffprobe");
  const auto path = test::RealFixturesDir() / "sony_perfect.dv";
  const auto bytes = test::ReadWholeFile(path);
  const DvAudioFrame decoded = DecodeDvAudio(bytes);

  EXPECT_EQ(decoded.info.system, DvSystem::k525_60);
  EXPECT_EQ(decoded.info.bits, 12);
  EXPECT_EQ(decoded.info.samples, 1068u);
  EXPECT_FALSE(decoded.info.locked);
  EXPECT_FALSE(decoded.info.second_pair_recorded);

  // ffprobe: one stream per stereo pair, with the rate the pack gives.
  const auto probe = test::RunCommand({"ffprobe", "-loglevel", "error", "-select_streams", "a",
                                       "-show_entries", "stream=sample_rate,channels", "-of",
                                       "csv=p=0", path.string()});
  ASSERT_EQ(probe.exit_code, 0);
  const std::string line = std::to_string(decoded.info.sample_rate) + ",2\n";
  std::string expected_probe;
  for (int i = 0; i < decoded.info.pairs; ++i) expected_probe += line;
  EXPECT_EQ(probe.output, expected_probe);

  for (int pair = 0; pair < decoded.info.pairs; ++pair) {
    SCOPED_TRACE(pair);
    EXPECT_TRUE(decoded.pcm[static_cast<std::size_t>(pair)] == test::FfmpegPcm(path, pair));
  }
  // The first pair holds recorded sound, not silence.
  std::size_t non_zero = 0;
  for (const auto v : decoded.pcm[0]) non_zero += v != 0 ? 1 : 0;
  EXPECT_GT(non_zero, decoded.pcm[0].size() / 2);
}

TEST(DvAudioRealFrames, TruncatedFrameGivesItsFormatButNoSound) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const auto bytes = test::ReadWholeFile(test::RealFixturesDir() / "pal_wide_32k_truncated.dv");
  ASSERT_EQ(bytes.size(), 4400u);
  const DvAudioInfo info = ReadDvAudioInfo(bytes);
  EXPECT_EQ(info.system, DvSystem::k625_50);
  EXPECT_EQ(info.sample_rate, 32000);
  EXPECT_EQ(info.bits, 12);
  EXPECT_EQ(info.channels, 4);
  EXPECT_EQ(info.samples, 1280u);
  EXPECT_THROW(DecodeDvAudio(bytes), DvAudioError);
}

// A frame made by ffmpeg, for the tests that damage it.
class DvAudioDamaged : public ::testing::Test {
 protected:
  // Made once for the suite; each test damages its own copy.
  static void SetUpTestSuite() {
    if (!test::HaveProgram("ffmpeg")) return;
    TempDir dir;
    made_ = MakeDvWithFfmpeg(dir, DvSystem::k625_50, 48000, 0.08);
    if (made_.size() > FrameBytes(DvSystem::k625_50)) made_.resize(FrameBytes(DvSystem::k625_50));
  }
  static void TearDownTestSuite() { made_.clear(); }

  void SetUp() override {
    KORVID_REQUIRE_PROGRAM("ffmpeg");
    ASSERT_EQ(made_.size(), FrameBytes(DvSystem::k625_50));
    frame_ = made_;
  }

  // Sets data byte `index` (1-4) of every copy of the source pack.
  void SetSourcePackByte(std::size_t index, std::uint8_t value, std::size_t from_sequence = 0) {
    for (std::size_t s = from_sequence; s < SequencesPerFrame(DvSystem::k625_50); ++s) {
      for (std::size_t b = 0; b < kAudioBlocksPerSequence; ++b) {
        const std::size_t at = AauxPackOffset(s, b);
        if (frame_[at] == kAudioSourcePack) frame_[at + index] = value;
      }
    }
  }

  std::string ErrorOf(std::span<const std::uint8_t> bytes) {
    try {
      DecodeDvAudio(bytes);
    } catch (const DvAudioError& e) {
      return e.what();
    }
    return {};
  }

  static inline std::vector<std::uint8_t> made_;
  std::vector<std::uint8_t> frame_;
};

TEST_F(DvAudioDamaged, ShortBuffersFailCleanly) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{79}, std::size_t{80}, std::size_t{4400},
                                 std::size_t{12000}, frame_.size() - 1}) {
    SCOPED_TRACE(size);
    // A copy of exactly `size` bytes, so that a read past it shows under ASan.
    const std::vector<std::uint8_t> cut(frame_.begin(), frame_.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(ErrorOf(cut).empty());
    // The first source pack's block ends at byte 4400.
    EXPECT_EQ(FindAauxPack(cut, kAudioSourcePack).has_value(), size >= 4400);
  }
  EXPECT_TRUE(ErrorOf(frame_).empty());
}

TEST_F(DvAudioDamaged, SampleCountBeyondTheFrameIsRefused) {
  SetSourcePackByte(1, 0x40 | 0x3F);  // 1896 + 63 > 1944
  const std::string error = ErrorOf(frame_);
  EXPECT_NE(error.find("1959"), std::string::npos) << error;
  EXPECT_NE(error.find("1944"), std::string::npos) << error;
}

TEST_F(DvAudioDamaged, UnknownFrequencyAndQuantisationAreRefused) {
  SetSourcePackByte(4, 0xC0 | (5 << 3));
  EXPECT_NE(ErrorOf(frame_).find("frequency"), std::string::npos);
  SetSourcePackByte(4, 0xC0 | 2);  // 20-bit
  EXPECT_NE(ErrorOf(frame_).find("quantisation"), std::string::npos);
  SetSourcePackByte(4, 0xC0 | 1);  // 12-bit at 48 kHz does not fit the frame
  EXPECT_NE(ErrorOf(frame_).find("12-bit"), std::string::npos);
}

TEST_F(DvAudioDamaged, DamagedFirstCopiesFallBackToALaterOne) {
  const DvAudioInfo before = ReadDvAudioInfo(frame_);
  // Every copy but those of the last sequence says 63 samples too many.
  for (std::size_t s = 0; s + 1 < SequencesPerFrame(DvSystem::k625_50); ++s) {
    for (std::size_t b = 0; b < kAudioBlocksPerSequence; ++b) {
      const std::size_t at = AauxPackOffset(s, b);
      if (frame_[at] == kAudioSourcePack) frame_[at + 1] = 0xFF;
    }
  }
  EXPECT_EQ(ReadDvAudioInfo(frame_).samples, before.samples);
  EXPECT_TRUE(ErrorOf(frame_).empty());
}

TEST_F(DvAudioDamaged, PackInAnOddPlaceIsStillFound) {
  const std::size_t home = AauxPackOffset(0, 3);
  const std::size_t elsewhere = AauxPackOffset(0, 8);
  for (std::size_t i = 0; i < 5; ++i) frame_[elsewhere + i] = frame_[home + i];
  for (std::size_t s = 0; s < SequencesPerFrame(DvSystem::k625_50); ++s) {
    frame_[AauxPackOffset(s, s % 2 == 0 ? 3 : 0)] = 0xFF;
  }
  ASSERT_TRUE(FindAauxPack(frame_, kAudioSourcePack).has_value());
  EXPECT_EQ(ReadDvAudioInfo(frame_).samples, 1920u);
}

TEST_F(DvAudioDamaged, FrameWithoutSourcePackSaysSo) {
  for (std::size_t s = 0; s < SequencesPerFrame(DvSystem::k625_50); ++s) {
    for (std::size_t b = 0; b < kAudioBlocksPerSequence; ++b) {
      if (frame_[AauxPackOffset(s, b)] == kAudioSourcePack) frame_[AauxPackOffset(s, b)] = 0xFF;
    }
  }
  EXPECT_NE(ErrorOf(frame_).find("no audio source pack"), std::string::npos);
  EXPECT_FALSE(FindAauxPack(frame_, kAudioSourcePack).has_value());
}

TEST_F(DvAudioDamaged, GarbageAudioBlocksNeverCrash) {
  std::uint32_t state = 12345;
  for (int round = 0; round < 200; ++round) {
    for (std::size_t s = 0; s < SequencesPerFrame(DvSystem::k625_50); ++s) {
      for (std::size_t b = 0; b < kAudioBlocksPerSequence; ++b) {
        const std::size_t at = AauxPackOffset(s, b);
        for (std::size_t i = 0; i < 77; ++i) {
          state = state * 1664525u + 1013904223u;
          frame_[at + i] = static_cast<std::uint8_t>(state >> 24);
        }
        if ((state & 3) == 0) frame_[at] = kAudioSourcePack;
      }
    }
    try {
      const DvAudioFrame decoded = DecodeDvAudio(frame_);
      EXPECT_EQ(decoded.pcm[0].size(), 2 * decoded.info.samples);
    } catch (const DvAudioError&) {
    }
  }
}

}  // namespace
}  // namespace korvid::media
