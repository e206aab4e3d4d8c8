// Writing sound into DV frames: read back by our decoder and by ffmpeg,
// with everything outside the audio blocks left alone.

#include "media/dv_audio_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/dv_audio.h"
#include "media/dv_audio_companding.h"
#include "media/dv_audio_sample_count.h"
#include "dv_audio_test_support.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using test::TempDir;
using test::TestSignal;

bool IsAudioBlock(std::size_t offset) {
  const std::size_t block = (offset % kDifSequenceBytes) / kDifBlockBytes;
  return block >= 6 && (block - 6) % 16 == 0;
}

// Bytes that differ outside the audio blocks' packs and data (the 3 ID
// bytes of the audio blocks count as outside too).
std::size_t ChangedOutsideAudio(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  std::size_t changed = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const bool audio_payload = IsAudioBlock(i) && i % kDifBlockBytes >= 3;
    if (!audio_payload && a[i] != b[i]) ++changed;
  }
  return changed;
}

std::vector<std::int16_t> WithoutErrorCode(std::vector<std::int16_t> pcm) {
  for (auto& v : pcm) {
    if (v == -32768) v = -32767;
  }
  return pcm;
}

struct Target {
  DvSystem system;
  DvAudioMode mode;
  bool ffmpeg_writes;  // ffmpeg's muxer has this mode, so a source file exists with it
};

std::string TargetName(const ::testing::TestParamInfo<Target>& param) {
  static constexpr const char* kModes[] = {"48k", "44k", "32k", "32k12"};
  return std::string(param.param.system == DvSystem::k625_50 ? "Pal" : "Ntsc") +
         kModes[static_cast<int>(param.param.mode)];
}

class DvAudioRoundTrip : public ::testing::TestWithParam<Target> {};

// A run of frames made by ffmpeg gets our sound; our decoder and ffmpeg's
// both read back what was written, and nothing but sound changed.
TEST_P(DvAudioRoundTrip, SixteenBitSoundReadsBackExactly) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  const Target target = GetParam();
  TempDir dir;
  auto bytes = test::MakeDvWithFfmpeg(dir, target.system, 48000, 0.25);
  const auto original = bytes;
  auto frames = test::SplitFrames(bytes, target.system);
  ASSERT_GE(frames.size(), 6u);

  DvSampleCountSequencer counts(target.system, RateOf(target.mode));
  std::vector<std::int16_t> written;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const auto pcm = TestSignal(counts.Next(), static_cast<std::uint32_t>(i));
    EncodeDvAudio(frames[i], target.mode, pcm);
    const DvAudioFrame back = DecodeDvAudio(frames[i]);
    EXPECT_EQ(back.info.sample_rate, SampleRateHz(RateOf(target.mode)));
    EXPECT_EQ(back.info.locked, RateOf(target.mode) != DvAudioRate::k44100);
    ASSERT_TRUE(back.pcm[0] == WithoutErrorCode(pcm)) << "frame " << i;
    written.insert(written.end(), pcm.begin(), pcm.end());
  }
  EXPECT_EQ(ChangedOutsideAudio(original, bytes), 0u);

  const auto path = dir / "ours.dv";
  test::WriteWholeFile(path, bytes);
  EXPECT_TRUE(test::FfmpegPcm(path) == WithoutErrorCode(written));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DvAudioRoundTrip,
    ::testing::Values(Target{DvSystem::k625_50, DvAudioMode::k48k16Bit2Ch, true},
                      Target{DvSystem::k625_50, DvAudioMode::k44k16Bit2Ch, true},
                      Target{DvSystem::k625_50, DvAudioMode::k32k16Bit2Ch, true},
                      Target{DvSystem::k525_60, DvAudioMode::k48k16Bit2Ch, true},
                      Target{DvSystem::k525_60, DvAudioMode::k44k16Bit2Ch, false},
                      Target{DvSystem::k525_60, DvAudioMode::k32k16Bit2Ch, false}),
    TargetName);

// Our packs, byte for byte, where ffmpeg's muxer writes the same mode: the
// frames keep reading the same in any reader that trusts either.
TEST(DvAudioEncoder, SourcePackAgreesWithFfmpegOnTheFormatFields) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  TempDir dir;
  auto bytes = test::MakeDvWithFfmpeg(dir, DvSystem::k525_60, 48000, 0.1);
  auto frames = test::SplitFrames(bytes, DvSystem::k525_60);
  ASSERT_GE(frames.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const DvPack theirs = *FindAauxPack(frames[i], kAudioSourcePack);
    EncodeDvAudio(frames[i], DvAudioMode::k48k16Bit2Ch, TestSignal(i == 0 ? 1600 : 1602, 1));
    const DvPack ours = *FindAauxPack(frames[i], kAudioSourcePack);
    EXPECT_EQ(ours[1] & 0x3F, theirs[1] & 0x3F);  // sample count
    EXPECT_EQ(ours[3] & 0x3F, theirs[3] & 0x3F);  // system and block type
    EXPECT_EQ(ours[4] & 0x3F, theirs[4] & 0x3F);  // frequency and quantisation
  }
}

std::string SystemName(const ::testing::TestParamInfo<DvSystem>& param) {
  return param.param == DvSystem::k625_50 ? "Pal" : "Ntsc";
}

// The 12-bit code reaches -32641 to 32704; beyond, the nearest end is the
// best it can do.
int Reachable(int value) { return value < -32641 ? -32641 : value > 32704 ? 32704 : value; }

// The distance between neighbouring 12-bit codes around `value`.
int QuantisationStep(int value) {
  int step = 1;
  for (int magnitude = std::abs(value); magnitude >= 512; magnitude >>= 1) step <<= 1;
  return step;
}

