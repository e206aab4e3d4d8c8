#include "commands/scene_commands.h"

#include <gtest/gtest.h>

#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "commands/command_skipped.h"
#include "commands/scene_files.h"
#include "graphs/scene_detector.h"
#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/avi_writer.h"
#include "media/dv_frame.h"
#include "media/dv_packs.h"
#include "support/dv_pack_frames.h"
#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

using samples::DvClipSpec;
using test::ReadWholeFile;
using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

media::DatecodeFormat TestFormat() { return {"yyyy-mm-dd hh:nn:ss", settings::EnglishLocaleFormats()}; }

// The entry as the listing would have made it.
media::TAfficherFichier EntryFor(const std::filesystem::path& path, const DvClipSpec& spec) {
  media::TAfficherFichier entry;
  media::SetNameFields(path, entry);
  entry.fps = spec.system == media::DvSystem::k625_50 ? 25.0 : 29.97;
  entry.datecode = graphs::RecordingValue(samples::DatecodeOfFrame(spec, 0));
  const media::TTimecode tc = samples::TimecodeOfFrame(spec, 0);
  entry.timecodeText = media::HasTimecode(tc) ? graphs::SceneTimecodeText(tc) : "N/A";
  return entry;
}

struct Bounds {
  std::int32_t start;
  std::int32_t end;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};
std::ostream& operator<<(std::ostream& os, const Bounds& b) { return os << "[" << b.start << ".." << b.end << "]"; }

// Scene bounds as the scene file gives them: its starts, and the frame
// counts of its records.
std::vector<Bounds> ScnBounds(const Bytes& b) {
  std::vector<Bounds> out;
  if (b.size() < 25) return out;
  const std::size_t L = b[24];
  std::size_t p = 25 + L + 8;
  const auto le32 = [&](std::size_t at) {
    return static_cast<std::int32_t>(b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (b.at(at + 3) << 24));
  };
  const int count = b.at(p) | (b.at(p + 1) << 8);
  p += 32;
  if (count == 0) return out;
  const std::int32_t n = le32(p);
  EXPECT_EQ(le32(p + 19 + L), n);
  out.push_back({0, n - 1});
  p += 23 + L;
  for (int i = 1; i < count; ++i, p += 35) {
    const std::int32_t s = le32(p + 9), d = le32(p + 13);
    EXPECT_EQ(le32(p + 23), s);
    EXPECT_EQ(le32(p + 27), d);
    EXPECT_EQ(le32(p + 31), s);
    out.push_back({s, s + d - 1});
  }
  EXPECT_EQ(p, b.size());
  return out;
}

std::vector<std::string> SceneLines(const std::filesystem::path& text_file) {
  const Bytes bytes = ReadWholeFile(text_file);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("  ", 0) == 0) lines.push_back(line);
  }
  return lines;
}

class SceneCommands : public ::testing::Test {
 protected:
  SceneScanServices Services() {
    return SceneScanServices{host, abort, detector, TestFormat(),
                             [this](std::int32_t frame) { shown_starts.push_back(frame); },
                             [this](bool busy) { busy_marks.push_back(busy); }, 1};
  }

  TempDir dir;
  test::ScriptedHost host;
  std::atomic<bool> abort{false};
  graphs::SceneDetector detector;
  std::vector<std::int32_t> shown_starts;
  std::vector<bool> busy_marks;
};

