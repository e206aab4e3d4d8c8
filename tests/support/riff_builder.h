#pragma once
// Synthetic RIFF and AVI files built in memory, so that tests can make the
// odd layouts real writers never produce: cut files, lying sizes, deep
// nesting, indexes in every flavour.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace korvid::test {

using Bytes = std::vector<std::uint8_t>;

void PutLE16(Bytes& out, std::uint16_t v);
void PutLE32(Bytes& out, std::uint32_t v);
void PutLE64(Bytes& out, std::uint64_t v);
void PutFourCC(Bytes& out, std::string_view code);  // exactly four characters
void PatchLE32(Bytes& out, std::size_t at, std::uint32_t v);
void PatchLE64(Bytes& out, std::size_t at, std::uint64_t v);
Bytes Concat(std::initializer_list<Bytes> parts);

// A chunk with its true size and padding to an even length.
Bytes Chunk(std::string_view code, const Bytes& data);
// A chunk whose header states `declared_size` whatever the data holds; no padding.
Bytes ChunkDeclaring(std::string_view code, std::uint32_t declared_size, const Bytes& data);
// "RIFF"/"LIST" with its type and children.
Bytes List(std::string_view code, std::string_view type, std::initializer_list<Bytes> children);
Bytes List(std::string_view code, std::string_view type, const std::vector<Bytes>& children);

// Chunk payloads with the published layouts.
Bytes AvihData(std::uint32_t usec_per_frame, std::uint32_t total_frames, std::uint32_t streams,
               std::uint32_t width = 720, std::uint32_t height = 576);
Bytes StrhData(std::string_view type, std::string_view handler, std::uint32_t scale = 1,
               std::uint32_t rate = 25, std::uint32_t length = 0);
Bytes BitmapInfoData(std::string_view compression, std::int32_t width = 720,
                     std::int32_t height = 576);
Bytes WaveFormatData(std::uint16_t channels = 2, std::uint32_t rate = 48000);
Bytes DvInfoData();

// Streaming writer for layouts whose sizes and offsets are known only
// once the content behind them has been written.
class RiffWriter {
 public:
  // Returns the offset of the list header; close it with EndList.
  std::size_t BeginList(std::string_view code, std::string_view type);
  void EndList(std::size_t header_offset);
  // Returns the offset of the chunk header; pads to even.
  std::size_t AddChunk(std::string_view code, const Bytes& data);
  void Append(const Bytes& raw);
  std::size_t Size() const { return bytes_.size(); }
  Bytes& bytes() { return bytes_; }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

// One stream of a synthetic AVI.
struct StreamSpec {
  std::string type = "vids";     // strh fccType
  std::string handler = "dvsd";  // strh fccHandler
  std::string chunk_suffix = "dc";
  Bytes format;                  // strf data; empty leaves strf out
  std::uint32_t scale = 1;
  std::uint32_t rate = 25;
};

enum class AviIndexKind {
  kNone,           // movi only
  kIdx1Relative,   // idx1 offsets from the movi fourcc
  kIdx1Absolute,   // idx1 offsets from the start of the file
  kOpenDml,        // indx super index + ix## per part, and RIFF AVIX parts
};

// Where a frame's data ended up in the built file.
struct BuiltFrame {
  std::uint64_t data_offset = 0;
  std::uint32_t size = 0;
};

// A complete AVI: hdrl with one strl per stream, movi with the frames in
// the order they were added, and the chosen index.
class AviBuilder {
 public:
  std::size_t AddStream(StreamSpec spec);
  void AddFrame(std::size_t stream, Bytes data);
  // With kOpenDml, a new RIFF AVIX part starts every `frames_per_part`
  // frames (counting every stream's chunks).
  Bytes Build(AviIndexKind kind, std::size_t frames_per_part = 0);
  // With kOpenDml, each super index lists every standard index this many
  // times over, as a crafted file would.
  std::size_t superIndexRepeats = 1;
  // Valid after Build: per stream, its frames in order.
  const std::vector<std::vector<BuiltFrame>>& Frames() const { return built_; }

 private:
  struct PendingFrame {
    std::size_t stream;
    Bytes data;
  };
  std::string ChunkId(std::size_t stream) const;

  std::vector<StreamSpec> streams_;
  std::vector<PendingFrame> frames_;
  std::vector<std::vector<BuiltFrame>> built_;
};

// A frame of `size` bytes whose content tells frame and stream apart.
Bytes PatternFrame(std::size_t size, std::uint32_t seed);

}  // namespace korvid::test
