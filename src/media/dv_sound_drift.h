#pragma once
// How far a DV file's sound, taken as recorded, ends from its picture:
// each frame holds the samples its AAUX source pack counts, which for
// unlocked sound need not add up to the picture's time.

#include <cstddef>
#include <filesystem>
#include <optional>

#include "media/avi_frame_index.h"
#include "media/binary_file.h"

namespace korvid::media {

struct DvSoundDrift {
  // Every frame with readable sound is marked locked to the video clock.
  bool locked = true;
  // Sound end minus picture end, in milliseconds; frames without readable
  // sound count as silence of their own length, as the extracted sound has.
  double drift_ms = 0;
};

// Nothing when the file has no DV stream or none of its frames carries
// readable sound. Throws FileError when the file cannot be read.
std::optional<DvSoundDrift> ReadDvSoundDrift(const std::filesystem::path& path);
// The same for stream `stream` of a file already open and indexed.
std::optional<DvSoundDrift> ReadDvSoundDrift(const BinaryFile& file, const AviFrameIndex& index,
                                             std::size_t stream);

}  // namespace korvid::media
