#include "media/block_merge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/dv_audio.h"
#include "media/dv_audio_layout.h"
#include "media/dv_block_errors.h"
#include "media/dv_frame.h"
#include "support/dv_pack_frames.h"
#include "support/test_env.h"

namespace korvid::media {
namespace {

using Frame = std::vector<std::uint8_t>;

// Video block n (0-134) of a sequence: an audio block before every 15.
std::size_t VideoBlock(std::size_t sequence, std::size_t n) {
  return sequence * kDifBlocksPerSequence + 7 + n + n / 15;
}
std::size_t AudioBlock(std::size_t sequence, std::size_t a) {
  return sequence * kDifBlocksPerSequence + AudioBlockIndex(a);
}

void ConcealVideo(Frame& f, std::size_t block) {
  std::uint8_t* b = f.data() + block * kDifBlockBytes;
  b[3] = static_cast<std::uint8_t>((b[3] & 0x0F) | 0xF0);
  std::memset(b + 4, 0x22, kDifBlockBytes - 4);
}

void LoseSamples(Frame& f, std::size_t block) {
  std::uint8_t* b = f.data() + block * kDifBlockBytes;
  for (std::size_t i = kAudioBlockDataOffset; i + 1 < kDifBlockBytes; i += 2) {
    b[i] = 0x80;
    b[i + 1] = 0x00;
  }
}

BlockMergeOutcome MergeCopies(const std::vector<Frame>& copies, Frame& out, std::optional<DvAudioInfo> sound = {}) {
  std::vector<std::span<const std::uint8_t>> spans(copies.begin(), copies.end());
  BlockMerger merger(sound);
  return merger.Merge(spans, out);
}

Frame RealFrame(const std::string& name) {
  Frame frame = test::ReadRealFixture(name);
  if (frame.size() > FrameBytes(DvSystem::k525_60)) frame.resize(FrameBytes(DvSystem::k525_60));
  return frame;
}

// A camcorder frame read with different dropouts twice comes back whole.
TEST(BlockMerge, RealFrameDamagedDifferentlyInTwoCopiesComesBackExactly) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const Frame perfect = RealFrame("sony_perfect.dv");
  ASSERT_EQ(perfect.size(), FrameBytes(DvSystem::k525_60));
  Frame a = perfect;
  Frame b = perfect;
  for (std::size_t s = 0; s < 10; s += 2) ConcealVideo(a, VideoBlock(s, 3 * s));
  for (std::size_t s = 1; s < 10; s += 2) ConcealVideo(b, VideoBlock(s, 3 * s));
  LoseSamples(a, AudioBlock(1, 4));
  LoseSamples(b, AudioBlock(6, 7));
  ConcealVideo(b, VideoBlock(9, 100));

  Frame out;
  const BlockMergeOutcome outcome = MergeCopies({a, b}, out);
  EXPECT_EQ(out, perfect);
  EXPECT_EQ(outcome.base, 0u);  // 5 video + 1 audio against 6 + 1
  EXPECT_EQ(outcome.damage[0].video, 5u);
  EXPECT_EQ(outcome.damage[1].video, 6u);
  EXPECT_EQ(outcome.damage[0].audio, 1u);
  EXPECT_EQ(outcome.videoLeft + outcome.audioLeft, 0u);
  EXPECT_EQ(outcome.taken[1], 5u + 1u);
  EXPECT_EQ(outcome.taken[0] + outcome.taken[1], perfect.size() / kDifBlockBytes);

  // A real frame with errors of its own, merged with copies of itself,
  // stays as it is.
  const Frame flawed = RealFrame("sony_subcode_errors.dv");
  ASSERT_EQ(flawed.size(), FrameBytes(DvSystem::k525_60));
  EXPECT_EQ(MergeCopies({flawed, flawed, flawed}, out).base, 0u);
  EXPECT_EQ(out, flawed);
}

// Where no copy read a block, the frame is the least damaged copy as it
// stands, and those blocks are counted as left.
TEST(BlockMerge, BlocksNoCopyReadStayAsTheLeastDamagedCopyHasThem) {
  Frame clean = test::BlankDvFrame(DvSystem::k625_50);
  for (std::size_t s = 0; s < 12; ++s)
    for (std::size_t n = 0; n < 135; ++n) {
      std::uint8_t* block = &clean[VideoBlock(s, n) * kDifBlockBytes];
      block[3] = 0x00;  // STA 0: read cleanly
      std::memset(block + 4, static_cast<int>(n), kDifBlockBytes - 4);
    }
  Frame a = clean;
  Frame b = clean;
  ConcealVideo(a, VideoBlock(2, 5));
  ConcealVideo(b, VideoBlock(2, 5));
  ConcealVideo(a, VideoBlock(4, 9));
  ConcealVideo(a, VideoBlock(11, 1));
  b[VideoBlock(2, 5) * kDifBlockBytes + 10] = 0x33;  // a different concealment
  Frame out;
  const BlockMergeOutcome outcome = MergeCopies({a, b}, out);
  EXPECT_EQ(outcome.base, 1u);
  EXPECT_EQ(out, b);
  EXPECT_EQ(outcome.videoLeft, 1u);
  EXPECT_EQ(outcome.taken[0], 0u);
}

// Samples are only taken from a copy that describes its sound as the
// frame does: the same bytes mean other samples in another format.
TEST(BlockMerge, SoundIsTakenOnlyFromCopiesWithTheSameSourcePack) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const Frame perfect = RealFrame("sony_perfect.dv");
  ASSERT_EQ(perfect.size(), FrameBytes(DvSystem::k525_60));
  const DvAudioInfo sound = ReadDvAudioInfo(perfect);
  Frame a = perfect;
  LoseSamples(a, AudioBlock(3, 1));
  Frame b = perfect;
  // Another sample count in every copy of the source pack.
  for (std::size_t s = 0; s < 10; ++s) {
    const std::size_t at = AauxPackOffset(s, *StandardAauxBlock(kAudioSourcePack, s));
    ASSERT_EQ(b[at], kAudioSourcePack);
    b[at + 1] = static_cast<std::uint8_t>(b[at + 1] ^ 0x01);
  }
  ConcealVideo(b, VideoBlock(0, 0));
  ConcealVideo(b, VideoBlock(0, 1));
  Frame out;
  const BlockMergeOutcome outcome = MergeCopies({a, b}, out, sound);
  EXPECT_EQ(outcome.base, 0u);
  EXPECT_EQ(outcome.audioLeft, 1u);
  EXPECT_EQ(out, a);
}

}  // namespace
}  // namespace korvid::media
