// Audio damage counted per block: the error code put in each place a
// sample can take, one place at a time, in generated 16-bit and 12-bit frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"
#include "media/dv_audio.h"
#include "media/dv_block_errors.h"
#include "support/sample_set.h"

namespace korvid {
namespace {

constexpr std::size_t kBlock = 80;

std::vector<std::uint8_t> FirstFrame(const std::filesystem::path& clip) {
  const media::BinaryFile file(clip, media::BinaryFile::Mode::kRead);
  const media::TAviParam param(file);
  const media::AviFrameIndex index = media::AviFrameIndex::Load(file, param);
  const std::size_t stream = *media::FindDvVideoStream(param);
  std::vector<std::uint8_t> frame(index.FramesOf(stream)[0].size);
  frame.resize(index.ReadFrameStart(file, stream, 0, frame));
  return frame;
}

// A frame counts an error code exactly in the block that holds it when its
// place carries one of the frame's samples, and nowhere when it lies past
// them; a high byte of 0x80 alone is a sound, not an error.
TEST(DifBlockErrorsTest, AnErrorCodeCountsOnceWhereverItsSampleLies) {
  for (const auto& [name, groupBytes] : {std::pair<std::string, std::size_t>{"pal_type1.avi", 2},
                                         std::pair<std::string, std::size_t>{"pal_32k_12bit.avi", 3}}) {
    SCOPED_TRACE(name);
    std::vector<std::uint8_t> frame = FirstFrame(test::StandardSample(name));
    const std::size_t samples = media::ReadDvAudioInfo(frame).samples;
    const std::size_t perGroup = groupBytes == 2 ? 1 : 2;  // samples a group holds
    media::DifBlockErrorCounter counter;
    ASSERT_EQ(counter.Count(frame).audioBlocksWithErrors, 0u);

    std::size_t counted = 0;
    for (std::size_t at = 0; at + kBlock <= frame.size(); at += kBlock) {
      if ((frame[at] >> 5) != 3) continue;  // audio blocks by their ID
      for (std::size_t group = at + 8; group + groupBytes <= at + kBlock; group += groupBytes) {
        for (std::size_t which = 0; which < perGroup; ++which) {
          const std::vector<std::uint8_t> kept(frame.begin() + static_cast<std::ptrdiff_t>(group),
                                               frame.begin() + static_cast<std::ptrdiff_t>(group + groupBytes));
          frame[group + which] = 0x80;
          if (groupBytes == 2) frame[group + 1] = 0x00;
          else frame[group + 2] &= which == 0 ? 0x0F : 0xF0;
          const std::optional<std::size_t> audio = counter.Count(frame).audioBlocksWithErrors;
          ASSERT_TRUE(audio == 0u || audio == 1u) << group;
          if (audio == 1u) {
            EXPECT_EQ(counter.AudioBlockMarks()[at / kBlock], 1) << group;
            ++counted;
          }
          if (groupBytes == 2) {
            frame[group + 1] = 0x01;
            EXPECT_EQ(counter.Count(frame).audioBlocksWithErrors, 0u) << group;
          }
          std::copy(kept.begin(), kept.end(), frame.begin() + static_cast<std::ptrdiff_t>(group));
        }
      }
    }
    // Each of the two halves of the frame carries `samples` groups.
    EXPECT_EQ(counted, 2 * samples * perGroup);
  }
}

}  // namespace
}  // namespace korvid
