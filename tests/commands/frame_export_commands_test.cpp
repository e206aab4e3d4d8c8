#include "commands/frame_export_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "commands/command_skipped.h"
#include "commands/mp4_export_commands.h"
#include "graphs/scene_detector.h"
#include "media/avi_stream_analysis.h"
#include "sample_clip.h"
#include "support/avi_probe.h"
#include "support/dv_pack_frames.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

namespace fs = std::filesystem;

media::TAfficherFichier EntryFor(const fs::path& path) {
  media::TAfficherFichier entry;
  media::SetNameFields(path, entry);
  entry.isDV = true;
  entry.datecode = settings::DateTimeValue{2005, 8, 14, 15, 2, 11};
  return entry;
}

TEST(FrameExportCommands, SubtitlesGoToTheOutputFolderWithTheDisplayFormat) {
  const test::TempDir dir;
  test::ScriptedHost host;
  std::atomic<bool> abort{false};
  graphs::SceneDetector detector;
  SceneScanServices scenes{host, abort, detector, {"yyyy-mm-dd hh:nn:ss", settings::EnglishLocaleFormats()}, {}, {},
                           1};
  settings::Preferences preferences;
  preferences.outputFolder = (dir / "out").string();
  fs::create_directories(dir / "out");
  FrameExportServices services{scenes, preferences};

  // The shared sample's own folder is never written to.
  const media::TAfficherFichier entry = EntryFor(test::StandardSample("two_scenes.avi"));
  EXPECT_EQ(SubtitlesConfirmation(entry, services), "");
  std::string newfichier;
  EXPECT_EQ(SubtitlesExecution(entry, newfichier, services), utNone);
  const std::vector<std::uint8_t> srt = test::ReadWholeFile(dir / "out/two_scenes.srt");
  EXPECT_EQ(std::string(srt.begin(), srt.end()),
            "1\n00:00:00,000 --> 00:00:01,000\n2005-08-14 15:02:11\n\n"
            "2\n00:00:01,000 --> 00:00:01,600\n2005-08-14 15:02:12\n\n"
            "3\n00:00:01,600 --> 00:00:02,000\n2005-08-14 18:02:12\n\n"
            "4\n00:00:02,000 --> 00:00:03,000\n2005-08-14 18:02:13\n\n");
  EXPECT_NE(SubtitlesConfirmation(entry, services), "");
  EXPECT_FALSE(fs::exists(test::StandardSample("two_scenes.srt")));

  bool visible = true;
  bool enabled = true;
  media::TAfficherFichier undated = entry;
  undated.datecode.reset();
  SubtitlesFileCondition(undated, visible, enabled);
  EXPECT_FALSE(enabled);
  FrameLogFileCondition(undated, visible, enabled);
  EXPECT_TRUE(enabled);

  // Not DV: skipped, nothing written.
  media::TAfficherFichier mjpeg = EntryFor(test::StandardSample(samples::kMjpegClipName));
  mjpeg.isDV = false;
  EXPECT_THROW(FrameLogExecution(mjpeg, newfichier, services), CommandSkipped);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace korvid::commands

namespace korvid::commands {
namespace {

// ffmpeg's frames dated 2003-05-06 07:08:09 but the first, which lost its
// date: the file is listed, given subtitles and exported with the date of
// the frames after it.
TEST(FrameExportCommands, AnUndatedFirstFrameStillDatesTheSubtitlesAndTheMp4) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  KORVID_REQUIRE_PROGRAM("ffprobe");
  const test::TempDir dir;
  std::vector<std::uint8_t> dv = test::MakeFfmpegDv(dir / "late.dv", media::DvSystem::k625_50, 10,
                                                    {"-metadata", "creation_time=2003-05-06T07:08:09"});
  ASSERT_EQ(dv.size(), 10 * media::FrameBytes(media::DvSystem::k625_50));
  test::BlankDatePacks(std::span<std::uint8_t>(dv).first(media::FrameBytes(media::DvSystem::k625_50)));
  test::WriteWholeFile(dir / "late.dv", dv);
  const fs::path clip = dir / "late.avi";
  ASSERT_EQ(test::RunShell("ffmpeg -v error -y -i " + test::Quoted(dir / "late.dv") + " -c copy " + test::Quoted(clip))
                .exit_code,
            0);
  const media::DatecodeFormat iso{"yyyy-mm-dd hh:nn:ss", settings::EnglishLocaleFormats()};
  const media::TAfficherFichier entry = media::AnalyseFile(clip, iso);
  EXPECT_EQ(entry.datecodeText, "2003-05-06 07:08:09");

  bool visible = false;
  bool enabled = false;
  SubtitlesFileCondition(entry, visible, enabled);
  EXPECT_TRUE(enabled);
  test::ScriptedHost host;
  std::atomic<bool> abort{false};
  graphs::SceneDetector detector;
  SceneScanServices scenes{host, abort, detector, iso, {}, {}, 1};
  settings::Preferences preferences;
  FrameExportServices services{scenes, preferences};
  std::string newfichier;
  SubtitlesExecution(entry, newfichier, services);
  const std::vector<std::uint8_t> srt = test::ReadWholeFile(dir / "late.srt");
  EXPECT_NE(std::string(srt.begin(), srt.end()).find("2003-05-06 07:08:09"), std::string::npos);

  ConvertTimer timer;
  graphs::FilterAvailability availability;
  ProcessFlags flags;
  ConversionServices conversion{timer, preferences, availability, host, flags};
  ExporterMp4Execution(entry, newfichier, conversion);
  const auto tags = test::RunShell("ffprobe -v error -show_entries format_tags=creation_time -of csv=p=0 " +
                                   test::Quoted(dir / "late.mp4"));
  ASSERT_EQ(tags.exit_code, 0);
  // Written in UTC from the local recording time: the same day or one beside it.
  EXPECT_EQ(tags.output.substr(0, 9), "2003-05-0") << tags.output;
}

}  // namespace
}  // namespace korvid::commands
