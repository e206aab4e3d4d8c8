#include "media/avi_stream_locator.h"

#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <string>

#include "media/le_bytes.h"
#include "media/riff_walk.h"

namespace korvid::media {
namespace {

constexpr std::uint64_t kHandlerField = 4;
constexpr std::uint64_t kScaleField = 20;
constexpr std::uint64_t kRateField = 24;
constexpr std::uint32_t kFrameRateUnit = 1'000'000;

class LocatorListener : public RiffWalkListener {
 public:
  explicit LocatorListener(const PendingEventsPump& pump) : pump_(pump) {}

  bool KeepGoing() override {
    if (pump_) pump_();
    return true;
  }

  bool OnLeaf(const RiffChunkVisit& chunk, const BinaryFile& file) override {
    if (chunk.code != FourCC("strh")) return true;
    std::array<std::uint8_t, 56> header{};
    if (!file.ReadExactAt(chunk.DataOffset(), header)) return false;
    const std::uint32_t type = LoadLE32(header.data());
    // The positions must lie inside the chunk itself, or a patch would
    // land in whatever follows a short header.
    if ((type == FourCC("vids") || type == FourCC("iavs")) && chunk.size >= kRateField + 4) {
      const std::uint64_t data = chunk.DataOffset();
      found_ = VideoHeaderPositions{data + kHandlerField, data + kScaleField, data + kRateField};
    }
    return true;
  }

  const std::optional<VideoHeaderPositions>& found() const { return found_; }

 private:
  const PendingEventsPump& pump_;
  std::optional<VideoHeaderPositions> found_;
};

// One write of bytes that lie within one 4 KiB page lands whole or not at
// all when the process is killed (the kernel copies a page at a time and
// checks for a fatal signal only between pages), and a page is what the
// file system writes back as one block: the field group then holds its old
// or its new value, never a mix. A group that straddles two pages is
// refused rather than risked.
constexpr std::uint64_t kPageBytes = 4096;

void PatchInPlace(BinaryFile& file, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (offset / kPageBytes != (offset + bytes.size() - 1) / kPageBytes)
    throw AviHeaderError("the video stream header of " + file.Path().string() +
                         " straddles a page of the file; it is left unchanged");
  file.WriteAt(offset, bytes);
  file.Sync();
}

VideoHeaderPositions RequirePositions(const BinaryFile& file, const PendingEventsPump& pump) {
  const auto found = LocateVideoStreamHeader(file, pump);
  if (!found) throw AviHeaderError("no video stream header in " + file.Path().string());
  return *found;
}

}  // namespace

std::optional<VideoHeaderPositions> LocateVideoStreamHeader(const BinaryFile& file,
                                                            const PendingEventsPump& pump) {
  LocatorListener listener(pump);
  WalkRiff(file, listener);
  return listener.found();
}

std::uint32_t ReadVideoHandler(const std::filesystem::path& path, const PendingEventsPump& pump) {
  const BinaryFile file(path, BinaryFile::Mode::kRead);
  const VideoHeaderPositions at = RequirePositions(file, pump);
  std::array<std::uint8_t, 4> raw{};
  if (!file.ReadExactAt(at.handler, raw)) throw FileError("cannot read the handler code of " + path.string());
  return LoadLE32(raw.data());
}

void WriteVideoHandler(const std::filesystem::path& path, std::uint32_t code, const PendingEventsPump& pump) {
  BinaryFile file(path, BinaryFile::Mode::kReadWrite);
  const VideoHeaderPositions at = RequirePositions(file, pump);
  std::array<std::uint8_t, 4> raw{};
  StoreLE32(raw.data(), code);
  PatchInPlace(file, at.handler, raw);
}

StoredFrameRate FrameRateFraction(double fps) {
  if (!std::isfinite(fps) || fps <= 0) {
    throw AviHeaderError("frame rate " + std::to_string(fps) + " is not a positive number");
  }
  const double scale = std::round(kFrameRateUnit / fps);
  if (scale < 1 || scale > std::numeric_limits<std::uint32_t>::max()) {
    throw AviHeaderError("frame rate " + std::to_string(fps) + " cannot be stored as a fraction of " +
                         std::to_string(kFrameRateUnit));
  }
  return {static_cast<std::uint32_t>(scale), kFrameRateUnit};
}

void WriteFrameRate(const std::filesystem::path& path, double fps, const PendingEventsPump& pump) {
  const StoredFrameRate fraction = FrameRateFraction(fps);
  BinaryFile file(path, BinaryFile::Mode::kReadWrite);
  const VideoHeaderPositions at = RequirePositions(file, pump);
  std::array<std::uint8_t, 8> raw{};
  StoreLE32(raw.data(), fraction.scale);
  StoreLE32(raw.data() + 4, fraction.rate);
  PatchInPlace(file, at.scale, raw);
}

}  // namespace korvid::media
