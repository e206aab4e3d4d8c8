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

#define KORVID_REQUIRE_REAL_FIXTURES()                                                   \
  do {                                                                                   \
    if (::korvid::test::RealFixturesDir().empty())                                       \
      GTEST_SKIP() << "real camcorder frames not found (set KORVID_REAL_FIXTURES or "    \
                      "place them at ../shared/fixtures/real)";                          \
  } while (0)

#define KORVID_REQUIRE_PROGRAM(name)                                     \
  do {                                                                   \
    if (!::korvid::test::HaveProgram(name))                              \
      GTEST_SKIP() << "the program " << (name) << " is not installed";   \
  } while (0)
