// "Split into scenes", the plug-in built beside the program, run the way a
// user runs it unattended: a scene scan, then the split, on a generated
// clip of three scenes and on a clip of real camcorder frames. The scene
// files put together are the source, every one is readable by ffprobe and
// mediainfo, and each is named after and keeps its recording date.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "commands/core_session.h"
#include "media/avi_stream_analysis.h"
#include "media/avi_writer.h"
#include "media/dv_frame.h"
#include "media/dv_frame_facts.h"
#include "media/dv_pack_scan.h"
#include "media/dv_pack_writer.h"
#include "sample_clip.h"
#include "settings/date_time_format.h"
#include "support/avi_probe.h"
#include "support/recording_list_view.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

struct ExpectedScene {
  std::string name;  // the file the scene must be written to
  settings::DateTimeValue datecode;
  int frames = 0;
};

settings::DateTimeValue DateTimeOf(const media::TDatecode& d) {
  return {d.year, d.month, d.day, d.hour, d.minute, d.second};
}

// The name the default renaming format gives a recording date.
std::string DefaultName(const settings::DateTimeValue& when) {
  return "ClipDV_" + settings::FormatDateTime("yyyymmdd_hh.nn.ss_am/pm", when, settings::EnglishLocaleFormats());
}

class SplitScenesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(fs::path(KORVID_PLUGIN_OUTPUT_DIR) / "split_scenes.vlk"));
    for (const char* program : {"ffmpeg", "ffprobe", "mediainfo"})
      KORVID_REQUIRE_PROGRAM(program);
  }

  // korvid +h +s +u: a scene file, then one file per scene.
  test::CommandResult ScanAndSplit(const fs::path& clip) {
    return test::RunCommand({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                             "HOME=" + home_.path().string(), "XDG_CONFIG_HOME=" + (home_ / ".config").string(),
                             KORVID_BINARY_DIR "/src/korvid", "+h", "+s", "+u", clip.string()});
  }

  void ExpectScenes(const fs::path& clip, const std::vector<ExpectedScene>& expected) {
    const std::vector<std::uint8_t> before = test::ReadWholeFile(clip);
    const test::CommandResult result = ScanAndSplit(clip);
    ASSERT_EQ(result.exit_code, 0) << result.output;
    EXPECT_EQ(test::ReadWholeFile(clip), before) << "the source is left as it was";

    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(clip.parent_path()))
      if (entry.path() != clip && entry.path().extension() != ".scn") written.push_back(entry.path().filename());
    std::sort(written.begin(), written.end());
    std::vector<std::string> names;
    for (const ExpectedScene& scene : expected) names.push_back(scene.name);
    std::sort(names.begin(), names.end());
    ASSERT_EQ(written, names) << result.output;

    const bool withSound = test::ProbeFile(clip)->streams.size() > 1;
    std::vector<std::uint8_t> frames;
    std::vector<std::uint8_t> sound;
    for (const ExpectedScene& scene : expected) {
      SCOPED_TRACE(scene.name);
      const fs::path file = clip.parent_path() / scene.name;
      const auto probed = test::ProbeFile(file);
      ASSERT_TRUE(probed.has_value());
      ASSERT_FALSE(probed->streams.empty());
      EXPECT_EQ(probed->streams[0].read_frames, scene.frames);
      const auto info = test::ReadMediaInfo(file);
      ASSERT_TRUE(info.has_value());
      EXPECT_EQ(info->video_format, "DV");
      EXPECT_EQ(info->video_frames, std::to_string(scene.frames));
      const media::TAfficherFichier record =
          media::AnalyseFile(file, {"yyyy-mm-dd hh:nn:ss", settings::EnglishLocaleFormats()});
      ASSERT_TRUE(record.datecode.has_value());
      EXPECT_EQ(*record.datecode, scene.datecode);
      EXPECT_EQ(record.dvType, media::AnalyseFile(clip, {"yyyy", settings::EnglishLocaleFormats()}).dvType);
      const auto video = test::ExtractStream(file, "v:0", "rawvideo");
      frames.insert(frames.end(), video.begin(), video.end());
      if (withSound) {
        const auto pcm = test::ExtractStream(file, "a:0", "s16le");
        sound.insert(sound.end(), pcm.begin(), pcm.end());
      }
    }
    EXPECT_TRUE(frames == test::ExtractStream(clip, "v:0", "rawvideo")) << "the frames, bit for bit";
    if (withSound) {
      EXPECT_TRUE(sound == test::ExtractStream(clip, "a:0", "s16le")) << "the sound, bit for bit";
    }
  }

  test::TempDir home_;
  test::TempDir work_;
};