TEST_F(SceneCommands, TwoScenesSampleInBothOutputs) {
  const DvClipSpec spec = [] {
    for (const DvClipSpec& s : samples::StandardDvClips())
      if (s.file_name == "two_scenes.avi") return s;
    return DvClipSpec{};
  }();
  const std::filesystem::path clip = test::StandardSample("two_scenes.avi");
  const media::TAfficherFichier entry = EntryFor(clip, spec);
  // The outputs go next to a copy: the shared sample folder stays read-only.
  const std::filesystem::path copy = test::CopyStandardSample("two_scenes.avi", dir.path());
  const media::TAfficherFichier copy_entry = EntryFor(copy, spec);
  ASSERT_FALSE(entry.fullName.empty());

  ScnFileWriter scn;
  SceneScanServices services = Services();
  std::string newfichier;
  EXPECT_EQ(CreerScenesExecution(scn, copy_entry, newfichier, services), utModify);
  EXPECT_EQ(newfichier, copy_entry.fullName);
  EXPECT_EQ(ScnBounds(ReadWholeFile(dir / "two_scenes.scn")), (std::vector<Bounds>{{0, 39}, {40, 74}}));
  EXPECT_EQ(busy_marks, (std::vector<bool>{true, false}));
  ASSERT_FALSE(shown_starts.empty());
  EXPECT_EQ(shown_starts.back(), 40);
  ASSERT_FALSE(host.gauge.empty());
  EXPECT_EQ(host.gauge.back(), 100);

  SceneTextWriter text;
  EXPECT_EQ(CreerScenesExecution(text, copy_entry, newfichier, services), utModify);
  EXPECT_EQ(SceneLines(dir / "two_scenes_scn.txt"),
            (std::vector<std::string>{
                "  1,00.00.00.00,00.00.01.14,2005-08-14 15:02:11,00.00.00.00,00.00.01.14",
                "  2,00.00.01.15,00.00.02.24,2005-08-14 18:02:12,00.00.01.15,00.00.01.09"}));
  EXPECT_TRUE(host.questions.empty());
}

TEST_F(SceneCommands, GeneratedJumpsBackwardsAbsorbedAndUndated) {
  DvClipSpec spec;
  spec.file_name = "jumps.avi";
  spec.dv_type = 1;
  spec.frames = 150;
  spec.distinct_pictures = 1;
  spec.start = {2007, 12, 31, 23, 59, 55};  // runs over the new year
  // Absorbed jumps still move the clock of every later frame.
  spec.jumps = {{5, 100},      // within the first 12 frames: absorbed
                {20, 10},      // cut
                {50, -3600},   // backwards: cut
                {60, 5},       // 10 frames after a cut: absorbed
                {90, 1}};      // a second: same scene
  spec.undated_from = 100;
  spec.undated_to = 130;
  const std::filesystem::path clip = dir / spec.file_name;
  samples::WriteDvClip(clip, spec);
  const media::TAfficherFichier entry = EntryFor(clip, spec);
  const std::vector<Bounds> expected{{0, 19}, {20, 49}, {50, 99}, {100, 129}, {130, 149}};

  SceneScanServices services = Services();
  ScnFileWriter scn;
  EXPECT_EQ(ScanScenes(scn, entry, services), SceneScanOutcome::kCompleted);
  EXPECT_EQ(ScnBounds(ReadWholeFile(dir / "jumps.scn")), expected);

  SceneTextWriter text;
  EXPECT_EQ(ScanScenes(text, entry, services), SceneScanOutcome::kCompleted);
  const std::vector<std::string> lines = SceneLines(dir / "jumps_scn.txt");
  ASSERT_EQ(lines.size(), expected.size());
  EXPECT_EQ(lines[0], "  1,00.00.00.00,00.00.00.19,2007-12-31 23:59:55,00.00.00.00,00.00.00.19");
  EXPECT_EQ(lines[1], "  2,00.00.00.20,00.00.01.24,2008-01-01 00:01:45,00.00.00.20,00.00.01.04");
  EXPECT_EQ(lines[2], "  3,00.00.02.00,00.00.03.24,2007-12-31 23:01:47,00.00.02.00,00.00.01.24");
  EXPECT_EQ(lines[3], "  4,00.00.04.00,00.00.05.04,,00.00.04.00,00.00.01.04");
  EXPECT_EQ(lines[4], "  5,00.00.05.05,00.00.05.24,2007-12-31 23:01:56,00.00.05.05,00.00.00.19");
}

