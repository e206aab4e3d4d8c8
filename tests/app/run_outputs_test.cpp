// What one run of the built program writes: no output of the run replaces
// another, every line names the file made or replaced, videos differing
// only in the case of their extension keep scene files of their own, and
// --clean removes only the temporaries of Korvid's own naming.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sample_clip.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

class RunOutputsTest : public ::testing::Test {
 protected:
  test::CommandResult Korvid(const std::vector<std::string>& parameters) {
    std::vector<std::string> argv{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                  "HOME=" + home_.path().string(),
                                  "XDG_CONFIG_HOME=" + (home_ / ".config").string(), kKorvid};
    argv.insert(argv.end(), parameters.begin(), parameters.end());
    return test::RunCommand(argv);
  }

  // Outputs go to `folder` instead of beside their source.
  void SetOutputFolder(const fs::path& folder) {
    fs::create_directories(home_ / ".config/Marovec");
    std::ofstream(home_ / ".config/Marovec/Korvid.conf")
        << "[General]\nSauver%20dans%20le%20m%EAme%20dossier=0\nDossier%20pour%20Sauver=" << folder.string()
        << "/\n";
  }

  static fs::path Clip(const fs::path& path, int frames, int jump_frame = -1) {
    samples::DvClipSpec spec;
    spec.dv_type = 1;
    spec.frames = frames;
    spec.jump_frame = jump_frame;
    spec.jump_hours = 2;
    fs::create_directories(path.parent_path());
    samples::WriteDvClip(path, spec);
    return path;
  }

  // The line of `output` that begins with `start`.
  static std::string LineOf(const std::string& output, const std::string& start) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
      if (line.rfind(start, 0) == 0) return line;
    return {};
  }

  test::TempDir home_;
  test::TempDir work_;
};

TEST_F(RunOutputsTest, TwoSourcesOfOneNameMakeTwoOutputsAndEachLineNamesItsOwn) {
  const fs::path a = Clip(work_ / "a/clip.avi", 50);
  const fs::path b = Clip(work_ / "b/clip.avi", 75);
  const fs::path out = work_ / "out";
  fs::create_directories(out);
  SetOutputFolder(out);

  const test::CommandResult run = Korvid({"+h", "+2", "+w", a.string(), b.string()});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  for (const char* name : {"clip_type2.avi", "clip_type2(1).avi", "clip.wav", "clip(1).wav"})
    EXPECT_TRUE(fs::exists(out / name)) << name << "\n" << run.output;
  // The longer source's line names the larger output: nothing was replaced.
  for (const char* switchCaption : {"Convert to DV type 2: ", "Extract audio to WAV: "}) {
    const std::string lineA = LineOf(run.output, switchCaption + a.string() + ": made ");
    const std::string lineB = LineOf(run.output, switchCaption + b.string() + ": made ");
    ASSERT_FALSE(lineA.empty() || lineB.empty()) << run.output;
    const fs::path madeA = lineA.substr(lineA.find(": made ") + 7);
    const fs::path madeB = lineB.substr(lineB.find(": made ") + 7);
    EXPECT_NE(madeA, madeB);
    EXPECT_LT(fs::file_size(madeA), fs::file_size(madeB)) << run.output;
  }

  const test::CommandResult again = Korvid({"+h", "+2", a.string()});
  EXPECT_EQ(again.output, "Convert to DV type 2: " + a.string() + ": replaced " + (out / "clip_type2.avi").string() +
                              "\n");
}

TEST_F(RunOutputsTest, VideosDifferingInTheCaseOfTheirExtensionKeepTheirOwnSceneFiles) {
  const fs::path lower = Clip(work_ / "clip.avi", 50);
  const fs::path upper = Clip(work_ / "clip.AVI", 60, 30);
  const test::CommandResult scanned = Korvid({"+h", "+s", "+x", lower.string(), upper.string()});
  EXPECT_EQ(scanned.exit_code, 0) << scanned.output;
  for (const char* name : {"clip.avi.scn", "clip.AVI.scn", "clip.avi_scn.txt", "clip.AVI_scn.txt"})
    EXPECT_TRUE(fs::exists(work_ / name)) << name << "\n" << scanned.output;
  EXPECT_FALSE(fs::exists(work_ / "clip.scn"));
  const std::vector<std::uint8_t> lowerScenes = test::ReadWholeFile(work_ / "clip.avi.scn");
  EXPECT_NE(lowerScenes, test::ReadWholeFile(work_ / "clip.AVI.scn"));

  // Renaming and deleting the scene file of one leave the other's alone.
  const test::CommandResult renamed = Korvid({"+h", "+r", upper.string()});
  const std::string line = LineOf(renamed.output, "Rename");
  ASSERT_NE(line.find(": renamed to "), std::string::npos) << renamed.output;
  const fs::path moved = line.substr(line.find(": renamed to ") + 13);
  EXPECT_TRUE(fs::exists(fs::path(moved).replace_extension(".scn")));
  EXPECT_EQ(test::ReadWholeFile(work_ / "clip.avi.scn"), lowerScenes);
  Korvid({"+h", "+s", upper.string()});
  Korvid({"+h", "+z", moved.string()});
  EXPECT_FALSE(fs::exists(fs::path(moved).replace_extension(".scn")));
  EXPECT_EQ(test::ReadWholeFile(work_ / "clip.avi.scn"), lowerScenes);
}

TEST_F(RunOutputsTest, CleanListsAndRemovesOnlyKorvidsTemporaries) {
  const fs::path deep = work_ / "tape/day1";
  fs::create_directories(deep);
  const fs::path left = deep / ".clip_type2.avi.korvid-0123456789abcdef";
  test::WriteWholeFile(left, std::vector<std::uint8_t>(1234, 0));
  const std::vector<std::string> kept{".clip.avi.korvid-0123", "clip.korvid-0123456789abcdef", ".notes.txt"};
  for (const std::string& name : kept) test::WriteWholeFile(deep / name, {1});

  const test::CommandResult listed = Korvid({"--clean", (work_ / "tape").string()});
  EXPECT_EQ(listed.exit_code, 0);
  EXPECT_EQ(LineOf(listed.output, "1234\t"), "1234\t" + left.string()) << listed.output;
  EXPECT_TRUE(fs::exists(left)) << "listing removes nothing";

  const test::CommandResult removed = Korvid({"--clean", "--yes", (work_ / "tape").string()});
  EXPECT_EQ(removed.exit_code, 0);
  EXPECT_FALSE(fs::exists(left));
  for (const std::string& name : kept) EXPECT_TRUE(fs::exists(deep / name)) << name;
  EXPECT_EQ(Korvid({"--clean", (work_ / "missing").string()}).exit_code, 1);
}

}  // namespace
}  // namespace korvid
