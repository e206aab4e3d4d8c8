// The contact sheet of the built program: the option with its columns,
// wrong arguments and a missing file, and the switch in a hidden run.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <string>
#include <vector>

#include "support/gui_app.h"
#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

class ContactSheetRunTest : public ::testing::Test {
 protected:
  test::CommandResult Korvid(const std::vector<std::string>& parameters) {
    std::vector<std::string> argv{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                  "HOME=" + home_.path().string(),
                                  "XDG_CONFIG_HOME=" + (home_ / ".config").string(), kKorvid};
    argv.insert(argv.end(), parameters.begin(), parameters.end());
    return test::RunCommand(argv);
  }

  QSize SizeOf(const fs::path& png) { return QImage(QString::fromStdString(png.string())).size(); }

  test::TempDir home_;
  test::TempDir work_;
};

TEST_F(ContactSheetRunTest, TheOptionWritesEachSheetAndRefusesWrongArguments) {
  test::EnsureGuiApplication();
  const fs::path clip = test::CopyStandardSample("two_scenes.avi", work_.path());
  EXPECT_EQ(Korvid({"--contact-sheet"}).exit_code, 2);
  EXPECT_EQ(Korvid({"--contact-sheet", "--columns", "0", clip.string()}).exit_code, 2);
  EXPECT_EQ(Korvid({"--contact-sheet", "--columns", "3x", clip.string()}).exit_code, 2);
  EXPECT_FALSE(fs::exists(work_ / "two_scenes_sheet.png"));

  const test::CommandResult made = Korvid({"--contact-sheet", "--columns", "1", clip.string()});
  EXPECT_EQ(made.exit_code, 0);
  EXPECT_EQ(made.output, clip.string() + "\t" + (work_ / "two_scenes_sheet.png").string() + "\n");
  // One column: the two scenes one above the other.
  const QSize one = SizeOf(work_ / "two_scenes_sheet.png");
  EXPECT_GT(one.height(), 2 * 180);

  // A missing file fails alone; the other still gets its sheet.
  const test::CommandResult mixed =
      Korvid({"--contact-sheet", (work_ / "missing.avi").string(), clip.string()});
  EXPECT_EQ(mixed.exit_code, 1);
  const QSize five = SizeOf(work_ / "two_scenes_sheet.png");
  EXPECT_GE(five.width(), 5 * 240);
  EXPECT_GT(five.width(), one.width());
  EXPECT_LT(five.height(), one.height());
}

TEST_F(ContactSheetRunTest, TheSwitchMakesTheSheetInAHiddenRun) {
  test::EnsureGuiApplication();
  const fs::path clip = test::CopyStandardSample("undated_stretch.avi", work_.path());
  const test::CommandResult run = Korvid({"+hv", clip.string()});
  EXPECT_EQ(run.exit_code, 0) << run.output;
  EXPECT_FALSE(SizeOf(work_ / "undated_stretch_sheet.png").isEmpty());
  EXPECT_NE(run.output.find("undated_stretch_sheet.png"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace korvid
