// Outputs of the built program, run without a display: nothing is made
// from a source that holds nothing to work on, and an output name that
// leads back to the source never touches it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "sample_clip.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

class OutputsTest : public ::testing::Test {
 protected:
  void Korvid(const std::vector<std::string>& parameters) {
    std::vector<std::string> argv{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                  "HOME=" + home_.path().string(),
                                  "XDG_CONFIG_HOME=" + (home_ / ".config").string(), kKorvid};
    argv.insert(argv.end(), parameters.begin(), parameters.end());
    test::RunCommand(argv);
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(work_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir home_;
  test::TempDir work_;
};

TEST_F(OutputsTest, NothingFromNothing) {
  test::WriteWholeFile(work_ / "junk.avi", std::vector<std::uint8_t>(4000, 'x'));
  samples::DvClipSpec empty;
  empty.dv_type = 1;
  empty.frames = 0;
  samples::WriteDvClip(work_ / "empty.avi", empty);
  for (const char* command : {"+x", "+s", "+2", "+n", "+w", "+y", "+f", "+4"}) {
    Korvid({"+h", command, (work_ / "junk.avi").string()});
    Korvid({"+h", command, (work_ / "empty.avi").string()});
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"empty.avi", "junk.avi"}));
}

TEST_F(OutputsTest, AnOutputNameLeadingToTheSourceLeavesTheSourceAlone) {
  const fs::path source = test::CopyStandardSample("pal_type1.avi", work_.path());
  const std::vector<std::uint8_t> before = test::ReadWholeFile(source);
  fs::create_symlink(source, work_ / "pal_type1_type2.avi");
  fs::create_hard_link(source, work_ / "pal_type1.wav");
  Korvid({"+h", "+2", source.string()});
  Korvid({"+h", "+w", source.string()});
  EXPECT_EQ(test::ReadWholeFile(source), before);
  EXPECT_EQ(Names(), (std::vector<std::string>{"pal_type1.avi", "pal_type1.wav", "pal_type1_type2.avi"}))
      << "no temporary left";
}

}  // namespace
}  // namespace korvid
