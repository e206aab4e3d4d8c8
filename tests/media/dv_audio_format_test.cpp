// The 12-bit sample code, the sample layout and the per-frame sample counts.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>

#include "media/dv_audio_companding.h"
#include "media/dv_audio_layout.h"
#include "media/dv_audio_sample_count.h"

namespace korvid::media {
namespace {

TEST(DvAudioCompanding, ExpansionIsStrictlyIncreasingAndSymmetric) {
  for (int code = -2047; code < 2047; ++code) {
    const auto c = static_cast<std::int16_t>(code);
    ASSERT_LT(Expand12BitSample(c), Expand12BitSample(static_cast<std::int16_t>(code + 1))) << code;
    ASSERT_EQ(Expand12BitSample(c), -1 - Expand12BitSample(static_cast<std::int16_t>(-1 - code)));
  }
  // Segment ends, as the standard's table gives them.
  EXPECT_EQ(Expand12BitSample(511), 511);
  EXPECT_EQ(Expand12BitSample(512), 512);
  EXPECT_EQ(Expand12BitSample(767), 1022);
  EXPECT_EQ(Expand12BitSample(768), 1024);
  EXPECT_EQ(Expand12BitSample(2047), 32704);
  EXPECT_EQ(Expand12BitSample(-1), -1);
  EXPECT_EQ(Expand12BitSample(-2047), -32705 + 64);
}

TEST(DvAudioCompanding, CompressionIsMonotonicNearestAndAvoidsTheErrorCode) {
  for (int code = -2047; code <= 2047; ++code) {
    const auto c = static_cast<std::int16_t>(code);
    ASSERT_EQ(Compress12BitSample(Expand12BitSample(c)), c) << code;
  }
  std::int16_t previous = Compress12BitSample(-32768);
  EXPECT_EQ(previous, -2047);
  for (int v = -32768; v <= 32767; ++v) {
    const std::int16_t code = Compress12BitSample(static_cast<std::int16_t>(v));
    ASSERT_GE(code, previous) << v;
    ASSERT_NE(code, kDv12BitErrorCode);
    previous = code;
    // Nearest code: no neighbour is closer.
    const int error = std::abs(Expand12BitSample(code) - v);
    for (const int neighbour : {code - 1, code + 1}) {
      if (neighbour < -2047 || neighbour > 2047) continue;
      ASSERT_LE(error, std::abs(Expand12BitSample(static_cast<std::int16_t>(neighbour)) - v)) << v;
    }
  }
}

// Every sample position is a distinct byte group inside an audio block's
// data area, and together they fill it.
TEST(DvAudioLayout, SamplePositionsTileTheAudioData) {
  for (const DvSystem system : {DvSystem::k525_60, DvSystem::k625_50}) {
    for (const std::size_t group : {std::size_t{2}, std::size_t{3}}) {
      std::set<std::size_t> bytes;
      for (std::size_t half = 0; half < 2; ++half) {
        for (std::size_t n = 0; n < AudioHalfCapacity(system, group); ++n) {
          const std::size_t at = AudioSampleOffset(system, half, n, group);
          const std::size_t sequence = at / kDifSequenceBytes;
          ASSERT_EQ(sequence / AudioSequencesPerHalf(system), half);
          const std::size_t block = (at % kDifSequenceBytes) / kDifBlockBytes;
          ASSERT_TRUE(block >= 6 && (block - 6) % 16 == 0) << at;
          for (std::size_t k = 0; k < group; ++k) {
            ASSERT_GE((at + k) % kDifBlockBytes, kAudioBlockDataOffset);
            ASSERT_TRUE(bytes.insert(at + k).second) << "byte used twice: " << at + k;
          }
        }
      }
      EXPECT_EQ(bytes.size(), SequencesPerFrame(system) * kAudioBlocksPerSequence * kAudioBlockDataBytes);
    }
  }
  // The first samples of a channel land in different sequences and blocks.
  EXPECT_EQ(AudioSampleOffset(DvSystem::k525_60, 0, 0, 2), DifBlockOffset(0, 6) + 8);
  EXPECT_EQ(AudioSampleOffset(DvSystem::k525_60, 0, 1, 2), DifBlockOffset(2, 6 + 16 * 3) + 8);
  EXPECT_EQ(AudioSampleOffset(DvSystem::k625_50, 1, 54, 2), DifBlockOffset(6, 6) + 10);
}

TEST(DvAudioSampleCount, NtscCyclesAddUpAndStayInRange) {
  const std::size_t first48[] = {1600, 1602, 1602, 1602, 1602, 1600};
  for (std::uint64_t i = 0; i < 6; ++i) {
    EXPECT_EQ(SamplesForFrame(DvSystem::k525_60, DvAudioRate::k48000, i), first48[i]);
  }
  struct Case {
    DvAudioRate rate;
    std::uint64_t frames;
    std::uint64_t samples;
  };
  for (const Case c : {Case{DvAudioRate::k48000, 5, 8008}, Case{DvAudioRate::k32000, 15, 16016},
                       Case{DvAudioRate::k44100, 100, 147147}}) {
    SCOPED_TRACE(SampleRateHz(c.rate));
    const DvSampleLimits limits = SampleLimits(DvSystem::k525_60, c.rate);
    DvSampleCountSequencer sequencer(DvSystem::k525_60, c.rate);
    std::uint64_t total = 0;
    for (std::uint64_t frame = 1; frame <= 30 * c.frames; ++frame) {
      const std::size_t n = sequencer.Next();
      ASSERT_GE(n, limits.min);
      ASSERT_LE(n, limits.max);
      if (c.rate != DvAudioRate::k44100) {
        ASSERT_EQ(n % 2, 0u);
      }
      total += n;
      // Never more than two samples from the exact running total.
      const double exact = static_cast<double>(frame) * SampleRateHz(c.rate) * 1001.0 / 30000.0;
      ASSERT_LT(std::abs(static_cast<double>(total) - exact), 2.0) << frame;
      if (frame % c.frames == 0) {
        ASSERT_EQ(total, frame / c.frames * c.samples);
      }
    }
    EXPECT_EQ(sequencer.SamplesDone(), total);
  }
}

TEST(DvAudioSampleCount, PalFramesAreEqual) {
  EXPECT_EQ(SamplesForFrame(DvSystem::k625_50, DvAudioRate::k48000, 12345), 1920u);
  EXPECT_EQ(SamplesForFrame(DvSystem::k625_50, DvAudioRate::k44100, 7), 1764u);
  EXPECT_EQ(SamplesForFrame(DvSystem::k625_50, DvAudioRate::k32000, 0), 1280u);
  EXPECT_EQ(SamplesBeforeFrame(DvSystem::k625_50, DvAudioRate::k48000, 25), 48000u);
}

}  // namespace
}  // namespace korvid::media