TEST_F(SceneCommands, NtscClipUsesItsOwnRate) {
  DvClipSpec spec;
  spec.file_name = "ntsc.avi";
  spec.system = media::DvSystem::k525_60;
  spec.frames = 60;
  spec.distinct_pictures = 1;
  spec.jumps = {{31, 600}};
  const std::filesystem::path clip = dir / spec.file_name;
  samples::WriteDvClip(clip, spec);
  SceneScanServices services = Services();
  SceneTextWriter text;
  EXPECT_EQ(ScanScenes(text, EntryFor(clip, spec), services), SceneScanOutcome::kCompleted);
  const std::vector<std::string> lines = SceneLines(dir / "ntsc_scn.txt");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 27), "  1,00.00.00.00,00.00.01.00");  // 30 / 29.97 is a second and a bit
  EXPECT_EQ(lines[1].substr(0, 27), "  2,00.00.01.01,00.00.01.29");
}

TEST_F(SceneCommands, FfmpegSegmentsJoinedGiveOneScenePerSegment) {
  KORVID_REQUIRE_PROGRAM("ffmpeg");
  const char* times[] = {"2010-05-01T10:00:00", "2010-05-01T10:20:00", "2010-05-01T09:00:00"};
  Bytes joined;
  for (int i = 0; i < 3; ++i) {
    const std::string segment = (dir / ("seg" + std::to_string(i) + ".dv")).string();
    const test::CommandResult made = test::RunCommand(
        {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=720x576:rate=25", "-t", "0.6",
         "-pix_fmt", "yuv420p", "-c:v", "dvvideo", "-metadata", std::string("creation_time=") + times[i], "-f",
         "dv", segment});
    ASSERT_EQ(made.exit_code, 0);
    const Bytes bytes = ReadWholeFile(segment);
    joined.insert(joined.end(), bytes.begin(), bytes.end());
  }
  test::WriteWholeFile(dir / "joined.dv", joined);
  const std::string avi = (dir / "joined.avi").string();
  ASSERT_EQ(test::RunCommand({"ffmpeg", "-v", "error", "-y", "-i", (dir / "joined.dv").string(), "-c", "copy", avi})
                .exit_code,
            0);

  media::TAfficherFichier entry;
  media::SetNameFields(avi, entry);
  entry.fps = 25;
  SceneScanServices services = Services();
  ScnFileWriter scn;
  EXPECT_EQ(ScanScenes(scn, entry, services), SceneScanOutcome::kCompleted);
  EXPECT_EQ(ScnBounds(ReadWholeFile(dir / "joined.scn")), (std::vector<Bounds>{{0, 14}, {15, 29}, {30, 44}}));
  SceneTextWriter text;
  ScanScenes(text, entry, services);
  const std::vector<std::string> lines = SceneLines(dir / "joined_scn.txt");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find(",2010-05-01 10:20:00,"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(",2010-05-01 09:00:00,"), std::string::npos) << lines[2];
}

TEST_F(SceneCommands, RealCamcorderFramesFromTwoRecordings) {
  KORVID_REQUIRE_REAL_FIXTURES();
  const Bytes first = ReadWholeFile(test::RealFixturesDir() / "sony_perfect.dv");
  const Bytes second = ReadWholeFile(test::RealFixturesDir() / "sony_subcode_errors.dv");
  ASSERT_EQ(first.size(), media::FrameBytes(media::DvSystem::k525_60));
  ASSERT_EQ(second.size(), first.size());
  const std::filesystem::path clip = dir / "camcorder.avi";
  {
    media::AviWriter writer = media::AviWriter::CreateType1(clip, media::AviVideoFormat{media::DvSystem::k525_60, false});
    for (int i = 0; i < 20; ++i) writer.WriteVideoFrame(first);
    for (int i = 0; i < 20; ++i) writer.WriteVideoFrame(second);
    writer.Close();
  }
  media::TAfficherFichier entry;
  media::SetNameFields(clip, entry);
  entry.fps = 29.97;
  entry.datecode = settings::DateTimeValue{2024, 7, 8, 19, 55, 58};
  SceneScanServices services = Services();
  SceneTextWriter text;
  EXPECT_EQ(ScanScenes(text, entry, services), SceneScanOutcome::kCompleted);
  const std::vector<std::string> lines = SceneLines(dir / "camcorder_scn.txt");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find(",2024-07-08 19:55:58,"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1].substr(0, 48), "  2,00.00.00.20,00.00.01.09,2000-12-03 10:15:59,") << lines[1];
}

