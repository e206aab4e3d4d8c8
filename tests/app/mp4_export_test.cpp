// "korvid +h +4 FOLDER" exports every DV file of a folder to MP4; what
// ffprobe and ffmpeg read back from each file is checked against the
// source: picture shape and rate, length, sound, the recording date as
// creation time, subtitles and chapters, and the file's modification time.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "media/avi_writer.h"
#include "media/dv_audio_sample_count.h"
#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

struct Expected {
  std::string name;
  media::DvSystem system;
  int frames;
  std::string aspect;  // display aspect
  int width;
  std::string creation;                    // UTC, as in Paris the date was local time
  std::vector<media::TDatecode> datecodes;  // of each frame
  std::vector<int> sceneStarts;
};

// The display format's default, "yyyy/mm/dd hh:nn:ss am/pm", in English.
std::string Shown(const media::TDatecode& dc) {
  const int hour12 = dc.hour % 12 == 0 ? 12 : dc.hour % 12;
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d %s", dc.year, dc.month, dc.day, hour12, dc.minute,
                dc.second, dc.hour < 12 ? "am" : "pm");
  return text;
}

Expected FromSpec(const std::string& name, std::string aspect, int width, std::string creation,
                  std::vector<int> scenes) {
  for (const samples::DvClipSpec& spec : samples::StandardDvClips()) {
    if (spec.file_name != name) continue;
    Expected e{name, spec.system, spec.frames, std::move(aspect), width, std::move(creation), {}, std::move(scenes)};
    for (int k = 0; k < spec.frames; ++k) e.datecodes.push_back(samples::DatecodeOfFrame(spec, k));
    return e;
  }
  throw std::runtime_error("no sample " + name);
}

double FrameSeconds(media::DvSystem system) { return system == media::DvSystem::k625_50 ? 0.04 : 1001.0 / 30000.0; }

std::time_t UtcSeconds(const std::string& iso) {
  std::tm parts{};
  std::sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%d", &parts.tm_year, &parts.tm_mon, &parts.tm_mday, &parts.tm_hour,
              &parts.tm_min, &parts.tm_sec);
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  return timegm(&parts);
}

struct Cue {
  double start = 0;
  std::string text;
};

// The subtitle track as ffmpeg writes it out in SRT.
std::vector<Cue> CuesOf(const fs::path& file) {
  const test::CommandResult srt =
      test::RunCommand({"ffmpeg", "-v", "error", "-i", file.string(), "-map", "0:s:0", "-f", "srt", "-"});
  std::vector<Cue> cues;
  std::istringstream lines(srt.output);
  std::string line;
  while (std::getline(lines, line)) {
    int h = 0, m = 0, s = 0, ms = 0;
    if (std::sscanf(line.c_str(), "%d:%d:%d,%d -->", &h, &m, &s, &ms) != 4) continue;
    Cue cue{h * 3600.0 + m * 60.0 + s + ms / 1000.0, {}};
    std::getline(lines, cue.text);
    if (!cue.text.empty() && cue.text.back() == '\r') cue.text.pop_back();
    cues.push_back(cue);
  }
  return cues;
}

QJsonObject StreamOfType(const QJsonObject& probe, const char* type) {
  for (const QJsonValue& stream : probe["streams"].toArray())
    if (stream.toObject()["codec_type"].toString() == type) return stream.toObject();
  return {};
}