TEST_F(SplitScenesTest, GeneratedClipOfThreeScenesWithSound) {
  samples::DvClipSpec spec;
  spec.file_name = "three.avi";
  spec.frames = 75;
  spec.jumps = {{25, 3600}, {50, 2 * 86400}};
  const fs::path clip = work_ / spec.file_name;
  samples::WriteDvClip(clip, spec);
  std::vector<ExpectedScene> expected;
  for (const int start : {0, 25, 50}) {
    const settings::DateTimeValue when = DateTimeOf(samples::DatecodeOfFrame(spec, start));
    expected.push_back({DefaultName(when) + ".avi", when, 25});
  }
  ExpectScenes(clip, expected);
}

// Real frames of two camcorders, type 1 (the sound inside the frames).
// The first and last scenes were recorded at the same second: the later
// one takes the next free name.
TEST_F(SplitScenesTest, RealCamcorderFrames) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const auto perfect = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  const auto other = test::ReadWholeFile(test::RealFixturesDir() / "sony_subcode_errors.dv");
  ASSERT_EQ(perfect.size(), media::FrameBytes(media::DvSystem::k525_60));
  ASSERT_EQ(other.size(), perfect.size());
  const fs::path clip = work_ / "real.avi";
  {
    auto writer = media::AviWriter::CreateType1(clip, {media::DvSystem::k525_60, false});
    for (const auto* frame : {&perfect, &other, &perfect})
      for (int k = 0; k < 20; ++k) writer.WriteVideoFrame(*frame);
    writer.Close();
  }
  const settings::DateTimeValue sony{2024, 7, 8, 19, 55, 58};
  const settings::DateTimeValue older{2000, 12, 3, 10, 15, 59};
  ExpectScenes(clip, {{DefaultName(sony) + ".avi", sony, 20},
                      {DefaultName(older) + ".avi", older, 20},
                      {DefaultName(sony) + "(1).avi", sony, 20}});
}

