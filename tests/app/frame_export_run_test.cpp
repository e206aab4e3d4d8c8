// The two frame exports of the built program in a hidden run, read back by
// ffprobe and against the generated clips' known recording times; and the
// frame log on standard output.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "start,duration" in seconds of each run of frames recorded in the same
// second, as ffprobe prints a subtitle file's packets.
std::vector<std::string> ExpectedCues(const samples::DvClipSpec& spec) {
  std::vector<std::string> cues;
  int first = -1;
  for (int k = 0; k <= spec.frames; ++k) {
    const media::TDatecode dc = k < spec.frames ? samples::DatecodeOfFrame(spec, k) : media::TDatecode{};
    if (first >= 0 && !(dc == samples::DatecodeOfFrame(spec, first))) {
      char text[64];
      std::snprintf(text, sizeof text, "%.6f,%.6f", first / 25.0, (k - first) / 25.0);
      cues.push_back(text);
      first = -1;
    }
    if (first < 0 && media::HasDatecode(dc)) first = k;
  }
  return cues;
}

class FrameExportRunTest : public ::testing::Test {
 protected:
  test::CommandResult Korvid(const std::vector<std::string>& parameters) {
    std::vector<std::string> argv{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                  "HOME=" + home_.path().string(),
                                  "XDG_CONFIG_HOME=" + (home_ / ".config").string(), kKorvid};
    argv.insert(argv.end(), parameters.begin(), parameters.end());
    return test::RunCommand(argv);
  }

  test::TempDir home_;
  test::TempDir work_;
};

TEST_F(FrameExportRunTest, HiddenRunWritesSubtitlesAndFrameLogBesideEachClip) {
  KORVID_REQUIRE_PROGRAM("ffprobe");
  std::vector<samples::DvClipSpec> specs;
  std::vector<std::string> arguments{"+h", "+y", "+f"};
  for (const samples::DvClipSpec& spec : samples::StandardDvClips()) {
    if (spec.file_name != "two_scenes.avi" && spec.file_name != "undated_stretch.avi") continue;
    specs.push_back(spec);
    arguments.push_back(test::CopyStandardSample(spec.file_name, work_.path()).string());
  }
  ASSERT_EQ(specs.size(), 2u);
  ASSERT_EQ(Korvid(arguments).exit_code, 0);

  for (const samples::DvClipSpec& spec : specs) {
    SCOPED_TRACE(spec.file_name);
    const std::string stem = fs::path(spec.file_name).stem().string();
    const fs::path srt = work_ / (stem + ".srt");
    ASSERT_TRUE(fs::exists(srt));
    EXPECT_EQ(test::RunCommand({"ffprobe", "-v", "error", srt.string()}).exit_code, 0);
    const test::CommandResult packets = test::RunCommand(
        {"ffprobe", "-v", "error", "-show_entries", "packet=pts_time,duration_time", "-of", "csv=p=0", srt.string()});
    EXPECT_EQ(Lines(packets.output), ExpectedCues(spec));

    std::ifstream csv(work_ / (stem + "_frames.csv"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(csv)), std::istreambuf_iterator<char>());
    EXPECT_EQ(Lines(text).size(), static_cast<std::size_t>(spec.frames) + 1);
  }

  const test::CommandResult json = Korvid({"--frames", "--json", (work_ / "two_scenes.avi").string()});
  EXPECT_EQ(json.exit_code, 0);
  EXPECT_EQ(Lines(json.output).size(), 75u);
  EXPECT_EQ(Korvid({"--frames", (work_ / "missing.avi").string()}).exit_code, 1);
}

}  // namespace
}  // namespace korvid
