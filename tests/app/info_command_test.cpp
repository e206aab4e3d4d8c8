// korvid --info: the table and the JSON form, in process and through the
// built program, checked against mediainfo on the generated clips.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "list/info_report.h"
#include "sample_clip.h"
#include "support/list_samples.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

QJsonArray ParseArray(const std::string& text) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << text;
  EXPECT_TRUE(document.isArray());
  return document.array();
}

// The fields of mediainfo's General and Video tracks, side by side.
struct MediaInfoFacts {
  QJsonObject general;
  QJsonObject video;
};

MediaInfoFacts MediaInfoOf(const fs::path& file) {
  const test::CommandResult result = test::RunCommand({"mediainfo", "--Output=JSON", file.string()});
  EXPECT_EQ(result.exit_code, 0);
  const QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(result.output)).object();
  MediaInfoFacts facts;
  for (const QJsonValue track : root["media"].toObject()["track"].toArray()) {
    const QJsonObject object = track.toObject();
    if (object["@type"].toString() == "General") facts.general = object;
    if (object["@type"].toString() == "Video" && facts.video.isEmpty()) facts.video = object;
  }
  return facts;
}

class InfoCommandTest : public ::testing::Test {
 protected:
  std::vector<fs::path> Samples(const std::vector<std::string>& names) {
    std::vector<fs::path> paths;
    for (const std::string& name : names) paths.push_back(test::PlaceSample(name, dir_ / name));
    return paths;
  }
  test::TempDir dir_;
};

TEST_F(InfoCommandTest, TableHasOneAlignedLinePerFileAndMissingPathsFail) {
  Samples({"pal_type1.avi", "ntsc_type2.avi", "pal_32k_12bit.avi", "audio_only.avi"});
  test::PlaceSample("pal_wide.avi", dir_ / "sub/caf\xC3\xA9.avi");
  fs::create_directory_symlink(dir_.path(), dir_ / "sub/loop");
  test::PlaceNotAvi(dir_ / "notes.txt");
  std::ostringstream out, err;
  const int status = list::RunInfoCommand({dir_.path().string(), (dir_ / "nothing.avi").string()},
                                          test::PlainDatecodeFormat(), out, err);
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.str().find("nothing.avi: no such file or folder"), std::string::npos);

  std::vector<std::string> lines;
  std::istringstream text(out.str());
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 6u) << out.str();
  EXPECT_EQ(lines[0].rfind("Name", 0), 0u);
  const std::size_t datecode_column = lines[0].find("Datecode");
  // Rows sorted by path: audio_only, ntsc_type2, pal_32k_12bit, pal_type1, sub/café.
  EXPECT_EQ(lines[2].find("2003-12-31 23:59:58"), datecode_column);
  EXPECT_NE(lines[2].find("dvsd type 2"), std::string::npos);
  EXPECT_NE(lines[2].find("720 x 480 (NTSC 4x3)"), std::string::npos);
  EXPECT_NE(lines[2].find("29.97"), std::string::npos);
  EXPECT_NE(lines[3].find("32000Hz 12(16) bits  stereo"), std::string::npos);
  EXPECT_NE(lines[4].find("2005-08-14 15:02:11"), std::string::npos);
  EXPECT_NE(lines[4].find("01.02.03.04"), std::string::npos);
  EXPECT_NE(lines[5].find("(Pal 16x9)"), std::string::npos);
  // Character columns, not byte columns, under an accented name.
  const auto column_of = [](const std::string& line, std::size_t bytes) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < bytes; ++i)
      if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++characters;
    return characters;
  };
  EXPECT_EQ(column_of(lines[5], lines[5].find("2010-")), datecode_column);
}

TEST_F(InfoCommandTest, UsageErrorsNeedAPath) {
  std::ostringstream out, err;
  EXPECT_EQ(list::RunInfoCommand({"--json"}, test::PlainDatecodeFormat(), out, err), 2);
  EXPECT_FALSE(err.str().empty());
}

