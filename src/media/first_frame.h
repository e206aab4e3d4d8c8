#pragma once
// The recording date and time, timecode and aspect an AVI file is listed
// with (the first-frame rule of dv_frame_facts.h), read through the frame
// index: a few positioned reads whatever the file's length.

#include <filesystem>
#include <optional>
#include <string>

#include "media/dv_packs.h"

namespace korvid::media {

struct FirstFramePacks {
  TTimecode timecode;
  TDatecode datecode;
  bool wide = false;
};

// Nothing when the file is not AVI or has no DV stream with a frame;
// the reason goes to `why` when given. Throws FileError when the file
// cannot be read.
std::optional<FirstFramePacks> ReadFirstFramePacks(const std::filesystem::path& path, std::string* why = nullptr);

}  // namespace korvid::media