// Passes scenes on and raises the abort flag once `after` scenes are in,
// from the scanning thread, as a key press at that moment would.
class AbortingWriter final : public SceneWriter {
 public:
  AbortingWriter(SceneWriter& inner, std::atomic<bool>& abort, int after)
      : inner_(inner), abort_(abort), after_(after) {}
  bool OpenSceneOutput(const media::TAfficherFichier& entry) override { return inner_.OpenSceneOutput(entry); }
  void WriteScene(const TSceneInfo& scene) override {
    inner_.WriteScene(scene);
    if (++written_ == after_) abort_ = true;
  }
  void CloseSceneOutput() override {
    closed_ = true;
    inner_.CloseSceneOutput();
  }
  void AbandonSceneOutput() override { inner_.AbandonSceneOutput(); }
  int written_ = 0;
  bool closed_ = false;

 private:
  SceneWriter& inner_;
  std::atomic<bool>& abort_;
  int after_;
};

TEST_F(SceneCommands, AbortKeepsFinishedScenesAndClosesTheOutput) {
  DvClipSpec spec;
  spec.file_name = "many.avi";
  spec.dv_type = 1;
  spec.frames = 120;
  spec.distinct_pictures = 1;
  for (int f = 20; f < 120; f += 20) spec.jumps.push_back({f, 60});
  const std::filesystem::path clip = dir / spec.file_name;
  samples::WriteDvClip(clip, spec);

  SceneScanServices services = Services();
  ScnFileWriter scn;
  AbortingWriter aborting(scn, abort, 2);
  EXPECT_EQ(ScanScenes(aborting, EntryFor(clip, spec), services), SceneScanOutcome::kAborted);
  EXPECT_TRUE(aborting.closed_);
  EXPECT_EQ(aborting.written_, 2) << "the running scene is not written";
  EXPECT_EQ(ScnBounds(ReadWholeFile(dir / "many.scn")), (std::vector<Bounds>{{0, 19}, {20, 39}}));

  abort = false;
  SceneTextWriter text;
  AbortingWriter aborting_text(text, abort, 3);
  EXPECT_EQ(ScanScenes(aborting_text, EntryFor(clip, spec), services), SceneScanOutcome::kAborted);
  const Bytes bytes = ReadWholeFile(dir / "many_scn.txt");
  const std::string content(bytes.begin(), bytes.end());
  EXPECT_EQ(SceneLines(dir / "many_scn.txt").size(), 3u);
  EXPECT_NE(content.find("// Visit my web site"), std::string::npos) << "closing lines written";
}

