#pragma once
// Finds where the last video stream header keeps its handler code and
// frame-rate fraction, so those few bytes can be read and patched in place.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>

#include "media/binary_file.h"
#include "resources/user_error.h"

namespace korvid::media {

// Called once per chunk during a walk so a user interface can stay responsive.
using PendingEventsPump = std::function<void()>;

// Raised when an operation needs the video stream header and the file has none,
// or when a frame rate cannot be stored as a 32-bit fraction.
class AviHeaderError : public UserError {
 public:
  using UserError::UserError;
};

struct VideoHeaderPositions {
  std::uint64_t handler = 0;  // fccHandler
  std::uint64_t scale = 0;    // dwScale
  std::uint64_t rate = 0;     // dwRate
};

// Positions in the last vids/iavs stream header, or nothing when the file
// has none. Short reads end the walk quietly; I/O errors throw FileError.
std::optional<VideoHeaderPositions> LocateVideoStreamHeader(const BinaryFile& file,
                                                            const PendingEventsPump& pump = {});

// Throws FileError when the file cannot be read and AviHeaderError when it
// has no video stream header (nothing is read beyond the walk then).
std::uint32_t ReadVideoHandler(const std::filesystem::path& path, const PendingEventsPump& pump = {});

// Writes the code over fccHandler and flushes it to the disk. Throws
// AviHeaderError (no video stream header: the file is not touched) or
// FileError.
void WriteVideoHandler(const std::filesystem::path& path, std::uint32_t code, const PendingEventsPump& pump = {});

// The scale and rate a frame rate is stored as: rate 1,000,000 and the
// scale rounded. Throws AviHeaderError for a rate that is not a positive
// finite number or whose scale rounds to 0 or does not fit 32 bits.
struct StoredFrameRate {
  std::uint32_t scale = 0;
  std::uint32_t rate = 0;
};
StoredFrameRate FrameRateFraction(double fps);

// Writes the fraction over dwScale and dwRate with one write, flushed to
// the disk. Throws AviHeaderError (bad rate, no video stream header: the
// file is not touched) or FileError.
void WriteFrameRate(const std::filesystem::path& path, double fps, const PendingEventsPump& pump = {});

}  // namespace korvid::media
