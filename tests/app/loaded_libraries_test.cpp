// Which shared libraries each kind of start maps, as the dynamic loader
// reports them (LD_DEBUG=libs, followed across the hand-over to another
// program): the reports go without the window's libraries and FFmpeg, the
// hidden runs without the window's.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sample_set.h"
#include "support/test_env.h"

namespace korvid {
namespace {

const std::string kKorvid = KORVID_BINARY_DIR "/src/korvid";

// The loader's messages of one start, standard output and error joined.
std::string LoaderLog(const test::TempDir& home, const std::vector<std::string>& parameters) {
  std::vector<std::string> argv{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "LD_DEBUG=libs",
                                "HOME=" + home.path().string(), "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                "XDG_DATA_HOME=" + (home / "data").string(), "sh", "-c", "exec \"$0\" \"$@\" 2>&1",
                                kKorvid};
  argv.insert(argv.end(), parameters.begin(), parameters.end());
  return test::RunCommand(argv).output;
}

// The loader names each library it opens by its whole path.
bool Loads(const std::string& log, const std::string& library) {
  return log.find("/" + library) != std::string::npos;
}

const char* const kWindowLibraries[] = {"libQt6Widgets.so", "libQt6Multimedia.so"};
const char* const kDrawingAndFfmpeg[] = {"libQt6Gui.so", "libavcodec.so", "libavformat.so", "libavfilter.so",
                                         "libswscale.so", "libswresample.so"};

TEST(LoadedLibraries, ReportsLoadNeitherTheWindowNorFfmpeg) {
  const test::TempDir home;
  const std::string clip = test::StandardSample("pal_type2.avi").string();
  const std::vector<std::vector<std::string>> reports{{"--version"},        {"--help"},        {"--info", clip},
                                                      {"--info", "--json", clip}, {"--datecode", clip}, {"--riff", clip},
                                                      {"--frames", clip},   {"--clean", home.path().string()}};
  for (const std::vector<std::string>& report : reports) {
    SCOPED_TRACE(report.front());
    const std::string log = LoaderLog(home, report);
    // The loader does report: the program's own C++ library is there.
    ASSERT_TRUE(Loads(log, "libstdc++.so")) << log;
    for (const char* library : kWindowLibraries) EXPECT_FALSE(Loads(log, library)) << library;
    for (const char* library : kDrawingAndFfmpeg) EXPECT_FALSE(Loads(log, library)) << library;
  }
}

TEST(LoadedLibraries, HiddenRunsLoadNoWindowLibraries) {
  const test::TempDir home;
  test::TempDir work;
  const std::string clip = test::CopyStandardSample("pal_type2.avi", work.path()).string();
  for (const std::vector<std::string>& run : {std::vector<std::string>{"+h", "+q", clip},
                                              std::vector<std::string>{"+1", clip}}) {
    SCOPED_TRACE(run.front());
    const std::string log = LoaderLog(home, run);
    ASSERT_TRUE(Loads(log, "libQt6Core.so")) << log;
    for (const char* library : kWindowLibraries) EXPECT_FALSE(Loads(log, library)) << library;
  }
}

}  // namespace
}  // namespace korvid
