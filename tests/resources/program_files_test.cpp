// Where the three programs find each other: in a build or a portable copy
// side by side, once installed across bin and libexec.

#include "resources/program_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/test_env.h"

namespace korvid {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFiles, TheHandedOverProgramsStandForKorvidAndFindTheirSiblings) {
  using resources::FrontProgramFor;
  using resources::HelperProgramFor;
  EXPECT_EQ(FrontProgramFor("/usr/libexec/korvid/korvid-window"), fs::path("/usr/bin/korvid"));
  EXPECT_EQ(FrontProgramFor("/home/u/build/src/korvid-run"), fs::path("/home/u/build/src/korvid"));
  // A renamed copy of korvid, or any other program, stands for itself.
  EXPECT_EQ(FrontProgramFor("/home/u/tools/kv"), fs::path("/home/u/tools/kv"));

  test::TempDir prefix;
  fs::create_directories(prefix / "bin");
  EXPECT_EQ(HelperProgramFor(prefix / "bin/korvid", "korvid-run"), prefix.path() / "libexec/korvid/korvid-run");
  EXPECT_EQ(HelperProgramFor("/home/u/copy/kv", "korvid-run"), fs::path("/home/u/copy/korvid-run"));
  // A portable copy in a folder that happens to be called bin keeps its own.
  std::ofstream(prefix / "bin/korvid-run").put('x');
  EXPECT_EQ(HelperProgramFor(prefix / "bin/korvid", "korvid-run"), prefix.path() / "bin/korvid-run");
}

}  // namespace
}  // namespace korvid
