#include "commands/conversion_commands.h"

#include <gtest/gtest.h>

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
  graphs::TCdm cdm;
  settings::Preferences preferences;
  graphs::FilterAvailability availability;
  test::ScriptedHost host;
  ProcessFlags flags;
  ConversionServices Services() { return {cdm, preferences, availability, host, flags}; }
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

TEST(ConversionExecution, FailuresAreSilentAndReencodingsReportNothing) {
  TempDir dir;
  Fixture f;
  f.preferences.saveInSameFolder = true;
  test::WriteWholeFile(dir / "junk.avi", std::vector<std::uint8_t>(500, 1));
  const auto junk = Entry(dir / "junk.avi", 1, media::TvSystem::kPal);
  auto services = f.Services();
  std::string newfichier;
  EXPECT_EQ(DVType2Execution(junk, newfichier, services), utAdd);
  EXPECT_EQ(newfichier, (dir / "junk_type2.avi").string());
  EXPECT_FALSE(std::filesystem::exists(newfichier));
  newfichier.clear();
  EXPECT_EQ(NtscExecution(junk, newfichier, services), utNone);
  EXPECT_TRUE(newfichier.empty());
  EXPECT_EQ(ConvertirDVExecution(junk, newfichier, services), utNone);
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
