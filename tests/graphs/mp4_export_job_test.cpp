#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "graphs/dv_type_jobs.h"
#include "graphs/mp4_export_job.h"
#include "support/avi_probe.h"
#include "support/dv_pack_frames.h"
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
                   {20, "yyyy/mm/dd hh:nn:ss", settings::EnglishLocaleFormats(), std::nullopt, {}});
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

// A source of one frame without date or timecode: its two fields are two
// pictures at their own times, and its chapter has no "-01..." title.
TEST(Mp4ExportJob, OneUndatedFrameGivesTwoTimedPicturesAndAnEmptyChapterTitle) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("ffprobe");
  test::TempDir dir;
  std::vector<std::uint8_t> dv = test::MakeFfmpegDv(dir / "one.dv", media::DvSystem::k525_60, 1, {});
  ASSERT_EQ(dv.size(), media::FrameBytes(media::DvSystem::k525_60));
  test::BlankDatePacks(dv);
  for (std::size_t s = 0; s < 10; ++s)
    for (std::size_t b = 1; b < 3; ++b)
      for (std::size_t i = 0; i < 6; ++i)
        if (const std::size_t at = s * 12000 + b * 80 + 6 + 8 * i; dv[at] == 0x13) std::fill_n(dv.begin() + static_cast<std::ptrdiff_t>(at), 5, 0xFF);
  test::WriteWholeFile(dir / "one.dv", dv);
  const auto source = dir / "one.avi";
  ASSERT_EQ(test::RunShell("ffmpeg -v error -y -i " + test::Quoted(dir / "one.dv") + " -c copy " + test::Quoted(source))
                .exit_code,
            0);
  Mp4ExportJob job(source, dir / "one.mp4", {20, "yyyy/mm/dd hh:nn:ss", settings::EnglishLocaleFormats(), std::nullopt, {}});
  JobProgress progress;
  job.Run(progress);

  const auto times = test::RunShell("ffprobe -v error -select_streams v -show_entries frame=pts -of csv=p=0 " +
                                    test::Quoted(dir / "one.mp4"));
  ASSERT_EQ(times.exit_code, 0);
  std::istringstream lines(times.output);
  std::set<std::string> distinct;
  std::size_t pictures = 0;
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) {
      ++pictures;
      distinct.insert(line);
    }
  EXPECT_EQ(pictures, 2u);
  EXPECT_EQ(distinct.size(), 2u) << times.output;
  const auto chapters = test::RunShell("ffprobe -v error -show_chapters -of compact " + test::Quoted(dir / "one.mp4"));
  ASSERT_EQ(chapters.exit_code, 0);
  EXPECT_NE(chapters.output.find("chapter|"), std::string::npos) << chapters.output;
  EXPECT_EQ(chapters.output.find("-01."), std::string::npos) << chapters.output;
}

}  // namespace
}  // namespace korvid::graphs