TEST_F(InfoCommandTest, JsonCarriesEveryFieldUnderItsOwnName) {
  const auto files = Samples({"pal_type1.avi", "no_datecode.avi", "mjpeg_not_dv.avi"});
  test::PlaceNotAvi(dir_ / "broken.avi");
  std::ostringstream out, err;
  ASSERT_EQ(list::RunInfoCommand({"--json", dir_.path().string()}, test::PlainDatecodeFormat(), out, err), 0);
  const QJsonArray array = ParseArray(out.str());
  ASSERT_EQ(array.size(), 4);
  const QJsonObject broken = array[0].toObject();
  EXPECT_EQ(broken["datecodeText"].toString(), "Error");
  EXPECT_EQ(broken["datecodeKey"].toString(), QString(QChar(0xFF)));
  const QJsonObject undated = array[2].toObject();
  EXPECT_EQ(undated["datecodeText"].toString(), "N/A");
  EXPECT_TRUE(undated["datecode"].isNull());
  EXPECT_EQ(undated["datecodeKey"].toString(), QString(QChar(0xFA)));
  const QJsonObject pal = array[3].toObject();
  for (const char* field :
       {"name", "fullName", "nameKey", "exists", "sizeHigh", "sizeLow", "created", "modified", "accessed",
        "attributes", "sizeKey", "dateKey", "datecodeKey", "datecodeText", "datecode", "timecodeText", "codec",
        "dvType", "imageText", "width", "height", "durationText", "fps", "audioText", "audioDurationText",
        "dvVideoSource", "videoBitRate", "audioFormatText", "tvSystem", "hasSceneFile", "isDV", "wideScreen",
        "sampleRate", "bitsPerSample", "channelsText", "datecodeNameKey"})
    EXPECT_TRUE(pal.contains(field)) << field;
  EXPECT_EQ(pal["fullName"].toString().toStdString(), files[0].string());
  EXPECT_EQ(pal["datecode"].toString(), "2005-08-14T15:02:11");
  EXPECT_EQ(pal["dvType"].toInt(), 1);
  EXPECT_EQ(pal["height"].toInt(), 540);
  EXPECT_EQ(pal["tvSystem"].toInt(), 1);
  EXPECT_EQ(pal["audioText"].toString(), "48000Hz 16 bits  stereo");
  EXPECT_TRUE(pal["datecodeNameKey"].toString().startsWith("20050814150211pal_type1.avi"));
}

// The drift of unlocked sound is the sound the frames count against the
// picture's time; locked sound has none, a file without DV sound no value.
TEST_F(InfoCommandTest, JsonTellsHowFarUnlockedSoundDrifts) {
  samples::DvClipSpec spec;
  spec.system = media::DvSystem::k525_60;
  spec.frames = 90;
  spec.unlocked_counts = {1603, 1599, 1608, 1602};
  samples::WriteDvClip(dir_ / "unlocked.avi", spec);
  Samples({"pal_type1.avi", "mjpeg_not_dv.avi"});
  double samples_written = 0;
  for (int k = 0; k < spec.frames; ++k) samples_written += static_cast<double>(spec.unlocked_counts[static_cast<std::size_t>(k) % 4]);
  const double drift = (samples_written / 48000.0 - spec.frames * 1001.0 / 30000.0) * 1000.0;

  std::ostringstream out, err;
  ASSERT_EQ(list::RunInfoCommand({"--json", dir_.path().string()}, test::PlainDatecodeFormat(), out, err), 0);
  const QJsonArray array = ParseArray(out.str());
  ASSERT_EQ(array.size(), 3);  // mjpeg_not_dv, pal_type1, unlocked
  EXPECT_TRUE(array[0].toObject()["audioLocked"].isNull());
  EXPECT_TRUE(array[0].toObject()["audioDriftMs"].isNull());
  EXPECT_TRUE(array[1].toObject()["audioLocked"].toBool());
  EXPECT_EQ(array[1].toObject()["audioDriftMs"].toDouble(), 0.0);
  EXPECT_FALSE(array[2].toObject()["audioLocked"].toBool(true));
  EXPECT_NEAR(array[2].toObject()["audioDriftMs"].toDouble(), drift, 0.0005);
  EXPECT_GT(drift, 1.0);
}

