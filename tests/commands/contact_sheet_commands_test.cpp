#include "commands/contact_sheet_commands.h"

#include <gtest/gtest.h>

#include <QImage>

#include <atomic>
#include <filesystem>
#include <string>

#include "commands/command_skipped.h"
#include "graphs/scene_detector.h"
#include "sample_clip.h"
#include "support/gui_app.h"
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

std::size_t FilesIn(const fs::path& dir) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(ContactSheetCommands, TheSheetGoesToTheOutputFolderWholeAndAnAbortLeavesTheOldOne) {
  test::EnsureGuiApplication();
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

  const media::TAfficherFichier entry = EntryFor(test::StandardSample("two_scenes.avi"));
  EXPECT_EQ(ContactSheetPath(entry, preferences), dir / "out/two_scenes_sheet.png");
  EXPECT_EQ(ContactSheetConfirmation(entry, services), "");
  std::string newfichier;
  EXPECT_EQ(ContactSheetExecution(entry, newfichier, services), utNone);
  EXPECT_EQ(newfichier, entry.fullName);
  const QImage sheet(QString::fromStdString((dir / "out/two_scenes_sheet.png").string()));
  ASSERT_FALSE(sheet.isNull());
  // Five columns of 4:3 stills, whatever the two scenes need.
  EXPECT_GE(sheet.width(), 5 * 240);
  EXPECT_GT(sheet.height(), 180);
  EXPECT_NE(ContactSheetConfirmation(entry, services), "");
  EXPECT_FALSE(fs::exists(test::StandardSample("two_scenes_sheet.png")));

  // Escape during the scan: nothing replaces the sheet already there.
  const std::vector<std::uint8_t> before = test::ReadWholeFile(dir / "out/two_scenes_sheet.png");
  abort = true;
  EXPECT_TRUE(MakeContactSheet(entry, 3, services).empty());
  abort = false;
  EXPECT_EQ(test::ReadWholeFile(dir / "out/two_scenes_sheet.png"), before);
  EXPECT_EQ(FilesIn(dir / "out"), 1u);

  bool visible = true;
  bool enabled = true;
  ContactSheetFileCondition(entry, visible, enabled);
  EXPECT_TRUE(enabled);
  media::TAfficherFichier mjpeg = EntryFor(test::StandardSample(samples::kMjpegClipName));
  mjpeg.isDV = false;
  ContactSheetFileCondition(mjpeg, visible, enabled);
  EXPECT_FALSE(enabled);
  EXPECT_THROW(ContactSheetExecution(mjpeg, newfichier, services), CommandSkipped);
  EXPECT_EQ(FilesIn(dir / "out"), 1u);
}

}  // namespace
}  // namespace korvid::commands
