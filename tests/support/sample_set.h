#pragma once
// The project's standard sample clips, written once per build folder and
// shared by every test program. Tests read them only: a test that changes
// a file copies it into its own TempDir first.

#include <filesystem>
#include <string>

namespace korvid::test {

// The folder holding the standard set (sample_clip.h), written on first use.
const std::filesystem::path& StandardSamplesDir();

// A clip of the standard set by file name.
std::filesystem::path StandardSample(const std::string& name);

// Copies a clip of the standard set into `dir` and returns the copy's path.
std::filesystem::path CopyStandardSample(const std::string& name, const std::filesystem::path& dir);

}  // namespace korvid::test