TEST_F(InfoCommandTest, TheProgramAgreesWithMediaInfo) {
  KORVID_REQUIRE_PROGRAM("mediainfo");
  ASSERT_TRUE(fs::exists(kKorvid)) << kKorvid;
  const auto files = Samples({"pal_type1.avi", "pal_type2.avi", "ntsc_type2.avi", "pal_wide.avi",
                              "pal_32k_12bit.avi", "two_scenes.avi", "no_datecode.avi"});
  std::vector<std::string> argv{"env", "XDG_CONFIG_HOME=" + (dir_ / "config").string(), "LC_ALL=C", kKorvid,
                                "--info", "--json"};
  for (const auto& file : files) argv.push_back(file.string());
  const test::CommandResult result = test::RunCommand(argv);
  ASSERT_EQ(result.exit_code, 0);
  const QJsonArray array = ParseArray(result.output);
  ASSERT_EQ(array.size(), static_cast<qsizetype>(files.size()));

  for (qsizetype i = 0; i < array.size(); ++i) {
    SCOPED_TRACE(files[static_cast<std::size_t>(i)].string());
    const QJsonObject record = array[i].toObject();
    const MediaInfoFacts facts = MediaInfoOf(files[static_cast<std::size_t>(i)]);
    EXPECT_EQ(record["size"].toInteger(), facts.general["FileSize"].toString().toLongLong());
    EXPECT_NEAR(record["fps"].toDouble(), facts.video["FrameRate"].toString().toDouble(), 0.005);
    EXPECT_EQ(record["frames"].toInteger(), facts.video["FrameCount"].toString().toLongLong());
    // mediainfo gives milliseconds; the exact NTSC period must not drift from them.
    EXPECT_NEAR(record["durationSeconds"].toDouble(), facts.video["Duration"].toString().toDouble(), 0.0006);
    const QString image = record["imageText"].toString();
    EXPECT_TRUE(image.startsWith(facts.video["Width"].toString() + " x " + facts.video["Height"].toString()))
        << image.toStdString();
    QString timecode = facts.video["TimeCode_FirstFrame"].toString();
    timecode.replace(':', '.').replace(';', '.');
    EXPECT_EQ(record["timecodeText"].toString(), timecode.isEmpty() ? "N/A" : timecode);
    const QString recorded = facts.general["Recorded_Date"].toString().left(19).replace(' ', 'T');
    if (recorded.isEmpty())
      EXPECT_TRUE(record["datecode"].isNull());
    else
      EXPECT_EQ(record["datecode"].toString(), recorded);
  }
}

TEST_F(InfoCommandTest, TheProgramPrintsTheTableAndKeepsDatecodeWorking) {
  ASSERT_TRUE(fs::exists(kKorvid)) << kKorvid;
  const auto files = Samples({"pal_type1.avi"});
  const test::CommandResult table = test::RunCommand(
      {"env", "XDG_CONFIG_HOME=" + (dir_ / "config").string(), "LC_ALL=C", kKorvid, "--info", files[0].string()});
  EXPECT_EQ(table.exit_code, 0);
  // The default display format of datecodes, with the C locale's separators.
  EXPECT_NE(table.output.find("2005/08/14 03:02:11 pm"), std::string::npos) << table.output;
  EXPECT_NE(table.output.find("720 x 576 (Pal 4x3)"), std::string::npos);

  const test::CommandResult datecode = test::RunCommand({kKorvid, "--datecode", files[0].string()});
  EXPECT_EQ(datecode.exit_code, 0);
  EXPECT_NE(datecode.output.find("2005-08-14 15:02:11"), std::string::npos);

  EXPECT_NE(test::RunCommand({kKorvid, "--info", (dir_ / "absent").string()}).exit_code, 0);
}

}  // namespace
}  // namespace korvid