class DvAudioFourChannel : public ::testing::TestWithParam<DvSystem> {};

// 12-bit: ffmpeg reads both pairs as we do, and the sound is the input
// within the step of the non-linear code.
TEST_P(DvAudioFourChannel, TwelveBitPairsReadBackWithinQuantisation) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  const DvSystem system = GetParam();
  TempDir dir;
  auto bytes = test::MakeDvWithFfmpeg(dir, system, 48000, 0.2);
  const auto original = bytes;
  auto frames = test::SplitFrames(bytes, system);
  ASSERT_GE(frames.size(), 4u);

  DvSampleCountSequencer counts(system, DvAudioRate::k32000);
  std::vector<std::int16_t> ours[2];
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const std::size_t samples = counts.Next();
    const auto pair0 = TestSignal(samples, static_cast<std::uint32_t>(10 + i));
    const auto pair1 = TestSignal(samples, static_cast<std::uint32_t>(100 + i));
    EncodeDvAudio(frames[i], DvAudioMode::k32k12Bit4Ch, pair0, pair1);
    const DvAudioFrame back = DecodeDvAudio(frames[i]);
    ASSERT_EQ(back.info.bits, 12);
    ASSERT_EQ(back.info.channels, 4);
    EXPECT_TRUE(back.info.second_pair_recorded);
    const std::vector<std::int16_t>* inputs[2] = {&pair0, &pair1};
    for (std::size_t p = 0; p < 2; ++p) {
      ASSERT_EQ(back.pcm[p].size(), inputs[p]->size());
      for (std::size_t k = 0; k < back.pcm[p].size(); ++k) {
        ASSERT_LE(std::abs(back.pcm[p][k] - Reachable((*inputs[p])[k])), QuantisationStep((*inputs[p])[k]))
            << "pair " << p << " sample " << k << " of " << (*inputs[p])[k];
      }
      ours[p].insert(ours[p].end(), back.pcm[p].begin(), back.pcm[p].end());
    }
  }
  EXPECT_EQ(ChangedOutsideAudio(original, bytes), 0u);

  const auto path = dir / "four.dv";
  test::WriteWholeFile(path, bytes);
  EXPECT_TRUE(test::FfmpegPcm(path, 0) == ours[0]);
  EXPECT_TRUE(test::FfmpegPcm(path, 1) == ours[1]);
}

INSTANTIATE_TEST_SUITE_P(Systems, DvAudioFourChannel,
                         ::testing::Values(DvSystem::k625_50, DvSystem::k525_60),
                         SystemName);

TEST(DvAudioEncoder, MissingSecondPairIsSilentAndMarkedNotRecorded) {
  std::vector<std::uint8_t> frame(FrameBytes(DvSystem::k625_50), 0xFF);
  frame[0] = 0x1F;
  frame[3] = 0x80;  // header block of a 625/50 frame
  EncodeDvAudio(frame, DvAudioMode::k32k12Bit4Ch, TestSignal(1280, 3));
  const DvAudioFrame back = DecodeDvAudio(frame);
  EXPECT_EQ(back.info.pairs, 2);
  EXPECT_FALSE(back.info.second_pair_recorded);
  EXPECT_EQ(back.pcm[1], std::vector<std::int16_t>(2 * 1280, 0));
}

TEST(DvAudioEncoder, KeepsTheFramesRecordingDateAndTime) {
  KORVID_REQUIRE_REAL_FIXTURES();
  auto frame = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  const auto date = FindAauxPack(frame, kAudioRecordingDatePack);
  const auto time = FindAauxPack(frame, kAudioRecordingTimePack);
  ASSERT_TRUE(date && time);
  const auto original = frame;
  EncodeDvAudio(frame, DvAudioMode::k48k16Bit2Ch, TestSignal(1601, 4));
  EXPECT_EQ(FindAauxPack(frame, kAudioRecordingDatePack), date);
  EXPECT_EQ(FindAauxPack(frame, kAudioRecordingTimePack), time);
  EXPECT_EQ(ChangedOutsideAudio(original, frame), 0u);
  const DvAudioFrame back = DecodeDvAudio(frame);
  EXPECT_EQ(back.info.bits, 16);
  EXPECT_EQ(back.info.samples, 1601u);
}

TEST(DvAudioEncoder, RefusesWhatDoesNotFitWithoutTouchingTheFrame) {
  std::vector<std::uint8_t> frame(FrameBytes(DvSystem::k525_60), 0x5A);
  frame[0] = 0x1F;
  frame[3] = 0x00;
  const auto original = frame;
  const auto ok = TestSignal(1600, 5);
  EXPECT_THROW(EncodeDvAudio(frame, DvAudioMode::k48k16Bit2Ch, TestSignal(1621, 5)), DvAudioError);
  EXPECT_THROW(EncodeDvAudio(frame, DvAudioMode::k48k16Bit2Ch, TestSignal(1579, 5)), DvAudioError);
  EXPECT_THROW(EncodeDvAudio(frame, DvAudioMode::k48k16Bit2Ch,
                             std::span<const std::int16_t>(ok).first(ok.size() - 1)),
               DvAudioError);
  EXPECT_THROW(EncodeDvAudio(frame, DvAudioMode::k48k16Bit2Ch, ok, ok), DvAudioError);
  EXPECT_THROW(EncodeDvAudio(frame, DvAudioMode::k32k12Bit4Ch, TestSignal(1066, 1), TestSignal(1068, 1)),
               DvAudioError);
  EXPECT_THROW(EncodeDvAudio(std::span<std::uint8_t>(frame).first(frame.size() - 1),
                             DvAudioMode::k48k16Bit2Ch, ok),
               DvAudioError);
  EXPECT_EQ(frame, original);
}

}  // namespace
}  // namespace korvid::media
