#pragma once
// Decides whether a file is AVI and what its streams are, from the RIFF
// headers alone: media data is stepped over by offset, never read, so the
// cost does not grow with the file's length.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "media/binary_file.h"

namespace korvid::media {

struct TAvistream {
  static constexpr std::size_t kHeaderBytes = 56;
  static constexpr std::size_t kFormatBytesKept = 84;
  static constexpr std::size_t kIndexHeadBytes = 88;

  // Where the stream's indx chunk is, and its first bytes (header and
  // first entries); the rest stays in the file.
  struct IndexChunk {
    std::uint64_t data_position = 0;     // first byte after the chunk header
    std::uint32_t data_size = 0;         // as declared
    std::uint64_t entries_position = 0;  // data_position + 24
    std::vector<std::uint8_t> head;      // up to 88 bytes
  };

  std::array<std::uint8_t, kHeaderBytes> header{};  // strh; zero beyond what the chunk held
  std::vector<std::uint8_t> format;                 // strf, its first 84 bytes at most
  std::optional<IndexChunk> index;

  std::uint32_t FccType() const;
  std::uint32_t FccHandler() const;
  bool IsVideo() const;  // vids or iavs
};

// One LIST movi: where its content starts and ends (cut to the file).
struct AviMoviList {
  std::uint64_t fourcc_position = 0;  // the "movi" type; legacy index offsets count from here
  std::uint64_t end = 0;
};

struct AviChunkPlace {
  std::uint64_t data_position = 0;
  std::uint32_t data_size = 0;
};

class TAviParam {
 public:
  // Opens, reads and closes the file; throws FileError when it cannot be
  // opened or read, or declares more than kMaxAviStreams streams.
  explicit TAviParam(const std::filesystem::path& path);
  // Walks an already open file.
  explicit TAviParam(const BinaryFile& file);

  bool valid = false;
  std::vector<TAvistream> streams;
  std::int32_t first_video_stream = -1;
  std::array<std::uint8_t, 56> main_header{};
  std::vector<AviMoviList> movi_lists;     // one per RIFF part that has one
  std::optional<AviChunkPlace> legacy_index;  // the first idx1
  std::vector<std::uint8_t> odml_header;   // dmlh, first 248 bytes at most

 private:
  class Walk;
};

class TFriendlyAviParam : public TAviParam {
 public:
  using TAviParam::TAviParam;
  // The handler code of the first video stream, or "####" without one.
  std::string CodecFourCC() const;
};

}  // namespace korvid::media