TEST_F(SceneCommands, DamagedFirstSequenceDoesNotCutAScene) {
  DvClipSpec spec;
  spec.file_name = "dropout.avi";
  spec.dv_type = 2;
  spec.frames = 40;
  spec.distinct_pictures = 1;
  const std::filesystem::path clip = dir / spec.file_name;
  samples::WriteDvClip(clip, spec);
  {
    // Blank the subcode and VAUX blocks of frame 20's first sequence.
    media::BinaryFile file(clip, media::BinaryFile::Mode::kReadWrite);
    const media::TAviParam param(file);
    const media::AviFrameIndex index = media::AviFrameIndex::Load(file, param);
    const std::size_t stream = *media::FindDvVideoStream(param);
    const std::uint64_t at = index.FramesOf(stream)[20].offset + media::DifBlockOffset(0, 1);
    file.WriteAt(at, Bytes(5 * media::kDifBlockBytes, 0xFF));

    Bytes head(media::kDifSequenceBytes);
    ASSERT_EQ(index.ReadFrameStart(file, stream, 20, head), head.size());
    const media::TDatecode plain = test::FixedDatecode(head);
    ASSERT_FALSE(media::HasDatecode(plain)) << "the damage must hide the first sequence's date";
  }
  SceneScanServices services = Services();
  ScnFileWriter scn;
  EXPECT_EQ(ScanScenes(scn, EntryFor(clip, spec), services), SceneScanOutcome::kCompleted);
  EXPECT_EQ(ScnBounds(ReadWholeFile(dir / "dropout.scn")), (std::vector<Bounds>{{0, 39}}));
}

TEST_F(SceneCommands, ClipWithoutDatecodeIsOneUndatedScene) {
  const std::filesystem::path clip = test::CopyStandardSample("no_datecode.avi", dir.path());
  media::TAfficherFichier entry;
  media::SetNameFields(clip, entry);
  entry.fps = 25;
  SceneScanServices services = Services();
  SceneTextWriter text;
  EXPECT_EQ(ScanScenes(text, entry, services), SceneScanOutcome::kCompleted);
  const std::vector<std::string> lines = SceneLines(dir / "no_datecode_scn.txt");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "  1,00.00.00.00,00.00.01.24,,,00.00.01.24") << "no datecode, no timecode";
}

TEST_F(SceneCommands, NotAnAviIsSkippedAndItsOutputsLeftAsTheyWere) {
  test::WriteWholeFile(dir / "fake.avi", Bytes(1000, 'x'));
  media::TAfficherFichier entry;
  media::SetNameFields(dir / "fake.avi", entry);
  test::WriteWholeFile(dir / "fake.scn", Bytes(100, 1));
  SceneScanServices services = Services();
  ScnFileWriter scn;
  SceneTextWriter text;
  std::string newfichier;
  EXPECT_THROW(CreerScenesExecution(scn, entry, newfichier, services), CommandSkipped);
  EXPECT_THROW(CreerScenesExecution(text, entry, newfichier, services), CommandSkipped);
  EXPECT_EQ(ReadWholeFile(dir / "fake.scn"), Bytes(100, 1));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "no _scn.txt, no temporary";
}

TEST_F(SceneCommands, LongPathIsSkippedWithItsReasonAndLeftAlone) {
  std::filesystem::path folder = dir.path();
  while (folder.string().size() < 250) folder /= std::string(40, 'd');
  std::filesystem::create_directories(folder);
  const std::filesystem::path clip = folder / "clip.avi";
  test::CopyStandardSample("two_scenes.avi", folder);
  std::filesystem::rename(folder / "two_scenes.avi", clip);
  test::WriteWholeFile(folder / "clip.scn", Bytes{1, 2, 3});
  media::TAfficherFichier entry;
  media::SetNameFields(clip, entry);
  ASSERT_GE(entry.fullName.size(), 255u);

  SceneScanServices services = Services();
  ScnFileWriter scn;
  std::string newfichier;
  try {
    CreerScenesExecution(scn, entry, newfichier, services);
    ADD_FAILURE() << "a path too long for the scene file is not skipped";
  } catch (const CommandSkipped& skipped) {
    EXPECT_NE(std::string(skipped.what()).find(entry.fullName), std::string::npos) << skipped.what();
  }
  EXPECT_EQ(ReadWholeFile(folder / "clip.scn"), (Bytes{1, 2, 3}));

  // The text export has no such limit.
  SceneTextWriter text;
  EXPECT_EQ(CreerScenesExecution(text, entry, newfichier, services), utModify);
  EXPECT_EQ(SceneLines(folder / "clip_scn.txt").size(), 2u);
}

