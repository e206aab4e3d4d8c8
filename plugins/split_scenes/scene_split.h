#pragma once
// The work of "Split into scenes": the scene starts a scene file records,
// and one AVI per scene with the source's DV frames and sound chunks
// copied unchanged. Plain C++ over the project's media code; the plug-in's
// C side (split_scenes.cpp) only adapts it to the plug-in interface.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "media/dv_packs.h"

namespace korvid::split {

// A failure to tell the user, in the plug-in's own words.
class SplitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The first frame of every scene of a scene file (".scn"), in file order:
// 0, then each further scene's start. Throws SplitError when the file
// cannot be read or is not a scene file.
std::vector<std::uint64_t> ReadSceneStarts(const std::filesystem::path& scnFile);

struct WrittenScene {
  std::filesystem::path file;  // where the scene was written
  // Its first frame's, when that is a real date and time (a damaged pack
  // can read as the 13th month or 61 minutes).
  std::optional<media::TDatecode> datecode;
};

struct SplitHooks {
  // Told the share done, 0..100; answers true to stop.
  std::function<bool(int percent)> progress;
  // Puts a finished scene file in its place; returns where it went.
  std::function<std::filesystem::path(const WrittenScene&)> place;
};

struct SplitResult {
  std::vector<std::filesystem::path> placed;
  // Empty or short DV chunks (dropped frames), each written as the whole
  // frame before it, or after it where none came before.
  std::uint64_t framesReplaced = 0;
};

// Writes the scenes of `source` that start at `starts` (as ReadSceneStarts
// gives them), each first under a temporary name in `folder`, then placed.
// Starts beyond the video's frames, or out of order, mean the scene file
// belongs to another version of the video: SplitError, nothing written.
// A stop or a failure removes the scene being written and throws
// SplitError; scenes placed before stay.
SplitResult SplitIntoScenes(const std::filesystem::path& source, const std::vector<std::uint64_t>& starts,
                            const std::filesystem::path& folder, const SplitHooks& hooks);

}  // namespace korvid::split
