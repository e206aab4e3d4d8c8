#pragma once
// Where every data chunk of every stream lies, held in memory so that
// reaching frame k costs one positioned read. Taken from the OpenDML
// indexes when the file has them, else from idx1, else by stepping over
// the chunk headers of the movi lists.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/avi_param.h"
#include "media/binary_file.h"

namespace korvid::media {

struct FrameLocation {
  std::uint64_t offset = 0;  // of the chunk data, past its header
  std::uint32_t size = 0;    // data bytes, cut to the file
};

enum class FrameIndexSource {
  kOpenDml,     // indx super index and its ix## chunks
  kLegacy,      // idx1
  kChunkScan,   // movi chunk headers
};

class AviFrameIndex {
 public:
  // Walks the headers itself.
  static AviFrameIndex Load(const BinaryFile& file);
  // Reuses a walk already made over the same file.
  static AviFrameIndex Load(const BinaryFile& file, const TAviParam& param);

  std::size_t StreamCount() const { return streams_.size(); }
  // Empty for a stream number the file does not have.
  std::span<const FrameLocation> FramesOf(std::size_t stream) const;
  std::optional<FrameIndexSource> SourceOf(std::size_t stream) const;

  // Reads the first bytes of frame k into out (at most the frame's size);
  // returns how many were read. Throws std::out_of_range for a frame the
  // stream does not have, FileError on an I/O error.
  std::size_t ReadFrameStart(const BinaryFile& file, std::size_t stream, std::size_t k,
                             std::span<std::uint8_t> out) const;

 private:
  struct Stream {
    std::vector<FrameLocation> frames;
    FrameIndexSource source = FrameIndexSource::kChunkScan;
  };
  std::vector<Stream> streams_;
};

// The stream that carries DV: the first iavs stream (type 1), else the
// first vids stream (type 2); nothing when there is neither.
std::optional<std::size_t> FindDvVideoStream(const TAviParam& param);

// The stream number of a media chunk id "##dc", "##db", "##wb" or "##__".
std::optional<std::size_t> StreamOfChunkId(std::uint32_t code);

}  // namespace korvid::media
