#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "graphs/dv_type_jobs.h"
#include "graphs/mp4_export_job.h"
#include "support/avi_probe.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid::graphs {
namespace {

// Stopped partway, the export still leaves a whole MP4 of what it did, and
// nothing but that file.
TEST(Mp4ExportJob, AStoppedExportIsAShorterPlayableFile) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  test::TempDir dir;
  Mp4ExportJob job(test::StandardSample("two_scenes.avi"), dir / "cut.mp4",
                   {20, "yyyy/mm/dd hh:nn:ss", settings::EnglishLocaleFormats(), std::nullopt});
  JobProgress* self = nullptr;
  JobProgress progress([&](std::int64_t ticks) {
    if (ticks >= DvFramesTicks(media::DvSystem::k625_50, 30)) self->RequestStop();
  });
  self = &progress;
  job.Run(progress);

  const auto probed = test::ProbeFile(dir / "cut.mp4");
  ASSERT_TRUE(probed);
  ASSERT_FALSE(probed->streams.empty());
  EXPECT_EQ(probed->streams[0].codec_type, "video");
  EXPECT_GE(probed->streams[0].read_frames, 2 * 30);
  EXPECT_LT(probed->streams[0].read_frames, 2 * 75);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u);
}

}  // namespace
}  // namespace korvid::graphs