TEST(SceneConfirmations, AskOnlyWhenReplacingAndShortenLongQuestions) {
  TempDir dir;
  media::TAfficherFichier entry;
  media::SetNameFields(dir / "clip.avi", entry);
  EXPECT_EQ(CreerScenesConfirmation(entry), "");
  EXPECT_EQ(ScenesTextConfirmation(entry), "");
  test::WriteWholeFile(dir / "clip.scn", Bytes{0});
  test::WriteWholeFile(dir / "clip_scn.txt", Bytes{0});
  EXPECT_EQ(CreerScenesConfirmation(entry),
            "Do you want to replace the existing file " + (dir / "clip.scn").string() + " ?");
  EXPECT_EQ(ScenesTextConfirmation(entry),
            "Do you want to replace the existing file " + (dir / "clip_scn.txt").string() + " ?");

  std::filesystem::path folder = dir.path();
  while (folder.string().size() < 220) folder /= std::string(40, 'f');
  std::filesystem::create_directories(folder);
  media::SetNameFields(folder / "clip.avi", entry);
  test::WriteWholeFile(folder / "clip.scn", Bytes{0});
  test::WriteWholeFile(folder / "clip_scn.txt", Bytes{0});
  EXPECT_EQ(CreerScenesConfirmation(entry), "Do you want to replace the existing scn-file ?");
  EXPECT_EQ(ScenesTextConfirmation(entry), "Do you want to replace the existing file ?");
  EXPECT_EQ(SupprimerScenesConfirmation(entry), "Do you really want to move this scn-file to the recycle bin?");
  media::SetNameFields(dir / "clip.avi", entry);
  EXPECT_EQ(SupprimerScenesConfirmation(entry),
            "Do you really want to move the file " + (dir / "clip.scn").string() + " to the recycle bin?");
}

TEST(SupprimerScenes, EnabledByTheSceneFileAndReportsFailure) {
  media::TAfficherFichier entry;
  media::SetNameFields("/nowhere/clip.avi", entry);
  bool visible = false, enabled = true;
  SupprimerScenesFileCondition(entry, visible, enabled);
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(visible) << "visibility is not its business";
  entry.hasSceneFile = true;
  SupprimerScenesFileCondition(entry, visible, enabled);
  EXPECT_TRUE(enabled);

  std::string newfichier;
  std::filesystem::path asked;
  const auto refuse = [&](const std::filesystem::path& p) {
    asked = p;
    return false;
  };
  try {
    SupprimerScenesExecution(entry, newfichier, refuse);
    ADD_FAILURE() << "a refused move is a failure";
  } catch (const media::FileError& e) {
    EXPECT_STREQ(e.what(),
                 "Impossible to delete /nowhere/clip.scn\nThe file may be presently in use or may be read only");
  }
  EXPECT_EQ(asked, "/nowhere/clip.scn");
  EXPECT_EQ(SupprimerScenesExecution(entry, newfichier, [](const std::filesystem::path&) { return true; }), utModify);
  EXPECT_EQ(newfichier, entry.fullName);
}

TEST(SupprimerScenes, MovesTheRealFileToTheTrash) {
  TempDir dir;
  TempDir data_home;
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", data_home.path().c_str(), 1);
  test::WriteWholeFile(dir / "clip.scn", Bytes{1, 2, 3});
  media::TAfficherFichier entry;
  media::SetNameFields(dir / "clip.avi", entry);
  std::string newfichier;
  const TchUpdateType result = SupprimerScenesExecution(entry, newfichier);
  if (old) setenv("XDG_DATA_HOME", saved.c_str(), 1); else unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(result, utModify);
  EXPECT_FALSE(std::filesystem::exists(dir / "clip.scn"));
  EXPECT_THROW(SupprimerScenesExecution(entry, newfichier), media::FileError) << "nothing left to move";
}

}  // namespace
}  // namespace korvid::commands
