// Which shared libraries each kind of start maps, as the dynamic loader
// reports them (LD_DEBUG=libs, followed across the hand-over to another
// program): the reports go without the window's libraries and FFmpeg, the
// hidden runs without the window's.

#include <gtest/gtest.h>

#include <filesystem>
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
                                                      {"--frames", clip},   {"--clean", home.path().string()},
                                                      {"--merge", "--plan", (home.path() / "m.avi").string(), clip, clip}};
  for (const std::vector<std::string>& report : reports) {
    SCOPED_TRACE(report.front());
    const std::string log = LoaderLog(home, report);
    // The loader does report: the program's own C++ library is there.
    ASSERT_TRUE(Loads(log, "libstdc++.so")) << log;
    for (const char* library : kWindowLibraries) EXPECT_FALSE(Loads(log, library)) << library;
    for (const char* library : kDrawingAndFfmpeg) EXPECT_FALSE(Loads(log, library)) << library;
  }
}

TEST(LoadedLibraries, HiddenRunsLoadFfmpegOnlyForACommandThatDecodes) {
  const test::TempDir home;
  // Reading, copying and rewriting names and headers need neither drawing nor FFmpeg.
  for (const std::string run : {"+q", "+1", "+s"}) {
    SCOPED_TRACE(run);
    test::TempDir work;
    const std::filesystem::path clip = test::CopyStandardSample("pal_type2.avi", work.path());
    const std::string log = LoaderLog(home, {"+h", run, "+f", clip.string()});
    ASSERT_TRUE(Loads(log, "libQt6Core.so")) << log;
    for (const char* library : kWindowLibraries) EXPECT_FALSE(Loads(log, library)) << library;
    for (const char* library : kDrawingAndFfmpeg) EXPECT_FALSE(Loads(log, library)) << library;
  }
  // The sound extraction opens the module, which brings FFmpeg, and works.
  test::TempDir work;
  const std::filesystem::path clip = test::CopyStandardSample("pal_type2.avi", work.path());
  const std::string log = LoaderLog(home, {"+h", "+w", clip.string()});
  EXPECT_TRUE(Loads(log, "korvid-codecs.so")) << log;
  EXPECT_TRUE(Loads(log, "libavcodec.so")) << log;
  for (const char* library : kWindowLibraries) EXPECT_FALSE(Loads(log, library)) << library;
  EXPECT_TRUE(std::filesystem::exists(work / "pal_type2.wav"));
}

TEST(LoadedLibraries, WithoutTheModuleOnlyTheCommandsThatDecodeFail) {
  test::TempDir copy;
  for (const char* program : {"korvid", "korvid-run"})
    std::filesystem::copy_file(KORVID_BINARY_DIR "/src/" + std::string(program), copy / program);
  test::TempDir work;
  const std::filesystem::path clip = test::CopyStandardSample("pal_type2.avi", work.path());
  const test::CommandResult run =
      test::RunCommand({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "HOME=" + copy.path().string(),
                        "XDG_CONFIG_HOME=" + (copy / ".config").string(), "sh", "-c", "exec \"$0\" \"$@\" 2>&1",
                        (copy / "korvid").string(), "+h", "+1", "+w", clip.string()});
  EXPECT_EQ(run.exit_code, 1) << run.output;
  EXPECT_NE(run.output.find("cannot load the media libraries"), std::string::npos) << run.output;
  EXPECT_TRUE(std::filesystem::exists(work / "pal_type2_type1.avi")) << run.output;
  EXPECT_FALSE(std::filesystem::exists(work / "pal_type2.wav"));
}

}  // namespace
}  // namespace korvid
