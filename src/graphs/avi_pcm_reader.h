#pragma once
// Reads the PCM of one auds stream of an AVI file in order, chunk after
// chunk, as interleaved 16-bit stereo at the stream's own rate: mono is
// doubled, channels beyond the second are left out, 8-bit is widened.
// Only the chunk being read is held in memory.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/avi_frame_index.h"
#include "media/avi_param.h"
#include "media/binary_file.h"

namespace korvid::graphs {

struct PcmFormat {
  int sample_rate = 0;
  int channels = 0;
  int bits = 0;
};

// Nothing unless the format block describes integer PCM of 8 or 16 bits.
std::optional<PcmFormat> ReadPcmFormat(std::span<const std::uint8_t> strf);

class AviPcmReader {
 public:
  // Throws ConversionError when the stream is not PCM this reader takes.
  AviPcmReader(const media::BinaryFile& file, const media::TAviParam& param, const media::AviFrameIndex& index,
               std::size_t stream);

  int SampleRate() const { return format_.sample_rate; }

  // Appends up to `frames` stereo sample frames to `out`; returns how many.
  // Fewer only at the end of the stream.
  std::size_t Read(std::size_t frames, std::vector<std::int16_t>& out);

  // Moves to stereo sample frame `frame` (the end when the stream is shorter).
  void Seek(std::uint64_t frame);
  // The sample frame Read takes next.
  std::uint64_t Position() const { return loaded_start_ + used_; }
  // Sample frames in the whole stream.
  std::uint64_t TotalFrames() const { return starts_.back(); }

 private:
  bool LoadNextChunk();

  const media::BinaryFile& file_;
  std::uint64_t size_at_open_ = 0;
  std::span<const media::FrameLocation> chunks_;
  PcmFormat format_;
  std::size_t next_chunk_ = 0;
  std::vector<std::uint8_t> raw_;
  std::vector<std::int16_t> stereo_;  // the current chunk, converted
  std::size_t used_ = 0;              // stereo frames of it already handed out
  std::vector<std::uint64_t> starts_;  // first sample frame of each chunk, and the total
  std::uint64_t loaded_start_ = 0;     // of the current chunk
};

}  // namespace korvid::graphs
