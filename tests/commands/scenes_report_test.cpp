// What `--scenes` and the frame log's cause column say about generated
// clips whose cuts, absorbed jumps and marks are placed by hand, and the
// datecodes they point out as implausible.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "commands/scenes_report.h"
#include "graphs/frames_command.h"
#include "graphs/scene_detector.h"
#include "media/dv_pack_layout.h"
#include "media/dv_pack_writer.h"
#include "sample_clip.h"
#include "support/list_samples.h"
#include "support/mode_change_clip.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;
using commands::SceneMark;

// REC ST cleared in every VAUX source control pack: a recording starts.
void MarkRecordingStart(std::vector<std::uint8_t>& frame) {
  media::ForEachPackSlot(std::span<const std::uint8_t>(frame), [&](const media::PackSlot& slot) {
    if (frame[slot.offset] == media::kVideoControlPack) frame[slot.offset + 2] &= 0x7F;
  });
}

// 110 PAL frames: a cut at 40 (+5 s) with a jump at 45 absorbed into it,
// an undated stretch 70-74 that cuts and comes back absorbed; a recording
// start flag at 20, a repeated timecode at 30 and a jump of ten minutes at
// 50; 16:9 from frame 90.
samples::DvClipSpec MarkedSpec() {
  samples::DvClipSpec spec;
  spec.file_name = "marked.avi";
  spec.dv_type = 1;
  spec.frames = 110;
  spec.jumps = {{40, 5}, {45, -100}};
  spec.undated_from = 70;
  spec.undated_to = 75;
  spec.retouch = [](int i, std::vector<std::uint8_t>& frame) {
    if (i == 20) MarkRecordingStart(frame);
    if (i >= 30) {
      media::TTimecode tc{0, 0, static_cast<std::uint8_t>((i - 1) / 25), static_cast<std::uint8_t>((i - 1) % 25)};
      if (i >= 50) tc.minutes = 10;
      media::WriteTimecode(frame, tc);
    }
    if (i >= 90) media::WriteWideScreen(frame, true);
  };
  return spec;
}

std::vector<std::string> Texts(const std::vector<SceneMark>& marks) {
  std::vector<std::string> texts;
  for (const SceneMark& mark : marks) texts.push_back(std::to_string(mark.frame) + " " + mark.text);
  return texts;
}

class ScenesReportTest : public ::testing::Test {
 protected:
  commands::ScenesReport Report(const fs::path& clip) {
    return commands::BuildScenesReport(clip.string(), test::PlainDatecodeFormat(), utc_);
  }
  fs::path Clip(samples::DvClipSpec spec) {
    const fs::path path = dir_ / spec.file_name;
    samples::WriteDvClip(path, spec);
    return path;
  }
  test::TempDir dir_;
  settings::RecordingZone utc_{"UTC"};
};

TEST_F(ScenesReportTest, EachSceneSaysWhyItWasCutAndListsWhatItAbsorbed) {
  const commands::ScenesReport report = Report(Clip(MarkedSpec()));
  ASSERT_EQ(report.scenes.size(), 3u);
  const auto& first = report.scenes[0].scene;
  EXPECT_EQ(first.startFrame, 0);
  EXPECT_EQ(first.endFrame, 39);
  EXPECT_EQ(graphs::SceneCauseText(first.cause), "start of file");
  EXPECT_TRUE(first.absorbed.empty());
  EXPECT_EQ(Texts(report.scenes[0].marks),
            (std::vector<std::string>{"20 recording start flag", "30 timecode repeats 00:00:01:04"}));

  const auto& second = report.scenes[1].scene;
  EXPECT_EQ(second.startFrame, 40);
  EXPECT_EQ(second.endFrame, 69);
  EXPECT_EQ(graphs::SceneCauseText(second.cause), "recording date jumps +5 s");
  ASSERT_EQ(second.absorbed.size(), 1u);
  EXPECT_EQ(second.absorbed[0].frame, 45);
  EXPECT_EQ(graphs::SceneCauseText(second.absorbed[0].cause), "recording date jumps -100 s");
  EXPECT_EQ(Texts(report.scenes[1].marks),
            (std::vector<std::string>{"50 timecode jumps 00:00:01:23 to 00:10:01:24"}));

  const auto& third = report.scenes[2].scene;
  EXPECT_EQ(third.startFrame, 70);
  EXPECT_EQ(third.endFrame, 109);
  EXPECT_EQ(graphs::SceneCauseText(third.cause), "recording date ends");
  ASSERT_EQ(third.absorbed.size(), 1u);
  EXPECT_EQ(third.absorbed[0].frame, 75);
  EXPECT_EQ(graphs::SceneCauseText(third.absorbed[0].cause), "recording date starts");
  EXPECT_EQ(Texts(report.scenes[2].marks),
            (std::vector<std::string>{"70 no recording date for 5 frames", "90 aspect changes to 16:9"}));
  EXPECT_FALSE(report.suspectScene);

  // The text form lists them under their scene; nothing is written beside the clip.
  const std::string text = commands::ScenesReportText(report);
  EXPECT_NE(text.find("scene 2  frames 40-69  recorded 2005-08-14T15:02:17"), std::string::npos) << text;
  EXPECT_NE(text.find("      frame 45: absorbed: recording date jumps -100 s\n      frame 50: timecode jumps"),
            std::string::npos)
      << text;
  EXPECT_FALSE(fs::exists(dir_ / "marked.scn"));
}

