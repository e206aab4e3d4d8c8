#pragma once
// Placing the standard sample clips under other names and folders for the
// video list's tests: hard links where the file system allows, else copies.

#include <filesystem>
#include <string>

#include "media/video_record.h"

namespace korvid::test {

// `sample` (a standard clip's name) placed at `target`, folders created.
std::filesystem::path PlaceSample(const std::string& sample, const std::filesystem::path& target);

// A file that exists, ends in .avi and is not AVI: its analysis fails.
std::filesystem::path PlaceNotAvi(const std::filesystem::path& target);

// Datecodes shown as yyyy-mm-dd hh:nn:ss with English names.
media::DatecodeFormat PlainDatecodeFormat();

}  // namespace korvid::test
