#include "graphs/header_rewrite_job.h"

#include <gtest/gtest.h>

#include "graphs/avi_pcm_reader.h"
#include "media/dv_packs.h"
#include "support/dv_pack_frames.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

Dixmark HourFix(int hours) {
  Dixmark dixmark;
  dixmark.SetEnabled(1);
  dixmark.SetHourOffset(hours);
  dixmark.SetInlaySource(0);
  dixmark.SetApplyShift(0);
  dixmark.SetInPlace(1);
  return dixmark;
}

std::vector<std::int16_t> AllSound(const DvSource& source) {
  AviPcmReader reader(source.File(), source.Param(), source.Index(), source.AudioStreams().at(0));
  std::vector<std::int16_t> all;
  while (reader.Read(4096, all) > 0) {
  }
  return all;
}

TEST(HeaderRewriteJob, ShiftsEveryDatecodeAndKeepsTheTimecode) {
  test::TempDir dir;
  const auto source_path = test::StandardSample("two_scenes.avi");
  HeaderRewriteJob job(source_path, dir / "fixed.avi", HourFix(-3));
  JobProgress progress;
  job.Run(progress);
  const DvSource source(source_path);
  const DvSource fixed(dir / "fixed.avi");
  ASSERT_EQ(fixed.FrameCount(), source.FrameCount());
  EXPECT_TRUE(fixed.Interleaved());
  std::vector<std::uint8_t> before;
  std::vector<std::uint8_t> after;
  for (std::size_t k : {0u, 39u, 40u, 74u}) {
    ASSERT_TRUE(source.ReadFrame(k, before));
    ASSERT_TRUE(fixed.ReadFrame(k, after));
    media::TDatecode a;
    media::TDatecode b;
    a = test::FixedDatecode(before);
    b = test::FixedDatecode(after);
    EXPECT_EQ((b.hour + 3) % 24, a.hour) << "frame " << k;
    EXPECT_EQ(b.minute, a.minute);
    EXPECT_EQ(test::FixedTimecode(after), test::FixedTimecode(before));
  }
}

TEST(HeaderRewriteJob, KeepsTheSoundStreamOfType2) {
  test::TempDir dir;
  const auto source_path = test::StandardSample("pal_type2.avi");
  HeaderRewriteJob job(source_path, dir / "fixed.avi", HourFix(1));
  JobProgress progress;
  job.Run(progress);
  const DvSource source(source_path);
  const DvSource fixed(dir / "fixed.avi");
  ASSERT_EQ(fixed.AudioStreams().size(), 1u);
  EXPECT_EQ(AllSound(fixed), AllSound(source));
}

}  // namespace
}  // namespace korvid::graphs