// A tape's damage after its scene file was made: the second scene starts
// on a frame whose date reads as the 13th month, and the third holds a
// dropped (empty) chunk and a short one. The split names the undatable
// scene after the video and its number, writes every scene whole with the
// frame before standing in for each damaged one, and says how many.
TEST_F(SplitScenesTest, DamagedFramesAreMendedAndImpossibleDatesNameNoScene) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const auto perfect = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  const auto other = test::ReadWholeFile(test::RealFixturesDir() / "sony_subcode_errors.dv");
  ASSERT_EQ(perfect.size(), media::FrameBytes(media::DvSystem::k525_60));
  std::vector<std::uint8_t> thirteenth = other;
  auto date = media::FindUsablePack(thirteenth, media::kRecordingDatePack);
  ASSERT_TRUE(date.has_value());
  date->pack[3] = static_cast<std::uint8_t>((date->pack[3] & 0xE0) | 0x13);
  ASSERT_TRUE(media::WritePack(thirteenth, date->pack));
  ASSERT_EQ(media::ReadDvFrameFacts(thirteenth).datecode.month, 13);

  const fs::path clip = work_ / "tape.avi";
  // A type 1 stream the writer lets hold damaged chunks.
  media::AviStream stream = media::DvInterleavedStream({media::DvSystem::k525_60, false});
  stream.dv_system.reset();
  const auto info = media::DvInfoFromFrame(perfect);
  stream.format.assign(info.begin(), info.end());
  const auto write = [&clip, &stream](const std::vector<std::vector<std::uint8_t>>& frames) {
    auto writer = media::AviWriter::Create(clip, {stream});
    for (const auto& frame : frames) writer.WriteChunk(0, frame);
    writer.Close();
  };
  std::vector<std::vector<std::uint8_t>> frames;
  for (const auto* frame : {&perfect, &other, &perfect})
    for (int k = 0; k < 20; ++k) frames.push_back(*frame);
  write(frames);
  const auto run = [this](const std::string& switches, const fs::path& file) {
    return test::RunCommand({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                             "HOME=" + home_.path().string(), "XDG_CONFIG_HOME=" + (home_ / ".config").string(),
                             "sh", "-c", "exec \"$0\" \"$@\" 2>&1", KORVID_BINARY_DIR "/src/korvid", "+h",
                             switches, file.string()});
  };
  const test::CommandResult scanned = run("+s", clip);
  ASSERT_EQ(scanned.exit_code, 0) << scanned.output;

  frames[20] = thirteenth;
  frames[45].clear();
  frames[46].resize(1000);
  write(frames);
  const test::CommandResult result = run("+u", clip);
  ASSERT_EQ(result.exit_code, 0) << result.output;
  EXPECT_NE(result.output.find(clip.string() + ": 3 scenes written; 2 damaged frames were replaced"),
            std::string::npos)
      << result.output;
  const settings::DateTimeValue sony{2024, 7, 8, 19, 55, 58};
  const std::vector<std::string> names{DefaultName(sony) + ".avi", "tape_scene2.avi", DefaultName(sony) + "(1).avi"};
  std::vector<std::string> written;
  for (const auto& entry : fs::directory_iterator(work_.path()))
    if (entry.path() != clip && entry.path().extension() != ".scn") written.push_back(entry.path().filename());
  std::sort(written.begin(), written.end());
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(written, expected) << result.output;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const auto probed = test::ProbeFile(work_ / name);
    ASSERT_TRUE(probed.has_value());
    ASSERT_FALSE(probed->streams.empty());
    EXPECT_EQ(probed->streams[0].read_frames, 20);
  }
  // The mended scene holds the same frames as the first: the stand-ins are
  // the whole frame before them.
  EXPECT_TRUE(test::ExtractStream(work_ / names[2], "v:0", "rawvideo") ==
              test::ExtractStream(work_ / names[0], "v:0", "rawvideo"));
}

// Escape while the second scene is written: it is removed, the first
// stays, nothing is left under a temporary name, and the run says so.
TEST_F(SplitScenesTest, AbortKeepsTheFinishedScenesAndLeavesNoPartialFile) {
  samples::DvClipSpec spec;
  spec.frames = 75;
  spec.jumps = {{25, 3600}, {50, 7200}};
  const fs::path clip = work_ / "three.avi";
  samples::WriteDvClip(clip, spec);

  test::ScriptedHost host;
  commands::ProcessFlags flags;
  test::RecordingListView view;
  commands::XdgDesktopLauncher launcher;
  class : public commands::RiffReportView {
    void BeginReport(const std::string&) override {}
    void EndReport(const media::RiffReport&) override {}
    void CloseReport() override {}
  } riffView;
  commands::CoreSession session({.host = host,
                                 .listView = view,
                                 .launcher = launcher,
                                 .riffView = riffView,
                                 .store = {home_ / "config"},
                                 .defaults = {.documentsFolder = home_.path().string()},
                                 .locale = QLocale::c(),
                                 .flags = &flags,
                                 .pluginFolders = std::vector<fs::path>{KORVID_PLUGIN_OUTPUT_DIR}});
  flags.NoConfirmation = true;
  session.List().AddFile(clip.string());
  session.RunSwitches({"+s"}, {clip.string()}, {});
  ASSERT_TRUE(fs::exists(work_ / "three.scn"));

  host.onEvents = [&] {
    if (!host.gauge.empty() && host.gauge.back() >= 60) flags.AbortCommand = true;
  };
  std::vector<commands::SwitchStep> steps;
  session.RunSwitches({"+u"}, {clip.string()}, [&](const commands::SwitchStep& step) { steps.push_back(step); });
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].outcome, commands::SwitchStep::Outcome::kFailed);
  EXPECT_NE(steps[0].detail.find("1 of 3"), std::string::npos) << steps[0].detail;
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(work_.path())) files.push_back(entry.path().filename());
  EXPECT_EQ(files.size(), 3u);  // the source, its scene file and the first scene
  for (const std::string& name : files) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
}

}  // namespace
}  // namespace korvid
