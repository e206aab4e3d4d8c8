// The report options through the built program, on generated clips.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

// Runs korvid with standard error joined to the output; leading NAME=VALUE
// parameters go to its environment.
test::CommandResult KorvidWithErrors(const std::vector<std::string>& parameters) {
  std::vector<std::string> argv{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"};
  auto first = parameters.begin();
  for (; first != parameters.end() && first->find('=') != std::string::npos && first->front() != '-'; ++first)
    argv.push_back(*first);
  argv.insert(argv.end(), {"sh", "-c", "exec \"$0\" \"$@\" 2>&1", kKorvid});
  argv.insert(argv.end(), first, parameters.end());
  return test::RunCommand(argv);
}

TEST(ReportOptions, DatecodeLinesNameEachFileAndAnUnreadableOneFails) {
  const auto dated = test::StandardSample("pal_type1.avi").string();
  const auto undated = test::StandardSample("no_datecode.avi").string();
  const auto result = KorvidWithErrors({"--datecode", dated, undated, "/nonexistent/x.avi"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.output.find(dated + "\tdatecode 2005-08-14 15:02:11\ttimecode 01.02.03.04\n"), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find(undated + "\tdatecode N/A\ttimecode N/A\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("korvid: /nonexistent/x.avi: no such file or folder\n"), std::string::npos)
      << result.output;
}

// Whichever option or switch meets it, a missing file gets the same line
// on standard error, once, and makes the status 1.
TEST(ReportOptions, AMissingFileGetsOneLineEverywhere) {
  const test::TempDir home;
  const std::vector<std::string> clean{"HOME=" + home.path().string(), "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                       "XDG_DATA_HOME=" + (home / "data").string()};
  const std::string missing = "/nonexistent/x.avi";
  const std::string line = "korvid: " + missing + ": no such file or folder\n";
  const std::vector<std::vector<std::string>> runs{
      {"--datecode", missing}, {"--riff", missing}, {"--info", missing}, {"--frames", missing}, {"+h", missing}};
  for (const std::vector<std::string>& run : runs) {
    SCOPED_TRACE(run.front());
    std::vector<std::string> parameters = clean;
    parameters.insert(parameters.end(), run.begin(), run.end());
    const test::CommandResult joined = KorvidWithErrors(parameters);
    EXPECT_EQ(joined.exit_code, 1);
    const std::size_t at = joined.output.find(line);
    EXPECT_NE(at, std::string::npos) << joined.output;
    EXPECT_EQ(joined.output.find(missing, at + line.size()), std::string::npos) << joined.output;
    std::vector<std::string> plain{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"};
    plain.insert(plain.end(), clean.begin(), clean.end());
    plain.push_back(kKorvid);
    plain.insert(plain.end(), run.begin(), run.end());
    EXPECT_EQ(test::RunCommand(plain).output.find(missing), std::string::npos);
  }
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
