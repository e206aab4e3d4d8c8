// The zone the datecodes were recorded in, through the built program:
// --time-zone before a report or a run, the preference "Fuseau horaire"
// when none is given, in --info --json, --frames --json, the MP4's dates
// and the file-date command, checked against `date -d`.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/preferences_store.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

// What `date` makes of a local time in a zone: seconds, or UTC text.
std::string DateOf(const std::string& zone, const std::string& local, const std::string& format) {
  const test::CommandResult result =
      test::RunCommand({"date", "-u", "-d", "TZ=\"" + zone + "\" " + local, "+" + format});
  EXPECT_EQ(result.exit_code, 0);
  std::string text = result.output;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

class RecordingTimeTest : public ::testing::Test {
 protected:
  test::CommandResult Korvid(std::vector<std::string> args) {
    std::vector<std::string> argv{"env",       "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "TZ=Europe/London", "LC_ALL=C",
                                  "HOME=" + home_.path().string(), "XDG_CONFIG_HOME=" + (home_ / ".config").string(),
                                  kKorvid};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::RunCommand(argv);
  }
  QJsonObject InfoOf(const std::vector<std::string>& zone) {
    std::vector<std::string> args = zone;
    args.insert(args.end(), {"--info", "--json", clip_.string()});
    const test::CommandResult run = Korvid(args);
    EXPECT_EQ(run.exit_code, 0);
    return QJsonDocument::fromJson(QByteArray::fromStdString(run.output)).array()[0].toObject();
  }
  test::TempDir home_;
  test::TempDir work_;
  fs::path clip_ = test::CopyStandardSample("pal_type2.avi", work_.path());
};

TEST_F(RecordingTimeTest, TheZoneGivenOrPreferredMakesTheUtcTimes) {
  const std::string local = "2005-08-14 15:02:11";
  const QJsonObject tokyo = InfoOf({"--time-zone", "Asia/Tokyo"});
  EXPECT_EQ(tokyo["recordedUtc"].toString().toStdString(), DateOf("Asia/Tokyo", local, "%Y-%m-%dT%H:%M:%SZ"));
  EXPECT_EQ(tokyo["timeZone"].toString(), "Asia/Tokyo");
  EXPECT_TRUE(tokyo["datecodeSuspect"].isNull());
  EXPECT_TRUE(tokyo["recordedUtcNote"].isNull());
  // Without the option: the system's zone (TZ), then the stored preference.
  EXPECT_EQ(InfoOf({})["recordedUtc"].toString().toStdString(), DateOf("Europe/London", local, "%Y-%m-%dT%H:%M:%SZ"));
  const settings::StoreLocation store{home_ / ".config"};
  settings::Preferences preferences = settings::LoadPreferences(store, {});
  preferences.timeZone = "America/New_York";
  settings::SavePreferences(store, preferences, settings::CurrentSaveStamp("1.0"));
  EXPECT_EQ(InfoOf({})["recordedUtc"].toString().toStdString(),
            DateOf("America/New_York", local, "%Y-%m-%dT%H:%M:%SZ"));

  const test::CommandResult frames = Korvid({"--time-zone", "Asia/Tokyo", "--frames", "--json", clip_.string()});
  ASSERT_EQ(frames.exit_code, 0);
  const QJsonObject first =
      QJsonDocument::fromJson(QByteArray::fromStdString(frames.output.substr(0, frames.output.find('\n')))).object();
  EXPECT_EQ(first["recordedUtc"], tokyo["recordedUtc"]);
  EXPECT_EQ(first["recorded"].toString(), "2005-08-14T15:02:11");

  const test::CommandResult wrong = Korvid({"--time-zone", "Atlantis/Capital", "--info", clip_.string()});
  EXPECT_EQ(wrong.exit_code, 2);
  EXPECT_TRUE(wrong.output.empty());
}

TEST_F(RecordingTimeTest, TheMp4AndTheFileDateTakeTheZone) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  const std::string local = "2005-08-14 15:02:11";
  ASSERT_EQ(Korvid({"--time-zone", "America/New_York", "+h", "+4", clip_.string()}).exit_code, 0);
  const test::CommandResult probe = test::RunCommand(
      {"ffprobe", "-v", "error", "-of", "json", "-show_format", (work_ / "pal_type2.mp4").string()});
  const QJsonObject tags = QJsonDocument::fromJson(QByteArray::fromStdString(probe.output))
                               .object()["format"]
                               .toObject()["tags"]
                               .toObject();
  EXPECT_EQ(tags["creation_time"].toString().toStdString(),
            DateOf("America/New_York", local, "%Y-%m-%dT%H:%M:%S.000000Z"));
  EXPECT_EQ(tags["date"].toString(), "2005-08-14T15:02:11-04:00");

  ASSERT_EQ(Korvid({"--time-zone", "Asia/Tokyo", "+h", "+b", clip_.string()}).exit_code, 0);
  struct stat status {};
  ASSERT_EQ(::stat(clip_.c_str(), &status), 0);
  EXPECT_EQ(std::to_string(status.st_mtim.tv_sec), DateOf("Asia/Tokyo", local, "%s"));
}

}  // namespace
}  // namespace korvid
