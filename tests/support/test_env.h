#pragma once
// What every test program needs from its surroundings: scratch folders,
// the real camcorder frames kept outside the repository, and the
// independent tools (ffmpeg, ffprobe, mediainfo, dvgrab) as writers and readers.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace korvid::test {

// A fresh folder removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The folder of real camcorder frames: $KORVID_REAL_FIXTURES, else
// ../shared/fixtures/real beside the project root. Empty when absent.
std::filesystem::path RealFixturesDir();

// KORVID_STRICT_TESTS=1: a missing test dependency fails the test instead
// of skipping it, so that a machine set up for the whole suite cannot pass
// it by quietly running less. The real frames live outside the repository:
// their absence fails only when KORVID_REAL_FIXTURES names them explicitly.
bool StrictTests();
// Whether a missing folder of real frames fails in strict mode.
bool RealFixturesNamed();
// Why the test cannot run: empty when the dependency is there.
std::string MissingRealFixtures();
std::string MissingProgram(const std::string& name);
// For checks that add to a test when a program is there: whether it is,
// and in strict mode a failure of the test when it is not.
bool UseProgram(const std::string& name);

struct CommandResult {
  int exit_code = -1;
  std::string output;  // standard output only; standard error goes to the test log
};

// Runs argv[0] found on PATH, no shell involved in the arguments.
CommandResult RunCommand(const std::vector<std::string>& argv);
bool HaveProgram(const std::string& name);

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace korvid::test

// Skips the test when `missing` is not empty, or fails it when `strict`.
#define KORVID_REQUIRE(missing, strict)                                            \
  do {                                                                             \
    if (const std::string korvid_missing_ = (missing); !korvid_missing_.empty()) {  \
      if (strict)                                                                  \
        GTEST_FAIL() << korvid_missing_ << " (KORVID_STRICT_TESTS=1)";             \
      else                                                                         \
        GTEST_SKIP() << korvid_missing_;                                           \
    }                                                                              \
  } while (0)

#define KORVID_REQUIRE_REAL_FIXTURES()                 \
  KORVID_REQUIRE(::korvid::test::MissingRealFixtures(), \
                 ::korvid::test::StrictTests() && ::korvid::test::RealFixturesNamed())
#define KORVID_REQUIRE_PROGRAM(name) \
  KORVID_REQUIRE(::korvid::test::MissingProgram(name), ::korvid::test::StrictTests())
