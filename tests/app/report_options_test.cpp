// korvid --datecode and --riff through the built program, on generated clips.

#include <gtest/gtest.h>

#include <string>

#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

TEST(ReportOptions, DatecodeLinesNameEachFileAndAnUnreadableOneFails) {
  const auto dated = test::StandardSample("pal_type1.avi").string();
  const auto undated = test::StandardSample("no_datecode.avi").string();
  const auto result = test::RunCommand({kKorvid, "--datecode", dated, undated, "/nonexistent/x.avi"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.output.find(dated + "\tdatecode 2005-08-14 15:02:11\ttimecode 01.02.03.04\n"), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find(undated + "\tdatecode N/A\ttimecode N/A\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("/nonexistent/x.avi\tError"), std::string::npos) << result.output;
}

TEST(ReportOptions, RiffReportShowsTheStructureOfEachFile) {
  const auto clip = test::StandardSample("pal_type2.avi").string();
  const auto result = test::RunCommand({kKorvid, "--riff", clip});
  ASSERT_EQ(result.exit_code, 0);
  EXPECT_NE(result.output.find("Header of the file pal_type2.avi"), std::string::npos);
  EXPECT_NE(result.output.find("Start of AVI Main Header"), std::string::npos);
  EXPECT_NE(result.output.find("TotalFrames = 50"), std::string::npos) << result.output;

  EXPECT_EQ(test::RunCommand({kKorvid, "--riff", "/nonexistent/x.avi"}).exit_code, 1);
  EXPECT_EQ(test::RunCommand({kKorvid, "--riff"}).exit_code, 2);
}

// Stored files carry 5.3.6; the program must not call itself anything else.
TEST(ReportOptions, VersionAndReportAgreeOnTheStoredVersion) {
  EXPECT_EQ(test::RunCommand({kKorvid, "--version"}).output, "korvid 5.3.6\n");
  const auto report = test::RunCommand({kKorvid, "--riff", test::StandardSample("pal_type2.avi").string()});
  EXPECT_NE(report.output.find("with Korvid by Marovec version 5.3.6"), std::string::npos) << report.output;
}

}  // namespace
}  // namespace korvid