TEST_F(ScenesReportTest, TheFrameLogGivesTheSameWordsInItsCauseColumn) {
  const fs::path clip = Clip(MarkedSpec());
  std::ostringstream out, err;
  ASSERT_EQ(graphs::RunFramesCommand({"--json", clip.string()}, out, err), 0) << err.str();
  std::vector<std::string> causes;
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) {
    const QJsonObject row = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    causes.push_back(row["cause"].toString().toStdString());
  }
  ASSERT_EQ(causes.size(), 110u);
  EXPECT_EQ(causes[0], "start of file");
  EXPECT_EQ(causes[20], "recording start flag");
  EXPECT_EQ(causes[30], "timecode repeats 00:00:01:04");
  EXPECT_EQ(causes[40], "recording date jumps +5 s");
  EXPECT_EQ(causes[45], "absorbed: recording date jumps -100 s");
  EXPECT_EQ(causes[70], "recording date ends; no recording date from here");
  EXPECT_EQ(causes[75], "absorbed: recording date starts; recording date back after 5 frames");
  EXPECT_EQ(causes[90], "aspect changes to 16:9");
  EXPECT_EQ(causes[41], "");
}

TEST_F(ScenesReportTest, ASoundModeChangeIsAMark) {
  const commands::ScenesReport report = Report(test::WriteModeChangeClip(dir_.path()));
  ASSERT_EQ(report.scenes.size(), 1u);
  const std::vector<std::string> marks = Texts(report.scenes[0].marks);
  EXPECT_NE(std::find(marks.begin(), marks.end(), "25 sound changes to 32 kHz 16 bit 2 channels"), marks.end())
      << ::testing::PrintToString(marks);
}

samples::DvClipSpec DatedSpec(const std::string& name, media::TDatecode start, std::vector<samples::ClockJump> jumps) {
  samples::DvClipSpec spec;
  spec.file_name = name;
  spec.frames = 40;
  spec.start = start;
  spec.jumps = std::move(jumps);
  return spec;
}

std::int64_t SecondsBetween(const settings::DateTimeValue& from, const settings::DateTimeValue& to) {
  return *graphs::MomentSeconds(to) - *graphs::MomentSeconds(from);
}

TEST_F(ScenesReportTest, ImplausibleClocksArePointedOutAndNewYearIsNot) {
  const auto suspicion = [&](const samples::DvClipSpec& spec) {
    const commands::ScenesReport report = Report(Clip(spec));
    std::vector<std::string> found;
    for (const commands::ReportedScene& scene : report.scenes) found.push_back(scene.suspicion);
    return found;
  };
  const auto never_set = suspicion(DatedSpec("never_set.avi", {1990, 6, 1, 12, 0, 0}, {}));
  ASSERT_EQ(never_set.size(), 1u);
  EXPECT_NE(never_set[0].find("before 1995"), std::string::npos) << never_set[0];

  const auto future = suspicion(DatedSpec("future.avi", {2038, 6, 1, 12, 0, 0}, {}));
  EXPECT_NE(future[0].find("after the file was last changed"), std::string::npos) << future[0];

  const auto reset = suspicion(DatedSpec("reset.avi", {2000, 1, 1, 0, 0, 5}, {}));
  EXPECT_NE(reset[0].find("1 January 2000"), std::string::npos) << reset[0];

  // From 2005 back to a reset value halfway; a real New Year is no reset.
  const settings::DateTimeValue start{2005, 8, 14, 15, 2, 11};
  const auto back = suspicion(DatedSpec("back.avi", {2005, 8, 14, 15, 2, 11},
                                        {{20, SecondsBetween(start, {2000, 1, 1, 0, 1, 0})}}));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0], "");
  EXPECT_NE(back[1].find("a camera's clock after a reset"), std::string::npos);
  const auto new_year = suspicion(DatedSpec("new_year.avi", {2005, 12, 31, 23, 59, 30}, {{20, 60}}));
  ASSERT_EQ(new_year.size(), 2u);
  EXPECT_EQ(new_year[0] + new_year[1], "");

  std::ostringstream out, err;
  ASSERT_EQ(commands::RunScenesReport({"--json", (dir_ / "back.avi").string(), (dir_ / "gone.avi").string()},
                                      test::PlainDatecodeFormat(), utc_, out, err),
            1);
  const QJsonArray files = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).array();
  ASSERT_EQ(files.size(), 1);
  const QJsonObject file = files[0].toObject();
  EXPECT_TRUE(file["datecodeSuspect"].toString().contains("reset"));
  const QJsonArray scenes = file["scenes"].toArray();
  ASSERT_EQ(scenes.size(), 2);
  EXPECT_EQ(scenes[1].toObject()["recorded"].toString(), "2000-01-01T00:01:00");
  EXPECT_EQ(scenes[1].toObject()["recordedUtc"].toString(), "2000-01-01T00:01:00Z");
  EXPECT_EQ(scenes[1].toObject()["cause"].toString().left(22), "recording date jumps -");
  EXPECT_TRUE(scenes[0].toObject()["datecodeSuspect"].isNull());
  EXPECT_NE(err.str().find("gone.avi"), std::string::npos);
}

}  // namespace
}  // namespace korvid
