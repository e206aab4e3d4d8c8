#include "commands/conversion_commands.h"

#include <gtest/gtest.h>

#include "commands/command_skipped.h"
#include "graphs/dv_source.h"
#include "media/avi_frame_index.h"
#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/scripted_host.h"
#include "support/test_env.h"

namespace korvid::commands {
namespace {

using test::TempDir;

media::TAfficherFichier Entry(const std::filesystem::path& path, int dv_type, media::TvSystem system,
                              const std::string& codec = "dvsd") {
  media::TAfficherFichier entry;
  entry.fullName = path.string();
  entry.name = path.filename().string();
  entry.dvType = dv_type;
  entry.isDV = true;
  entry.tvSystem = system;
  entry.codec = codec;
  entry.width = 720;
  entry.height = 576;
  return entry;
}

TEST(ConversionOutputPath, BesideTheSourceOrInTheChosenFolder) {
  settings::Preferences preferences;
  preferences.saveInSameFolder = true;
  EXPECT_EQ(ConversionOutputPath("/v/clip.avi", kType1Suffix, preferences), "/v/clip_type1.avi");
  EXPECT_EQ(ConversionOutputPath("/v/my.clip.AVI", kNtscSuffix, preferences), "/v/my.clip_ntsc.avi");
  preferences.saveInSameFolder = false;
  preferences.outputFolder = "/out/";
  EXPECT_EQ(ConversionOutputPath("/v/a.avi", kType1Suffix, preferences), "/out/a_type1.avi");
  preferences.outputFolder = "/out";
  EXPECT_EQ(ConversionOutputPath("/v/a.avi", kRecompressSuffix, preferences), "/out/a_dvtype2.avi");
}

TEST(ReplaceQuestion, EmptyWithoutAFileAndShortenedWhenTooLong) {
  TempDir dir;
  EXPECT_EQ(ReplaceQuestion(dir / "none.avi"), "");
  test::WriteWholeFile(dir / "there.avi", {1});
  EXPECT_EQ(ReplaceQuestion(dir / "there.avi"),
            "Do you want to replace the existing file " + (dir / "there.avi").string() + " ?");
  const std::string long_name(250 - dir.path().string().size() - 40, 'x');
  test::WriteWholeFile(dir / (long_name + ".avi"), {1});
  EXPECT_EQ(ReplaceQuestion(dir / (long_name + ".avi")), "Do you want to replace the existing file ?");
}

TEST(ConversionConditions, FollowTheRecord) {
  bool visible = false;
  bool enabled = false;
  const auto pal1 = Entry("/a.avi", 1, media::TvSystem::kPal);
  const auto ntsc2 = Entry("/b.avi", 2, media::TvSystem::kNtsc, "DVSD");
  DVtype1FileCondition(pal1, visible, enabled);
  EXPECT_FALSE(enabled);
  DVtype1FileCondition(ntsc2, visible, enabled);
  EXPECT_TRUE(visible && enabled);
  DVType2FileCondition(pal1, visible, enabled);
  EXPECT_TRUE(enabled);
  auto upper = pal1;
  upper.codec = "DVSD";  // compared exactly
  DVType2FileCondition(upper, visible, enabled);
  EXPECT_FALSE(enabled);
  NtscFileCondition(pal1, visible, enabled);
  EXPECT_TRUE(enabled);
  PalFileCondition(pal1, visible, enabled);
  EXPECT_FALSE(visible || enabled);
  PalFileCondition(ntsc2, visible, enabled);
  EXPECT_TRUE(enabled);
  ConvertirDVFileCondition(pal1, visible, enabled);
  EXPECT_TRUE(visible);
  EXPECT_FALSE(enabled);
  auto mpeg4 = pal1;
  mpeg4.isDV = false;
  mpeg4.codec = "XVID";
  ConvertirDVFileCondition(mpeg4, visible, enabled);
  EXPECT_TRUE(enabled);
  graphs::FilterAvailability availability;
  NtscGeneralCondition(availability, visible);
  EXPECT_FALSE(visible);
  availability.deinterlacerFound = true;
  PalGeneralCondition(availability, visible);
  EXPECT_TRUE(visible);
}

struct Fixture {
  ConvertTimer timer;
  settings::Preferences preferences;
  graphs::FilterAvailability availability;
  test::ScriptedHost host;
  ProcessFlags flags;
  ConversionServices Services() { return {timer, preferences, availability, host, flags}; }
};

TEST(ConversionExecution, EscapeStopsTheSecondOfThreeFilesAndTheThirdIsConverted) {
  TempDir dir;
  Fixture f;
  f.preferences.saveInSameFolder = false;
  f.preferences.outputFolder = (dir / "out").string();
  std::filesystem::create_directories(dir / "out");
  const auto first = test::CopyStandardSample("pal_type1.avi", dir.path());
  samples::DvClipSpec long_spec;
  long_spec.file_name = "long.avi";
  long_spec.dv_type = 1;
  long_spec.frames = 500;
  long_spec.distinct_pictures = 2;
  samples::WriteDvClip(dir / "long.avi", long_spec);
  const auto third = test::CopyStandardSample("two_scenes.avi", dir.path());
  const std::vector<std::filesystem::path> files{first, dir / "long.avi", third};

  std::vector<std::string> outputs;
  for (std::size_t i = 0; i < files.size(); ++i) {
    f.host.onEvents = [&] {
      if (i == 1) f.flags.AbortCommand = true;
    };
    auto services = f.Services();
    std::string newfichier;
    EXPECT_EQ(DVType2Execution(Entry(files[i], 1, media::TvSystem::kPal), newfichier, services), utAdd);
    outputs.push_back(newfichier);
    f.flags.AbortCommand = false;  // the runner clears it after each file
  }
  EXPECT_EQ(outputs[1], (dir / "out" / "long_type2.avi").string());
  EXPECT_EQ(graphs::DvSource(outputs[0]).FrameCount(), 50u);
  // Stopped at once: a valid AVI holding the frames done so far, perhaps none.
  const media::BinaryFile cut_file(outputs[1], media::BinaryFile::Mode::kRead);
  const media::TFriendlyAviParam cut(cut_file);
  ASSERT_TRUE(cut.valid);
  EXPECT_LT(media::AviFrameIndex::Load(cut_file, cut).FramesOf(0).size(), 500u);
  EXPECT_EQ(graphs::DvSource(outputs[2]).FrameCount(), 75u);
}

TEST(ConversionExecution, NothingFromNothing) {
  TempDir dir;
  Fixture f;
  f.preferences.saveInSameFolder = true;
  test::WriteWholeFile(dir / "junk.avi", std::vector<std::uint8_t>(500, 1));
  samples::WriteMjpegClip(dir / "mjpeg.avi", 10);
  samples::DvClipSpec empty;
  empty.frames = 0;
  samples::WriteDvClip(dir / "empty.avi", empty);
  auto services = f.Services();
  std::string newfichier;
  for (const char* name : {"junk.avi", "mjpeg.avi", "empty.avi"}) {
    const auto entry = Entry(dir / name, 1, media::TvSystem::kPal);
    EXPECT_THROW(DVType2Execution(entry, newfichier, services), CommandSkipped) << name;
    EXPECT_THROW(NtscExecution(entry, newfichier, services), CommandSkipped) << name;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3) << "no output, no temporary";
}

// The first look at the job cuts the source to 40%: the frames after that
// are gone, which is an error, and the earlier output stays as it was.
TEST(ConversionExecution, ASourceCutShortMidRunFailsAndKeepsTheEarlierOutput) {
  TempDir dir;
  Fixture f;
  f.preferences.saveInSameFolder = true;
  samples::DvClipSpec spec;
  spec.dv_type = 1;
  spec.frames = 500;
  spec.distinct_pictures = 2;
  samples::WriteDvClip(dir / "long.avi", spec);
  const std::vector<std::uint8_t> earlier(1000, 7);
  test::WriteWholeFile(dir / "long_type2.avi", earlier);
  const auto size = std::filesystem::file_size(dir / "long.avi");
  f.host.onEvents = [&] {
    if (std::filesystem::file_size(dir / "long.avi") == size)
      std::filesystem::resize_file(dir / "long.avi", size * 2 / 5);
  };
  auto services = f.Services();
  std::string newfichier;
  try {
    DVType2Execution(Entry(dir / "long.avi", 1, media::TvSystem::kPal), newfichier, services);
    ADD_FAILURE() << "a source cut short is converted";
  } catch (const media::FileError& error) {
    EXPECT_NE(std::string(error.what()).find("shorter"), std::string::npos) << error.what();
  }
  EXPECT_EQ(test::ReadWholeFile(dir / "long_type2.avi"), earlier);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "no temporary left";
}

// Damaged frames are replaced by the one before, and the user is told how
// many were.
TEST(ConversionExecution, DamagedFramesAreReplacedAndCounted) {
  TempDir dir;
  Fixture f;
  f.preferences.saveInSameFolder = true;
  const auto source = test::CopyStandardSample("pal_type1.avi", dir.path());
  {
    media::BinaryFile file(source, media::BinaryFile::Mode::kReadWrite);
    const media::TAviParam param(file);
    const media::AviFrameIndex index = media::AviFrameIndex::Load(file, param);
    for (const std::size_t k : {10, 30})
      file.WriteAt(index.FramesOf(0)[k].offset, std::vector<std::uint8_t>(80, 0));
  }
  auto services = f.Services();
  std::string newfichier;
  ASSERT_EQ(DVType2Execution(Entry(source, 1, media::TvSystem::kPal), newfichier, services), utAdd);
  EXPECT_EQ(graphs::DvSource(newfichier).FrameCount(), 50u);
  ASSERT_EQ(f.host.questions.size(), 1u);
  EXPECT_EQ(f.host.questions[0].kind, MessageKind::kWarning);
  EXPECT_NE(f.host.questions[0].text.find(": 2 damaged frames"), std::string::npos) << f.host.questions[0].text;
}

TEST(ConversionExecution, NtscOfAPalType1FileGivesAType1NtscFile) {
  TempDir dir;
  Fixture f;
  f.preferences.saveInSameFolder = true;
  f.availability.dixmarkFound = true;
  const auto source = test::CopyStandardSample("pal_type1.avi", dir.path());
  auto services = f.Services();
  std::string newfichier;
  ASSERT_EQ(NtscExecution(Entry(source, 1, media::TvSystem::kPal), newfichier, services), utAdd);
  EXPECT_EQ(newfichier, (dir / "pal_type1_ntsc.avi").string());
  const graphs::DvSource converted(newfichier);
  EXPECT_TRUE(converted.Interleaved());
  EXPECT_EQ(converted.System(), media::DvSystem::k525_60);
}

}  // namespace
}  // namespace korvid::commands
