#include "graphs/frame_read_ahead.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "media/avi_param.h"
#include "sample_clip.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

std::vector<std::uint8_t> Direct(const media::BinaryFile& file, const media::AviFrameIndex& index, std::size_t stream,
                                 std::size_t k) {
  std::vector<std::uint8_t> bytes(index.FramesOf(stream)[k].size);
  bytes.resize(index.ReadFrameStart(file, stream, k, bytes));
  return bytes;
}

// In order across several batches, then out of order and back: every
// frame is the file's own bytes, whichever thread read it.
TEST(FrameReadAhead, GivesEachFrameAsReadDirectlyInAndOutOfOrder) {
  test::TempDir dir;
  samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.frames = 300;
  spec.distinct_pictures = 7;
  const auto clip = dir.path() / "clip.avi";
  samples::WriteDvClip(clip, spec);
  const media::BinaryFile file(clip, media::BinaryFile::Mode::kRead);
  const media::TAviParam param(file);
  const std::size_t stream = *media::FindDvVideoStream(param);
  const media::AviFrameIndex index = media::AviFrameIndex::Load(file, param);
  ASSERT_EQ(index.FramesOf(stream).size(), 300u);

  FrameReadAhead ahead(file, index, stream, 1u << 20);
  for (std::size_t k = 0; k < 300; ++k) {
    const std::span<const std::uint8_t> frame = ahead.Frame(k);
    ASSERT_EQ(std::vector<std::uint8_t>(frame.begin(), frame.end()), Direct(file, index, stream, k)) << k;
  }
  for (const std::size_t k : {299u, 3u, 150u, 0u, 1u, 2u, 64u, 65u, 128u, 200u}) {
    const std::span<const std::uint8_t> frame = ahead.Frame(k);
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin(), frame.end()), Direct(file, index, stream, k)) << k;
  }
  EXPECT_THROW(ahead.Frame(300), std::out_of_range);
  // Frames cut to the size asked for.
  FrameReadAhead cut(file, index, stream, 1000);
  EXPECT_EQ(cut.Frame(0).size(), 1000u);
  EXPECT_EQ(cut.Frame(1).size(), 1000u);
}

}  // namespace
}  // namespace korvid::graphs
