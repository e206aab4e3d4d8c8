#include "commands/frame_export_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "commands/command_skipped.h"
#include "graphs/scene_detector.h"
#include "sample_clip.h"
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