void CheckExport(const fs::path& mp4, const Expected& e) {
  SCOPED_TRACE(e.name);
  const test::CommandResult probe = test::RunCommand(
      {"ffprobe", "-v", "error", "-of", "json", "-show_streams", "-show_format", "-show_chapters", mp4.string()});
  ASSERT_EQ(probe.exit_code, 0);
  const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(probe.output)).object();
  const bool pal = e.system == media::DvSystem::k625_50;

  const QJsonObject video = StreamOfType(json, "video");
  EXPECT_EQ(video["codec_name"].toString().toStdString(), "h264");
  EXPECT_EQ(video["display_aspect_ratio"].toString().toStdString(), e.aspect);
  EXPECT_EQ(video["sample_aspect_ratio"].toString().toStdString(), "1:1");
  EXPECT_EQ(video["width"].toInt(), e.width);
  EXPECT_EQ(video["height"].toInt(), pal ? 576 : 480);
  EXPECT_EQ(video["r_frame_rate"].toString().toStdString(), pal ? "50/1" : "60000/1001");
  EXPECT_EQ(video["color_space"].toString().toStdString(), pal ? "bt470bg" : "smpte170m");
  EXPECT_EQ(video["color_range"].toString().toStdString(), "tv");
  EXPECT_EQ(video["nb_frames"].toString().toInt(), 2 * e.frames);
  const double seconds = e.frames * FrameSeconds(e.system);
  EXPECT_NEAR(video["duration"].toString().toDouble(), seconds, FrameSeconds(e.system) / 2);

  const QJsonObject audio = StreamOfType(json, "audio");
  EXPECT_EQ(audio["codec_name"].toString().toStdString(), "aac");
  EXPECT_EQ(audio["sample_rate"].toString().toInt(), 48000);
  EXPECT_EQ(audio["channels"].toInt(), 2);
  EXPECT_EQ(audio["duration_ts"].toInteger(),
            static_cast<qint64>(media::SamplesBeforeFrame(e.system, media::DvAudioRate::k48000,
                                                           static_cast<std::uint64_t>(e.frames))));

  EXPECT_EQ(StreamOfType(json, "subtitle")["codec_name"].toString().toStdString(), "mov_text");
  const std::string creation = json["format"].toObject()["tags"].toObject()["creation_time"].toString().toStdString();
  EXPECT_EQ(creation, e.creation + ".000000Z");

  // One cue for each second of recording time, starting where it starts.
  std::vector<Cue> expected;
  for (int k = 0; k < e.frames; ++k)
    if (k == 0 || !(e.datecodes[k] == e.datecodes[k - 1]))
      expected.push_back({k * FrameSeconds(e.system), Shown(e.datecodes[k])});
  const std::vector<Cue> cues = CuesOf(mp4);
  ASSERT_EQ(cues.size(), expected.size());
  for (std::size_t i = 0; i < cues.size(); ++i) {
    EXPECT_NEAR(cues[i].start, expected[i].start, 0.0015) << i;
    EXPECT_EQ(cues[i].text, expected[i].text) << i;
  }

  const QJsonArray chapters = json["chapters"].toArray();
  ASSERT_EQ(chapters.size(), static_cast<qsizetype>(e.sceneStarts.size()));
  for (qsizetype i = 0; i < chapters.size(); ++i) {
    const QJsonObject chapter = chapters[i].toObject();
    const int first = e.sceneStarts[static_cast<std::size_t>(i)];
    EXPECT_NEAR(chapter["start_time"].toString().toDouble(), first * FrameSeconds(e.system), 0.0015) << i;
    EXPECT_EQ(chapter["tags"].toObject()["title"].toString().toStdString(),
              Shown(e.datecodes[static_cast<std::size_t>(first)]))
        << i;
  }

  struct stat info {};
  ASSERT_EQ(::stat(mp4.c_str(), &info), 0);
  EXPECT_EQ(info.st_mtime, UtcSeconds(e.creation));
}

TEST(Mp4Export, AFolderExportsUnattendedWithItsRecordingDates) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  test::TempDir home;
  test::TempDir work;
  std::vector<Expected> expected{
      FromSpec("pal_type1.avi", "4:3", 768, "2005-08-14T13:02:11", {0}),
      FromSpec("pal_wide.avi", "16:9", 1024, "2010-02-16T20:36:28", {0}),
      FromSpec("ntsc_type2.avi", "4:3", 640, "2003-12-31T22:59:58", {0}),
      FromSpec("two_scenes.avi", "4:3", 768, "2005-08-14T13:02:11", {0, 40}),
  };
  for (const Expected& e : expected) test::CopyStandardSample(e.name, work.path());

  // Real camcorder frames: NTSC with 32 kHz sound, which becomes 48 kHz.
  if (!test::RealFixturesDir().empty()) {
    const auto frame = test::ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
    constexpr int kFrames = 20;
    auto writer = media::AviWriter::CreateType1(work / "sony.avi", {media::DvSystem::k525_60, false});
    for (int k = 0; k < kFrames; ++k) writer.WriteVideoFrame(frame);
    writer.Close();
    const media::TDatecode recorded{2024, 7, 8, 19, 55, 58};
    expected.push_back({"sony.avi", media::DvSystem::k525_60, kFrames, "4:3", 640, "2024-07-08T17:55:58",
                        std::vector<media::TDatecode>(kFrames, recorded), {0}});
  }

  const test::CommandResult run = test::RunCommand(
      {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", "TZ=Europe/Paris", "LC_ALL=C",
       "HOME=" + home.path().string(), "XDG_CONFIG_HOME=" + (home / ".config").string(), kKorvid, "+h", "+4",
       work.path().string()});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  for (const Expected& e : expected) CheckExport(work / (fs::path(e.name).stem().string() + ".mp4"), e);
}

}  // namespace
}  // namespace korvid
